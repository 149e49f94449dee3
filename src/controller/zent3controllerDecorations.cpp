// Captions, borders, the logo and quick resize: the setters store into the plain settings,
// announce, and render while the decoration is switched on. The rules live in decorations/.

#include "zent3controller.h"

#include "decorations/CaptionTags.h"
#include "decorations/LogoImage.h"
#include "platform/UiServices.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include <cmath>

namespace quillum {

namespace {

CaptionSettings& captionAt(DecorationSettings& d, int index)
{
    return d.captions[std::size_t(index == 1 ? 1 : 0)];
}
BorderSettings& borderAt(DecorationSettings& d, int index)
{
    return d.borders[std::size_t(std::clamp(index, 0, 2))];
}

// Opacities are fractions; a damaged settings file must not push them outside.
float fraction(float v)
{
    return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 1.0f;
}

} // namespace

// --- Master check boxes --------------------------------------------------------------------

void zent3controller::setTextCaption1Check(bool on)
{
    if (on == m_decorations.captionsOn)
        return;
    m_decorations.captionsOn = on;
    didChangeValueForKey(key::decorations);
    redrawOutput();
}

void zent3controller::setBorder1Check(bool on)
{
    if (on == m_decorations.bordersOn)
        return;
    m_decorations.bordersOn = on;
    didChangeValueForKey(key::decorations);
    redrawOutput();
}

// --- Captions ------------------------------------------------------------------------------

const CaptionSettings& zent3controller::caption(int index) const
{
    return m_decorations.captions[std::size_t(index == 1 ? 1 : 0)];
}

void zent3controller::updateZentCaptions()
{
    didChangeValueForKey(key::decorations);
    if (m_decorations.captionsOn)
        redrawOutput();
}

void zent3controller::setCaptionShown(int index, bool show)
{
    captionAt(m_decorations, index).show = show;
    updateZentCaptions();
}

void zent3controller::setCaptionTextString(int index, const QString& text)
{
    captionAt(m_decorations, index).text = text;
    updateZentCaptions();
}

void zent3controller::setCaptionFontName(int index, const QFont& font)
{
    captionAt(m_decorations, index).fontName = font.family();
    updateZentCaptions();
}

QString zent3controller::captionFontNameLabel(int index) const
{
    // What is drawn: a family that is not installed shows as the font used instead.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return caption(index).fontName;
    return QFontInfo(captionFont(caption(index).fontName, 12)).family();
}

void zent3controller::setCaptionTextColor(int index, const QColor& color)
{
    captionAt(m_decorations, index).textColor = color;
    updateZentCaptions();
}

void zent3controller::setCaptionOutlineColor(int index, const QColor& color)
{
    captionAt(m_decorations, index).outlineColor = color;
    updateZentCaptions();
}

void zent3controller::setCaptionOutlined(int index, bool outlined)
{
    captionAt(m_decorations, index).outlined = outlined;
    updateZentCaptions();
}

void zent3controller::setCaptionOpaque(int index, float opaque)
{
    captionAt(m_decorations, index).opaque = fraction(opaque);
    updateZentCaptions();
}

void zent3controller::setCaptionWidthValue(int index, float value)
{
    captionAt(m_decorations, index).widthValue = std::isfinite(value) ? value : 0.0f;
    updateZentCaptions();
}

void zent3controller::setCaptionOffsetXValue(int index, float value)
{
    captionAt(m_decorations, index).offsetXValue = std::isfinite(value) ? value : 0.0f;
    updateZentCaptions();
}

void zent3controller::setCaptionOffsetYValue(int index, float value)
{
    captionAt(m_decorations, index).offsetYValue = std::isfinite(value) ? value : 0.0f;
    updateZentCaptions();
}

void zent3controller::setCaptionLocationValue(int index, int location)
{
    captionAt(m_decorations, index).locationValue = location;
    updateZentCaptions();
}

void zent3controller::addTagToCaption(const Sender& sender)
{
    const int index = sender.tag == 1 ? 0 : 1;
    setCaptionTextString(index, captionTextAfterTagItem(caption(index).text, sender.intValue));
}

void zent3controller::resetCaption(const Sender& sender)
{
    const int index = sender.tag == 1 ? 0 : 1;
    setCaptionTextString(index, resetCaptionText(index));
}

void zent3controller::changeCaption1Font(const Sender&)
{
    if (!m_uiServices)
        return;
    if (const std::optional<QFont> chosen = m_uiServices->runFontPanel(captionFont(caption(0).fontName, 12)))
        onChangeCaption1Font(*chosen);
}

void zent3controller::changeCaption2Font(const Sender&)
{
    if (!m_uiServices)
        return;
    if (const std::optional<QFont> chosen = m_uiServices->runFontPanel(captionFont(caption(1).fontName, 12)))
        onChangeCaption2Font(*chosen);
}

void zent3controller::onChangeCaption1Font(const QFont& font)
{
    setCaption1FontName(font);
}
void zent3controller::onChangeCaption2Font(const QFont& font)
{
    setCaption2FontName(font);
}

QString zent3controller::formatZentCaption(const QString& text) const
{
    return quillum::formatZentCaption(text, m_sourcePath);
}

// --- Borders -------------------------------------------------------------------------------

const BorderSettings& zent3controller::border(int index) const
{
    return m_decorations.borders[std::size_t(std::clamp(index, 0, 2))];
}

void zent3controller::updateZentBorders()
{
    didChangeValueForKey(key::decorations);
    if (m_decorations.bordersOn)
        redrawOutput();
}

void zent3controller::setBorderShown(int index, bool show)
{
    borderAt(m_decorations, index).show = show;
    updateZentBorders();
}

void zent3controller::setBorderColor(int index, const QColor& color)
{
    borderAt(m_decorations, index).color = color;
    updateZentBorders();
}

void zent3controller::setBorderOffsetTop(int index, float value)
{
    borderAt(m_decorations, index).offsetTop = std::isfinite(value) ? value : 0.0f;
    updateZentBorders();
}

void zent3controller::setBorderOffsetBottom(int index, float value)
{
    borderAt(m_decorations, index).offsetBottom = std::isfinite(value) ? value : 0.0f;
    updateZentBorders();
}

void zent3controller::setBorderOffsetLeft(int index, float value)
{
    borderAt(m_decorations, index).offsetLeft = std::isfinite(value) ? value : 0.0f;
    updateZentBorders();
}

void zent3controller::setBorderOffsetRight(int index, float value)
{
    borderAt(m_decorations, index).offsetRight = std::isfinite(value) ? value : 0.0f;
    updateZentBorders();
}

void zent3controller::setBorderPenSize(int index, float value)
{
    borderAt(m_decorations, index).penSize = std::isfinite(value) ? value : 0.0f;
    updateZentBorders();
}

void zent3controller::setBorderPenOpaque(int index, float value)
{
    borderAt(m_decorations, index).penOpaque = fraction(value);
    updateZentBorders();
}

void zent3controller::setBorderOffset(int index, const std::array<double, 4>& rect)
{
    borderAt(m_decorations, index).offset = rect;
    updateZentBorders();
}

void zent3controller::resetBorder(int index)
{
    const BorderSettings reset = defaultBorder(index);
    // One render at the end, not one per property.
    RenderBatch batch(*this);
    setBorderShown(index, reset.show);
    setBorderOffsetTop(index, reset.offsetTop);
    setBorderOffsetBottom(index, reset.offsetBottom);
    setBorderOffsetLeft(index, reset.offsetLeft);
    setBorderOffsetRight(index, reset.offsetRight);
    setBorderPenSize(index, reset.penSize);
    setBorderPenOpaque(index, reset.penOpaque);
    setBorderColor(index, reset.color);
}

// --- Logo ----------------------------------------------------------------------------------

void zent3controller::setDrawLogo(bool on)
{
    if (on == m_decorations.logo.drawLogo)
        return;
    m_decorations.logo.drawLogo = on;
    didChangeValueForKey(key::decorations);
    redrawOutput();
}

namespace {
// Height over width of the well's image; none without a usable image.
std::optional<double> logoAspect(const QImage& image)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return std::nullopt;
    return double(image.height()) / double(image.width());
}
} // namespace

