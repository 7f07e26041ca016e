#!/usr/bin/python3
"""Independent reader and writer of pps pictures (stdlib only), used by the engine tests.

  pps_ref.py check PICTURE.pps RECORD     decode PICTURE and compare with RECORD; exit 0 when equal
  pps_ref.py encode RECORD METHOD OUT.pps write RECORD as a pps picture with METHOD (1, 3, 4, 5, 6)

RECORD is the plain layout the tests write: u16 width, u16 height, u16 frames, u32 flags,
u32 transparent, u16 anchor first, i16 anchor second, u16 delay count, u32 delays...,
u16 palette entries, R,G,B..., then the decoded pixels.
"""
import struct
import sys
import zlib


def read_record(path):
    b = open(path, 'rb').read()
    w, h, frames, flags, transparent, af, as_, nd = struct.unpack_from('<HHHIIHhH', b, 0)
    off = struct.calcsize('<HHHIIHhH')
    delays = list(struct.unpack_from('<%dI' % nd, b, off))
    off += 4 * nd
    (npal,) = struct.unpack_from('<H', b, off)
    off += 2
    palette = b[off:off + 3 * npal]
    off += 3 * npal
    return dict(w=w, h=h, frames=frames, flags=flags, transparent=transparent, anchor=(af, as_),
                delays=delays, palette=palette, pixels=b[off:])


def rle_decode(data, unit, out_size):
    out = bytearray()
    i = 0
    while i < len(data):
        c = data[i]
        i += 1
        n, kind = c >> 2, c & 3
        if kind >= 2:
            n |= data[i] << 6
            i += 1
        if kind in (0, 2):
            out += data[i:i + unit] * n
            i += unit
        else:
            out += data[i:i + unit * n]
            i += unit * n
    if len(out) != out_size:
        raise ValueError('run code gives %d bytes, want %d' % (len(out), out_size))
    return bytes(out)


def decode(b):
    if b[:3] != b'pps':
        raise ValueError('magic')
    method = b[3]
    flags, frames, w, h, _, transparent, pixel_size, _, npal, _ = struct.unpack_from('<IHHHHIIIHH', b, 4)
    off = 32
    palette = b''
    if flags & 0x2:
        palette = b[off:off + 32]
        off += 32
    elif flags & 0x4:
        palette = b[off:off + 3 * npal]
        off += 3 * npal
    paletted = bool(flags & 0x4)
    n = w * h
    pixels = bytearray()
    delays = []
    prev = None
    for _ in range(frames):
        fflags, delay, csize, asize, dsize = struct.unpack_from('<5I', b, off)
        off += 20
        cdata, adata = b[off:off + csize], b[off + csize:off + csize + asize]
        off += csize + asize
        if method == 1:
            frame = bytearray((cdata + adata)[:dsize])
        else:
            unit = 1 if paletted else 3
            if method == 5 or (method == 6 and fflags & 0x20):
                colour = zlib.decompress(cdata)
            else:
                colour = rle_decode(cdata, unit, n * unit)
            alpha = None
            if fflags & 0x4:
                alpha = rle_decode(adata, 1, n) if method == 3 else zlib.decompress(adata)
            frame = bytearray()
            for i in range(n):
                if paletted:
                    frame.append(colour[i])
                    if alpha is not None:
                        frame.append(alpha[i])
                else:
                    frame += colour[3 * i:3 * i + 3]
                    frame.append(alpha[i] if alpha is not None else 255)
        if fflags & 0x40 and prev is not None:
            frame = bytearray(x ^ y for x, y in zip(frame, prev))
        if len(frame) != dsize:
            raise ValueError('frame size')
        pixels += frame
        prev = frame
        if flags & 0x10:
            delays.append(delay)
    anchor = (0, 0)
    if flags & 0x20:
        second, first = struct.unpack_from('<hH', b, off)
        anchor = (first, second)
    if len(pixels) != pixel_size:
        raise ValueError('pixel size')
    return dict(w=w, h=h, frames=frames, flags=flags, transparent=transparent, anchor=anchor,
                delays=delays, palette=palette, pixels=bytes(pixels))


