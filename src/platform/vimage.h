#pragma once
// 8-bit ARGB image routines over caller-owned buffers.
//
// Shared rules of this family:
// - A buffer is {data, height, width, rowBytes}; rows are top row first; rowBytes may exceed
//   width * bytes per pixel (padding is never read or written).
// - ARGB8888 pixels are 4 bytes in the order A, R, G, B. Channel index 0 is A, 3 is B.
// - Unless a routine says otherwise, src and dest may be the same buffer (in place), and
//   src and dest must have the same height and width.
// - Integer arithmetic; every result is clamped to 0..255. "Rounded" means to nearest with
//   halves rounded up (floor(v + 1/2)).
// - A routine returns kvImageNoError or a negative error code; it never allocates on the
//   per-pixel path. Large buffers are split by rows across two threads.

#include <cstddef>
#include <cstdint>

namespace quillum {

struct vImage_Buffer {
    void* data = nullptr;
    std::size_t height = 0;
    std::size_t width = 0;
    std::size_t rowBytes = 0;
};

using vImage_Error = long;
using vImage_Flags = std::uint32_t;
using vImagePixelCount = unsigned long;
using Pixel_8888 = std::uint8_t[4];

enum : vImage_Error {
    kvImageNoError = 0,
    kvImageInvalidParameter = -21773, // null data, rowBytes too small, mismatched sizes
    kvImageInternalError = -21778, // the resampling library failed
};

enum : vImage_Flags {
    kvImageNoFlags = 0,
    kvImageLeaveAlphaUnchanged = 1,
    kvImageCopyInPlace = 2,
    kvImageBackgroundColorFill = 4,
    kvImageEdgeExtend = 8,
    kvImageDoNotTile = 16,
    kvImageHighQualityResampling = 32,
};

// dest channel i = src channel permuteMap[i] (each map entry 0..3).
[[nodiscard]] vImage_Error vImagePermuteChannels_ARGB8888(
    const vImage_Buffer* src, const vImage_Buffer* dest, const std::uint8_t permuteMap[4], vImage_Flags flags);

// Packed R,G,B bytes to A,R,G,B. A comes from aSrc (a planar 8-bit buffer) when given, else
// the constant alpha. With premultiply, colour = rounded(colour * A / 255).
[[nodiscard]] vImage_Error vImageConvert_RGB888toARGB8888(const vImage_Buffer* rgbSrc, const vImage_Buffer* aSrc,
    std::uint8_t alpha, const vImage_Buffer* dest, bool premultiply, vImage_Flags flags);

// 256 counts per channel, histogram[0] for A ... histogram[3] for B.
[[nodiscard]] vImage_Error vImageHistogramCalculation_ARGB8888(
    const vImage_Buffer* src, vImagePixelCount* histogram[4], vImage_Flags flags);

// dest channel = table[src channel]; a null table leaves that channel as it is in src.
[[nodiscard]] vImage_Error vImageTableLookUp_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    const std::uint8_t alphaTable[256], const std::uint8_t redTable[256], const std::uint8_t greenTable[256],
    const std::uint8_t blueTable[256], vImage_Flags flags);

// Each pixel is a row vector (A,R,G,B); matrix is row-major with rows = input channels and
// columns = output channels: out[j] = (sum_i (in[i] + preBias[i]) * matrix[4*i + j] + postBias[j])
// / divisor, the division rounded (halves up, also for negative sums), then clamped.
// Null biases are zero. divisor must be positive.
[[nodiscard]] vImage_Error vImageMatrixMultiply_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    const std::int16_t matrix[16], std::int32_t divisor, const std::int16_t preBias[4], const std::int32_t postBias[4],
    vImage_Flags flags);

// Convolution of all four channels with an odd-sized kernel (row-major, kernel[0] is the
// top-left weight), the weighted sum divided by divisor (rounded, halves up), clamped.
// Edge rule, kvImageCopyInPlace: a pixel the kernel cannot cover (closer than kernelWidth/2
// or kernelHeight/2 to an edge) is copied from src unchanged; with kvImageBackgroundColorFill
// missing neighbours read backgroundColor; with kvImageEdgeExtend they read the nearest edge
// pixel. src and dest must not overlap. roiX/roiY offset the source read (usually 0).
[[nodiscard]] vImage_Error vImageConvolve_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    void* tempBuffer, std::size_t roiX, std::size_t roiY, const std::int16_t* kernel, std::uint32_t kernelHeight,
    std::uint32_t kernelWidth, std::int32_t divisor, const Pixel_8888 backgroundColor, vImage_Flags flags);

