#!/usr/bin/env python3
"""Writes tests/data/hostile: small files built to hurt a decoder.

Every file is made here byte by byte with the standard library (JPEG, PNG, TIFF, GIF and
the rest are simple enough to write by hand when the pixels are flat), so the corpus is
reproducible and carries no third-party content. The outputs are committed; builds never
run this. tests/cli/HostileCorpusTest.cpp renders each through quillum-cli and expects an
output file or a clear refusal, never a crash or a hang.

    scripts/make-hostile-corpus.py [OUT_DIR]     (default: tests/data/hostile)
"""

import os
import struct
import sys
import zlib

# ---- JPEG -----------------------------------------------------------------------------


class BitWriter:
    """Entropy-coded bits, with the 0x00 stuffed after every 0xFF byte."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def put(self, value, length):
        for i in reversed(range(length)):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.count += 1
            if self.count == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0)
                self.acc = self.count = 0

    def finish(self):
        if self.count:
            self.put((1 << (8 - self.count)) - 1, 8 - self.count)
        return bytes(self.out)


def segment(marker, body):
    return bytes([0xFF, marker]) + struct.pack('>H', len(body) + 2) + body


def huffman_table(kind, ident, codes):
    """codes: {code length: [symbols]}; codes are assigned in the canonical order."""
    counts = bytes(len(codes.get(n, [])) for n in range(1, 17))
    symbols = bytes(s for n in range(1, 17) for s in codes.get(n, []))
    return segment(0xC4, bytes([kind << 4 | ident]) + counts + symbols)


SOI, EOI = b'\xff\xd8', b'\xff\xd9'
FLAT_QUANT = segment(0xDB, b'\x00' + bytes([1] * 64))


def category(value):
    return abs(value).bit_length()


def flat_jpeg(width, height, levels, segments=b''):
    """Baseline JPEG, one flat level per component (no subsampling). A flat block has only
    a DC coefficient: 8 * (level - 128) with a quantiser of 1."""
    dc = [8 * (level - 128) for level in levels]
    cats = sorted({0} | {category(v) for v in dc})
    length = max(1, len(cats).bit_length())  # one length for all; the all-ones code stays unused
    code_of = {symbol: (i, length) for i, symbol in enumerate(cats)}
    bits = BitWriter()
    blocks = ((width + 7) // 8) * ((height + 7) // 8)
    for b in range(blocks):
        for v in dc:
            diff = v if b == 0 else 0
            c = category(diff)
            bits.put(*code_of[c])
            if c:
                bits.put(diff if diff > 0 else diff - 1 + (1 << c), c)
            bits.put(0, 1)  # AC: end of block
    n = len(levels)
    sof = struct.pack('>BHHB', 8, height, width, n) + b''.join(bytes([i + 1, 0x11, 0]) for i in range(n))
    sos = bytes([n]) + b''.join(bytes([i + 1, 0x00]) for i in range(n)) + b'\x00\x3f\x00'
    return (SOI + segments + FLAT_QUANT + segment(0xC0, sof) + huffman_table(0, 0, {length: cats})
            + huffman_table(1, 0, {1: [0x00]}) + segment(0xDA, sos) + bits.finish() + EOI)


def progressive_scan_bomb(width, height, scans):
    """Grey progressive JPEG: one DC scan, then scans - 1 AC scans that each code every
    block as one long end-of-band run. Each scan costs libjpeg a pass over every block of
    the picture for a few dozen bytes of file."""
    blocks = ((width + 7) // 8) * ((height + 7) // 8)
    out = SOI + FLAT_QUANT + segment(0xC2, struct.pack('>BHHB', 8, height, width, 1) + b'\x01\x11\x00')
    out += huffman_table(0, 0, {1: [0]})
    out += huffman_table(1, 0, {1: [0xE0], 2: [0x00]})  # EOB14 run, single end of block
    dc = BitWriter()
    for _ in range(blocks):
        dc.put(0, 1)
    out += segment(0xDA, b'\x01\x01\x00\x00\x00\x00') + dc.finish()
    ac = BitWriter()
    left = blocks
    while left:
        if left >= 16384:
            run = min(left, 32767)
            ac.put(0, 1)
            ac.put(run - 16384, 14)
        else:
            run = 1
            ac.put(0b10, 2)
        left -= run
    out += (segment(0xDA, b'\x01\x01\x00\x01\x3f\x00') + ac.finish()) * (scans - 1)
    return out + EOI


def app1_exif(tiff):
    return segment(0xE1, b'Exif\x00\x00' + tiff)


def ifd(entries, next_offset):
    """Little-endian IFD: entries are (tag, type, count, value-or-offset)."""
    body = struct.pack('<H', len(entries))
    for tag, kind, count, value in entries:
        body += struct.pack('<HHII', tag, kind, count, value)
    return body + struct.pack('<I', next_offset)


def icc_segment(profile, number=1, total=1):
    return segment(0xE2, b'ICC_PROFILE\x00' + bytes([number, total]) + profile)


# ---- PNG, TIFF, GIF, WebP -------------------------------------------------------------


def png_chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(width, height, colour_type, idat):
    ihdr = struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', ihdr) + png_chunk(b'IDAT', idat)
            + png_chunk(b'IEND', b''))


def flat_png(width, height):
    rows = b''.join(b'\x00' + bytes([90] * width) for _ in range(height))
    return png(width, height, 0, zlib.compress(rows, 9))


def grey_tiff(width, height, strip, strip_offset=None, next_ifd=0):
    """Little-endian one-strip 8-bit grey TIFF; the IFD sits right after the header."""
    entries = [
        (256, 4, 1, width), (257, 4, 1, height), (258, 3, 1, 8), (259, 3, 1, 1),
        (262, 3, 1, 1), (273, 4, 1, 0), (277, 3, 1, 1), (278, 4, 1, height), (279, 4, 1, len(strip)),
    ]
    ifd_size = 2 + 12 * len(entries) + 4
    data_offset = 8 + ifd_size
    entries[5] = (273, 4, 1, data_offset if strip_offset is None else strip_offset)
    next_offset = 8 if next_ifd == 'self' else next_ifd
    return b'II*\x00' + struct.pack('<I', 8) + ifd(entries, next_offset) + strip


def gif(screen_w, screen_h, image_w, image_h, lzw):
    header = b'GIF89a' + struct.pack('<HHBBB', screen_w, screen_h, 0x80, 0, 0) + b'\x00\x00\x00\xff\xff\xff'
    image = b',' + struct.pack('<HHHHB', 0, 0, image_w, image_h, 0) + b'\x02' + bytes([len(lzw)]) + lzw + b'\x00'
    return header + image + b';'


def webp_lossless_header(width, height, payload=b''):
    bits = (width - 1) | (height - 1) << 14
    vp8l = b'\x2f' + struct.pack('<I', bits) + payload
    chunk = b'VP8L' + struct.pack('<I', len(vp8l)) + vp8l + (b'\x00' if len(vp8l) % 2 else b'')
    return b'RIFF' + struct.pack('<I', 4 + len(chunk)) + b'WEBP' + chunk


# ---- the corpus -----------------------------------------------------------------------


def corpus():
    small = flat_jpeg(64, 48, [200, 90, 60])
    files = {}

    # Work bombs: few bytes, much decoding.
    files['scan-bomb.jpg'] = progressive_scan_bomb(8192, 8192, 3000)
    # Headers that claim far more pixels than any photo.
    files['huge-dimensions.jpg'] = (SOI + FLAT_QUANT + segment(0xC0, struct.pack('>BHHB', 8, 65500, 65500, 1)
                                    + b'\x01\x11\x00') + huffman_table(0, 0, {1: [0]})
                                    + huffman_table(1, 0, {1: [0]}) + segment(0xDA, b'\x01\x01\x00\x00\x3f\x00')
                                    + b'\x00' * 64 + EOI)
    files['huge-dimensions.png'] = png(60000, 60000, 6, zlib.compress(b'\x00' * 64))
    files['huge-dimensions.tif'] = grey_tiff(50000, 50000, b'\x00' * 16)
    files['huge-dimensions.gif'] = gif(65535, 65535, 1, 1, b'\x4c\x01')
    files['huge-dimensions.webp'] = webp_lossless_header(15000, 15000, b'\x00' * 16)
    files['zero-size.png'] = png(0, 0, 0, zlib.compress(b''))

    # Other formats under photo names: refused by content, whatever the name says.
    files['svg-named.jpg'] = (
        b'<?xml version="1.0"?>\n<svg xmlns="http://www.w3.org/2000/svg" '
        b'xmlns:xlink="http://www.w3.org/1999/xlink" width="14000" height="14000">\n'
        b'<filter id="f"><feGaussianBlur stdDeviation="9000"/></filter>\n'
        b'<image xlink:href="file:///etc/passwd" width="14000" height="14000" filter="url(#f)"/>\n'
        b'<rect width="14000" height="14000" filter="url(#f)"/>\n</svg>\n')
    files['pdf-named.jpg'] = (
        b'%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n'
        b'2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n'
        b'3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 14400 14400]>>endobj\n'
        b'trailer<</Root 1 0 R>>\n%%EOF\n')
    files['ppm-named.jpg'] = b'P6\n2 2\n255\n' + bytes([255, 0, 0] * 4)
    files['fits-named.jpg'] = (b'SIMPLE  =                    T'.ljust(80) + b'BITPIX  =                    8'.ljust(80)
                               + b'NAXIS   =                    2'.ljust(80) + b'NAXIS1  =                    2'.ljust(80)
                               + b'NAXIS2  =                    2'.ljust(80) + b'END'.ljust(80)).ljust(2880) + bytes(2880)
    files['matrix-named.jpg'] = b'2 2\n1 2\n3 4\n'
    files['vips-native-named.jpg'] = (b'\x08\xf2\xa6\xb6' + struct.pack('<iiiiiii', 1000, 1000, 1, 0, 0, 0, 0)
                                      + bytes(36))
    files['matlab-named.jpg'] = b'MATLAB 5.0 MAT-file, Platform: GLNXA64'.ljust(116) + bytes(8) + b'\x00\x01IM'
    # A real photo format under another photo format's name is simply read.
    files['png-named.tif'] = flat_png(40, 30)
    files['jpeg-named.png'] = small

    # Broken structure inside real formats.
    loop = ifd([(0x0112, 3, 1, 1), (0x8769, 4, 1, 8)], 8)  # the EXIF IFD and the next IFD are IFD0 itself
    files['exif-loop.jpg'] = small[:2] + app1_exif(b'II*\x00' + struct.pack('<I', 8) + loop) + small[2:]
    bad_count = b'II*\x00' + struct.pack('<I', 8) + struct.pack('<H', 0xFFFF) + struct.pack('<HHII', 0x0112, 3, 1, 6)
    files['exif-bad-count.jpg'] = small[:2] + app1_exif(bad_count) + small[2:]
    garbage = bytes((i * 73 + 41) & 0xFF for i in range(300))
    bad_profile = struct.pack('>I', 0x7FFFFFFF) + b'lcms' + garbage
    files['bad-icc.jpg'] = small[:2] + icc_segment(bad_profile) + small[2:]
    adobe = segment(0xEE, b'Adobe\x00\x64\x00\x00\x00\x00\x00')  # transform 0: plain CMYK
    files['bad-icc-cmyk.jpg'] = flat_jpeg(64, 48, [30, 200, 90, 10], adobe + icc_segment(bad_profile))
    files['icc-missing-chunks.jpg'] = small[:2] + icc_segment(garbage[:100], 1, 3) + small[2:]
    progressive = progressive_scan_bomb(256, 256, 6)
    last_scan = progressive.rindex(b'\xff\xda')
    files['truncated-progressive.jpg'] = progressive[:last_scan + 10 + 100]  # cut inside the last scan's data
    files['tiff-ifd-loop.tif'] = grey_tiff(16, 16, bytes(256), next_ifd='self')
    files['tiff-strip-past-end.tif'] = grey_tiff(64, 64, b'\x00' * 16, strip_offset=1 << 30)
    files['gif-garbage-lzw.gif'] = gif(16, 16, 16, 16, bytes(range(200, 255)))
    files['webp-garbage.webp'] = webp_lossless_header(64, 64, bytes((i * 37) & 0xFF for i in range(200)))
    files['heif-garbage.heic'] = (struct.pack('>I', 24) + b'ftypheic' + b'\x00\x00\x00\x00' + b'mif1heic'
                                  + struct.pack('>I', 0x7FFFFFF0) + b'meta' + garbage)
    # Within every limit but heavy for its size: 6 megapixels from a few kilobytes.
    rows = b''.join(b'\x00' + bytes(3000) for _ in range(2000))
    files['deflate-bomb.png'] = png(3000, 2000, 0, zlib.compress(rows, 9))
    return files


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'tests', 'data', 'hostile')
    os.makedirs(out, exist_ok=True)
    total = 0
    for name, data in sorted(corpus().items()):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        total += len(data)
        print(f'{len(data):>8}  {name}')
    print(f'{total:>8}  bytes in {out}')


if __name__ == '__main__':
    main()
