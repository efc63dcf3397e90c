# Text drawn at its real pixel size, where the font's hinting snaps stems to whole pixels, and
# handed to a supersampled canvas as a mask; small digits stay sharp this way.
from PIL import Image, ImageDraw, ImageFont


def font(path, size):
    return ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)


def text_mask(c, x, y, text, font_path, size, anchor="mm"):
    """A canvas-sized mask of `text` placed at target pixel (x, y) by `anchor`."""
    small = Image.new("L", (c.width, c.height), 0)
    ImageDraw.Draw(small).text((x, y), text, fill=255, font=font(font_path, size), anchor=anchor)
    return small.resize(c.size, Image.NEAREST)
