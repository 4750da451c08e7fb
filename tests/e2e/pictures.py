"""Pictures as plain RGB pixels: screenshots (binary PPM from ImageMagick) and classic BMP files."""

import struct


class Image:
    """Pixels in rows, top row first, 3 bytes (r, g, b) each."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError(f"{len(rgb)} bytes for a {width} x {height} picture")
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def get(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"({x}, {y}) outside a {self.width} x {self.height} picture")
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at:at + 3])

    def crop(self, x, y, width, height):
        if x < 0 or y < 0 or x + width > self.width or y + height > self.height:
            raise IndexError(f"crop {width} x {height} at ({x}, {y}) outside a {self.width} x {self.height} picture")
        rows = (self.rgb[((y + row) * self.width + x) * 3:((y + row) * self.width + x + width) * 3]
                for row in range(height))
        return Image(width, height, b"".join(rows))

    def to_ppm(self):
        return b"P6\n%d %d\n255\n" % (self.width, self.height) + self.rgb


def read_ppm(data):
    """A binary PPM (P6, maxval 255), as `import ... ppm:-` writes it."""
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or maxval != 255:
        raise ValueError(f"not an 8-bit binary PPM: {magic!r}, maxval {maxval}")
    start = at + 1
    return Image(width, height, data[start:start + width * height * 3])


def read_bmp(path):
    """A classic uncompressed BMP of 24 or 32 bits, or 8 bits with a palette; bottom-up or top-down."""
    with open(path, "rb") as handle:
        data = handle.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if compression not in (0, 3) or bits not in (8, 24, 32):
        raise ValueError(f"{path}: {bits}-bit BMP with compression {compression} is not read here")
    palette = []
    if bits == 8:
        colours = struct.unpack_from("<I", data, 46)[0] or 256
        at = 14 + header_size
        palette = [bytes((data[at + 4 * i + 2], data[at + 4 * i + 1], data[at + 4 * i])) for i in range(colours)]
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for row in range(abs(height)):
        source_row = abs(height) - 1 - row if height > 0 else row
        line = data[offset + source_row * stride:offset + source_row * stride + width * bits // 8]
        if bits == 8:
            rows.append(b"".join(palette[i] for i in line))
        else:
            step = bits // 8
            out = bytearray(width * 3)
            out[0::3] = line[2::step]
            out[1::3] = line[1::step]
            out[2::3] = line[0::step]
            rows.append(bytes(out))
    return Image(width, abs(height), b"".join(rows))


def differences(seen, expected, points, tolerance=0, offset=(0, 0)):
    """The points (x, y) of `expected` whose colour differs by more than `tolerance` in a channel from
    `seen` at (x + offset x, y + offset y): a list of (x, y, seen colour, expected colour)."""
    dx, dy = offset
    found = []
    for x, y in points:
        colour, wanted = seen.get(x + dx, y + dy), expected.get(x, y)
        if max(abs(a - b) for a, b in zip(colour, wanted)) > tolerance:
            found.append((x, y, colour, wanted))
    return found


def find_part(seen, part, x, y, slack):
    """Where `part` appears exactly in `seen` with its top-left corner within `slack` pixels of (x, y):
    the (x, y) found, or None."""
    every = [(px, py) for py in range(part.height) for px in range(part.width)]
    for dy in range(-slack, slack + 1):
        for dx in range(-slack, slack + 1):
            left, top = x + dx, y + dy
            if left < 0 or top < 0 or left + part.width > seen.width or top + part.height > seen.height:
                continue
            if not differences(seen, part, every, offset=(left, top)):
                return left, top
    return None
