#include "vimage.h"

#include "BitmapImageRep.h"
#include "VipsRuntime.h"

#include <vips/vips.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quillum {
namespace {

constexpr std::size_t kParallelPixels = std::size_t(1) << 20;

// One long-lived helper thread shared by every forRows call: a render makes a dozen passes,
// and starting a thread for each cost more than some of the passes themselves. A caller
// that finds it busy (another thread is rendering) starts a thread of its own as before.
class RowHelper {
public:
    static RowHelper& shared()
    {
        static RowHelper* helper = new RowHelper; // never destroyed: it may be waiting at exit
        return *helper;
    }

    // Runs job on the helper thread when it is free and returns true; the caller must then
    // call wait() before job goes out of scope.
    bool tryStart(const std::function<void()>& job)
    {
        if (!m_owner.try_lock())
            return false;
        try {
            std::unique_lock lock(m_mutex);
            if (!m_thread.joinable())
                m_thread = std::thread([this] { loop(); });
            m_job = &job;
            m_done = false;
        } catch (const std::exception&) {
            m_owner.unlock();
            return false;
        }
        m_wake.notify_one();
        return true;
    }

    void wait()
    {
        {
            std::unique_lock lock(m_mutex);
            m_finished.wait(lock, [this] { return m_done; });
        }
        m_owner.unlock();
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_job != nullptr; });
            const std::function<void()>* job = m_job;
            lock.unlock();
            (*job)(); // never throws: forRows catches
            lock.lock();
            m_job = nullptr;
            m_done = true;
            m_finished.notify_one();
        }
    }

    std::mutex m_owner; // held by the forRows call using the helper
    std::mutex m_mutex;
    std::condition_variable m_wake, m_finished;
    const std::function<void()>* m_job = nullptr;
    bool m_done = false;
    std::thread m_thread;
};