void zent3controller::setLogoWidthValue(float value)
{
    LogoSettings& l = m_decorations.logo;
    l.widthValue = value;
    const std::optional<double> aspect = logoAspect(m_logoScreen.logoImageView().image());
    if (l.proportionalResize && aspect)
        l.heightValue = float(double(value) * *aspect);
    didChangeValueForKey(key::decorations);
    if (l.drawLogo)
        redrawOutput();
}

void zent3controller::setLogoHeightValue(float value)
{
    LogoSettings& l = m_decorations.logo;
    l.heightValue = value;
    const std::optional<double> aspect = logoAspect(m_logoScreen.logoImageView().image());
    if (l.proportionalResize && aspect)
        l.widthValue = float(double(value) / *aspect);
    didChangeValueForKey(key::decorations);
    if (l.drawLogo)
        redrawOutput();
}

void zent3controller::setLogoProportionalResize(bool on)
{
    m_decorations.logo.proportionalResize = on;
    if (m_decorations.logo.widthValue > m_decorations.logo.heightValue)
        setLogoHeightValue(m_decorations.logo.heightValue);
    else
        setLogoWidthValue(m_decorations.logo.widthValue);
}

void zent3controller::setLogoOffsetXValue(float value)
{
    m_decorations.logo.offsetXValue = value;
    didChangeValueForKey(key::decorations);
    if (m_decorations.logo.drawLogo)
        redrawOutput();
}

