#!/usr/bin/env python3
"""Paints the menu's pictures: the title artwork, the four lit buttons and the
application icon. Same bytes on every run: all chance comes from one seeded
generator and the BMP and ICO files are laid out by hand."""

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
ICON_SIZES = (48, 32, 24, 16)
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


def glow(size, centre, radius, power=2.0):
    """Soft round light, 255 at the centre fading to 0 at `radius`."""
    disc = Image.radial_gradient("L").resize((radius * 2, radius * 2), Image.BICUBIC)
    disc = disc.point(lambda v: round(255 * max(0.0, 1 - v / 181) ** power))
    out = Image.new("L", size, 0)
    out.paste(disc, (centre[0] - radius, centre[1] - radius))
    return out


def ridge(rng, base, waves):
    """Height line of a hill range: a sum of sines with seeded phases."""
    phases = [rng.uniform(0, 2 * math.pi) for _ in waves]
    return [base - sum(a * math.sin(x / p + ph) for (a, p), ph in zip(waves, phases))
            for x in range(W)]


def fill_below(line):
    mask = Image.new("L", (W * SS, H * SS), 0)
    pts = [(x * SS, y * SS) for x, y in enumerate(line)] + [(W * SS, H * SS), (0, H * SS)]
    ImageDraw.Draw(mask).polygon(pts, fill=255)
    return shrink(mask)


# ---------------------------------------------------------------- the scene

SUN = (232, 292)


def sky(rng):
    img = gradient((W, H), [(0.0, (12, 12, 40)), (0.2, (32, 26, 76)), (0.38, (90, 48, 104)),
                            (0.5, (186, 84, 92)), (0.57, (242, 146, 82)),
                            (0.62, (255, 212, 140)), (1.0, (255, 222, 156))])
    paint(img, glow((W, H), SUN, 260, 2.2), (255, 178, 96))
    paint(img, glow((W, H), SUN, 60, 1.4), (255, 226, 160))
    paint(img, glow((W, H), SUN, 15, 0.15), (255, 248, 222))
    draw = ImageDraw.Draw(img)
    for _ in range(170):
        x, y = rng.randrange(6, W - 6), int(rng.random() ** 1.6 * 190) + 6
        fade = 1 - y / 200
        c = img.getpixel((x, y))
        draw.point((x, y), fill=mix(c, (255, 246, 220), fade * rng.uniform(0.3, 1)))
    return img


