#pragma once
// The main window: the crop panel and the output panel side by side in a splitter, the
// control strips above them, the status strip below, the menus. It is also the
// controller's UiServices: alerts, window geometry, the screen, help and URLs reach Qt here.
// The screen's bottom-left convention meets Qt's top-left one in WindowPosition.h.

#include "app/controls/ControllerObservers.h"
#include "platform/UiServices.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <map>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollArea;
class QSplitter;
class QTextBrowser;
class QToolButton;
class QSoundEffect;

namespace quillum {

class zent3controller;
class EditHistory;
class MenuModel;
class PkCroppingImageViewWidget;
class OutputViewWidget;
class OutputControls;
class StatusStrip;
class PkBorderLessWindow;
class NewPresetNameSheet;

class MainWindow : public QMainWindow, public UiServices {
public:
    explicit MainWindow(zent3controller& controller, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The first window's size on a screen whose working area is `available`.
    static QSize initialSize(QSize available);

    PkCroppingImageViewWidget* cropView() const { return m_cropView; }
    OutputViewWidget* outputView() const { return m_outputView; }
    QSplitter* splitter() const { return m_splitter; }
    QScrollArea* leftScrollArea() const { return m_leftArea; }
    QScrollArea* rightScrollArea() const { return m_rightArea; }
    // Other windows the controller names (set-up panels, the full-screen viewer).
    void registerWindow(WindowId id, QWidget* window) { m_windows[id] = window; }

    // UiServices
    AlertButton runAlert(const QString& title, const QString& message, const QStringList& buttons) override;
    Size mainScreenSize() const override;
    Rect screenFrameOfMainWindow() const override;
    Rect windowFrame(WindowId window) const override;
    void setWindowFrame(WindowId window, const Rect& frame) override;
    std::vector<Rect> screenFrames() const override;
    std::pair<double, double> panelWidths() const override;
    void setPanelWidths(double left, double right) override;
    void bringWindowForward(WindowId window, bool floating) override;
    void orderWindowOut(WindowId window) override;
    bool isWindowVisible(WindowId window) const override;
    void setPresentationMode(bool fullScreen) override;
    void setOutputPanelCollapsed(bool collapsed) override;
    bool shiftKeyIsDown() const override;
    void openUrl(const QString& url) override;
    void showHelpAnchor(const QString& anchor) override;
    void terminate() override;
    QStringList runOpenPanel(bool& includeSubfolders) override;
    QString runLogoOpenPanel() override;
    QString runPresetSavePanel(const QString& title) override;
    QString runPresetOpenPanel(const QString& title) override;
    std::optional<QFont> runFontPanel(const QFont& current) override;
    QImage captureScreen(int option) override;
    bool runSavePanel(SavePanel& panel) override;
    void commitEditing() override;
    void playSound(const QString& name) override;
    void setBusy(bool busy) override;
    bool userAskedToStop() override;
    void waitBegins(bool expectLong) override;
    void waitEnds() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void rebuildMenu(QMenu* menu, const MenuModel& model);
    void observeController();
    void syncLeftPanel();
    void syncRightPanel();
    void pushLeftScrollToModel();
    void syncNavigation();
    void syncRotationButtons();
    QWidget* leftStrip();
    QWidget* rightStrip();
    QWidget* window(WindowId id) const;
    // The window a panel or alert belongs over: a sheet that is up, else this window.
    QWidget* frontWindow();

    zent3controller& m_controller;
    // Constructed before any widget registers, destroyed before the children go.
    ControllerObservers m_observers;
    QSplitter* m_splitter = nullptr;
    QScrollArea* m_leftArea = nullptr;
    QScrollArea* m_rightArea = nullptr;
    PkCroppingImageViewWidget* m_cropView = nullptr;
    OutputViewWidget* m_outputView = nullptr;
    OutputControls* m_outputControls = nullptr;
    PkBorderLessWindow* m_fullScreen = nullptr; // child window
    QMenu* m_zoomMenu = nullptr;
    QMenu* m_appMenu = nullptr;
    QMenu* m_presetsMenu = nullptr;
    NewPresetNameSheet* m_newPresetSheet = nullptr; // child
    QMenu* m_recentImagesMenu = nullptr;
    QMenu* m_recentInFoldersMenu = nullptr;
    QMenu* m_recentOutFoldersMenu = nullptr;
    QAction* m_navigation[4] = {}; // next, previous, first, last
    StatusStrip* m_status = nullptr;
    QLineEdit* m_outputName = nullptr;
    QSoundEffect* m_shutter = nullptr; // child
    QToolButton* m_rotationButtons[4] = {}; // 0, 90, 180, 270
    QLabel* m_angleLabel = nullptr;
    QPointer<QTextBrowser> m_help;
    QTimer m_liveResizeEnd;
    class BusyInput; // swallows input while busy, noting Escape and closing
    BusyInput* m_busyInput = nullptr; // child
    bool m_syncingScroll = false;
    std::map<WindowId, QPointer<QWidget>> m_windows;
    std::unique_ptr<EditHistory> m_history; // the Edit menu's undo and redo
};

} // namespace quillum
