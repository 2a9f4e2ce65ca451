#!/usr/bin/env python3
"""Draws the 21 padlock pictures of the lock button into settings_app/Resources.

The files keep the names the program looks for ("... .tif") but hold PNG data:
the program decodes by content, and PNG carries the transparency the TIFF mask
would have carried. Run from anywhere: python3 tools/make_lock_pictures.py
"""

import os

from picture_canvas import Canvas, ring, rect, rounded_rect, union, circle

SIZE = 33
FRAMES = 15
MAX_LIFT = 5.0  # how far the shackle rises when the padlock is open

BODY = (214, 168, 62)
BODY_EDGE = (140, 100, 30)
SHACKLE = (150, 154, 166)
SHACKLE_EDGE = (90, 94, 106)
KEYHOLE = (60, 40, 10)

MOUSE_STATES = {
    "standard": lambda r, g, b: (r, g, b),
    "rollover": lambda r, g, b: (r + (255 - r) * 0.3, g + (255 - g) * 0.3, b + (255 - b) * 0.3),
    "pressed": lambda r, g, b: (r * 0.65, g * 0.65, b * 0.65),
}


def padlock(lift):
    """The padlock with its shackle raised by lift pixels (0 is shut)."""
    canvas = Canvas(SIZE, SIZE)
    cx, arc_y = 16.5, 12.5 - lift
    legs_bottom = arc_y + 5.0
    shackle = union(ring(cx, arc_y, 4.0, 6.8, upper_half_only=True),
                    rect(cx - 6.8, arc_y, cx - 4.0, legs_bottom),
                    rect(cx + 4.0, arc_y, cx + 6.8, legs_bottom))
    shackle_core = union(ring(cx, arc_y, 4.7, 6.1, upper_half_only=True),
                         rect(cx - 6.1, arc_y, cx - 4.7, legs_bottom - 0.7),
                         rect(cx + 4.7, arc_y, cx + 6.1, legs_bottom - 0.7))
    canvas.fill(shackle, SHACKLE_EDGE)
    canvas.fill(shackle_core, SHACKLE)
    canvas.fill(rounded_rect(6, 15, 27, 31, 3), BODY_EDGE)
    canvas.fill(rounded_rect(7, 16, 26, 30, 2.4), BODY)
    canvas.fill(union(circle(cx, 21.5, 2.2), rect(cx - 0.9, 21.5, cx + 0.9, 26.5)), KEYHOLE)
    return canvas


def write(canvas, folder, name, mouse_state="standard"):
    canvas.map_colours(MOUSE_STATES[mouse_state])
    canvas.write_png(os.path.join(folder, name + ".tif"))


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "settings_app", "Resources")
    os.makedirs(folder, exist_ok=True)
    suffixes = {"standard": "", "rollover": "_Rollover", "pressed": "_Pressed"}
    for state, suffix in suffixes.items():
        write(padlock(MAX_LIFT), folder, "Lock_Unlocked State" + suffix, state)
        write(padlock(0.0), folder, "Lock_Locked State" + suffix, state)
    for frame in range(1, FRAMES + 1):
        eased = 1 - (1 - frame / FRAMES) ** 2  # quick start, gentle stop
        write(padlock(MAX_LIFT * eased), folder, "Lock_Open Anim %02d" % frame)


if __name__ == "__main__":
    main()
