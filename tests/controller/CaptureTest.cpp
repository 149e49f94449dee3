// Screen captures become the picture like a paste; cancelled ones change nothing.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace quillum;

namespace {

struct ScriptedCapture : UiServices {
    QImage next;
    QList<int> options;
    QStringList alerts;
    QImage captureScreen(int option) override
    {
        options << option;
        return next;
    }
    AlertButton runAlert(const QString& title, const QString&, const QStringList&) override
    {
        alerts << title;
        return AlertButton::First;
    }
};

} // namespace

TEST(Capture, CancelledCaptureChangesNothingAndSaysNothing)
{
    NotificationCenter center;
    zent3controller c { center };
    ScriptedCapture ui;
    c.setUiServices(&ui);
    c.leftPanel().setScrollViewFrameSize({ 600, 400 });
    c.applicationOpenFile(test::samplePath("coffee.jpg"));
    const BitmapImageRep* before = c.srcImageRep();
    const Rect frame = c.leftPanel().selRect()->frame();
    const QStringList list = c.pics();
    c.takeScreenshot();
    c.takeFullScreenshot();
    EXPECT_EQ(ui.options, (QList<int> { 1, 2 }));
    EXPECT_EQ(c.srcImageRep(), before);
    EXPECT_EQ(c.leftPanel().selRect()->frame(), frame);
    EXPECT_EQ(c.pics(), list);
    EXPECT_TRUE(ui.alerts.isEmpty());

    ui.next = QImage(40, 30, QImage::Format_RGB32);
    ui.next.fill(qRgb(1, 2, 3));
    c.takeScreenshot();
    ASSERT_TRUE(c.srcImageRep());
    EXPECT_EQ(c.srcImageRep()->pixelsWide(), 40);
    EXPECT_EQ(c.outPict()->pixelsHigh(), 30);
    EXPECT_EQ(c.pics(), list) << "a capture has no file: the list stays";
}

TEST(Capture, OffersItselfOnlyToServicesThatSendNothingAndReturnAnImage)
{
    struct Row {
        const char* send;
        const char* receive;
        bool answers;
    } rows[] = { { "", "image/tiff", true }, { "text/plain", "image/tiff", false }, { "", "text/plain", false } };
    for (const Row& r : rows)
        EXPECT_EQ(zent3controller::validRequestorForSendTypeReturnType(
                      QString::fromLatin1(r.send), QString::fromLatin1(r.receive)),
            r.answers)
            << r.send << " -> " << r.receive;
}
