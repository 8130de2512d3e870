#!/usr/bin/env python3
"""Draws the program's icons, bitmaps and cursors as XPM text.

Writes src/res/images/xpm_data.inc. Plain pixel drawing, no anti-aliasing: cyan (0,255,255)
is the transparent colour, so an edge pixel must never be a blend with it.
Run from the repository root: python3 scripts/make_images.py
"""

import os

PALETTE = {
    ".": (0, 255, 255),  # transparent
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "g": (192, 192, 192),
    "d": (128, 128, 128),
    "G": (72, 72, 72),
    "y": (255, 218, 90),
    "Y": (196, 144, 32),
    "o": (240, 140, 20),
    "b": (40, 90, 210),
    "B": (130, 175, 240),
    "n": (0, 30, 120),
    "r": (220, 36, 36),
    "R": (140, 0, 0),
    "e": (40, 170, 60),
    "E": (0, 105, 30),
    "l": (160, 230, 130),
    "p": (140, 70, 190),
    "s": (200, 228, 255),
    "c": (255, 252, 232),
    "t": (214, 184, 128),
    "m": (110, 80, 40),
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [["."] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def box(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, c, width=1):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if r - width < d <= r:
                    self.set(x, y, c)

    def bar(self, x0, y0, x1, y1, width, c):
        """A straight bar: every pixel whose centre lies within width/2 of the segment."""
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        for y in range(self.h):
            for x in range(self.w):
                t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
                px, py = x0 + t * dx - x, y0 + t * dy - y
                if px * px + py * py <= (width / 2.0) ** 2:
                    self.set(x, y, c)

    def art(self, x0, y0, rows, colours=None):
        """Pastes a small picture given as strings; ' ' leaves the pixel alone."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch != " ":
                    self.set(x0 + i, y0 + j, colours.get(ch, ch) if colours else ch)

    def blit(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                if other.px[y][x] != ".":
                    self.set(x0 + x, y0 + y, other.px[y][x])


# ---- 16 x 16 pictures ----

def folder(open_=False, c=None):
    c = c or Canvas(16, 16)
    c.fill(1, 3, 6, 4, "Y")
    c.fill(2, 2, 5, 2, "Y")
    c.fill(1, 4, 14, 13, "Y")
    c.fill(2, 5, 13, 12, "y")
    if open_:
        c.fill(2, 5, 13, 7, "c")
        for k, y in enumerate(range(8, 14)):
            c.line(3 + k // 2 - 2, y, 15 - (5 - k) // 3, y, "y")
        c.line(2, 8, 15, 8, "Y")
        c.line(15, 8, 13, 13, "Y")
        c.line(1, 13, 13, 13, "Y")
        c.line(2, 8, 1, 13, "Y")
    return c


def document(c=None, fold=True):
    c = c or Canvas(16, 16)
    c.fill(3, 1, 12, 14, "w")
    c.box(2, 0, 13, 15, "G")
    if fold:
        c.fill(10, 0, 13, 3, ".")
        c.line(10, 0, 10, 3, "G")
        c.line(10, 3, 13, 3, "G")
        c.line(10, 0, 13, 3, "G")
        c.set(11, 2, "g")
        c.set(11, 1, ".")
        c.set(12, 2, ".")
        c.set(12, 1, ".")
    return c


def text_lines(c, x0, x1, ys, colour="d"):
    for y in ys:
        c.line(x0, y, x1, y, colour)


def window_frame(c, x0, y0, x1, y1, title="b"):
    c.fill(x0, y0, x1, y1, "w")
    c.box(x0, y0, x1, y1, "G")
    c.fill(x0 + 1, y0 + 1, x1 - 1, y0 + 2, title)
    c.set(x1 - 2, y0 + 1, "w")


def drive_body(c, y0=6, y1=12, face="g"):
    c.fill(1, y0, 14, y1, face)
    c.box(0, y0 - 1, 15, y1 + 1, "G")
    c.line(1, y0, 14, y0, "w")
    c.line(1, y1, 14, y1, "d")


def image_strip():
    imgs = [Canvas(16, 16) for _ in range(24)]
    # 0 closed folder
    folder(c=imgs[0])
    # 1 web page: page with a globe
    document(imgs[1])
    imgs[1].disc(8, 9, 4, "B")
    imgs[1].ring(8, 9, 4.6, "b")
    imgs[1].line(4, 9, 12, 9, "b")
    imgs[1].line(8, 5, 8, 13, "b")
    imgs[1].art(6, 7, ["ee", "eee", " e"])
    # 2 markup document: page with angle brackets
    document(imgs[2])
    imgs[2].art(4, 6, ["  o     o", " o       o", "o   ooo   o", " o       o", "  o     o"])
    imgs[2].fill(5, 12, 10, 12, "d")
    # 3 script window
    window_frame(imgs[3], 0, 1, 15, 14, "p")
    imgs[3].art(2, 5, ["k", " k", "  k", " k", "k   kkkk"])
    text_lines(imgs[3], 2, 12, [11, 12], "d")
    # 6 text note
    document(imgs[6])
    text_lines(imgs[6], 4, 11, [5, 7, 9, 11], "d")
    text_lines(imgs[6], 4, 8, [13], "d")
    # 7 painting: frame with brush strokes
    c = imgs[7]
    c.fill(0, 2, 15, 13, "m")
    c.fill(2, 4, 13, 11, "s")
    c.fill(2, 9, 13, 11, "e")
    c.disc(5, 6, 1.5, "r")
    c.line(8, 9, 11, 5, "b")
    c.line(9, 9, 12, 5, "b")
    c.line(7, 10, 10, 6, "p")
    # 8 picture: sun and mountain
    c = imgs[8]
    c.fill(1, 2, 14, 13, "s")
    c.box(0, 1, 15, 14, "G")
    c.disc(11, 5, 1.7, "y")
    for k in range(6):
        c.line(6 - k, 7 + k, 6 + k, 7 + k, "E")
    for k in range(4):
        c.line(11 - k, 9 + k, 11 + k, 9 + k, "e")
    # 10 media player: screen with a play triangle
    c = imgs[10]
    c.fill(0, 2, 15, 13, "G")
    c.fill(2, 3, 13, 12, "n")
    for k in range(4):
        c.line(6, 4 + k, 6 + k, 4 + k, "l")
        c.line(6, 11 - k, 6 + k, 11 - k, "l")
    c.line(6, 8, 10, 8, "l")
    c.fill(1, 2, 1, 13, "k")
    for y in range(3, 13, 2):
        c.set(1, y, "w")
        c.set(14, y, "w")
    # 11 zipped folder: folder with a zipper
    folder(c=imgs[11])
    for y in range(4, 14):
        imgs[11].set(7 + (y % 2), y, "k")
    imgs[11].fill(6, 9, 9, 11, "d")
    imgs[11].box(6, 9, 9, 11, "k")
    # 12 program window
    window_frame(imgs[12], 0, 1, 15, 14, "n")
    imgs[12].fill(2, 5, 13, 5, "g")
    imgs[12].fill(2, 7, 13, 12, "s")
    imgs[12].box(2, 7, 13, 12, "d")
    # 14 folder with a shortcut arrow
    folder(c=imgs[14])
    c = imgs[14]
    c.fill(0, 8, 7, 15, "w")
    c.box(0, 8, 7, 15, "k")
    c.art(1, 9, ["   bbb", "    bb", "   b b", "  b", " b", " b"])
    # 15 blank document
    document(imgs[15])
    # 17 network drive: drive on a cable
    c = imgs[17]
    drive_body(c, 2, 7)
    c.fill(11, 4, 12, 5, "e")
    c.line(7, 9, 7, 12, "k")
    c.line(2, 13, 13, 13, "k")
    c.fill(5, 12, 9, 14, "d")
    c.box(5, 12, 9, 14, "k")
    # 18 hard disk
    c = imgs[18]
    drive_body(c, 5, 11)
    c.fill(11, 9, 12, 9, "e")
    c.line(2, 8, 8, 8, "d")
    # 19 compact disc drive
    c = imgs[19]
    drive_body(c, 9, 13)
    c.fill(11, 11, 12, 11, "e")
    c.disc(7, 5, 5, "g")
    c.ring(7, 5, 5.4, "d")
    c.disc(7, 5, 2, "s")
    c.disc(7, 5, 0.8, ".")
    c.line(9, 2, 11, 4, "w")
    # 20 removable-disk drive
    c = imgs[20]
    drive_body(c, 5, 11)
    c.line(3, 8, 10, 8, "k")
    c.fill(11, 9, 12, 9, "o")
    # 21 memory chip
    c = imgs[21]
    c.fill(2, 4, 13, 11, "G")
    c.box(2, 4, 13, 11, "k")
    c.set(4, 6, "d")
    for x in range(3, 13, 2):
        c.fill(x, 2, x, 3, "g")
        c.fill(x, 12, x, 13, "g")
    # 22 open folder
    folder(True, imgs[22])
    return imgs


def host_symbol():
    c = Canvas(16, 16)
    c.fill(2, 1, 11, 14, "g")
    c.box(2, 1, 11, 14, "G")
    c.line(3, 2, 10, 2, "w")
    for y in (4, 6, 8):
        c.line(4, y, 9, y, "d")
    c.fill(8, 11, 9, 11, "e")
    c.disc(12, 11, 3.5, "B")
    c.ring(12, 11, 3.9, "b")
    c.line(9, 11, 15, 11, "b")
    c.line(12, 8, 12, 14, "b")
    return c


# ---- icons ----

def up_arrow_icon():  # 145, 24 x 16: a folder with an arrow pointing up
    c = Canvas(24, 16)
    f = folder()
    c.blit(f, 0, 0)
    c.art(14, 1, ["    k", "   kek", "  keeek", " keeeeek", "kkkeeekkk", "  keeek", "  keeek",
                  "  keeek", "  keeek", "  kkkkk"])
    return c


def refresh_icon():  # 147, 27 x 24: two curved arrows
    c = Canvas(27, 24)
    c.ring(13, 12, 9, "E", 3)
    c.fill(0, 10, 26, 13, ".")
    c.art(1, 9, ["kkkkkkkk", " keeeeek", "  keeek", "   kek", "    k"])
    c.art(18, 10, ["    k", "   kek", "  keeek", " keeeeek", "kkkkkkkk"])
    return c


def small_folder(c, x, y, colour="y", edge="Y"):
    c.fill(x, y + 1, x + 4, y + 1, edge)
    c.fill(x, y + 2, x + 9, y + 8, edge)
    c.fill(x + 1, y + 3, x + 8, y + 7, colour)


def mirror_icon():  # 148: a folder copied onto another
    c = Canvas(24, 24)
    small_folder(c, 1, 2)
    small_folder(c, 13, 13, "B", "b")
    c.art(9, 10, ["kk", "kek", "keek", "keeek", " keeek", "  keeek", "   keek", "    kkk"])
    c.line(3, 14, 9, 14, "d")
    c.line(3, 16, 9, 16, "d")
    c.line(14, 5, 21, 5, "d")
    c.line(14, 7, 21, 7, "d")
    return c


def upload_all_icon():  # 149: documents going up into a server
    c = Canvas(24, 24)
    c.fill(4, 1, 19, 6, "g")
    c.box(4, 1, 19, 6, "G")
    c.fill(15, 3, 16, 4, "e")
    c.art(7, 8, ["    k", "   kbk", "  kbbbk", " kbbbbbk", "kkkbbbkkk", "  kbbbk"])
    for x in (2, 8, 14):
        c.fill(x + 1, 15, x + 6, 22, "w")
        c.box(x, 14, x + 7, 23, "G")
        c.line(x + 2, 17, x + 5, 17, "d")
        c.line(x + 2, 19, x + 5, 19, "d")
    return c


def cancel_icon():  # 150: a red disc with a white cross
    c = Canvas(24, 24)
    c.disc(11.5, 11.5, 10, "R")
    c.disc(11.5, 11.5, 9, "r")
    for k in range(-1, 1):
        c.line(7 + k + 1, 7, 16 + k + 1, 16, "w")
        c.line(16 + k + 1, 7, 7 + k + 1, 16, "w")
    c.line(7, 7, 16, 16, "w")
    c.line(16, 7, 7, 16, "w")
    return c


def plug(c, x, y, colour):
    c.fill(x, y, x + 6, y + 6, colour)
    c.box(x, y, x + 6, y + 6, "k")


def connect_icon():  # 151: two plugs joined, a spark between
    c = Canvas(24, 24)
    c.line(0, 19, 5, 14, "k")
    c.line(0, 20, 5, 15, "k")
    plug(c, 4, 8, "e")
    c.line(11, 10, 13, 10, "G")
    c.line(11, 13, 13, 13, "G")
    plug(c, 13, 8, "e")
    c.line(19, 8, 23, 4, "k")
    c.line(19, 9, 23, 5, "k")
    c.art(8, 1, ["  yy", " yy", "yyyyy", "  yy", " yy"])
    return c


def disconnect_icon():  # 172: two plugs apart
    c = Canvas(24, 24)
    c.line(0, 19, 4, 15, "k")
    c.line(0, 20, 4, 16, "k")
    plug(c, 2, 9, "r")
    c.line(9, 11, 10, 11, "G")
    c.line(9, 14, 10, 14, "G")
    plug(c, 15, 7, "r")
    c.line(21, 7, 23, 5, "k")
    c.line(21, 8, 23, 6, "k")
    c.line(11, 3, 13, 21, "d")
    return c


def option_icon():  # 153: a check list with a pencil
    c = Canvas(24, 24)
    c.fill(3, 1, 17, 22, "w")
    c.box(2, 0, 18, 23, "G")
    for y in (4, 10, 16):
        c.box(5, y, 8, y + 3, "d")
        c.line(10, y + 2, 15, y + 2, "d")
    c.art(5, 3, ["    E", "   E", "E E", " E"])
    c.art(5, 9, ["    E", "   E", "E E", " E"])
    for k in range(9):
        c.line(12 + k, 21 - k, 14 + k, 21 - k, "o")
    c.line(12, 22, 13, 21, "k")
    c.line(20, 12, 22, 14, "R")
    return c


def open_folder_icon():  # 157: a big open folder
    c = Canvas(24, 24)
    c.fill(1, 5, 9, 7, "Y")
    c.fill(1, 7, 20, 20, "Y")
    c.fill(2, 8, 19, 19, "y")
    c.fill(3, 9, 18, 12, "c")
    for k, y in enumerate(range(12, 21)):
        c.line(4 + (8 - k) // 3, y, 22 - (8 - k) // 4 - 1, y, "y")
    c.line(5, 12, 23, 12, "Y")
    c.line(23, 12, 20, 20, "Y")
    c.line(1, 20, 20, 20, "Y")
    c.line(5, 12, 1, 20, "Y")
    return c


def app_icon():  # 128, 32 x 32: a folder and a globe exchanging files
    c = Canvas(32, 32)
    c.fill(1, 4, 10, 6, "Y")
    c.fill(1, 6, 18, 19, "Y")
    c.fill(2, 7, 17, 18, "y")
    c.disc(22, 21, 8.5, "B")
    c.ring(22, 21, 9, "b", 1.2)
    c.line(13, 21, 31, 21, "b")
    c.line(22, 12, 22, 30, "b")
    c.ring(22, 21, 5, "b")
    c.fill(14, 12, 22, 21, ".")
    c.disc(22, 21, 8.5, "B")
    c.ring(22, 21, 9, "b", 1.2)
    c.line(22, 12, 22, 30, "b")
    c.line(13, 21, 31, 21, "b")
    c.art(16, 14, ["ee", "eeee", "eeeee", " eee", "  e"])
    c.art(24, 23, ["eee", "eeee", " ee"])
    c.art(2, 22, ["    k", "   krk", "  krrrk", " krrrrrk", "kkkrrrkkk", "  krrrk", "  krrrk",
                  "  kkkkk"])
    c.art(21, 0, ["  kkkkk", "  kbbbk", "  kbbbk", "kkkbbbkkk", " kbbbbbk", "  kbbbk", "   kbk",
                  "    k"])
    return c


# ---- cursors (32 x 32) ----

def no_drop_cursor():  # 130: circle with a bar, hot spot 15,15
    c = Canvas(32, 32)
    c.disc(15, 15, 12, "k")
    c.disc(15, 15, 11, "r")
    c.disc(15, 15, 7.5, "k")
    c.disc(15, 15, 6.5, ".")
    c.bar(8.5, 8.5, 21.5, 21.5, 6, "k")
    c.bar(8, 8, 22, 22, 4, "r")
    return c


def drop_cursor():  # 131: arrow with a small dotted box, hot spot 1,1
    c = Canvas(32, 32)
    arrow = ["k", "kk", "kwk", "kwwk", "kwwwk", "kwwwwk", "kwwwwwk", "kwwwwwwk", "kwwwwwwwk",
             "kwwwwwwwwk", "kwwwwwkkkk", "kwwkwwk", "kwk kwwk", "kk  kwwk", "k    kwwk",
             "     kwwk", "      kk"]
    c.art(1, 1, arrow)
    for x in range(6, 19):
        if x % 2 == 0:
            c.set(x, 19, "k")
            c.set(x, 27, "k")
    for y in range(19, 28):
        if y % 2 == 1:
            c.set(6, y, "k")
            c.set(18, y, "k")
    c.fill(7, 20, 17, 26, "w")
    return c


def strip(images):
    c = Canvas(16 * len(images), 16)
    for i, img in enumerate(images):
        c.blit(img, 16 * i, 0)
    return c


def xpm(name, c):
    used = sorted({ch for row in c.px for ch in row})
    lines = ['"%d %d %d 1",' % (c.w, c.h, len(used))]
    for ch in used:
        r, g, b = PALETTE[ch]
        lines.append('"%s c #%02X%02X%02X",' % (ch, r, g, b))
    for row in c.px:
        lines.append('"%s",' % "".join(row))
    lines[-1] = lines[-1].rstrip(",")
    return "const char* const %s[] = {\n    %s\n};\n" % (name, "\n    ".join(lines))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    images = [
        (129, "kFileTypes", strip(image_strip())),
        (181, "kHost", host_symbol()),
        (128, "kApp", app_icon()),
        (145, "kUp", up_arrow_icon()),
        (147, "kRefresh", refresh_icon()),
        (148, "kMirror", mirror_icon()),
        (149, "kUploadAll", upload_all_icon()),
        (150, "kCancel", cancel_icon()),
        (151, "kConnect", connect_icon()),
        (153, "kOption", option_icon()),
        (157, "kOpenFolder", open_folder_icon()),
        (172, "kDisconnect", disconnect_icon()),
        (130, "kNoDrop", no_drop_cursor()),
        (131, "kDrop", drop_cursor()),
    ]
    out = ["// Generated by scripts/make_images.py; edit the script, not this file.\n"]
    for _, name, c in images:
        out.append(xpm(name, c))
    out.append("const XpmEntry kXpmTable[] = {\n")
    for ident, name, _ in images:
        out.append("    {%d, %s},\n" % (ident, name))
    out.append("};\n")
    path = os.path.join(root, "src", "res", "images", "xpm_data.inc")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main()
