// Gestures performed in the real window with real Qt events; each test checks what the
// user gets: the files, the title, the counter, the output.

#include "WindowHarness.h"

#include <gtest/gtest.h>

using namespace quillum;
using namespace quillum::test;

TEST(WindowGestures, OpeningAPhotoFromTheOpenPanelListsItsFolder)
{
    WindowSession s;
    s.window.onOpenPanel = [&](bool&) { return QStringList { s.picture("b.jpg") }; };
    ASSERT_TRUE(s.choose(QStringLiteral("Open…")));
    EXPECT_EQ(s.controller.fileCounter(), QStringLiteral("2/3"));
    EXPECT_TRUE(s.window.windowTitle().startsWith(QStringLiteral("b.jpg - 600 x 400")));
    ASSERT_TRUE(s.controller.outPict());
}
