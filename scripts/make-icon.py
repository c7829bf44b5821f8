#!/usr/bin/env python3
"""Draws the program's icon as packaging/zentrope.svg and packaging/zentrope.png (256 x 256).

Both files come from the one list of shapes below, so they always show the same picture: a blue
tile with a white Z above two yellow subtitle bars. The PNG is rasterised here with 4 x 4
samples per pixel, so the script needs nothing beyond the Python standard library.
"""

import pathlib
import struct
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
SIZE = 256
SAMPLES = 4

# (kind, colour, geometry): rounded rectangles are (x, y, width, height, radius), polygons a
# list of corner points. Later shapes paint over earlier ones.
SHAPES = [
    ("rect", "#1c4f8a", (16, 16, 224, 224, 40)),
    ("rect", "#2a6cb8", (32, 32, 192, 140, 20)),
    ("polygon", "#ffffff",
     [(72, 52), (184, 52), (184, 74), (110, 134), (184, 134), (184, 156), (72, 156), (72, 134),
      (146, 74), (72, 74)]),
    ("rect", "#ffd23f", (52, 182, 152, 16, 8)),
    ("rect", "#ffd23f", (82, 208, 92, 16, 8)),
]


def in_rect(x, y, geometry):
    left, top, width, height, radius = geometry
    if not (left <= x <= left + width and top <= y <= top + height):
        return False
    # Inside the rectangle: only the four corner squares need the distance test.
    cx = min(max(x, left + radius), left + width - radius)
    cy = min(max(y, top + radius), top + height - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_polygon(x, y, points):
    inside = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def svg():
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" '
             f'viewBox="0 0 {SIZE} {SIZE}">']
    for kind, colour, geometry in SHAPES:
        if kind == "rect":
            x, y, w, h, r = geometry
            parts.append(f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" '
                         f'fill="{colour}"/>')
        else:
            points = " ".join(f"{x},{y}" for x, y in geometry)
            parts.append(f'  <polygon points="{points}" fill="{colour}"/>')
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def png():
    rows = bytearray()
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    for py in range(SIZE):
        rows.append(0)  # filter: none
        for px in range(SIZE):
            total = [0, 0, 0, 0]
            for oy in offsets:
                for ox in offsets:
                    x, y = px + ox, py + oy
                    hit = None
                    for kind, colour, geometry in SHAPES:
                        test = in_rect if kind == "rect" else in_polygon
                        if test(x, y, geometry):
                            hit = colour
                    if hit:
                        r, g, b = rgb(hit)
                        total[0] += r
                        total[1] += g
                        total[2] += b
                        total[3] += 1
            covered = total[3]
            if covered == 0:
                rows += bytes(4)
            else:
                rows += bytes([total[0] // covered, total[1] // covered, total[2] // covered,
                               covered * 255 // (SAMPLES * SAMPLES)])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def main():
    (ROOT / "packaging" / "zentrope.svg").write_text(svg(), encoding="ascii")
    (ROOT / "packaging" / "zentrope.png").write_bytes(png())


if __name__ == "__main__":
    main()
