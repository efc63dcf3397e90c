# Turns transparent RGBA art into the opaque pictures that masked bitmaps need: smooth inside the
# shapes, a hard edge towards the key colour that the program later treats as "see-through".
from PIL import Image


def over(image, background):
    """The RGBA image composited over a flat colour, as RGB."""
    base = Image.new("RGBA", image.size, (*background, 255))
    base.alpha_composite(image)
    return base.convert("RGB")


def keyed(image, key, fringe, threshold=110):
    """RGB picture in which pixels less covered than `threshold` (0..255) become `key` and the
    rest are blended over `fringe`, a light neutral close to the colours the art will sit on.
    No pixel is ever a blend with the key colour, so masking by that colour leaves no halo."""
    solid = over(image, fringe)
    alpha = image.getchannel("A").point(lambda a: 255 if a >= threshold else 0)
    out = Image.new("RGB", image.size, key)
    out.paste(solid, (0, 0), alpha)
    return out


def avoid(image, forbidden, replacement):
    """Replaces every pixel of one exact colour that the art must not use inside its shapes."""
    data = [replacement if p == forbidden else p for p in image.getdata()]
    out = Image.new("RGB", image.size)
    out.putdata(data)
    return out
