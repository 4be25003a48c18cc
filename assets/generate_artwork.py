"""Draws every picture of Relicade, rx_update and rxlib's loading window from artwork_table.txt."""

import argparse
import math
import os
import random
import sys
import time

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

# The loaders treat this colour as see-through; nothing else may produce it.
KEY = (0, 255, 255)

# Palette of the dark retro theme. No colour here is near the key, so blends between them never hit it.
DEEP = (10, 8, 34)
NAVY = (18, 16, 62)
PURPLE = (52, 18, 92)
PURPLE_LIGHT = (92, 40, 150)
CYAN = (60, 215, 245)
CYAN_DIM = (34, 120, 150)
MAGENTA = (245, 50, 200)
MAGENTA_DIM = (140, 30, 115)
WHITE = (236, 238, 255)
OUTLINE = (12, 6, 30)
FIELD = (222, 226, 248)
FIELD_EDGE = (70, 56, 150)
YELLOW = (250, 210, 70)
GREEN = (80, 230, 120)
GREY = (120, 118, 140)

# Console accents for the main-menu tiles, by label.
ACCENTS = {
    "Atari 2600": (240, 120, 50),
    "Colecovision": (90, 150, 250),
    "Gameboy": (150, 200, 90),
    "Gameboy Color": (230, 90, 200),
    "Gameboy Advance": (120, 110, 250),
    "Gamegear": (90, 200, 180),
    "Genesis": (240, 70, 80),
    "NES": (220, 60, 60),
    "Master System": (80, 130, 240),
    "Super NES": (170, 120, 240),
    "Nintendo 64": (90, 210, 110),
    "PC Engine": (250, 170, 60),
    "All Systems": CYAN,
}


# Without smoothing, the face's hinting turns "t" into a "1" at these sizes; crisp lettering avoids them.
UNSMOOTHED_POOR_SIZES = (12, 14, 15)


class Fonts:
    """One face at many sizes, laid out glyph by glyph as SDL_ttf does (no ligatures or alternates)."""

    def __init__(self, path):
        self.path = path
        self.cache = {}

    def get(self, size):
        if size not in self.cache:
            self.cache[size] = ImageFont.truetype(self.path, size, layout_engine=ImageFont.Layout.BASIC)
        return self.cache[size]

    def fit(self, text, max_w, max_h, start, crisp=False):
        """Largest size up to start whose ink fits max_w x max_h."""
        for size in range(start, 5, -1):
            if crisp and size in UNSMOOTHED_POOR_SIZES:
                continue
            font = self.get(size)
            box = font.getbbox(text)
            if box[2] - box[0] <= max_w and box[3] - box[1] <= max_h:
                return font
        return self.get(6)


def ink_box(font, text):
    box = font.getbbox(text)
    return box, box[2] - box[0], box[3] - box[1]


def draw_text_centered(draw, font, text, cx, cy, fill, stroke=0, stroke_fill=OUTLINE):
    box, w, h = ink_box(font, text)
    x = int(round(cx - w / 2.0)) - box[0]
    y = int(round(cy - h / 2.0)) - box[1]
    draw.text((x, y), text, font=font, fill=fill, stroke_width=stroke, stroke_fill=stroke_fill)


def draw_text_left(draw, font, text, x, cy, fill, stroke=0, stroke_fill=OUTLINE):
    box, _, h = ink_box(font, text)
    draw.text((x - box[0], int(round(cy - h / 2.0)) - box[1]), text, font=font, fill=fill,
              stroke_width=stroke, stroke_fill=stroke_fill)


def wrap(font, text, width):
    lines, line = [], ""
    for word in text.split():
        trial = word if not line else line + " " + word
        if ink_box(font, trial)[1] <= width or not line:
            line = trial
        else:
            lines.append(line)
            line = word
    if line:
        lines.append(line)
    return lines


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def scale(c, f):
    return tuple(max(0, min(250, int(round(v * f)))) for v in c)


def vertical_gradient(w, h, top, bottom):
    mask = Image.linear_gradient("L").resize((w, h))
    return Image.composite(Image.new("RGB", (w, h), bottom), Image.new("RGB", (w, h), top), mask)


def vignette(img, strength):
    """Darkens towards the edges."""
    w, h = img.size
    mask = Image.radial_gradient("L").resize((w, h))
    mask = mask.point(lambda v: int(min(255, max(0, (v - 90) * 1.6)) * strength))
    return Image.composite(Image.new("RGB", (w, h), (0, 0, 0)), img, mask)


def scanlines(img, every=3, factor=0.82):
    w, h = img.size
    dark = img.point(lambda v: int(v * factor))
    mask = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(mask)
    for y in range(0, h, every):
        d.line([(0, y), (w, y)], fill=255)
    return Image.composite(dark, img, mask)


def glow_text(img, fonts, text, cx, cy, size, colour, glow_colour, glow_radius=6, hollow=False):
    """Neon lettering: a blurred halo under crisp letters, or under neon outlines of dark letters."""
    w, h = img.size
    font = fonts.get(size)
    mask = Image.new("L", (w, h), 0)
    draw_text_centered(ImageDraw.Draw(mask), font, text, cx, cy, 255)
    halo = mask.filter(ImageFilter.GaussianBlur(glow_radius)).point(lambda v: min(255, v * (1 if hollow else 2)))
    img.paste(Image.new("RGB", (w, h), glow_colour), (0, 0), halo)
    edge = mask.filter(ImageFilter.MaxFilter(5))
    if hollow:
        img.paste(Image.new("RGB", (w, h), colour), (0, 0), edge)
        img.paste(Image.new("RGB", (w, h), DEEP), (0, 0), mask.filter(ImageFilter.MinFilter(3)))
        return
    img.paste(Image.new("RGB", (w, h), OUTLINE), (0, 0), edge)
    img.paste(Image.new("RGB", (w, h), colour), (0, 0), mask)


def retro_floor(img, horizon, colour, spacing=40):
    """Perspective grid below the horizon line."""
    w, h = img.size
    layer = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(layer)
    cx = w // 2
    for i in range(-20, 21):
        d.line([(cx + i * 8, horizon), (cx + i * spacing * 3, h)], fill=110)
    y, step = horizon, 4.0
    while y < h:
        d.line([(0, int(y)), (w, int(y))], fill=110)
        step *= 1.28
        y += step
    fade = Image.linear_gradient("L").resize((w, h - horizon))
    full = Image.new("L", (w, h), 0)
    full.paste(fade, (0, horizon))
    layer = ImageChops.multiply(layer, full)
    img.paste(Image.new("RGB", (w, h), colour), (0, 0), layer)


