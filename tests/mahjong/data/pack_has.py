#!/usr/bin/python3
"""Checks with the independent pack reader that a pack holds every named resource.

  pack_has.py PACK.xyr NAMES.txt    NAMES.txt: one "name kind" per line (UTF-8), kind imge|sound

Prints each missing name and exits 1 when any is missing; prints the entry count otherwise.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'engine', 'data'))
import xyr_ref  # noqa: E402


def main(pack_path, names_path):
    data = open(pack_path, 'rb').read()
    entries, dirs = struct.unpack_from('<II', data, 100)
    keys = set()
    for i in range(entries):
        h1, h2, h3, off, size, _ = struct.unpack_from('<6I', data, 176 + 32 * i)
        assert off + size <= len(data), 'entry %d runs past the end' % i
        keys.add((h1, h2, h3))
    missing = []
    for line in open(names_path, encoding='utf-8'):
        if not line.strip():
            continue
        name, kind = line.rsplit(' ', 1)
        key = name.encode('gbk') + b'.' + kind.strip().encode()
        if (xyr_ref.rs(key), xyr_ref.js(key), xyr_ref.t31(key)) not in keys:
            missing.append(name)
    for name in missing:
        print('missing:', name)
    print('entries:', entries)
    return 1 if missing else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2]))
