# Supersampled vector drawing on top of Pillow: shapes are coverage masks drawn at a multiple of
# the target size, painted with flat colours or linear gradients, then box-filtered down.
from PIL import Image, ImageChops, ImageDraw, ImageMath


def rgba(colour, alpha=255):
    """Accepts (r, g, b) or (r, g, b, a)."""
    return tuple(colour) if len(colour) == 4 else (*colour, alpha)


def mix(a, b, t):
    """Linear blend of two colours, t = 0 gives a, t = 1 gives b."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


class Canvas:
    """A transparent picture of width x height pixels, drawn at `scale` times that size.

    Coordinates are in target pixels (floats welcome): (0, 0) is the top-left corner of the
    top-left pixel, so an edge on a whole number lands on a pixel border and stays crisp.
    """

    def __init__(self, width, height, scale=16):
        self.width, self.height, self.scale = width, height, scale
        self.size = (width * scale, height * scale)
        self.image = Image.new("RGBA", self.size, (0, 0, 0, 0))

    # --- masks ---------------------------------------------------------------------------

    def _mask(self):
        mask = Image.new("L", self.size, 0)
        return mask, ImageDraw.Draw(mask)

    def _box(self, x0, y0, x1, y1):
        s = self.scale
        return [round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1]

    def ellipse(self, cx, cy, rx, ry=None):
        ry = rx if ry is None else ry
        mask, draw = self._mask()
        draw.ellipse(self._box(cx - rx, cy - ry, cx + rx, cy + ry), fill=255)
        return mask

    def rect(self, x0, y0, x1, y1, radius=0.0):
        mask, draw = self._mask()
        box = self._box(x0, y0, x1, y1)
        if radius > 0:
            draw.rounded_rectangle(box, radius=round(radius * self.scale), fill=255)
        else:
            draw.rectangle(box, fill=255)
        return mask

    def polygon(self, points):
        mask, draw = self._mask()
        draw.polygon([(x * self.scale, y * self.scale) for x, y in points], fill=255)
        return mask

    def line(self, points, width, round_caps=True):
        """A thick polyline with round joins (and round caps unless told otherwise)."""
        mask, draw = self._mask()
        s = self.scale
        scaled = [(x * s, y * s) for x, y in points]
        draw.line(scaled, fill=255, width=max(1, round(width * s)), joint="curve")
        if round_caps:
            r = width * s / 2
            for x, y in (scaled[0], scaled[-1]):
                draw.ellipse([x - r, y - r, x + r, y + r], fill=255)
        return mask

    def ring(self, cx, cy, r_outer, r_inner):
        return subtract(self.ellipse(cx, cy, r_outer), self.ellipse(cx, cy, r_inner))

    # --- paints --------------------------------------------------------------------------

    def ramp(self, p0, p1):
        """0 at p0 rising to 255 at p1, constant across the direction p0 -> p1."""
        (x0, y0), (x1, y1) = p0, p1
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1.0
        s = self.scale
        xs = Image.new("F", (self.size[0], 1))
        xs.putdata([(i + 0.5) / s for i in range(self.size[0])])
        ys = Image.new("F", (1, self.size[1]))
        ys.putdata([(j + 0.5) / s for j in range(self.size[1])])
        xs = xs.resize(self.size, Image.NEAREST)
        ys = ys.resize(self.size, Image.NEAREST)
        t = ImageMath.eval(
            "min(max(((x - x0) * dx + (y - y0) * dy) * k, 0.0), 1.0) * 255.0",
            x=xs, y=ys, x0=x0, y0=y0, dx=dx, dy=dy, k=1.0 / length2)
        return t.convert("L")

    def gradient(self, c0, c1, p0, p1):
        """An RGBA paint that runs from colour c0 at p0 to c1 at p1."""
        a = Image.new("RGBA", self.size, rgba(c0))
        b = Image.new("RGBA", self.size, rgba(c1))
        return Image.composite(b, a, self.ramp(p0, p1))

    def fill(self, mask, paint, opacity=1.0):
        """Paints `paint` (a colour or an RGBA image) through `mask` over what is there."""
        if isinstance(paint, Image.Image):
            layer = paint.copy()
        else:
            layer = Image.new("RGBA", self.size, rgba(paint))
        alpha = ImageChops.multiply(layer.getchannel("A"), mask)
        if opacity < 1.0:
            alpha = alpha.point(lambda v: round(v * opacity))
        layer.putalpha(alpha)
        self.image.alpha_composite(layer)

    def paste(self, other, dx=0.0, dy=0.0):
        """Composites another canvas of the same scale, offset in target pixels."""
        self.image.alpha_composite(other.image, (round(dx * self.scale), round(dy * self.scale)))

    # --- results -------------------------------------------------------------------------

    def render(self):
        """The picture at its target size, RGBA, with area-averaged (premultiplied) edges."""
        return self.image.resize((self.width, self.height), Image.BOX)


def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def intersect(a, b):
    return ImageChops.multiply(a, b)


def subtract(a, b):
    return ImageChops.subtract(a, b)

