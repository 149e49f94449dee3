// MyPresets: capturing the output settings as a preset, applying a preset's remembered
// groups, the Presets menu, the naming sheet, the presets panel and preset files. The
// library's own rules (default set, drag rule, archive, files) are in presets/.

#include "zent3controller.h"

#include "platform/UiServices.h"
#include "presets/SettingsKeys.h"

#include <QFileInfo>

#include <climits>
#include <cstdio>

namespace quillum {

namespace {

const QString kSeparatorRowText = QStringLiteral("------- Separator line --------");

int clampedInt(std::int64_t v)
{
    return int(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

QString presetsKey()
{
    return QString::fromLatin1(setting::ZentMySavedPresetsArray);
}

} // namespace

// --- The library and the menu ------------------------------------------------------------

void zent3controller::setMySavedPresets(PresetList entries)
{
    m_mySavedPresets.setEntries(std::move(entries));
    presetLibraryChanged();
}

void zent3controller::presetLibraryChanged()
{
    // The selection may point past the end now; the panel keeps no stale row.
    if (m_myPresetsPanel.selectedRow >= m_mySavedPresets.size())
        tableViewSelectionDidChange(-1);
    didChangeValueForKey(key::mySavedPresets);
    remakePresetMenu();
}

void zent3controller::remakePresetMenu()
{
    const Size screen = m_uiServices ? m_uiServices->mainScreenSize() : Size {};
    MenuModel menu;
    for (PresetMenuEntry& entry : presetMenuEntries(m_mySavedPresets.entries(), screen.width, screen.height)) {
        MenuItem item;
        item.tag = entry.tag;
        item.separator = entry.separator;
        item.title = std::move(entry.title);
        item.toolTip = std::move(entry.toolTip);
        item.shortcut = std::move(entry.shortcut);
        if (!item.separator) {
            const int tag = entry.tag;
            if (tag == kAddPresetTag)
                item.action = [this] { addThisPreset(); };
            else if (tag == kEditPresetsTag)
                item.action = [this] { showMyPresetsPanel(); };
            else
                item.action = [this, tag] {
                    Sender sender;
                    sender.tag = tag;
                    onMyPresetMenuSelected(sender);
                };
        }
        menu.addItem(std::move(item));
    }
    m_presetsMenu.replaceItems(std::move(menu));
}

void zent3controller::makeDefaultMenu()
{
    m_mySavedPresets.makeDefaultMenu();
    m_myPresetsPanel = {};
    didChangeValueForKey(key::myPresetsSelection);
    storePresetLibrary();
    presetLibraryChanged();
}

bool zent3controller::storePresetLibrary()
{
    m_userDefaults->setData(presetsKey(), archivedPresetLibrary(m_mySavedPresets.entries()));
    const Status written = m_userDefaults->synchronize();
    if (written)
        return true;
    std::fprintf(stderr, "Quillum: %s\n", qPrintable(written.error()));
    if (m_uiServices && !m_toldSettingsCannotBeSaved)
        m_uiServices->runAlert(QStringLiteral("The presets were not saved"), written.error(), { QStringLiteral("OK") });
    m_toldSettingsCannotBeSaved = true;
    return false;
}

void zent3controller::readPresetLibrary(const UserDefaults& d)
{
    const QByteArray data = d.dataForKey(presetsKey());
    Result<PresetList> stored = data.isEmpty() ? Result<PresetList>(Error(QString())) : unarchivePresetLibrary(data);
    if (stored) {
        m_mySavedPresets.setEntries(std::move(stored.value()));
        presetLibraryChanged();
        return;
    }
    // A damaged archive is kept aside in the log rather than silently replaced.
    if (!data.isEmpty())
        std::fprintf(stderr, "Quillum: the stored presets could not be read (%s); the default set replaces them\n",
            qPrintable(stored.error()));
    // First start: the default set goes to the store at once. A store that cannot be
    // written is told once by the start-up check, not here.
    m_mySavedPresets.makeDefaultMenu();
    m_myPresetsPanel = {};
    m_userDefaults->setData(presetsKey(), archivedPresetLibrary(m_mySavedPresets.entries()));
    if (const Status written = m_userDefaults->synchronize(); !written)
        std::fprintf(stderr, "Quillum: %s\n", qPrintable(written.error()));
    presetLibraryChanged();
}

void zent3controller::onMyPresetMenuSelected(const Sender& sender)
{
    const int tag = sender.tag;
    if (tag >= 0 && tag < m_mySavedPresets.size()) {
        // A separator's tag never reaches here from the menu; a new record does nothing.
        loadPresetToController(m_mySavedPresets.isPreset(tag) ? m_mySavedPresets.preset(tag) : ZentFullPresetRec());
    } else if (tag == kRestoreDefaultsTag) {
        loadPresetToController(restoreDefaultsPreset());
    } else if (tag == kMyDisplayTag) {
        const Size screen = m_uiServices ? m_uiServices->mainScreenSize() : Size {};
        loadPresetToController(myDisplayPreset(screen.width, screen.height));
    } else {
        loadPresetToController(ZentFullPresetRec());
    }
}

// --- Capture and apply -------------------------------------------------------------------

ZentFullPresetRec zent3controller::makePresetWithCurrentStateNamed(const QString& name) const
{
    ZentFullPresetRec p;
    p.setName(name);
    p.setAspectX(m_aspectXValue);
    p.setAspectY(m_aspectYValue);
    p.setFixedsizeX(m_outputWidthVal);
    p.setFixedsizeY(m_outputHeighVal);
    p.setPictureOutputMode(m_outputModeTag);
    p.setPictureOutputInvert(m_invertIsOn);
    p.setPictureVerticalReflect(m_flipVertical);
    p.setPictureHorizontalReflect(m_flipHorizontal);
    p.setRotationAngle(rotationFieldValue());
    p.setSharpenLevel(m_sharpenLevel);
    p.setFixedAspect(m_fixedAspectIsOn);
    p.setFixedWidth(m_outputWidthIsFixed);
    p.setFixedHeight(m_outputHeightIsFixed);
    p.setOutputFileType(imageFileTypeIndex(m_currentOutputFileType));
    p.setJpegQuality(m_currentJpegQuality);
    p.setOutputFileRule(m_outputFileRule);
    p.setOutputFileNameField(m_currentOutputFileName);
    p.setInitialCustomOutputFileName(m_initialCustomOutputFileName);
    p.setNoTransparencyChannel(m_noTransparencyChannel);
    p.setSaveWithMetadata(m_currentSaveWithMetadata);
    p.setAutoLevelsIsOn(m_autoLevelsIsOn);

    p.setShowBorders(m_decorations.bordersOn);
#define QUILLUM_CAPTURE_BORDER(N, I)                                                                                   \
    {                                                                                                                  \
        const BorderSettings& b = border(I);                                                                           \
        p.setShowBorder##N(b.show);                                                                                    \
        p.setBorder##N##Color(b.color);                                                                                \
        p.setBorder##N##Offset(b.offset);                                                                              \
        p.setBorder##N##OffsetTop(b.offsetTop);                                                                        \
        p.setBorder##N##OffsetBottom(b.offsetBottom);                                                                  \
        p.setBorder##N##OffsetLeft(b.offsetLeft);                                                                      \
        p.setBorder##N##OffsetRight(b.offsetRight);                                                                    \
        p.setBorder##N##PenSize(b.penSize);                                                                            \
        p.setBorder##N##PenOpaque(b.penOpaque);                                                                        \
    }
    QUILLUM_CAPTURE_BORDER(1, 0)
    QUILLUM_CAPTURE_BORDER(2, 1)
    QUILLUM_CAPTURE_BORDER(3, 2)
#undef QUILLUM_CAPTURE_BORDER

    p.setShowTextCaptions(m_decorations.captionsOn);
    // A hidden caption records only that it is hidden.
#define QUILLUM_CAPTURE_CAPTION(N, I)                                                                                  \
    if (const CaptionSettings& c = caption(I); c.show) {                                                               \
        p.setCaption##N##FontName(c.fontName);                                                                         \
        p.setShowCaption##N(true);                                                                                     \
        p.setCaption##N##TextColor(c.textColor);                                                                       \
        p.setCaption##N##OutlineColor(c.outlineColor);                                                                 \
        p.setCaption##N##TransparencyValue(c.opaque);                                                                  \
        p.setCaption##N##WidthValue(c.widthValue);                                                                     \
        p.setCaption##N##OffsetXValue(c.offsetXValue);                                                                 \
        p.setCaption##N##OffsetYValue(c.offsetYValue);                                                                 \
        p.setCaption##N##LocationValue(c.locationValue);                                                               \
        p.setCaption##N##TextString(c.text);                                                                           \
        p.setCaption##N##Outlined(c.outlined);                                                                         \
        p.setCaption##N##Opaque(c.opaque);                                                                             \
    } else {                                                                                                           \
        p.setShowCaption##N(false);                                                                                    \
    }
    QUILLUM_CAPTURE_CAPTION(1, 0)
    QUILLUM_CAPTURE_CAPTION(2, 1)
#undef QUILLUM_CAPTURE_CAPTION

    const LogoSettings& l = logo();
    p.setDrawLogo(l.drawLogo);
    // The logo actually shown, so that applying the preset shows the same one.
    const QString& shownLogo = m_logoScreen.logoImageFile();
    p.setLogoFileName(shownLogo.isEmpty() ? l.logoFileName : shownLogo);
    p.setLogoWidthValue(l.widthValue);
    p.setLogoHeightValue(l.heightValue);
    p.setLogoProportionalResize(l.proportionalResize);
    p.setLogoOffsetXValue(l.offsetXValue);
    p.setLogoOffsetYValue(l.offsetYValue);
    p.setLogoLocationValue(l.locationValue);
    p.setLogoOpaqueValue(l.opaqueValue);
    return p;
}

void zent3controller::loadPresetToController(const ZentFullPresetRec& p)
{
    // One render at the end, whatever the groups change.
    RenderBatch batch(*this);
    m_editName = QStringLiteral("Apply Preset");

    if (p.changeSizeControls()) {
        if (p.fixedAspect()) {
            // Compared as doubles: the product of two 64-bit terms may not fit.
            if (double(p.aspectX()) * double(p.aspectY()) > 0)
                cropAspectToXYWithNotification(clampedInt(p.aspectX()), clampedInt(p.aspectY()), false);
        } else {
            cropAspectToXYWithNotification(0, 0, false);
        }
        // Straight assignments: the setters would reset the quick-resize choice and render.
        m_outputWidthIsFixed = p.fixedWidth();
        didChangeValueForKey(key::outputWidthIsFixed);
        if (p.fixedWidth()) {
            m_outputWidthVal = std::max(1, clampedInt(p.fixedsizeX()));
            didChangeValueForKey(key::outputWidthVal);
        }
        m_outputHeightIsFixed = p.fixedHeight();
        didChangeValueForKey(key::outputHeightIsFixed);
        if (p.fixedHeight()) {
            m_outputHeighVal = std::max(1, clampedInt(p.fixedsizeY()));
            didChangeValueForKey(key::outputHeighVal);
        }
    }

    if (p.changeOtherControls()) {
        setAutoLevelsIsOn(p.autoLevelsIsOn());
        if (!m_autoLevelsIsOn)
            setAutoLevelsIsLocked(false);
        setOutputModeTag(clampedInt(p.pictureOutputMode()));
        setInvertIsOn(p.pictureOutputInvert());
        setFlipVertical(p.pictureVerticalReflect());
        setFlipHorizontal(p.pictureHorizontalReflect());
        setSharpenLevel(clampedInt(p.sharpenLevel()));
    }

    if (p.changeTextControls()) {
        if (!p.showTextCaptions()) {
            setTextCaption1Check(false);
        } else {
#define QUILLUM_APPLY_CAPTION(N, I)                                                                                    \
    if (p.showCaption##N()) {                                                                                          \
        setCaptionFontName(I, captionFont(p.caption##N##FontName(), 12));                                              \
        setCaptionShown(I, true);                                                                                      \
        if (p.caption##N##TextColor().isValid())                                                                       \
            setCaptionTextColor(I, p.caption##N##TextColor());                                                         \
        if (p.caption##N##OutlineColor().isValid())                                                                    \
            setCaptionOutlineColor(I, p.caption##N##OutlineColor());                                                   \
        setCaptionWidthValue(I, p.caption##N##WidthValue());                                                           \
        setCaptionOffsetXValue(I, p.caption##N##OffsetXValue());                                                       \
        setCaptionOffsetYValue(I, p.caption##N##OffsetYValue());                                                       \
        setCaptionLocationValue(I, p.caption##N##LocationValue());                                                     \
        setCaptionTextString(I, p.caption##N##TextString());                                                           \
        setCaptionOutlined(I, p.caption##N##Outlined());                                                               \
        setCaptionOpaque(I, p.caption##N##Opaque());                                                                   \
    } else {                                                                                                           \
        setCaptionShown(I, false);                                                                                     \
    }
            QUILLUM_APPLY_CAPTION(1, 0)
            QUILLUM_APPLY_CAPTION(2, 1)
#undef QUILLUM_APPLY_CAPTION
            setTextCaption1Check(true);
        }
    }

    if (p.changeBorderControls()) {
        if (!p.showBorders()) {
            setBorder1Check(false);
        } else {
#define QUILLUM_APPLY_BORDER(N, I)                                                                                     \
    setBorderShown(I, p.showBorder##N());                                                                              \
    if (p.showBorder##N()) {                                                                                           \
        if (p.border##N##Color().isValid())                                                                            \
            setBorderColor(I, p.border##N##Color());                                                                   \
        setBorderOffset(I, p.border##N##Offset());                                                                     \
        setBorderOffsetTop(I, p.border##N##OffsetTop());                                                               \
        setBorderOffsetBottom(I, p.border##N##OffsetBottom());                                                         \
        setBorderOffsetLeft(I, p.border##N##OffsetLeft());                                                             \
        setBorderOffsetRight(I, p.border##N##OffsetRight());                                                           \
        setBorderPenSize(I, p.border##N##PenSize());                                                                   \
        setBorderPenOpaque(I, p.border##N##PenOpaque());                                                               \
    }
            QUILLUM_APPLY_BORDER(1, 0)
            QUILLUM_APPLY_BORDER(2, 1)
            QUILLUM_APPLY_BORDER(3, 2)
#undef QUILLUM_APPLY_BORDER
            setBorder1Check(true);
        }
    }

    if (p.changeLogoControls()) {
        if (p.drawLogo()) {
            // The preset's logo comes into the well first, so its sizes below are the last word.
            const QString& name = p.logoFileName();
            if (!name.isEmpty() && name != m_logoScreen.logoImageFile())
                openLogoFile(name); // says why when it cannot be read
            setLogoFileName(name);
            setLogoWidthValue(p.logoWidthValue());
            setLogoHeightValue(p.logoHeightValue());
            setLogoProportionalResize(p.logoProportionalResize());
            setLogoOffsetXValue(p.logoOffsetXValue());
            setLogoOffsetYValue(p.logoOffsetYValue());
            setLogoLocationValue(p.logoLocationValue());
            setLogoOpaqueValue(p.logoOpaqueValue());
        }
        // Only a well with an image can stamp a logo.
        setDrawLogo(p.drawLogo() && m_logoScreen.logoImageView().hasImage());
        didChangeValueForKey(key::decorations);
    }

    m_leftPanel.adjustSelectionAspectWithNotification(true);
    m_leftPanel.setNeedsDisplay();
}

// --- The naming sheet --------------------------------------------------------------------

void zent3controller::addThisPreset(const Sender&)
{
    NewPresetSheet& sheet = m_newPresetSheet;
    sheet.candidate = makePresetWithCurrentStateNamed(QString());
    const ZentFullPresetRec& c = sheet.candidate;
    sheet.remember = {
        c.fixedAspect() || c.fixedWidth() || c.fixedHeight(),
        c.showTextCaptions(),
        c.showBorders(),
        c.drawLogo(),
        c.autoLevelsIsOn() || c.pictureOutputMode() != 1 || c.pictureOutputInvert() || c.pictureVerticalReflect()
            || c.pictureHorizontalReflect() || c.sharpenLevel() > 0,
    };
    sheet.open = true;
    rememberListChanged();
    if (m_uiServices)
        m_uiServices->bringWindowForward(WindowId::NewPresetName, false);
}

void zent3controller::setRememberBox(RememberGroup group, bool on)
{
    m_newPresetSheet.remember[std::size_t(group)] = on;
    rememberListChanged();
}

void zent3controller::rememberAll(const Sender&)
{
    m_newPresetSheet.remember.fill(true);
    rememberListChanged();
}

void zent3controller::rememberNone(const Sender&)
{
    m_newPresetSheet.remember.fill(false);
    rememberListChanged();
}

void zent3controller::rememberListChanged(const Sender&)
{
    setRememberFlags(m_newPresetSheet.candidate, m_newPresetSheet.remember);
    makeSuggestedNameAndShow();
}

void zent3controller::makeSuggestedNameAndShow()
{
    m_newPresetSheet.name = m_newPresetSheet.candidate.suggestedName();
    m_newPresetSheet.details = m_newPresetSheet.candidate.technicalDescription();
    didChangeValueForKey(key::newPresetSheet);
}

void zent3controller::setNewPresetName(const QString& name)
{
    m_newPresetSheet.name = name;
}

void zent3controller::theNewPresetNameOK(const Sender&)
{
    if (m_uiServices) {
        m_uiServices->commitEditing();
        m_uiServices->orderWindowOut(WindowId::NewPresetName);
    }
    if (!m_newPresetSheet.open)
        return;
    ZentFullPresetRec preset = makePresetWithCurrentStateNamed(m_newPresetSheet.name);
    setRememberFlags(preset, m_newPresetSheet.remember);
    m_mySavedPresets.append(std::move(preset));
    storePresetLibrary();
    m_newPresetSheet = {};
    didChangeValueForKey(key::newPresetSheet);
    presetLibraryChanged();
}

void zent3controller::theNewPresetNameCancel(const Sender&)
{
    if (m_uiServices)
        m_uiServices->orderWindowOut(WindowId::NewPresetName);
    m_newPresetSheet = {};
    didChangeValueForKey(key::newPresetSheet);
    remakePresetMenu();
}

// --- The presets panel -------------------------------------------------------------------

void zent3controller::showMyPresetsPanel(const Sender&)
{
    if (m_uiServices)
        m_uiServices->bringWindowForward(WindowId::MyPresetsPanel, false);
}

QString zent3controller::tableViewObjectValueForRow(int row) const
{
    if (row < 0 || row >= m_mySavedPresets.size())
        return {};
    return m_mySavedPresets.isPreset(row) ? m_mySavedPresets.preset(row).name() : kSeparatorRowText;
}

void zent3controller::tableViewSetObjectValueForRow(const QString& name, int row)
{
    if (!m_mySavedPresets.rename(row, name))
        return;
    didChangeValueForKey(key::mySavedPresets);
    remakePresetMenu();
    if (row == m_myPresetsPanel.selectedRow)
        tableViewSelectionDidChange(row);
}

void zent3controller::tableViewSelectionDidChange(int row)
{
    PresetsPanelState& panel = m_myPresetsPanel;
    panel.selectedRow = row >= 0 && row < m_mySavedPresets.size() ? row : -1;
    if (panel.selectedRow < 0)
        panel.selectedPresetDetails = QStringLiteral("No preset is selected");
    else if (m_mySavedPresets.isPreset(row))
        panel.selectedPresetDetails = m_mySavedPresets.preset(row).technicalDescription();
    else
        panel.selectedPresetDetails.clear();
    didChangeValueForKey(key::myPresetsSelection);
}

bool zent3controller::tableViewAcceptDrop(int firstDraggedRow, int row)
{
    if (!m_mySavedPresets.moveRow(firstDraggedRow, row))
        return false;
    presetLibraryChanged();
    return true;
}

void zent3controller::theMyPresetsUseThisPreset(const Sender&)
{
    const int row = m_myPresetsPanel.selectedRow;
    if (!m_mySavedPresets.isPreset(row))
        return;
    // Copied: applying may change the library's observers, never the library itself.
    const ZentFullPresetRec preset = m_mySavedPresets.preset(row);
    loadPresetToController(preset);
    if (m_uiServices)
        m_uiServices->orderWindowOut(WindowId::MyPresetsPanel);
}

void zent3controller::removeSelectedPreset(const Sender&)
{
    if (!m_mySavedPresets.remove(m_myPresetsPanel.selectedRow))
        return;
    tableViewSelectionDidChange(-1);
    presetLibraryChanged();
}

void zent3controller::addSeparatorLine(const Sender&)
{
    m_mySavedPresets.insertSeparator(m_myPresetsPanel.selectedRow);
    presetLibraryChanged();
    // The selected row now holds the separator; its details say so.
    if (m_myPresetsPanel.selectedRow >= 0)
        tableViewSelectionDidChange(m_myPresetsPanel.selectedRow);
}

bool zent3controller::savePresetsToFileAction()
{
    if (!m_uiServices)
        return false;
    const QString path = m_uiServices->runPresetSavePanel(QStringLiteral("Save my Quillum presets"));
    if (path.isEmpty())
        return false;
    const Status written = writePresetFile(path, m_mySavedPresets.entries());
    if (!written) {
        m_uiServices->runAlert(QStringLiteral("The presets were not saved"), written.error(), { QStringLiteral("OK") });
        return false;
    }
    return true;
}

void zent3controller::savePresetsToFile(const Sender&)
{
    savePresetsToFileAction();
}

std::optional<PresetList> zent3controller::readPresetFileWithPanel()
{
    if (!m_uiServices)
        return std::nullopt;
    const QString path = m_uiServices->runPresetOpenPanel(QStringLiteral("Load Quillum presets from file"));
    if (path.isEmpty())
        return std::nullopt;
    Result<PresetList> read = readPresetFile(path);
    if (!read) {
        m_uiServices->runAlert(QStringLiteral("The presets were not loaded"),
            read.error() + QStringLiteral(" Your presets are unchanged."), { QStringLiteral("OK") });
        return std::nullopt;
    }
    return std::move(read.value());
}

void zent3controller::loadPresetsFromFile(const Sender&)
{
    std::optional<PresetList> read = readPresetFileWithPanel();
    if (!read)
        return;
    tableViewSelectionDidChange(-1);
    m_mySavedPresets.setEntries(std::move(*read));
    presetLibraryChanged();
}

void zent3controller::appendPresetsFromFile(const Sender&)
{
    std::optional<PresetList> read = readPresetFileWithPanel();
    if (!read)
        return;
    m_mySavedPresets.appendAll(*read);
    presetLibraryChanged();
}

void zent3controller::resetPresetsToDefault(const Sender&)
{
    if (m_mySavedPresets.isEmpty()) {
        makeDefaultMenu();
        return;
    }
    if (!m_uiServices)
        return;
    const AlertButton answer = m_uiServices->runAlert(QStringLiteral("Reset presets to default?"),
        QStringLiteral(
            "All your own presets will be deleted and replaced with default menu set.\n\nPlease note that you "
            "may save current presets into file with \"Save menu to file and reset\" option."),
        { QStringLiteral("Reset"), QStringLiteral("Cancel"), QStringLiteral("Save menu to file and reset") });
    if (answer == AlertButton::First || (answer == AlertButton::Third && savePresetsToFileAction()))
        makeDefaultMenu();
}

void zent3controller::deleteAllPresets(const Sender&)
{
    if (!m_uiServices)
        return;
    if (m_mySavedPresets.isEmpty()) {
        m_uiServices->runAlert(QStringLiteral("There are no presets to delete"),
            QStringLiteral("You have no custom presets now.\n\nTo restore default menu items please select \"Reset to "
                           "default\" from the same dropdown list.\n\nTo add some of your own presets please use \"Add "
                           "Current State as Preset...\" from \"Presets\" menu."),
            { QStringLiteral("OK") });
        return;
    }
    const AlertButton answer = m_uiServices->runAlert(QStringLiteral("Delete all presets?"),
        QStringLiteral("All your own presets will be deleted. You may always restore default menu items selecting "
                       "\"Reset to default\" from the same dropdown list.\n\nAlso you may save current presets into "
                       "file with \"Save menu to file and reset\" option."),
        { QStringLiteral("Delete All"), QStringLiteral("Cancel"), QStringLiteral("Save menu to file and delete") });
    if (answer == AlertButton::First || (answer == AlertButton::Third && savePresetsToFileAction())) {
        m_mySavedPresets.clear();
        tableViewSelectionDidChange(-1);
        presetLibraryChanged();
    }
}

void zent3controller::theMyPresetsSheetOK(const Sender&)
{
    if (m_uiServices)
        m_uiServices->orderWindowOut(WindowId::MyPresetsPanel);
}

void zent3controller::theMyPresetsSheetCancel(const Sender&)
{
    if (m_uiServices)
        m_uiServices->orderWindowOut(WindowId::MyPresetsPanel);
}

} // namespace quillum
