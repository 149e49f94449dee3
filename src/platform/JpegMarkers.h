#pragma once
// A walk over a JPEG file's markers that decodes nothing: how many scans it holds and
// whether an end-of-image marker closes them. Segments are skipped by their lengths (so
// an EXIF thumbnail's own scans are not counted) and entropy-coded data by looking for
// the next marker past its stuffed bytes (FF 00) and restart markers. Any thread.

#include <QByteArray>

class QIODevice;

namespace quillum {

struct JpegMarkerWalk {
    bool isJpeg = false; // starts with a start-of-image marker
    bool progressive = false; // its frame header is a progressive one
    int scans = 0; // start-of-scan markers before the end of the image (or of the file)
    bool endsWithEoi = false; // an end-of-image marker was reached
};

// Reads `device` from its current position to the end of the image or of the data.
JpegMarkerWalk walkJpegMarkers(QIODevice& device);
JpegMarkerWalk walkJpegMarkers(const QByteArray& data);

// Whether the scan data of `jpeg` holds every block of the picture, told by libjpeg
// entropy-decoding it (at 1/8 scale) without running out. Meant for data that lacks its
// end marker, where a file missing only that marker and one cut short look alike. False
// too when libjpeg cannot read the data or the picture has more than `maxPixels` pixels.
bool jpegScanDataIsComplete(const QByteArray& jpeg, qint64 maxPixels);

} // namespace quillum
