#!/usr/bin/python3
"""Draws the program's pictures and writes them into src/app/res.

    tools/art/make_art.py                  write the files
    tools/art/make_art.py --check          exit 1 when a committed file differs from a fresh run
                                           (77 when Pillow is missing, so a test can skip)
    tools/art/make_art.py --preview F.png  also write a contact sheet of everything to F.png

Needs Debian's python3-pil and fonts-dejavu-core. The output is the same, byte for byte, on
every run: nothing random, no time stamps, our own file writers.
"""
import argparse
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
RESOURCES = os.path.normpath(os.path.join(HERE, "..", "..", "src", "app", "res"))
SKIP = 77


def build():
    """Every output file as {name: bytes}."""
    import avi
    import bitmaps
    import emblem
    import lookup_button
    import row_icons
    import scan_animation
    import toolbar_icons
    from indexing import BLACK, WHITE, palettise
    from palette import FACE_GREY, LIGHT_GREY, MAGENTA, SHADOW_GREY

    # Both strips are palettised: an 8-bit image list takes over the colour table of the first
    # 8-bit bitmap added to it, so the icons keep their exact colours there. Black and white sit
    # where the system palette has them, because the list cuts masks out with bitwise
    # operations on palette indices.
    rows = row_icons.strip()
    rows_palette, (rows_indices,) = palettise([rows], {0: BLACK, 1: MAGENTA, 255: WHITE})

    strip = toolbar_icons.strip()
    toolbar_palette, (toolbar_indices,) = palettise(
        [strip], {0: BLACK, 1: FACE_GREY, 255: WHITE}, forbidden=(SHADOW_GREY, LIGHT_GREY))
    toolbar = bitmaps.bmp8(toolbar_indices, toolbar_palette, *strip.size)

    frames = scan_animation.frames()
    clip_palette, clip_indices = palettise(frames, {0: scan_animation.KEY})
    clip = avi.clip(clip_indices, clip_palette, scan_animation.WIDTH, scan_animation.HEIGHT,
                    scan_animation.MICRO_SECONDS_PER_FRAME)

    return {
        "veltrano.ico": bitmaps.ico(emblem.emblems()),
        "rows.bmp": bitmaps.bmp8(rows_indices, rows_palette, *rows.size),
        # The same icons with their alpha, for the HTML report (a CSS sprite).
        "rows.png": bitmaps.png(row_icons.transparent_strip()),
        "toolbar.bmp": toolbar,
        "toolbar136.bmp": toolbar,
        "lookup_de.bmp": bitmaps.bmp24(lookup_button.face("de")),
        "lookup_en.bmp": bitmaps.bmp24(lookup_button.face("en")),
        "scanning.avi": clip,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--preview", metavar="PNG")
    parser.add_argument("--out", default=RESOURCES)
    args = parser.parse_args()
    if importlib.util.find_spec("PIL") is None:
        print("make_art: Pillow is missing (Debian package python3-pil)", file=sys.stderr)
        return SKIP
    files = build()
    if args.check:
        stale = []
        for name, data in sorted(files.items()):
            path = os.path.join(args.out, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(name)
        for name in stale:
            print(f"make_art: {name} differs from what the generator draws now", file=sys.stderr)
        return 1 if stale else 0
    os.makedirs(args.out, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
    if args.preview:
        import preview

        preview.contact_sheet(args.out, args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
