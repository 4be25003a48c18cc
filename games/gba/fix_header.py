#!/usr/bin/env python3
"""Completes a Gameboy Advance cartridge header: the check byte at 0xBD over 0xA0-0xBC."""
import sys


def main():
    source, out = sys.argv[1:]
    with open(source, "rb") as f:
        rom = bytearray(f.read())
    rom[0xBD] = (-(sum(rom[0xA0:0xBD]) + 0x19)) & 0xFF
    # Cartridges come in whole powers of two; pad with the value unprogrammed memory reads as.
    size = 1024
    while size < len(rom):
        size *= 2
    rom.extend(b"\xff" * (size - len(rom)))
    with open(out, "wb") as f:
        f.write(rom)


if __name__ == "__main__":
    main()
