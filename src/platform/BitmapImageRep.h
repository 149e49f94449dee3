#pragma once
// A decoded or working bitmap: pixel data plus the layout facts needed to read it.
// Rows are stored top row first. Data is 8 bits per sample; a plane holds
// bytesPerRow * height bytes. Move-only: copying 100 MB by accident is a bug.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillum {

enum class ColorSpace { CalibratedRGB, DeviceRGB, CalibratedWhite, DeviceCMYK, Other };

// The name shown in the source description.
const char* colorSpaceName(ColorSpace space);

// Bitmap format flags (bit values as the platform's bitmap format flags).
enum BitmapFormat : unsigned {
    BitmapFormatAlphaFirst = 1u << 0,
    BitmapFormatAlphaNonpremultiplied = 1u << 1,
    BitmapFormatFloatingPointSamples = 1u << 2,
};

struct PixelDeleter {
    std::size_t capacity = 0;
    void operator()(std::uint8_t* data) const;
};

class BitmapImageRep {
public:
    struct Layout {
        int width = 0;
        int height = 0;
        int samplesPerPixel = 4;
        int bitsPerSample = 8;
        int bitsPerPixel = 32; // interleaved: may exceed samples*8 (padding); planar: 8
        std::size_t bytesPerRow = 0; // 0 = tightly packed
        bool hasAlpha = true;
        bool planar = false;
        unsigned formatFlags = BitmapFormatAlphaFirst;
        ColorSpace colorSpace = ColorSpace::CalibratedRGB;
    };

    BitmapImageRep() = default;
    // Allocates uninitialised storage for the layout; fails (isNull) when the size is
    // not positive, the byte count overflows or memory runs out.
    explicit BitmapImageRep(const Layout& layout);

    BitmapImageRep(BitmapImageRep&&) noexcept = default;
    BitmapImageRep& operator=(BitmapImageRep&&) noexcept = default;
    BitmapImageRep(const BitmapImageRep&) = delete;
    BitmapImageRep& operator=(const BitmapImageRep&) = delete;

    // The working format: 8-bit A,R,G,B interleaved, row bytes width*4, calibrated RGB.
    static BitmapImageRep makeARGB(int width, int height);

    BitmapImageRep clone() const;
    bool isNull() const { return !m_data; }

    const Layout& layout() const { return m_layout; }
    int pixelsWide() const { return m_layout.width; }
    int pixelsHigh() const { return m_layout.height; }
    int samplesPerPixel() const { return m_layout.samplesPerPixel; }
    int bitsPerPixel() const { return m_layout.bitsPerPixel; }
    std::size_t bytesPerRow() const { return m_layout.bytesPerRow; }
    bool hasAlpha() const { return m_layout.hasAlpha; }
    bool isPlanar() const { return m_layout.planar; }
    unsigned bitmapFormat() const { return m_layout.formatFlags; }
    ColorSpace colorSpace() const { return m_layout.colorSpace; }
    int numberOfPlanes() const { return m_layout.planar ? m_layout.samplesPerPixel : 1; }
    bool isWorkingFormat() const;

    std::uint8_t* plane(int index = 0) { return m_data.get() + std::size_t(index) * planeBytes(); }
    const std::uint8_t* plane(int index = 0) const { return m_data.get() + std::size_t(index) * planeBytes(); }
    std::uint8_t* bitmapData() { return m_data.get(); }
    const std::uint8_t* bitmapData() const { return m_data.get(); }
    std::size_t planeBytes() const { return m_layout.bytesPerRow * std::size_t(m_layout.height); }

    // The embedded ICC profile (empty when none).
    const QByteArray& colorProfile() const { return m_iccProfile; }
    void setColorProfile(const QByteArray& profile) { m_iccProfile = profile; }

    // Large pixel buffers are recycled: a render allocates one while the previous output is
    // still alive, and fresh memory costs a page fault per 4 KB (a third of a 24 MP
    // conversion). Freed buffers of 8 MB or more wait here for reuse (two at most).
    static void releaseRecycledBuffers();

private:
    Layout m_layout;
    std::unique_ptr<std::uint8_t[], PixelDeleter> m_data;
    QByteArray m_iccProfile;
};

} // namespace quillum
