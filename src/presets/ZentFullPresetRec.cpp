#include "ZentFullPresetRec.h"

#include <QFileInfo>

namespace quillum {

namespace {

QString n(std::int64_t v)
{
    return QString::number(v);
}

// Pieces joined by a separator; `written` says whether anything is there yet.
struct Joiner {
    QString text;
    bool written = false;
    QString separator;
    void add(const QString& piece)
    {
        if (written)
            text += separator;
        text += piece;
        written = true;
    }
};

// The suggested name stops growing once it is longer than this.
constexpr qsizetype kSuggestedNameLimit = 39;

QString lastPathComponent(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

ZentFullPresetRec::ZentFullPresetRec()
{
    m_aspectY = 1;
    m_pictureOutputMode = 1;
    m_name = m_outputFileNameField = m_initialCustomOutputFileName = QStringLiteral("");
}

ZentFullPresetRec ZentFullPresetRec::blank()
{
    return ZentFullPresetRec(BlankTag {});
}

const std::array<const char*, 89>& ZentFullPresetRec::fieldNames()
{
#define QUILLUM_PRESET_NAME(T, name, Name, kind) #name,
    static const std::array<const char*, 89> names { QUILLUM_PRESET_FIELDS(QUILLUM_PRESET_NAME) };
#undef QUILLUM_PRESET_NAME
    return names;
}

bool ZentFullPresetRec::operator==(const ZentFullPresetRec& other) const
{
#define QUILLUM_PRESET_EQUAL(T, name, Name, kind)                                                                      \
    if (!(m_##name == other.m_##name))                                                                                 \
        return false;
    QUILLUM_PRESET_FIELDS(QUILLUM_PRESET_EQUAL)
#undef QUILLUM_PRESET_EQUAL
    return true;
}

QString ZentFullPresetRec::description() const
{
    if (m_aspectX != 0 && m_fixedsizeX != 0)
        return QStringLiteral("%1 - Ratio %2 : %3  Size %4 x %5")
            .arg(m_name, n(m_aspectX), n(m_aspectY), n(m_fixedsizeX), n(m_fixedsizeY));
    if (m_aspectX != 0)
        return QStringLiteral("%1 - Ratio %2 : %3").arg(m_name, n(m_aspectX), n(m_aspectY));
    return QStringLiteral("%1 - Size %2 x %3").arg(m_name, n(m_fixedsizeX), n(m_fixedsizeY));
}

QString ZentFullPresetRec::suggestedName() const
{
    Joiner t { {}, false, QStringLiteral(" | ") };
    const auto roomLeft = [&t] { return t.text.size() <= kSuggestedNameLimit; };

    if (m_changeSizeControls && roomLeft()) {
        if (m_fixedAspect) {
            t.text = QStringLiteral("Ratio: %1 : %2").arg(n(m_aspectX), n(m_aspectY));
            t.written = true;
        }
        if (m_fixedWidth || m_fixedHeight) {
            QString size = QStringLiteral("Size: ");
            if (m_fixedWidth)
                size += QStringLiteral("W %1 ").arg(n(m_fixedsizeX));
            if (m_fixedHeight)
                size += QStringLiteral("H %1 ").arg(n(m_fixedsizeY));
            t.add(size);
        }
    }
    if (m_changeTextControls && roomLeft() && m_showTextCaptions) {
        if (m_showCaption1)
            t.add(QStringLiteral("Text 1: %1 ").arg(m_caption1TextString));
        if (m_showCaption2)
            t.add(QStringLiteral("Text 2: %1 ").arg(m_caption2TextString));
    }
    if (m_changeBorderControls && roomLeft() && m_showBorders && (m_showBorder1 || m_showBorder2 || m_showBorder3)) {
        QString borders = QStringLiteral("Border:");
        for (int i = 0; i < 3; ++i)
            if (showBorder(i))
                borders += QStringLiteral(" #%1").arg(i + 1);
        t.add(borders);
    }
    if (m_changeLogoControls && roomLeft() && m_drawLogo)
        t.add(QStringLiteral("Logo: %1 ").arg(lastPathComponent(m_logoFileName)));
    if (m_changeOtherControls) {
        if (roomLeft() && m_autoLevelsIsOn)
            t.add(QStringLiteral("Autolevels: ON"));
        if (roomLeft() && m_sharpenLevel > 0)
            t.add(QStringLiteral("Sharpen: %1 ").arg(n(m_sharpenLevel)));
        if (roomLeft()) {
            if (m_pictureOutputMode == 3)
                t.add(QStringLiteral("Sepia"));
            else if (m_pictureOutputMode == 2)
                t.add(QStringLiteral("B/W"));
        }
        if (roomLeft() && (m_pictureOutputInvert || m_pictureVerticalReflect || m_pictureHorizontalReflect)) {
            QString misc = QStringLiteral("Misc:");
            if (m_pictureOutputInvert)
                misc += QStringLiteral(" Inv");
            if (m_pictureVerticalReflect)
                misc += QStringLiteral(" VR");
            if (m_pictureHorizontalReflect)
                misc += QStringLiteral(" HR");
            t.add(misc);
        }
    }
    return t.text.isEmpty() ? QStringLiteral("New preset") : t.text;
}

QString ZentFullPresetRec::technicalDescription() const
{
    Joiner t { {}, false, QStringLiteral("\n") };

    if (m_changeSizeControls) {
        if (m_fixedAspect) {
            t.text = QStringLiteral("Aspect Ratio: %1 : %2").arg(n(m_aspectX), n(m_aspectY));
            t.written = true;
        }
        if (m_fixedWidth || m_fixedHeight) {
            QString size = QStringLiteral("Size: ");
            if (m_fixedWidth)
                size += QStringLiteral("Width %1 ").arg(n(m_fixedsizeX));
            if (m_fixedHeight)
                size += QStringLiteral("Height %1 ").arg(n(m_fixedsizeY));
            t.add(size);
        } else if (!m_fixedAspect) {
            t.text = QStringLiteral("Free size");
            t.written = true;
        }
    }
    if (m_changeTextControls) {
        if (m_showTextCaptions && (m_showCaption1 || m_showCaption2)) {
            if (m_showCaption1)
                t.add(QStringLiteral("Text 1: %1 ").arg(m_caption1TextString));
            if (m_showCaption2)
                t.add(QStringLiteral("Text 2: %1 ").arg(m_caption2TextString));
        } else {
            t.add(QStringLiteral("No captions"));
        }
    }
    if (m_changeBorderControls) {
        if (m_showBorders && (m_showBorder1 || m_showBorder2 || m_showBorder3)) {
            QString borders = QStringLiteral("Border:");
            for (int i = 0; i < 3; ++i)
                if (showBorder(i))
                    borders += QStringLiteral(" #%1").arg(i + 1);
            t.add(borders);
        } else {
            t.add(QStringLiteral("No borders"));
        }
    }
    if (m_changeLogoControls)
        t.add(m_drawLogo ? QStringLiteral("Logo: %1 ").arg(lastPathComponent(m_logoFileName))
                         : QStringLiteral("No logo"));
    if (m_changeOtherControls) {
        bool effect = false;
        if (m_autoLevelsIsOn) {
            t.add(QStringLiteral("Autolevels: ON"));
            effect = true;
        }
        if (m_sharpenLevel > 0) {
            t.add(QStringLiteral("Sharpen: %1 ").arg(n(m_sharpenLevel)));
            effect = true;
        }
        if (m_pictureOutputMode == 3) {
            t.add(QStringLiteral("Color mode: Sepia"));
            effect = true;
        } else if (m_pictureOutputMode == 2) {
            t.add(QStringLiteral("Color mode: B/W"));
            effect = true;
        }
        if (m_pictureOutputInvert || m_pictureVerticalReflect || m_pictureHorizontalReflect) {
            QString misc = QStringLiteral("Misc:");
            if (m_pictureOutputInvert)
                misc += QStringLiteral(" Invert");
            if (m_pictureVerticalReflect)
                misc += QStringLiteral(" VR");
            if (m_pictureHorizontalReflect)
                misc += QStringLiteral(" HR");
            t.add(misc);
        } else if (!effect) {
            t.add(QStringLiteral("No Autolevels\nNo Sharpen"));
        }
    }
    return t.text;
}

} // namespace quillum
