#!/usr/bin/env python3
"""Check a picture's header:  check_pictures.py FILE WIDTH HEIGHT BPP

FILE is a BMP (must be BITMAPINFOHEADER, bottom-up, uncompressed, complete)
or an .ico (its first image is checked; HEIGHT is the icon height, i.e. half
of the stored biHeight, which also counts the AND mask).
Exits 0 when everything matches, otherwise prints the reason and exits 1.
"""

import struct
import sys


def problems(path, want_w, want_h, want_bpp):
    data = open(path, "rb").read()
    if data[:2] == b"BM":
        if len(data) < 54:
            return ["file too short for a BMP header"]
        size, offset = struct.unpack_from("<I", data, 2)[0], struct.unpack_from("<I", data, 10)[0]
        info_at, height_div = 14, 1
        if size != len(data):
            return ["file size field %d but file has %d bytes" % (size, len(data))]
    elif data[:4] == b"\0\0\1\0":
        count = struct.unpack_from("<H", data, 4)[0]
        if count < 1 or len(data) < 22:
            return ["icon directory holds no image"]
        bw, bh, _, _, _, bits, nbytes, info_at = struct.unpack_from("<BBBBHHII", data, 6)
        if info_at + nbytes > len(data):
            return ["icon image runs past the end of the file"]
        offset, height_div = None, 2
        if (bw or 256, bh or 256, bits) != (want_w, want_h, want_bpp):
            return ["icon directory says %dx%d %d bpp" % (bw or 256, bh or 256, bits)]
    else:
        return ["neither a BMP nor an ICO file"]

    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, info_at)
    out = []
    if hsize != 40:
        out.append("header is %d bytes, not a 40-byte BITMAPINFOHEADER" % hsize)
    if h <= 0:
        out.append("height %d: not a bottom-up bitmap" % h)
    if comp != 0:
        out.append("compression %d, expected uncompressed" % comp)
    if planes != 1:
        out.append("%d planes" % planes)
    if (w, h // height_div, bpp) != (want_w, want_h, want_bpp):
        out.append("is %dx%d %d bpp, expected %dx%d %d bpp"
                   % (w, h // height_div, bpp, want_w, want_h, want_bpp))
    if offset is not None and not out:
        stride = (w * bpp + 31) // 32 * 4
        colours = struct.unpack_from("<I", data, info_at + 32)[0] or (1 << bpp if bpp <= 8 else 0)
        if offset < 54 + 4 * colours or offset + stride * h > len(data):
            out.append("pixel data missing or truncated")
    return out


def main(argv):
    if len(argv) != 5:
        print(__doc__.strip().splitlines()[0])
        return 2
    try:
        found = problems(argv[1], int(argv[2]), int(argv[3]), int(argv[4]))
    except (OSError, struct.error, ValueError) as e:
        found = [str(e)]
    for p in found:
        print("%s: %s" % (argv[1], p))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
