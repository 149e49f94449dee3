#include "output/OutputNaming.h"

#include <QDir>

#include <algorithm>

namespace quillum {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Only these ASCII characters form a counter; other scripts' digits belong to the prefix.
bool isCounterChar(QChar c)
{
    return isAsciiDigit(c) || c == QLatin1Char('#');
}

} // namespace

QString outputFilePath(const QString& folder, const QString& name, ImageFileType fileType)
{
    return QDir(folder).filePath(name + QLatin1Char('.') + imageFileTypeExtension(fileType));
}

QString incrementDecimalString(const QString& digits)
{
    QString result = digits;
    qsizetype i = result.size() - 1;
    for (; i >= 0; --i) {
        if (result[i] == QLatin1Char('9')) {
            result[i] = QLatin1Char('0');
            continue;
        }
        result[i] = QChar(result[i].unicode() + 1);
        break;
    }
    if (i < 0)
        result.prepend(QLatin1Char('1'));
    // Leading zeros come back with the padding to the width.
    qsizetype zeros = 0;
    while (zeros + 1 < result.size() && result[zeros] == QLatin1Char('0'))
        ++zeros;
    return result.mid(zeros);
}

QString incrementCurrentFileName(const QString& name)
{
    qsizetype split = name.size();
    while (split > 0 && isCounterChar(name[split - 1]))
        --split;
    const QString prefix = name.left(split);
    const QString counter = name.mid(split);

    qsizetype digitCount = 0;
    while (digitCount < counter.size() && isAsciiDigit(counter[digitCount]))
        ++digitCount;
    const QString value = incrementDecimalString(counter.left(digitCount));
    const qsizetype width = std::max<qsizetype>(1, counter.size());
    const qsizetype padding = std::max<qsizetype>(0, width - value.size());
    return prefix + QString(padding, QLatin1Char('0')) + value;
}

OutputFileRule outputFileRuleFromValue(int value)
{
    if (value <= 0)
        return OutputFileRule::CountPerPicture;
    if (value == 2)
        return OutputFileRule::SourceName;
    return OutputFileRule::RunningName;
}

QString outputFileNameForShownPicture(int rule, const QString& currentName, const QString& base)
{
    switch (outputFileRuleFromValue(rule)) {
    case OutputFileRule::CountPerPicture:
        return base + QStringLiteral("-0001");
    case OutputFileRule::SourceName:
        return base;
    case OutputFileRule::RunningName:
        break;
    }
    return currentName;
}

bool outputFileRuleCounts(int rule)
{
    return outputFileRuleFromValue(rule) != OutputFileRule::SourceName;
}

} // namespace quillum
