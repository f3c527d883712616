#!/usr/bin/env python3
"""Builds Tintra's icon files from their editable sources.

Sources live in resources/:
  *.svg  vector drawings, rendered at the exact entry size by rsvg-convert;
  *.txt  pixel maps (one character per pixel, a legend maps characters to
         RRGGBBAA), for images too small for a vector drawing to stay crisp.

Writes resources/*.ico and resources/scaled/*.ico: the dialog's images (the
enumeration EmbeddedImage in picker/embedded_images.h lists them) at the sizes
drawn for the scaled displays, one entry for each DPI of kImageDpis in
picker/dialog_layout.h; the build embeds both files of each. Needs python3
and rsvg-convert only: PNG is read and written here with zlib. With
--preview DIR it also writes enlarged previews of every entry over the
button-face grey, white and black.
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "resources")

# How each icon file of resources/ is drawn: ico name -> entries; an entry is
# (size in pixels, bits per pixel 24 or 32, source file, stored as PNG).
ICONS = {
    "eyedropper": [(32, 32, "eyedropper.svg", False)],
    "confirm": [(32, 32, "confirm.svg", False)],
    "cancel": [(24, 32, "cancel.svg", False)],
    "field_marker": [(15, 32, "field_marker.txt", False)],
    "restore_arrow": [(24, 24, "restore_arrow.svg", False), (24, 32, "restore_arrow.svg", False)],
    "store_arrow": [(24, 24, "store_arrow.svg", False), (24, 32, "store_arrow.svg", False)],
    # The program icon: the small sizes come from a simplified drawing with
    # thicker strokes, the 256 entry is PNG-compressed as usual in icon files.
    "tintra": [(16, 32, "tintra-small.svg", False), (20, 32, "tintra-small.svg", False),
               (24, 32, "tintra-small.svg", False), (32, 32, "tintra.svg", False),
               (40, 32, "tintra.svg", False), (48, 32, "tintra.svg", False),
               (64, 32, "tintra.svg", False), (128, 32, "tintra.svg", False),
               (256, 32, "tintra.svg", True)],
}


def dialog_images():
    """The dialog's images as picker/embedded_images.h lists them: kFieldMarker is field_marker."""
    with open(os.path.join(ROOT, "picker", "embedded_images.h"), encoding="ascii") as f:
        text = re.sub(r"//[^\n]*", "", f.read())
    match = re.search(r"enum class EmbeddedImage \{([^}]*)\}", text)
    if not match:
        raise ValueError("enum class EmbeddedImage not found in picker/embedded_images.h")
    names = []
    for enumerator in re.findall(r"\w+", match.group(1)):
        if not re.fullmatch(r"k[A-Z]\w*", enumerator):
            raise ValueError(f"picker/embedded_images.h: '{enumerator}' is not a kName enumerator")
        name = re.sub(r"([a-z0-9])([A-Z])", r"\1_\2", enumerator[1:]).lower()
        if name not in ICONS:
            raise ValueError(f"picker/embedded_images.h: no drawing of {name}.ico in ICONS")
        names.append(name)
    return names


def image_dpis():
    """The DPIs the dialog's images are drawn for, as picker/dialog_layout.h lists them."""
    with open(os.path.join(ROOT, "picker", "dialog_layout.h"), encoding="ascii") as f:
        text = f.read()
    match = re.search(r"kImageDpis\s*=\s*\{([0-9,\s]+)\}", text)
    if not match:
        raise ValueError("kImageDpis not found in picker/dialog_layout.h")
    return [int(v) for v in match.group(1).split(",")]