// Runs fn(firstRow, endRow) over [0, height), on two threads when the buffer is large.
template <typename Fn> void forRows(std::size_t height, std::size_t width, Fn&& fn)
{
    if (height < 2 || height * width < kParallelPixels) {
        fn(std::size_t(0), height);
        return;
    }
    const std::size_t half = height / 2;
    // Short of memory, the second thread may not start (this one then does both halves) or
    // a half may throw: the failure reaches the caller instead of ending the process.
    std::exception_ptr failures[2];
    const auto run = [&fn](std::size_t y0, std::size_t y1, std::exception_ptr& failure) {
        try {
            fn(y0, y1);
        } catch (...) {
            failure = std::current_exception();
        }
    };
    const std::function<void()> secondHalf = [&] { run(half, height, failures[1]); };
    RowHelper& helper = RowHelper::shared();
    if (helper.tryStart(secondHalf)) {
        run(std::size_t(0), half, failures[0]);
        helper.wait();
    } else {
        std::thread worker;
        try {
            worker = std::thread(secondHalf);
        } catch (const std::exception&) {
            secondHalf();
        }
        run(std::size_t(0), half, failures[0]);
        if (worker.joinable())
            worker.join();
    }
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

bool valid(const vImage_Buffer* b, std::size_t bytesPerPixel)
{
    return b && b->data && b->width > 0 && b->height > 0 && b->rowBytes >= b->width * bytesPerPixel;
}

bool sameSize(const vImage_Buffer* a, const vImage_Buffer* b)
{
    return a->width == b->width && a->height == b->height;
}

bool overlaps(const vImage_Buffer* a, const vImage_Buffer* b)
{
    auto* a0 = static_cast<const std::uint8_t*>(a->data);
    auto* b0 = static_cast<const std::uint8_t*>(b->data);
    const std::uint8_t* a1 = a0 + a->rowBytes * a->height;
    const std::uint8_t* b1 = b0 + b->rowBytes * b->height;
    return a0 < b1 && b0 < a1;
}

inline std::uint8_t* row(const vImage_Buffer* b, std::size_t y)
{
    return static_cast<std::uint8_t*>(b->data) + y * b->rowBytes;
}

inline std::uint8_t clamp255(int v)
{
    return std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// floor(n / d + 1/2) for d > 0, also for negative n.
inline std::int64_t divRound(std::int64_t n, std::int64_t d)
{
    const std::int64_t t = n * 2 + d;
    const std::int64_t q = t / (2 * d);
    return (t % (2 * d) < 0) ? q - 1 : q;
}

// rounded(x * a / 255) for x, a in 0..255, exact.
inline std::uint8_t mul255(unsigned x, unsigned a)
{
    const unsigned t = x * a + 128;
    return std::uint8_t((t + (t >> 8)) >> 8);
}

} // namespace

vImage_Error vImagePermuteChannels_ARGB8888(
    const vImage_Buffer* src, const vImage_Buffer* dest, const std::uint8_t permuteMap[4], vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !sameSize(src, dest) || !permuteMap)
        return kvImageInvalidParameter;
    const unsigned m0 = permuteMap[0] & 3, m1 = permuteMap[1] & 3, m2 = permuteMap[2] & 3, m3 = permuteMap[3] & 3;
    const bool identity = m0 == 0 && m1 == 1 && m2 == 2 && m3 == 3;
    forRows(src->height, src->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* s = row(src, y);
            std::uint8_t* d = row(dest, y);
            if (identity) {
                if (s != d)
                    std::memmove(d, s, src->width * 4);
                continue;
            }
            for (std::size_t x = 0; x < src->width; ++x, s += 4, d += 4) {
                const std::uint8_t p[4] = { s[0], s[1], s[2], s[3] };
                d[0] = p[m0];
                d[1] = p[m1];
                d[2] = p[m2];
                d[3] = p[m3];
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImageConvert_RGB888toARGB8888(const vImage_Buffer* rgbSrc, const vImage_Buffer* aSrc, std::uint8_t alpha,
    const vImage_Buffer* dest, bool premultiply, vImage_Flags)
{
    if (!valid(rgbSrc, 3) || !valid(dest, 4) || !sameSize(rgbSrc, dest) || overlaps(rgbSrc, dest))
        return kvImageInvalidParameter;
    if (aSrc && (!valid(aSrc, 1) || !sameSize(aSrc, dest)))
        return kvImageInvalidParameter;
    const std::size_t width = dest->width;
    forRows(dest->height, width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* s = row(rgbSrc, y);
            const std::uint8_t* a = aSrc ? row(aSrc, y) : nullptr;
            std::uint8_t* d = row(dest, y);
            if (!a && (!premultiply || alpha == 255)) {
                // Hot path for photos: a plain byte shuffle the compiler vectorises.
                for (std::size_t x = 0; x < width; ++x) {
                    d[4 * x] = alpha;
                    d[4 * x + 1] = s[3 * x];
                    d[4 * x + 2] = s[3 * x + 1];
                    d[4 * x + 3] = s[3 * x + 2];
                }
                continue;
            }
            for (std::size_t x = 0; x < width; ++x) {
                const std::uint8_t av = a ? a[x] : alpha;
                d[4 * x] = av;
                for (int c = 0; c < 3; ++c)
                    d[4 * x + 1 + c] = premultiply ? mul255(s[3 * x + c], av) : s[3 * x + c];
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImageHistogramCalculation_ARGB8888(const vImage_Buffer* src, vImagePixelCount* histogram[4], vImage_Flags)
{
    if (!valid(src, 4) || !histogram || !histogram[0] || !histogram[1] || !histogram[2] || !histogram[3])
        return kvImageInvalidParameter;
    // Per-thread counts; two interleaved tables per channel break the store-to-load chain
    // when neighbouring pixels share a level.
    struct Counts {
        std::uint32_t c[2][4][256];
    };
    auto count = [&](std::size_t y0, std::size_t y1, Counts& counts) {
        std::memset(&counts, 0, sizeof counts);
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* s = row(src, y);
            std::size_t x = 0;
            for (; x + 1 < src->width; x += 2, s += 8) {
                for (int ch = 0; ch < 4; ++ch) {
                    ++counts.c[0][ch][s[ch]];
                    ++counts.c[1][ch][s[4 + ch]];
                }
            }
            if (x < src->width)
                for (int ch = 0; ch < 4; ++ch)
                    ++counts.c[0][ch][s[ch]];
        }
    };
    // 32-bit counters are safe per half as long as a half holds fewer than 2^32 pixels.
    std::vector<Counts> parts(2);
    forRows(src->height, src->width, [&](std::size_t y0, std::size_t y1) { count(y0, y1, parts[y0 == 0 ? 0 : 1]); });
    if (src->height < 2 || src->height * src->width < kParallelPixels)
        std::memset(&parts[1], 0, sizeof(Counts));
    for (int ch = 0; ch < 4; ++ch)
        for (int v = 0; v < 256; ++v) {
            vImagePixelCount n = 0;
            for (const Counts& p : parts)
                n += vImagePixelCount(p.c[0][ch][v]) + p.c[1][ch][v];
            histogram[ch][v] = n;
        }
    return kvImageNoError;
}

vImage_Error vImageTableLookUp_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    const std::uint8_t alphaTable[256], const std::uint8_t redTable[256], const std::uint8_t greenTable[256],
    const std::uint8_t blueTable[256], vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !sameSize(src, dest))
        return kvImageInvalidParameter;
    std::uint8_t identity[256];
    for (int i = 0; i < 256; ++i)
        identity[i] = std::uint8_t(i);
    const std::uint8_t* t[4] = { alphaTable ? alphaTable : identity, redTable ? redTable : identity,
        greenTable ? greenTable : identity, blueTable ? blueTable : identity };
    forRows(src->height, src->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* s = row(src, y);
            std::uint8_t* d = row(dest, y);
            for (std::size_t x = 0; x < src->width; ++x, s += 4, d += 4) {
                const std::uint8_t a = t[0][s[0]], r = t[1][s[1]], g = t[2][s[2]], b = t[3][s[3]];
                d[0] = a;
                d[1] = r;
                d[2] = g;
                d[3] = b;
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImageMatrixMultiply_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    const std::int16_t matrix[16], std::int32_t divisor, const std::int16_t preBias[4], const std::int32_t postBias[4],
    vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !sameSize(src, dest) || !matrix || divisor <= 0)
        return kvImageInvalidParameter;
    std::int32_t pre[4] = { 0, 0, 0, 0 };
    std::int64_t post[4] = { 0, 0, 0, 0 };
    for (int i = 0; i < 4; ++i) {
        if (preBias)
            pre[i] = preBias[i];
        if (postBias)
            post[i] = postBias[i];
    }
    forRows(src->height, src->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* s = row(src, y);
            std::uint8_t* d = row(dest, y);
            for (std::size_t x = 0; x < src->width; ++x, s += 4, d += 4) {
                std::int32_t in[4];
                for (int i = 0; i < 4; ++i)
                    in[i] = s[i] + pre[i];
                for (int j = 0; j < 4; ++j) {
                    std::int64_t sum = post[j];
                    for (int i = 0; i < 4; ++i)
                        sum += std::int64_t(in[i]) * matrix[4 * i + j];
                    const std::int64_t v = divRound(sum, divisor);
                    d[j] = std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
                }
            }
        }
    });
    return kvImageNoError;
}

namespace {

// The common case of vImageConvolve_ARGB8888: a 3 x 3 kernel with edge copy. The kernel
// is the same for all four channels, so a row is one flat run of bytes and neighbours are
// 4 bytes apart; the loop vectorises. Each finished row goes to emit(y, bytes), in a
// per-thread row buffer.
template <typename Emit>
void convolve3x3CopyEdges(const vImage_Buffer* src, const std::int16_t* kernel, std::int32_t divisor, Emit&& emit)
{
    int k[9];
    for (int i = 0; i < 9; ++i)
        k[i] = kernel[i];
    int shift = -1;
    for (int b = 0; b < 31; ++b)
        if (divisor == (1 << b))
            shift = b;
    const std::size_t w = src->width, h = src->height, bytes = w * 4;
    forRows(h, w, [&](std::size_t y0, std::size_t y1) {
        std::vector<std::int32_t> sums(bytes);
        std::vector<std::uint8_t> out(bytes);
        for (std::size_t y = y0; y < y1; ++y) {
            std::uint8_t* __restrict d = out.data();
            const std::uint8_t* s1 = row(src, y);
            if (y == 0 || y + 1 == h || w < 3) {
                emit(y, s1);
                continue;
            }
            const std::uint8_t* __restrict r0 = row(src, y - 1);
            const std::uint8_t* __restrict r1 = s1;
            const std::uint8_t* __restrict r2 = row(src, y + 1);
            std::int32_t* __restrict sum = sums.data();
            for (std::size_t i = 4; i < bytes - 4; ++i)
                sum[i] = k[0] * r0[i - 4] + k[1] * r0[i] + k[2] * r0[i + 4] + k[3] * r1[i - 4] + k[4] * r1[i]
                    + k[5] * r1[i + 4] + k[6] * r2[i - 4] + k[7] * r2[i] + k[8] * r2[i + 4];
            if (shift >= 0) {
                const std::int32_t half = divisor / 2;
                for (std::size_t i = 4; i < bytes - 4; ++i) {
                    const std::int32_t v = (sum[i] + half) >> shift; // floor, as divRound
                    d[i] = std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
                }
            } else {
                for (std::size_t i = 4; i < bytes - 4; ++i) {
                    const std::int64_t v = divRound(sum[i], divisor);
                    d[i] = std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
                }
            }
            std::memcpy(d, s1, 4);
            std::memcpy(d + bytes - 4, s1 + bytes - 4, 4);
            emit(y, static_cast<const std::uint8_t*>(d));
        }
    });
}

// floor(v / 255) = (v + 1 + (v >> 8)) >> 8 for v below 65535.
inline unsigned div255(unsigned v)
{
    return (v + 1 + (v >> 8)) >> 8;
}

// One row of vImagePremultipliedConstAlphaBlend_ARGB8888 with top read through
// vImagePremultiplyData_ARGB8888 first.
void premultiplyAndBlendRow(const std::uint8_t* __restrict top, std::uint8_t constAlpha,
    const std::uint8_t* __restrict bottom, std::uint8_t* __restrict d, std::size_t width)
{
    const unsigned ca = constAlpha;
    for (std::size_t x = 0; x < width; ++x) {
        const unsigned a = top[4 * x];
        const unsigned t[4] = { a, a == 255 ? top[4 * x + 1] : mul255(top[4 * x + 1], a),
            a == 255 ? top[4 * x + 2] : mul255(top[4 * x + 2], a),
            a == 255 ? top[4 * x + 3] : mul255(top[4 * x + 3], a) };
        const unsigned inv = 255 - mul255(a, ca);
        for (int c = 0; c < 4; ++c) {
            const unsigned v = t[c] * ca + bottom[4 * x + c] * inv + 127;
            const unsigned q = v < 65535 ? div255(v) : v / 255;
            d[4 * x + c] = std::uint8_t(q > 255 ? 255 : q);
        }
    }
}

} // namespace

vImage_Error vImageConvolve_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, void*, std::size_t roiX,
    std::size_t roiY, const std::int16_t* kernel, std::uint32_t kernelHeight, std::uint32_t kernelWidth,
    std::int32_t divisor, const Pixel_8888 backgroundColor, vImage_Flags flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !kernel || divisor <= 0 || kernelHeight % 2 == 0 || kernelWidth % 2 == 0
        || overlaps(src, dest))
        return kvImageInvalidParameter;
    if (roiX + dest->width > src->width || roiY + dest->height > src->height)
        return kvImageInvalidParameter;
    if (kernelWidth == 3 && kernelHeight == 3 && roiX == 0 && roiY == 0 && sameSize(src, dest)
        && ((flags & kvImageCopyInPlace) || !(flags & (kvImageBackgroundColorFill | kvImageEdgeExtend)))) {
        convolve3x3CopyEdges(src, kernel, divisor,
            [&](std::size_t y, const std::uint8_t* out) { std::memcpy(row(dest, y), out, src->width * 4); });
        return kvImageNoError;
    }
    const long kh = long(kernelHeight) / 2, kw = long(kernelWidth) / 2;
    const long sw = long(src->width), sh = long(src->height);
    const std::uint8_t zero[4] = { 0, 0, 0, 0 };
    const std::uint8_t* bg = backgroundColor ? backgroundColor : zero;
    const bool copyEdges = (flags & kvImageCopyInPlace) || !(flags & (kvImageBackgroundColorFill | kvImageEdgeExtend));
    const bool extend = flags & kvImageEdgeExtend;

    forRows(dest->height, dest->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const long sy = long(y + roiY);
            std::uint8_t* d = row(dest, y);
            for (std::size_t x = 0; x < dest->width; ++x, d += 4) {
                const long sx = long(x + roiX);
                const bool inside = sx - kw >= 0 && sx + kw < sw && sy - kh >= 0 && sy + kh < sh;
                if (!inside && copyEdges) {
                    std::memcpy(d, row(src, std::size_t(sy)) + 4 * sx, 4);
                    continue;
                }
                std::int64_t sum[4] = { 0, 0, 0, 0 };
                const std::int16_t* k = kernel;
                for (long ky = -kh; ky <= kh; ++ky) {
                    for (long kx = -kw; kx <= kw; ++kx, ++k) {
                        long py = sy + ky, px = sx + kx;
                        const std::uint8_t* p;
                        if (py < 0 || py >= sh || px < 0 || px >= sw) {
                            if (extend) {
                                py = std::clamp(py, 0L, sh - 1);
                                px = std::clamp(px, 0L, sw - 1);
                                p = row(src, std::size_t(py)) + 4 * px;
                            } else {
                                p = bg;
                            }
                        } else {
                            p = row(src, std::size_t(py)) + 4 * px;
                        }
                        for (int c = 0; c < 4; ++c)
                            sum[c] += std::int64_t(p[c]) * *k;
                    }
                }
                for (int c = 0; c < 4; ++c) {
                    const std::int64_t v = divRound(sum[c], divisor);
                    d[c] = std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
                }
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImageVerticalReflect_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !sameSize(src, dest))
        return kvImageInvalidParameter;
    const std::size_t bytes = src->width * 4;
    const std::size_t h = src->height;
    if (src->data == dest->data && src->rowBytes == dest->rowBytes) {
        std::vector<std::uint8_t> tmp(bytes);
        for (std::size_t y = 0; y < h / 2; ++y) {
            std::memcpy(tmp.data(), row(src, y), bytes);
            std::memcpy(row(dest, y), row(src, h - 1 - y), bytes);
            std::memcpy(row(dest, h - 1 - y), tmp.data(), bytes);
        }
        return kvImageNoError;
    }
    if (overlaps(src, dest))
        return kvImageInvalidParameter;
    for (std::size_t y = 0; y < h; ++y)
        std::memcpy(row(dest, y), row(src, h - 1 - y), bytes);
    return kvImageNoError;
}

vImage_Error vImageHorizontalReflect_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !sameSize(src, dest))
        return kvImageInvalidParameter;
    const bool inPlace = src->data == dest->data && src->rowBytes == dest->rowBytes;
    if (!inPlace && overlaps(src, dest))
        return kvImageInvalidParameter;
    const std::size_t w = src->width;
    forRows(src->height, w, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            auto* s = reinterpret_cast<const std::uint8_t*>(row(src, y));
            auto* d = row(dest, y);
            for (std::size_t x = 0; x < (inPlace ? w / 2 : w); ++x) {
                std::uint8_t left[4], right[4];
                std::memcpy(left, s + 4 * x, 4);
                std::memcpy(right, s + 4 * (w - 1 - x), 4);
                std::memcpy(d + 4 * x, right, 4);
                std::memcpy(d + 4 * (w - 1 - x), left, 4);
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImageRotate90_ARGB8888(
    const vImage_Buffer* src, const vImage_Buffer* dest, std::uint8_t rotationConstant, const Pixel_8888, vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || rotationConstant > 3 || overlaps(src, dest))
        return kvImageInvalidParameter;
    const bool swaps = rotationConstant == 1 || rotationConstant == 3;
    const std::size_t w = src->width, h = src->height;
    if (swaps ? (dest->width != h || dest->height != w) : !sameSize(src, dest))
        return kvImageInvalidParameter;
    forRows(dest->height, dest->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t dy = y0; dy < y1; ++dy) {
            std::uint8_t* d = row(dest, dy);
            for (std::size_t dx = 0; dx < dest->width; ++dx, d += 4) {
                std::size_t sx = dx, sy = dy;
                switch (rotationConstant) {
                case 1:
                    sx = w - 1 - dy;
                    sy = dx;
                    break; // counter-clockwise
                case 2:
                    sx = w - 1 - dx;
                    sy = h - 1 - dy;
                    break;
                case 3:
                    sx = dy;
                    sy = h - 1 - dx;
                    break; // clockwise
                default:
                    break;
                }
                std::memcpy(d, row(src, sy) + 4 * sx, 4);
            }
        }
    });
    return kvImageNoError;
}

