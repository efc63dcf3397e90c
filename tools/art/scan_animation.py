# The wait animation: a magnifier circling over a page of log lines, the lens enlarging what it
# passes. One loop of frames on a uniform key colour that the animation control makes
# transparent (it takes the colour of the first frame's top-left pixel).
import math

from PIL import Image

from canvas import Canvas
from flatten import keyed
from motifs import magnifier, page
from palette import (AMBER, GLASS, LINE, MAGENTA, NAVY, NAVY_LIGHT, RED, SKY, STEEL)

WIDTH, HEIGHT = 64, 60
FRAMES = 16
MICRO_SECONDS_PER_FRAME = 75_000
KEY = MAGENTA
# Edges are blended with a light grey close to the dialog behind the animation.
FRINGE = (236, 236, 238)
ZOOM = 1.6
LENS, RIM = 11.0, 3.0

# Text lines on the page: (x0, x1, y, colour); the red one is the error being looked for.
_LINES = [(18, 36, 12, STEEL)] + [
    (18, x1, y, RED if y == 33 else LINE)
    for x1, y in ((44, 18), (40, 23), (44, 28), (42, 33), (38, 38), (44, 43), (34, 48))]


def _page():
    c = Canvas(WIDTH, HEIGHT, scale=8)
    page(c, 12, 4, 50, 56, 9, outline=1.0)
    for x0, x1, y, colour in _LINES:
        c.fill(c.rect(x0, y, x1, y + 2, 1), colour)
    c.fill(c.rect(18, 31.5, 20.5, 35.5, 0.5), AMBER)
    return c


def _zoomed(layer, cx, cy):
    """The page enlarged by ZOOM about (cx, cy), same canvas size."""
    s = layer.scale
    w, h = layer.size
    crop_w, crop_h = w / ZOOM, h / ZOOM
    left, top = cx * s - crop_w * (cx * s / w), cy * s - crop_h * (cy * s / h)
    box = (round(left), round(top), round(left + crop_w), round(top + crop_h))
    return layer.image.crop(box).resize((w, h), Image.BILINEAR)


def frame(index, sheet):
    angle = 2 * math.pi * index / FRAMES
    cx = 29 + 8 * math.cos(angle)
    cy = 27 + 8 * math.sin(angle)
    c = Canvas(WIDTH, HEIGHT, scale=sheet.scale)
    c.paste(sheet)

    def lens(c, glass):
        c.fill(glass, _zoomed(sheet, cx, cy))
        c.fill(glass, SKY, opacity=0.25)

    magnifier(c, cx, cy, LENS, RIM, 9, 4.2, glass=(GLASS, SKY),
              rim_colours=(NAVY_LIGHT, NAVY), inside=lens)
    return c.render()


def frames():
    """The frames as RGB images on the key colour."""
    sheet = _page()
    return [keyed(frame(i, sheet), KEY, FRINGE) for i in range(FRAMES)]
