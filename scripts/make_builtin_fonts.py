#!/usr/bin/env python3
"""Builds the three built-in DOS 866 bitmap fonts from the VGA console fonts of Debian's
console-setup-linux package.

Writes resources/fonts/DOS8X8.tvf, DOS8X14.tvf, DOS8X16.tvf and src/view/builtin_fonts_data.cpp
(the same images as byte arrays). Run from anywhere: python3 scripts/make_builtin_fonts.py

Every code 32..255 is looked up by its Unicode character in the source fonts, in the order
given; what none of them has is drawn from a simple pattern (shades, blocks, the house sign).
"""

import gzip
import os
import struct
import sys

FONT_DIR = "/usr/share/consolefonts"
ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

# Resource name, height, source fonts by preference.
FONTS = [
    ("DOS8X8", 8, ["Uni2-VGA8", "FullCyrSlav-VGA8"]),
    ("DOS8X14", 14, ["Uni2-VGA14", "FullCyrSlav-VGA14"]),
    ("DOS8X16", 16, ["FullCyrSlav-VGA16", "Uni2-VGA16"]),
]


def load_psf(path):
    """Returns (height, list of glyph byte rows, {code point: glyph index})."""
    data = gzip.open(path).read()
    if data[:2] == b"\x36\x04":  # PSF1
        mode, height = data[2], data[3]
        count = 512 if mode & 1 else 256
        glyphs = [data[4 + i * height:4 + (i + 1) * height] for i in range(count)]
        pos = 4 + count * height
        table = {}
        if mode & 2:
            index = 0
            while index < count and pos + 1 < len(data):
                (code,) = struct.unpack_from("<H", data, pos)
                pos += 2
                if code == 0xFFFF:
                    index += 1
                elif code != 0xFFFE:
                    table.setdefault(code, index)
        return height, glyphs, table
    magic, _, header, flags, count, size, height, width = struct.unpack_from("<8I", data, 0)
    if magic != 0x864AB572 or width != 8:
        sys.exit("%s: not an 8-pixel-wide PSF font" % path)
    glyphs = [data[header + i * size:header + (i + 1) * size] for i in range(count)]
    pos = header + count * size
    table = {}
    if flags & 1:
        index = 0
        while index < count and pos < len(data):
            lead = data[pos]
            if lead == 0xFF:
                index += 1
                pos += 1
            elif lead == 0xFE:  # combining sequences: not needed here
                while data[pos] != 0xFF:
                    pos += 1
            else:
                length = 1 if lead < 0x80 else 2 if lead < 0xE0 else 3 if lead < 0xF0 else 4
                table.setdefault(ord(data[pos:pos + length].decode("utf-8")), index)
                pos += length
    return height, glyphs, table


def pattern(code, height):
    """Rows (MSB = leftmost pixel) for the characters that are plain patterns."""
    half = height // 2
    repeat = {0x2591: (0x22, 0x88), 0x2592: (0x55, 0xAA), 0x2593: (0xDD, 0x77)}
    if code in repeat:
        return bytes(repeat[code][r % 2] for r in range(height))
    if code == 0x2588:
        return bytes([0xFF] * height)
    if code == 0x2584:
        return bytes([0] * half + [0xFF] * (height - half))
    if code == 0x2580:
        return bytes([0xFF] * half + [0] * (height - half))
    if code == 0x258C:
        return bytes([0xF0] * height)
    if code == 0x2590:
        return bytes([0x0F] * height)
    if code == 0x25A0:
        top = height // 4
        return bytes([0] * top + [0x7E] * (height - 2 * top) + [0] * top)
    if code == 0x2302:
        house = [0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE]
        top = max(0, (height - len(house) - 1) // 2)
        rows = [0] * top + house
        return bytes((rows + [0] * height)[:height])
    return None


def reverse_bits(byte):
    return int("{:08b}".format(byte)[::-1], 2)


def dos_code_point(code):
    # DOS screens show the house sign at 7F; the code page itself maps it to DEL.
    return 0x2302 if code == 0x7F else ord(bytes([code]).decode("cp866"))


def build_font(name, height, sources):
    loaded = [(s, load_psf(os.path.join(FONT_DIR, s + ".psf.gz"))) for s in sources]
    image = bytearray(struct.pack("<H", height))
    origin = {}
    for code in range(32, 256):
        point = dos_code_point(code)
        rows = None
        for source, (source_height, glyphs, table) in loaded:
            if source_height == height and point in table:
                rows = glyphs[table[point]][:height]
                origin[source] = origin.get(source, 0) + 1
                break
        if rows is None:
            rows = pattern(point, height)
            if rows is None:
                sys.exit("%s: no glyph for %02X (U+%04X)" % (name, code, point))
            origin["pattern"] = origin.get("pattern", 0) + 1
        image += struct.pack("<HHH", code, 8, 1)
        for row in rows:
            image += struct.pack("<H", reverse_bits(row))
    # Byte 0 is a blank cell two characters wide.
    image += struct.pack("<HHH", 0, 16, 1) + bytes(2 * height)
    print("%s: %d bytes, glyphs from %s" % (name, len(image), origin))
    return bytes(image)


def cpp_source(images):
    out = [
        "// Generated by scripts/make_builtin_fonts.py from the VGA console fonts of",
        "// console-setup-linux; do not edit.",
        "",
        '#include "view/builtin_fonts.h"',
        "",
        "namespace qm {",
        "namespace {",
        "",
    ]
    for name, image in images:
        out.append("const unsigned char k%s[%d] = {" % (name, len(image)))
        for start in range(0, len(image), 16):
            chunk = image[start:start + 16]
            out.append("    " + " ".join("0x%02X," % b for b in chunk))
        out.append("};")
        out.append("")
    out.append("} // namespace")
    out.append("")
    out.append("const BuiltinFontImage kBuiltinFontImages[kBuiltinFontCount] = {")
    for name, _ in images:
        out.append('    {"%s", {reinterpret_cast<const char*>(k%s), sizeof(k%s)}},' %
                   (name, name, name))
    out.append("};")
    out.append("")
    out.append("} // namespace qm")
    return "\n".join(out) + "\n"


def main():
    images = [(name, build_font(name, height, sources)) for name, height, sources in FONTS]
    font_dir = os.path.join(ROOT, "resources", "fonts")
    os.makedirs(font_dir, exist_ok=True)
    for name, image in images:
        with open(os.path.join(font_dir, name + ".tvf"), "wb") as f:
            f.write(image)
    with open(os.path.join(ROOT, "src", "view", "builtin_fonts_data.cpp"), "w") as f:
        f.write(cpp_source(images))


if __name__ == "__main__":
    main()
