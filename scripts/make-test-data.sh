#!/usr/bin/env bash
# Regenerates the small decoder fixtures in tests/data. The outputs are committed, so
# builds and CI never run this; it exists so the fixtures can be reproduced and changed.
# Needs: python3, ImageMagick 6 (convert-im6.q16 or convert), exiv2 (Debian: imagemagick exiv2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/data"
convert=$(command -v convert-im6.q16 || command -v convert)
command -v exiv2 >/dev/null || { echo "make-test-data: needs the exiv2 tool (apt-get install exiv2)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# PNGs, raw pixel buffers for ImageMagick, and a tiny CMYK ICC profile, all written
# byte by byte so the fixtures hold exactly the values the tests expect.
python3 - "$out" "$work" <<'PY'
import struct, sys, zlib

out, work = sys.argv[1], sys.argv[2]

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

def png(name, width, height, colour_type, depth, rows, idat=None):
    raw = b''.join(b'\x00' + row for row in rows)
    ihdr = struct.pack('>IIBBBBB', width, height, depth, colour_type, 0, 0, 0)
    body = chunk(b'IHDR', ihdr) + chunk(b'IDAT', idat if idat is not None else zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(f'{out}/{name}', 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + body)

# 1x1 RGB.
png('one-pixel.png', 1, 1, 2, 8, [bytes([200, 100, 50])])

# 4x2 grey+alpha: top row grey 100 opaque, bottom row grey 100 at alpha 128.
png('grey-alpha.png', 4, 2, 4, 8, [bytes([100, 255] * 4), bytes([100, 128] * 4)])

# 4x4 16-bit RGB: first pixel (65535, 32768, 0), the rest (4096, 8192, 65535).
px16 = lambda r, g, b: struct.pack('>HHH', r, g, b)
png('sixteen-bit.png', 4, 4, 2, 16,
    [px16(65535, 32768, 0) + px16(4096, 8192, 65535) * 3] + [px16(4096, 8192, 65535) * 4] * 3)

# 4x4 RGBA: opaque red, half-transparent green, fully transparent white, then opaque blue.
first = bytes([255, 0, 0, 255, 0, 255, 0, 128, 255, 255, 255, 0, 0, 0, 255, 255])
png('rgba.png', 4, 4, 6, 8, [first] + [bytes([0, 0, 255, 255] * 4)] * 3)

# A header claiming 100000 x 100000 grey pixels with a token IDAT: must be refused unread.
png('huge-header.png', 100000, 100000, 0, 8, [], idat=zlib.compress(b'\x00' * 64, 9))

# Raw pixel buffers turned into JPEGs by ImageMagick below. Halves split on an 8-pixel
# block edge so JPEG keeps the flat values nearly exact.
with open(f'{work}/grey.raw', 'wb') as f:          # 32x24: left 64, right 192
    f.write(bytes(([64] * 16 + [192] * 16) * 24))
with open(f'{work}/cmyk.raw', 'wb') as f:          # 32x24: left pure cyan, right pure black
    f.write(bytes(([255, 0, 0, 0] * 16 + [0, 0, 0, 255] * 16) * 24))
with open(f'{work}/orient.raw', 'wb') as f:        # 16x8 RGB: red top-left 8x8 block, white elsewhere
    f.write(bytes(([255, 0, 0] * 8 + [255, 255, 255] * 8) * 8))
with open(f'{work}/noise.raw', 'wb') as f:         # 64x48 RGB texture, big enough to cut in half
    f.write(bytes(((x * 7 + y * 13) ^ (x * y)) & 255 for y in range(48) for x in range(64) for _ in range(3)))

# A naive CMYK output profile (ICC v2, Lab PCS, lut16 tables); ink mixing is the simple
# subtractive model, good enough for a colour-managed CMYK fixture.
def s15(v):
    return struct.pack('>i', int(round(v * 65536)))

WHITE = (0.9642, 1.0, 0.8249)

def srgb_to_lab(r, g, b):
    lin = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4 for c in (r, g, b)]
    x = 0.4360747 * lin[0] + 0.3850649 * lin[1] + 0.1430804 * lin[2]
    y = 0.2225045 * lin[0] + 0.7168786 * lin[1] + 0.0606169 * lin[2]
    z = 0.0139322 * lin[0] + 0.0971045 * lin[1] + 0.7141733 * lin[2]
    f = lambda t: t ** (1 / 3) if t > (6 / 29) ** 3 else t / (3 * (6 / 29) ** 2) + 4 / 29
    fx, fy, fz = f(x / WHITE[0]), f(y / WHITE[1]), f(z / WHITE[2])
    return 116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)

