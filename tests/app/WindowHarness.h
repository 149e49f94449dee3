#pragma once
// The real main window over a real controller, driven by real Qt events. Only the user's
// answers to modal panels and alerts are scripted, at the UiServices seam; everything else
// (menus, shortcuts, the crop view, the output view, the files written) is the application's.

#include "AppTestSupport.h"

#include "app/MainWindow.h"
#include "app/cropframe/PkCroppingImageViewWidget.h"
#include "app/output/OutputViewWidget.h"
#include "controller/zent3controller.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "TestSupport.h"

namespace quillum::test {

class ScriptedWindow : public MainWindow {
public:
    using MainWindow::MainWindow;

    // Null: the user cancels the panel.
    std::function<bool(SavePanel&)> onSavePanel;
    std::function<QStringList(bool& includeSubfolders)> onOpenPanel;
    std::function<QString()> onLogoOpenPanel;
    std::function<std::optional<QFont>(const QFont& current)> onFontPanel;
    std::function<QString(const QString& title)> onPresetSavePanel;
    std::function<QString(const QString& title)> onPresetOpenPanel;
    // Popped per alert; when empty the default (first) button is chosen.
    QList<AlertButton> alertAnswers;
    QStringList alerts; // "title | message"
    QImage capture;
    int savePanels = 0;