namespace {

// Wraps a buffer as a vips image without copying. Multiband, not sRGB: vips would take the
// last band for alpha (ours is first) and premultiply it.
VipsImage* wrap(const vImage_Buffer* b)
{
    if (b->rowBytes == b->width * 4)
        return vips_image_new_from_memory(
            b->data, b->rowBytes * b->height, int(b->width), int(b->height), 4, VIPS_FORMAT_UCHAR);
    return nullptr;
}

// Evaluates `image` straight into dest's memory.
vImage_Error writeInto(VipsImage* image, const vImage_Buffer* dest)
{
    if (!image)
        return kvImageInternalError;
    vImage_Error result = kvImageNoError;
    if (dest->rowBytes == dest->width * 4) {
        VipsImage* out = vips_image_new_from_memory(
            dest->data, dest->rowBytes * dest->height, int(dest->width), int(dest->height), 4, VIPS_FORMAT_UCHAR);
        if (!out || vips_image_write(image, out) != 0)
            result = kvImageInternalError;
        if (out)
            g_object_unref(out);
    } else {
        std::size_t size = 0;
        void* mem = vips_image_write_to_memory(image, &size);
        if (!mem || size != dest->width * dest->height * 4) {
            result = kvImageInternalError;
        } else {
            for (std::size_t y = 0; y < dest->height; ++y)
                std::memcpy(row(dest, y), static_cast<std::uint8_t*>(mem) + y * dest->width * 4, dest->width * 4);
        }
        g_free(mem);
    }
    if (result != kvImageNoError)
        vips_error_clear();
    return result;
}

// Resamples `in` to exactly width x height.
int resizeExactly(VipsImage* in, VipsImage** out, std::size_t width, std::size_t height)
{
    const double hscale = double(width) / double(in->Xsize);
    const double vscale = double(height) / double(in->Ysize);
    // gap 0 keeps this a true Lanczos3 reduce, but below a third it darkens (a flat 100 x 100
    // becomes 247 of 255 at 1 x 1); there a box pre-shrink (gap 2) keeps flat areas flat.
    // Both give exactly the asked size (checked on 1,500 random pairs).
    const double gap = (hscale < 1.0 / 3 || vscale < 1.0 / 3) ? 2.0 : 0.0;
    return vips_resize(in, out, hscale, "vscale", vscale, "kernel", VIPS_KERNEL_LANCZOS3, "gap", gap, nullptr);
}

// A tightly packed copy when src has row padding (vips wants packed rows).
struct Packed {
    std::vector<std::uint8_t> bytes;
    vImage_Buffer buffer;
    explicit Packed(const vImage_Buffer* src)
        : buffer(*src)
    {
        if (src->rowBytes == src->width * 4)
            return;
        bytes.resize(src->width * src->height * 4);
        for (std::size_t y = 0; y < src->height; ++y)
            std::memcpy(bytes.data() + y * src->width * 4, row(src, y), src->width * 4);
        buffer.data = bytes.data();
        buffer.rowBytes = src->width * 4;
    }
};

} // namespace