// Row order reversed (upside down) / column order reversed (mirrored left to right).
[[nodiscard]] vImage_Error vImageVerticalReflect_ARGB8888(
    const vImage_Buffer* src, const vImage_Buffer* dest, vImage_Flags flags);
[[nodiscard]] vImage_Error vImageHorizontalReflect_ARGB8888(
    const vImage_Buffer* src, const vImage_Buffer* dest, vImage_Flags flags);

// Exact quarter turns. rotationConstant 0 copies, 1 turns a quarter counter-clockwise (as
// seen on screen), 2 a half turn, 3 a quarter clockwise. For 1 and 3 dest is src's height
// wide and src's width high. src and dest must not overlap. backColor is unused.
[[nodiscard]] vImage_Error vImageRotate90_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    std::uint8_t rotationConstant, const Pixel_8888 backColor, vImage_Flags flags);

// Turns src about its centre by angleInRadians (positive = counter-clockwise as seen on
// screen, so pi/2 matches rotation constant 1) into dest, whose size may differ: the centres
// of both buffers coincide. Bilinear resampling of all four channels (weights in 1/256,
// rounded); neighbours outside src read backColor with kvImageBackgroundColorFill (else 0),
// so the turned picture's edges blend into it.
[[nodiscard]] vImage_Error vImageRotate_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, void* tempBuffer,
    float angleInRadians, const Pixel_8888 backColor, vImage_Flags flags);

// colour = rounded(colour * A / 255); A unchanged.
[[nodiscard]] vImage_Error vImagePremultiplyData_ARGB8888(
    const vImage_Buffer* src, const vImage_Buffer* dest, vImage_Flags flags);

// Premultiplied "over" with a constant opacity for the top layer:
//   topA' = rounded(top.A * constAlpha / 255)
//   out[c] = rounded((top[c] * constAlpha + bottom[c] * (255 - topA')) / 255) for all four channels.
[[nodiscard]] vImage_Error vImagePremultipliedConstAlphaBlend_ARGB8888(const vImage_Buffer* srcTop,
    std::uint8_t constAlpha, const vImage_Buffer* srcBottom, const vImage_Buffer* dest, vImage_Flags flags);

// Resamples src to exactly dest's size: Lanczos3 when reducing (after an exact box shrink
// below a third), bicubic when enlarging; all four channels resampled alike (alpha is not
// premultiplied first), so a flat area stays flat. src and dest must not
// overlap. tempBuffer is unused.
[[nodiscard]] vImage_Error vImageScale_ARGB8888(
    const vImage_Buffer* src, const vImage_Buffer* dest, void* tempBuffer, vImage_Flags flags);

// --- Extensions without a counterpart in the family above --------------------------------

// Histograms of a packed 8-bit buffer of `channels` (1 or 3) interleaved samples per pixel;
// histogram[c] receives the 256 counts of channel c.
[[nodiscard]] vImage_Error vImageHistogramCalculation_Packed8(
    const vImage_Buffer* src, std::size_t channels, vImagePixelCount* histogram[], vImage_Flags flags);

// Half-strength sharpening in one pass: the 3 x 3 convolution of src with edges copied
// (vImageConvolve_ARGB8888 with kvImageCopyInPlace), then src premultiplied laid over it with
// constAlpha (vImagePremultiplyData_ARGB8888, vImagePremultipliedConstAlphaBlend_ARGB8888):
// the bytes of those three calls. src and dest must not overlap.
[[nodiscard]] vImage_Error vImageConvolveThenBlendOver_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    const std::int16_t kernel[9], std::int32_t divisor, std::uint8_t constAlpha, vImage_Flags flags);

// One pass from an opaque packed source (`channels` 1 = grey or 3 = R,G,B samples per
// pixel, rows tightly packed) to an ARGB8888 dest: the region of interest is cut out, each
// channel goes through its table (tables null: unchanged; grey uses tables[0]), the result
// is resampled as vImageScale_ARGB8888 does to exactly dest's size, and A is 255. Grey is
// replicated into R, G and B. The same pixels as converting, looking up and scaling in
// three steps, without the full-size intermediate.
[[nodiscard]] vImage_Error vImageScaleLookUp_Packed8toARGB8888(const vImage_Buffer* src, std::size_t channels,
    std::size_t roiX, std::size_t roiY, std::size_t roiWidth, std::size_t roiHeight,
    const std::uint8_t* const tables[3], const vImage_Buffer* dest, vImage_Flags flags);

} // namespace quillum
