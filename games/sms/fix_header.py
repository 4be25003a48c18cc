#!/usr/bin/env python3
"""Makes the Master System or Game Gear image of the Sega 8-bit test game: the program padded to
64 KiB (so the emulators see a cartridge with the Sega mapper) and the header at 0x7FF0 with its
checksum and the region code that names the console."""
import sys

game_gear = "--game-gear" in sys.argv
source, target = [a for a in sys.argv[1:] if not a.startswith("--")]
program = open(source, "rb").read()
# makebin pads the program with 0xFF; anything else under the header is code that reached it.
if len(program) > 0x10000 or program[0x7FF0:0x8000].strip(b"\xff"):
    sys.exit("fix_header.py: the program reaches into the header")
image = bytearray(program.ljust(0x10000, b"\xff"))
image[0x7FF0:0x7FF8] = b"TMR SEGA"
image[0x7FF8:0x7FFA] = b"\x00\x00"
# The checksum covers the first 32 KiB but the header (size code 0xC).
checksum = sum(image[0:0x7FF0]) & 0xFFFF
image[0x7FFA:0x7FFC] = checksum.to_bytes(2, "little")
image[0x7FFC:0x7FFF] = b"\x00\x00\x00"
# Region 7: Game Gear for every region; 4: Master System outside Japan.
image[0x7FFF] = (0x70 if game_gear else 0x40) | 0x0C
open(target, "wb").write(bytes(image))