vImage_Error vImageRotate_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, void*, float angleInRadians,
    const Pixel_8888 backColor, vImage_Flags flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || overlaps(src, dest) || !std::isfinite(angleInRadians))
        return kvImageInvalidParameter;
    // Each dest pixel maps back into src: with y pointing down, a counter-clockwise turn on
    // screen takes dest offset (u, v) from src offset (u c - v s, u s + v c). Positions run in
    // 32.32 fixed point (no drift over a row) and are rounded to 1/256 pixel, so positions a
    // hair off a pixel centre still read that pixel alone. Bilinear weights in 1/256.
    const double c = std::cos(double(angleInRadians)), s = std::sin(double(angleInRadians));
    const std::uint8_t zero[4] = { 0, 0, 0, 0 };
    const std::uint8_t* bg = (flags & kvImageBackgroundColorFill) && backColor ? backColor : zero;
    const double srcCx = (double(src->width) - 1) / 2, srcCy = (double(src->height) - 1) / 2;
    const double dstCx = (double(dest->width) - 1) / 2, dstCy = (double(dest->height) - 1) / 2;
    const long w = long(src->width), h = long(src->height);
    constexpr double one = 4294967296.0; // 2^32
    const std::int64_t stepX = std::llround(c * one), stepY = std::llround(s * one);
    auto tap = [&](long x, long y) -> const std::uint8_t* {
        return (x < 0 || y < 0 || x >= w || y >= h) ? bg : row(src, std::size_t(y)) + 4 * x;
    };
    forRows(dest->height, dest->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t dy = y0; dy < y1; ++dy) {
            const double v = double(dy) - dstCy, u0 = -dstCx;
            std::int64_t fx = std::llround((u0 * c - v * s + srcCx) * one) + (std::int64_t(1) << 23);
            std::int64_t fy = std::llround((u0 * s + v * c + srcCy) * one) + (std::int64_t(1) << 23);
            std::uint8_t* d = row(dest, dy);
            for (std::size_t dx = 0; dx < dest->width; ++dx, d += 4, fx += stepX, fy += stepY) {
                const long x = long(fx >> 32), y = long(fy >> 32);
                const unsigned ax = unsigned(fx >> 24) & 255u, ay = unsigned(fy >> 24) & 255u;
                if (x < -1 || y < -1 || x >= w || y >= h) {
                    std::memcpy(d, bg, 4);
                    continue;
                }
                const std::uint8_t *p00, *p01, *p10, *p11;
                if (x >= 0 && y >= 0 && x + 1 < w && y + 1 < h) {
                    p00 = row(src, std::size_t(y)) + 4 * x;
                    p01 = p00 + 4;
                    p10 = row(src, std::size_t(y + 1)) + 4 * x;
                    p11 = p10 + 4;
                } else {
                    p00 = tap(x, y), p01 = tap(x + 1, y), p10 = tap(x, y + 1), p11 = tap(x + 1, y + 1);
                }
                for (int k = 0; k < 4; ++k) {
                    const unsigned top = p00[k] * (256 - ax) + p01[k] * ax;
                    const unsigned bottom = p10[k] * (256 - ax) + p11[k] * ax;
                    d[k] = std::uint8_t((top * (256 - ay) + bottom * ay + 32768) >> 16);
                }
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImagePremultiplyData_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !sameSize(src, dest))
        return kvImageInvalidParameter;
    forRows(src->height, src->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* s = row(src, y);
            std::uint8_t* d = row(dest, y);
            for (std::size_t x = 0; x < src->width; ++x, s += 4, d += 4) {
                const unsigned a = s[0];
                if (a == 255) {
                    if (s != d)
                        std::memcpy(d, s, 4);
                    continue;
                }
                d[1] = mul255(s[1], a);
                d[2] = mul255(s[2], a);
                d[3] = mul255(s[3], a);
                d[0] = std::uint8_t(a);
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImagePremultipliedConstAlphaBlend_ARGB8888(const vImage_Buffer* srcTop, std::uint8_t constAlpha,
    const vImage_Buffer* srcBottom, const vImage_Buffer* dest, vImage_Flags)
{
    if (!valid(srcTop, 4) || !valid(srcBottom, 4) || !valid(dest, 4) || !sameSize(srcTop, dest)
        || !sameSize(srcBottom, dest))
        return kvImageInvalidParameter;
    const unsigned ca = constAlpha;
    // Premultiplied input keeps v at most 255 * 255 + 127, where div255 holds.
    forRows(dest->height, dest->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* __restrict t = row(srcTop, y);
            const std::uint8_t* __restrict b = row(srcBottom, y);
            std::uint8_t* d = row(dest, y);
            for (std::size_t x = 0; x < dest->width; ++x) {
                const unsigned inv = 255 - mul255(t[4 * x], ca);
                for (int c = 0; c < 4; ++c) {
                    const unsigned v = t[4 * x + c] * ca + b[4 * x + c] * inv + 127;
                    const unsigned q = v < 65535 ? div255(v) : v / 255;
                    d[4 * x + c] = std::uint8_t(q > 255 ? 255 : q);
                }
            }
        }
    });
    return kvImageNoError;
}

vImage_Error vImageConvolveThenBlendOver_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
    const std::int16_t kernel[9], std::int32_t divisor, std::uint8_t constAlpha, vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || !sameSize(src, dest) || !kernel || divisor <= 0 || overlaps(src, dest))
        return kvImageInvalidParameter;
    convolve3x3CopyEdges(src, kernel, divisor, [&](std::size_t y, const std::uint8_t* convolved) {
        premultiplyAndBlendRow(row(src, y), constAlpha, convolved, row(dest, y), src->width);
    });
    return kvImageNoError;
}

