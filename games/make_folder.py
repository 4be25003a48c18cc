#!/usr/bin/env python3
"""Fills the service's games folder: the built test games, their catalogue and one screenshot each.

The screenshots are drawn from the design every test game shares (a plain background, eight boxes
showing the start counter after the first start, the square in the middle), in each console's
screen size and colours, so they show what the player will see.
"""
import os
import shutil
import struct
import sys
import zlib

# Screen size, background, unlit box, lit box, square, box row and column (in 8-pixel tiles), square.
PICTURES = {
    "nes": ((256, 240), (21, 60, 254), (88, 88, 88), (255, 255, 255), (210, 44, 0), (4, 12), (124, 116)),
    "gb": ((160, 144), (160, 160, 160), (80, 80, 80), (248, 248, 248), (0, 0, 0), (2, 6), (76, 68)),
    "gba": ((240, 160), (0, 0, 248), (80, 80, 80), (248, 248, 248), (248, 0, 0), (2, 11), (116, 76)),
    "snes": ((256, 224), (0, 0, 255), (82, 82, 82), (255, 255, 255), (255, 0, 0), (4, 12), (124, 108)),
    "pce": ((256, 239), (0, 0, 248), (104, 108, 104), (248, 252, 248), (248, 0, 0), (4, 12), (124, 116)),
    "gbc": ((160, 144), (16, 64, 168), (80, 80, 80), (248, 248, 248), (200, 0, 48), (2, 6), (76, 68)),
    "genesis": ((320, 224), (0, 0, 255), (87, 87, 87), (255, 255, 255), (255, 0, 0), (4, 16), (156, 108)),
    "sms": ((256, 192), (0, 0, 255), (87, 87, 87), (255, 255, 255), (255, 0, 0), (6, 10), (108, 100)),
    "gg": ((160, 144), (0, 85, 170), (85, 85, 85), (255, 255, 255), (255, 85, 0), (3, 4), (60, 76)),
}


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def picture(look):
    (w, h), background, unlit, lit, square, (row, column), (sx, sy) = look
    pixels = [[background] * w for _ in range(h)]
    for bit in range(8):
        colour = lit if bit == 7 else unlit  # the counter reads 1 after the first start
        for y in range(row * 8, row * 8 + 8):
            for x in range((column + bit) * 8, (column + bit) * 8 + 8):
                pixels[y][x] = colour
    for y in range(sy, sy + 8):
        for x in range(sx, sx + 8):
            pixels[y][x] = square
    return png(w, h, [b"".join(bytes(p) for p in line) for line in pixels])


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: make_folder.py OUTPUT_FOLDER CATALOGUE GAME...")
    out, catalogue, games = sys.argv[1], sys.argv[2], sys.argv[3:]
    os.makedirs(out, exist_ok=True)
    for game in games:
        shutil.copyfile(game, os.path.join(out, os.path.basename(game)))
        name = os.path.splitext(os.path.basename(game))[0]
        with open(os.path.join(out, name + "_1.png"), "wb") as f:
            f.write(picture(PICTURES[name.split("_", 1)[1]]))
    shutil.copyfile(catalogue, os.path.join(out, "catalogue.txt"))


if __name__ == "__main__":
    main()
