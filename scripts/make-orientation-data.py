#!/usr/bin/env python3
# Writes tests/data/orientation-1.tif ... orientation-8.tif: one small upright picture stored
# the way a camera tagged with each EXIF orientation would store it, so that turning the
# stored pixels by the tag gives the upright picture back. Uncompressed TIFF (lossless, the
# tag in IFD0 where Exiv2 and libvips read it), written byte by byte; needs nothing but
# python3. The outputs are committed; rerunning gives the same bytes.
import os
import struct

# The upright picture: 3 x 2, six colours no turn or mirror maps onto each other.
UPRIGHT = [
    [(255, 0, 0), (0, 255, 0), (0, 0, 255)],
    [(255, 255, 0), (0, 255, 255), (255, 0, 255)],
]
H, W = len(UPRIGHT), len(UPRIGHT[0])


def shown_at(orientation, c, r, ws, hs):
    """Where stored pixel (column c, row r) of a ws x hs picture appears once upright."""
    return {
        1: (c, r),
        2: (ws - 1 - c, r),                   # mirrored left to right
        3: (ws - 1 - c, hs - 1 - r),          # upside down
        4: (c, hs - 1 - r),                   # mirrored top to bottom
        5: (r, c),                            # transposed
        6: (hs - 1 - r, c),                   # needs a quarter turn clockwise
        7: (hs - 1 - r, ws - 1 - c),          # transverse
        8: (r, ws - 1 - c),                   # needs a quarter turn counter-clockwise
    }[orientation]


def stored(orientation):
    swaps = orientation >= 5
    ws, hs = (H, W) if swaps else (W, H)
    rows = []
    for r in range(hs):
        row = []
        for c in range(ws):
            x, y = shown_at(orientation, c, r, ws, hs)
            row.append(UPRIGHT[y][x])
        rows.append(row)
    return ws, hs, rows


def tiff(orientation):
    ws, hs, rows = stored(orientation)
    pixels = bytes(v for row in rows for px in row for v in px)
    entries = [  # tag, type (3 SHORT, 4 LONG), count, value
        (256, 3, 1, ws),
        (257, 3, 1, hs),
        (258, 3, 3, None),  # BitsPerSample 8,8,8, stored after the IFD
        (259, 3, 1, 1),     # no compression
        (262, 3, 1, 2),     # RGB
        (273, 4, 1, None),  # StripOffsets
        (274, 3, 1, orientation),
        (277, 3, 1, 3),
        (278, 3, 1, hs),
        (279, 4, 1, len(pixels)),
        (284, 3, 1, 1),     # interleaved
    ]
    ifd_offset = 8
    ifd_size = 2 + 12 * len(entries) + 4
    bits_offset = ifd_offset + ifd_size
    strip_offset = bits_offset + 6
    out = b'II*\x00' + struct.pack('<I', ifd_offset) + struct.pack('<H', len(entries))
    for tag, kind, count, value in entries:
        if tag == 258:
            value = bits_offset
            kind = 3
            out += struct.pack('<HHII', tag, kind, count, value)
            continue
        if tag == 273:
            value = strip_offset
        if kind == 3:
            out += struct.pack('<HHIHH', tag, kind, count, value, 0)
        else:
            out += struct.pack('<HHII', tag, kind, count, value)
    out += struct.pack('<I', 0)
    out += struct.pack('<HHH', 8, 8, 8)
    assert len(out) == strip_offset
    return out + pixels


root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'data')
for o in range(1, 9):
    with open(os.path.join(root, f'orientation-{o}.tif'), 'wb') as f:
        f.write(tiff(o))
