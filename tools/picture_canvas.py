"""A tiny anti-aliased RGBA canvas that writes PNG files (standard library only).

Shapes are given as inside(x, y) tests; each pixel is sampled on a 4 x 4 grid
and the covered share is blended over what is already there.
"""

import struct
import zlib

SAMPLES = 4


class Canvas:
    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [list(background) for _ in range(width * height)]

    def fill(self, inside, colour):
        """Blends colour (r, g, b[, a]) over every pixel by its covered share."""
        r, g, b = colour[:3]
        a = colour[3] if len(colour) > 3 else 255
        step = 1.0 / SAMPLES
        offsets = [(i + 0.5) * step for i in range(SAMPLES)]
        for y in range(self.height):
            for x in range(self.width):
                hits = sum(1 for dy in offsets for dx in offsets if inside(x + dx, y + dy))
                if hits:
                    self._blend(x, y, (r, g, b), a * hits / (SAMPLES * SAMPLES))

    def _blend(self, x, y, rgb, alpha):
        pixel = self.pixels[y * self.width + x]
        src = alpha / 255.0
        dst = pixel[3] / 255.0
        out = src + dst * (1 - src)
        if out <= 0:
            return
        for i in range(3):
            pixel[i] = (rgb[i] * src + pixel[i] * dst * (1 - src)) / out
        pixel[3] = out * 255.0

    def map_colours(self, change):
        """Replaces every pixel's (r, g, b) by change(r, g, b); alpha stays."""
        for pixel in self.pixels:
            pixel[0], pixel[1], pixel[2] = change(pixel[0], pixel[1], pixel[2])

    def write_png(self, path):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)  # no filter
            for x in range(self.width):
                rows.extend(max(0, min(255, round(c))) for c in self.pixels[y * self.width + x])
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            out.write(_chunk(b"IHDR", header))
            out.write(_chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
            out.write(_chunk(b"IEND", b""))


def _chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


# Shape tests, each returning inside(x, y).

def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def ring(cx, cy, inner, outer, upper_half_only=False):
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return inner * inner <= d <= outer * outer and (not upper_half_only or y <= cy)
    return inside


def rect(left, top, right, bottom):
    return lambda x, y: left <= x < right and top <= y < bottom


def rounded_rect(left, top, right, bottom, radius):
    def inside(x, y):
        if not (left <= x < right and top <= y < bottom):
            return False
        nx = min(max(x, left + radius), right - radius)
        ny = min(max(y, top + radius), bottom - radius)
        return (x - nx) ** 2 + (y - ny) ** 2 <= radius * radius
    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)
