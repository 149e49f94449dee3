// Preferences: every setting read from the store at start, written back at quit, and the
// preferences window. Values go through their setters, so each setter's own range rules
// apply to whatever the file held.

#include "zent3controller.h"

#include "platform/UiServices.h"
#include "platform/WindowPosition.h"
#include "presets/SettingsKeys.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>

#include <cstdio>

namespace quillum {

namespace {

QString stored(const char* name)
{
    return QString::fromLatin1(name);
}

QString standardInterfaceFontName()
{
    // Without a GUI application (the command line) there is no font database to ask.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QStringLiteral("Sans Serif");
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

// The frames the set-up panels keep under their names.
struct PanelFrame {
    WindowId window;
    const char* name;
};
constexpr PanelFrame kPanelFrames[] = {
    { WindowId::Resizer, setting::resizerWindowFrameName },
    { WindowId::CaptionSetup, setting::captionSetupWindowFrameName },
    { WindowId::BorderSetup, setting::borderSetupWindowFrameName },
    { WindowId::LogoSetup, setting::logoSetupWindowFrameName },
};

bool intersects(const Rect& a, const Rect& b)
{
    return a.x < b.maxX() && b.x < a.maxX() && a.y < b.maxY() && b.y < a.maxY();
}

QString quickResizeKey(char side, int index)
{
    return QStringLiteral("resizerController%1%2").arg(QLatin1Char(side)).arg(index, 2, 10, QLatin1Char('0'));
}

// The per-border and per-caption keys, in the order they are read and written.
constexpr std::array<std::array<const char*, 7>, 3> kBorderKeys { {
    { setting::ShowBorder1, setting::Border1OffsetTop, setting::Border1OffsetBottom, setting::Border1OffsetLeft,
        setting::Border1OffsetRight, setting::Border1PenSize, setting::Border1PenOpaque },
    { setting::ShowBorder2, setting::Border2OffsetTop, setting::Border2OffsetBottom, setting::Border2OffsetLeft,
        setting::Border2OffsetRight, setting::Border2PenSize, setting::Border2PenOpaque },
    { setting::ShowBorder3, setting::Border3OffsetTop, setting::Border3OffsetBottom, setting::Border3OffsetLeft,
        setting::Border3OffsetRight, setting::Border3PenSize, setting::Border3PenOpaque },
} };
constexpr std::array<std::array<const char*, 9>, 2> kCaptionKeys { {
    { setting::ShowCaption1, setting::Caption1Text, setting::Caption1YOffset, setting::Caption1Size,
        setting::Caption1XOffset, setting::Caption1Layout, setting::Caption1Outlined, setting::Caption1Opaque,
        setting::Caption1FontName },
    { setting::ShowCaption2, setting::Caption2Text, setting::Caption2YOffset, setting::Caption2Size,
        setting::Caption2XOffset, setting::Caption2Layout, setting::Caption2Outlined, setting::Caption2Opaque,
        setting::Caption2FontName },
} };

} // namespace

void zent3controller::setUserDefaults(UserDefaults* defaults)
{
    if (!defaults) {
        if (!m_ownUserDefaults)
            m_ownUserDefaults = std::make_unique<UserDefaults>();
        defaults = m_ownUserDefaults.get();
    }
    m_userDefaults = defaults;
    m_userDefaults->registerDefaults(setting::registeredDefaults(QDir::homePath(), standardInterfaceFontName()));
}

void zent3controller::defaultsRead()
{
    UserDefaults& d = *m_userDefaults;
    // Everything below renders at most once, at the end.
    RenderBatch batch(*this);
    m_shiftWasDownAtStart = m_uiServices && m_uiServices->shiftKeyIsDown();

    setRecentImages(d.arrayForKey(stored(setting::ZentRecentImagesArray)));
    setRecentInFolders(d.arrayForKey(stored(setting::ZentRecentInPathArray)));
    setRecentOutFolders(d.arrayForKey(stored(setting::ZentRecentOutPathArray)));
    readPresetLibrary(d);
    validateRecentMenus();

    setCurrentOutputFileType(imageFileTypeFromIndex(d.integerForKey(stored(setting::OutputFileTypeInteger))));
    setOutputWidthIsFixed(d.boolForKey(stored(setting::FixedOutputWidthFlag)));
    setOutputWidthVal(d.integerForKey(stored(setting::OutputWidthInteger)));
    setOutputHeightIsFixed(d.boolForKey(stored(setting::FixedOutputHeightFlag)));
    setOutputHeighVal(d.integerForKey(stored(setting::OutputHeightInteger)));
    setAutoLevelsIsOn(d.boolForKey(stored(setting::OutputAutolevelsFlag)));
    // A stored NO leaves the check boxes as the window starts them.
    if (d.boolForKey(stored(setting::OutputText1Flag)))
        setTextCaption1Check(true);
    if (d.boolForKey(stored(setting::OutputBordersFlag)))
        setBorder1Check(true);

    // Held Shift: this run does not reopen the last picture, and says so at quit.
    setOpenLastFileOnAppLaunch(!m_shiftWasDownAtStart && d.boolForKey(stored(setting::OpenLastFileOnAppLaunch)));

    const QString home = QDir::homePath();
    setCurrentInputPath(d.stringForKey(stored(setting::InputFolderString)).value_or(home));
    setCurrentOutputPath(d.stringForKey(stored(setting::OutputFolderString)).value_or(home));
    setCurrentSpecialOutputPath(d.stringForKey(stored(setting::OutputSpecialFolderString)).value_or(home));
    setCurrentJpegQuality(d.integerForKey(stored(setting::JpegQualityInteger)));
    setCurrentSaveWithMetadata(d.boolForKey(stored(setting::OutputSaveWithEXIF)));
    setCurrentSavingLandscape(d.boolForKey(stored(setting::OutputSavingLandscpe)));
    setLosslessWhenPossible(d.boolForKey(stored(setting::LosslessWhenPossible)));
    setOnOpeningMaxAndNewAspectControl(d.boolForKey(stored(setting::OnOpeningMaxAndNewAspect)));
    setNoTransparencyChannel(d.boolForKey(stored(setting::NoTransparencyChannel)));
    setOutputFileRule(d.integerForKey(stored(setting::OutputFileRuleInteger)));
    setCurrentOutputFileName(d.stringForKey(stored(setting::LastSavedFileNameString)).value_or(QString()));
    setInitialCustomOutputFileName(d.stringForKey(stored(setting::InitialCustomOutputFileName)).value_or(QString()));

    // An unknown guide type (a damaged file) falls back to the thirds.
    const int guides = d.integerForKey(stored(setting::CompositionGuidesType));
    compositionGuidesTo(guides >= 0 && guides <= kLastCompositionGuideType ? guides : 1);
    setCropperStyle(d.integerForKey(stored(setting::ZentCroppingFrameStyle)));
    setGuidesStyle(d.integerForKey(stored(setting::CompositionGuidesStyle)));
    setCustomLineColor(d.colorForKey(stored(setting::CompositionGuidesColor)).value_or(QColor(Qt::blue)));

    setOnOpeningMaximizeSelection(d.integerForKey(stored(setting::OnFileOpeningMaximize)));
    setOnOpeningMargine(d.floatForKey(stored(setting::OnFileOpeningMargin)));
    setPlaySoundOnSave(d.boolForKey(stored(setting::PlaySoundOnSave)));
    setAdvanceToNextOnCrop(d.boolForKey(stored(setting::AdvanceToNextOnCrop)));
    setUseEXIfRotation(d.boolForKey(stored(setting::UseEXIfRotation)));

    readDecorations(d);

    if (m_uiServices) {
        // The main window: never stored (all below 1) keeps its designed frame; a frame
        // stored on a screen that is gone comes back onto the main screen.
        const Rect current = m_uiServices->windowFrame(WindowId::Main);
        const double x = d.floatForKey(stored(setting::ZentMainScreenOriginX));
        const double y = d.floatForKey(stored(setting::ZentMainScreenOriginY));
        const double w = d.floatForKey(stored(setting::ZentMainScreenSizeWidth));
        const double h = d.floatForKey(stored(setting::ZentMainScreenSizeHeight));
        if (!(x < 1.0 && y < 1.0 && w < 1.0 && h < 1.0)) {
            Rect frame { std::max(0.0, x), std::max(0.0, y), w >= 1.0 ? w : current.width,
                h >= 1.0 ? h : current.height };
            bool onScreen = false;
            for (const Rect& screen : m_uiServices->screenFrames())
                onScreen |= intersects(frame, screen);
            if (!onScreen)
                frame = validatePosition(frame, m_uiServices->mainScreenSize()).frame;
            m_uiServices->setWindowFrame(WindowId::Main, frame);
        }
        const double left = d.floatForKey(stored(setting::ZentMainScreenLeftPicWidth));
        const double right = d.floatForKey(stored(setting::ZentMainScreenRightPicWidth));
        m_uiServices->setPanelWidths(left > 20.0 ? left : 0.0, right > 20.0 ? right : 0.0);
        for (const PanelFrame& panel : kPanelFrames)
            if (const std::optional<Rect> frame = d.frameUsingName(stored(panel.name)))
                m_uiServices->setWindowFrame(panel.window, *frame);
    }

    for (int i = 1; i <= PkResizerScreen::kCount; ++i)
        m_resizerController.setW(i, d.integerForKey(quickResizeKey('W', i)));
    for (int i = 1; i <= PkResizerScreen::kCount; ++i)
        m_resizerController.setH(i, d.integerForKey(quickResizeKey('H', i)));
    didChangeValueForKey(key::quickResizeSizes);
}

void zent3controller::readDecorations(const UserDefaults& d)
{
    using namespace setting;
    const char* const colors[] = { Border1Color, Border2Color, Border3Color };
    for (int i = 0; i < 3; ++i)
        setBorderColor(i, d.colorForKey(stored(colors[i])).value_or(defaultBorder(i).color));
    for (int i = 0; i < 3; ++i) {
        const auto& k = kBorderKeys[std::size_t(i)];
        setBorderShown(i, d.boolForKey(stored(k[0])));
        setBorderOffsetTop(i, d.floatForKey(stored(k[1])));
        setBorderOffsetBottom(i, d.floatForKey(stored(k[2])));
        setBorderOffsetLeft(i, d.floatForKey(stored(k[3])));
        setBorderOffsetRight(i, d.floatForKey(stored(k[4])));
        setBorderPenSize(i, d.floatForKey(stored(k[5])));
        setBorderPenOpaque(i, d.floatForKey(stored(k[6])));
    }
    for (int i = 0; i < 2; ++i) {
        const auto& k = kCaptionKeys[std::size_t(i)];
        setCaptionShown(i, d.boolForKey(stored(k[0])));
        setCaptionTextString(i, d.stringForKey(stored(k[1])).value_or(QString()));
        setCaptionOffsetYValue(i, d.floatForKey(stored(k[2])));
        setCaptionWidthValue(i, d.floatForKey(stored(k[3])));
        setCaptionOffsetXValue(i, d.floatForKey(stored(k[4])));
        setCaptionLocationValue(i, d.integerForKey(stored(k[5])));
        setCaptionOutlined(i, d.boolForKey(stored(k[6])));
        setCaptionOpaque(i, d.floatForKey(stored(k[7])));
    }
    // A font that is not installed (any more) reads as the standard interface font.
    for (int i = 0; i < 2; ++i)
        setCaptionFontName(
            i, captionFont(d.stringForKey(stored(kCaptionKeys[std::size_t(i)][8])).value_or(QString()), 12));
    setCaptionTextColor(0, d.colorForKey(stored(Caption1TextColor)).value_or(QColor(Qt::white)));
    setCaptionOutlineColor(0, d.colorForKey(stored(Caption1OutlineColor)).value_or(QColor(Qt::black)));
    setCaptionTextColor(1, d.colorForKey(stored(Caption2TextColor)).value_or(QColor(Qt::white)));
    setCaptionOutlineColor(1, d.colorForKey(stored(Caption2OutlineColor)).value_or(QColor(Qt::black)));

    setDrawLogo(d.boolForKey(stored(ShowLogoImage)));
    const QString logoName = d.stringForKey(stored(LlogoFileName)).value_or(QString());
    setLogoFileName(logoName);
    m_logoScreen.setLogoImageFile(logoName);
    // A logo that cannot be read any more turns the logo off; said at start only when it
    // was meant to be drawn.
    QString why;
    if (logoName.isEmpty())
        m_logoScreen.logoImageView().setImage({});
    else if (!m_logoScreen.openLogoImageFile(logoName, &why) && drawLogo() && m_uiServices)
        m_uiServices->runAlert(QStringLiteral("The logo was not opened"), why, { QStringLiteral("OK") });
    if (!m_logoScreen.logoImageView().hasImage())
        setDrawLogo(false);
    didChangeValueForKey(key::logoImage);
    setLogoWidthValue(d.floatForKey(stored(LogoWidthValue)));
    setLogoHeightValue(d.floatForKey(stored(LogoHeightValue)));
    setLogoProportionalResize(d.boolForKey(stored(LogoProportionalResize)));
    setLogoOffsetXValue(d.floatForKey(stored(LogoOffsetXValue)));
    setLogoOffsetYValue(d.floatForKey(stored(LogoOffsetYValue)));
    setLogoLocationValue(d.integerForKey(stored(LogoLocationValue)));
    setLogoOpaqueValue(d.floatForKey(stored(LogoOpaqueValue)));
}

void zent3controller::writeDecorations(UserDefaults& d) const
{
    using namespace setting;
    d.setColor(stored(Border1Color), border(0).color);
    d.setColor(stored(Border2Color), border(1).color);
    d.setColor(stored(Border3Color), border(2).color);
    for (int i = 0; i < 3; ++i) {
        const auto& k = kBorderKeys[std::size_t(i)];
        const BorderSettings& b = border(i);
        d.setBool(stored(k[0]), b.show);
        d.setFloat(stored(k[1]), b.offsetTop);
        d.setFloat(stored(k[2]), b.offsetBottom);
        d.setFloat(stored(k[3]), b.offsetLeft);
        d.setFloat(stored(k[4]), b.offsetRight);
        d.setFloat(stored(k[5]), b.penSize);
        d.setFloat(stored(k[6]), b.penOpaque);
    }
    for (int i = 0; i < 2; ++i) {
        const auto& k = kCaptionKeys[std::size_t(i)];
        const CaptionSettings& c = caption(i);
        d.setBool(stored(k[0]), c.show);
        d.setString(stored(k[1]), c.text);
        d.setFloat(stored(k[2]), c.offsetYValue);
        d.setFloat(stored(k[3]), c.widthValue);
        d.setFloat(stored(k[4]), c.offsetXValue);
        d.setInteger(stored(k[5]), c.locationValue);
        d.setBool(stored(k[6]), c.outlined);
        d.setFloat(stored(k[7]), c.opaque);
        d.setString(stored(k[8]), c.fontName);
    }
    d.setColor(stored(Caption1TextColor), caption(0).textColor);
    d.setColor(stored(Caption1OutlineColor), caption(0).outlineColor);
    d.setColor(stored(Caption2TextColor), caption(1).textColor);
    d.setColor(stored(Caption2OutlineColor), caption(1).outlineColor);

    const LogoSettings& l = logo();
    d.setBool(stored(ShowLogoImage), l.drawLogo);
    d.setString(stored(LlogoFileName), m_logoScreen.logoImageFile());
    d.setFloat(stored(LogoWidthValue), l.widthValue);
    d.setFloat(stored(LogoHeightValue), l.heightValue);
    d.setBool(stored(LogoProportionalResize), l.proportionalResize);
    d.setFloat(stored(LogoOffsetXValue), l.offsetXValue);
    d.setFloat(stored(LogoOffsetYValue), l.offsetYValue);
    d.setInteger(stored(LogoLocationValue), l.locationValue);
    d.setFloat(stored(LogoOpaqueValue), l.opaqueValue);
}

bool zent3controller::defaultsWrite()
{
    UserDefaults& d = *m_userDefaults;
    d.setArray(stored(setting::ZentRecentImagesArray), m_recentImages);
    d.setArray(stored(setting::ZentRecentInPathArray), m_recentInFolders);
    d.setArray(stored(setting::ZentRecentOutPathArray), m_recentOutFolders);

    d.setInteger(stored(setting::OutputFileTypeInteger), imageFileTypeIndex(m_currentOutputFileType));
    d.setInteger(stored(setting::OutputWidthInteger), m_outputWidthVal);
    d.setBool(stored(setting::FixedOutputWidthFlag), m_outputWidthIsFixed);
    d.setInteger(stored(setting::OutputHeightInteger), m_outputHeighVal);
    d.setBool(stored(setting::FixedOutputHeightFlag), m_outputHeightIsFixed);
    d.setBool(stored(setting::OutputAutolevelsFlag), m_autoLevelsIsOn);
    d.setBool(stored(setting::OutputText1Flag), m_decorations.captionsOn);
    d.setBool(stored(setting::OutputBordersFlag), m_decorations.bordersOn);

    d.setBool(stored(setting::OpenLastFileOnAppLaunch), m_openLastFileOnAppLaunch);
    d.setString(stored(setting::InputFolderString), currentInputPath());
    d.setString(stored(setting::OutputFolderString), currentOutputPath());
    d.setString(stored(setting::OutputSpecialFolderString), currentSpecialOutputPath());
    d.setInteger(stored(setting::JpegQualityInteger), m_currentJpegQuality);
    d.setBool(stored(setting::OutputSavingLandscpe), m_currentSavingLandscape);
    d.setBool(stored(setting::OnOpeningMaxAndNewAspect), m_onOpeningMaxAndNewAspectControl);
    d.setBool(stored(setting::NoTransparencyChannel), m_noTransparencyChannel);
    d.setBool(stored(setting::OutputSaveWithEXIF), m_currentSaveWithMetadata);
    d.setBool(stored(setting::LosslessWhenPossible), m_losslessWhenPossible);
    d.setInteger(stored(setting::OutputFileRuleInteger), m_outputFileRule);
    // The name as the field shows it, typing not yet committed included.
    if (m_uiServices)
        m_uiServices->commitEditing();
    d.setString(stored(setting::LastSavedFileNameString), m_currentOutputFileName);
    d.setString(stored(setting::InitialCustomOutputFileName), m_initialCustomOutputFileName);

    d.setInteger(stored(setting::CompositionGuidesType), m_leftPanel.selRect()->compositionGudes());
    d.setInteger(stored(setting::ZentCroppingFrameStyle), cropperStyle());
    d.setInteger(stored(setting::CompositionGuidesStyle), guidesStyle());
    d.setColor(stored(setting::CompositionGuidesColor), customLineColor());

    d.setInteger(stored(setting::OnFileOpeningMaximize), m_onOpeningMaximizeSelection);
    d.setFloat(stored(setting::OnFileOpeningMargin), m_onOpeningMargine);
    d.setBool(stored(setting::PlaySoundOnSave), m_playSoundOnSave);
    d.setBool(stored(setting::AdvanceToNextOnCrop), m_advanceToNextOnCrop);
    d.setBool(stored(setting::UseEXIfRotation), m_useEXIfRotation);

    writeDecorations(d);

    const Rect frame = m_uiServices ? m_uiServices->windowFrame(WindowId::Main) : Rect {};
    d.setFloat(stored(setting::ZentMainScreenSizeWidth), float(frame.width));
    d.setFloat(stored(setting::ZentMainScreenSizeHeight), float(frame.height));
    d.setFloat(stored(setting::ZentMainScreenOriginX), float(frame.x));
    d.setFloat(stored(setting::ZentMainScreenOriginY), float(frame.y));
    const auto [left, right] = m_uiServices ? m_uiServices->panelWidths() : std::pair { 0.0, 0.0 };
    d.setFloat(stored(setting::ZentMainScreenLeftPicWidth), float(left));
    d.setFloat(stored(setting::ZentMainScreenRightPicWidth), float(right));
    if (m_uiServices)
        for (const PanelFrame& panel : kPanelFrames) {
            const Rect panelFrame = m_uiServices->windowFrame(panel.window);
            if (!panelFrame.isEmpty())
                d.saveFrameUsingName(stored(panel.name), panelFrame);
        }

    for (int i = 1; i <= PkResizerScreen::kCount; ++i)
        d.setInteger(quickResizeKey('W', i), m_resizerController.w(i));
    for (int i = 1; i <= PkResizerScreen::kCount; ++i)
        d.setInteger(quickResizeKey('H', i), m_resizerController.h(i));

    d.setData(stored(setting::ZentMySavedPresetsArray), archivedPresetLibrary(m_mySavedPresets.entries()));

    if (m_defaultsWriter)
        m_defaultsWriter();
    const Status written = d.synchronize();
    if (written)
        return true;
    std::fprintf(stderr, "Quillum: %s\n", qPrintable(written.error()));
    if (m_uiServices && !m_toldSettingsCannotBeSaved)
        m_uiServices->runAlert(
            QStringLiteral("The settings were not saved"), written.error(), { QStringLiteral("OK") });
    m_toldSettingsCannotBeSaved = true;
    return false;
}

void zent3controller::checkSettingsCanBeSaved()
{
    if (m_toldSettingsCannotBeSaved)
        return;
    const Status writable = m_userDefaults->checkWritable();
    if (writable)
        return;
    m_toldSettingsCannotBeSaved = true;
    std::fprintf(stderr, "Quillum: %s\n", qPrintable(writable.error()));
    if (m_uiServices)
        m_uiServices->runAlert(QStringLiteral("Settings cannot be saved"),
            writable.error() + QStringLiteral(" Quillum works as usual but will not remember changes."),
            { QStringLiteral("OK") });
}

void zent3controller::showPreferencesPanel(const Sender&)
{
    if (m_uiServices)
        m_uiServices->bringWindowForward(WindowId::Preferences, false);
}

void zent3controller::thePreferencesSheetOK(const Sender&)
{
    if (m_uiServices)
        m_uiServices->orderWindowOut(WindowId::Preferences);
}

void zent3controller::thePreferencesSheetCancel(const Sender&)
{
    if (m_uiServices)
        m_uiServices->orderWindowOut(WindowId::Preferences);
}

void zent3controller::setCropperStyle(int style)
{
    m_leftPanel.selRect()->setBorderStyle(style);
    didChangeValueForKey(key::cropperStyle);
    requestLeftPanelRedraw();
}

void zent3controller::setGuidesStyle(int style)
{
    m_leftPanel.selRect()->setGuidesStyle(style >= 0 && style <= 2 ? style : 0);
    didChangeValueForKey(key::guidesStyle);
    requestLeftPanelRedraw();
}

void zent3controller::setCustomLineColor(const QColor& color)
{
    m_leftPanel.selRect()->setCustomLineColor(color.isValid() ? color : QColor(Qt::blue));
    didChangeValueForKey(key::customLineColor);
    requestLeftPanelRedraw();
}

} // namespace quillum