    bool runSavePanel(SavePanel& panel) override
    {
        ++savePanels;
        return onSavePanel && onSavePanel(panel);
    }
    QStringList runOpenPanel(bool& includeSubfolders) override
    {
        return onOpenPanel ? onOpenPanel(includeSubfolders) : QStringList {};
    }
    QString runLogoOpenPanel() override { return onLogoOpenPanel ? onLogoOpenPanel() : QString(); }
    QString runPresetSavePanel(const QString& title) override
    {
        return onPresetSavePanel ? onPresetSavePanel(title) : QString();
    }
    QString runPresetOpenPanel(const QString& title) override
    {
        return onPresetOpenPanel ? onPresetOpenPanel(title) : QString();
    }
    std::optional<QFont> runFontPanel(const QFont& current) override
    {
        return onFontPanel ? onFontPanel(current) : std::nullopt;
    }
    AlertButton runAlert(const QString& title, const QString& message, const QStringList&) override
    {
        alerts << title + QStringLiteral(" | ") + message;
        return alertAnswers.isEmpty() ? AlertButton::First : alertAnswers.takeFirst();
    }
    QImage captureScreen(int) override { return capture; }
};

// HOME and the XDG runtime and cache folders point into a fresh folder for the session's
// life, so nothing a test does reaches the user's own; the previous values come back after.
class PrivateHome {
public:
    PrivateHome()
    {
        QDir(m_root.path()).mkpath(QStringLiteral("home/.cache"));
        QDir(m_root.path()).mkdir(QStringLiteral("runtime"));
        // The runtime folder is only accepted when it is closed to everyone else.
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(m_root.path()).mkdir(QStringLiteral("tmp"));
        set("HOME", home());
        set("XDG_RUNTIME_DIR", runtime());
        set("XDG_CACHE_HOME", cache());
        // The photos live in the home folder; the system's temporary folder, whose files
        // are never offered again as recent, is elsewhere.
        set("TMPDIR", m_root.filePath(QStringLiteral("tmp")));
    }
    ~PrivateHome()
    {
        for (const auto& [name, value] : m_saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    QString home() const { return m_root.filePath(QStringLiteral("home")); }
    QString runtime() const { return m_root.filePath(QStringLiteral("runtime")); }
    QString cache() const { return m_root.filePath(QStringLiteral("home/.cache")); }

private:
    void set(const char* name, const QString& value)
    {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
        qputenv(name, QFile::encodeName(value));
    }
    QTemporaryDir m_root;
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

// A folder of photos, the window shown, and the gestures a user makes.
struct WindowSession {
    bool applicationReady = (testApplication(), true); // before any widget
    PrivateHome privateHome; // before the controller: it finds its folders at start
    QTemporaryDir pictures { privateHome.home() + QStringLiteral("/Pictures-XXXXXX") };
    QTemporaryDir out { privateHome.home() + QStringLiteral("/Crops-XXXXXX") };
    NotificationCenter center;
    zent3controller controller { center };
    ScriptedWindow window { controller };

    // `beforeStart` may furnish the private home or give the controller a settings store
    // before the controller starts.
    explicit WindowSession(std::initializer_list<const char*> names = { "a.jpg", "b.jpg", "c.jpg" },
        const char* sample = "coffee.jpg", const std::function<void(WindowSession&)>& beforeStart = {})
    {
        // Picture names get a copy of the sample, other names an empty file; folders are made.
        for (const char* name : names) {
            const QString path = pictures.filePath(QString::fromLatin1(name));
            QDir().mkpath(QFileInfo(path).path());
            if (path.endsWith(QLatin1String(".jpg")))
                QFile::copy(samplePath(sample), path);
            else
                QFile(path).open(QIODevice::WriteOnly);
        }
        if (beforeStart)
            beforeStart(*this);
        window.resize(1200, 800); // the designed size; stored settings may change it
        controller.setUiServices(&window);
        controller.awakeFromNib();
        window.show();
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);
        // The window reports the end of its first layout as a live resize a moment later
        // (which refits the picture); let it pass before the user acts.
        QTest::qWait(260);
    }
    ~WindowSession() { controller.setUiServices(nullptr); }

    QString picture(const char* name) const { return pictures.filePath(QString::fromLatin1(name)); }
    QString output(const QString& name) const { return QDir(out.path()).filePath(name); }

    // The menu action with this text (mnemonic ampersands ignored); null when there is none.
    QAction* action(const QString& text) const
    {
        for (QAction* a : window.findChildren<QAction*>())
            if (QString(a->text()).remove(QLatin1Char('&')) == text)
                return a;
        return nullptr;
    }
    // Triggers the action as a menu choice does; false when it is missing or disabled.
    bool choose(const QString& text) const
    {
        QAction* a = action(text);
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        QCoreApplication::processEvents();
        settle();
        return true;
    }
    // Lets a render running on the worker and a file being written arrive, as a user waits
    // to see the output and hear the shutter.
    void settle() const
    {
        QElapsedTimer t;
        t.start();
        while ((controller.renderIsPending() || controller.saveIsPending()) && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    // Presses a key combination the way the keyboard does, to the focused widget.
    void press(QKeySequence keys)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        const QKeyCombination k = keys[0];
        QTest::keyClick(target, k.key(), k.keyboardModifiers());
        QCoreApplication::processEvents();
        settle();
    }
    void press(QKeySequence::StandardKey key) { press(QKeySequence(key)); }

    // A child widget by object name and type; null when missing.
    template <typename W> W* find(const char* name) const
    {
        return window.findChild<W*>(QString::fromLatin1(name));
    }

    PkCroppingImageViewWidget& cropView() const { return *window.cropView(); }
    // The crop view's widget point showing a point of the picture (pixels, origin bottom-left).
    QPoint atPicture(double x, double y)
    {
        const float s = controller.leftPanel().scale();
        return cropView().toWidget(Point { x * s, y * s }).toPoint();
    }
    // Press, move in steps, release: a real drag with the left button.
    void drag(QWidget* widget, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}, int steps = 8)
    {
        // QTest takes the null point (0, 0) for "the centre of the widget".
        EXPECT_FALSE(from.isNull() || to.isNull()) << "QTest would use the widget's centre";
        QTest::mousePress(widget, Qt::LeftButton, modifiers, from);
        for (int i = 1; i <= steps; ++i) {
            const QPointF p = QPointF(from) + QPointF(to - from) * (double(i) / steps);
            QMouseEvent move(QEvent::MouseMove, p, widget->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, modifiers);
            QCoreApplication::sendEvent(widget, &move);
        }
        QTest::mouseRelease(widget, Qt::LeftButton, modifiers, to);
        QCoreApplication::processEvents();
        settle();
    }
    Rect frame() { return controller.leftPanel().selRect()->frame(); }
    QLineEdit* nameField() const { return window.findChild<QLineEdit*>(QStringLiteral("outputName")); }
    // The status strip's note shown after a save.
    QLabel* savedLabel() const { return window.findChild<QLabel*>(QStringLiteral("outputSaved")); }

    // Opens a picture (or a folder) through File > Open…, the panel answered.
    bool open(const QString& path, bool includeSubfolders = false)
    {
        window.onOpenPanel = [path, includeSubfolders](bool& subfolders) {
            subfolders = includeSubfolders;
            return QStringList { path };
        };
        const bool chosen = choose(QStringLiteral("Open…"));
        window.onOpenPanel = nullptr;
        return chosen;
    }

    // The user's hands on the next modal window of type T (a panel, a question), once it is up;
    // schedule before the gesture that opens it. A window that never comes fails the test, and
    // a stuck one is closed so the test cannot hang.
    template <typename T> void whenModal(std::function<void(T*)> hands)
    {
        auto* poll = new QTimer(QCoreApplication::instance());
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, hands, tries = 0]() mutable {
            auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!modal && ++tries <= 500)
                return;
            poll->stop();
            poll->deleteLater();
            if (modal) {
                hands(modal);
                return;
            }
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " came up";
            if (auto* stuck = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                stuck->reject();
        });
        poll->start();
    }

    // Presses on the output and moves out of it, as a drag does; `landing` is where the drop
    // lands (Qt::IgnoreAction: nowhere). Answers the files the drag carried.
    QStringList dragOutput(Qt::DropAction landing)
    {
        OutputViewWidget* view = window.outputView();
        QStringList carried;
        view->setDragRunner([&](QDrag& d) {
            for (const QUrl& url : d.mimeData()->urls())
                carried << url.toLocalFile();
            return landing;
        });
        const QPoint from = view->rect().center();
        drag(view, from, from + QPoint(60, 40));
        view->setDragRunner({});
        return carried;
    }
};

} // namespace quillum::test