def stars(img, count, seed, top, bottom):
    rnd = random.Random(seed)
    d = ImageDraw.Draw(img)
    w = img.size[0]
    for _ in range(count):
        x, y = rnd.randrange(w), rnd.randrange(top, bottom)
        c = mix(NAVY, WHITE, rnd.uniform(0.3, 0.9))
        d.point((x, y), fill=c)


def base_background(w, h, seed, logo=None, fonts=None, floor=True, dark=False, hollow=False):
    top, bottom = (NAVY, PURPLE) if not dark else (scale(NAVY, 0.7), scale(PURPLE, 0.55))
    img = vertical_gradient(w, h, top, bottom)
    stars(img, w * h // (2400 if not dark else 5000), seed, 0, int(h * 0.62))
    if floor:
        retro_floor(img, int(h * 0.62), MAGENTA_DIM if not dark else scale(MAGENTA_DIM, 0.6))
    img = vignette(img, 0.75)
    img = scanlines(img)
    if logo:
        glow_text(img, fonts, logo[0], w // 2, logo[1], logo[2], MAGENTA if hollow else WHITE, MAGENTA,
                  glow_radius=max(3, logo[2] // 12), hollow=hollow)
    return img


# ---------------------------------------------------------------- full-window pictures


def bg_main(fonts, w, h, label):
    # Every screen of the browser is drawn over this picture and the main menu's tiles cover it edge to edge, so
    # it carries no lettering: a mark would only show in pieces between the tiles and the capture boxes.
    return base_background(w, h, 1, None, fonts)


# Where the login screen puts the product's name: above its fields, below the message line.
TITLE_AT = (100, 110)


def title(fonts, w, h, text):
    """The product's name in neon on the very part of background.png it stands on, cut out along its halo, so
    the halo blends into the real backdrop; only what lies beyond the halo turns see-through."""
    x0, y0 = TITLE_AT
    img = bg_main(fonts, 800, 600, "").crop((x0, y0, x0 + w, y0 + h))
    lines = text.split("~")
    name_h = h if len(lines) == 1 else h * 2 // 3
    name_font = fonts.fit(lines[0], w - 40, name_h - 30, 110)
    mask = Image.new("L", (w, h), 0)
    draw_text_centered(ImageDraw.Draw(mask), name_font, lines[0], w // 2, name_h // 2, 255)
    radius = max(3, name_font.size // 12)
    halo = mask.filter(ImageFilter.GaussianBlur(radius)).point(lambda v: min(255, v * 2))
    edge = mask.filter(ImageFilter.MaxFilter(5))
    img.paste(Image.new("RGB", (w, h), MAGENTA), (0, 0), halo)
    img.paste(Image.new("RGB", (w, h), OUTLINE), (0, 0), edge)
    img.paste(Image.new("RGB", (w, h), WHITE), (0, 0), mask)
    reach = ImageChops.lighter(halo, edge)
    if len(lines) > 1:
        # The line under the name is crisp, so its pixels are either drawn or left to the backdrop.
        tag = Image.new("L", (w, h), 0)
        tag_font = fonts.fit(lines[1], w - 40, h - name_h - 12, 30, crisp=True)
        draw_text_centered(ImageDraw.Draw(tag), tag_font, lines[1], w // 2, name_h + (h - name_h) // 2, 255)
        tag = tag.point(lambda v: 255 if v >= 110 else 0)
        ring = tag.filter(ImageFilter.MaxFilter(3))
        img.paste(Image.new("RGB", (w, h), OUTLINE), (0, 0), ring)
        img.paste(Image.new("RGB", (w, h), CYAN), (0, 0), tag)
        reach = ImageChops.lighter(reach, ring)
    # Beyond the halo the backdrop shows through, stars and all.
    img.paste(Image.new("RGB", (w, h), KEY), (0, 0), reach.point(lambda v: 255 if v < 6 else 0))
    return img


def bg_dark(fonts, w, h, label):
    img = vertical_gradient(w, h, (8, 6, 26), (22, 10, 40))
    return scanlines(vignette(img, 0.6), factor=0.88)


def bg_update(fonts, w, h, label):
    img = base_background(w, h, 3, ("RELICADE", 170, 96), fonts)
    d = ImageDraw.Draw(img)
    draw_text_centered(d, fonts.get(30), label, w // 2, 320, CYAN, 2)
    draw_text_centered(d, fonts.get(18), "Please wait while the new files are downloaded and installed.",
                       w // 2, 370, WHITE, 2)
    return img


def bg_splash(fonts, w, h, label):
    img = base_background(w, h, 4, ("RELICADE", 120, 80), fonts)
    d = ImageDraw.Draw(img)
    panel(d, (80, 190, 720, 480), scale(NAVY, 0.9), MAGENTA, 4, 16)
    draw_text_centered(d, fonts.get(30), "You are playing with a " + label.lower(), w // 2, 230, YELLOW, 2)
    lines = [
        "Upgrade to a full account to get:",
        "- every game, even when all free copies are in play",
        "- the systems released after the NES",
        "- the news page, and no waiting screen after login",
        "Click or press any key to upgrade now.",
    ]
    y = 290
    for i, line in enumerate(lines):
        draw_text_left(d, fonts.get(20), line, 120, y, CYAN if i in (0, 4) else WHITE, 1)
        y += 38
    # The countdown number is drawn by the program at (245, 520); its left is kept clear.
    font = fonts.get(24)
    draw_text_left(d, font, "Main menu in", 232 - int(font.getlength("Main menu in")), 537, WHITE, 2)
    return img


def bg_facebook(fonts, w, h, label):
    img = base_background(w, h, 5, None, fonts)
    d = ImageDraw.Draw(img)
    glow_text(img, fonts, "Facebook", 200, 40, 44, WHITE, (70, 100, 230), 5)
    panel(d, (60, 100, 740, 285), scale(NAVY, 0.9), CYAN, 4, 16)
    draw_text_centered(d, fonts.get(30), label, w // 2, 135, YELLOW, 2)
    lines = [
        "Relicade can tell your Facebook friends which game",
        "you are playing each time you start one.",
        "Press Allow to give Relicade that permission on Facebook.",
    ]
    for i, line in enumerate(lines):
        draw_text_centered(d, fonts.get(20), line, w // 2, 185 + 32 * i, WHITE, 1)
    panel(d, (60, 370, 740, 440), scale(NAVY, 0.9), MAGENTA_DIM, 3, 12)
    draw_text_centered(d, fonts.get(18), "You can take the permission back at any time in your Facebook settings.",
                       w // 2, 405, WHITE, 1)
    return img


# ---------------------------------------------------------------- shared shapes


def panel(d, box, fill, border, thickness, radius):
    d.rounded_rectangle(box, radius=radius, fill=border)
    x0, y0, x1, y1 = box
    t = thickness
    d.rounded_rectangle((x0 + t, y0 + t, x1 - t, y1 - t), radius=max(0, radius - t), fill=fill)


def keyed(w, h):
    return Image.new("RGB", (w, h), KEY)


# ---------------------------------------------------------------- buttons


STATES = ("normal", "pressed", "hover")


def button_style(state):
    """Fill top, fill bottom, border, text colour and offset of a button frame."""
    if state == "pressed":
        return scale(PURPLE, 0.55), scale(NAVY, 0.6), CYAN_DIM, scale(WHITE, 0.75), 2
    if state == "hover":
        return PURPLE_LIGHT, PURPLE, MAGENTA, WHITE, 0
    return PURPLE, scale(NAVY, 1.1), CYAN, WHITE, 0


def button_body(w, h, state, body_h=None):
    """Rounded chunky body on a see-through frame; returns the frame and the body box."""
    body_h = body_h or h
    top, bottom, border, _, off = button_style(state)
    frame = keyed(w, h)
    radius = max(3, min(10, body_h // 4))
    box = (1 + off, 1 + off, w - 2 + off - (2 if off else 0), body_h - 2 + off - (2 if off else 0))
    box = (box[0], box[1], min(box[2], w - 1), min(box[3], h - 1))
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).rounded_rectangle(box, radius=radius, fill=255)
    frame.paste(vertical_gradient(w, h, top, bottom), (0, 0), mask)
    d = ImageDraw.Draw(frame)
    thickness = 3 if body_h >= 30 else 2
    d.rounded_rectangle(box, radius=radius, outline=border, width=thickness)
    if state != "pressed":
        inner = (box[0] + thickness + 1, box[1] + thickness, box[2] - thickness - 1, box[1] + thickness)
        d.line([inner[:2], inner[2:]], fill=mix(top, WHITE, 0.35))
    return frame, box


def strip(frames):
    w, h = frames[0].size
    out = Image.new("RGB", (w * len(frames), h))
    for i, f in enumerate(frames):
        out.paste(f, (w * i, 0))
    return out


def button(fonts, w, h, label, body_h=None):
    frames = []
    font = None
    for state in STATES:
        frame, box = button_body(w, h, state, body_h)
        d = ImageDraw.Draw(frame)
        text = button_style(state)[3]
        if font is None:
            font = fonts.fit(label, box[2] - box[0] - 16, box[3] - box[1] - 12, 22)
        draw_text_centered(d, font, label, (box[0] + box[2]) / 2.0, (box[1] + box[3]) / 2.0 + 0.5, text, 1)
        frames.append(frame)
    return strip(frames)


def stacked_button(fonts, w, h, label):
    # The filter buttons stand 34 pixels apart; the rest of each 40-pixel frame is see-through.
    return button(fonts, w, h, label, body_h=34)


def arrow(fonts, w, h, up):
    frames = []
    for state in STATES:
        frame, box = button_body(w, h, state)
        text = button_style(state)[3]
        d = ImageDraw.Draw(frame)
        cx, cy = (box[0] + box[2]) / 2.0, (box[1] + box[3]) / 2.0
        s = (box[2] - box[0]) * 0.28
        pts = [(cx - s, cy + s * 0.6), (cx + s, cy + s * 0.6), (cx, cy - s * 0.8)]
        if not up:
            pts = [(x, 2 * cy - y) for x, y in pts]
        d.polygon(pts, fill=text, outline=OUTLINE)
        frames.append(frame)
    return strip(frames)


# ---------------------------------------------------------------- main-menu tiles


def pict_gamepad(d, cx, cy, s, colour):
    d.rounded_rectangle((cx - 1.6 * s, cy - 0.7 * s, cx + 1.6 * s, cy + 0.8 * s), radius=int(s * 0.6),
                        fill=colour, outline=OUTLINE, width=2)
    a = s * 0.18
    px, py = cx - 0.85 * s, cy
    d.rectangle((px - 0.45 * s, py - a, px + 0.45 * s, py + a), fill=OUTLINE)
    d.rectangle((px - a, py - 0.45 * s, px + a, py + 0.45 * s), fill=OUTLINE)
    for bx, by in ((0.65, 0.15), (1.05, -0.2)):
        r = s * 0.2
        d.ellipse((cx + bx * s - r, cy + by * s - r, cx + bx * s + r, cy + by * s + r), fill=OUTLINE)


def pict_cartridge(d, cx, cy, s, colour):
    d.rectangle((cx - s, cy - 1.1 * s, cx + s, cy + 0.9 * s), fill=colour, outline=OUTLINE, width=2)
    d.rectangle((cx - 0.7 * s, cy - 0.8 * s, cx + 0.7 * s, cy + 0.1 * s), fill=scale(colour, 0.5))
    for i in range(5):
        x = cx - 0.7 * s + i * 0.35 * s
        d.line([(x, cy + 0.4 * s), (x, cy + 0.85 * s)], fill=OUTLINE, width=2)


def pict_joystick(d, cx, cy, s, colour):
    d.rounded_rectangle((cx - 1.3 * s, cy + 0.2 * s, cx + 1.3 * s, cy + 1.0 * s), radius=int(s * 0.2),
                        fill=scale(colour, 0.6), outline=OUTLINE, width=2)
    d.line([(cx, cy + 0.4 * s), (cx - 0.3 * s, cy - 0.9 * s)], fill=OUTLINE, width=int(s * 0.3))
    r = s * 0.38
    d.ellipse((cx - 0.3 * s - r, cy - 0.9 * s - r, cx - 0.3 * s + r, cy - 0.9 * s + r), fill=colour,
              outline=OUTLINE, width=2)
    r = s * 0.22
    d.ellipse((cx + 0.8 * s - r, cy + 0.25 * s - r, cx + 0.8 * s + r, cy + 0.25 * s + r), fill=MAGENTA,
              outline=OUTLINE, width=2)


def pict_handheld(d, cx, cy, s, colour):
    d.rounded_rectangle((cx - 0.9 * s, cy - 1.25 * s, cx + 0.9 * s, cy + 1.25 * s), radius=int(s * 0.25),
                        fill=colour, outline=OUTLINE, width=2)
    d.rectangle((cx - 0.65 * s, cy - 1.0 * s, cx + 0.65 * s, cy - 0.05 * s), fill=(30, 60, 40), outline=OUTLINE)
    a = s * 0.12
    d.rectangle((cx - 0.65 * s, cy + 0.45 * s - a, cx - 0.15 * s, cy + 0.45 * s + a), fill=OUTLINE)
    d.rectangle((cx - 0.4 * s - a, cy + 0.2 * s, cx - 0.4 * s + a, cy + 0.7 * s), fill=OUTLINE)
    r = s * 0.14
    for bx, by in ((0.25, 0.55), (0.55, 0.35)):
        d.ellipse((cx + bx * s - r, cy + by * s - r, cx + bx * s + r, cy + by * s + r), fill=OUTLINE)


def pict_wide_handheld(d, cx, cy, s, colour):
    d.rounded_rectangle((cx - 1.6 * s, cy - 0.8 * s, cx + 1.6 * s, cy + 0.8 * s), radius=int(s * 0.5),
                        fill=colour, outline=OUTLINE, width=2)
    d.rectangle((cx - 0.75 * s, cy - 0.55 * s, cx + 0.75 * s, cy + 0.5 * s), fill=(30, 50, 70), outline=OUTLINE)
    a = s * 0.12
    d.rectangle((cx - 1.35 * s, cy - a, cx - 0.95 * s, cy + a), fill=OUTLINE)
    d.rectangle((cx - 1.15 * s - a, cy - 0.2 * s, cx - 1.15 * s + a, cy + 0.2 * s), fill=OUTLINE)
    r = s * 0.13
    for bx, by in ((1.05, 0.12), (1.3, -0.15)):
        d.ellipse((cx + bx * s - r, cy + by * s - r, cx + bx * s + r, cy + by * s + r), fill=OUTLINE)


def pict_grid(d, cx, cy, s, colour):
    for i in range(3):
        for j in range(3):
            x, y = cx + (i - 1) * 0.75 * s, cy + (j - 1) * 0.75 * s
            c = colour if (i + j) % 2 == 0 else MAGENTA
            d.rectangle((x - 0.3 * s, y - 0.3 * s, x + 0.3 * s, y + 0.3 * s), fill=c, outline=OUTLINE)


def pict_star(d, cx, cy, s, colour):
    pts = []
    for i in range(10):
        r = s * (1.2 if i % 2 == 0 else 0.5)
        a = -math.pi / 2 + i * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    d.polygon(pts, fill=colour, outline=OUTLINE)


def pict_free(d, cx, cy, s, colour, fonts):
    d.rounded_rectangle((cx - 1.6 * s, cy - 0.75 * s, cx + 1.6 * s, cy + 0.75 * s), radius=int(s * 0.3),
                        fill=colour, outline=OUTLINE, width=2)
    d.ellipse((cx - 1.35 * s, cy - 0.15 * s, cx - 1.05 * s, cy + 0.15 * s), fill=OUTLINE)
    draw_text_centered(d, fonts.get(int(s * 0.95)), "FREE", cx + 0.2 * s, cy + 1, OUTLINE)


def pict_facebook(d, cx, cy, s, colour, fonts):
    d.rounded_rectangle((cx - s, cy - s, cx + s, cy + s), radius=int(s * 0.3), fill=(66, 96, 200),
                        outline=OUTLINE, width=2)
    draw_text_centered(d, fonts.get(int(s * 1.7)), "f", cx + 2, cy + 2, WHITE)


def pict_fullscreen(d, cx, cy, s, colour):
    d.rectangle((cx - 1.2 * s, cy - 0.8 * s, cx + 1.2 * s, cy + 0.8 * s), outline=colour, width=3)
    for sx in (-1, 1):
        for sy in (-1, 1):
            x, y = cx + sx * 1.2 * s, cy + sy * 0.8 * s
            d.polygon([(x, y), (x - sx * 0.6 * s, y), (x, y - sy * 0.6 * s)], fill=MAGENTA)


def pict_news(d, cx, cy, s, colour):
    d.rectangle((cx - s, cy - 1.1 * s, cx + s, cy + 1.1 * s), fill=WHITE, outline=OUTLINE, width=2)
    d.rectangle((cx - 0.75 * s, cy - 0.85 * s, cx + 0.75 * s, cy - 0.4 * s), fill=colour)
    for i in range(4):
        y = cy - 0.15 * s + i * 0.32 * s
        d.line([(cx - 0.75 * s, y), (cx + 0.75 * s, y)], fill=GREY, width=2)


def pict_user(d, cx, cy, s, colour):
    r = s * 0.5
    d.ellipse((cx - r, cy - 1.1 * s, cx + r, cy - 0.1 * s), fill=colour, outline=OUTLINE, width=2)
    d.chord((cx - s, cy, cx + s, cy + 2 * s), 180, 360, fill=colour, outline=OUTLINE, width=2)
    d.polygon([(cx + 0.9 * s, cy + 0.3 * s), (cx + 1.5 * s, cy + 0.3 * s), (cx + 1.2 * s, cy - 0.1 * s)],
              fill=MAGENTA)
    d.polygon([(cx + 0.9 * s, cy + 0.55 * s), (cx + 1.5 * s, cy + 0.55 * s), (cx + 1.2 * s, cy + 0.95 * s)],
              fill=MAGENTA)


def pict_exit(d, cx, cy, s, colour):
    r = s * 1.05
    d.arc((cx - r, cy - r, cx + r, cy + r), -60, 240, fill=colour, width=int(s * 0.3))
    d.line([(cx, cy - r - 2), (cx, cy)], fill=colour, width=int(s * 0.3))


CONSOLE_PICTOGRAMS = {
    "Atari 2600": pict_joystick, "Colecovision": pict_cartridge, "Genesis": pict_gamepad, "NES": pict_cartridge,
    "Master System": pict_gamepad, "Super NES": pict_gamepad, "Nintendo 64": pict_gamepad,
    "PC Engine": pict_cartridge,
}

PICTOGRAMS = {
    "tile_console": lambda d, cx, cy, s, c, f: CONSOLE_PICTOGRAMS[c[0]](d, cx, cy, s, c[1]),
    "tile_handheld": lambda d, cx, cy, s, c, f: pict_handheld(d, cx, cy, s, c),
    "tile_wide_handheld": lambda d, cx, cy, s, c, f: pict_wide_handheld(d, cx, cy, s, c),
    "tile_all": lambda d, cx, cy, s, c, f: pict_grid(d, cx, cy, s, c),
    "tile_free": pict_free,
    "tile_facebook": pict_facebook,
    "tile_controls": lambda d, cx, cy, s, c, f: pict_gamepad(d, cx, cy, s, c),
    "tile_fullscreen": lambda d, cx, cy, s, c, f: pict_fullscreen(d, cx, cy, s, c),
    "tile_news": lambda d, cx, cy, s, c, f: pict_news(d, cx, cy, s, c),
    "tile_upgrade": lambda d, cx, cy, s, c, f: pict_star(d, cx, cy, s, c),
    "tile_user": lambda d, cx, cy, s, c, f: pict_user(d, cx, cy, s, c),
    "tile_exit": lambda d, cx, cy, s, c, f: pict_exit(d, cx, cy, s, c),
}

TILE_ACCENTS = {
    "tile_free": YELLOW, "tile_facebook": (66, 96, 200), "tile_controls": CYAN, "tile_fullscreen": CYAN,
    "tile_news": CYAN, "tile_upgrade": YELLOW, "tile_user": CYAN, "tile_exit": (240, 70, 90),
}


def padlock(d, cx, cy, s):
    d.arc((cx - 0.55 * s, cy - 1.3 * s, cx + 0.55 * s, cy - 0.1 * s), 180, 360, fill=YELLOW, width=max(2, int(s * 0.22)))
    d.line([(cx - 0.45 * s, cy - 0.7 * s), (cx - 0.45 * s, cy - 0.3 * s)], fill=YELLOW, width=max(2, int(s * 0.22)))
    d.line([(cx + 0.45 * s, cy - 0.7 * s), (cx + 0.45 * s, cy - 0.3 * s)], fill=YELLOW, width=max(2, int(s * 0.22)))
    d.rounded_rectangle((cx - 0.8 * s, cy - 0.4 * s, cx + 0.8 * s, cy + 0.8 * s), radius=int(s * 0.15),
                        fill=YELLOW, outline=OUTLINE, width=2)
    d.ellipse((cx - 0.15 * s, cy + 0.05 * s, cx + 0.15 * s, cy + 0.35 * s), fill=OUTLINE)


def tile(fonts, w, h, label, kind):
    guest = kind.endswith("_guest")
    base = kind[:-6] if guest else kind
    accent = ACCENTS.get(label) or TILE_ACCENTS.get(base, CYAN)
    words = label.split()
    lines = [label] if len(words) == 1 or fonts.get(22).getlength(label) <= w - 24 else \
        [" ".join(words[:-1]), words[-1]]
    frames = []
    for state in STATES:
        top, bottom, border, text, off = button_style(state)
        if state != "pressed":
            top, bottom = mix(top, accent, 0.18), mix(bottom, accent, 0.08)
        frame = keyed(w, h)
        box = (4 + off, 4 + off, w - 5 + off - (2 if off else 0), h - 5 + off - (2 if off else 0))
        mask = Image.new("L", (w, h), 0)
        ImageDraw.Draw(mask).rounded_rectangle(box, radius=16, fill=255)
        frame.paste(vertical_gradient(w, h, top, bottom), (0, 0), mask)
        d = ImageDraw.Draw(frame)
        d.rounded_rectangle(box, radius=16, outline=border, width=4)
        if state == "hover":
            d.rounded_rectangle((box[0] + 5, box[1] + 5, box[2] - 5, box[3] - 5), radius=11, outline=accent, width=1)
        cx = (box[0] + box[2]) / 2.0
        colour = accent if state != "pressed" else scale(accent, 0.7)
        PICTOGRAMS[base](d, cx, box[1] + 50, 22, (label, colour) if base == "tile_console" else colour, fonts)
        font = fonts.fit(max(lines, key=len), w - 26, 24, 22)
        y = box[1] + (104 if len(lines) == 1 else 93)
        for line in lines:
            draw_text_centered(d, font, line, cx, y, text, 2)
            y += 24
        if guest:
            # Restricted accounts see the tiles dimmed behind a padlock.
            dim = frame.point(lambda v: int(v * 0.5))
            frame = Image.composite(dim, frame, mask)
            d = ImageDraw.Draw(frame)
            padlock(d, box[2] - 26, box[1] + 28, 16)
        frames.append(frame)
    return strip(frames)


# ---------------------------------------------------------------- labels, fields and boxes


def crisp_text(img, font, text, place, colour):
    """Lettering with a dark outline, every pixel either fully drawn or untouched: smoothing against the
    see-through colour would leave a cyan fringe around the letters."""
    w, h = img.size
    mask = Image.new("L", (w, h), 0)
    place(ImageDraw.Draw(mask), font, text, 255)
    mask = mask.point(lambda v: 255 if v >= 110 else 0)
    img.paste(Image.new("RGB", (w, h), OUTLINE), (0, 0), mask.filter(ImageFilter.MaxFilter(3)))
    img.paste(Image.new("RGB", (w, h), colour), (0, 0), mask)


def label_text_width(kind, w):
    # Row labels stand 90 pixels left of their boxes on the two-column screen, and a player's check box
    # sits 120 pixels right of its label, so the words must end before those.
    if kind == "player_label":
        return 112
    return 92 if w == 100 else w - 4


def label_size(fonts, kind, w, h, text):
    """Largest size at which the text fits its label, judged on the face's full line height."""
    for size in range(h - 4, 5, -1):
        if size in UNSMOOTHED_POOR_SIZES:
            continue
        font = fonts.get(size)
        ascent, descent = font.getmetrics()
        if font.getlength(text) <= label_text_width(kind, w) and ascent + descent <= h + 3:
            return size
    return 6


def label(fonts, w, h, text, size, colour=WHITE, right=None):
    """Row and field labels start at the left edge; a player label ends at `right`, next to its check box."""
    img = keyed(w, h)
    font = fonts.get(size)
    x = 1 if right is None else right - int(font.getlength(text))

    def place(d, f, t, c):
        d.text((x, h / 2.0), t, font=f, fill=c, anchor="lm")

    crisp_text(img, font, text, place, colour)
    return img


def wait_label(fonts, w, h, text):
    img = keyed(w, h)
    font = fonts.fit(text, w - 4, h - 4, 24, crisp=True)
    crisp_text(img, font, text, lambda d, f, t, c: draw_text_centered(d, f, t, w / 2.0, h / 2.0, c), CYAN)
    return img


def field(fonts, w, h):
    """Light entry field: the widgets draw black text on it 3 pixels from the left."""
    img = vertical_gradient(w, h, (198, 204, 236), FIELD)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=FIELD_EDGE, width=2)
    d.line([(2, 2), (w - 3, 2)], fill=(160, 164, 210))
    d.line([(w - 3, 3), (w - 3, h - 3)], fill=MAGENTA_DIM)
    return img


def checkbox(fonts, w, h):
    frames = []
    for ticked in (False, True):
        f = Image.new("RGB", (w, h), scale(NAVY, 0.8))
        d = ImageDraw.Draw(f)
        d.rectangle((0, 0, w - 1, h - 1), outline=CYAN, width=max(1, w // 5))
        if ticked:
            m = max(2, w // 4 + 1)
            d.rectangle((m, m, w - 1 - m, h - 1 - m), fill=MAGENTA)
        frames.append(f)
    return strip(frames)


def focus_ring(fonts, w, h):
    img = keyed(w, h)
    ImageDraw.Draw(img).rectangle((0, 0, w - 1, h - 1), outline=MAGENTA, width=2)
    return img


def list_bar(fonts, w, h, kind):
    if kind.endswith("unavailable"):
        top, bottom = (58, 22, 44), (40, 14, 32)
    elif kind.endswith("odd"):
        top, bottom = (30, 26, 84), (22, 18, 64)
    else:
        top, bottom = (44, 20, 88), (32, 14, 68)
    img = vertical_gradient(w, h, top, bottom)
    d = ImageDraw.Draw(img)
    d.line([(0, h - 1), (w, h - 1)], fill=scale(bottom, 0.5))
    d.line([(0, 0), (w, 0)], fill=mix(top, CYAN, 0.25))
    return img


def list_button(fonts, w, h, kind, text):
    unavailable = kind.endswith("unavailable")
    bar = list_bar(fonts, w, h, kind.replace("list_button", "list_bar"))
    d = ImageDraw.Draw(bar)
    colour = GREY if unavailable else (GREEN if kind.endswith("odd") else CYAN)
    d.rounded_rectangle((3, 2, w - 5, h - 3), radius=6, fill=scale(colour, 0.35), outline=colour, width=2)
    font = fonts.fit(text, w - 30, h - 8, 18)
    if unavailable:
        draw_text_centered(d, font, text, w / 2.0, h / 2.0, colour, 1)
    else:
        cy = h / 2.0
        d.polygon([(12, cy - 6), (12, cy + 6), (22, cy)], fill=colour)
        draw_text_centered(d, font, text, w / 2.0 + 8, cy, WHITE, 1)
    return bar


def keycap(d, fonts, x, y, w, h, text):
    d.rounded_rectangle((x, y, x + w, y + h), radius=6, fill=(60, 56, 110), outline=OUTLINE, width=2)
    d.rounded_rectangle((x + 4, y + 3, x + w - 4, y + h - 8), radius=4, fill=(96, 90, 160))
    cx, cy = x + w / 2.0, y + (h - 5) / 2.0
    if text in ARROWS:
        # The face has no arrow glyphs, so the arrow keys get drawn arrows.
        dx, dy = ARROWS[text]
        s = 9
        tip = (cx + dx * s, cy + dy * s)
        base = [(cx - dx * s * 0.6 + dy * s, cy - dy * s * 0.6 + dx * s),
                (cx - dx * s * 0.6 - dy * s, cy - dy * s * 0.6 - dx * s)]
        d.polygon([tip] + base, fill=WHITE, outline=OUTLINE)
    else:
        draw_text_centered(d, fonts.fit(text, w - 10, h - 16, 20), text, cx, cy, WHITE)


ARROWS = {"up": (0, -1), "down": (0, 1), "left": (-1, 0), "right": (1, 0)}


def key_cluster(d, fonts, x, y, caption, up, left, down, right, fire):
    """A player's fixed keys: the four directions as on a keyboard, then the fire key."""
    k, g = 44, 6
    draw_text_left(d, fonts.get(20), caption, x, y + 10, CYAN, 1)
    y += 28
    keycap(d, fonts, x + k + g, y, k, k, up)
    for i, t in enumerate((left, down, right)):
        keycap(d, fonts, x + i * (k + g), y + k + g, k, k, t)
    keycap(d, fonts, x + 3 * (k + g) + 20, y + k + g, 90, k, fire)
    draw_text_centered(d, fonts.get(16), "fire", x + 3 * (k + g) + 65, y + k - 10, WHITE, 1)


def info(fonts, w, h, text, keys=False):
    heading, body = text.split("~", 1)
    img = keyed(w, h)
    d = ImageDraw.Draw(img)
    box = (4, 2, w - 5, h - 3)
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).rounded_rectangle(box, radius=12, fill=255)
    img.paste(vertical_gradient(w, h, scale(NAVY, 0.85), scale(PURPLE, 0.6)), (0, 0), mask)
    d.rounded_rectangle(box, radius=12, outline=MAGENTA, width=3)
    d.line([(20, 6), (w - 20, 6)], fill=MAGENTA_DIM)
    size = 18 if h < 120 else 20
    draw_text_left(d, fonts.get(size + 2), heading, 20, 8 + size / 2.0 + 2, CYAN, 1)
    font = fonts.get(size)
    line_h = size + 4
    y = 14 + size + line_h / 2.0
    for line in wrap(font, body, w - 44):
        draw_text_left(d, font, line, 20, y, WHITE, 1)
        y += line_h
    if y - line_h / 2.0 > h - 4:
        raise ValueError("information text does not fit its %dx%d picture" % (w, h))
    if keys:
        top = int(y) + 6
        if top + 130 > h:
            raise ValueError("the key pictures do not fit the information picture")
        key_cluster(d, fonts, 120, top, "Player 1", "up", "left", "down", "right", "Ctrl")
        key_cluster(d, fonts, 470, top, "Player 2", "E", "S", "D", "F", "N")
    return img


def progress_strip(fonts, w, h, kind):
    """Left half the filled bar, right half the empty one; the bar shows a half-width window into it."""
    half = w // 2
    img = Image.new("RGB", (w, h))
    img.paste(vertical_gradient(half, h, (120, 200, 250), (40, 110, 220)), (0, 0))
    img.paste(vertical_gradient(half, h, (24, 34, 86), (12, 18, 52)), (half, 0))
    d = ImageDraw.Draw(img)
    if not kind.startswith("rxlib"):
        # Retro stripes on the filled half only.
        for x in range(-h, half, max(8, h // 2)):
            d.polygon([(x, h), (x + h // 2, 0), (x + h // 2 + h // 4, 0), (x + h // 4, h)],
                      fill=(90, 170, 245))
        img.paste(vertical_gradient(half, h, (24, 34, 86), (12, 18, 52)), (half, 0))
        d.line([(0, 0), (half - 1, 0)], fill=(190, 225, 250))
    return img


def progress_frame(fonts, w, h, border):
    img = keyed(w, h)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=CYAN, width=border)
    if border >= 4:
        d.rectangle((1, 1, w - 2, h - 2), outline=MAGENTA, width=1)
    return img


# ---------------------------------------------------------------- rxlib's loading window


def rxlib_background(fonts, w, h):
    # Dark blue field darkening to the edges with the mark in the middle, quiet enough for white text over it.
    img = vertical_gradient(w, h, (16, 30, 96), (10, 18, 70))
    img = vignette(img, 0.9)
    big = h >= 300
    mark = Image.new("L", (w, h), 0)
    md = ImageDraw.Draw(mark)
    cx, cy, r = w // 2, h // 2, (110 if big else 42)
    md.polygon([(cx, cy - r), (cx + r, cy), (cx, cy + r), (cx - r, cy)], outline=255)
    md.line([(cx, cy - r), (cx + r, cy), (cx, cy + r), (cx - r, cy), (cx, cy - r)], fill=255, width=max(3, r // 10))
    draw_text_centered(md, fonts.get(int(r * 0.9)), "R", cx, cy, 255)
    halo = mark.filter(ImageFilter.GaussianBlur(r // 10 + 2))
    img.paste(Image.new("RGB", (w, h), (50, 90, 190)), (0, 0), halo.point(lambda v: v // 2))
    img.paste(Image.new("RGB", (w, h), (44, 70, 150)), (0, 0), mark.point(lambda v: v * 3 // 5))
    d = ImageDraw.Draw(img)
    draw_text_centered(d, fonts.get(40 if big else 14), "RELICADE", cx, h - (60 if big else 12), (70, 100, 190))
    return img


def rxlib_frame(w, h):
    border = 2 if h < 40 else 4
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(img).rectangle((0, 0, w - 1, h - 1), outline=(150, 200, 250, 255), width=border)
    return img


def rxlib_button(fonts, w, h, text):
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    body = vertical_gradient(w, h, (50, 80, 170), (20, 36, 110)).convert("RGBA")
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, w - 1, h - 1), radius=10, fill=255)
    img.paste(body, (0, 0), mask)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((0, 0, w - 1, h - 1), radius=10, outline=(150, 200, 250, 255), width=3)
    draw_text_centered(d, fonts.fit(text, w - 20, h - 14, 22), text, w / 2.0, h / 2.0, (240, 244, 255, 255))
    return img


# ---------------------------------------------------------------- table and checks


# Kinds drawn from the text-free size alone, and kinds drawn from the size and the row's text.
BY_SIZE = {
    "field": field, "checkbox": checkbox, "focus_ring": focus_ring,
    "rxlib_background_rgb": rxlib_background,
}
BY_SIZE_AND_TEXT = {
    "bg_main": bg_main, "bg_dark": bg_dark, "bg_update": bg_update, "bg_splash": bg_splash,
    "bg_facebook": bg_facebook, "wait": wait_label, "button": button, "stacked_button": stacked_button,
    "info": info, "rxlib_button": rxlib_button, "title": title,
}


def render(fonts, sizes, name, w, h, kind, text):
    if kind in BY_SIZE:
        return BY_SIZE[kind](fonts, w, h)
    if kind in BY_SIZE_AND_TEXT:
        return BY_SIZE_AND_TEXT[kind](fonts, w, h, text)
    if kind == "label":
        return label(fonts, w, h, text, sizes[(kind, w, h)])
    if kind == "player_label":
        return label(fonts, w, h, text, sizes[(kind, w, h)], CYAN, right=label_text_width(kind, w))
    if kind in ("arrow_up", "arrow_down"):
        return arrow(fonts, w, h, kind == "arrow_up")
    if kind.startswith("tile_"):
        return tile(fonts, w, h, text, kind)
    if kind.startswith("list_bar"):
        return list_bar(fonts, w, h, kind)
    if kind.startswith("list_button"):
        return list_button(fonts, w, h, kind, text)
    if kind == "info_keys":
        return info(fonts, w, h, text, keys=True)
    if kind in ("progress_strip", "rxlib_strip"):
        return progress_strip(fonts, w, h, kind)
    if kind == "progress_frame":
        return progress_frame(fonts, w, h, 4 if h >= 40 else 2)
    if kind == "rxlib_background_rgba":
        return rxlib_background(fonts, w, h).convert("RGBA")
    if kind == "rxlib_frame":
        return rxlib_frame(w, h)
    raise ValueError("unknown kind %r for %s" % (kind, name))


def frame_count(kind):
    if kind in ("button", "stacked_button", "arrow_up", "arrow_down") or kind.startswith("tile_"):
        return 3
    if kind == "checkbox":
        return 2
    return 1


# Pictures meant to show the screen behind them somewhere; every other one must be fully opaque.
SEE_THROUGH = ("title", "wait", "label", "player_label", "focus_ring", "button", "stacked_button", "arrow_up", "arrow_down",
               "info", "info_keys", "progress_frame")


def see_through(kind):
    return kind in SEE_THROUGH or kind.startswith("tile_")


def check_colours(name, kind, img):
    """Pure cyan only where a picture is meant to be see-through, and no near-cyan fringe anywhere."""
    rgb = img.convert("RGB")
    colours = rgb.getcolors(rgb.size[0] * rgb.size[1])
    keyed_pixels = sum(n for n, c in colours if c == KEY)
    if see_through(kind) and not kind.startswith("rxlib"):
        if keyed_pixels == 0:
            raise ValueError("%s should have see-through pixels but has none" % name)
    elif keyed_pixels:
        raise ValueError("%s has %d pure cyan pixels that would turn see-through" % (name, keyed_pixels))
    for n, c in colours:
        if c != KEY and sum((a - b) ** 2 for a, b in zip(c, KEY)) < 40 * 40:
            raise ValueError("%s has a near-cyan pixel %r that would show as a fringe" % (name, c))


def read_table(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            parts = [p.strip() for p in line.split("|")]
            if len(parts) != 5:
                raise ValueError("%s:%d: expected 5 fields" % (path, number))
            rows.append((parts[0], int(parts[1]), int(parts[2]), parts[3], parts[4]))
    names = [r[0] for r in rows]
    if len(set(names)) != len(names):
        raise ValueError("%s names a picture twice" % path)
    return rows


def save_png(img, path):
    # Fixed settings and no metadata: the same table gives the same bytes on every build.
    tmp = path + ".tmp"
    img.save(tmp, format="PNG", optimize=False, compress_level=6)
    os.replace(tmp, path)


def write_licence(font, copyright_file, gpl_file, out):
    parts = [
        "NEURPOLI.TTF is the display face \"%s\"\n" % os.path.basename(font),
        "from Debian's package fonts-beteckna. Its copyright and licence follow.\n\n",
    ]
    with open(copyright_file, encoding="utf-8") as f:
        parts.append(f.read())
    if gpl_file and os.path.exists(gpl_file):
        parts.append("\n\n---- Full text of the GNU General Public License, version 3 ----\n\n")
        with open(gpl_file, encoding="utf-8") as f:
            parts.append(f.read())
    tmp = out + ".tmp"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(parts))
    os.replace(tmp, out)


def copy_file(src, dst):
    with open(src, "rb") as f:
        data = f.read()
    tmp = dst + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, dst)


def contact_sheet(fonts, items, path):
    """All pictures on one page over a mid-grey so see-through areas stand out."""
    pad, width = 6, 1220
    x = y = pad
    row_h = 0
    placed = []
    for name, img in items:
        w, h = img.size
        w2, h2 = (w // 2, h // 2) if w > 1000 or h >= 600 else (w, h)
        if x + w2 > width - pad:
            x, y, row_h = pad, y + row_h + 14, 0
        placed.append((name, img, x, y, w2, h2))
        x += w2 + pad
        row_h = max(row_h, h2)
    sheet = Image.new("RGB", (width, y + row_h + 20), (96, 96, 104))
    d = ImageDraw.Draw(sheet)
    small = fonts.get(9)
    for name, img, px, py, w2, h2 in placed:
        pic = img.convert("RGB")
        if pic.size != (w2, h2):
            pic = pic.resize((w2, h2))
        sheet.paste(pic, (px, py))
        d.text((px, py + h2 + 1), name, font=small, fill=(255, 255, 255))
    sheet.save(path)


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--table", required=True)
    p.add_argument("--font", required=True)
    p.add_argument("--images-dir", help="program folder's images/ (program artwork)")
    p.add_argument("--program-dir", help="program folder (receives NEURPOLI.TTF and its licence)")
    p.add_argument("--font-copyright", help="the font package's copyright file")
    p.add_argument("--gpl", help="full licence text referred to by the copyright file")
    p.add_argument("--rxlib-dir", help="folder for rxlib's embedded pictures and font")
    p.add_argument("--rxlib-font", help="face embedded in rxlib (defaults to --font)")
    p.add_argument("--sheet", help="also write a contact sheet of everything drawn")
    args = p.parse_args()

    started = time.monotonic()
    fonts = Fonts(args.font)
    drawn = []
    table = read_table(args.table)
    # Labels of one size share one lettering size, so rows of a screen line up alike.
    sizes = {}
    for name, w, h, kind, text in table:
        if kind in ("label", "player_label"):
            group = (kind, w, h)
            sizes[group] = min(sizes.get(group, 99), label_size(fonts, kind, w, h, text))
    for name, w, h, kind, text in table:
        rxlib = kind.startswith("rxlib")
        out_dir = args.rxlib_dir if rxlib else args.images_dir
        if not out_dir and not args.sheet:
            continue
        img = render(fonts, sizes, name, w, h, kind, text)
        if img.size != (w * frame_count(kind), h):
            raise ValueError("%s came out %dx%d" % (name, img.size[0], img.size[1]))
        check_colours(name, kind, img)
        if out_dir:
            save_png(img, os.path.join(out_dir, name))
        drawn.append((name, img))

    if args.program_dir:
        copy_file(args.font, os.path.join(args.program_dir, "NEURPOLI.TTF"))
        if args.font_copyright:
            write_licence(args.font, args.font_copyright, args.gpl,
                          os.path.join(args.program_dir, "NEURPOLI-LICENSE.txt"))
    if args.rxlib_dir:
        copy_file(args.rxlib_font or args.font, os.path.join(args.rxlib_dir, "1003.ttf"))
    if args.sheet:
        contact_sheet(fonts, drawn, args.sheet)
    if os.environ.get("RX_ARTWORK_TIMING"):
        sys.stderr.write("artwork: %d pictures in %.2f s\n" % (len(drawn), time.monotonic() - started))


if __name__ == "__main__":
    try:
        main()
    except (OSError, ValueError) as e:
        sys.stderr.write("generate_artwork: %s\n" % e)
        sys.exit(1)
