#pragma once
// Shared by the decoration tests: one offscreen QGuiApplication (fonts need it), output
// bitmaps in the working format, and reading drawn pixels back in bottom-left coordinates.

#include "platform/BitmapImageRep.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace quillum::test {

struct GuiEnvironment : ::testing::Environment {
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_decorations";
        static char* argv[] = { name, nullptr };
        if (!QGuiApplication::instance())
            m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }
    QGuiApplication* m_app = nullptr;
};

inline const bool guiEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new GuiEnvironment), true);

using Argb = std::array<std::uint8_t, 4>;

// A W x H output filled with one A,R,G,B value; `padding` extra bytes end every row.
inline BitmapImageRep filledOutput(int width, int height, Argb fill, std::size_t padding = 0)
{
    BitmapImageRep::Layout layout;
    layout.width = width;
    layout.height = height;
    layout.bytesPerRow = std::size_t(width) * 4 + padding;
    BitmapImageRep rep(layout);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rep.bitmapData() + std::size_t(y) * rep.bytesPerRow();
        for (int x = 0; x < width; ++x)
            std::memcpy(row + std::size_t(x) * 4, fill.data(), 4);
        std::memset(row + std::size_t(width) * 4, 0xEE, padding);
    }
    return rep;
}

// The pixel at (x, y) counted from the bottom-left corner.
inline Argb pixelAt(const BitmapImageRep& rep, int x, int y)
{
    const std::uint8_t* p
        = rep.bitmapData() + std::size_t(rep.pixelsHigh() - 1 - y) * rep.bytesPerRow() + std::size_t(x) * 4;
    return { p[0], p[1], p[2], p[3] };
}

// The bounding box, bottom-left origin, of the pixels whose channel `channel` exceeds
// `threshold`; empty (right < left) when there are none.
struct InkBox {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1; // inclusive
    bool isEmpty() const { return right < left; }
    int width() const { return right - left + 1; }
};
inline InkBox inkBox(const BitmapImageRep& rep, int channel, int threshold)
{
    InkBox box;
    for (int y = 0; y < rep.pixelsHigh(); ++y)
        for (int x = 0; x < rep.pixelsWide(); ++x)
            if (pixelAt(rep, x, y)[std::size_t(channel)] > threshold) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.bottom = std::min(box.bottom, y);
                box.top = std::max(box.top, y);
            }
    return box;
}

inline bool samePixels(const BitmapImageRep& a, const BitmapImageRep& b)
{
    return a.pixelsWide() == b.pixelsWide() && a.pixelsHigh() == b.pixelsHigh() && a.bytesPerRow() == b.bytesPerRow()
        && std::memcmp(a.bitmapData(), b.bitmapData(), a.planeBytes()) == 0;
}

} // namespace quillum::test
