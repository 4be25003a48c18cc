#!/usr/bin/env python3
"""Writes rx_service's sample data: catalogue, accounts, news, screenshots and an update location.

Deterministic: the same files on every run, from the standard library alone.
Usage: generate_sample.py OUTPUT_FOLDER
"""
import ast
import gzip
import io
import os
import random
import re
import struct
import sys
import zlib

CONSOLE_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "emulators",
                             "consoles.inc")


def read_systems(path=CONSOLE_TABLE):
    """(code, id prefix, file extension, (KiB min, KiB max)) of every row of the browser's console
    table, in its order; every field of a row is a literal, so a row reads as a Python tuple."""
    with open(path, encoding="utf-8") as f:
        text = "\n".join(line for line in f.read().splitlines() if not line.lstrip().startswith("//"))
    systems = []
    for args in re.findall(r"^RX_CONSOLE\((.*?)\)$", text, re.M | re.S):
        row = ast.literal_eval("(" + args + ")")
        systems.append((row[0], row[19], row[20], (row[21], row[22])))
    if not systems:
        sys.exit("generate_sample.py: no console rows in " + path)
    return systems


SYSTEMS = read_systems()

FIRST = {
    "a": ["Astro", "Amber", "Arcane"], "b": ["Blaze", "Bramble", "Brick"],
    "c": ["Cobalt", "Comet", "Crimson"], "d": ["Dusk", "Dynamo", "Drift"],
    "e": ["Echo", "Ember", "Eclipse"], "f": ["Frost", "Falcon", "Fable"],
    "g": ["Glimmer", "Granite", "Gizmo"], "h": ["Harbor", "Hyper", "Hollow"],
    "i": ["Iron", "Ivory", "Inferno"], "j": ["Jade", "Jolt", "Jumble"],
    "k": ["Kestrel", "Kinetic", "Kilowatt"], "l": ["Lumen", "Lantern", "Lunar"],
    "m": ["Marble", "Meteor", "Mystic"], "n": ["Nebula", "Nimbus", "Nova"],
    "o": ["Onyx", "Orbit", "Outpost"], "p": ["Pixel", "Prism", "Pulse"],
    "q": ["Quartz", "Quasar", "Quill"], "r": ["Rocket", "Rune", "Rusty"],
    "s": ["Solar", "Shadow", "Spark"], "t": ["Thunder", "Turbo", "Tundra"],
    "u": ["Ultra", "Umbra", "Uplink"], "v": ["Velvet", "Vortex", "Vector"],
    "w": ["Whirl", "Warp", "Willow"], "x": ["Xenon", "Xylo", "Xeric"],
    "y": ["Yonder", "Yeti", "Yarn"], "z": ["Zephyr", "Zinc", "Zenith"],
}
SECOND = ["Quest", "Rally", "Brawl", "Circuit", "Kingdom", "Legends", "Raiders", "Racer", "Saga",
          "Tactics", "Odyssey", "Chronicles", "Dash", "Derby", "Arena", "Frontier", "Voyage",
          "Patrol", "Safari", "Showdown", "Gauntlet", "Caverns", "Pinball", "Golf", "Hockey"]
FILLER = ["of", "the", "Lost", "Crystal", "Tower", "Return", "Island", "Night", "Forest",
          "Champions", "Deluxe", "Edition", "Secret", "Empire", "Dragon", "Garden"]
BY_LENGTH = {1: "X", 2: "Go", 3: "Run", 4: "Zone", 5: "Storm", 6: "Legend", 7: "Rampage",
             8: "Champion", 9: "Adventure", 10: "Chronicle"}
DIGIT_TITLES = ["3D Pixel Bash", "8-Bit Harbor Run", "1000 Lantern Puzzles", "99 Comet Rescue",
                "4 Wheel Thunder", "2 Worlds Apart"]
# Exact lengths around the list's 30-character and the info screen's 35-character cut-offs.
EXACT_LENGTHS = [30, 31, 35, 36, 44]

ACCOUNTS = [("guest", "guest", 1), ("free", "free", 1), ("demo", "demo", 2), ("player", "secret", 2)]

NEWS = ("Relicade News", "Service notes",
        "Welcome to Relicade. Twelve consoles of classic games are waiting in the catalogue, "
        "with new titles every week. Full accounts play every system; free accounts can try the "
        "sampler and every console up to the NES. Your saves are kept on the server.")


def exact_title(rng, letter, length):
    words = [rng.choice(FIRST[letter]), rng.choice(SECOND)]
    title = " ".join(words)
    for word in rng.sample(FILLER, len(FILLER)):
        if len(title) + 1 + len(word) > length:
            break
        title += " " + word
    rest = length - len(title)
    if rest >= 2:
        rest_word = BY_LENGTH.get(rest - 1)
        if rest_word is None:
            # Too long a gap for one word: fill with known-length words from the largest down.
            while rest >= 2:
                take = min(rest - 1, 10)
                if rest - (take + 1) == 1:
                    take -= 1
                title += " " + BY_LENGTH[take]
                rest = length - len(title)
            if rest == 1:
                title += "!"
        else:
            title += " " + rest_word
    elif rest == 1:
        title += "!"
    assert len(title) == length, (title, length)
    return title


