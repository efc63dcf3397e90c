# The six 16 x 15 toolbar images: last week, last month, six months, all, search, info. They sit
# on the 3-D face grey, which the loader swaps for the user's button colour.
from PIL import Image

from canvas import Canvas
from flatten import avoid, keyed
from glyphs import text_mask
from motifs import magnifier
from palette import (FACE_GREY, INK, LIGHT_GREY, NAVY, NAVY_LIGHT, PAPER, RED,
                     RED_LIGHT, SANS_BOLD, SANS_CONDENSED_BOLD, SHADOW_GREY, SKY, STEEL,
                     STEEL_LIGHT, WHITE, GLASS)

WIDTH, HEIGHT = 16, 15
# Edge pixels are blended with a grey between the classic face (192) and today's (240).
FRINGE = (218, 220, 224)


def calendar(label, font_path=SANS_BOLD, size=9, dy=0.0):
    c = Canvas(WIDTH, HEIGHT)
    c.fill(c.rect(1, 1, 15, 15, 1.5), NAVY_LIGHT)
    c.fill(c.rect(2, 5, 14, 14), c.gradient(PAPER, (226, 232, 240), (0, 5), (0, 14)))
    c.fill(c.rect(2, 2, 14, 5, 0.8), c.gradient(RED_LIGHT, RED, (0, 2), (0, 5)))
    for x in (4.5, 11.5):
        c.fill(c.rect(x - 0.5, 0, x + 1.5, 3, 0.5), NAVY)
    c.fill(text_mask(c, 8, 10 + dy, label, font_path, size), INK)
    return c.render()


def last_week():
    return calendar("7")


def last_month():
    return calendar("31", SANS_CONDENSED_BOLD)


def six_months():
    return calendar("6")


def all_time():
    return calendar("\u221e", SANS_BOLD, 14, dy=0.5)


def search():
    c = Canvas(WIDTH, HEIGHT)
    magnifier(c, 6.5, 6.5, 5.5, 1.6, 5.0, 2.6, glass=(GLASS, SKY), rim_colours=(NAVY_LIGHT, NAVY))
    return c.render()


def info():
    c = Canvas(WIDTH, HEIGHT)
    c.fill(c.ellipse(8, 7.5, 7), (22, 70, 140))
    c.fill(c.ellipse(8, 7.5, 6), c.gradient(STEEL_LIGHT, STEEL, (0, 1), (0, 14)))
    c.fill(c.ellipse(8, 4.2, 1.25), WHITE)
    c.fill(c.rect(7, 6.5, 9, 12), WHITE)
    c.fill(c.rect(6, 6.5, 9, 7.5), WHITE)
    c.fill(c.rect(6, 11, 10, 12), WHITE)
    return c.render()


IMAGES = (last_week, last_month, six_months, all_time, search, info)


def strip():
    """The 96 x 15 strip, RGB, on the face grey, with the other two 3-D greys kept out."""
    out = Image.new("RGB", (WIDTH * len(IMAGES), HEIGHT), FACE_GREY)
    for i, draw in enumerate(IMAGES):
        out.paste(keyed(draw(), FACE_GREY, FRINGE), (i * WIDTH, 0))
    for grey in (SHADOW_GREY, LIGHT_GREY):
        out = avoid(out, grey, (grey[0] + 1, grey[1], grey[2]))
    return out
