# A contact sheet of the written files, read back from disk, for a look by eye: the icon at all
# sizes, the list and toolbar strips as the program will show them, both button faces and every
# frame of the animation.
import os
import struct

from PIL import Image, ImageDraw

from glyphs import font
from palette import FACE_GREY, MAGENTA, SANS

MODERN_FACE = (240, 240, 240)
SELECTION = (0, 120, 215)
DARK = (32, 32, 36)


def _replace(image, colour, by):
    out = image.convert("RGB").copy()
    px = out.load()
    for y in range(out.height):
        for x in range(out.width):
            if px[x, y] == colour:
                px[x, y] = by
    return out


def _zoom(image, k):
    return image.resize((image.width * k, image.height * k), Image.NEAREST)


def avi_frames(path):
    """The frames of our own uncompressed 8-bit clip, as RGB images."""
    data = open(path, "rb").read()
    pos, width, height, palette, frames = 12, 0, 0, [], []

    def walk(start, end):
        nonlocal width, height, palette
        p = start
        while p + 8 <= end:
            fourcc, size = data[p:p + 4], struct.unpack_from("<I", data, p + 4)[0]
            body = p + 8
            if fourcc == b"LIST":
                walk(body + 4, body + size)
            elif fourcc == b"strf":
                width, height = struct.unpack_from("<ii", data, body + 4)
                colours = struct.unpack_from("<I", data, body + 32)[0] or 256
                palette = [tuple(data[body + 40 + 4 * i:body + 43 + 4 * i][::-1])
                           for i in range(colours)]
            elif fourcc == b"00db":
                stride = (width + 3) & ~3
                rows = [data[body + y * stride:body + y * stride + width] for y in range(height)]
                im = Image.new("RGB", (width, height))
                im.putdata([palette[i] for row in reversed(rows) for i in row])
                frames.append(im)
            p = body + size + (size & 1)

    walk(pos, len(data))
    return frames


def contact_sheet(folder, out_path):
    sheet = Image.new("RGB", (1200, 1260), (250, 250, 250))
    draw = ImageDraw.Draw(sheet)
    label_font = font(SANS, 13)
    y = 10

    def label(text):
        nonlocal y
        draw.text((10, y), text, fill=(60, 60, 60), font=label_font)
        y += 20

    label("veltrano.ico: every size on white, the dialog face and dark (256 at half size); "
          "16 to 48 enlarged four times")
    icon = Image.open(os.path.join(folder, "veltrano.ico"))
    images = {s: icon.ico.getimage((s, s)).convert("RGBA") for s, _ in icon.ico.sizes()}
    shown = [images[s] if s < 256 else images[s].resize((128, 128), Image.LANCZOS)
             for s in sorted(images)]
    for i, bg in enumerate(((255, 255, 255), MODERN_FACE, DARK)):
        band = Image.new("RGBA", (390, 140), (*bg, 255))
        x = 8
        for im in shown:
            band.alpha_composite(im, (x, 136 - im.height))
            x += im.width + 8
        sheet.paste(band.convert("RGB"), (10 + i * 395, y))
    y += 150
    x = 10
    for s in (16, 24, 32, 48):
        base = Image.new("RGBA", (s, s), (255, 255, 255, 255))
        sheet.paste(_zoom(Image.alpha_composite(base, images[s]).convert("RGB"), 4), (x, y))
        x += s * 4 + 12
    y += 48 * 4 + 10

    label("rows.bmp: as stored (magenta = transparent), on a white row, on a selected row")
    rows = Image.open(os.path.join(folder, "rows.bmp")).convert("RGB")
    sheet.paste(_zoom(rows, 6), (10, y))
    sheet.paste(_zoom(_replace(rows, MAGENTA, (255, 255, 255)), 6), (420, y))
    sheet.paste(_replace(rows, MAGENTA, (255, 255, 255)), (830, y))
    sheet.paste(_replace(rows, MAGENTA, SELECTION), (830, y + 30))
    y += 16 * 6 + 20

    label("toolbar.bmp: as stored (192 grey = button face), mapped to today's face colour")
    bar = Image.open(os.path.join(folder, "toolbar.bmp")).convert("RGB")
    sheet.paste(_zoom(bar, 5), (10, y))
    sheet.paste(_zoom(_replace(bar, FACE_GREY, MODERN_FACE), 5), (10, y + 80))
    sheet.paste(_replace(bar, FACE_GREY, MODERN_FACE), (500, y + 80 + 75))
    sheet.paste(bar, (620, y + 80 + 75))
    y += 80 * 2 + 20

    label("lookup_de.bmp, lookup_en.bmp: real size and enlarged")
    de = Image.open(os.path.join(folder, "lookup_de.bmp")).convert("RGB")
    en = Image.open(os.path.join(folder, "lookup_en.bmp")).convert("RGB")
    sheet.paste(de, (10, y))
    sheet.paste(en, (370, y))
    sheet.paste(_zoom(en, 2), (10, y + 56))
    y += 56 + 92 + 16

    label("scanning.avi: every frame on the dialog face, enlarged twice")
    frames = avi_frames(os.path.join(folder, "scanning.avi"))
    for i, f in enumerate(frames):
        shown = _replace(f, f.getpixel((0, 0)), MODERN_FACE)
        sheet.paste(_zoom(shown, 2), (10 + (i % 8) * 134, y + (i // 8) * 126))
    sheet.save(out_path)