def clouds(img, rng):
    """Long banks lit from below by the low sun."""
    mask = Image.new("L", (W, H), 0)
    draw = ImageDraw.Draw(mask)
    for _ in range(7):
        cx, cy, span = rng.randrange(-60, W + 60), rng.randrange(170, 250), rng.randrange(80, 200)
        for _ in range(9):
            x, w, h = cx + rng.uniform(-span, span), rng.uniform(20, 60), rng.uniform(3, 7)
            y = cy + rng.uniform(-3, 3)
            draw.ellipse((x - w, y - h, x + w, y + h), fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(2.5))
    paint(img, mask.point(lambda v: v * 3 // 5), (110, 58, 108))
    rim = ImageChops.subtract(mask, ImageChops.offset(mask, 0, -3)).filter(ImageFilter.GaussianBlur(1))
    paint(img, rim, gradient((W, H), [(0.0, (255, 150, 150)), (0.4, (255, 170, 120)),
                                      (0.55, (255, 214, 150)), (1.0, (255, 214, 150))]))


def mist(img, top, bottom, colour, strength):
    band = Image.new("L", (W, H), 0)
    ImageDraw.Draw(band).rectangle((0, top, W, bottom), fill=strength)
    paint(img, band.filter(ImageFilter.GaussianBlur((bottom - top) / 2)), colour)


def far_hills(img, rng):
    far = ridge(rng, HORIZON + 4, [(16, 60), (9, 23), (3, 7)])
    paint(img, fill_below(far), gradient((W, H), [(0.0, (150, 96, 130)), (0.6, (150, 96, 130)),
                                                 (0.75, (92, 56, 96)), (1.0, (60, 36, 70))]))


def rise(img, rng):
    mid = ridge(rng, HORIZON + 30, [(14, 90), (6, 31), (2, 9)])
    for x in range(300, 560):  # the rise the castle stands on
        mid[x] -= 34 * math.exp(-((x - 430) / 80) ** 2)
    paint(img, fill_below(mid), gradient((W, H), [(0.0, (84, 48, 88)), (0.6, (84, 48, 88)),
                                                 (0.8, (44, 26, 56)), (1.0, (30, 18, 40))]))
    return mid


def castle(img, ground):
    """A keep with towers on the rise, dark against the sunset."""
    mask = Image.new("L", (W * SS, H * SS), 0)
    d = ImageDraw.Draw(mask)

    def box(x0, y0, x1, y1):
        d.rectangle((x0 * SS, y0 * SS, x1 * SS, y1 * SS), fill=255)

    def merlons(x0, x1, y):
        for x in range(x0, x1, 4):
            box(x, y - 3, x + 2, y)

    def tower(x, w, top, roof):
        box(x, top, x + w, ground[x + w // 2] + 4)
        d.polygon([((x - 1) * SS, top * SS), ((x + w + 1) * SS, top * SS),
                   ((x + w / 2) * SS, (top - roof) * SS)], fill=255)

    base = round(ground[430])
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
        box(x, base, x + 1, ground[x] + 3)
    paint(img, shrink(mask), (30, 18, 38))
    draw = ImageDraw.Draw(img)
    for x, y in [(426, base - 64), (433, base - 64), (409, base - 40), (440, base - 34),
                 (456, base - 34), (383, base - 14), (476, base - 16), (366, base - 32),
                 (495, base - 28)]:
        draw.rectangle((x, y, x + 1, y + 3), fill=(255, 196, 100))


def forest(img, rng, baseline, tall, fill, count):
    """A row of firs standing on a floor of the same colour."""
    floor = [baseline + 3 * math.sin(x / 40) for x in range(W)]
    mask = fill_below(floor).resize((W * SS, H * SS))
    d = ImageDraw.Draw(mask)
    for i in range(count):
        x = (i + rng.uniform(-0.4, 0.4)) * W / (count - 1)
        h = rng.uniform(0.55, 1.0) * tall * (1 + 0.9 * (x / W * 2 - 1) ** 4)  # frame the view
        y = baseline + rng.uniform(-4, 6)
        w = h * rng.uniform(0.26, 0.34)
        for tier in range(4):
            top = y - h + tier * h * 0.2
            half = w * (0.45 + tier * 0.18)
            d.polygon([(x * SS, top * SS), ((x - half) * SS, (top + h * 0.36) * SS),
                       ((x + half) * SS, (top + h * 0.36) * SS)], fill=255)
        d.rectangle(((x - w * 0.1) * SS, (y - h * 0.3) * SS, (x + w * 0.1) * SS, (y + 8) * SS),
                    fill=255)
    paint(img, shrink(mask), fill)


def ledge(img):
    """A darker band behind the buttons with gold hairlines fading out at the ends."""
    top, bottom = BUTTON_Y - 12, BUTTON_Y + BUTTON_H + 12
    band = Image.new("L", (W, H), 0)
    ImageDraw.Draw(band).rectangle((0, top, W, bottom), fill=150)
    fade = glow((W, H), (W // 2, (top + bottom) // 2), 330, 0.6)
    paint(img, ImageChops.multiply(band.filter(ImageFilter.GaussianBlur(3)), fade), (4, 2, 6))
    lines = Image.new("L", (W, H), 0)
    for y in (top, bottom):
        ImageDraw.Draw(lines).line((0, y, W, y), fill=200)
    paint(img, ImageChops.multiply(lines, fade), (196, 150, 78))


# ---------------------------------------------------------------- the title

def title(img):
    font = load_font(TITLE_FONT, 100)
    text, track = "ORVENNA", 6
    widths = [font.getlength(ch) for ch in text]
    total = sum(widths) + track * (len(text) - 1)
    mask = Image.new("L", (W, H), 0)
    draw = ImageDraw.Draw(mask)
    x, top = (W - total) / 2, 44
    for ch, w in zip(text, widths):
        draw.text((x, top), ch, font=font, fill=255)
        x += w + track
    box = mask.getbbox()

    shadow = ImageChops.offset(mask.filter(ImageFilter.MaxFilter(7)), 3, 6)
    paint(img, shadow.filter(ImageFilter.GaussianBlur(6)).point(lambda v: v * 3 // 4), (0, 0, 0))
    outline = mask.filter(ImageFilter.MaxFilter(5))
    for depth in range(4, 0, -1):  # a bronze extrusion down and right
        paint(img, ImageChops.offset(outline, depth // 2, depth), (54 - depth * 8, 30, 10))
    paint(img, outline, (40, 22, 8))
    gold = gradient((W, H), [(0.0, (255, 248, 210)), (box[1] / H, (255, 244, 196)),
                             ((box[1] + box[3]) / 2 / H, (232, 176, 70)),
                             ((box[1] + box[3]) / 2 / H + 0.004, (196, 132, 40)),
                             (box[3] / H, (130, 78, 22)), (1.0, (130, 78, 22))])
    paint(img, mask, gold)
    rim = ImageChops.subtract(mask, ImageChops.offset(mask, 0, 1))  # lit top edges
    paint(img, rim.point(lambda v: v * 2 // 3), (255, 255, 236))
    ornament(img, box)


def ornament(img, box):
    """A gold rule under the title, fading outwards from a diamond."""
    y, cx = box[3] + 16, W // 2
    layer = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(layer)
    for step in range(12, 151):
        for x in (cx - step, cx + step):
            d.point((x, y), fill=round(255 - 150 * (step - 12) / 138))
    for x in (cx - 152, cx + 152):
        d.ellipse((x - 2, y - 2, x + 2, y + 2), fill=200)
    gem = Image.new("L", (W * SS, H * SS), 0)
    ImageDraw.Draw(gem).polygon([(cx * SS, (y - 6) * SS), ((cx + 6) * SS, y * SS),
                                 (cx * SS, (y + 6) * SS), ((cx - 6) * SS, y * SS)], fill=255)
    layer = ImageChops.lighter(layer, shrink(gem))
    paint(img, ImageChops.offset(layer, 1, 2).filter(ImageFilter.GaussianBlur(1)), (0, 0, 0))
    paint(img, layer, (236, 188, 96))


# ---------------------------------------------------------------- finishing

def texture(img, rng):
    """Fine grain and broad mottling, so no area is flat like a fill."""
    grain = Image.frombytes("L", (W, H), rng.randbytes(W * H)).point(lambda v: 128 + (v - 128) // 20)
    mottle = Image.frombytes("L", (40, 30), rng.randbytes(1200)).resize((W, H), Image.BICUBIC)
    mottle = mottle.point(lambda v: 128 + (v - 128) // 14)
    for layer in (grain, mottle):
        img = ImageChops.overlay(img, Image.merge("RGB", (layer, layer, layer)))
    return img


def vignette(img):
    shade = glow((W, H), (W // 2, H // 2 - 40), 520, 0.8).point(lambda v: 130 + v * 125 // 255)
    return ImageChops.multiply(img, Image.merge("RGB", (shade, shade, shade)))


def frame(img):
    lit = [(255, 238, 190), (232, 198, 128), (196, 152, 80), (150, 108, 50), (88, 60, 28)]
    dark = [(14, 8, 4), (38, 24, 12), (66, 44, 22), (92, 64, 32), (60, 40, 20)]
    px = img.load()
    for y in range(H):
        for x in range(W):
            d = min(x, y, W - 1 - x, H - 1 - y)
            if d < 5:
                light = (y == d and x < W - 1 - d) or (x == d and y < H - 1 - d)
                px[x, y] = (lit if light else dark)[d]


def scene():
    rng = random.Random(0x0e7e)
    img = sky(rng)
    clouds(img, rng)
    far_hills(img, rng)
    mist(img, HORIZON + 14, HORIZON + 40, (230, 150, 140), 90)
    castle(img, rise(img, rng))
    mist(img, HORIZON + 44, HORIZON + 64, (170, 110, 150), 110)
    forest(img, rng, 352, 40, (50, 30, 62), 36)
    forest(img, rng, 372, 56, gradient((W, H), [(0.0, (16, 11, 22)), (0.8, (16, 11, 22)),
                                                (1.0, (6, 4, 10))]), 22)
    ledge(img)
    title(img)
    img = vignette(texture(img, rng))
    frame(img)
    return img


# ---------------------------------------------------------------- buttons

def rounded(inset):
    m = Image.new("L", (BUTTON_W * SS, BUTTON_H * SS), 0)
    ImageDraw.Draw(m).rounded_rectangle(
        (inset * SS, inset * SS, (BUTTON_W - inset) * SS - 1, (BUTTON_H - inset) * SS - 1),
        radius=(RADIUS - inset) * SS, fill=255)
    return shrink(m)


LOOKS = {
    "unlit": dict(face=[(0.0, (58, 44, 66)), (1.0, (22, 16, 28))], border=(150, 116, 66),
                  shine=(120, 100, 130), text=(238, 224, 192)),
    "lit": dict(face=[(0.0, (226, 156, 60)), (0.5, (184, 110, 34)), (1.0, (128, 68, 18))],
                border=(255, 226, 150), shine=(255, 232, 170), text=(255, 250, 232)),
}


def button(under, label, look):
    """Draws one button onto `under`, the scene beneath its rectangle."""
    style = LOOKS[look]
    img = under.copy()
    outer, inner = rounded(0), rounded(1)
    paint(img, outer, style["border"])
    paint(img, inner, gradient(img.size, style["face"]))
    shine = ImageChops.subtract(inner, ImageChops.offset(inner, 0, 1))
    paint(img, shine.point(lambda v: v // 2), style["shine"])
    font = load_font(LABEL_FONT, 12)
    l, t, r, b = font.getbbox(label)
    pos = ((BUTTON_W - (r - l)) // 2 - l, (BUTTON_H - (b - t)) // 2 - t)
    draw = ImageDraw.Draw(img)
    draw.text((pos[0] + 1, pos[1] + 1), label, font=font, fill=(10, 6, 4))
    draw.text(pos, label, font=font, fill=style["text"])
    return img, outer


def place_buttons(img):
    """Returns the background with unlit buttons and the lit pictures."""
    base, lit = img.copy(), {}
    for label, name, left in BUTTONS:
        box = (left, BUTTON_Y, left + BUTTON_W, BUTTON_Y + BUTTON_H)
        under = img.crop(box)
        unlit, face = button(under, label, "unlit")
        lit[name], _ = button(under, label, "lit")
        base.paste(unlit, box[:2])
        check_outside_face(under, lit[name], face, name)
    return base, lit


def check_outside_face(under, lit, face, name):
    for y in range(BUTTON_H):
        for x in range(BUTTON_W):
            if face.getpixel((x, y)) == 0 and lit.getpixel((x, y)) != under.getpixel((x, y)):
                sys.exit(f"lit_{name}.bmp differs from the background at ({x},{y})")


# ---------------------------------------------------------------- the icon

def emblem(size):
    """A knight's great helm with a crimson plume, painted large and shrunk.
    The dark rim is grown from the shape itself so it is even all round."""
    n, gold, ink = 256, (230, 178, 58, 255), (24, 14, 30, 255)
    art = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    d = ImageDraw.Draw(art)
    d.ellipse((96, 10, 250, 130), fill=(206, 38, 46, 255))  # plume, sweeping back
    d.ellipse((118, 34, 236, 140), fill=(0, 0, 0, 0))
    d.polygon([(96, 70), (128, 8), (160, 70)], fill=(226, 52, 56, 255))
    helm = Image.new("L", (n, n), 0)
    ImageDraw.Draw(helm).rounded_rectangle((50, 62, 206, 240), radius=64, fill=255)
    steel = gradient((n, n), [(0.0, (240, 242, 250)), (0.5, (170, 178, 198)), (1.0, (96, 102, 128))])
    art.paste(steel.convert("RGBA"), (0, 0), helm)
    right = Image.new("L", (n, n), 0)
    ImageDraw.Draw(right).rectangle((128, 0, n, n), fill=64)  # the shaded half
    art.paste((40, 44, 66, 255), (0, 0), ImageChops.multiply(helm, right))
    d.rectangle((50, 116, 206, 132), fill=gold)  # brow band
    d.rectangle((119, 62, 137, 240), fill=gold)  # crest line
    d.rectangle((62, 140, 194, 162), fill=ink)  # eye slit
    d.rectangle((119, 140, 137, 162), fill=gold)
    for y in (186, 208):  # breathing holes
        for x in (84, 102, 154, 172):
            d.ellipse((x - 5, y - 5, x + 5, y + 5), fill=ink)
    grow = max(15, round(n / size * 0.9) * 2 + 1)  # at least about a pixel once shrunk
    rim = art.getchannel("A").point(lambda v: 255 if v else 0).filter(ImageFilter.MaxFilter(grow))
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
    (ART / "icons").mkdir(parents=True, exist_ok=True)
    background, lit = place_buttons(scene())
    (ART / "background.bmp").write_bytes(bmp_bytes(background))
    for name, img in lit.items():
        (ART / f"lit_{name}.bmp").write_bytes(bmp_bytes(img))
    icons = [icon_image(s) for s in ICON_SIZES]
    (ART / "zol.ico").write_bytes(ico_bytes(icons))
    for size, (pal, alpha) in zip(ICON_SIZES, icons):
        icon_png(pal, alpha).save(ART / "icons" / f"zol-{size}.png", optimize=False)


if __name__ == "__main__":
    main()