def rle_encode(data, unit):
    """Runs of three or more units, everything else as literals of at most 40 units."""
    out = bytearray()
    units = [data[i:i + unit] for i in range(0, len(data), unit)]

    def put(count, kind):
        if count < 64:
            out.append(count << 2 | kind)
        else:
            out.append((count & 63) << 2 | (kind + 2))
            out.append(count >> 6)

    i = 0
    while i < len(units):
        run = 1
        while i + run < len(units) and run < 16383 and units[i + run] == units[i]:
            run += 1
        if run >= 3:
            put(run, 0)
            out += units[i]
            i += run
            continue
        lit = 0
        while i + lit < len(units) and lit < 40:
            if i + lit + 2 < len(units) and units[i + lit] == units[i + lit + 1] == units[i + lit + 2]:
                break
            lit += 1
        put(lit, 1)
        out += b''.join(units[i:i + lit])
        i += lit
    return bytes(out)


def encode(rec, method):
    w, h, frames, flags = rec['w'], rec['h'], rec['frames'], rec['flags'] & 0x3F
    paletted = bool(flags & 0x4)
    has_alpha = bool(flags & 0x8) if paletted else True
    bpp = (2 if has_alpha else 1) if paletted else 4
    n = w * h
    fsize = n * bpp
    if frames > 1:
        flags |= 0x10
    npal = len(rec['palette']) // 3 if paletted else 0
    body = bytearray()
    if flags & 0x4:
        body += rec['palette']
    px = rec['pixels']
    for f in range(frames):
        frame = px[f * fsize:(f + 1) * fsize]
        fflags = (0x1 if paletted else 0) | (0x4 if has_alpha else 0)
        if f % 2 == 1:  # every second frame as a delta, whatever its size
            prevf = px[(f - 1) * fsize:f * fsize]
            frame = bytes(x ^ y for x, y in zip(frame, prevf))
            fflags |= 0x40
        if method == 1:
            cdata, adata = frame, b''
        else:
            if paletted:
                colour = frame[0::bpp]
                alpha = frame[1::2] if has_alpha else None
            else:
                colour = b''.join(frame[4 * i:4 * i + 3] for i in range(n))
                alpha = frame[3::4]
            unit = 1 if paletted else 3
            if method == 5 or (method == 6 and f % 3 == 0):
                cdata = zlib.compress(colour, 9)
                if method == 6:
                    fflags |= 0x20
            else:
                cdata = rle_encode(colour, unit)
                if method == 6:
                    fflags |= 0x10
            adata = b''
            if alpha is not None:
                adata = rle_encode(alpha, 1) if method == 3 else zlib.compress(alpha, 1)
        delay = rec['delays'][f] if frames > 1 else 0
        body += struct.pack('<5I', fflags, delay, len(cdata), len(adata), fsize) + cdata + adata
    if flags & 0x20:
        body += struct.pack('<hH', rec['anchor'][1], rec['anchor'][0])
    head = b'pps' + struct.pack('<BIHHHHIIIHH', method, flags, frames, w, h, 0, rec['transparent'],
                                fsize * frames, 32 + len(body), npal, 0)
    return head + bytes(body)


def main():
    if sys.argv[1] == 'check':
        got = decode(open(sys.argv[2], 'rb').read())
        want = read_record(sys.argv[3])
        for key in ('w', 'h', 'frames', 'transparent', 'delays', 'pixels'):
            if got[key] != want[key]:
                print('differs:', key, file=sys.stderr)
                return 1
        if (got['flags'] & 0x2D) != (want['flags'] & 0x2D):
            print('differs: flags', got['flags'], want['flags'], file=sys.stderr)
            return 1
        if want['flags'] & 0x4 and got['palette'] != want['palette']:
            print('differs: palette', file=sys.stderr)
            return 1
        if want['flags'] & 0x20 and got['anchor'] != want['anchor']:
            print('differs: anchor', got['anchor'], want['anchor'], file=sys.stderr)
            return 1
        return 0
    if sys.argv[1] == 'encode':
        rec = read_record(sys.argv[2])
        open(sys.argv[4], 'wb').write(encode(rec, int(sys.argv[3])))
        return 0
    return 2


if __name__ == '__main__':
    sys.exit(main())