vImage_Error vImageScale_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, void*, vImage_Flags)
{
    if (!valid(src, 4) || !valid(dest, 4) || overlaps(src, dest))
        return kvImageInvalidParameter;
    if (src->width > INT32_MAX || src->height > INT32_MAX || dest->width > INT32_MAX || dest->height > INT32_MAX)
        return kvImageInvalidParameter;
    if (sameSize(src, dest)) {
        for (std::size_t y = 0; y < src->height; ++y)
            std::memcpy(row(dest, y), row(src, y), src->width * 4);
        return kvImageNoError;
    }
    ensureVipsStarted();
    Packed packed(src);
    VipsImage* in = wrap(&packed.buffer);
    if (!in)
        return kvImageInternalError;
    VipsImage* out = nullptr;
    const int failed = resizeExactly(in, &out, dest->width, dest->height);
    vImage_Error result = kvImageInternalError;
    if (!failed && out && out->Xsize == int(dest->width) && out->Ysize == int(dest->height))
        result = writeInto(out, dest);
    if (out)
        g_object_unref(out);
    g_object_unref(in);
    if (failed)
        vips_error_clear();
    return result;
}

namespace {

// Two tables per channel, alternating by pixel: neighbouring pixels of the same level would
// otherwise wait on each other's increment.
template <std::size_t Channels> using PackedCounts = std::array<std::array<std::uint32_t, 256>, 2 * Channels>;

template <std::size_t Channels>
void countPacked(const vImage_Buffer* src, std::size_t y0, std::size_t y1, PackedCounts<Channels>& counts)
{
    for (auto& t : counts)
        t.fill(0);
    for (std::size_t y = y0; y < y1; ++y) {
        const std::uint8_t* s = row(src, y);
        std::size_t x = 0;
        for (; x + 1 < src->width; x += 2, s += 2 * Channels)
            for (std::size_t c = 0; c < Channels; ++c) {
                ++counts[c][s[c]];
                ++counts[Channels + c][s[Channels + c]];
            }
        if (x < src->width)
            for (std::size_t c = 0; c < Channels; ++c)
                ++counts[c][s[c]];
    }
}

template <std::size_t Channels> void histogramPacked(const vImage_Buffer* src, vImagePixelCount* histogram[])
{
    // 32-bit counters are safe per half as long as a half holds fewer than 2^32 pixels.
    std::vector<PackedCounts<Channels>> parts(2);
    for (auto& t : parts[1])
        t.fill(0);
    forRows(src->height, src->width,
        [&](std::size_t y0, std::size_t y1) { countPacked<Channels>(src, y0, y1, parts[y0 == 0 ? 0 : 1]); });
    for (std::size_t c = 0; c < Channels; ++c)
        for (int v = 0; v < 256; ++v)
            histogram[c][v] = vImagePixelCount(parts[0][c][v]) + parts[0][Channels + c][v] + parts[1][c][v]
                + parts[1][Channels + c][v];
}

} // namespace

