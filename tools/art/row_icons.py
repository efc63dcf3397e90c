# The four 16 x 16 icons of the error list, one per kind of source, side by side on magenta:
# 0 report file, 1 event log, 2 application hang, 3 application error.
from PIL import Image

from canvas import Canvas
from flatten import keyed
from motifs import error_disc, page
from palette import (AMBER, AMBER_DARK, AMBER_LIGHT, GLASS, LINE, MAGENTA, NAVY, NAVY_LIGHT,
                     PAPER, RED, RED_DARK, RED_LIGHT, SKY, STEEL, STEEL_LIGHT, WHITE)

SIZE = 16
# Edges are blended with the list's white rather than with the key colour.
FRINGE = (250, 250, 250)


def report_file():
    c = Canvas(SIZE, SIZE)
    page(c, 2, 0, 14, 16, 4, outline=1.0,
         lines=[(4, 12, 7), (4, 12, 9), (4, 12, 11), (4, 10, 13)], line_colour=LINE)
    c.fill(c.rect(4, 3, 9, 5), STEEL)
    return c.render()


def event_log():
    c = Canvas(SIZE, SIZE)
    c.fill(c.rect(0, 1, 16, 15, 2), NAVY)
    c.fill(c.rect(1, 2, 15, 14, 1.2), c.gradient(PAPER, (228, 234, 242), (0, 2), (0, 14)))
    c.fill(c.rect(1, 2, 15, 5, 1.2), c.gradient(STEEL_LIGHT, STEEL, (0, 2), (0, 5)))
    c.fill(c.rect(1, 4, 15, 5), STEEL)
    for y in (6, 9):
        c.fill(c.rect(3, y, 5, y + 2), NAVY_LIGHT)
        c.fill(c.rect(6, y + 0.5, 13, y + 1.5), LINE)
    c.fill(c.rect(6, 12.5, 9, 13.5), LINE)
    c.fill(c.ellipse(11.5, 11.5, 4.5), RED_DARK)
    c.fill(c.ellipse(11.5, 11.5, 3.5), c.gradient(RED_LIGHT, RED, (0, 8), (0, 15)))
    c.fill(c.ellipse(10.6, 10.4, 1.3), WHITE, opacity=0.75)
    return c.render()


def application_hang():
    c = Canvas(SIZE, SIZE)
    glass = c.polygon([(4, 2), (12, 2), (12, 4), (9, 7.4), (9, 8.6), (12, 12), (12, 14), (4, 14),
                       (4, 12), (7, 8.6), (7, 7.4), (4, 4)])
    outline = c.polygon([(3, 2), (13, 2), (13, 4.3), (10, 7.6), (10, 8.4), (13, 11.7), (13, 14),
                         (3, 14), (3, 11.7), (6, 8.4), (6, 7.6), (3, 4.3)])
    c.fill(outline, NAVY_LIGHT)
    c.fill(glass, c.gradient(GLASS, SKY, (4, 0), (12, 0)))
    # Sand: a little left on top, a heap at the bottom, a thread between.
    c.fill(c.polygon([(5.6, 5), (10.4, 5), (8.6, 7), (7.4, 7)]), AMBER)
    c.fill(c.rect(7.5, 7, 8.5, 11), AMBER_DARK)
    c.fill(c.polygon([(8, 10), (11.6, 12.6), (11.6, 14), (4.4, 14), (4.4, 12.6)]),
           c.gradient(AMBER_LIGHT, AMBER_DARK, (0, 10), (0, 14)))
    for y0 in (0, 14):
        c.fill(c.rect(2, y0, 14, y0 + 2, 0.6), c.gradient(NAVY_LIGHT, NAVY, (0, y0), (0, y0 + 2)))
    return c.render()


def application_error():
    c = Canvas(SIZE, SIZE)
    error_disc(c, 8, 8, 7, cross=2.8, stroke=2.0, edge=True)
    return c.render()


ICONS = (report_file, event_log, application_hang, application_error)


def strip():
    """The 64 x 16 strip, RGB, magenta where the list shows through."""
    out = Image.new("RGB", (SIZE * len(ICONS), SIZE), MAGENTA)
    for i, draw in enumerate(ICONS):
        out.paste(keyed(draw(), MAGENTA, FRINGE), (i * SIZE, 0))
    return out


def transparent_strip():
    out = Image.new("RGBA", (SIZE * len(ICONS), SIZE), (0, 0, 0, 0))
    for i, draw in enumerate(ICONS):
        out.alpha_composite(draw(), (i * SIZE, 0))
    return out