def lab_to_srgb(l, a, b):
    fy = (l + 16) / 116
    fx, fz = fy + a / 500, fy - b / 200
    finv = lambda t: t ** 3 if t > 6 / 29 else 3 * (6 / 29) ** 2 * (t - 4 / 29)
    x, y, z = finv(fx) * WHITE[0], finv(fy) * WHITE[1], finv(fz) * WHITE[2]
    lin = (3.1338561 * x - 1.6168667 * y - 0.4906146 * z,
           -0.9787684 * x + 1.9161415 * y + 0.0334540 * z,
           0.0719453 * x - 0.2289914 * y + 1.4052427 * z)
    lin = [min(max(c, 0.0), 1.0) for c in lin]
    return [12.92 * c if c <= 0.0031308 else 1.055 * c ** (1 / 2.4) - 0.055 for c in lin]

def encode_lab(l, a, b):
    clamp = lambda v: min(max(int(round(v)), 0), 65535)
    return struct.pack('>HHH', clamp(l / 100 * 0xFF00), clamp((a + 128) * 256), clamp((b + 128) * 256))

def lut16(inputs, outputs, grid, clut):
    identity = struct.pack('>HH', 0, 65535)
    matrix = b''.join(s15(v) for v in (1, 0, 0, 0, 1, 0, 0, 0, 1))
    return (b'mft2' + b'\0' * 4 + bytes([inputs, outputs, grid, 0]) + matrix + struct.pack('>HH', 2, 2)
            + identity * inputs + clut + identity * outputs)

def grid_points(channels, grid):
    points = [()]
    for _ in range(channels):
        points = [p + (i / (grid - 1),) for p in points for i in range(grid)]
    return points

a2b = b''.join(encode_lab(*srgb_to_lab((1 - c) * (1 - k), (1 - m) * (1 - k), (1 - y) * (1 - k)))
               for c, m, y, k in grid_points(4, 3))
b2a = b''
for l, a, b in grid_points(3, 5):
    r, g, bl = lab_to_srgb(l * 65535 / 0xFF00 * 100, a * 65535 / 256 - 128, b * 65535 / 256 - 128)
    k = 1 - max(r, g, bl)
    cmy = [0.0, 0.0, 0.0] if k >= 1 else [(1 - v - k) / (1 - k) for v in (r, g, bl)]
    b2a += struct.pack('>HHHH', *(int(round(v * 65535)) for v in cmy + [k]))

text = b'Quillum test CMYK'
tags = [
    (b'desc', b'desc' + b'\0' * 4 + struct.pack('>I', len(text) + 1) + text + b'\0'
              + struct.pack('>IIHB', 0, 0, 0, 0) + b'\0' * 67),
    (b'cprt', b'text' + b'\0' * 4 + b'No copyright, use freely\0'),
    (b'wtpt', b'XYZ ' + b'\0' * 4 + b''.join(s15(v) for v in WHITE)),
    (b'A2B0', lut16(4, 3, 3, a2b)),
    (b'B2A0', lut16(3, 4, 5, b2a)),
]
# The relative-colorimetric tables share the perceptual ones' bytes.
shared = {b'A2B1': b'A2B0', b'B2A1': b'B2A0'}
offset = 128 + 4 + 12 * (len(tags) + len(shared))
table, data, placed = struct.pack('>I', len(tags) + len(shared)), b'', {}
for sig, body in tags:
    body += b'\0' * (-len(body) % 4)
    placed[sig] = struct.pack('>II', offset + len(data), len(body))
    table += sig + placed[sig]
    data += body
for sig, source in shared.items():
    table += sig + placed[source]
size = offset + len(data)
header = (struct.pack('>I', size) + b'\0' * 4 + struct.pack('>I', 0x02100000) + b'prtrCMYKLab '
          + struct.pack('>6H', 2024, 1, 1, 0, 0, 0) + b'acsp' + b'\0' * 24 + struct.pack('>I', 0)
          + b''.join(s15(v) for v in WHITE) + b'\0' * 48)
assert len(header) == 128
with open(f'{work}/cmyk.icc', 'wb') as f:
    f.write(header + table + data)

# Display profiles (ICC v2, XYZ PCS, gamma 2.2) for the encoder's profile rule: a grey one,
# the kind a grey scan or a black-and-white camera mode embeds, which must not follow the
# picture into RGB files; and an RGB one (sRGB primaries adapted to D50), which must.
def profile(data_space, tags):
    offset = 128 + 4 + 12 * len(tags)
    table, data = struct.pack('>I', len(tags)), b''
    for sig, body in tags:
        body += b'\0' * (-len(body) % 4)
        table += sig + struct.pack('>II', offset + len(data), len(body))
        data += body
    header = (struct.pack('>I', offset + len(data)) + b'\0' * 4 + struct.pack('>I', 0x02100000) + b'mntr'
              + data_space + b'XYZ ' + struct.pack('>6H', 2024, 1, 1, 0, 0, 0) + b'acsp' + b'\0' * 24
              + struct.pack('>I', 0) + b''.join(s15(v) for v in WHITE) + b'\0' * 48)
    assert len(header) == 128
    return header + table + data

