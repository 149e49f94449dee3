#include "MainWindow.h"

#include "app/BitmapImages.h"
#include "app/capture/ScreenCapture.h"
#include "app/controls/CropControls.h"
#include "app/controls/OutputControls.h"
#include "app/controls/PictureCorrectionPanel.h"
#include "app/controls/BusyIndicator.h"
#include "app/controls/StatusStrip.h"
#include "app/cropframe/PkCroppingImageViewWidget.h"
#include "app/decorations/BordersPanel.h"
#include "app/decorations/CaptionsPanel.h"
#include "app/decorations/LogoPanel.h"
#include "app/decorations/QuickResizePanel.h"
#include "app/fullscreen/PkBorderLessWindow.h"
#include "app/output/OutputViewWidget.h"
#include "app/preferences/PreferencesPanel.h"
#include "app/presets/NewPresetSheet.h"
#include "app/presets/PresetsPanel.h"
#include "controller/EditHistory.h"
#include "controller/zent3controller.h"
#include "platform/Assert.h"
#include "platform/WindowPosition.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QSoundEffect>
#include <QSpinBox>

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

// The help pages, the sound and the other resources are compiled into the static app
// library, whose registration the linker drops unless it is referenced; at global scope,
// as the macro requires.
static void initQuillumResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace quillum {
namespace {

QScrollArea* makeScrollArea(QWidget* content)
{
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(false);
    area->setAlignment(Qt::AlignCenter); // a smaller picture stays centred
    area->setFrameShape(QFrame::NoFrame);
    area->setBackgroundRole(QPalette::Dark);
    area->viewport()->setStyleSheet(QStringLiteral("background: #1b1b1d;"));
    // Arrow keys belong to the crop frame, never to the scroll bars.
    area->setFocusPolicy(Qt::NoFocus);
    return area;
}

QWidget* panel(QWidget* controls, QScrollArea* area)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(controls);
    layout->addWidget(area, 1);
    return box;
}

Sender senderWithTag(int tag)
{
    Sender sender;
    sender.tag = tag;
    return sender;
}

// The picture's angle as the strip shows it: in [0, 360), to two decimals.
double pictureAngleForDisplay(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0;
    double a = std::fmod(std::round(degrees * 100.0) / 100.0, 360.0);
    if (a < 0)
        a += 360.0;
    return a == 360.0 ? 0.0 : a;
}

QString formatPictureAngle(double degrees)
{
    return QString::number(degrees, 'f', std::fmod(degrees, 1.0) == 0.0 ? 0 : 2) + QStringLiteral("°");
}

int screenHeight(const QWidget* w)
{
    const QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

// The save panel's file types, in the order of their indexes.
const char* const kSaveFilters[] = { "JPEG (*.jpg)", "TIFF (*.tif)", "PNG (*.png)", "WebP (*.webp)" };

// A typed name whose extension does not name the chosen type gets the type's extension
// before the panel looks for an existing file, so its replace question is about the file
// that will really be written ("holiday.2024" as JPEG is "holiday.2024.jpg").
class SavePanelDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    ImageFileType chosenType() const
    {
        for (int i = 0; i < int(std::size(kSaveFilters)); ++i)
            if (selectedNameFilter() == QLatin1String(kSaveFilters[i]))
                return imageFileTypeFromIndex(i);
        return ImageFileType::Jpeg;
    }

    void accept() override
    {
        auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QUILLUM_ASSERT(field, return QFileDialog::accept());
        const QString typed = field->text().trimmed();
        // A typed folder is entered, not saved into.
        if (!typed.isEmpty() && !QFileInfo(QDir(directory()).filePath(typed)).isDir())
            field->setText(pathWithImageFileTypeExtension(typed, chosenType()));
        QFileDialog::accept();
    }
};

const QString kPresetFilter = QStringLiteral("Quillum presets (*.zentpres)");

// The default suffix covers a name without a dot only; "trip.2024" gets its extension
// here, before the panel asks about replacing a file, so it asks about the file written.
class PresetSaveDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QUILLUM_ASSERT(field, return QFileDialog::accept());
        const QString typed = field->text().trimmed();
        const QString extension = QLatin1Char('.') + kPresetFileExtension;
        if (!typed.isEmpty() && !typed.endsWith(extension, Qt::CaseInsensitive)
            && !QFileInfo(QDir(directory()).filePath(typed)).isDir())
            field->setText(typed + extension);
        QFileDialog::accept();
    }
};

} // namespace

