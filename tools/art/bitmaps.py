# Windows bitmap (.bmp) and icon (.ico) files and the small PNG encoder the 256-pixel icon
# needs, written byte by byte so that the output never depends on a library's defaults.
import struct
import zlib

BITMAPFILEHEADER_SIZE = 14
BITMAPINFOHEADER_SIZE = 40
BI_RGB = 0
PELS_PER_METRE_96DPI = 3780


def _row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def info_header(width, height, bits, image_size, colours_used=0):
    """BITMAPINFOHEADER for a bottom-up, uncompressed DIB."""
    return struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, width, height, 1, bits, BI_RGB,
                       image_size, PELS_PER_METRE_96DPI, PELS_PER_METRE_96DPI, colours_used,
                       colours_used)


def _file(info_and_palette, pixels):
    offset = BITMAPFILEHEADER_SIZE + len(info_and_palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info_and_palette + pixels


def dib24_pixels(image):
    """Bottom-up BGR rows padded to four bytes, from an RGB image."""
    width, height = image.size
    data = image.convert("RGB").tobytes()
    pad = b"\0" * (_row_stride(width, 24) - width * 3)
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray(data[y * width * 3:(y + 1) * width * 3])
        row[0::3], row[2::3] = row[2::3], row[0::3]
        rows.append(bytes(row) + pad)
    return b"".join(rows)


def dib8_pixels(indices, width, height):
    """Bottom-up rows of palette indices padded to four bytes."""
    pad = b"\0" * (_row_stride(width, 8) - width)
    return b"".join(bytes(indices[y * width:(y + 1) * width]) + pad
                    for y in range(height - 1, -1, -1))


def palette_bytes(palette):
    """RGBQUADs (blue, green, red, 0) for a list of (r, g, b)."""
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def bmp24(image):
    width, height = image.size
    pixels = dib24_pixels(image)
    return _file(info_header(width, height, 24, len(pixels)), pixels)


def bmp8(indices, palette, width, height):
    """An 8-bit palettised BMP; `palette` holds at most 256 (r, g, b) entries."""
    assert len(palette) <= 256
    pixels = dib8_pixels(indices, width, height)
    return _file(info_header(width, height, 8, len(pixels), len(palette))
                 + palette_bytes(palette), pixels)


def png(image):
    """A plain RGBA PNG (no filters beyond 'none', one IDAT) from an RGBA image."""
    width, height = image.size
    data = image.convert("RGBA").tobytes()
    raw = b"".join(b"\0" + data[y * width * 4:(y + 1) * width * 4] for y in range(height))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_image(image):
    """One icon image in the classic form: a 32-bit BGRA DIB of double height (colour rows,
    then the AND mask) as Windows has read it since XP."""
    width, height = image.size
    data = image.convert("RGBA").tobytes()
    colour_rows, mask_rows = [], []
    mask_stride = _row_stride(width, 1)
    for y in range(height - 1, -1, -1):
        row = bytearray()
        bits = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = data[(y * width + x) * 4:(y * width + x) * 4 + 4]
            row += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour_rows.append(bytes(row))
        mask_rows.append(bytes(bits))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    return info_header(width, height * 2, 32, len(pixels)) + pixels


def ico(images):
    """An .ico file from RGBA images; 256-pixel images are stored as PNG, as Vista expects."""
    bodies = [png(im) if im.size[0] >= 256 else icon_image(im) for im in images]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for im, body in zip(images, bodies):
        width, height = im.size
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                                 len(body), offset)
        offset += len(body)
    return directory + b"".join(bodies)
