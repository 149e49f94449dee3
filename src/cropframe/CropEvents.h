#pragma once
// Input events as the crop panel sees them: plain values in view units (origin bottom-left,
// y up), with the modifier flags of the keyboard. The widget builds them from Qt events.

#include "platform/Geometry.h"

#include <QString>

#include <functional>
#include <memory>

namespace quillum {

enum ModifierFlag : unsigned {
    ShiftKeyMask = 1u << 17,
    ControlKeyMask = 1u << 18,
    AlternateKeyMask = 1u << 19,
    CommandKeyMask = 1u << 20,
    NumericPadKeyMask = 1u << 21, // set on arrow-key events
};

// Arrow keys as characters (private-use code points, as key events carry them).
inline constexpr char16_t UpArrowFunctionKey = 0xF700;
inline constexpr char16_t DownArrowFunctionKey = 0xF701;
inline constexpr char16_t LeftArrowFunctionKey = 0xF702;
inline constexpr char16_t RightArrowFunctionKey = 0xF703;

struct MouseEvent {
    Point locationInView;
    unsigned modifierFlags = 0;
    int clickCount = 1;
};

struct KeyEvent {
    unsigned modifierFlags = 0;
    QString charactersIgnoringModifiers;
};

struct ScrollWheelEvent {
    unsigned modifierFlags = 0;
    int subtype = 0; // 1: a mouse wheel, others: trackpads and tablets
    double deltaX = 0.0;
    double deltaY = 0.0;
};

struct SwipeEvent {
    double deltaX = 0.0;
};

// A one-shot timer on the main loop, behind an interface so tests advance time by hand.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    // Fires `action` once, `seconds` from now; arming a pending timer moves its fire date.
    virtual void fireAfter(double seconds, std::function<void()> action) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// The real timer (QTimer on the current thread's event loop).
std::unique_ptr<OneShotTimer> makeEventLoopTimer();

} // namespace quillum
