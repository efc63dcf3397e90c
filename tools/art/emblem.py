# The program's icon: a magnifier that has found an amber warning sign, at every size Windows
# asks for. Small sizes get bolder proportions so that the sign still reads at 16 pixels.
from canvas import Canvas
from motifs import magnifier, warning_triangle
from palette import INK

ICON_SIZES = (16, 24, 32, 48, 64, 256)

# Proportions in units of the icon's size; small icons need thicker strokes and a bigger sign.
_LARGE = dict(cx=0.42, cy=0.42, r=0.35, rim=0.085, handle=0.36, handle_w=0.15,
              tri_w=0.46, tri_h=0.40, tri_top=0.205, corner=0.035, edge=0.012, mark=0.058)
_SMALL = dict(cx=0.43, cy=0.43, r=0.40, rim=0.11, handle=0.36, handle_w=0.20,
              tri_w=0.56, tri_h=0.48, tri_top=0.16, corner=0.04, edge=0.0, mark=0.09)


def _proportions(size):
    return _SMALL if size <= 24 else _LARGE


def emblem(size):
    """The icon at one size, as an RGBA image."""
    p = _proportions(size)
    c = Canvas(size, size, scale=max(4, 1024 // size))
    u = float(size)
    cx, cy = p["cx"] * u, p["cy"] * u

    def sign(c, clip):
        tri_w, tri_h = p["tri_w"] * u, p["tri_h"] * u
        warning_triangle(c, cx, p["tri_top"] * u, tri_w, tri_h, p["corner"] * u, mark=INK,
                         mark_width=p["mark"] * u, edge=p["edge"] * u)

    magnifier(c, cx, cy, p["r"] * u, p["rim"] * u, p["handle"] * u, p["handle_w"] * u,
              inside=sign)
    return c.render()


def emblems():
    return [emblem(s) for s in ICON_SIZES]
