#!/usr/bin/env python3
"""Writes a 32 x 32, 16-colour .ico from a text picture.

The picture file: lines starting with '#' are comments; a line
"key C NAME" gives the character C one of the sixteen standard colours (or
"transparent"); after the line "picture" come 32 lines of 32 characters,
one character per pixel, top row first.

usage: make_ico.py PICTURE.txt OUTPUT.ico
"""
import struct
import sys

SIZE = 32

# The sixteen colours of the standard palette, in palette order.
COLOURS = [
    ("black", (0x00, 0x00, 0x00)),
    ("maroon", (0x80, 0x00, 0x00)),
    ("green", (0x00, 0x80, 0x00)),
    ("olive", (0x80, 0x80, 0x00)),
    ("navy", (0x00, 0x00, 0x80)),
    ("purple", (0x80, 0x00, 0x80)),
    ("teal", (0x00, 0x80, 0x80)),
    ("silver", (0xC0, 0xC0, 0xC0)),
    ("gray", (0x80, 0x80, 0x80)),
    ("red", (0xFF, 0x00, 0x00)),
    ("lime", (0x00, 0xFF, 0x00)),
    ("yellow", (0xFF, 0xFF, 0x00)),
    ("blue", (0x00, 0x00, 0xFF)),
    ("fuchsia", (0xFF, 0x00, 0xFF)),
    ("aqua", (0x00, 0xFF, 0xFF)),
    ("white", (0xFF, 0xFF, 0xFF)),
]
TRANSPARENT = -1


def fail(path, line, message):
    sys.exit(f"{path}:{line}: {message}")


def read_picture(path):
    names = {name: index for index, (name, _) in enumerate(COLOURS)}
    keys = {}
    rows = []
    in_picture = False
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\r\n")
            if in_picture:
                if len(rows) == SIZE:
                    if line.strip():
                        fail(path, number, "more than 32 rows")
                    continue
                if len(line) != SIZE:
                    fail(path, number, f"row of {len(line)} characters, not 32")
                row = []
                for c in line:
                    if c not in keys:
                        fail(path, number, f"character {c!r} has no key")
                    row.append(keys[c])
                rows.append(row)
            elif not line.strip() or line.startswith("#"):
                continue
            elif line == "picture":
                in_picture = True
            elif line.startswith("key "):
                parts = line.split()
                if len(parts) != 3 or len(parts[1]) != 1:
                    fail(path, number, "expected: key C NAME")
                if parts[2] == "transparent":
                    keys[parts[1]] = TRANSPARENT
                elif parts[2] in names:
                    keys[parts[1]] = names[parts[2]]
                else:
                    fail(path, number, f"unknown colour {parts[2]!r}")
            else:
                fail(path, number, "expected a comment, a key or the picture")
    if len(rows) != SIZE:
        fail(path, 0, f"picture has {len(rows)} rows, not 32")
    return rows


def build_ico(rows):
    # Bitmap rows run bottom up; 4 bits per pixel, high nibble first; the
    # AND mask is 1 bit per pixel, 1 where the ground shows through.
    colour_rows = bytearray()
    mask_rows = bytearray()
    for row in reversed(rows):
        for x in range(0, SIZE, 2):
            hi = max(row[x], 0)
            lo = max(row[x + 1], 0)
            colour_rows.append((hi << 4) | lo)
        bits = 0
        for pixel in row:
            bits = (bits << 1) | (1 if pixel == TRANSPARENT else 0)
        mask_rows += bits.to_bytes(SIZE // 8, "big")
    palette = b"".join(bytes((b, g, r, 0)) for _, (r, g, b) in COLOURS)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                       len(colour_rows) + len(mask_rows), 0, 0, 16, 0)
    image = info + palette + bytes(colour_rows) + bytes(mask_rows)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return header + entry + image


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_ico.py PICTURE.txt OUTPUT.ico")
    data = build_ico(read_picture(sys.argv[1]))
    with open(sys.argv[2], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
