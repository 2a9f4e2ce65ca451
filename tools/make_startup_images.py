#!/usr/bin/env python3
"""Draws the pictures that ship in NightfoldStartup/Images.

The agent stamps LockIcon (through LockMask) on a locked account's login
picture and falls back to BlankUser when an account has none. The files keep
their classic names; their bytes are PNG, which the image reader recognises
by content. Run from anywhere: python3 tools/make_startup_images.py
"""

import pathlib
import struct
import zlib

IMAGES = pathlib.Path(__file__).resolve().parent.parent / "resources" / "NightfoldStartup" / "Images"

LOCK_WIDTH, LOCK_HEIGHT = 16, 20
USER_SIZE = 48


def png(width, height, channels, pixel):
    """PNG bytes for an 8-bit image; pixel(x, y) gives a tuple of channels."""
    colour_type = {1: 0, 3: 2, 4: 6}[channels]
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def inside_ellipse(x, y, cx, cy, rx, ry):
    px, py = x + 0.5, y + 0.5
    return ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0


# The padlock: a shackle ring over a body with a keyhole.
def lock_part(x, y):
    """'shackle', 'body', 'keyhole', 'edge' or None for the pixel at (x, y)."""
    px, py = x + 0.5, y + 0.5
    if 1 <= x <= 14 and 9 <= y <= 19:
        if inside_ellipse(x, y, 8, 13, 1.6, 1.6) or (7 <= x <= 8 and 13 <= y <= 16):
            return "keyhole"
        if x in (1, 14) or y in (9, 19):
            return "edge"
        return "body"
    distance = ((px - 8) ** 2 + (py - 8) ** 2) ** 0.5
    if py <= 8 and 3.5 <= distance <= 5.6:
        return "shackle"
    if 8 < py < 10 and 3.5 <= abs(px - 8) <= 5.6:
        return "shackle"
    return None


LOCK_COLOURS = {
    "shackle": (150, 150, 160, 255),
    "edge": (150, 105, 20, 255),
    "body": (226, 176, 40, 255),
    "keyhole": (40, 30, 20, 255),
    None: (0, 0, 0, 0),
}


def lock_icon(x, y):
    return LOCK_COLOURS[lock_part(x, y)]


def lock_mask(x, y):
    # A classic mask: black where the padlock shows, white where it does not.
    return (0,) if lock_part(x, y) else (255,)


def blank_user(x, y):
    if inside_ellipse(x, y, 24, 18, 9, 9) or inside_ellipse(x, y, 24, 50, 18, 16):
        return (122, 134, 148)
    return (200, 210, 220)


def main():
    IMAGES.mkdir(parents=True, exist_ok=True)
    pictures = {
        "LockIcon.pict": png(LOCK_WIDTH, LOCK_HEIGHT, 4, lock_icon),
        "LockMask.pict": png(LOCK_WIDTH, LOCK_HEIGHT, 1, lock_mask),
        "BlankUser.pict": png(USER_SIZE, USER_SIZE, 3, blank_user),
    }
    for name, data in pictures.items():
        (IMAGES / name).write_bytes(data)
        print(IMAGES / name)


if __name__ == "__main__":
    main()
