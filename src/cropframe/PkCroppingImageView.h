#pragma once
// The left panel's state: the source picture's size and zoom, and the crop frame it owns.

#include "cropframe/PkCenterImageView.h"
#include "cropframe/ZentCropBorder.h"

#include <memory>

namespace quillum {

class PkCroppingImageView : public PkCenterImageView {
public:
    PkCroppingImageView()
        : m_selRect(std::make_unique<ZentCropBorder>())
    { }

    ZentCropBorder* selRect() { return m_selRect.get(); }
    const ZentCropBorder* selRect() const { return m_selRect.get(); }

    Rect lastManualRect() const { return m_lastManualRect; }
    void setLastManualRect(const Rect& r) { m_lastManualRect = r; }

private:
    std::unique_ptr<ZentCropBorder> m_selRect;
    Rect m_lastManualRect;
};

} // namespace quillum
