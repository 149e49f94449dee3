#pragma once
// The real main window over a real controller, driven by real Qt events. Only the user's
// answers to modal panels and alerts are scripted, at the UiServices seam; everything else
// (menus, shortcuts, the crop view, the output view, the files written) is the application's.

#include "AppTestSupport.h"

#include "app/MainWindow.h"
#include "app/cropframe/PkCroppingImageViewWidget.h"
#include "controller/zent3controller.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"

namespace quillum::test {

class ScriptedWindow : public MainWindow {
public:
    using MainWindow::MainWindow;

    // Null: the user cancels the panel.
    std::function<bool(SavePanel&)> onSavePanel;
    std::function<QStringList(bool& includeSubfolders)> onOpenPanel;
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
    AlertButton runAlert(const QString& title, const QString& message, const QStringList&) override
    {
        alerts << title + QStringLiteral(" | ") + message;
        return alertAnswers.isEmpty() ? AlertButton::First : alertAnswers.takeFirst();
    }
    QImage captureScreen(int) override { return capture; }
};

// A folder of photos, the window shown, and the gestures a user makes.
struct WindowSession {
    bool applicationReady = (testApplication(), true); // before any widget
    QTemporaryDir pictures;
    QTemporaryDir out;
    NotificationCenter center;
    zent3controller controller { center };
    ScriptedWindow window { controller };

    explicit WindowSession(std::initializer_list<const char*> names = { "a.jpg", "b.jpg", "c.jpg" },
        const char* sample = "coffee.jpg")
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
        controller.setUiServices(&window);
        controller.awakeFromNib();
        window.resize(1200, 800);
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
        return true;
    }
    // Presses a key combination the way the keyboard does, to the focused widget.
    void press(QKeySequence keys)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        const QKeyCombination k = keys[0];
        QTest::keyClick(target, k.key(), k.keyboardModifiers());
        QCoreApplication::processEvents();
    }
    void press(QKeySequence::StandardKey key) { press(QKeySequence(key)); }

    // Opens a photo of the folder the way the user does: Ctrl+O, the panel answered.
    void open(const QString& path, bool includeSubfolders = false)
    {
        window.onOpenPanel = [path, includeSubfolders](bool& subfolders) {
            subfolders = includeSubfolders;
            return QStringList { path };
        };
        press(QKeySequence::Open);
        window.onOpenPanel = nullptr;
    }
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
    }
    Rect frame() { return controller.leftPanel().selRect()->frame(); }
    QLineEdit* nameField() const { return window.findChild<QLineEdit*>(QStringLiteral("outputName")); }
};

} // namespace quillum::test
