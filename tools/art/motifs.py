# The drawing motifs that recur across the pictures: magnifier, warning triangle, paper page,
# error disc. Each draws onto a Canvas in target-pixel coordinates.
import math

from canvas import intersect, mix, subtract, union
from palette import (AMBER, AMBER_EDGE, AMBER_LIGHT, GLASS, INK, NAVY, NAVY_LIGHT,
                     PAPER, PAPER_EDGE, PAPER_SHADE, RED, RED_DARK, RED_LIGHT, SKY, WHITE)

DIAGONAL = math.sqrt(0.5)


def magnifier_handle(c, cx, cy, r, length, width, colours=(NAVY_LIGHT, NAVY)):
    """The handle, leaving the lens towards the lower right."""
    x0, y0 = cx + r * DIAGONAL, cy + r * DIAGONAL
    x1, y1 = x0 + length * DIAGONAL, y0 + length * DIAGONAL
    mask = c.line([(x0 - width * 0.3, y0 - width * 0.3), (x1, y1)], width)
    c.fill(mask, c.gradient(colours[0], colours[1], (x1 - width / 2, y1 + width / 2),
                            (x1 + width / 2, y1 - width / 2)))
    return mask


def magnifier(c, cx, cy, r, rim, handle_length, handle_width, glass=(GLASS, SKY),
              rim_colours=(NAVY_LIGHT, NAVY), inside=None):
    """A lens of outer radius r with a rim of width `rim` and a handle; `inside(c, clip)` may
    draw the lens contents, clipped to the glass."""
    magnifier_handle(c, cx, cy, r - rim / 2, handle_length + rim / 2, handle_width, rim_colours)
    inner = r - rim
    glass_mask = c.ellipse(cx, cy, inner)
    c.fill(glass_mask, c.gradient(glass[0], glass[1], (cx - inner, cy - inner),
                                  (cx + inner, cy + inner)))
    if inside:
        inside(c, glass_mask)
    # A soft reflection across the upper left of the glass.
    shine = intersect(glass_mask, subtract(c.ellipse(cx - inner * 0.2, cy - inner * 0.2,
                                                     inner * 0.78),
                                           c.ellipse(cx - inner * 0.05, cy - inner * 0.05,
                                                     inner * 0.78)))
    c.fill(shine, WHITE, opacity=0.55)
    ring = c.ring(cx, cy, r, inner)
    c.fill(ring, c.gradient(rim_colours[0], rim_colours[1], (cx - r, cy - r), (cx + r, cy + r)))
    return glass_mask


def warning_triangle(c, cx, top, width, height, corner, mark=INK, mark_width=None, edge=0.0):
    """An amber warning triangle with rounded corners and an exclamation mark; `edge` is the
    width of its darker outline (0 for none)."""
    half, bottom = width / 2, top + height
    # The rounded outline is a smaller triangle grown by the corner radius.
    core = [(cx, top + corner * 2), (cx + half - corner * 1.7, bottom - corner),
            (cx - half + corner * 1.7, bottom - corner)]

    def grown(d):
        shape = c.polygon(core)
        return union(shape, c.line(core + [core[0]], 2 * d)) if d > 0 else shape

    body = grown(corner)
    paint = c.gradient(AMBER_LIGHT, AMBER, (cx, top), (cx, bottom))
    if edge:
        c.fill(body, AMBER_EDGE)
        c.fill(grown(corner - edge), paint)
    else:
        c.fill(body, paint)
    mw = mark_width or width * 0.12
    bar_top, bar_bottom = top + height * 0.38, top + height * 0.64
    c.fill(c.line([(cx, bar_top), (cx, bar_bottom)], mw), mark)
    c.fill(c.ellipse(cx, top + height * 0.79, mw * 0.62), mark)
    return body


def page(c, x0, y0, x1, y1, fold, lines=(), line_colour=None, line_width=1.0,
         edge=PAPER_EDGE, outline=1.0):
    """A sheet of paper with a folded top-right corner and optional text lines, each line given
    as (x_start, x_end, y)."""
    outer = c.polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    c.fill(outer, edge)
    o = outline
    inner = c.polygon([(x0 + o, y0 + o), (x1 - fold - o * 0.4, y0 + o),
                       (x1 - o, y0 + fold + o * 0.4), (x1 - o, y1 - o), (x0 + o, y1 - o)])
    c.fill(inner, c.gradient(PAPER, PAPER_SHADE, (x0, y0), (x1, y1)))
    for lx0, lx1, ly in lines:
        c.fill(c.rect(lx0, ly, lx1, ly + line_width), line_colour or mix(PAPER_EDGE, PAPER, 0.35))
    flap = c.polygon([(x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)])
    c.fill(flap, edge)
    flap_inner = c.polygon([(x1 - fold + o, y0 + o * 2.4), (x1 - o * 2.4, y0 + fold - o),
                            (x1 - fold + o, y0 + fold - o)])
    c.fill(flap_inner, PAPER_SHADE)
    return outer


def error_disc(c, cx, cy, r, cross=None, stroke=None, edge=True):
    """A red disc with a white cross: the mark of a program that crashed."""
    disc = c.ellipse(cx, cy, r)
    if edge:
        c.fill(disc, RED_DARK)
        c.fill(c.ellipse(cx, cy, r - max(0.75, r * 0.1)),
               c.gradient(RED_LIGHT, RED, (cx, cy - r), (cx, cy + r)))
    else:
        c.fill(disc, c.gradient(RED_LIGHT, RED, (cx, cy - r), (cx, cy + r)))
    a = (cross or r * 0.42)
    w = stroke or r * 0.3
    c.fill(c.line([(cx - a, cy - a), (cx + a, cy + a)], w, round_caps=False), WHITE)
    c.fill(c.line([(cx + a, cy - a), (cx - a, cy + a)], w, round_caps=False), WHITE)
    return disc
