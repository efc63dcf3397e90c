# Faces of the lookup push button (346 x 46): a globe under a magnifier and the invitation to
# look the selected error up online, in German and in English.
from PIL import ImageDraw

from canvas import Canvas, intersect, subtract, union
from glyphs import font
from motifs import magnifier
from palette import (AMBER_LIGHT, NAVY, NAVY_LIGHT, SANS_BOLD, SANS_CONDENSED_BOLD,
                     STEEL, STEEL_LIGHT, WHITE)

WIDTH, HEIGHT = 346, 46
TEXTS = {
    "de": "Online nach einer L\u00f6sung suchen",
    "en": "Search online for a solution",
}
# Outside the rounded border: the dialog's face colour.
FACE = (240, 240, 240)
BORDER = (122, 148, 186)
TEXT = (24, 44, 82)


def _globe(c, cx, cy, r):
    """A blue globe with a few meridians and parallels."""
    disc = c.ellipse(cx, cy, r)
    c.fill(disc, c.gradient(STEEL_LIGHT, STEEL, (cx - r, cy - r), (cx + r, cy + r)))
    w = max(1.0, r * 0.09)
    grid = union(
        subtract(c.ellipse(cx, cy, r * 0.5 + w / 2, r), c.ellipse(cx, cy, r * 0.5 - w / 2, r)),
        c.rect(cx - w / 2, cy - r, cx + w / 2, cy + r),
        c.rect(cx - r, cy - w / 2, cx + r, cy + w / 2),
        c.rect(cx - r, cy - r * 0.5 - w / 2, cx + r, cy - r * 0.5 + w / 2),
        c.rect(cx - r, cy + r * 0.5 - w / 2, cx + r, cy + r * 0.5 + w / 2))
    c.fill(intersect(grid, disc), (232, 242, 255), opacity=0.85)
    c.fill(c.ring(cx, cy, r, r - w), NAVY_LIGHT)


def _icon(c):
    _globe(c, 23, 20, 12.5)
    magnifier(c, 31, 28, 8, 2.4, 5.5, 3.6, glass=(WHITE, AMBER_LIGHT),
              rim_colours=(NAVY_LIGHT, NAVY))


def _body():
    c = Canvas(WIDTH, HEIGHT, scale=4)
    c.fill(c.rect(0, 0, WIDTH, HEIGHT), FACE)
    outline = c.rect(2, 2, WIDTH - 2, HEIGHT - 2, 7)
    c.fill(outline, BORDER)
    inner = c.rect(3, 3, WIDTH - 3, HEIGHT - 3, 6)
    c.fill(inner, c.gradient((255, 255, 255), (226, 234, 245), (0, 3), (0, HEIGHT - 3)))
    # A glossy upper half.
    c.fill(c.rect(4, 4, WIDTH - 4, HEIGHT / 2, 5), WHITE, opacity=0.55)
    _icon(c)
    return c.render()


def face(language):
    """The button face for "de" or "en", RGB."""
    image = _body().convert("RGB")
    draw = ImageDraw.Draw(image)
    text_font = font(SANS_CONDENSED_BOLD, 15)
    draw.text((54, HEIGHT / 2), TEXTS[language], fill=TEXT, font=text_font, anchor="lm")
    # A chevron at the right end says "this opens something".
    draw.text((WIDTH - 16, HEIGHT / 2), "\u203a", fill=STEEL, font=font(SANS_BOLD, 24),
              anchor="mm")
    return image
