#pragma once
// One preset: a snapshot of the output settings plus five "remember" flags that say which
// groups applying it restores. A plain value; the controller captures and applies it, the
// archive (PresetArchive.h) stores it under the field names below, in this order.

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>

namespace quillum {

using PresetRect = std::array<double, 4>; // x, y, width, height

// How a field is coded in the archive.
enum class PresetFieldKind { String, Int64, Int32, Bool, Float, Rect, Color };

// Every field in archive order: type, name, setter suffix, kind.
#define QUILLUM_PRESET_BORDER_FIELDS(X, N)                                                                             \
    X(bool, showBorder##N, ShowBorder##N, Bool)                                                                        \
    X(QColor, border##N##Color, Border##N##Color, Color)                                                               \
    X(PresetRect, border##N##Offset, Border##N##Offset, Rect)                                                          \
    X(float, border##N##OffsetTop, Border##N##OffsetTop, Float)                                                        \
    X(float, border##N##OffsetBottom, Border##N##OffsetBottom, Float)                                                  \
    X(float, border##N##OffsetLeft, Border##N##OffsetLeft, Float)                                                      \
    X(float, border##N##OffsetRight, Border##N##OffsetRight, Float)                                                    \
    X(float, border##N##PenSize, Border##N##PenSize, Float)                                                            \
    X(float, border##N##PenOpaque, Border##N##PenOpaque, Float)
#define QUILLUM_PRESET_CAPTION_FIELDS(X, N)                                                                            \
    X(bool, showCaption##N, ShowCaption##N, Bool)                                                                      \
    X(QColor, caption##N##TextColor, Caption##N##TextColor, Color)                                                     \
    X(QColor, caption##N##OutlineColor, Caption##N##OutlineColor, Color)                                               \
    X(float, caption##N##TransparencyValue, Caption##N##TransparencyValue, Float)                                      \
    X(float, caption##N##WidthValue, Caption##N##WidthValue, Float)                                                    \
    X(float, caption##N##OffsetXValue, Caption##N##OffsetXValue, Float)                                                \
    X(float, caption##N##OffsetYValue, Caption##N##OffsetYValue, Float)                                                \
    X(std::int32_t, caption##N##LocationValue, Caption##N##LocationValue, Int32)                                       \
    X(QString, caption##N##TextString, Caption##N##TextString, String)                                                 \
    X(bool, caption##N##Outlined, Caption##N##Outlined, Bool)                                                          \
    X(float, caption##N##Opaque, Caption##N##Opaque, Float)
#define QUILLUM_PRESET_FIELDS(X)                                                                                       \
    X(QString, name, Name, String)                                                                                     \
    X(std::int64_t, aspectX, AspectX, Int64)                                                                           \
    X(std::int64_t, aspectY, AspectY, Int64)                                                                           \
    X(std::int64_t, fixedsizeX, FixedsizeX, Int64)                                                                     \
    X(std::int64_t, fixedsizeY, FixedsizeY, Int64)                                                                     \
    X(std::int64_t, outputFileType, OutputFileType, Int64)                                                             \
    X(std::int64_t, jpegQuality, JpegQuality, Int64)                                                                   \
    X(std::int64_t, outputFileRule, OutputFileRule, Int64)                                                             \
    X(QString, outputFileNameField, OutputFileNameField, String)                                                       \
    X(QString, initialCustomOutputFileName, InitialCustomOutputFileName, String)                                       \
    X(bool, noTransparencyChannel, NoTransparencyChannel, Bool)                                                        \
    X(bool, saveWithMetadata, SaveWithMetadata, Bool)                                                                  \
    X(bool, autoLevelsIsOn, AutoLevelsIsOn, Bool)                                                                      \
    X(bool, changeSizeControls, ChangeSizeControls, Bool)                                                              \
    X(bool, changeTextControls, ChangeTextControls, Bool)                                                              \
    X(bool, changeBorderControls, ChangeBorderControls, Bool)                                                          \
    X(bool, changeLogoControls, ChangeLogoControls, Bool)                                                              \
    X(bool, changeOtherControls, ChangeOtherControls, Bool)                                                            \
    X(std::int64_t, pictureOutputMode, PictureOutputMode, Int64)                                                       \
    X(bool, pictureOutputInvert, PictureOutputInvert, Bool)                                                            \
    X(bool, pictureVerticalReflect, PictureVerticalReflect, Bool)                                                      \
    X(bool, pictureHorizontalReflect, PictureHorizontalReflect, Bool)                                                  \
    X(float, rotationAngle, RotationAngle, Float)                                                                      \
    X(std::int64_t, sharpenLevel, SharpenLevel, Int64)                                                                 \
    X(bool, fixedAspect, FixedAspect, Bool)                                                                            \
    X(bool, fixedWidth, FixedWidth, Bool)                                                                              \
    X(bool, fixedHeight, FixedHeight, Bool)                                                                            \
    X(bool, showBorders, ShowBorders, Bool)                                                                            \
    QUILLUM_PRESET_BORDER_FIELDS(X, 1)                                                                                 \
    QUILLUM_PRESET_BORDER_FIELDS(X, 2)                                                                                 \
    QUILLUM_PRESET_BORDER_FIELDS(X, 3)                                                                                 \
    X(bool, showTextCaptions, ShowTextCaptions, Bool)                                                                  \
    X(QString, caption1FontName, Caption1FontName, String)                                                             \
    X(QString, caption2FontName, Caption2FontName, String)                                                             \
    QUILLUM_PRESET_CAPTION_FIELDS(X, 1)                                                                                \
    QUILLUM_PRESET_CAPTION_FIELDS(X, 2)                                                                                \
    X(bool, drawLogo, DrawLogo, Bool)                                                                                  \
    X(QString, logoFileName, LogoFileName, String)                                                                     \
    X(float, logoWidthValue, LogoWidthValue, Float)                                                                    \
    X(float, logoHeightValue, LogoHeightValue, Float)                                                                  \
    X(bool, logoProportionalResize, LogoProportionalResize, Bool)                                                      \
    X(float, logoOffsetXValue, LogoOffsetXValue, Float)                                                                \
    X(float, logoOffsetYValue, LogoOffsetYValue, Float)                                                                \
    X(std::int32_t, logoLocationValue, LogoLocationValue, Int32)                                                       \
    X(float, logoOpaqueValue, LogoOpaqueValue, Float)

class ZentFullPresetRec {
public:
    // Every field zero, NO, empty or without a colour, except aspectY 1 and colour mode 1.
    ZentFullPresetRec();
    // Every field zero, NO, empty or without a colour: what a decoder starts from.
    static ZentFullPresetRec blank();

#define QUILLUM_PRESET_ACCESSORS(T, name, Name, kind)                                                                  \
    const T& name() const                                                                                              \
    {                                                                                                                  \
        return m_##name;                                                                                               \
    }                                                                                                                  \
    void set##Name(const T& v)                                                                                         \
    {                                                                                                                  \
        m_##name = v;                                                                                                  \
    }
    QUILLUM_PRESET_FIELDS(QUILLUM_PRESET_ACCESSORS)
#undef QUILLUM_PRESET_ACCESSORS

    // Indexed views of the numbered groups (border 0–2, caption 0–1).
    bool showBorder(int i) const
    {
        return i == 0 ? m_showBorder1 : i == 1 ? m_showBorder2 : m_showBorder3;
    }
    bool showCaption(int i) const
    {
        return i == 0 ? m_showCaption1 : m_showCaption2;
    }
    const QString& captionTextString(int i) const
    {
        return i == 0 ? m_caption1TextString : m_caption2TextString;
    }

    // "name - Ratio x : y  Size w x h" and its shorter forms.
    QString description() const;
    // A short proposal built from the remembered groups, or "New preset".
    QString suggestedName() const;
    // One line per remembered group; empty when nothing is remembered.
    QString technicalDescription() const;

    bool operator==(const ZentFullPresetRec& other) const;
    bool operator!=(const ZentFullPresetRec& other) const
    {
        return !(*this == other);
    }

    // The field names, in archive order.
    static const std::array<const char*, 89>& fieldNames();

private:
    struct BlankTag { };
    explicit ZentFullPresetRec(BlankTag)
    { }

#define QUILLUM_PRESET_MEMBER(T, name, Name, kind) T m_##name {};
    QUILLUM_PRESET_FIELDS(QUILLUM_PRESET_MEMBER)
#undef QUILLUM_PRESET_MEMBER
};

} // namespace quillum
