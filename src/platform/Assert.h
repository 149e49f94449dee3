#pragma once
// Assert-and-recover for states that cannot happen: a programmer error is logged with its
// place and the caller takes `action` (usually returning) instead of going on with garbage.
// Never for bad user data; that is an error value (Result.h).

#include <QtGlobal>

// clang-format off
#define QUILLUM_ASSERT(cond, action) if (Q_LIKELY(cond)) {} else { qWarning("Assertion failed: %s (%s:%d)", #cond, __FILE__, __LINE__); action; } do {} while (0)
// clang-format on
