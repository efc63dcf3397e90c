# Reduces RGB pictures to one shared palette of at most 256 colours, for the 8-bit formats.
from PIL import Image


def palettise(images, first, forbidden=()):
    """Returns (palette, [indices per image]). `first` is the colour of entry 0; only pixels of
    exactly that colour map to it. When the pictures hold no more than 256 colours the palette
    is exact; otherwise the remaining 255 entries come from a median-cut reduction. No entry
    other than 0 equals `first` or one of `forbidden`."""
    others = []
    seen = {first}
    for im in images:
        for p in im.getdata():
            if p not in seen:
                seen.add(p)
                others.append(p)
    if len(others) > 255:
        sample = Image.new("RGB", (len(others), 1))
        sample.putdata(others)
        reduced = sample.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                                  dither=Image.Dither.NONE).getpalette()[:3 * 255]
        others = sorted({tuple(reduced[i:i + 3]) for i in range(0, len(reduced), 3)})
    palette = [first] + [_nudge(c, forbidden + (first,)) for c in others]
    lookup = {}

    def index(p):
        if p == first:
            return 0
        if p not in lookup:
            lookup[p] = min(range(1, len(palette)),
                            key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], p)))
        return lookup[p]

    return palette, [[index(p) for p in im.getdata()] for im in images]


def _nudge(colour, forbidden):
    while colour in forbidden:
        colour = (colour[0] + 1 if colour[0] < 255 else colour[0] - 1, *colour[1:])
    return colour