MainWindow::MainWindow(zent3controller& controller, QWidget* parent)
    : QMainWindow(parent)
    , m_controller(controller)
    , m_observers(controller)
{
    initQuillumResources();
    setWindowTitle(QStringLiteral("Quillum"));
    m_cropView = new PkCroppingImageViewWidget(controller.leftPanel());
    m_outputView = new OutputViewWidget(controller.rightPanel());
    m_outputView->setDragHandlers([this] { return m_controller.writeDragFile(); },
        [this] { m_controller.notificationCenter().postNotificationName(notification::ImageWasDraggedAndDropped); });
    m_leftArea = makeScrollArea(m_cropView);
    m_rightArea = makeScrollArea(m_outputView);
    m_outputControls = new OutputControls(controller);

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->addWidget(panel(leftStrip(), m_leftArea));
    m_splitter->addWidget(panel(rightStrip(), m_rightArea));
    m_splitter->setCollapsible(0, false);
    m_splitter->setCollapsible(1, true);
    // Neither divider end comes within 120 points: the panels keep that much.
    m_splitter->widget(0)->setMinimumWidth(120);
    m_splitter->widget(1)->setMinimumWidth(120);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 2);
    m_splitter->setHandleWidth(5);
    setCentralWidget(m_splitter);
    setStatusBar(nullptr);
    auto* status = new StatusStrip(controller);
    m_status = status;
    auto* bottom = new QWidget;
    auto* outer = new QVBoxLayout(bottom);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(m_splitter, 1);
    outer->addWidget(status);
    setCentralWidget(bottom);

    connect(m_splitter, &QSplitter::splitterMoved, this,
        [this] { m_controller.splitViewDidResizeSubviews(m_splitter->sizes().value(1)); });
    m_leftArea->installEventFilter(this);
    m_rightArea->installEventFilter(this);
    auto pushScroll = [this] { pushLeftScrollToModel(); };
    connect(m_leftArea->horizontalScrollBar(), &QScrollBar::valueChanged, this, pushScroll);
    connect(m_leftArea->verticalScrollBar(), &QScrollBar::valueChanged, this, pushScroll);

    // The end of a live resize is reported once the sizes have rested for a moment.
    m_liveResizeEnd.setSingleShot(true);
    m_liveResizeEnd.setInterval(200);
    connect(&m_liveResizeEnd, &QTimer::timeout, this, [this] { m_controller.leftPanel().viewDidEndLiveResize(); });

    registerWindow(WindowId::Main, this);
    // The viewer is a top-level window of its own; this window owns and outlives it.
    m_fullScreen = new PkBorderLessWindow(controller);
    m_fullScreen->setParent(this, m_fullScreen->windowFlags());
    registerWindow(WindowId::FullScreenPanel, m_fullScreen);
    // The set-up panels that exist so far; the controller's show commands bring them up.
    registerWindow(WindowId::PictureCorrection, &m_outputControls->correctionPanel());
    registerWindow(WindowId::Preferences, new PreferencesPanel(controller, this));
    registerWindow(WindowId::CaptionSetup, new CaptionsPanel(controller, this));
    registerWindow(WindowId::BorderSetup, new BordersPanel(controller, this));
    registerWindow(WindowId::LogoSetup, new LogoPanel(controller, this));
    registerWindow(WindowId::Resizer, new QuickResizePanel(controller, this));
    m_newPresetSheet = new NewPresetNameSheet(controller, this);
    registerWindow(WindowId::NewPresetName, m_newPresetSheet);
    registerWindow(WindowId::MyPresetsPanel, new PresetsPanel(controller, this));
    buildMenus();
    observeController();
    m_controller.setRotationThumbnailPixelRatio(devicePixelRatioF());
    // Large renders run on the render worker: the window never waits for one.
    m_controller.setRenderMode(zent3controller::RenderMode::Large);
    // A save that advances encodes while the next picture is made ready.
    m_controller.setWriteWhileAdvancing(true);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = initialSize(screen ? screen->availableGeometry().size() : QSize());
    resize(size);
    m_splitter->setSizes({ size.width() * 760 / 1400, size.width() * 640 / 1400 });
}

QSize MainWindow::initialSize(QSize available)
{
    // The designed size, within the screen's working area less the window's frame and title
    // (1280 x 800 laptops); a large screen gets a larger window, not a postage stamp.
    QSize size(1400, 880);
    if (available.isEmpty())
        return size;
    const QSize room = available - QSize(16, 48);
    if (room.width() >= 1800 && room.height() >= 1100)
        size = QSize(room.width() * 3 / 4, room.height() * 3 / 4);
    return size.boundedTo(room);
}

// While the window is busy, input would act on a state about to change: it is swallowed,
// except that Escape or closing the window asks to stop the work.
class MainWindow::BusyInput : public QObject {
public:
    explicit BusyInput(QObject* parent)
        : QObject(parent)
    { }
    bool stopAsked = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                stopAsked = true;
            return true;
        case QEvent::Close:
            stopAsked = true;
            event->ignore();
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::DragEnter:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }
};

MainWindow::~MainWindow()
{
    // The children go after this object's own part: a focused name field losing its focus
    // then must not call back into a half-destroyed window.
    if (m_outputName)
        QObject::disconnect(m_outputName, nullptr, this, nullptr);
    // A render still running must not report its end to this window's busy indicator.
    m_controller.discardPendingRender();
    m_controller.setRenderMode(zent3controller::RenderMode::Synchronous);
    m_controller.setWriteWhileAdvancing(false); // a write still running is waited for
}

void MainWindow::setBusy(bool busy)
{
    if (busy == (m_busyInput != nullptr))
        return;
    if (busy) {
        waitBegins(false);
        m_busyInput = new BusyInput(this);
        qApp->installEventFilter(m_busyInput);
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        qApp->removeEventFilter(m_busyInput);
        delete m_busyInput;
        m_busyInput = nullptr;
        QApplication::restoreOverrideCursor();
        waitEnds();
    }
}

void MainWindow::waitBegins(bool expectLong)
{
    m_status->busyIndicator().begin(expectLong);
}

void MainWindow::waitEnds()
{
    m_status->busyIndicator().end();
}

bool MainWindow::userAskedToStop()
{
    QUILLUM_ASSERT(m_busyInput, return false);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return m_busyInput && m_busyInput->stopAsked;
}

