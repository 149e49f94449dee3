#pragma once
// Assert-and-recover for states that cannot happen: the check is always compiled in, says
// once on the console where it failed, and runs `action` (usually a return) instead of
// crashing or carrying on with a broken state.

#include <QtGlobal>

#define QUILLUM_ASSERT(cond, action)                                                                                   \
    if (Q_LIKELY(cond)) {                                                                                              \
    } else {                                                                                                           \
        qWarning("Assertion failed: %s (%s:%d)", #cond, __FILE__, __LINE__);                                           \
        action;                                                                                                        \
    }                                                                                                                  \
    do {                                                                                                               \
    } while (0)
