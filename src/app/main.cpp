// Quillum: the application. Wires the controller to the main window and runs the loop.

#include "app/MainWindow.h"
#include "controller/zent3controller.h"
#include "input/CommandLine.h"

#include <QApplication>
#include <QIcon>
#include <QPalette>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

using namespace quillum;

namespace {

// A neutral dark surround: colours in a photo read truest against grey.
void applyDarkPalette(QApplication& app)
{
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    const QColor window(43, 43, 46), base(30, 30, 32), text(222, 222, 222), accent(64, 132, 214);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(56, 56, 60));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Dark, QColor(27, 27, 29));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    app.setPalette(p);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillum"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));
    // The installed desktop entry's id (cmake/Install.cmake): docks match the window to the
    // entry by it and show the installed icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillum.Quillum"));
    applyDarkPalette(app);

    NotificationCenter& center = NotificationCenter::defaultCenter();
    zent3controller controller(center);
    UserDefaults defaults(UserDefaults::standardFilePath());
    controller.setUserDefaults(&defaults);
    MainWindow window(controller);
    // Run from the build tree, the theme has no such icon: the bundled copies (registered
    // with the window's resources) stand in.
    QIcon icon = QIcon::fromTheme(QStringLiteral("org.quillum.Quillum"));
    if (icon.isNull())
        for (const char* size : { "64", "256" })
            icon.addFile(QStringLiteral(":/icons/quillum-%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    controller.setUiServices(&window);
    controller.awakeFromNib();
    controller.applicationWillFinishLaunching();
    window.show();

    // Files named on the command line (or handed over by the desktop) open as documents.
    for (const QString& path : filesToOpenFromArguments(QApplication::arguments().mid(1)))
        controller.applicationOpenFile(path);

    QObject::connect(&app, &QCoreApplication::aboutToQuit,
        [&] { center.postNotificationName(notification::ApplicationWillTerminate, &app); });
    center.postNotificationName(notification::ApplicationDidFinishLaunching, &app);
    // For the start-up benchmark and the install test: leave as soon as the window has been
    // shown once. Queued here, after the files above were opened, so the title printed is
    // the opened picture's.
    if (qEnvironmentVariableIsSet("QUILLUM_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [&] {
            std::fprintf(stdout, "%s\n", qUtf8Printable(window.windowTitle()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    return app.exec();
}
