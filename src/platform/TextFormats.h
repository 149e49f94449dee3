#pragma once
// Size and time texts, formatted with the locale's grouping separator.

#include <QLocale>
#include <QString>

#include <cstdint>

namespace quillum {

// "#,##0 ms" below a second, "#,##0.0 s" below 100 s, "#,##0 s" below 300 s,
// "#,##0 min" below an hour, else "#,##0 hours". seconds is taken in single precision.
QString stringForTimeInterval(float seconds, const QLocale& locale = QLocale());

// The count with "###,###,###,##0 B"; it passes through a float first, as it always has.
QString stringForFullByteSize(std::int32_t bytes, const QLocale& locale = QLocale());

// B, KB, MB, GB with a step of 1023 (not 1024): "#,##0 B", then "#,##0.0 KB" / "MB" / "GB".
QString stringForByteSize(std::int32_t bytes, const QLocale& locale = QLocale());

} // namespace quillum