def size_at(size, dpi):
    """A 96-DPI size at `dpi`, rounded as the dialog's layout rounds (halves up)."""
    return max(1, (size * dpi + 48) // 96)


# An image is (width, height, rows) with rows a list of lists of (r, g, b, a)
# tuples, top row first, colours not premultiplied.


def png_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos = 8
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(data):
    """Reads an 8-bit RGBA, non-interlaced PNG (what rsvg-convert writes)."""
    idat = b""
    for kind, body in png_chunks(data):
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if (depth, ctype, interlace) != (8, 6, 0):
                raise ValueError("only 8-bit RGBA non-interlaced PNG is read")
        elif kind == b"IDAT":
            idat += body
    raw = zlib.decompress(idat)
    stride = width * 4
    prev = bytearray(stride)
    rows = []
    pos = 0
    for _ in range(height):
        ftype = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            pred = (0, a, b, (a + b) // 2, paeth(a, b, c))[ftype]
            line[i] = (line[i] + pred) & 0xFF
        rows.append([tuple(line[x * 4:x * 4 + 4]) for x in range(width)])
        prev = line
    return width, height, rows


def write_png(image):
    """PNG bytes of an image, choosing per row the filter with the smallest sum."""
    width, height, rows = image
    stride = width * 4
    prev = bytes(stride)
    raw = bytearray()
    for row in rows:
        line = bytes(v for px in row for v in px)
        best = None
        for ftype in range(5):
            out = bytearray([ftype])
            for i in range(stride):
                a = line[i - 4] if i >= 4 else 0
                b = prev[i]
                c = prev[i - 4] if i >= 4 else 0
                pred = (0, a, b, (a + b) // 2, paeth(a, b, c))[ftype]
                out.append((line[i] - pred) & 0xFF)
            score = sum(v if v < 128 else 256 - v for v in out[1:])
            if best is None or score < best[0]:
                best = (score, out)
        raw += best[1]
        prev = line

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def render_svg(path, size):
    png = subprocess.run(["rsvg-convert", "--width", str(size), "--height", str(size), path],
                         check=True, capture_output=True).stdout
    image = read_png(png)
    if image[:2] != (size, size):
        raise ValueError(f"{path}: rendered {image[0]}x{image[1]}, wanted {size}x{size}")
    return image


def read_pixel_map(path, size):
    """Pixel map: 'legend' lines 'C RRGGBBAA', then 'pixels' and one text row per image row."""
    legend = {}
    rows = []
    section = None
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            text = line.strip()
            if not text or text.startswith("#"):
                continue
            if text in ("legend", "pixels"):
                section = text
                continue
            if section == "legend":
                char, value = text.split()
                if len(char) != 1 or len(value) != 8:
                    raise ValueError(f"{path}:{number}: legend lines are 'C RRGGBBAA'")
                legend[char] = tuple(int(value[i:i + 2], 16) for i in range(0, 8, 2))
            elif section == "pixels":
                try:
                    rows.append([legend[c] for c in text])
                except KeyError as e:
                    raise ValueError(f"{path}:{number}: {e} is not in the legend") from None
            else:
                raise ValueError(f"{path}:{number}: text before 'legend'")
    if len(rows) != size or any(len(r) != size for r in rows):
        raise ValueError(f"{path}: the pixel rows must be {size} x {size}")
    return size, size, rows


def load_source(name, size):
    path = os.path.join(RES, name)
    if name.endswith(".svg"):
        return render_svg(path, size)
    return read_pixel_map(path, size)


def dib_entry(image, bits):
    """BITMAPINFOHEADER, colour rows and AND mask, bottom-up, rows padded to 4 bytes.

    32-bit keeps the alpha; 24-bit keeps the pixels of alpha >= 128 opaque. The
    mask marks alpha < 128 as transparent in both (for 24-bit readers it is the
    only transparency).
    """
    width, height, rows = image
    colour_stride = (width * bits + 31) // 32 * 4
    mask_stride = (width + 31) // 32 * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray()
        bitsline = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            if bits == 32:
                line += bytes((b, g, r, a))
            else:
                line += bytes((b, g, r)) if a >= 128 else b"\0\0\0"
            if a < 128:
                bitsline[x // 8] |= 0x80 >> (x % 8)
        line += bytes(colour_stride - len(line))
        colour += line
        mask += bitsline
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_file(entries):
    """entries: list of (image, bits, as_png). Data follows the directory in entry order."""
    count = len(entries)
    directory = struct.pack("<HHH", 0, 1, count)
    blobs = []
    offset = 6 + 16 * count
    for image, bits, as_png in entries:
        width, height, _ = image
        blob = write_png(image) if as_png else dib_entry(image, bits)
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, bits,
                                 len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return directory + b"".join(blobs)


def as_stored(image, bits):
    """The image as a 24-bit entry keeps it: alpha 0 or 255 at the mask's threshold."""
    if bits == 32:
        return image
    width, height, rows = image
    return width, height, [[px[:3] + (255,) if px[3] >= 128 else (0, 0, 0, 0) for px in row]
                           for row in rows]


def composite(image, bg):
    """Image laid over an opaque background colour."""
    width, height, rows = image
    out = []
    for row in rows:
        out.append([tuple((c * a + k * (255 - a) + 127) // 255 for c, k in zip(px[:3], bg)) +
                    (255,) for px in row for a in (px[3],)])
    return width, height, out


def preview(images, path, scale=8):
    """One row per entry: the entry over grey 240, white and black, enlarged."""
    backgrounds = [(240, 240, 240), (255, 255, 255), (0, 0, 0)]
    gap = 8
    width = max(img[0] for img in images) * scale * 3 + gap * 4
    height = sum(img[1] * scale + gap for img in images) + gap
    canvas = [[(128, 128, 160, 255)] * width for _ in range(height)]
    y0 = gap
    for img in images:
        x0 = gap
        for bg in backgrounds:
            _, _, rows = composite(img, bg)
            for y, row in enumerate(rows):
                for x, px in enumerate(row):
                    for dy in range(scale):
                        line = canvas[y0 + y * scale + dy]
                        for dx in range(scale):
                            line[x0 + x * scale + dx] = px
            x0 += img[0] * scale + gap
        y0 += img[1] * scale + gap
    with open(path, "wb") as f:
        f.write(write_png((width, height, canvas)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged previews to DIR")
    args = parser.parse_args()

    for ico_name, entries in ICONS.items():
        built = []
        for size, bits, source, as_png in entries:
            built.append((load_source(source, size), bits, as_png))
        data = ico_file(built)
        with open(os.path.join(RES, ico_name + ".ico"), "wb") as f:
            f.write(data)
        print(f"resources/{ico_name}.ico: {len(entries)} entries, {len(data)} bytes")
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            stored = [as_stored(img, bits) for img, bits, _ in built]
            small = [img for img in stored if img[0] <= 48]
            large = [img for img in stored if img[0] > 48]
            if small:
                preview(small, os.path.join(args.preview, ico_name + ".png"), 8)
            if large:
                preview(large, os.path.join(args.preview, ico_name + "-large.png"), 1)
    # The larger sizes of every dialog image come from its drawing, at the
    # size of its first entry: the field marker's pixel map is for 96 DPI
    # only, its drawing is the same ring.
    os.makedirs(os.path.join(RES, "scaled"), exist_ok=True)
    dpis = [dpi for dpi in image_dpis() if dpi != 96]
    for ico_name in dialog_images():
        size = ICONS[ico_name][0][0]
        source = ico_name + ".svg"
        built = [(load_source(source, size_at(size, dpi)), 32, False) for dpi in dpis]
        data = ico_file(built)
        with open(os.path.join(RES, "scaled", ico_name + ".ico"), "wb") as f:
            f.write(data)
        print(f"resources/scaled/{ico_name}.ico: {len(built)} entries, {len(data)} bytes")
        if args.preview:
            preview([img for img, _, _ in built],
                    os.path.join(args.preview, ico_name + "-scaled.png"), 2)


if __name__ == "__main__":
    sys.exit(main())
