#pragma once
// One QApplication for the widget tests (offscreen platform, set by CTest), deleted after
// the last test so nothing it holds is reported as leaked.

#include <QApplication>

#include <gtest/gtest.h>

namespace quillum::test {

inline QApplication*& applicationSlot()
{
    static QApplication* app = nullptr;
    return app;
}

inline QApplication& testApplication()
{
    static int argc = 1;
    static char name[] = "quillum-tests";
    static char* argv[] = { name, nullptr };
    if (!applicationSlot())
        applicationSlot() = new QApplication(argc, argv);
    return *applicationSlot();
}

struct ApplicationEnvironment : ::testing::Environment {
    void TearDown() override
    {
        delete applicationSlot();
        applicationSlot() = nullptr;
    }
};

inline const bool applicationEnvironmentRegistered
    = (::testing::AddGlobalTestEnvironment(new ApplicationEnvironment), true);

} // namespace quillum::test
