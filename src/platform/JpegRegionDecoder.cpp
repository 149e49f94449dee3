#include "JpegRegionDecoder.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#include <sys/mman.h>
#include <unistd.h>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace quillum {
namespace {

constexpr int kStripRows = 64;
// Regions with fewer rows are decoded on one thread.
constexpr int kSplitRows = 256;

struct Trap {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool warned;
};

[[noreturn]] void leave(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<Trap*>(cinfo->err)->jump, 1);
}

// Any warning (corrupt data, a marker where data should be, data cut short) declines:
// the whole decode then reports the file exactly as it always has.
void noteMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        reinterpret_cast<Trap*>(cinfo->err)->warned = true;
}

// Zeroes [begin, end). Whole pages inside it are handed back to the kernel instead of
// written: they read as zero again and cost nothing until touched, which is what keeps
// a full-size bitmap cheap when only a small region of it is decoded.
void zeroBytes(std::uint8_t* begin, std::uint8_t* end)
{
    static const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (std::uintptr_t(begin) + page - 1) & ~(page - 1);
    const std::uintptr_t last = std::uintptr_t(end) & ~(page - 1);
    if (last > first && madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED) == 0) {
        std::memset(begin, 0, first - std::uintptr_t(begin));
        std::memset(reinterpret_cast<std::uint8_t*>(last), 0, std::uintptr_t(end) - last);
        return;
    }
    std::memset(begin, 0, std::size_t(end - begin));
}

// One decoder's share: `rows` of the region (its columns, some of its rows) stored into
// the bitmap. The last share also reads the data to its end.
struct Job {
    const std::uint8_t* data;
    std::size_t size;
    PixelSpan rows;
    std::uint8_t* pixels;
    std::size_t rowBytes;
    int width;
    int height;
    int components;
    bool toEnd;
    const std::function<bool()>* keepGoing;
};

bool samplingIsPlain(const jpeg_decompress_struct& cinfo)
{
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpeg_component_info& comp = cinfo.comp_info[c];
        if (comp.h_samp_factor < 1 || comp.h_samp_factor > 2 || comp.v_samp_factor < 1 || comp.v_samp_factor > 2)
            return false;
        if (c > 0 && (comp.h_samp_factor != 1 || comp.v_samp_factor != 1))
            return false;
    }
    return true;
}

// What the header says about a partial decode, before any pixel.
struct Probe {
    bool suitable = false; // the layout matches and the file is a single baseline scan
    bool plainSampling = false; // partial decodes are known to equal the whole one
};

