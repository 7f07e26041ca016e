"""Reference encoder and decoder of the game channel's byte layouts, written from the layout
tables alone (greeting, message, packager stages, pieces, frames). Tests use it to check the
C++ codec in both directions; the loopback test peers, the game-server stand-in and the hall
stand-in build on it: the one Python codec beside the one C++ codec.

Standard library, zlib and python3-cryptography only.
"""
import socket
import struct
import time
import zlib

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

GREETING_TEXT = b"Hello! Game Channel.\x00"
FLAG_AES = 0x100
FLAG_ZLIB = 0x400
MAX_PIECE = 4000
HEADER_WORDS = 13  # the 52-byte chunk header
TYPE_PUSH = 1
TYPE_REPLY = 2


class WireError(Exception):
    """A layout rule was broken; the message says which."""


SO_TIMESTAMPNS = getattr(socket, "SO_TIMESTAMPNS", 35)  # Linux; the module may not name it


def kernel_to_monotonic():
    """The offset that turns a kernel receive stamp (CLOCK_REALTIME) into time.monotonic(),
    sampled between two monotonic reads."""
    before = time.monotonic()
    real = time.time()
    return real - (before + time.monotonic()) / 2


class SocketReader:
    """Exact reads from a stream socket; EOFError when the peer has closed.

    With stamped=True `at` is when the kernel received the first byte of the last exact() read
    (time.monotonic() seconds), not when this reader got round to it: a busy reader does not
    count as the peer's latency. TCP stamps a read with its last segment, so a read stays within
    one segment's bytes as far as it can."""

    def __init__(self, sock, stamped=False):
        self.sock = sock
        self.buf = b""
        self.stamped = stamped
        self.at = None
        self.stamps = []  # (end of the chunk in buf, its arrival)
        if stamped:
            sock.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)

    def _read(self):
        if not self.stamped:
            return self.sock.recv(65536)
        chunk, ancillary, _, _ = self.sock.recvmsg(65536, socket.CMSG_SPACE(16))
        at = time.monotonic()
        for level, kind, data in ancillary:
            if level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS and len(data) >= 16:
                sec, nsec = struct.unpack_from("@qq", data)
                at = min(at, sec + nsec / 1e9 - kernel_to_monotonic())
        if chunk:
            self.stamps.append((len(self.buf) + len(chunk), at))
        return chunk

    def exact(self, n):
        while len(self.buf) < n:
            chunk = self._read()
            if not chunk:
                raise EOFError
            self.buf += chunk
        out, self.buf = self.buf[:n], self.buf[n:]
        if self.stamped:
            self.at = self.stamps[0][1] if n else self.at
            self.stamps = [(end - n, at) for end, at in self.stamps if end > n]
        return out


def greeting(text=GREETING_TEXT):
    return struct.pack("<I", len(text)) + text


# --- messages ---------------------------------------------------------------------------

def message(msg_id, data):
    """[24-byte head, word 1 = id][u32 length][data]."""
    return struct.pack("<6I", 0, msg_id, 0, 0, 0, 0) + struct.pack("<I", len(data)) + data


def parse_message(raw):
    if len(raw) < 28:
        raise WireError("message shorter than its head")
    msg_id = struct.unpack_from("<I", raw, 4)[0]
    (length,) = struct.unpack_from("<i", raw, 24)
    if length < 0 or 28 + length > len(raw):
        raise WireError("data length %d with %d bytes present" % (length, len(raw) - 28))
    return msg_id, raw[28:28 + length]


# --- ciphers ----------------------------------------------------------------------------

def aes_encrypt_padded(key, data):
    """AES-ECB of data plus 1..16 zero bytes (a whole zero block when data is block aligned)."""
    padded = data + b"\x00" * (16 - len(data) % 16)
    enc = Cipher(algorithms.AES(key[:16] if len(key) not in (16, 24, 32) else key), modes.ECB()).encryptor()
    return enc.update(padded) + enc.finalize()


def aes_decrypt(key, data):
    if len(data) % 16:
        raise WireError("cipher text is not whole blocks")
    dec = Cipher(algorithms.AES(key[:16] if len(key) not in (16, 24, 32) else key), modes.ECB()).decryptor()
    return dec.update(data) + dec.finalize()


def zlib_sync_stream(data):
    """Default-level zlib stream, a sync flush after every 32 KiB of input, never finished."""
    c = zlib.compressobj(-1)
    out = b""
    for i in range(0, len(data), 32768):
        out += c.compress(data[i:i + 32768]) + c.flush(zlib.Z_SYNC_FLUSH)
    return out


# --- packager stages --------------------------------------------------------------------

def stage(flags, input_length, payload):
    return struct.pack("<5I", flags, input_length, 0, 0, len(payload)) + payload


def pack(raw_message, key=None, encrypt=0, compress=0):
    """Body = encryption stage(compression stage(message)); both headers always present."""
    if compress & FLAG_ZLIB and raw_message:
        inner = stage(compress, len(raw_message), zlib_sync_stream(raw_message))
    else:
        inner = stage(0, len(raw_message), raw_message)
    if encrypt:
        if not encrypt & FLAG_AES:
            raise WireError("encrypt flags without the AES bit")
        return stage(encrypt, len(inner), aes_encrypt_padded(key, inner))
    return stage(0, len(inner), inner)


