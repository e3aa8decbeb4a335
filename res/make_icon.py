#!/usr/bin/env python3
"""Draws res/vantrel.ico: three 32-bit images (48, 32 and 16 px) of a blue tile holding rows
of byte cells, one of them orange (the bytes being replaced) under a magnifying glass.

Run it by hand when the picture changes; the build uses the committed .ico and needs no
Python. Standard library only.
    python3 res/make_icon.py [output.ico]
"""
import math
import struct
import sys
from pathlib import Path

SAMPLES = 5  # per axis: 25 samples per pixel for smooth edges


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1
    return inside


def ring(cx, cy, r_outer, r_inner):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        return r_inner <= d <= r_outer
    return inside


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def capsule(ax, ay, bx, by, r):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= r
    return inside


def vertical_gradient(top, bottom):
    def colour(x, y):
        return tuple(top[i] + (bottom[i] - top[i]) * y for i in range(3))
    return colour


def solid(rgb):
    return lambda x, y: rgb


def layers(size):
    """The picture as (shape, colour, opacity) layers in unit coordinates, back to front."""
    px = 1.0 / size
    tile = rounded_rect(px, px, 1 - px, 1 - px, 0.2)
    out = [(tile, vertical_gradient((46, 104, 214), (12, 44, 120)), 1.0)]
    # Byte cells: three rows at 48 and 32 px, two at 16 px where three would blur together.
    rows = 3 if size >= 32 else 2
    cols = 3 if size >= 32 else 2
    x0, y0, x1, y1 = 0.16, 0.18, 0.84, 0.62 if size >= 32 else 0.56
    gap = 0.07 if size >= 32 else 0.12
    cw = (x1 - x0 - gap * (cols - 1)) / cols
    ch = (y1 - y0 - gap * (rows - 1)) / rows
    for row in range(rows):
        for col in range(cols):
            cx0 = x0 + col * (cw + gap)
            cy0 = y0 + row * (ch + gap)
            hot = (row == rows - 1 and col == cols - 1)
            colour = (255, 154, 31) if hot else (236, 242, 255)
            out.append((rounded_rect(cx0, cy0, cx0 + cw, cy0 + ch, min(cw, ch) * 0.25), solid(colour), 1.0))
    # The magnifying glass over the orange cell.
    gx, gy, gr = (0.66, 0.56, 0.2) if size >= 32 else (0.63, 0.52, 0.22)
    thick = 0.06 if size >= 32 else 0.09
    out.append((disc(gx, gy, gr - thick), solid((255, 255, 255)), 0.18))
    out.append((ring(gx, gy, gr, gr - thick), solid((255, 255, 255)), 1.0))
    d = gr / math.sqrt(2)
    out.append((capsule(gx + d, gy + d, 0.88, 0.86, thick * 1.1), solid((255, 255, 255)), 1.0))
    return out


def render(size):
    """RGBA rows, top row first."""
    pixels = []
    picture = layers(size)
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    r = g = b = a = 0.0
                    for inside, colour, opacity in picture:
                        if inside(x, y):
                            cr, cg, cb = colour(x, y)
                            r = cr * opacity + r * (1 - opacity)
                            g = cg * opacity + g * (1 - opacity)
                            b = cb * opacity + b * (1 - opacity)
                            a = opacity + a * (1 - opacity)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [min(255, round(c / n / alpha)) for c in acc[:3]]
            else:
                rgb = [0, 0, 0]
            row.append((*rgb, round(alpha * 255)))
        pixels.append(row)
    return pixels


def icon_image(size):
    """One ICO image: BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, then the AND mask."""
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("vantrel.ico")
    sizes = (48, 32, 16)
    images = [icon_image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    out.write_bytes(data)
    print(f"wrote {out} ({len(data)} bytes, {', '.join(f'{s}px' for s in sizes)})")


if __name__ == "__main__":
    main()