void setUp(const Job& job, jpeg_decompress_struct& cinfo, Probe& probe)
{
    jpeg_mem_src(&cinfo, job.data, static_cast<unsigned long>(job.size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return;
    const bool grey = job.components == 1 && cinfo.num_components == 1 && cinfo.jpeg_color_space == JCS_GRAYSCALE;
    const bool colour = job.components == 3 && cinfo.num_components == 3
        && (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB);
    probe.suitable = (grey || colour) && !cinfo.progressive_mode && !cinfo.arith_code
        && cinfo.image_width == JDIMENSION(job.width) && cinfo.image_height == JDIMENSION(job.height);
    probe.plainSampling = samplingIsPlain(cinfo);
    // libjpeg's defaults otherwise (accurate integer IDCT, smooth upsampling), as a whole
    // decode by libvips uses them.
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
}

void storeRow(const Job& job, int y, const std::uint8_t* decoded, int decodedLeft)
{
    const std::size_t bytes = std::size_t(job.components);
    std::memcpy(job.pixels + std::size_t(y) * job.rowBytes + std::size_t(job.rows.left) * bytes,
        decoded + std::size_t(job.rows.left - decodedLeft) * bytes, std::size_t(job.rows.width) * bytes);
}

// Only C objects live between setjmp and longjmp: the scratch rows come from libjpeg's
// pool and keepGoing's own objects are gone before libjpeg is called again.
JpegRegionOutcome run(const Job& job, jpeg_decompress_struct& cinfo, Trap& trap)
{
    if (setjmp(trap.jump) != 0)
        return JpegRegionOutcome::Declined;
    Probe probe;
    setUp(job, cinfo, probe);
    const PixelSpan& r = job.rows;
    const bool whole = r.left == 0 && r.top == 0 && r.width == job.width && r.height == job.height;
    if (!probe.suitable || (!whole && !probe.plainSampling))
        return JpegRegionOutcome::Declined;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != JDIMENSION(job.width) || cinfo.output_height != JDIMENSION(job.height)
        || cinfo.output_components != job.components)
        return JpegRegionOutcome::Declined;

    // Smooth upsampling and the cropped decode treat the decoded span's edges as the
    // picture's, so one block row and column more on each side keep the stored pixels
    // exact; that margin is decoded into scratch rows and never stored.
    const int marginX = 8 * cinfo.max_h_samp_factor;
    const int marginY = 8 * cinfo.max_v_samp_factor;
    JDIMENSION spanLeft = JDIMENSION(std::max(0, r.left - marginX));
    JDIMENSION spanWidth = JDIMENSION(std::min(job.width, r.left + r.width + marginX)) - spanLeft;
    if (spanWidth != JDIMENSION(job.width))
        jpeg_crop_scanline(&cinfo, &spanLeft, &spanWidth);
    const bool direct = spanWidth == JDIMENSION(job.width);
    const JDIMENSION firstRow = JDIMENSION(std::max(0, r.top - marginY));
    const JDIMENSION endRow = JDIMENSION(std::min(job.height, r.top + r.height + marginY));
    JSAMPARRAY scratch = (*cinfo.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, spanWidth * JDIMENSION(job.components), kStripRows);
    auto stored = [&r](JDIMENSION y) { return int(y) >= r.top && int(y) < r.top + r.height; };

    if (firstRow > 0 && jpeg_skip_scanlines(&cinfo, firstRow) != firstRow)
        return JpegRegionOutcome::Declined;
    JSAMPROW rows[kStripRows];
    while (cinfo.output_scanline < endRow) {
        if (!(*job.keepGoing)())
            return JpegRegionOutcome::Stopped;
        const JDIMENSION stripTop = cinfo.output_scanline;
        const JDIMENSION count = std::min(JDIMENSION(kStripRows), endRow - stripTop);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i]
                = direct && stored(stripTop + i) ? job.pixels + std::size_t(stripTop + i) * job.rowBytes : scratch[i];
        for (JDIMENSION done = 0; done < count;) {
            const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows + done, count - done);
            if (got == 0)
                return JpegRegionOutcome::Declined;
            done += got;
        }
        if (!direct)
            for (JDIMENSION i = 0; i < count; ++i)
                if (stored(stripTop + i))
                    storeRow(job, int(stripTop + i), scratch[i], int(spanLeft));
    }
    if (!job.toEnd)
        return trap.warned ? JpegRegionOutcome::Declined : JpegRegionOutcome::Decoded;
    // The rest is entropy-decoded without being drawn, up to the last row, which is read:
    // skipping through it would end the decode without looking at the remaining data.
    const JDIMENSION lastRow = cinfo.output_height - 1;
    while (cinfo.output_scanline < lastRow) {
        if (!(*job.keepGoing)())
            return JpegRegionOutcome::Stopped;
        const JDIMENSION step = std::min(JDIMENSION(16 * kStripRows), lastRow - cinfo.output_scanline);
        if (jpeg_skip_scanlines(&cinfo, step) != step)
            return JpegRegionOutcome::Declined;
    }
    if (cinfo.output_scanline == lastRow) {
        JSAMPROW row = direct && stored(lastRow) ? job.pixels + std::size_t(lastRow) * job.rowBytes : scratch[0];
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            return JpegRegionOutcome::Declined;
        if (!direct && stored(lastRow))
            storeRow(job, int(lastRow), scratch[0], int(spanLeft));
    }
    jpeg_finish_decompress(&cinfo);
    return trap.warned ? JpegRegionOutcome::Declined : JpegRegionOutcome::Decoded;
}

JpegRegionOutcome decode(const Job& job)
{
    jpeg_decompress_struct cinfo;
    Trap trap;
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = leave;
    trap.pub.emit_message = noteMessage;
    trap.warned = false;
    jpeg_create_decompress(&cinfo);
    const JpegRegionOutcome outcome = run(job, cinfo, trap);
    jpeg_destroy_decompress(&cinfo);
    return outcome;
}

Probe probe(const Job& job)
{
    jpeg_decompress_struct cinfo;
    Trap trap;
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = leave;
    trap.pub.emit_message = noteMessage;
    trap.warned = false;
    jpeg_create_decompress(&cinfo);
    Probe result;
    if (setjmp(trap.jump) == 0)
        setUp(job, cinfo, result);
    jpeg_destroy_decompress(&cinfo);
    return result;
}

// How many of the region's rows the first of two decoders stores so both finish
// together: each row before the ones a decoder stores costs it the entropy decoding
// (about half a row's whole decode, measured), each stored row the whole decode of the
// decoded columns, and the second decoder also reads what follows the region.
int firstShare(const PixelSpan& region, int width, int height)
{
    const double columns = double(std::min(width, region.width + 32)) / double(width);
    const double entropy = 0.5, rest = 0.5 * columns;
    const double after = double(height - region.top - region.height);
    const double share = ((entropy + rest) * region.height + entropy * after) / (entropy + 2 * rest);
    return int(std::clamp(share, 0.0, double(region.height)));
}

