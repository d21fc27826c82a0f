#!/usr/bin/env python3
"""Draws the program's small bitmaps, icon and cursor into res/.

The images are simple shapes drawn in code so they can be regenerated and reviewed;
the outputs are committed, so the build needs no Python.
"""
import math
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")


def canvas(w, h, color):
    return [[color for _ in range(w)] for _ in range(h)]


def put(img, x, y, color):
    if 0 <= y < len(img) and 0 <= x < len(img[0]):
        img[y][x] = color


def rect(img, x0, y0, x1, y1, color):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(img, x, y, color)


def disc(img, cx, cy, r, color):
    for y in range(len(img)):
        for x in range(len(img[0])):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                put(img, x, y, color)


def line(img, x0, y0, x1, y1, color, width=1):
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
    for i in range(steps + 1):
        t = i / steps
        x = x0 + (x1 - x0) * t
        y = y0 + (y1 - y0) * t
        for dx in range(width):
            for dy in range(width):
                put(img, int(round(x)) + dx, int(round(y)) + dy, color)


def triangle(img, pts, color):
    (ax, ay), (bx, by), (cx, cy) = pts
    for y in range(len(img)):
        for x in range(len(img[0])):
            px, py = x + 0.5, y + 0.5
            d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by)
            d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy)
            d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay)
            neg = d1 < 0 or d2 < 0 or d3 < 0
            pos = d1 > 0 or d2 > 0 or d3 > 0
            if not (neg and pos):
                put(img, x, y, color)


def write_bmp(path, img):
    """24-bit bottom-up BMP."""
    h, w = len(img), len(img[0])
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line_bytes = bytearray()
        for r, g, b in img[y]:
            line_bytes += bytes((b, g, r))
        line_bytes += b"\0" * (row - w * 3)
        data += line_bytes
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def dib_with_mask(img, transparent):
    """32-bit colour DIB plus 1-bit AND mask, as icon and cursor entries hold them."""
    h, w = len(img), len(img[0])
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for c in img[y]:
            if c == transparent:
                xor += b"\0\0\0\0"
            else:
                xor += bytes((c[2], c[1], c[0], 255))
    mask_row = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_row)
        for x, c in enumerate(img[y]):
            if c == transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info + xor + mask


def write_icon_file(path, images, transparent, kind=1, hotspot=(0, 0)):
    entries = []
    blobs = []
    offset = 6 + 16 * len(images)
    for img in images:
        blob = dib_with_mask(img, transparent)
        w = len(img[0])
        h = len(img)
        if kind == 1:
            a, b = 1, 32
        else:
            a, b = hotspot
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, a, b, len(blob), offset))
        offset += len(blob)
        blobs.append(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, kind, len(images)))
        for e in entries:
            f.write(e)
        for b in blobs:
            f.write(b)


TEAL = (0, 128, 128)
FACE = (192, 192, 192)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
BLUE = (0, 70, 200)
GREEN = (0, 150, 0)
RED = (200, 0, 0)
GREY = (128, 128, 128)
ORANGE = (230, 140, 0)
KEY = (255, 0, 255)


def speedometer(size):
    img = canvas(size, size, KEY)
    s = size / 32
    disc(img, 16 * s, 16 * s, 15 * s, BLUE)
    disc(img, 16 * s, 16 * s, 12.5 * s, WHITE)
    for angle in range(200, -21, -30):
        a = math.radians(angle)
        x0, y0 = 16 * s + math.cos(a) * 10 * s, 16 * s - math.sin(a) * 10 * s
        x1, y1 = 16 * s + math.cos(a) * 12 * s, 16 * s - math.sin(a) * 12 * s
        line(img, x0, y0, x1, y1, GREY)
    a = math.radians(35)
    line(img, 16 * s, 16 * s, 16 * s + math.cos(a) * 10 * s, 16 * s - math.sin(a) * 10 * s, RED,
         max(1, int(2 * s)))
    disc(img, 16 * s, 16 * s, 2.5 * s, BLACK)
    rect(img, int(8 * s), int(23 * s), int(24 * s), int(25 * s), GREEN)
    return img


def status_images():
    """0 waiting, 1 finished, 2 failed, 3 connecting or downloading."""
    img = canvas(64, 16, TEAL)
    disc(img, 8, 8, 4, GREY)
    line(img, 19, 8, 22, 12, GREEN, 2)
    line(img, 22, 12, 28, 3, GREEN, 2)
    line(img, 36, 4, 43, 11, RED, 2)
    line(img, 43, 4, 36, 11, RED, 2)
    rect(img, 54, 2, 57, 8, BLUE)
    triangle(img, [(50.5, 8.5), (61.5, 8.5), (56, 14)], BLUE)
    return img