vImage_Error vImageHistogramCalculation_Packed8(
    const vImage_Buffer* src, std::size_t channels, vImagePixelCount* histogram[], vImage_Flags)
{
    if (!valid(src, channels) || (channels != 1 && channels != 3) || !histogram)
        return kvImageInvalidParameter;
    for (std::size_t c = 0; c < channels; ++c)
        if (!histogram[c])
            return kvImageInvalidParameter;
    if (channels == 3)
        histogramPacked<3>(src, histogram);
    else
        histogramPacked<1>(src, histogram);
    return kvImageNoError;
}

namespace {

// Scratch pixels for one call, taken from the recycler of large pixel buffers: the next
// render reuses this block instead of paying its first-touch page faults again.
BitmapImageRep scratchPacked(std::size_t width, std::size_t height, std::size_t channels)
{
    BitmapImageRep::Layout layout;
    layout.width = int(width);
    layout.height = int(height);
    layout.samplesPerPixel = int(channels);
    layout.bitsPerPixel = int(channels) * 8;
    layout.hasAlpha = false;
    layout.formatFlags = 0;
    return BitmapImageRep(layout);
}

// Packed R,G,B or grey rows, each sample through its channel's table, into A,R,G,B with
// A = 255. Pixels are assembled in a word and stored once: byte stores through a uint8_t
// pointer would make the compiler reload the tables after each one.
template <std::size_t Channels>
void lookUpToARGB(const vImage_Buffer* src, const std::uint8_t* const tables[3], const vImage_Buffer* dest)
{
    const std::uint8_t* __restrict t0 = tables[0];
    const std::uint8_t* __restrict t1 = tables[Channels == 3 ? 1 : 0];
    const std::uint8_t* __restrict t2 = tables[Channels == 3 ? 2 : 0];
    forRows(dest->height, dest->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* __restrict s = row(src, y);
            std::uint8_t* __restrict d = row(dest, y);
            for (std::size_t x = 0; x < dest->width; ++x, s += Channels) {
                std::uint32_t p;
                if constexpr (Channels == 3) {
                    p = 0xffu | std::uint32_t(t0[s[0]]) << 8 | std::uint32_t(t1[s[1]]) << 16
                        | std::uint32_t(t2[s[2]]) << 24;
                } else {
                    const std::uint32_t g = t0[s[0]];
                    p = 0xffu | g << 8 | g << 16 | g << 24;
                }
                const std::uint8_t bytes[4]
                    = { std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16), std::uint8_t(p >> 24) };
                std::memcpy(d + 4 * x, bytes, 4);
            }
        }
    });
}

