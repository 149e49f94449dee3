#pragma once
// What the controller asks of the windowing side: facts about the screen and, as the
// application grows, alerts, panels and labels. The main window implements it; tests use
// a scripted fake. Main thread only.

#include "platform/Geometry.h"

namespace quillum {

class UiServices {
public:
    virtual ~UiServices() = default;
    // The main screen's size in points.
    virtual Size mainScreenSize() const = 0;
};

} // namespace quillum