def toolbar_images():
    """17 buttons of 16 x 16; the top-left pixel is the transparent colour."""
    img = canvas(16 * 17, 16, FACE)

    def cell(i):
        return 16 * i

    # 0 find: a magnifier
    x = cell(0)
    disc(img, x + 6.5, 6.5, 4.5, BLACK)
    disc(img, x + 6.5, 6.5, 3, WHITE)
    line(img, x + 9, 9, x + 14, 14, BLACK, 2)
    # 1 save: a disk
    x = cell(1)
    rect(img, x + 2, 2, x + 13, 13, BLUE)
    rect(img, x + 4, 2, x + 11, 6, WHITE)
    rect(img, x + 5, 9, x + 10, 13, GREY)
    # 2 copy: two pages
    x = cell(2)
    rect(img, x + 2, 1, x + 9, 10, BLACK)
    rect(img, x + 3, 2, x + 8, 9, WHITE)
    rect(img, x + 6, 5, x + 13, 14, BLACK)
    rect(img, x + 7, 6, x + 12, 13, WHITE)
    # 3 properties: a page with lines
    x = cell(3)
    rect(img, x + 3, 1, x + 12, 14, BLACK)
    rect(img, x + 4, 2, x + 11, 13, WHITE)
    for y in (4, 7, 10):
        rect(img, x + 5, y, x + 10, y, BLUE)
    # 4 exit: a door with an arrow
    x = cell(4)
    rect(img, x + 2, 1, x + 8, 14, GREY)
    line(img, x + 8, 8, x + 14, 8, RED, 2)
    triangle(img, [(x + 11, 4), (x + 11, 12.5), (x + 15.5, 8.5)], RED)
    # 5 start: a green triangle
    triangle(img, [(cell(5) + 4, 2), (cell(5) + 4, 14), (cell(5) + 13, 8)], GREEN)
    # 6 stop: a red square
    rect(img, cell(6) + 3, 3, cell(6) + 12, 12, RED)
    # 7 disable: a grey circle with a bar
    x = cell(7)
    disc(img, x + 8, 8, 6, RED)
    disc(img, x + 8, 8, 4, WHITE)
    line(img, x + 4, 4, x + 12, 12, RED, 2)
    # 8 enable: a check mark
    x = cell(8)
    line(img, x + 2, 8, x + 6, 12, GREEN, 2)
    line(img, x + 6, 12, x + 13, 3, GREEN, 2)
    # 9 delete: a cross
    x = cell(9)
    line(img, x + 3, 3, x + 12, 12, BLACK, 2)
    line(img, x + 12, 3, x + 3, 12, BLACK, 2)
    # 10 options: a gear-like disc
    x = cell(10)
    disc(img, x + 8, 8, 6.5, GREY)
    for a in range(0, 360, 45):
        r = math.radians(a)
        disc(img, x + 8 + math.cos(r) * 6, 8 + math.sin(r) * 6, 1.5, GREY)
    disc(img, x + 8, 8, 2.5, FACE)
    # 11 add list: a page with a plus
    x = cell(11)
    rect(img, x + 1, 1, x + 10, 14, BLACK)
    rect(img, x + 2, 2, x + 9, 13, WHITE)
    for y in (4, 7, 10):
        rect(img, x + 3, y, x + 8, y, BLUE)
    rect(img, x + 10, 9, x + 15, 10, GREEN)
    rect(img, x + 12, 7, x + 13, 12, GREEN)
    # 12 add from file: a folder
    x = cell(12)
    rect(img, x + 1, 4, x + 14, 13, ORANGE)
    rect(img, x + 1, 3, x + 6, 4, ORANGE)
    rect(img, x + 2, 6, x + 13, 6, (255, 200, 80))
    # 13 next: a double triangle
    x = cell(13)
    triangle(img, [(x + 2, 3), (x + 2, 13), (x + 8, 8)], BLUE)
    triangle(img, [(x + 8, 3), (x + 8, 13), (x + 14, 8)], BLUE)
    # 14 add file: a page with a folded corner
    x = cell(14)
    rect(img, x + 3, 1, x + 12, 14, BLACK)
    rect(img, x + 4, 2, x + 11, 13, WHITE)
    triangle(img, [(x + 9, 1), (x + 13, 1), (x + 13, 5)], FACE)
    # 15 move down, 16 move up: arrows
    x = cell(15)
    rect(img, x + 6, 2, x + 9, 8, BLUE)
    triangle(img, [(x + 2, 8), (x + 14, 8), (x + 8, 14.5)], BLUE)
    x = cell(16)
    rect(img, x + 6, 8, x + 9, 14, BLUE)
    triangle(img, [(x + 2, 8), (x + 14, 8), (x + 8, 1.5)], BLUE)
    return img


def arrow(up):
    img = canvas(16, 16, FACE)
    if up:
        triangle(img, [(4, 11), (12, 11), (8, 5)], GREY)
    else:
        triangle(img, [(4, 5), (12, 5), (8, 11)], GREY)
    return img


def hand_cursor():
    img = canvas(32, 32, KEY)
    outline = BLACK
    # index finger
    rect(img, 5, 0, 8, 10, outline)
    rect(img, 6, 1, 7, 10, WHITE)
    # palm and other fingers
    rect(img, 2, 10, 17, 22, outline)
    rect(img, 3, 11, 16, 21, WHITE)
    for x in (9, 12, 15):
        rect(img, x, 6, x + 2, 10, outline)
        rect(img, x, 7, x + 1, 11, WHITE)
    rect(img, 0, 12, 2, 16, outline)
    return img


def main():
    os.makedirs(OUT, exist_ok=True)
    write_icon_file(os.path.join(OUT, "velocimark.ico"), [speedometer(32), speedometer(16)], KEY)
    write_bmp(os.path.join(OUT, "toolbar.bmp"), toolbar_images())
    write_bmp(os.path.join(OUT, "status.bmp"), status_images())
    write_bmp(os.path.join(OUT, "sort_up.bmp"), arrow(True))
    write_bmp(os.path.join(OUT, "sort_down.bmp"), arrow(False))
    write_icon_file(os.path.join(OUT, "hand.cur"), [hand_cursor()], KEY, kind=2, hotspot=(6, 0))
    return 0


if __name__ == "__main__":
    sys.exit(main())
