#!/usr/bin/env python3
"""Paints the menu's pictures: the title artwork, the four lit buttons and the
application icon, each picture set twice: at 640 x 480 (art/) and drawn again
at twice the size (art/2x/), never scaled up. Same bytes on every run: all
chance comes from one seeded generator, drawn in the same order at either
size, and the BMP and ICO files are laid out by hand.

The scene is described in 1x units; `k` (1 or 2) is the size it is painted
at, so a stroke of 1 is k pixels wide."""

import math
import random
import struct
import sys
from pathlib import Path

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:
    sys.exit(f"make_art.py needs Pillow (Debian: python3-pil), which {sys.executable} can't import")

ROOT = Path(__file__).resolve().parent.parent
ART = ROOT / "art"
W, H = 640, 480
SS = 4  # supersampling factor for smooth edges
BUTTON_Y, BUTTON_W, BUTTON_H, RADIUS = 408, 119, 26, 6
BUTTONS = [("VOLLBILDMODUS", "vollbildmodus", 59), ("FENSTERMODUS", "fenstermodus", 193),
           ("WEBSITE", "website", 328), ("RAUS HIER!", "raus_hier", 464)]
ICON_SIZES = (48, 32, 24, 16)  # the ICO's, and the small desktop icons
LARGE_ICON_SIZES = (64, 96, 128, 256)  # desktop icons only
FONTS = Path("/usr/share/fonts")
TITLE_FONT = FONTS / "opentype/linux-libertine/LinLibertine_RB.otf"
LABEL_FONT = FONTS / "truetype/dejavu/DejaVuSansCondensed-Bold.ttf"
HORIZON = 300


# ---------------------------------------------------------------- helpers

def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def gradient(size, stops):
    """Vertical gradient through (position 0..1, colour) stops."""
    w, h = size
    column = Image.new("RGB", (1, h))
    for y in range(h):
        t = y / max(h - 1, 1)
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                column.putpixel((0, y), mix(c0, c1, (t - t0) / ((t1 - t0) or 1)))
                break
    return column.resize((w, h), Image.NEAREST)


def load_font(path, size):
    # Basic layout: complex shaping kerns "WEB SITE" apart at small sizes, and
    # it keeps the output the same whether or not libraqm is present.
    try:
        return ImageFont.truetype(str(path), size, layout_engine=ImageFont.Layout.BASIC)
    except OSError:
        sys.exit(f"make_art.py needs {path} (Debian: fonts-linuxlibertine, fonts-dejavu-extra)")


def paint(img, mask, fill):
    """Lays `fill` (a colour or an image) onto img through an L mask."""
    if not isinstance(fill, Image.Image):
        fill = Image.new("RGB", img.size, fill)
    img.paste(fill, (0, 0), mask)


