#pragma once
// One QApplication for the widget tests (offscreen platform, set by CTest).

#include <QApplication>

namespace quillum::test {

inline QApplication& testApplication()
{
    static int argc = 1;
    static char name[] = "quillum-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv); // lives until exit
    return *app;
}

} // namespace quillum::test