def _take_stage(buf):
    if len(buf) < 20:
        raise WireError("stage shorter than its header")
    flags, n, _, _, payload_len = struct.unpack_from("<5I", buf, 0)
    return flags, n, payload_len, buf[20:]


def unpack(body, key=None, max_output=16 << 20):
    flags, n, c, rest = _take_stage(body)
    if flags:
        if len(rest) != c or n > c:
            raise WireError("encryption stage lengths disagree")
        if not flags & FLAG_AES:
            raise WireError("unknown encryption flags %#x" % flags)
        rest = aes_decrypt(key, rest)[:n]
    flags, n, c, rest = _take_stage(rest)
    if flags:
        if len(rest) != c or not flags & FLAG_ZLIB:
            raise WireError("compression stage malformed")
        d = zlib.decompressobj()
        rest = d.decompress(rest, max_output)
        if not rest:
            raise WireError("empty decompression")
    return rest


def parse_settings(text):
    """"keyhex:encrypt:compress" with "-" for no key, flags in decimal or 0x hex."""
    key, enc, comp = text.split(":")
    return (None if key == "-" else bytes.fromhex(key)), int(enc, 0), int(comp, 0)


def pack_record(raw_message, key, encrypt, compress):
    return pack(raw_message, key, encrypt, compress)


def unpack_record(body, key, encrypt, compress):
    return unpack(body, key)


# --- pieces -----------------------------------------------------------------------------

def split(body, max_piece=MAX_PIECE):
    return [body[i:i + max_piece] for i in range(0, len(body), max_piece)]


def pieces_bytes(pieces):
    return b"".join(struct.pack("<I", len(p)) + p for p in pieces)


def join(raw, max_piece=MAX_PIECE):
    out, pos = b"", 0
    while len(raw) - pos >= 5:
        (n,) = struct.unpack_from("<i", raw, pos)
        if n < 1 or n > max_piece or pos + 4 + n > len(raw):
            raise WireError("bad piece length %d" % n)
        out += raw[pos + 4:pos + 4 + n]
        pos += 4 + n
    return out


# --- frames -----------------------------------------------------------------------------

FIELDS = ("type", "serial", "crc_flag", "crc", "zero1", "zero2", "msg_id", "index", "last",
          "zero3", "needs_reply", "zero4", "zero5")


def crc_of(frame):
    """CRC-32 over the whole frame with the flag and CRC words zeroed."""
    return zlib.crc32(frame[:12] + b"\x00" * 8 + frame[20:])


def frame(piece, serial, msg_id, index, last, needs_reply=0, ftype=TYPE_PUSH, with_crc=True):
    words = [ftype, serial, 0, 0, 0, 0, msg_id, index, 1 if last else 0, 0, needs_reply, 0, 0]
    raw = bytearray(struct.pack("<I", len(piece) + 56) + struct.pack("<13I", *words)
                    + struct.pack("<I", len(piece)) + piece)
    if with_crc:
        struct.pack_into("<II", raw, 12, 1, crc_of(bytes(raw)))
    return bytes(raw)


def message_frames(body, msg_id, first_serial, needs_reply=0, ftype=TYPE_PUSH, max_piece=MAX_PIECE,
                   with_crc=True):
    parts = split(body, max_piece)
    return [frame(p, first_serial + i, msg_id, i + 1, i == len(parts) - 1, needs_reply, ftype, with_crc)
            for i, p in enumerate(parts)]


def parse_frame(raw, max_piece=MAX_PIECE):
    """Checks one whole frame ([u32 L][L bytes]); returns None for a 28-byte frame (to be
    dropped) or a dict of the header fields and the piece."""
    if len(raw) < 4:
        raise WireError("no length word")
    (length,) = struct.unpack_from("<I", raw, 0)
    if length != len(raw) - 4:
        raise WireError("length word %d for %d bytes" % (length, len(raw) - 4))
    if length != 24 and not 57 <= length <= max_piece + 56:
        raise WireError("frame length %d out of range" % length)
    flag, crc = struct.unpack_from("<II", raw, 12)
    if flag and crc != crc_of(raw):
        raise WireError("CRC mismatch")
    if length == 24:
        return None
    fields = dict(zip(FIELDS, struct.unpack_from("<13I", raw, 4)))
    (p,) = struct.unpack_from("<I", raw, 56)
    if p != length - 56:
        raise WireError("piece length %d in a frame of %d" % (p, length))
    fields["piece"] = raw[60:60 + p]
    return fields


def cut_stream(buf, max_piece=MAX_PIECE):
    """Splits received bytes into whole frames; returns (frames, rest)."""
    frames, pos = [], 0
    while len(buf) - pos >= 4:
        (length,) = struct.unpack_from("<I", buf, pos)
        if length != 24 and not 57 <= length <= max_piece + 56:
            raise WireError("frame length %d out of range" % length)
        if len(buf) - pos < length + 4:
            break
        frames.append(buf[pos:pos + 4 + length])
        pos += 4 + length
    return frames, buf[pos:]