// The same without the alpha: packed samples through their tables into packed samples,
// four pixels (three words of R,G,B) at a time.
template <std::size_t Channels>
void lookUpPacked(const vImage_Buffer* src, const std::uint8_t* const tables[3], const vImage_Buffer* dest)
{
    const std::uint8_t* __restrict t0 = tables[0];
    const std::uint8_t* __restrict t1 = tables[Channels == 3 ? 1 : 0];
    const std::uint8_t* __restrict t2 = tables[Channels == 3 ? 2 : 0];
    const std::size_t n = dest->width * Channels;
    forRows(dest->height, dest->width, [&](std::size_t y0, std::size_t y1) {
        for (std::size_t y = y0; y < y1; ++y) {
            const std::uint8_t* __restrict s = row(src, y);
            std::uint8_t* __restrict d = row(dest, y);
            std::size_t i = 0;
            for (; i + 12 <= n; i += 12) {
                std::uint8_t out[12];
                for (std::size_t k = 0; k < 12; k += 3) {
                    out[k] = t0[s[i + k]];
                    out[k + 1] = t1[s[i + k + 1]];
                    out[k + 2] = t2[s[i + k + 2]];
                }
                std::memcpy(d + i, out, 12);
            }
            for (; i < n; i += Channels)
                for (std::size_t c = 0; c < Channels; ++c)
                    d[i + c] = (c == 0 ? t0 : c == 1 ? t1 : t2)[s[i + c]];
        }
    });
}

} // namespace