def desc(text):
    return (b'desc' + b'\0' * 4 + struct.pack('>I', len(text) + 1) + text + b'\0'
            + struct.pack('>IIHB', 0, 0, 0, 0) + b'\0' * 67)

xyz = lambda *v: b'XYZ ' + b'\0' * 4 + b''.join(s15(c) for c in v)
gamma = b'curv' + b'\0' * 4 + struct.pack('>IH', 1, 0x0233)
free = b'text' + b'\0' * 4 + b'No copyright, use freely\0'
with open(f'{work}/gray.icc', 'wb') as f:
    f.write(profile(b'GRAY', [(b'desc', desc(b'Quillum test Gray')), (b'cprt', free), (b'wtpt', xyz(*WHITE)),
                              (b'kTRC', gamma)]))
with open(f'{out}/rgb.icc', 'wb') as f:
    f.write(profile(b'RGB ', [(b'desc', desc(b'Quillum test RGB')), (b'cprt', free), (b'wtpt', xyz(*WHITE)),
                              (b'rXYZ', xyz(0.4361, 0.2225, 0.0139)), (b'gXYZ', xyz(0.3851, 0.7169, 0.0971)),
                              (b'bXYZ', xyz(0.1431, 0.0606, 0.7141)),
                              (b'rTRC', gamma), (b'gTRC', gamma), (b'bTRC', gamma)]))
PY

"$convert" -size 32x24 -depth 8 gray:"$work/grey.raw" -strip -quality 95 "$out/grey.jpg"
"$convert" -size 32x24 -depth 8 gray:"$work/grey.raw" -strip -profile "$work/gray.icc" -quality 95 "$out/grey-profile.jpg"
"$convert" -size 32x24 -depth 8 cmyk:"$work/cmyk.raw" -strip -quality 95 -sampling-factor 1x1 "$out/cmyk-noprofile.jpg"
"$convert" -size 32x24 -depth 8 cmyk:"$work/cmyk.raw" -strip -profile "$work/cmyk.icc" -quality 95 \
    -sampling-factor 1x1 "$out/cmyk-profile.jpg"

"$convert" -size 16x8 -depth 8 rgb:"$work/orient.raw" -strip -quality 95 "$out/orient6.jpg"
exiv2 -M"set Exif.Image.Make Quillum Labs" -M"set Exif.Image.Model Test Camera 1" \
      -M"set Exif.Image.Orientation 6" -M"set Exif.Image.XResolution 72/1" \
      -M"set Exif.Photo.DateTimeOriginal 2021:06:15 10:30:00" -M"set Exif.Photo.ExposureTime 1/250" \
      -M"set Exif.Photo.FNumber 28/10" -M"set Exif.Photo.ISOSpeedRatings 200" \
      modify "$out/orient6.jpg"
# The same picture tagged 8 (turn counter-clockwise) and 3 (upside down).
for tag in 8 3; do
  cp "$out/orient6.jpg" "$out/orient$tag.jpg"
  exiv2 -M"set Exif.Image.Orientation $tag" modify "$out/orient$tag.jpg"
done

# A camera photo with a position: what a pasted picture must never inherit.
"$convert" -size 64x48 -depth 8 rgb:"$work/noise.raw" -strip -quality 90 "$out/camera-gps.jpg"
exiv2 -M"set Exif.Image.Make Quillum Labs" -M"set Exif.Image.Model Test Camera 1" \
      -M"set Exif.Photo.DateTimeOriginal 2021:06:15 10:30:00" -M"set Exif.GPSInfo.GPSVersionID 2 3 0 0" \
      -M"set Exif.GPSInfo.GPSLatitudeRef N" -M"set Exif.GPSInfo.GPSLatitude 48/1 51/1 2400/100" \
      -M"set Exif.GPSInfo.GPSLongitudeRef E" -M"set Exif.GPSInfo.GPSLongitude 2/1 21/1 700/100" \
      -M"set Exif.GPSInfo.GPSMapDatum WGS-84" modify "$out/camera-gps.jpg"

# The other photo formats the decoder takes, with the same exact pixels (WebP lossless,
# GIF from a two-colour palette; AVIF is lossy).
for ext in webp gif avif; do
  "$convert" -size 16x8 -depth 8 rgb:"$work/orient.raw" -strip -define webp:lossless=true "$out/red-block.$ext"
done

"$convert" -size 64x48 -depth 8 rgb:"$work/noise.raw" -strip -quality 90 "$work/whole.jpg"
head -c $(( $(stat -c %s "$work/whole.jpg") / 2 )) "$work/whole.jpg" > "$out/truncated.jpg"
# Complete data without the final end-of-image marker (FF D9), as some cameras and
# uploaders leave it.
head -c $(( $(stat -c %s "$work/whole.jpg") - 2 )) "$work/whole.jpg" > "$out/missing-eoi.jpg"

: > "$out/empty.jpg"
printf 'This is a plain text file with a .jpg name.\nIt holds no image data.\n' > "$out/notanimage.jpg"

ls -l "$out"
