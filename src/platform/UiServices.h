#pragma once
// What the controller asks of the windowing side: alerts, panels, window geometry, the
// screen, URLs, help and quitting. The main window implements it with Qt Widgets; tests use
// a scripted fake that overrides only what they script. Every default does nothing and
// answers the safe choice. Geometry is in points with the origin at the bottom-left corner
// of the main screen (platform/Geometry.h); the Qt side converts in one place.
// Main thread only.

#include "platform/Geometry.h"
#include "platform/ImageFileType.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace quillum {

enum class AlertButton { First, Second, Third };

// The windows the controller refers to by name.
enum class WindowId {
    Main,
    FullScreenPanel,
    CaptionSetup,
    BorderSetup,
    LogoSetup,
    Resizer,
    PictureCorrection,
    Preferences,
    MyPresetsPanel, // the presets panel, a sheet on the main window
    NewPresetName, // the naming sheet of a new preset
};

class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal alert; buttons.first() is the default. Answers which button was chosen.
    virtual AlertButton runAlert(const QString& title, const QString& message, const QStringList& buttons)
    {
        (void)title, (void)message, (void)buttons;
        return AlertButton::Second;
    }

    virtual Size mainScreenSize() const { return {}; }
    // The frames of every screen, in the same convention.
    virtual std::vector<Rect> screenFrames() const { return { screenFrameOfMainWindow() }; }
    // The widths of the source and output panels' scroll views; a width of 0 or less given
    // to setPanelWidths leaves that panel as it is.
    virtual std::pair<double, double> panelWidths() const { return { 0.0, 0.0 }; }
    virtual void setPanelWidths(double left, double right) { (void)left, (void)right; }
    // The frame of the screen that holds the main window.
    virtual Rect screenFrameOfMainWindow() const { return { 0, 0, mainScreenSize().width, mainScreenSize().height }; }

    virtual Rect windowFrame(WindowId window) const
    {
        (void)window;
        return {};
    }
    virtual void setWindowFrame(WindowId window, const Rect& frame) { (void)window, (void)frame; }
    // Raise and focus; `floating` keeps it above ordinary windows.
    virtual void bringWindowForward(WindowId window, bool floating) { (void)window, (void)floating; }
    virtual void orderWindowOut(WindowId window) { (void)window; }
    virtual bool isWindowVisible(WindowId window) const
    {
        (void)window;
        return false;
    }
    // Hides the desktop's panels while the full-screen viewer is up.
    virtual void setPresentationMode(bool fullScreen) { (void)fullScreen; }

    // Collapses the output panel to nothing, or brings it back at the middle of the split.
    virtual void setOutputPanelCollapsed(bool collapsed) { (void)collapsed; }

    // A screen capture: 1 an area the user drags out, 2 the whole screen after a visible
    // countdown, anything else a window. A null image when cancelled or impossible.
    virtual QImage captureScreen(int option)
    {
        (void)option;
        return {};
    }

    // The save panel: `path` comes in as the proposed file (folder and name) and goes out
    // as the chosen one, its extension naming the chosen type; the accessory's type and JPEG
    // quality are read back. When the chosen file exists the panel has asked whether to
    // replace it. False when the user cancels.
    struct SavePanel {
        QString path;
        ImageFileType fileType = ImageFileType::Jpeg;
        int jpegQuality = 90; // JPEG and WebP
        bool withMetadata = true;
        bool landscape = false;
        bool keepTransparency = false; // TIFF, PNG and WebP only
    };
    virtual bool runSavePanel(SavePanel& panel)
    {
        (void)panel;
        return false;
    }
    // Ends an edit still in progress in a text field (the output name being typed), so a
    // command reads what the user typed, not what was there before.
    virtual void commitEditing() { }
    // Long work on the main thread (a picture being decoded): while busy, the window shows it
    // is working and takes no input; userAskedToStop lets pending events run for a moment
    // and answers whether the user asked to stop (Escape, or closing the window) since busy
    // began.
    virtual void setBusy(bool busy) { (void)busy; }
    virtual bool userAskedToStop() { return false; }
    // Work the user waits for (decoding, rendering, turning a large picture): the window
    // shows that it is working once the wait passes a moment, or at once when `expectLong`
    // (the work holds the event loop, so no later moment would come). Calls nest.
    virtual void waitBegins(bool expectLong) { (void)expectLong; }
    virtual void waitEnds() { }

    // Plays a bundled sound by name (nothing when there is no audio).
    virtual void playSound(const QString& name) { (void)name; }

    virtual bool shiftKeyIsDown() const { return false; }
    virtual void openUrl(const QString& url) { (void)url; }
    virtual void showHelpAnchor(const QString& anchor) { (void)anchor; }
    // Ends the application's event loop (termination notifications follow).
    virtual void terminate() { }

    // A modal open panel for picture files (several allowed, no folders) with the
    // include-subfolders check box, which starts as `includeSubfolders` and is read back.
    // Answers the chosen files, or nothing when cancelled.
    virtual QStringList runOpenPanel(bool& includeSubfolders)
    {
        (void)includeSubfolders;
        return {};
    }

    // A modal open panel for one logo picture (files only). Empty when cancelled.
    virtual QString runLogoOpenPanel() { return {}; }

    // Save and open panels for one preset file (".zentpres"), titled `title`. The save
    // panel adds the extension and has asked about replacing an existing file. Empty when
    // cancelled.
    virtual QString runPresetSavePanel(const QString& title)
    {
        (void)title;
        return {};
    }
    virtual QString runPresetOpenPanel(const QString& title)
    {
        (void)title;
        return {};
    }

    // The font panel, preselecting `current`; the chosen font, or nothing when cancelled.
    virtual std::optional<QFont> runFontPanel(const QFont& current)
    {
        (void)current;
        return std::nullopt;
    }
};

// A wait the window shows for the scope's life (see UiServices::waitBegins).
class UiWait {
public:
    // Work over this many pixels on the window's thread is expected to keep the user waiting
    // (a 24-megapixel render or turn takes well over 150 ms).
    static constexpr double kLongWorkPixels = 12.0e6;

    UiWait(UiServices* ui, bool expectLong)
        : m_ui(ui)
    {
        if (m_ui)
            m_ui->waitBegins(expectLong);
    }
    ~UiWait()
    {
        if (m_ui)
            m_ui->waitEnds();
    }
    UiWait(const UiWait&) = delete;
    UiWait& operator=(const UiWait&) = delete;

private:
    UiServices* m_ui;
};

} // namespace quillum