void MainWindow::observeController()
{
    m_observers.observe({ key::rotationThumbnails }, [this] {
        // The reduced copy the thumbnails came from serves the crop view too.
        m_cropView->setReducedCopy(m_controller.srcImageRep(), m_controller.reducedSourceCopy().get());
        const auto thumbnails = m_controller.rotationButtonThumbnails();
        for (std::size_t i = 0; i < thumbnails.size(); ++i) {
            if (!m_rotationButtons[i] || !thumbnails[i])
                continue;
            QPixmap pixmap = QPixmap::fromImage(imageFromWorkingBitmap(*thumbnails[i], false));
            // Drawn 36 points on the longer side at the screen's ratio.
            pixmap.setDevicePixelRatio(std::max(1.0, std::max(pixmap.width(), pixmap.height()) / 36.0));
            m_rotationButtons[i]->setIcon(QIcon(pixmap));
        }
    });
    m_observers.observe({ key::navigationButtons }, [this] { syncNavigation(); });
    m_observers.observe({ key::fileCounter }, [this] { syncNavigation(); });
    m_observers.observeMenu(
        m_controller.recentImagesMenu(), [this] { rebuildMenu(m_recentImagesMenu, m_controller.recentImagesMenu()); });
    m_observers.observeMenu(m_controller.recentInFoldersMenu(),
        [this] { rebuildMenu(m_recentInFoldersMenu, m_controller.recentInFoldersMenu()); });
    m_observers.observeMenu(m_controller.recentOutFoldersMenu(),
        [this] { rebuildMenu(m_recentOutFoldersMenu, m_controller.recentOutFoldersMenu()); });
    m_observers.observe({ key::imageInfo }, [this] {
        m_cropView->setPicture(m_controller.sharedSource(), m_controller.sourceGeneration(),
            m_controller.reducedSourceCopy().get());
        syncLeftPanel();
        // A picture just shown is what the arrow keys work on.
        if (m_controller.hasSource())
            m_cropView->setFocus(Qt::OtherFocusReason);
    });
    m_observers.observe({ key::leftPanelGeometry }, [this] { syncLeftPanel(); });
    m_observers.observe({ key::outPict }, [this] {
        m_outputView->setOutput(m_controller.outPict());
        m_controller.scaleOutputPicture();
        syncRightPanel();
    });
    m_observers.observe({ key::outputPreview }, [this] {
        m_outputView->setPreview(m_controller.outputPreview());
        m_controller.scaleOutputPicture();
        syncRightPanel();
    });
    m_observers.observe({ key::rightPanelScale }, [this] { syncRightPanel(); });
    m_observers.observe({ key::windowTitle }, [this] { setWindowTitle(m_controller.windowTitle()); });
    m_observers.observeMenu(
        m_controller.mainZoomMenu(), [this] { rebuildMenu(m_zoomMenu, m_controller.mainZoomMenu()); });
    m_observers.observeMenu(
        m_controller.applicationMenu(), [this] { rebuildMenu(m_appMenu, m_controller.applicationMenu()); });
    // The controller makes this menu when it reads the settings, after this window exists.
    m_observers.observeMenu(
        m_controller.presetsMenu(), [this] { rebuildMenu(m_presetsMenu, m_controller.presetsMenu()); });
}

// The model's scroll origin has y up from the document's bottom; Qt's scroll bars count
// from the top. This is the one place the two meet.
void MainWindow::syncLeftPanel()
{
    m_cropView->syncGeometry();
    const Point origin = m_controller.leftPanel().clipView().boundsOrigin();
    const double docHeight = m_cropView->height();
    m_syncingScroll = true;
    m_leftArea->horizontalScrollBar()->setValue(int(std::lround(origin.x)));
    m_leftArea->verticalScrollBar()->setValue(
        int(std::lround(docHeight - origin.y - m_leftArea->viewport()->height())));
    m_syncingScroll = false;
    m_cropView->update();
}

void MainWindow::pushLeftScrollToModel()
{
    if (m_syncingScroll || !m_controller.leftPanel().hasPicture())
        return;
    const double y = m_cropView->height() - m_leftArea->verticalScrollBar()->value() - m_leftArea->viewport()->height();
    m_controller.leftPanel().clipView().scrollToPoint({ double(m_leftArea->horizontalScrollBar()->value()), y });
}

void MainWindow::syncRightPanel()
{
    m_outputView->syncGeometry();
    m_outputView->update();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == m_leftArea) {
            m_controller.leftPanel().setScrollViewFrameSize(
                { double(m_leftArea->width()), double(m_leftArea->height()) });
            if (!m_controller.leftPanel().hasPicture())
                m_cropView->syncGeometry();
            m_liveResizeEnd.start();
        } else if (watched == m_rightArea) {
            m_controller.rightPanel().setScrollViewFrameSize(
                { double(m_rightArea->width()), double(m_rightArea->height()) });
            m_controller.splitViewDidResizeSubviews(m_splitter->sizes().value(1));
            if (m_controller.keepRightFitToView())
                m_controller.scaleOutputPicture();
            syncRightPanel();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (isMaximized()) {
            m_controller.windowShouldZoomToFrame();
            QTimer::singleShot(0, this, [this] { m_controller.windowDidResize(); });
        } else if (isFullScreen()) {
            QTimer::singleShot(0, this, [this] { m_controller.windowDidEnterFullScreen(); });
        }
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_controller.windowShouldClose()) {
        event->ignore();
        return;
    }
    event->accept();
    m_controller.windowWillClose();
}

