#!/usr/bin/env python3
"""Completes a SNES (LoROM) cartridge header: the checksum at 0x7FDE and its complement at 0x7FDC."""
import sys


def main():
    source, out = sys.argv[1:]
    with open(source, "rb") as f:
        rom = bytearray(f.read())
    # The sum is taken with the two fields holding a checksum and complement that add up to 0xFFFF.
    rom[0x7FDC:0x7FE0] = b"\xff\xff\x00\x00"
    total = sum(rom) & 0xFFFF
    rom[0x7FDC:0x7FE0] = bytes([(total ^ 0xFFFF) & 0xFF, (total ^ 0xFFFF) >> 8, total & 0xFF, total >> 8])
    with open(out, "wb") as f:
        f.write(rom)


if __name__ == "__main__":
    main()