// A decoded bitmap gets its zeroes outside the region.
JpegRegionOutcome finish(JpegRegionOutcome outcome, BitmapImageRep& bitmap, const PixelSpan& region)
{
    if (outcome != JpegRegionOutcome::Decoded)
        return outcome;
    const int left = region.left, top = region.top;
    const int right = left + region.width, bottom = top + region.height;
    const int height = bitmap.pixelsHigh();
    // Outside the region, as runs of contiguous bytes: everything up to the region's first
    // pixel, from each region row's end to the next one's start, and everything after.
    std::uint8_t* pixels = bitmap.bitmapData();
    const std::size_t rowBytes = bitmap.bytesPerRow();
    const std::size_t bytes = std::size_t(bitmap.samplesPerPixel());
    auto at = [&](int y, int x) { return pixels + std::size_t(y) * rowBytes + std::size_t(x) * bytes; };
    zeroBytes(pixels, at(top, left));
    for (int y = top; y + 1 < bottom; ++y)
        zeroBytes(at(y, right), at(y + 1, left));
    zeroBytes(at(bottom - 1, right), pixels + std::size_t(height) * rowBytes);
    return JpegRegionOutcome::Decoded;
}

} // namespace

JpegRegionOutcome decodeJpegRegion(const std::uint8_t* data, std::size_t size, PixelSpan region, BitmapImageRep& bitmap,
    const std::function<bool()>& keepGoing)
{
    const int width = bitmap.pixelsWide();
    const int height = bitmap.pixelsHigh();
    const int components = bitmap.samplesPerPixel();
    if (bitmap.isNull() || bitmap.isPlanar() || bitmap.hasAlpha() || (components != 1 && components != 3)
        || bitmap.bitsPerPixel() != 8 * components
        || bitmap.bytesPerRow() != std::size_t(width) * std::size_t(components) || !data || size == 0)
        return JpegRegionOutcome::Declined;
    const int left = std::clamp(region.left, 0, width);
    const int top = std::clamp(region.top, 0, height);
    const int right = std::clamp(region.left + std::max(region.width, 0), left, width);
    const int bottom = std::clamp(region.top + std::max(region.height, 0), top, height);
    if (right == left || bottom == top)
        return JpegRegionOutcome::Declined;
    const PixelSpan clipped { left, top, right - left, bottom - top };
    Job job { data, size, clipped, bitmap.bitmapData(), bitmap.bytesPerRow(), width, height, components, true,
        &keepGoing };

    // A second decoder on another core takes the region's upper rows when that pays:
    // libjpeg decodes one scan on one thread, and the upper decoder may stop early.
    const int upper = clipped.height >= kSplitRows && std::thread::hardware_concurrency() > 1
        ? firstShare(clipped, width, height)
        : 0;
    JpegRegionOutcome outcome = JpegRegionOutcome::Declined;
    if (upper < kSplitRows || clipped.height - upper < kStripRows || !probe(job).plainSampling) {
        outcome = decode(job);
    } else {
        std::atomic<bool> abandon { false };
        bool stopped = false;
        const std::function<bool()> upperGoing = [&abandon] { return !abandon.load(std::memory_order_relaxed); };
        const std::function<bool()> lowerGoing = [&] {
            if (abandon.load(std::memory_order_relaxed))
                return false;
            stopped = !keepGoing();
            if (stopped)
                abandon = true;
            return !stopped;
        };
        Job first = job;
        first.rows.height = upper;
        first.toEnd = false;
        first.keepGoing = &upperGoing;
        Job second = job;
        second.rows.top += upper;
        second.rows.height -= upper;
        second.keepGoing = &lowerGoing;
        JpegRegionOutcome firstOutcome = JpegRegionOutcome::Declined;
        std::thread worker;
        try {
            worker = std::thread([&] {
                firstOutcome = decode(first);
                if (firstOutcome != JpegRegionOutcome::Decoded)
                    abandon = true;
            });
        } catch (const std::system_error&) {
            // No thread to be had: the calling thread does it all.
            return finish(decode(job), bitmap, clipped);
        }
        const JpegRegionOutcome secondOutcome = decode(second);
        if (secondOutcome != JpegRegionOutcome::Decoded)
            abandon = true;
        worker.join();
        outcome = stopped ? JpegRegionOutcome::Stopped
            : firstOutcome == JpegRegionOutcome::Decoded && secondOutcome == JpegRegionOutcome::Decoded
            ? JpegRegionOutcome::Decoded
            : JpegRegionOutcome::Declined;
    }
    return finish(outcome, bitmap, clipped);
}

} // namespace quillum