void zent3controller::setLogoOffsetYValue(float value)
{
    m_decorations.logo.offsetYValue = value;
    didChangeValueForKey(key::decorations);
    if (m_decorations.logo.drawLogo)
        redrawOutput();
}

void zent3controller::setLogoLocationValue(int location)
{
    m_decorations.logo.locationValue = location;
    didChangeValueForKey(key::decorations);
    if (m_decorations.logo.drawLogo)
        redrawOutput();
}

void zent3controller::setLogoOpaqueValue(float value)
{
    m_decorations.logo.opaqueValue = fraction(value);
    didChangeValueForKey(key::decorations);
    if (m_decorations.logo.drawLogo)
        redrawOutput();
}

void zent3controller::adjustLogoSizes(const Notification&)
{
    const LogoSettings& l = m_decorations.logo;
    if ((l.widthValue < 0.01f && l.heightValue < 0.01f) || std::isnan(l.widthValue) || std::isnan(l.heightValue)) {
        setLogoHeightValue(10.0f);
        setLogoWidthValue(10.0f);
    }
    setLogoProportionalResize(l.proportionalResize);
    didChangeValueForKey(key::logoImage);
}

void zent3controller::setDroppedLogoFileName(const Notification&)
{
    m_logoScreen.setLogoImageFile(m_logoScreen.logoImageView().imageName());
    didChangeValueForKey(key::logoImage);
}

void zent3controller::resetLogo(const Sender&)
{
    RenderBatch batch(*this);
    m_logoScreen.logoImageView().setImage(sampleLogoImage());
    m_logoScreen.setLogoImageFile(kSampleLogoName);
    LogoSettings& l = m_decorations.logo;
    l.proportionalResize = true;
    l.offsetXValue = 2.0f;
    l.offsetYValue = 2.0f;
    l.locationValue = 8;
    l.opaqueValue = 1.0f;
    l.widthValue = 10.0f;
    setLogoHeightValue(10.0f);
    didChangeValueForKey(key::logoImage);
    redrawOutput();
}

