# A silent, uncompressed 8-bit AVI clip, the one kind the Win32 animation control plays without
# a codec: RIFF 'AVI ' with the main header, one video stream, the frames and the index.
import struct

from bitmaps import dib8_pixels, info_header, palette_bytes

AVIF_HASINDEX = 0x10
AVIIF_KEYFRAME = 0x10
FRAME_CHUNK = b"00db"  # stream 0, uncompressed DIB


def _chunk(fourcc, body):
    pad = b"\0" if len(body) % 2 else b""
    return fourcc + struct.pack("<I", len(body)) + body + pad


def _list(kind, body):
    return _chunk(b"LIST", kind + body)


def clip(frames, palette, width, height, micro_seconds_per_frame):
    """`frames` are lists of palette indices, width x height each, top row first."""
    pixels = [dib8_pixels(f, width, height) for f in frames]
    frame_size = len(pixels[0])
    rate = 1_000_000
    avih = struct.pack(
        "<IIIIIIIIII16x",
        micro_seconds_per_frame,
        frame_size * rate // micro_seconds_per_frame,  # max bytes per second
        0,  # padding granularity
        AVIF_HASINDEX,
        len(frames),
        0,  # initial frames
        1,  # streams
        frame_size,  # suggested buffer size
        width,
        height)
    strh = struct.pack(
        "<4s4sIHHIIIIIIIIhhhh",
        b"vids",
        b"DIB ",
        0,  # flags
        0,  # priority
        0,  # language
        0,  # initial frames
        micro_seconds_per_frame,  # scale ...
        rate,  # ... and rate: frames per second = rate / scale
        0,  # start
        len(frames),  # length in frames
        frame_size,  # suggested buffer size
        0xFFFFFFFF,  # quality: default
        0,  # sample size: varies (one frame per chunk)
        0, 0, width, height)  # frame rectangle
    strf = info_header(width, height, 8, frame_size, len(palette)) + palette_bytes(palette)
    hdrl = _list(b"hdrl", _chunk(b"avih", avih)
                 + _list(b"strl", _chunk(b"strh", strh) + _chunk(b"strf", strf)))

    movi_body = b""
    index = b""
    for data in pixels:
        # Offsets in idx1 count from the 'movi' fourcc, as most readers expect.
        index += struct.pack("<4sIII", FRAME_CHUNK, AVIIF_KEYFRAME, 4 + len(movi_body),
                             len(data))
        movi_body += _chunk(FRAME_CHUNK, data)
    movi = _list(b"movi", movi_body)
    return _chunk(b"RIFF", b"AVI " + hdrl + movi + _chunk(b"idx1", index))
