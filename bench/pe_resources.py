"""The resources of a PE file: (type, name, language) -> size of the data, read from the file's
resource directory."""

import struct
from pathlib import Path

RT_BITMAP = 2
_DIRECTORY_FLAG = 0x80000000


def _sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size
    sections = []
    for i in range(count):
        _name, vsize, rva, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        sections.append((rva, max(vsize, raw_size), raw))
    return resource_rva, sections


def _file_offset(sections, rva):
    for start, size, raw in sections:
        if start <= rva < start + size:
            return raw + rva - start
    raise ValueError(f"address {rva:#x} outside every section")


def resources(path):
    """{(type, name, language): size} of every resource of the PE file at `path`."""
    data = Path(path).read_bytes()
    resource_rva, sections = _sections(data)
    if resource_rva == 0:
        return {}
    base = _file_offset(sections, resource_rva)
    found = {}

    def walk(offset, key):
        named, numbered = struct.unpack_from("<12xHH", data, base + offset)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            if target & _DIRECTORY_FLAG:
                walk(target & ~_DIRECTORY_FLAG, key + (ident,))
            else:
                _rva, size = struct.unpack_from("<II", data, base + target)
                found[key + (ident,)] = size

    walk(0, ())
    return found


def picture_bytes(path):
    """Bytes of the file's bitmap resources."""
    return sum(size for (kind, *_), size in resources(path).items() if kind == RT_BITMAP)
