#!/usr/bin/env python3
"""Draws the program's icon, a folder that an arrow drops into, and writes it
as backuptarvel.ico (32 x 32, 16 colours, with its transparency mask) and
backuptarvel.png (the same picture), beside this script. Standard library only.

    python3 assets/make_icon.py [--preview FILE.png]   # preview: 8x enlarged
"""
import struct
import sys
import zlib
from pathlib import Path

SIZE = 32
# The 16 colours of the classic Windows palette, in their usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN, OLIVE, GRAY, LIME, YELLOW, WHITE = 0, 2, 3, 8, 10, 11, 15
CLEAR = None


def draw():
    px = [[CLEAR] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, fill, outline=BLACK):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                px[y][x] = outline if edge and outline is not None else fill

    # The folder: its tab, the dark back panel, then the open front flap.
    rect(2, 8, 12, 12, YELLOW)
    rect(1, 11, 28, 29, OLIVE)
    for x in range(3, 12):
        px[9][x] = WHITE
    rect(1, 15, 28, 29, YELLOW)
    for x in range(2, 28):
        px[16][x] = WHITE
    for y in range(17, 29):
        px[y][2] = WHITE
    # A drop shadow under the folder.
    for x in range(3, 31):
        px[30][x] = GRAY
    for y in range(13, 31):
        px[y][29] = px[y][29] if px[y][29] is not None else GRAY

    # The arrow, pointing down into the folder: a shaft, then a head whose
    # tip reaches inside the front flap.
    cx0, cx1 = 19, 24  # shaft outline columns
    top, head = 1, 11
    for y in range(top, head + 1):
        for x in range(cx0, cx1 + 1):
            edge = x in (cx0, cx1) or y == top
            px[y][x] = BLACK if edge else (LIME if x < cx0 + 3 else GREEN)
    for step in range(0, 8):
        y = head + step
        x0, x1 = 15 + step, 28 - step
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or (step == 0 and not cx0 < x < cx1)
            px[y][x] = BLACK if edge else (LIME if x < 22 else GREEN)
    return px


def ico_bytes(px):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = px[y]
        for x in range(0, SIZE, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += bits.to_bytes(4, "big")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png_bytes(px, scale=1):
    # Indexed colour: the 16 colours plus one fully transparent entry.
    clear = len(PALETTE)
    raw = bytearray()
    for row in px:
        line = bytearray([0])
        for v in row:
            line += bytes([clear if v is None else v]) * scale
        raw += bytes(line) * scale

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    n = SIZE * scale
    ihdr = struct.pack(">IIBBBBB", n, n, 8, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in PALETTE) + b"\0\0\0"
    trns = b"\xff" * len(PALETTE) + b"\0"
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"PLTE", plte) +
            chunk(b"tRNS", trns) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def main():
    px = draw()
    here = Path(__file__).resolve().parent
    (here / "backuptarvel.ico").write_bytes(ico_bytes(px))
    (here / "backuptarvel.png").write_bytes(png_bytes(px))
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        Path(sys.argv[2]).write_bytes(png_bytes(px, 8))


if __name__ == "__main__":
    main()
