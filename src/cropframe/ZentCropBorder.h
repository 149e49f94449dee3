#pragma once
// The crop frame: its rectangle in source pixels (origin bottom-left).

#include "platform/Geometry.h"

namespace quillum {

class ZentCropBorder {
public:
    Rect frame() const { return m_frame; }
    void setFrame(const Rect& frame) { m_frame = frame; }

private:
    Rect m_frame;
};

} // namespace quillum
