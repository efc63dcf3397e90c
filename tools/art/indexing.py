# Reduces RGB pictures to one shared palette of at most 256 colours, for the 8-bit formats.
from PIL import Image

BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def palettise(images, fixed, forbidden=()):
    """Returns (palette, [indices per image]).

    `fixed` maps palette indices to colours that must sit exactly there: a key colour, or black
    at 0 and white at 255 where Windows combines palette indices bitwise (image lists do when
    they cut out a mask). Pixels of a fixed colour map to its entry. The free entries hold the
    pictures' other colours, exactly when they fit, else a median-cut reduction; none of them
    equals a fixed colour or one of `forbidden`."""
    reserved = set(fixed.values())
    others, seen = [], set(reserved)
    for im in images:
        for p in im.getdata():
            if p not in seen:
                seen.add(p)
                others.append(p)
    slots = [i for i in range(256) if i not in fixed]
    if len(others) > len(slots):
        sample = Image.new("RGB", (len(others), 1))
        sample.putdata(others)
        reduced = sample.quantize(colors=len(slots), method=Image.Quantize.MEDIANCUT,
                                  dither=Image.Dither.NONE).getpalette()[:3 * len(slots)]
        others = sorted({tuple(reduced[i:i + 3]) for i in range(0, len(reduced), 3)})
    others = [_nudge(c, tuple(forbidden) + tuple(reserved)) for c in others]
    used = slots[:len(others)]
    palette = [BLACK] * (max(list(fixed) + used) + 1)
    for slot, colour in list(fixed.items()) + list(zip(used, others)):
        palette[slot] = colour
    index_of = {colour: slot for slot, colour in fixed.items()}

    def index(p):
        if p not in index_of:
            index_of[p] = min(used, key=lambda i: sum((a - b) ** 2
                                                      for a, b in zip(palette[i], p)))
        return index_of[p]

    return palette, [[index(p) for p in im.getdata()] for im in images]


def _nudge(colour, forbidden):
    while colour in forbidden:
        colour = (colour[0] + 1 if colour[0] < 255 else colour[0] - 1, *colour[1:])
    return colour
