#include "JpegWriter.h"

#include "StagedFile.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace quillum {

namespace {

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// libjpeg's default error_exit ends the process; this one jumps back to the caller.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int savedErrno;
};

extern "C" void jumpOnError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->savedErrno = errno;
    std::longjmp(manager->jump, 1);
}

extern "C" void muteMessage(j_common_ptr)
{ }

struct Layout {
    int colour[3]; // byte offsets of R, G, B inside a pixel
    int pixelBytes;
    std::size_t rowBytes;
};

bool readableLayout(const BitmapImageRep& bitmap, Layout& out)
{
    const auto& l = bitmap.layout();
    if (bitmap.isNull() || l.planar || l.bitsPerSample != 8 || l.width < 1 || l.height < 1
        || (l.formatFlags & BitmapFormatFloatingPointSamples))
        return false;
    out.pixelBytes = l.bitsPerPixel / 8;
    if (l.samplesPerPixel == 3 && !l.hasAlpha && out.pixelBytes >= 3) {
        out.colour[0] = 0, out.colour[1] = 1, out.colour[2] = 2;
    } else if (l.samplesPerPixel == 4 && l.hasAlpha && out.pixelBytes >= 4) {
        const int first = (l.formatFlags & BitmapFormatAlphaFirst) ? 1 : 0;
        out.colour[0] = first, out.colour[1] = first + 1, out.colour[2] = first + 2;
    } else {
        return false;
    }
    if (l.colorSpace == ColorSpace::DeviceCMYK || l.colorSpace == ColorSpace::CalibratedWhite)
        return false;
    out.rowBytes = l.bytesPerRow ? l.bytesPerRow : std::size_t(l.width) * std::size_t(out.pixelBytes);
    return true;
}

// Everything libjpeg touches lives in the caller's frame, so the long jump skips no
// destructor. Returns an empty string on success, else the reason.
QString compress(const BitmapImageRep& bitmap, const Layout& layout, FILE* stream, int quality)
{
    jpeg_compress_struct info {}; // zeroed: destroying it is safe even before it is created
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpOnError;
    errors.base.output_message = muteMessage;
    errors.savedErrno = 0;
    const int width = bitmap.pixelsWide(), height = bitmap.pixelsHigh();
    std::vector<JSAMPLE> row(std::size_t(width) * 3);

    if (setjmp(errors.jump)) {
        char text[JMSG_LENGTH_MAX] = {};
        const bool writeError = errors.base.msg_code == JERR_FILE_WRITE;
        if (!writeError)
            (*errors.base.format_message)(reinterpret_cast<j_common_ptr>(&info), text);
        jpeg_destroy_compress(&info);
        if (writeError)
            return errnoText(errors.savedErrno ? errors.savedErrno : EIO);
        return QStringLiteral("the JPEG compressor failed (%1)").arg(QString::fromLocal8Bit(text));
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, stream);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(quality, 0, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::uint8_t* base = bitmap.bitmapData();
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* s = base + std::size_t(info.next_scanline) * layout.rowBytes;
        JSAMPLE* d = row.data();
        for (int x = 0; x < width; ++x, s += layout.pixelBytes, d += 3) {
            d[0] = s[layout.colour[0]];
            d[1] = s[layout.colour[1]];
            d[2] = s[layout.colour[2]];
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return {};
}

} // namespace

Status saveNSBitmapImageRepWithLibJpeg(const BitmapImageRep& bitmap, const QString& path, int quality)
{
    StagedFile file(path);
    Layout layout {};
    if (!readableLayout(bitmap, layout))
        return file.failure(QStringLiteral("there is no 8-bit RGB picture to save"));
    if (Status opened = file.open(); !opened)
        return opened;
    const QString memory = QStringLiteral("encoding the JPEG");
    try {
        const QString reason = compress(bitmap, layout, file.stream(), quality);
        if (!reason.isEmpty())
            return saysOutOfMemory(reason) ? file.outOfMemory(memory) : file.failure(reason);
    } catch (const std::bad_alloc&) {
        return file.outOfMemory(memory);
    }
    return file.commit();
}

} // namespace quillum