// The output controls and, under them, the name and type the next save uses.
QWidget* MainWindow::rightStrip()
{
    auto* strip = new QWidget;
    auto* rows = new QVBoxLayout(strip);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(m_outputControls);
    auto* nameRow = new QHBoxLayout;
    nameRow->setContentsMargins(6, 2, 6, 4);
    auto* name = new QLineEdit;
    m_outputName = name;
    name->setObjectName(QStringLiteral("outputName"));
    name->setToolTip(QStringLiteral("The name of the next saved crop; its number counts up after each save"));
    name->setText(m_controller.currentOutputFileName());
    auto* type = new QComboBox;
    type->setObjectName(QStringLiteral("outputType"));
    type->addItems({ QStringLiteral("JPEG"), QStringLiteral("TIFF"), QStringLiteral("PNG"), QStringLiteral("WebP") });
    type->setCurrentIndex(imageFileTypeIndex(m_controller.currentOutputFileType()));
    auto* folder = new QToolButton;
    folder->setText(QStringLiteral("Folder"));
    folder->setToolTip(QStringLiteral("Show the output folder"));
    nameRow->addWidget(new QLabel(QStringLiteral("Save as")));
    nameRow->addWidget(name, 1);
    nameRow->addWidget(type);
    nameRow->addWidget(folder);
    rows->addLayout(nameRow);
    connect(name, &QLineEdit::editingFinished, this, [this] { commitEditing(); });
    connect(type, &QComboBox::activated, this, [this](int index) {
        Sender sender;
        sender.intValue = index;
        m_controller.onTypeChangeAtMainScreen(sender);
    });
    connect(folder, &QToolButton::clicked, this, [this] { m_controller.showOutputFolderInFinder(); });
    // Typing not yet committed stays; anything else shows the controller's name, even while
    // the field has the focus (a save from the keyboard moves the name on).
    m_observers.observe({ key::currentOutputFileName }, [this, name] {
        if (!name->isModified() && name->text() != m_controller.currentOutputFileName())
            name->setText(m_controller.currentOutputFileName());
    });
    m_observers.observe({ key::currentOutputFileType }, [this, type] {
        const QSignalBlocker block(type);
        type->setCurrentIndex(imageFileTypeIndex(m_controller.currentOutputFileType()));
    });
    return strip;
}

// The crop controls and the four buttons that turn the picture to an absolute angle; the
// buttons show the picture as it would look.
QWidget* MainWindow::leftStrip()
{
    auto* controls = new CropControls(m_controller);
    // The four buttons wrap with the other groups; each names its angle and the current one
    // is checked; an angle between them shows beside them.
    auto* group = new QWidget;
    group->setObjectName(QStringLiteral("rotationGroup"));
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    static const char* const tips[] = { "Turn the picture back to 0°", "Turn the picture to 90° (counter-clockwise)",
        "Turn the picture to 180°", "Turn the picture to 270° (clockwise)" };
    for (int i = 0; i < 4; ++i) {
        auto* button = new QToolButton;
        button->setObjectName(QStringLiteral("rotate%1").arg(i * 90));
        button->setToolTip(QString::fromUtf8(tips[i]));
        button->setText(QString::number(i * 90) + QStringLiteral("°"));
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this, [this, i] {
            switch (i) {
            case 0:
                m_controller.inPicRotate0();
                break;
            case 1:
                m_controller.inPicRotate90();
                break;
            case 2:
                m_controller.inPicRotate180();
                break;
            default:
                m_controller.inPicRotate270();
                break;
            }
            syncRotationButtons();
        });
        m_rotationButtons[i] = button;
        row->addWidget(button);
    }
    m_angleLabel = new QLabel;
    m_angleLabel->setObjectName(QStringLiteral("pictureAngle"));
    m_angleLabel->setToolTip(QStringLiteral("The picture's angle, counter-clockwise"));
    m_angleLabel->setMinimumWidth(m_angleLabel->fontMetrics().horizontalAdvance(QStringLiteral("-359.99°")));
    row->addWidget(m_angleLabel);
    controls->addGroup(group);
    m_observers.observe({ key::rotationField }, [this] { syncRotationButtons(); });
    syncRotationButtons();
    return controls;
}

void MainWindow::syncRotationButtons()
{
    const double angle = pictureAngleForDisplay(m_controller.rotationFieldValue());
    const int quarter = std::fmod(angle, 90.0) == 0.0 ? int(angle / 90.0) : -1;
    for (int i = 0; i < 4; ++i)
        if (m_rotationButtons[i])
            m_rotationButtons[i]->setChecked(m_controller.hasSource() && i == quarter);
    if (m_angleLabel)
        m_angleLabel->setText(m_controller.hasSource() && quarter < 0 ? formatPictureAngle(angle) : QString());
}

void MainWindow::syncNavigation()
{
    const bool enabled[4] = { m_controller.nextButtonEnabled(), m_controller.prevButtonEnabled(),
        m_controller.firstButtonEnabled(), m_controller.lastButtonEnabled() };
    for (int i = 0; i < 4; ++i)
        if (m_navigation[i])
            m_navigation[i]->setEnabled(enabled[i]);
    if (m_status) {
        const QStringList parts = m_controller.fileCounter().split(QLatin1Char('/'));
        if (parts.size() == 2)
            m_status->setFileCounter(parts[0].toInt(), parts[1].toInt());
    }
}

