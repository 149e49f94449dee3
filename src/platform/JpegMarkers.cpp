#include "JpegMarkers.h"

#include <QBuffer>
#include <QIODevice>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace quillum {
namespace {

constexpr int SOI = 0xD8;
constexpr int EOI = 0xD9;
constexpr int SOS = 0xDA;
constexpr int TEM = 0x01;

bool isRestart(int marker)
{
    return marker >= 0xD0 && marker <= 0xD7;
}

// SOF2, SOF6, SOF10, SOF14: progressive, Huffman or arithmetic, with or without hierarchy.
bool isProgressiveFrame(int marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// Buffered forward reading; the entropy-coded data of a big photo is several megabytes
// and is only searched for 0xFF, never looked at byte by byte.
class Reader {
public:
    explicit Reader(QIODevice& device)
        : m_device(device)
        , m_buffer(256 * 1024)
    { }

    // The next byte, or -1 at the end.
    int next()
    {
        if (m_pos == m_end && !refill())
            return -1;
        return m_buffer[m_pos++];
    }

    bool skip(qint64 count)
    {
        const qint64 buffered = qMin(count, qint64(m_end - m_pos));
        m_pos += std::size_t(buffered);
        count -= buffered;
        return count == 0 || m_device.skip(count) == count;
    }

    // Moves past the next 0xFF; false when there is none.
    bool passNextFF()
    {
        for (;;) {
            const void* found = std::memchr(m_buffer.data() + m_pos, 0xFF, m_end - m_pos);
            if (found) {
                m_pos = std::size_t(static_cast<const unsigned char*>(found) - m_buffer.data()) + 1;
                return true;
            }
            if (!refill())
                return false;
        }
    }

private:
    bool refill()
    {
        const qint64 got = m_device.read(reinterpret_cast<char*>(m_buffer.data()), qint64(m_buffer.size()));
        m_pos = 0;
        m_end = got > 0 ? std::size_t(got) : 0;
        return m_end > 0;
    }

    QIODevice& m_device;
    std::vector<unsigned char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
};

// The marker code after one or more 0xFF (fill bytes may repeat), or -1 at the end.
int markerAfterFF(Reader& in)
{
    int code = in.next();
    while (code == 0xFF)
        code = in.next();
    return code;
}

// Skips entropy-coded data; returns the marker that ends it, or -1 at the end.
int markerAfterScanData(Reader& in)
{
    for (;;) {
        if (!in.passNextFF())
            return -1;
        const int code = markerAfterFF(in);
        if (code == 0x00 || isRestart(code))
            continue; // a stuffed 0xFF data byte, or a restart inside the scan
        return code;
    }
}

struct CheckErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool ranShort = false;
};

[[noreturn]] void leaveCheck(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<CheckErrors*>(cinfo->err)->jump, 1);
}

// Warnings are counted, never printed; the one that matters is running into a marker
// (here the end) before the last block's bits.
void noteWarning(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_HIT_MARKER)
        reinterpret_cast<CheckErrors*>(cinfo->err)->ranShort = true;
}

} // namespace

bool jpegScanDataIsComplete(const QByteArray& jpeg, qint64 maxPixels)
{
    jpeg_decompress_struct cinfo;
    CheckErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = leaveCheck;
    errors.pub.emit_message = noteWarning;
    jpeg_create_decompress(&cinfo);
    // Only C objects live between setjmp and longjmp; the row comes from libjpeg's pool.
    volatile bool complete = false;
    if (setjmp(errors.jump) == 0) {
        jpeg_mem_src(
            &cinfo, reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&cinfo, TRUE);
        if (qint64(cinfo.image_width) * qint64(cinfo.image_height) <= maxPixels) {
            cinfo.scale_num = 1;
            cinfo.scale_denom = 8;
            cinfo.dct_method = JDCT_IFAST;
            jpeg_start_decompress(&cinfo);
            JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                cinfo.output_width * JDIMENSION(cinfo.output_components), 1);
            while (cinfo.output_scanline < cinfo.output_height)
                jpeg_read_scanlines(&cinfo, row, 1);
            complete = !errors.ranShort;
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return complete;
}

JpegMarkerWalk walkJpegMarkers(QIODevice& device)
{
    JpegMarkerWalk walk;
    Reader in(device);
    if (in.next() != 0xFF || in.next() != SOI)
        return walk;
    walk.isJpeg = true;

    int marker = -1;
    for (;;) {
        if (marker < 0) {
            // Bytes between segments are not allowed; a decoder skips them to the next
            // marker, and so does this walk.
            if (!in.passNextFF())
                return walk;
            marker = markerAfterFF(in);
            if (marker < 0)
                return walk;
        }
        const int code = marker;
        marker = -1;
        if (code == EOI) {
            walk.endsWithEoi = true;
            return walk;
        }
        if (code == SOI || code == TEM || code == 0x00 || isRestart(code))
            continue; // no length follows
        const int high = in.next();
        const int low = in.next();
        if (low < 0)
            return walk;
        const int length = (high << 8) | low;
        if (length < 2 || !in.skip(length - 2))
            return walk;
        if (isProgressiveFrame(code))
            walk.progressive = true;
        if (code == SOS) {
            ++walk.scans;
            marker = markerAfterScanData(in);
            if (marker < 0)
                return walk;
        }
    }
}

JpegMarkerWalk walkJpegMarkers(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    return walkJpegMarkers(buffer);
}

} // namespace quillum
