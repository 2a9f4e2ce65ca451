#!/usr/bin/env python3
"""Draws the settings application's embedded pictures into settings_app/pictures:

168 the generic user picture (48 x 48), 169 the application icon (128 x 128)
and 170 its mask (128 x 128: black where the icon shows, white elsewhere).
Run from anywhere: python3 tools/make_app_pictures.py
"""

import os

from picture_canvas import Canvas, circle, minus, rect, union

NIGHT = (28, 40, 92)
FACE_EDGE = (12, 18, 48)
MOON = (246, 228, 150)
HANDS = (220, 226, 240)


def generic_user():
    canvas = Canvas(48, 48, (208, 216, 228, 255))
    figure = (120, 132, 152)
    canvas.fill(circle(24, 18, 8.5), figure)
    canvas.fill(lambda x, y: y >= 30 and ((x - 24) / 16.0) ** 2 + ((y - 46) / 15.0) ** 2 <= 1, figure)
    return canvas


def icon():
    canvas = Canvas(128, 128, NIGHT + (255,))
    canvas.fill(minus(circle(64, 64, 60), circle(64, 64, 55)), FACE_EDGE)
    canvas.fill(minus(circle(58, 56, 30), circle(72, 46, 27)), MOON)
    canvas.fill(union(rect(62, 64, 66, 104), rect(64, 62, 98, 66), circle(64, 64, 4)), HANDS)
    return canvas


def mask():
    canvas = Canvas(128, 128, (255, 255, 255, 255))
    canvas.fill(circle(64, 64, 60), (0, 0, 0))
    return canvas


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "settings_app", "pictures")
    os.makedirs(folder, exist_ok=True)
    generic_user().write_png(os.path.join(folder, "UsersPref-168.png"))
    icon().write_png(os.path.join(folder, "AppIcon-169.png"))
    mask().write_png(os.path.join(folder, "AppIconMask-170.png"))


if __name__ == "__main__":
    main()