bool MainWindow::runSavePanel(SavePanel& panel)
{
    // Not the desktop's own panel: ours carries the accessory and checks the typed extension.
    // Qt's panel asks before an existing file is replaced.
    SavePanelDialog dialog(this, QStringLiteral("Save Crop"), panel.path);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const char* filter : kSaveFilters)
        filters << QString::fromLatin1(filter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(imageFileTypeIndex(panel.fileType), filters.first()));
    dialog.selectFile(QFileInfo(panel.path).fileName());
    // The accessory: quality for JPEG and WebP, metadata and the landscape turn.
    auto* accessory = new QWidget(&dialog);
    auto* row = new QHBoxLayout(accessory);
    row->setContentsMargins(0, 0, 0, 0);
    auto* qualityLabel = new QLabel(QStringLiteral("JPEG quality"), accessory);
    auto* quality = new QSpinBox(accessory);
    quality->setRange(0, 100);
    quality->setValue(panel.jpegQuality);
    auto* metadata = new QCheckBox(QStringLiteral("Save with metadata"), accessory);
    metadata->setChecked(panel.withMetadata);
    auto* landscape = new QCheckBox(QStringLiteral("Landscape"), accessory);
    landscape->setChecked(panel.landscape);
    auto* slider = new QSlider(Qt::Horizontal, accessory);
    slider->setRange(0, 100);
    slider->setValue(panel.jpegQuality);
    slider->setFixedWidth(120);
    connect(slider, &QSlider::valueChanged, quality, &QSpinBox::setValue);
    connect(quality, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    auto* transparency = new QCheckBox(QStringLiteral("Keep transparency"), accessory);
    transparency->setChecked(panel.keepTransparency);
    row->addWidget(qualityLabel);
    row->addWidget(quality);
    row->addWidget(slider);
    row->addWidget(transparency);
    row->addSpacing(12);
    row->addWidget(metadata);
    row->addWidget(landscape);
    row->addStretch(1);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(accessory, grid->rowCount(), 0, 1, -1);
    auto adapt = [&](const QString& filter) {
        // The lossy types show their quality; all but JPEG can keep transparency.
        const bool jpeg = filter.startsWith(QLatin1String("JPEG"));
        const bool webp = filter.startsWith(QLatin1String("WebP"));
        qualityLabel->setText(webp ? QStringLiteral("WebP quality") : QStringLiteral("JPEG quality"));
        quality->setVisible(jpeg || webp);
        qualityLabel->setVisible(jpeg || webp);
        slider->setVisible(jpeg || webp);
        transparency->setVisible(!jpeg);
    };
    connect(&dialog, &QFileDialog::filterSelected, &dialog, adapt);
    adapt(dialog.selectedNameFilter());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    // Exactly the file the panel asked about; the controller asks again about any other.
    panel.path = dialog.selectedFiles().first();
    panel.fileType = dialog.chosenType();
    panel.jpegQuality = quality->value();
    panel.withMetadata = metadata->isChecked();
    panel.landscape = landscape->isChecked();
    panel.keepTransparency = transparency->isChecked();
    return true;
}

void MainWindow::commitEditing()
{
    if (m_newPresetSheet && m_newPresetSheet->isVisible())
        m_newPresetSheet->commit();
    if (!m_outputName || !m_outputName->isModified())
        return;
    m_outputName->setModified(false);
    Sender sender;
    sender.title = m_outputName->text();
    m_controller.onOutFileName(sender);
}

void MainWindow::playSound(const QString& name)
{
    if (!m_shutter) {
        m_shutter = new QSoundEffect(this);
        m_shutter->setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(name)));
        m_shutter->setVolume(0.6f);
    }
    m_shutter->play();
}

QImage MainWindow::captureScreen(int option)
{
    if (option != 1 && option != 2)
        return grab().toImage(); // this window: the one window a capture here can name
    // Quillum steps aside so the capture shows what is behind it.
    hide();
    QEventLoop settle;
    QTimer::singleShot(250, &settle, &QEventLoop::quit);
    settle.exec();
    const QImage image = option == 1 ? selectAreaOf(grabScreen()) : grabScreenAfterCountdown(3);
    show();
    raise();
    activateWindow();
    return image;
}

