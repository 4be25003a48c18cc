#!/usr/bin/env python3
"""Completes a Gameboy cartridge header: the colour flag (--color), the header checksum at 0x14D and the
cartridge checksum at 0x14E."""
import sys


def main():
    args = sys.argv[1:]
    color = "--color" in args
    args = [a for a in args if a != "--color"]
    path, out = args
    with open(path, "rb") as f:
        rom = bytearray(f.read())
    if len(rom) < 0x8000:
        rom.extend(b"\xff" * (0x8000 - len(rom)))
    rom[0x143] = 0x80 if color else 0x00
    check = 0
    for b in rom[0x134:0x14D]:
        check = (check - b - 1) & 0xFF
    rom[0x14D] = check
    rom[0x14E] = rom[0x14F] = 0
    total = sum(rom) & 0xFFFF
    rom[0x14E] = total >> 8
    rom[0x14F] = total & 0xFF
    with open(out, "wb") as f:
        f.write(rom)


if __name__ == "__main__":
    main()