def titles_for(rng, count):
    titles = set()
    letters = sorted(FIRST)
    for length, letter in zip(EXACT_LENGTHS, rng.sample(letters, len(EXACT_LENGTHS))):
        titles.add(exact_title(rng, letter, length))
    for title in rng.sample(DIGIT_TITLES, 2):
        titles.add(title)
    # Two titles for every letter pair of the list's filter buttons, then random letters.
    pairs = [letters[i:i + 2] for i in range(0, 26, 2)]
    for pair in pairs:
        for _ in range(2):
            letter = rng.choice(pair)
            titles.add(rng.choice(FIRST[letter]) + " " + rng.choice(SECOND))
    while len(titles) < count:
        letter = rng.choice(letters)
        title = rng.choice(FIRST[letter]) + " " + rng.choice(SECOND)
        if rng.random() < 0.3:
            title += " " + rng.choice(["II", "III", "Deluxe", "Turbo", "Plus", "Zero"])
        titles.add(title)
    return sorted(titles, key=lambda t: t.lower())


def png(width, height, rows):
    """PNG bytes for RGB rows (each a bytes object of width*3)."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def screenshot(rng, width=256, height=224):
    """A made-up game scene: sky gradient, ground band, a few blocks and a player sprite."""
    sky = (rng.randrange(40, 120), rng.randrange(60, 160), rng.randrange(140, 255))
    ground = (rng.randrange(60, 160), rng.randrange(40, 120), rng.randrange(10, 60))
    ground_y = rng.randrange(150, 200)
    blocks = []
    for _ in range(rng.randrange(3, 8)):
        w, h = rng.randrange(12, 48), rng.randrange(8, 40)
        x, y = rng.randrange(0, width - w), rng.randrange(20, ground_y - h)
        colour = bytes((rng.randrange(256), rng.randrange(256), rng.randrange(256)))
        blocks.append((x, y, w, h, colour))
    px, py = rng.randrange(10, width - 26), ground_y - 24
    player = bytes((255, 240, 40))
    rows = []
    for y in range(height):
        if y >= ground_y:
            shade = 1.0 - 0.4 * (y - ground_y) / max(1, height - ground_y)
            base = bytes(int(c * shade) for c in ground)
        else:
            f = y / ground_y
            base = bytes(int(c * (0.5 + 0.5 * f)) for c in sky)
        row = bytearray(base * width)
        for x, by, w, h, colour in blocks:
            if by <= y < by + h:
                row[x * 3:(x + w) * 3] = colour * w
        if py <= y < py + 24:
            row[px * 3:(px + 16) * 3] = player * 16
        rows.append(bytes(row))
    return png(width, height, rows)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def gz(data, name):
    out = io.BytesIO()
    with gzip.GzipFile(filename=name, mode="wb", fileobj=out, mtime=0) as f:
        f.write(data)
    return out.getvalue()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: generate_sample.py OUTPUT_FOLDER")
    out = sys.argv[1]
    rng = random.Random(20261207)
    lines = ["# id\tsystem\ttitle\timage size\tcopies\tfree sampler\tscreenshots"]
    undecodable_done = False
    for code, prefix, ext, (low, high) in SYSTEMS:
        titles = titles_for(rng, 36)
        in_play = rng.randrange(2, len(titles))
        sampler = set(rng.sample(range(len(titles)), 2))
        for n, title in enumerate(titles):
            game_id = "%s_%03d.%s" % (prefix, n + 1, ext)
            size = rng.randrange(low, high + 1) * 1024
            if code == "N64" and n == 0:
                size = 32 * 1024 * 1024  # the largest image of the catalogue
            copies = 0 if n == in_play else rng.randrange(1, 6)
            if n == 1:
                copies = 1  # one copy: the first player takes it, the next sees it in play
            shots = rng.choice([2, 2, 3, 3, 4]) if n % 9 else n % 2  # a few games have 0 or 1
            names = ["%s_%03d_%d.png" % (prefix, n + 1, k + 1) for k in range(shots)]
            for k, name in enumerate(names):
                data = screenshot(rng)
                if not undecodable_done and code == "GEN" and k == 1:
                    data = b"this is not a picture\n" * 8  # a name whose file does not decode
                    undecodable_done = True
                write(os.path.join(out, "info_img", name), data)
            lines.append("\t".join([game_id, code, title, str(size), str(copies),
                                    "1" if n in sampler else "0", ",".join(names)]))
    write(os.path.join(out, "catalogue.tsv"), ("\n".join(lines) + "\n").encode())
    write(os.path.join(out, "accounts.txt"),
          ("# name\tpassword\tkind (1 free, 2 full)\n"
           + "".join("%s\t%s\t%d\n" % a for a in ACCOUNTS)).encode())
    write(os.path.join(out, "news.txt"), ("\n".join(NEWS) + "\n").encode())

    # An update location named after the client version the browser hands the updater.
    update = os.path.join(out, "update", "v4.30")
    # Several files: two with the same name in different folders, one two folders deep, and one
    # that takes many receive chunks (random bytes do not shrink).
    pack = bytes(rng.randrange(256) for _ in range(512 * 1024))
    files = {
        "/update_notes.txt.gz": b"Relicade v4.30 update notes\nFaster game lists and new sampler games.\n",
        "/images/update_badge.png.gz": screenshot(rng, 64, 32),
        "/data/update_version.txt.gz": b"4.30\n",
        "/docs/update_notes.txt.gz": b"Relicade v4.30 release notes for the documentation folder.\n",
        "/data/levels/update_pack.bin.gz": pack,
    }
    for entry, data in files.items():
        write(os.path.join(update, entry[1:]), gz(data, os.path.basename(entry)[:-3]))
    write(os.path.join(update, "manifest.txt"), "".join(e + "\n" for e in files).encode())
    # Written last: the build regenerates everything when this file is missing.
    write(os.path.join(out, "generated.stamp"), b"")


if __name__ == "__main__":
    main()
