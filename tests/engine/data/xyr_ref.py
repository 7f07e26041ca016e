#!/usr/bin/python3
"""Independent writer and lister of resource packs (.xyr), stdlib only.

  xyr_ref.py write OUT.xyr FILE...   pack the files under their own names
  xyr_ref.py list PACK.xyr           print "h1 h2 h3 offset size type sha256" per entry and
                                     check that every entry lies inside the file
"""
import hashlib
import os
import struct
import sys

KINDS = {'.imge': '.pps .bmp .png .gif .jpg .jpeg .ico .tga .tif .mng .pcx .wbmp .wmf',
         '.sound': '.mp3 .wav .mid .ogg .sound', '.text': '.txt .doc', '.ini': '.ini .xyi',
         '.vedio': '.avi .rm .rmvb .mpeg', '.script': '.xys .lua', '.flash': '.swf .flv',
         '.http': '.htm .html .asp .aspx .jsp .php .cgi'}


def signed(c):
    return c - 256 if c > 127 else c


def rs(b):
    h, a = 0, 63689
    for c in b:
        h = (h * a + signed(c)) & 0xFFFFFFFF
        a = (a * 378551) & 0xFFFFFFFF
    return h & 0x7FFFFFFF


def js(b):
    h = 1315423911
    for c in b:
        h = (h ^ ((h << 5) + (h >> 2) + signed(c))) & 0xFFFFFFFF
    return h & 0x7FFFFFFF


def t31(b):
    h = 0
    for c in b:
        h = (h * 31 + c) & 0xFFFFFFFF
    return h


def key_name(filename):
    base = os.path.basename(filename)
    stem, dot, ext = base.rpartition('.')
    if not dot:
        return base.encode('gbk'), b''
    ext = '.' + ext.lower()
    kind = next((k for k, v in KINDS.items() if ext in v.split()), ext)
    return (stem + kind).encode('gbk'), ext.encode()


def write(out, files):
    blobs = [open(f, 'rb').read() for f in files]
    offset = 176 + 32 * len(files)
    head = bytes(100) + struct.pack('<II', len(files), len(files)) + bytes(68)
    directory = b''
    for f, blob in zip(files, blobs):
        name, ext = key_name(f)
        directory += struct.pack('<6I8x', rs(name), js(name), t31(name), offset, len(blob), rs(ext))
        offset += len(blob)
    open(out, 'wb').write(head + directory + b''.join(blobs))


def listing(path):
    b = open(path, 'rb').read()
    entries, dirs = struct.unpack_from('<II', b, 100)
    assert entries <= dirs and 176 + 32 * dirs <= len(b)
    for i in range(entries):
        h1, h2, h3, off, size, typ = struct.unpack_from('<6I', b, 176 + 32 * i)
        assert off + size <= len(b)
        print(h1, h2, h3, off, size, typ, hashlib.sha256(b[off:off + size]).hexdigest())


if __name__ == '__main__':
    if sys.argv[1] == 'write':
        write(sys.argv[2], sys.argv[3:])
    else:
        listing(sys.argv[2])