vImage_Error vImageScaleLookUp_Packed8toARGB8888(const vImage_Buffer* src, std::size_t channels, std::size_t roiX,
    std::size_t roiY, std::size_t roiWidth, std::size_t roiHeight, const std::uint8_t* const tables[3],
    const vImage_Buffer* dest, vImage_Flags)
{
    if (!valid(src, channels) || !valid(dest, 4) || (channels != 1 && channels != 3) || roiWidth == 0 || roiHeight == 0
        || roiX + roiWidth > src->width || roiY + roiHeight > src->height || src->rowBytes != src->width * channels
        || src->width > INT32_MAX || src->height > INT32_MAX || dest->width > INT32_MAX || dest->height > INT32_MAX)
        return kvImageInvalidParameter;
    std::uint8_t identity[256];
    for (int i = 0; i < 256; ++i)
        identity[i] = std::uint8_t(i);
    const std::uint8_t* t[3] = { identity, identity, identity };
    if (tables)
        for (std::size_t c = 0; c < 3; ++c)
            t[c] = tables[c] ? tables[c] : identity;
    const vImage_Buffer roi { static_cast<std::uint8_t*>(src->data) + roiY * src->rowBytes + roiX * channels, roiHeight,
        roiWidth, src->rowBytes };
    // At full size the lookup writes the destination directly: no resampling, no vips.
    if (roiWidth == dest->width && roiHeight == dest->height) {
        if (channels == 3 && !tables)
            return vImageConvert_RGB888toARGB8888(&roi, nullptr, 255, dest, false, kvImageNoFlags);
        if (channels == 3)
            lookUpToARGB<3>(&roi, t, dest);
        else
            lookUpToARGB<1>(&roi, t, dest);
        return kvImageNoError;
    }
    // The tables go through a packed copy of the region before resampling (vips' own
    // maplut took longer than the resampling itself).
    BitmapImageRep looked;
    VipsImage* in = nullptr;
    if (tables) {
        looked = scratchPacked(roiWidth, roiHeight, channels);
        if (looked.isNull())
            return kvImageInternalError;
        const vImage_Buffer packed { looked.bitmapData(), roiHeight, roiWidth, roiWidth * channels };
        if (channels == 3)
            lookUpPacked<3>(&roi, t, &packed);
        else
            lookUpPacked<1>(&roi, t, &packed);
        ensureVipsStarted();
        in = vips_image_new_from_memory(looked.bitmapData(), roiWidth * roiHeight * channels, int(roiWidth),
            int(roiHeight), int(channels), VIPS_FORMAT_UCHAR);
    } else {
        ensureVipsStarted();
        VipsImage* whole = vips_image_new_from_memory(src->data, src->rowBytes * src->height, int(src->width),
            int(src->height), int(channels), VIPS_FORMAT_UCHAR);
        if (whole && vips_extract_area(whole, &in, int(roiX), int(roiY), int(roiWidth), int(roiHeight), nullptr) != 0)
            in = nullptr;
        if (whole)
            g_object_unref(whole);
    }
    if (!in) {
        vips_error_clear();
        return kvImageInternalError;
    }
    VipsImage* scaled = nullptr;
    vImage_Error result = kvImageInternalError;
    // The resampled samples land in a recycled block, then become A,R,G,B.
    BitmapImageRep samples = scratchPacked(dest->width, dest->height, channels);
    if (!samples.isNull() && resizeExactly(in, &scaled, dest->width, dest->height) == 0
        && scaled->Xsize == int(dest->width) && scaled->Ysize == int(dest->height)) {
        VipsImage* out = vips_image_new_from_memory(samples.bitmapData(), dest->width * dest->height * channels,
            int(dest->width), int(dest->height), int(channels), VIPS_FORMAT_UCHAR);
        if (out && vips_image_write(scaled, out) == 0) {
            const vImage_Buffer packed { samples.bitmapData(), dest->height, dest->width, dest->width * channels };
            const std::uint8_t* none[3] = { identity, identity, identity };
            if (channels == 3)
                result = vImageConvert_RGB888toARGB8888(&packed, nullptr, 255, dest, false, kvImageNoFlags);
            else {
                lookUpToARGB<1>(&packed, none, dest);
                result = kvImageNoError;
            }
        }
        if (out)
            g_object_unref(out);
    }
    if (scaled)
        g_object_unref(scaled);
    g_object_unref(in);
    if (result != kvImageNoError)
        vips_error_clear();
    return result;
}

} // namespace quillum