QStringList MainWindow::runOpenPanel(bool& includeSubfolders)
{
    // A photo or a folder; the check box asks for the folder's subfolders too.
    QFileDialog dialog(this, QStringLiteral("Open Photos or a Folder"), m_controller.currentInputPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // The pictures a folder list holds; any other file opens its folder's list.
    dialog.setNameFilters(
        { QStringLiteral("Pictures (*.jpg *.jpeg *.png *.tif *.tiff *.JPG *.JPEG *.PNG *.TIF *.TIFF)"),
            QStringLiteral("All files (*)") });
    auto* subfolders = new QCheckBox(QStringLiteral("Include subfolders"), &dialog);
    subfolders->setChecked(includeSubfolders);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(subfolders, grid->rowCount(), 0, 1, -1);
    auto* folderButton = new QPushButton(QStringLiteral("Open Folder"), &dialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(folderButton, grid->rowCount() - 1, grid->columnCount() - 1);
    QStringList chosen;
    connect(folderButton, &QPushButton::clicked, &dialog, [&] {
        chosen = { dialog.directory().absolutePath() };
        dialog.reject();
    });
    if (dialog.exec() == QDialog::Accepted)
        chosen = dialog.selectedFiles();
    includeSubfolders = subfolders->isChecked();
    return chosen;
}

QString MainWindow::runLogoOpenPanel()
{
    return QFileDialog::getOpenFileName(this, QStringLiteral("Choose a Logo"), QDir::homePath(),
        QStringLiteral("Pictures (*.png *.jpg *.jpeg *.gif *.bmp *.svg);;All files (*)"), nullptr,
        QFileDialog::DontUseNativeDialog);
}

QString MainWindow::runPresetSavePanel(const QString& title)
{
    PresetSaveDialog dialog(frontWindow(), title, QDir::homePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(kPresetFilter);
    dialog.setDefaultSuffix(kPresetFileExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString MainWindow::runPresetOpenPanel(const QString& title)
{
    QFileDialog dialog(frontWindow(), title, QDir::homePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(kPresetFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

std::optional<QFont> MainWindow::runFontPanel(const QFont& current)
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(
        &chosen, current, this, QStringLiteral("Caption Font"), QFontDialog::DontUseNativeDialog);
    return chosen ? std::optional<QFont>(font) : std::nullopt;
}

void MainWindow::rebuildMenu(QMenu* menu, const MenuModel& model)
{
    // Every model has its menu from construction on.
    QUILLUM_ASSERT(menu, return );
    menu->clear();
    for (const MenuItem& item : model.items()) {
        if (item.separator || item.title.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.title);
        action->setEnabled(item.enabled);
        if (!item.shortcut.isEmpty())
            action->setShortcut(QKeySequence(item.shortcut, QKeySequence::PortableText));
        else if (!item.keyEquivalent.isEmpty())
            action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + item.keyEquivalent));
        if (!item.toolTip.isEmpty()) {
            action->setToolTip(item.toolTip);
            menu->setToolTipsVisible(true);
        }
        const int tag = item.tag;
        const MenuModel* source = &model;
        connect(action, &QAction::triggered, this, [source, tag] {
            // Look the item up again: the menu may have changed since it was built.
            for (const MenuItem& i : source->items())
                if (i.tag == tag && i.action)
                    return i.action();
        });
    }
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open…"), QKeySequence::Open, this, [this] { m_controller.showFileList(); });
    m_recentImagesMenu = file->addMenu(QStringLiteral("Open Recent"));
    m_recentInFoldersMenu = file->addMenu(QStringLiteral("Recent Folders"));
    m_recentOutFoldersMenu = file->addMenu(QStringLiteral("Recent Output Folders"));
    file->addAction(QStringLiteral("Take &Screenshot…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_4), this,
        [this] { m_controller.takeScreenshot(); });
    file->addAction(QStringLiteral("Take &Full Screenshot"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_3), this,
        [this] { m_controller.takeFullScreenshot(); });
    file->addAction(QStringLiteral("&Close Picture"), QKeySequence::Close, this, [this] { m_controller.closeImage(); });
    file->addAction(QStringLiteral("&Save Crop"), QKeySequence::Save, this, [this] { m_controller.saveCrop(); });
    file->addAction(QStringLiteral("Save Crop &As…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this,
        [this] { m_controller.saveCropWithDialogue(); });
    file->addAction(QStringLiteral("Save Crop to &Special Folder…"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), this,
        [this] { m_controller.saveCropWithSpecialDialogue(); });
    file->addAction(QStringLiteral("Show Output Folder"), this, [this] { m_controller.showOutputFolderInFinder(); });
    file->addSeparator();
    // Alt+arrows: plain and Control+arrows belong to the crop frame.
    m_navigation[0] = file->addAction(QStringLiteral("&Next Picture"), QKeySequence(Qt::ALT | Qt::Key_Right), this,
        [this] { m_controller.goNextPic(); });
    m_navigation[1] = file->addAction(QStringLiteral("&Previous Picture"), QKeySequence(Qt::ALT | Qt::Key_Left), this,
        [this] { m_controller.goPrevPic(); });
    m_navigation[2] = file->addAction(QStringLiteral("&First Picture"), QKeySequence(Qt::ALT | Qt::Key_Home), this,
        [this] { m_controller.goFirstPic(); });
    m_navigation[3] = file->addAction(QStringLiteral("&Last Picture"), QKeySequence(Qt::ALT | Qt::Key_End), this,
        [this] { m_controller.goLastPic(); });
    syncNavigation();
    rebuildMenu(m_recentImagesMenu, m_controller.recentImagesMenu());
    rebuildMenu(m_recentInFoldersMenu, m_controller.recentInFoldersMenu());
    rebuildMenu(m_recentOutFoldersMenu, m_controller.recentOutFoldersMenu());
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, [this] { close(); });
    file->addAction(QStringLiteral("Quit &Without Saving Settings"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q),
        this, [this] { m_controller.quickQuit(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    // A focused text field takes these keys first (as a shortcut override) for its own undo.
    m_history = std::make_unique<EditHistory>(m_controller);
    QAction* undo = edit->addAction(QStringLiteral("Undo"), this, [this] { m_history->undo(); });
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = edit->addAction(QStringLiteral("Redo"), this, [this] { m_history->redo(); });
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& keys :
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) })
        if (!redoKeys.contains(keys))
            redoKeys << keys;
    redo->setShortcuts(redoKeys);
    auto syncUndo = [this, undo, redo] {
        undo->setText(m_history->undoActionText());
        undo->setEnabled(m_history->stack().canUndo());
        redo->setText(m_history->redoActionText());
        redo->setEnabled(m_history->stack().canRedo());
    };
    connect(&m_history->stack(), &QUndoStack::indexChanged, this, syncUndo);
    connect(&m_history->stack(), &QUndoStack::undoTextChanged, this, syncUndo);
    connect(&m_history->stack(), &QUndoStack::redoTextChanged, this, syncUndo);
    syncUndo();
    edit->addSeparator();
    edit->addAction(QStringLiteral("&Paste Picture"), QKeySequence::Paste, this,
        [this] { m_controller.pastePicture(QGuiApplication::clipboard()->mimeData()); });
    edit->addAction(QStringLiteral("Select &All"), QKeySequence::SelectAll, this, [this] { m_controller.selectAll(); });
    edit->addAction(QStringLiteral("&Turn Frame a Quarter"), QKeySequence(Qt::CTRL | Qt::Key_R), this,
        [this] { m_controller.rotateSelectioFrame(); });
    edit->addAction(QStringLiteral("Next &Guide"), QKeySequence(Qt::CTRL | Qt::Key_G), this,
        [this] { m_controller.nextCompositionGuide(); });
    // The desktop's own shortcut where it has one, Ctrl+, everywhere.
    QAction* preferences
        = edit->addAction(QStringLiteral("Pr&eferences…"), this, [this] { m_controller.showPreferencesPanel(); });
    QList<QKeySequence> preferenceKeys = QKeySequence::keyBindings(QKeySequence::Preferences);
    if (!preferenceKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Comma)))
        preferenceKeys << QKeySequence(Qt::CTRL | Qt::Key_Comma);
    preferences->setShortcuts(preferenceKeys);
    preferences->setMenuRole(QAction::PreferencesRole);
    // Turning the picture itself (absolute angles, counter-clockwise).
    QMenu* rotate = edit->addMenu(QStringLiteral("&Rotate Picture"));
    rotate->addAction(QStringLiteral("0°"), this, [this] { m_controller.inPicRotate0(); });
    rotate->addAction(QStringLiteral("90° (counter-clockwise)"), QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), this,
        [this] { m_controller.inPicRotate90(); });
    rotate->addAction(QStringLiteral("180°"), this, [this] { m_controller.inPicRotate180(); });
    rotate->addAction(QStringLiteral("270° (clockwise)"), QKeySequence(Qt::CTRL | Qt::Key_BracketRight), this,
        [this] { m_controller.inPicRotate270(); });
    rotate->addAction(QStringLiteral("By Angle…"), this, [this] {
        bool ok = false;
        const double angle = QInputDialog::getDouble(this, QStringLiteral("Rotate Picture"),
            QStringLiteral("Angle in degrees (counter-clockwise):"), double(m_controller.rotationFieldValue()), -360,
            360, 2, &ok);
        if (ok) {
            Sender sender;
            sender.doubleValue = angle;
            m_controller.inPicRotateBy(sender);
        }
    });
    QAction* last = rotate->addAction(QStringLiteral("Last Rotation"));
    connect(last, &QAction::triggered, this, [this] { m_controller.rotateLast(); });
    connect(rotate, &QMenu::aboutToShow, this, [this, last] {
        last->setEnabled(m_controller.validateMenuItem(zent3controller::kLastRotationMenuTag));
        last->setText(m_controller.lastRotationTitle());
    });

    m_zoomMenu = menuBar()->addMenu(QStringLiteral("&View"));
    rebuildMenu(m_zoomMenu, m_controller.mainZoomMenu());
    QMenu* screen = menuBar()->addMenu(QStringLiteral("&Full Screen"));
    screen->addAction(QStringLiteral("Full Screen: &Source"), QKeySequence(Qt::Key_F11), this,
        [this] { m_controller.fullScreen(senderWithTag(1)); });
    screen->addAction(QStringLiteral("Full Screen: &Output"), QKeySequence(Qt::SHIFT | Qt::Key_F11), this,
        [this] { m_controller.fullScreen(senderWithTag(2)); });
    QMenu* output = menuBar()->addMenu(QStringLiteral("&Output"));
    output->addAction(QStringLiteral("Fit Output to View"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_9), this,
        [this] { m_controller.fitOutputImageToView(); });
    output->addAction(QStringLiteral("Output at Actual Size"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0), this,
        [this] { m_controller.fitOutputImageTo100(); });
    output->addAction(QStringLiteral("Picture &Correction…"), QKeySequence(Qt::CTRL | Qt::Key_K), this,
        [this] { m_controller.showPictureCorrectionWindow(); });
    output->addSeparator();
    output->addAction(QStringLiteral("Ca&ptions…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this,
        [this] { m_controller.showCaptionsSetup(); });
    output->addAction(QStringLiteral("&Borders…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), this,
        [this] { m_controller.showBorderSetup(); });
    output->addAction(QStringLiteral("&Logo…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), this,
        [this] { m_controller.showLogoSetup(); });
    output->addAction(QStringLiteral("&Quick Resize…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), this,
        [this] { m_controller.showResizerPanel(); });

    m_presetsMenu = menuBar()->addMenu(QStringLiteral("&Presets"));
    rebuildMenu(m_presetsMenu, m_controller.presetsMenu());

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(
        QStringLiteral("Quillum &Help"), QKeySequence::HelpContents, this, [this] { m_controller.helpMainScreen(); });
    m_appMenu = help->addMenu(QStringLiteral("Updates"));
    rebuildMenu(m_appMenu, m_controller.applicationMenu());
}

// --- UiServices ---------------------------------------------------------------------------

QWidget* MainWindow::frontWindow()
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->parentWidget() == this ? modal : this;
}

AlertButton MainWindow::runAlert(const QString& title, const QString& message, const QStringList& buttons)
{
    QMessageBox box(frontWindow());
    box.setWindowTitle(title);
    box.setText(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()));
    box.setInformativeText(message);
    box.setIcon(QMessageBox::Warning);
    QList<QPushButton*> made;
    for (int i = 0; i < buttons.size() && i < 3; ++i)
        made << box.addButton(buttons[i], i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
    if (!made.isEmpty())
        box.setDefaultButton(made.first());
    box.exec();
    const int chosen = int(made.indexOf(static_cast<QPushButton*>(box.clickedButton())));
    return chosen == 0 ? AlertButton::First : chosen == 2 ? AlertButton::Third : AlertButton::Second;
}

Size MainWindow::mainScreenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? Size { double(screen->geometry().width()), double(screen->geometry().height()) } : Size {};
}

Rect MainWindow::screenFrameOfMainWindow() const
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? toBottomLeft(screen->geometry(), screenHeight(this)) : Rect {};
}

QWidget* MainWindow::window(WindowId id) const
{
    const auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : it->second.data();
}

// Frames are the windows' own geometry (without the desktop's decoration, which is not
// known before a window is first shown), the same for reading and setting, so a frame set
// back as it was read never grows. A maximised window gives its normal frame.
Rect MainWindow::windowFrame(WindowId id) const
{
    const QWidget* w = window(id);
    if (!w)
        return {};
    const QRect g = w->isMaximized() || w->isFullScreen() ? w->normalGeometry() : w->geometry();
    return toBottomLeft(g, screenHeight(w));
}

void MainWindow::setWindowFrame(WindowId id, const Rect& frame)
{
    QWidget* w = window(id);
    if (!w)
        return;
    QRect geometry = toTopLeft(frame, screenHeight(w));
    // A frame stored on a larger screen is brought within this one's working area.
    if (id == WindowId::Main) {
        const QScreen* screen = QGuiApplication::screenAt(geometry.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect room = screen->availableGeometry();
            geometry.setSize(geometry.size().boundedTo(room.size() - QSize(16, 48)).expandedTo(w->minimumSizeHint()));
            geometry.moveLeft(std::clamp(geometry.left(), room.left(), std::max(room.left(), room.right() - geometry.width())));
            geometry.moveTop(std::clamp(geometry.top(), room.top(), std::max(room.top(), room.bottom() - geometry.height())));
        }
    }
    w->setGeometry(geometry);
}

std::vector<Rect> MainWindow::screenFrames() const
{
    std::vector<Rect> frames;
    for (const QScreen* screen : QGuiApplication::screens())
        frames.push_back(toBottomLeft(screen->geometry(), screenHeight(this)));
    return frames;
}

std::pair<double, double> MainWindow::panelWidths() const
{
    return { double(m_leftArea->width()), double(m_rightArea->width()) };
}

void MainWindow::setPanelWidths(double left, double right)
{
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int l = int(std::lround(left)), r = int(std::lround(right));
    if (l > 0 && r > 0)
        m_splitter->setSizes({ l, r });
    else if (l > 0)
        m_splitter->setSizes({ l, std::max(total - l, 0) });
    else if (r > 0)
        m_splitter->setSizes({ std::max(total - r, 0), r });
}

void MainWindow::bringWindowForward(WindowId id, bool floating)
{
    QWidget* w = window(id);
    if (!w)
        return;
    if (floating && w != this)
        w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    w->show();
    w->raise();
    w->activateWindow();
}

void MainWindow::orderWindowOut(WindowId id)
{
    QWidget* w = window(id);
    if (!w)
        return;
    const bool sheet = w != this && w->windowModality() == Qt::WindowModal && w->isVisible();
    w->hide();
    // The keys go back to the window the sheet sat on, whatever the desktop does.
    if (sheet)
        activateWindow();
}

bool MainWindow::isWindowVisible(WindowId id) const
{
    const QWidget* w = window(id);
    return w && w->isVisible();
}

void MainWindow::setPresentationMode(bool fullScreen)
{
    QWidget* w = window(WindowId::FullScreenPanel);
    if (!w)
        return;
    if (fullScreen) {
        w->showFullScreen();
    } else if (w->isVisible()) {
        w->showNormal();
    } else {
        // Leaving the mode must not show a viewer that was already put away.
        w->setWindowState(w->windowState() & ~Qt::WindowFullScreen);
    }
}

void MainWindow::setOutputPanelCollapsed(bool collapsed)
{
    const int total = m_splitter->width();
    if (collapsed)
        m_splitter->setSizes({ total, 0 });
    else
        m_splitter->setSizes({ total / 2, total - total / 2 });
}

bool MainWindow::shiftKeyIsDown() const
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

void MainWindow::openUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void MainWindow::showHelpAnchor(const QString& anchor)
{
    if (!m_help) {
        m_help = new QTextBrowser(this);
        m_help->setWindowFlag(Qt::Window);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
        m_help->setWindowTitle(QStringLiteral("Quillum Help"));
        m_help->setOpenExternalLinks(true);
        m_help->resize(720, 640);
        // The page is a light document whatever the window's dark palette says.
        QPalette page = m_help->palette();
        page.setColor(QPalette::Base, QColor(250, 250, 248));
        page.setColor(QPalette::Text, QColor(34, 34, 34));
        page.setColor(QPalette::Link, QColor(20, 90, 170));
        page.setColor(QPalette::LinkVisited, QColor(90, 60, 150));
        m_help->setPalette(page);
    }
    m_help->setSource(QUrl(QStringLiteral("qrc:/help/index.html#") + anchor));
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MainWindow::terminate()
{
    QCoreApplication::quit();
}

} // namespace quillum