bool zent3controller::openLogoFile(const QString& path)
{
    QString why;
    const bool opened = m_logoScreen.loadLogoImage(path, &why);
    didChangeValueForKey(key::logoImage);
    if (opened)
        return true;
    setDrawLogo(false);
    if (m_uiServices)
        m_uiServices->runAlert(QStringLiteral("The logo was not opened"), why, { QStringLiteral("OK") });
    return false;
}

void zent3controller::loadLogoImage(const Sender&)
{
    if (!m_uiServices)
        return;
    const QString path = m_uiServices->runLogoOpenPanel();
    if (!path.isEmpty())
        openLogoFile(path);
}

bool zent3controller::dropFilesOnLogoWell(const QStringList& fileNames)
{
    QString why;
    if (m_logoScreen.logoImageView().performDragOperation(fileNames, &why))
        return true;
    m_logoScreen.clearLogoImage();
    didChangeValueForKey(key::logoImage);
    setDrawLogo(false);
    if (m_uiServices)
        m_uiServices->runAlert(QStringLiteral("The logo was not opened"), why, { QStringLiteral("OK") });
    return false;
}

void zent3controller::clearLogoImage(const Sender&)
{
    m_logoScreen.clearLogoImage();
    didChangeValueForKey(key::logoImage);
}

// --- Quick resize --------------------------------------------------------------------------

void zent3controller::quickResizeWidth(const Notification&)
{
    const auto [w, h] = m_resizerController.resizedSize();
    // Straight assignments: the setters' own side effects (resetting the choice, rendering)
    // would undo the choice; the frame's notification below renders once.
    if (w > 0) {
        m_outputWidthIsFixed = true;
        m_outputWidthVal = int(w);
        didChangeValueForKey(key::outputWidthIsFixed);
        didChangeValueForKey(key::outputWidthVal);
    } else if (w < 0 && !m_outputWidthIsFixed) {
        m_outputWidthIsFixed = true;
        didChangeValueForKey(key::outputWidthIsFixed);
    } else if (w == 0 && m_outputWidthIsFixed) {
        m_outputWidthIsFixed = false;
        didChangeValueForKey(key::outputWidthIsFixed);
    }
    if (h > 0) {
        m_outputHeightIsFixed = true;
        m_outputHeighVal = int(h);
        didChangeValueForKey(key::outputHeightIsFixed);
        didChangeValueForKey(key::outputHeighVal);
    } else if (h < 0 && !m_outputHeightIsFixed) {
        m_outputHeightIsFixed = true;
        didChangeValueForKey(key::outputHeightIsFixed);
    } else if (h == 0 && m_outputHeightIsFixed) {
        m_outputHeightIsFixed = false;
        didChangeValueForKey(key::outputHeightIsFixed);
    }
    m_leftPanel.adjustSelectionAspectWithNotification(true);
    m_leftPanel.setNeedsDisplay();
}

void zent3controller::chooseQuickResizeWidth(int choice)
{
    m_resizerController.setWCase(choice);
    didChangeValueForKey(key::quickResizeWidthCase);
    quickResizeWidth();
}

void zent3controller::chooseQuickResizeHeight(int choice)
{
    m_resizerController.setHCase(choice);
    didChangeValueForKey(key::quickResizeHeightCase);
    quickResizeWidth();
}

bool zent3controller::resetQuickResizeSizes(const Sender&)
{
    if (!m_uiServices)
        return false;
    const AlertButton answer = m_uiServices->runAlert(QStringLiteral("Reset values to defaults"),
        QStringLiteral("All sizes will be returned to their default values:\n50, 100, 150, 200, 250, 300, 400, 500, "
                       "600, 700\nAre you Sure?"),
        { QStringLiteral("Reset"), QStringLiteral("Cancel") });
    if (answer != AlertButton::First)
        return false;
    m_resizerController.resetToDefaults();
    didChangeValueForKey(key::quickResizeSizes);
    return true;
}

} // namespace quillum
