#include "TextFormats.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cmath>
#include <memory>

namespace quillum {
namespace {

// A decimal number with grouping and a fixed number of fraction digits, rounded half
// to even as the platform number formatters do.
QString decimal(double value, int fractionDigits, const QLocale& locale)
{
    QLocale l = locale;
    l.setNumberOptions(l.numberOptions() & ~QLocale::OmitGroupSeparator);
    const double scale = std::pow(10.0, fractionDigits);
    const double rounded = std::nearbyint(value * scale) / scale;
    QString text = l.toString(rounded, 'f', fractionDigits);
    // Qt renders -0 as "-0"; a formatter would not.
    if (rounded == 0.0 && text.startsWith(l.negativeSign()))
        text.remove(0, l.negativeSign().size());
    return text;
}

} // namespace

QString stringForTimeInterval(float t, const QLocale& locale)
{
    if (t < 1.0f)
        return decimal(t * 1000.0f, 0, locale) + QStringLiteral(" ms");
    if (t < 100.0f)
        return decimal(t, 1, locale) + QStringLiteral(" s");
    if (t < 300.0f)
        return decimal(t, 0, locale) + QStringLiteral(" s");
    if (t < 3600.0f)
        return decimal(t / 60.0f, 0, locale) + QStringLiteral(" min");
    return decimal(t / 3600.0f, 0, locale) + QStringLiteral(" hours");
}

QString stringForFullByteSize(std::int32_t bytes, const QLocale& locale)
{
    return decimal(double(float(bytes)), 0, locale) + QStringLiteral(" B");
}

QString stringForByteSize(std::int32_t bytes, const QLocale& locale)
{
    float v = float(bytes);
    if (v < 1023.0f)
        return decimal(std::trunc(v), 0, locale) + QStringLiteral(" B");
    v /= 1024.0f;
    if (v < 1023.0f)
        return decimal(v, 1, locale) + QStringLiteral(" KB");
    v /= 1024.0f;
    if (v < 1023.0f)
        return decimal(v, 1, locale) + QStringLiteral(" MB");
    return decimal(v / 1024.0f, 1, locale) + QStringLiteral(" GB");
}

QString stringForDateTime(const QDateTime& when, DateOrTime what, DateStyle style, const QString& localeName)
{
    const icu::DateFormat::EStyle icuStyle = style == DateStyle::Full ? icu::DateFormat::kFull
        : style == DateStyle::Medium                                  ? icu::DateFormat::kMedium
                                                                      : icu::DateFormat::kShort;
    const icu::Locale locale
        = localeName.isEmpty() ? icu::Locale::getDefault() : icu::Locale(localeName.toUtf8().constData());
    std::unique_ptr<icu::DateFormat> format(what == DateOrTime::Date
            ? icu::DateFormat::createDateInstance(icuStyle, locale)
            : icu::DateFormat::createTimeInstance(icuStyle, locale));
    if (!format)
        return {};
    icu::UnicodeString text;
    format->format(static_cast<UDate>(when.toMSecsSinceEpoch()), text);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace quillum
