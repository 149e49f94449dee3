#pragma once
// Size and time texts, formatted with the locale's grouping separator.

#include <QDateTime>
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

enum class DateOrTime { Date, Time };
enum class DateStyle { Full, Medium, Short };
// The date alone or the time alone in the locale's full, medium or short style (ICU: Qt's
// locale has no medium style). localeName names an ICU locale; empty is the user's.
QString stringForDateTime(const QDateTime& when, DateOrTime what, DateStyle style, const QString& localeName = {});

} // namespace quillum