def shrink(mask):
    return mask.resize((mask.width // SS, mask.height // SS), Image.BOX)


def block(x, y, k, w=1, h=1):
    """The inclusive pixel box at size k of the 1x pixels from (x, y), w by h."""
    return (x * k, y * k, (x + w) * k - 1, (y + h) * k - 1)


def glow(size, centre, radius, power=2.0):
    """Soft round light, 255 at the centre fading to 0 at `radius`."""
    disc = Image.radial_gradient("L").resize((radius * 2, radius * 2), Image.BICUBIC)
    disc = disc.point(lambda v: round(255 * max(0.0, 1 - v / 181) ** power))
    out = Image.new("L", size, 0)
    out.paste(disc, (centre[0] - radius, centre[1] - radius))
    return out


def ridge(rng, base, waves, k):
    """Height line of a hill range, a sum of sines with seeded phases, in 1x
    units at every pixel column of size k."""
    phases = [rng.uniform(0, 2 * math.pi) for _ in waves]
    return [base - sum(a * math.sin(x / k / p + ph) for (a, p), ph in zip(waves, phases))
            for x in range(W * k)]


def fill_below(line, k):
    mask = Image.new("L", (W * k * SS, H * k * SS), 0)
    pts = [(x * SS, y * k * SS) for x, y in enumerate(line)]
    pts += [(W * k * SS, H * k * SS), (0, H * k * SS)]
    ImageDraw.Draw(mask).polygon(pts, fill=255)
    return shrink(mask)


# ---------------------------------------------------------------- the scene

SUN = (232, 292)


def sky(rng, k):
    img = gradient((W * k, H * k), [(0.0, (12, 12, 40)), (0.2, (32, 26, 76)), (0.38, (90, 48, 104)),
                            (0.5, (186, 84, 92)), (0.57, (242, 146, 82)),
                            (0.62, (255, 212, 140)), (1.0, (255, 222, 156))])
    sun = (SUN[0] * k, SUN[1] * k)
    paint(img, glow(img.size, sun, 260 * k, 2.2), (255, 178, 96))
    paint(img, glow(img.size, sun, 60 * k, 1.4), (255, 226, 160))
    paint(img, glow(img.size, sun, 15 * k, 0.15), (255, 248, 222))
    draw = ImageDraw.Draw(img)
    for _ in range(170):
        x, y = rng.randrange(6, W - 6), int(rng.random() ** 1.6 * 190) + 6
        fade = 1 - y / 200
        c = img.getpixel((x * k, y * k))
        draw.rectangle(block(x, y, k), fill=mix(c, (255, 246, 220), fade * rng.uniform(0.3, 1)))
    return img


def clouds(img, rng, k):
    """Long banks lit from below by the low sun."""
    mask = Image.new("L", img.size, 0)
    draw = ImageDraw.Draw(mask)
    for _ in range(7):
        cx, cy, span = rng.randrange(-60, W + 60), rng.randrange(170, 250), rng.randrange(80, 200)
        for _ in range(9):
            x, w, h = cx + rng.uniform(-span, span), rng.uniform(20, 60), rng.uniform(3, 7)
            y = cy + rng.uniform(-3, 3)
            draw.ellipse(((x - w) * k, (y - h) * k, (x + w) * k, (y + h) * k), fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(2.5 * k))
    paint(img, mask.point(lambda v: v * 3 // 5), (110, 58, 108))
    rim = ImageChops.subtract(mask, ImageChops.offset(mask, 0, -3 * k))
    rim = rim.filter(ImageFilter.GaussianBlur(k))
    paint(img, rim, gradient(img.size, [(0.0, (255, 150, 150)), (0.4, (255, 170, 120)),
                                      (0.55, (255, 214, 150)), (1.0, (255, 214, 150))]))


def mist(img, top, bottom, colour, strength, k):
    band = Image.new("L", img.size, 0)
    ImageDraw.Draw(band).rectangle((0, top * k, W * k, (bottom + 1) * k - 1), fill=strength)
    paint(img, band.filter(ImageFilter.GaussianBlur((bottom - top) / 2 * k)), colour)


def far_hills(img, rng, k):
    far = ridge(rng, HORIZON + 4, [(16, 60), (9, 23), (3, 7)], k)
    paint(img, fill_below(far, k), gradient(img.size, [(0.0, (150, 96, 130)), (0.6, (150, 96, 130)),
                                                 (0.75, (92, 56, 96)), (1.0, (60, 36, 70))]))


def rise(img, rng, k):
    mid = ridge(rng, HORIZON + 30, [(14, 90), (6, 31), (2, 9)], k)
    for x in range(300 * k, 560 * k):  # the rise the castle stands on
        mid[x] -= 34 * math.exp(-((x / k - 430) / 80) ** 2)
    paint(img, fill_below(mid, k), gradient(img.size, [(0.0, (84, 48, 88)), (0.6, (84, 48, 88)),
                                                 (0.8, (44, 26, 56)), (1.0, (30, 18, 40))]))
    return mid


def castle(img, ground, k):
    """A keep with towers on the rise, dark against the sunset."""
    mask = Image.new("L", (W * k * SS, H * k * SS), 0)
    d = ImageDraw.Draw(mask)
    s = k * SS

    def box(x0, y0, x1, y1):
        d.rectangle((x0 * s, y0 * s, x1 * s, y1 * s), fill=255)

    def merlons(x0, x1, y):
        for x in range(x0, x1, 4):
            box(x, y - 3, x + 2, y)

    def tower(x, w, top, roof):
        box(x, top, x + w, ground[(x + w // 2) * k] + 4)
        d.polygon([((x - 1) * s, top * s), ((x + w + 1) * s, top * s),
                   ((x + w / 2) * s, (top - roof) * s)], fill=255)

    base = round(ground[430 * k])
    box(372, base - 26, 490, base + 6)
    merlons(372, 490, base - 26)
    box(404, base - 52, 456, base)
    merlons(404, 458, base - 52)
    tower(360, 14, base - 44, 22)
    tower(490, 14, base - 40, 20)
    tower(420, 20, base - 74, 34)
    tower(452, 10, base - 62, 18)
    tower(394, 10, base - 58, 16)
    for x in range(358, 506):  # walls run down to the slope
        box(x, base, x + 1, ground[x * k] + 3)
    paint(img, shrink(mask), (30, 18, 38))
    draw = ImageDraw.Draw(img)
    for x, y in [(426, base - 64), (433, base - 64), (409, base - 40), (440, base - 34),
                 (456, base - 34), (383, base - 14), (476, base - 16), (366, base - 32),
                 (495, base - 28)]:
        draw.rectangle(block(x, y, k, 2, 4), fill=(255, 196, 100))


def forest(img, rng, baseline, tall, fill, count, k):
    """A row of firs standing on a floor of the same colour."""
    floor = [baseline + 3 * math.sin(x / k / 40) for x in range(W * k)]
    s = k * SS
    mask = fill_below(floor, k).resize((W * s, H * s))
    d = ImageDraw.Draw(mask)
    for i in range(count):
        x = (i + rng.uniform(-0.4, 0.4)) * W / (count - 1)
        h = rng.uniform(0.55, 1.0) * tall * (1 + 0.9 * (x / W * 2 - 1) ** 4)  # frame the view
        y = baseline + rng.uniform(-4, 6)
        w = h * rng.uniform(0.26, 0.34)
        for tier in range(4):
            top = y - h + tier * h * 0.2
            half = w * (0.45 + tier * 0.18)
            d.polygon([(x * s, top * s), ((x - half) * s, (top + h * 0.36) * s),
                       ((x + half) * s, (top + h * 0.36) * s)], fill=255)
        d.rectangle(((x - w * 0.1) * s, (y - h * 0.3) * s, (x + w * 0.1) * s, (y + 8) * s),
                    fill=255)
    paint(img, shrink(mask), fill)


def ledge(img, k):
    """A darker band behind the buttons with gold hairlines fading out at the ends."""
    top, bottom = BUTTON_Y - 12, BUTTON_Y + BUTTON_H + 12
    band = Image.new("L", img.size, 0)
    ImageDraw.Draw(band).rectangle((0, top * k, W * k, (bottom + 1) * k - 1), fill=150)
    fade = glow(img.size, (W // 2 * k, (top + bottom) // 2 * k), 330 * k, 0.6)
    paint(img, ImageChops.multiply(band.filter(ImageFilter.GaussianBlur(3 * k)), fade), (4, 2, 6))
    lines = Image.new("L", img.size, 0)
    for y in (top, bottom):
        ImageDraw.Draw(lines).rectangle(block(0, y, k, W), fill=200)
    paint(img, ImageChops.multiply(lines, fade), (196, 150, 78))


# ---------------------------------------------------------------- the title

def title(img, k):
    font = load_font(TITLE_FONT, 100 * k)
    text, track = "ORVENNA", 6 * k
    widths = [font.getlength(ch) for ch in text]
    total = sum(widths) + track * (len(text) - 1)
    mask = Image.new("L", img.size, 0)
    draw = ImageDraw.Draw(mask)
    x, top = (W * k - total) / 2, 44 * k
    for ch, w in zip(text, widths):
        draw.text((x, top), ch, font=font, fill=255)
        x += w + track
    box = mask.getbbox()

    shadow = ImageChops.offset(mask.filter(ImageFilter.MaxFilter(6 * k + 1)), 3 * k, 6 * k)
    paint(img, shadow.filter(ImageFilter.GaussianBlur(6 * k)).point(lambda v: v * 3 // 4), (0, 0, 0))
    outline = mask.filter(ImageFilter.MaxFilter(4 * k + 1))
    for depth in range(4 * k, 0, -1):  # a bronze extrusion down and right
        paint(img, ImageChops.offset(outline, depth // 2, depth), (54 - depth * 8 // k, 30, 10))
    paint(img, outline, (40, 22, 8))
    h = H * k
    gold = gradient(img.size, [(0.0, (255, 248, 210)), (box[1] / h, (255, 244, 196)),
                               ((box[1] + box[3]) / 2 / h, (232, 176, 70)),
                               ((box[1] + box[3]) / 2 / h + 0.004, (196, 132, 40)),
                               (box[3] / h, (130, 78, 22)), (1.0, (130, 78, 22))])
    paint(img, mask, gold)
    rim = ImageChops.subtract(mask, ImageChops.offset(mask, 0, k))  # lit top edges
    paint(img, rim.point(lambda v: v * 2 // 3), (255, 255, 236))
    ornament(img, (box[3] + k - 1) // k + 16, k)


def ornament(img, y, k):
    """A gold rule along 1x row y under the title, fading outwards from a diamond."""
    cx = W // 2
    layer = Image.new("L", img.size, 0)
    d = ImageDraw.Draw(layer)
    for step in range(12, 151):
        for x in (cx - step, cx + step):
            d.rectangle(block(x, y, k), fill=round(255 - 150 * (step - 12) / 138))
    for x in (cx - 152, cx + 152):
        d.ellipse(block(x - 2, y - 2, k, 5, 5), fill=200)
    gem = Image.new("L", (W * k * SS, H * k * SS), 0)
    s = k * SS
    ImageDraw.Draw(gem).polygon([(cx * s, (y - 6) * s), ((cx + 6) * s, y * s),
                                 (cx * s, (y + 6) * s), ((cx - 6) * s, y * s)], fill=255)
    layer = ImageChops.lighter(layer, shrink(gem))
    paint(img, ImageChops.offset(layer, k, 2 * k).filter(ImageFilter.GaussianBlur(k)), (0, 0, 0))
    paint(img, layer, (236, 188, 96))


# ---------------------------------------------------------------- finishing

def texture(img, rng):
    """Fine grain and broad mottling, so no area is flat like a fill. Both are
    the scene's, the same at either size: the grain is one 1x pixel fine."""
    grain = Image.frombytes("L", (W, H), rng.randbytes(W * H)).point(lambda v: 128 + (v - 128) // 20)
    grain = grain.resize(img.size, Image.NEAREST)
    mottle = Image.frombytes("L", (40, 30), rng.randbytes(1200)).resize(img.size, Image.BICUBIC)
    mottle = mottle.point(lambda v: 128 + (v - 128) // 14)
    for layer in (grain, mottle):
        img = ImageChops.overlay(img, Image.merge("RGB", (layer, layer, layer)))
    return img


def vignette(img, k):
    shade = glow(img.size, (W // 2 * k, (H // 2 - 40) * k), 520 * k, 0.8)
    shade = shade.point(lambda v: 130 + v * 125 // 255)
    return ImageChops.multiply(img, Image.merge("RGB", (shade, shade, shade)))


def frame(img, k):
    """The bevel, five rings of 1x pixels, lit top and left, mitred at the corners."""
    lit = [(255, 238, 190), (232, 198, 128), (196, 152, 80), (150, 108, 50), (88, 60, 28)]
    dark = [(14, 8, 4), (38, 24, 12), (66, 44, 22), (92, 64, 32), (60, 40, 20)]
    w, h, edge = img.width, img.height, 5 * k
    px = img.load()
    for y in range(h):
        for x in (range(w) if y < edge or y >= h - edge else [*range(edge), *range(w - edge, w)]):
            d = min(x, y, w - 1 - x, h - 1 - y)
            light = (y == d and x < w - 1 - d) or (x == d and y < h - 1 - d)
            px[x, y] = (lit if light else dark)[d // k]


def scene(k):
    rng = random.Random(0x0e7e)
    img = sky(rng, k)
    clouds(img, rng, k)
    far_hills(img, rng, k)
    mist(img, HORIZON + 14, HORIZON + 40, (230, 150, 140), 90, k)
    castle(img, rise(img, rng, k), k)
    mist(img, HORIZON + 44, HORIZON + 64, (170, 110, 150), 110, k)
    forest(img, rng, 352, 40, (50, 30, 62), 36, k)
    forest(img, rng, 372, 56, gradient(img.size, [(0.0, (16, 11, 22)), (0.8, (16, 11, 22)),
                                                  (1.0, (6, 4, 10))]), 22, k)
    ledge(img, k)
    title(img, k)
    img = vignette(texture(img, rng), k)
    frame(img, k)
    return img


# ---------------------------------------------------------------- buttons

def rounded(inset, k):
    s = k * SS
    m = Image.new("L", (BUTTON_W * s, BUTTON_H * s), 0)
    ImageDraw.Draw(m).rounded_rectangle(
        (inset * s, inset * s, (BUTTON_W - inset) * s - 1, (BUTTON_H - inset) * s - 1),
        radius=(RADIUS - inset) * s, fill=255)
    return shrink(m)


LOOKS = {
    "unlit": dict(face=[(0.0, (58, 44, 66)), (1.0, (22, 16, 28))], border=(150, 116, 66),
                  shine=(120, 100, 130), text=(238, 224, 192)),
    "lit": dict(face=[(0.0, (226, 156, 60)), (0.5, (184, 110, 34)), (1.0, (128, 68, 18))],
                border=(255, 226, 150), shine=(255, 232, 170), text=(255, 250, 232)),
}


def button(under, label, look, k):
    """Draws one button onto `under`, the scene beneath its rectangle."""
    style = LOOKS[look]
    img = under.copy()
    outer, inner = rounded(0, k), rounded(1, k)
    paint(img, outer, style["border"])
    paint(img, inner, gradient(img.size, style["face"]))
    shine = ImageChops.subtract(inner, ImageChops.offset(inner, 0, k))
    paint(img, shine.point(lambda v: v // 2), style["shine"])
    # Laid out as at 1x, where hinting rounds each advance to a whole pixel.
    # At a larger size each letter is drawn at size, its ink centred on where
    # the 1x letter's is, so that the label matches the 1x one when halved.
    layout, font = load_font(LABEL_FONT, 12), load_font(LABEL_FONT, 12 * k)
    l, t, r, b = layout.getbbox(label)
    x, y = (BUTTON_W - (r - l)) // 2 - l, (BUTTON_H - (b - t)) // 2 - t
    draw = ImageDraw.Draw(img)
    if k == 1:
        letters = [(x, y, label)]
    else:
        _, t2, _, b2 = font.getbbox(label)
        top = round((y + (t + b) / 2) * k - (t2 + b2) / 2)
        letters = []
        for i, letter in enumerate(label):
            l1, _, r1, _ = layout.getbbox(letter)
            l2, _, r2, _ = font.getbbox(letter)
            centre = x + layout.getlength(label[:i]) + (l1 + r1) / 2
            letters.append((round(centre * k - (l2 + r2) / 2), top, letter))
    for offset, fill in ((k, (10, 6, 4)), (0, style["text"])):
        for left, top, text in letters:
            draw.text((left + offset, top + offset), text, font=font, fill=fill)
    return img, outer


def place_buttons(img, k):
    """Returns the background with unlit buttons and the lit pictures."""
    base, lit = img.copy(), {}
    for label, name, left in BUTTONS:
        box = (left * k, BUTTON_Y * k, (left + BUTTON_W) * k, (BUTTON_Y + BUTTON_H) * k)
        under = img.crop(box)
        unlit, face = button(under, label, "unlit", k)
        lit[name], _ = button(under, label, "lit", k)
        base.paste(unlit, box[:2])
        check_outside_face(under, lit[name], face, name)
    return base, lit


def check_outside_face(under, lit, face, name):
    for y in range(under.height):
        for x in range(under.width):
            if face.getpixel((x, y)) == 0 and lit.getpixel((x, y)) != under.getpixel((x, y)):
                sys.exit(f"lit_{name}.bmp differs from the background at ({x},{y})")


# ---------------------------------------------------------------- the icon

def emblem(size):
    """A knight's great helm with a crimson plume, painted large and shrunk:
    on a 256 px canvas up to 48 px, at four times the size above. The dark rim
    is grown from the shape itself so it is even all round."""
    n, gold, ink = max(256, 4 * size), (230, 178, 58, 255), (24, 14, 30, 255)

    def at(*vs):  # 256-canvas coordinates at this canvas' size
        return tuple(v * n // 256 for v in vs)

    art = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    d = ImageDraw.Draw(art)
    d.ellipse(at(96, 10, 250, 130), fill=(206, 38, 46, 255))  # plume, sweeping back
    d.ellipse(at(118, 34, 236, 140), fill=(0, 0, 0, 0))
    d.polygon([at(96, 70), at(128, 8), at(160, 70)], fill=(226, 52, 56, 255))
    helm = Image.new("L", (n, n), 0)
    ImageDraw.Draw(helm).rounded_rectangle(at(50, 62, 206, 240), radius=at(64)[0], fill=255)
    steel = gradient((n, n), [(0.0, (240, 242, 250)), (0.5, (170, 178, 198)), (1.0, (96, 102, 128))])
    art.paste(steel.convert("RGBA"), (0, 0), helm)
    right = Image.new("L", (n, n), 0)
    ImageDraw.Draw(right).rectangle((*at(128, 0), n, n), fill=64)  # the shaded half
    art.paste((40, 44, 66, 255), (0, 0), ImageChops.multiply(helm, right))
    d.rectangle(at(50, 116, 206, 132), fill=gold)  # brow band
    d.rectangle(at(119, 62, 137, 240), fill=gold)  # crest line
    d.rectangle(at(62, 140, 194, 162), fill=ink)  # eye slit
    d.rectangle(at(119, 140, 137, 162), fill=gold)
    for y in (186, 208):  # breathing holes
        for x in (84, 102, 154, 172):
            d.ellipse(at(x - 5, y - 5, x + 5, y + 5), fill=ink)
    # At least 7 units of 256 wide, and about a pixel once shrunk.
    grow = max(at(7)[0] * 2 + 1, round(n / size * 0.9) * 2 + 1)
    rim = art.getchannel("A").point(lambda v: 255 if v else 0)
    while grow > 1:  # a wide square max filter is slow; a few narrow ones make the same
        step = min(grow, 15)
        rim = rim.filter(ImageFilter.MaxFilter(step))
        grow -= step - 1
    out = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    out.paste(ink, (0, 0), rim)
    out.alpha_composite(art)
    small = out.resize((size, size), Image.LANCZOS)
    return small.filter(ImageFilter.UnsharpMask(1, 60, 0)) if size < 32 else small


def icon_image(size):
    """Shrinks the emblem, makes alpha all or nothing and picks 256 colours."""
    rgba = emblem(size)
    alpha = rgba.getchannel("A").point(lambda v: 255 if v >= 112 else 0)
    rgb = Image.new("RGB", rgba.size, (0, 0, 0))
    rgb.paste(rgba.convert("RGB"), (0, 0), alpha)
    pal = rgb.quantize(256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    return pal, alpha


# ---------------------------------------------------------------- file formats

def bmp_bytes(img):
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    raw = img.tobytes("raw", "BGR")
    rows = [raw[y * w * 3:(y + 1) * w * 3].ljust(stride, b"\0") for y in reversed(range(h))]
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2834, 2834, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    return head + info + pixels


def dib_bytes(pal, alpha):
    n = pal.width
    colours = (pal.getpalette() or [])[:768]
    colours += [0] * (768 - len(colours))
    palette = b"".join(bytes((colours[i + 2], colours[i + 1], colours[i], 0))
                       for i in range(0, 768, 3))
    idx, a = pal.tobytes(), alpha.tobytes()
    xor_stride, and_stride = (n + 3) & ~3, ((n + 31) // 32) * 4
    xor = b"".join(idx[y * n:(y + 1) * n].ljust(xor_stride, b"\0") for y in reversed(range(n)))
    mask = b""
    for y in reversed(range(n)):
        bits = 0
        for x in range(n):
            bits = bits << 1 | (a[y * n + x] == 0)
        mask += (bits << (and_stride * 8 - n)).to_bytes(and_stride, "big")
    info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    return info + palette + xor + mask


def ico_bytes(images):
    dibs = [dib_bytes(p, a) for p, a in images]
    out, offset = struct.pack("<HHH", 0, 1, len(dibs)), 6 + 16 * len(dibs)
    for (pal, _), dib in zip(images, dibs):
        n = pal.width
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 8, len(dib), offset)
        offset += len(dib)
    return out + b"".join(dibs)


def icon_png(pal, alpha):
    img = pal.convert("RGB").convert("RGBA")
    img.putalpha(alpha)
    return img


# ---------------------------------------------------------------- main

def main():
    for k, folder in ((1, ART), (2, ART / "2x")):
        folder.mkdir(parents=True, exist_ok=True)
        background, lit = place_buttons(scene(k), k)
        (folder / "background.bmp").write_bytes(bmp_bytes(background))
        for name, img in lit.items():
            (folder / f"lit_{name}.bmp").write_bytes(bmp_bytes(img))
    (ART / "icons").mkdir(parents=True, exist_ok=True)
    icons = [icon_image(s) for s in ICON_SIZES]
    (ART / "zol.ico").write_bytes(ico_bytes(icons))
    for size, (pal, alpha) in zip(ICON_SIZES, icons):
        icon_png(pal, alpha).save(ART / "icons" / f"zol-{size}.png", optimize=False)
    # Not in the ICO: full alpha, all the colours the emblem has.
    for size in LARGE_ICON_SIZES:
        emblem(size).save(ART / "icons" / f"zol-{size}.png", optimize=False)


if __name__ == "__main__":
    main()
