"""Record layouts of the game protocol (docs/protocol.md), as the game-server stand-in checks
the client's requests and builds its replies and pushes.

A request layout is its size rule and its named fields; every byte that no field names must be
zero. Field kinds:
  head  the 16-byte request head: user id, room id, table number, chair (checked against the
        session)
  u32   a word of any value
  text  a GBK text ending in a zero within its field, zeros after it
  mid   the 32-character machine id
  any   bytes of any value
Each fixed layout also has a struct format whose calcsize is asserted against its size, so a
changed offset that the field list and the size disagree on fails at import.
"""
import struct

HEAD = 16


def _fields(*spec):
    return list(spec)


def H():
    return (0, 16, "head", "head")


def W(off, name):
    return (off, 4, "u32", name)


def T(off, size, name):
    return (off, size, "text", name)


def MID(off):
    return (off, 32, "mid", "machine id")


def ANY(off, size, name):
    return (off, size, "any", name)


HEAD_ONLY = _fields(H())

# id -> (name, size or a function of the data giving the expected size, fields)
REQUESTS = {
    200040: ("safe-box query", 76, _fields(W(0, "user"), W(4, "game"), MID(12))),
    200043: ("safe-box query 2", 76, _fields(W(0, "user"), W(4, "game"), MID(12))),
    200041: ("take deposit", 112, _fields(W(0, "user"), W(4, "game"), W(8, "room"), W(12, "table"), W(16, "chair"),
                                          W(20, "amount"), W(24, "extra"), MID(48), W(80, "silver"), W(84, "kind"))),
    200042: ("save deposit", 112, _fields(W(0, "user"), W(4, "game"), W(8, "room"), W(12, "table"), W(16, "chair"),
                                          W(20, "amount"), MID(48), W(80, "silver"), W(84, "kind"))),
    200110: ("enter", lambda d: 244 if len(d) == 244 else 108,
             _fields(W(0, "user"), W(4, "second word"), W(8, "game"), W(12, "room"), W(16, "table"), W(20, "chair"),
                     MID(24), W(56, "look-on"), W(72, "quick catch"), W(88, "app word"), ANY(108, 136, "brief"))),
    201001: ("version", 0, _fields()),
    201020: ("pulse", 16, _fields(W(0, "user"), W(4, "average"), W(8, "largest"))),
    201120: ("quit", 96, None),
    201125: ("leave", 96, _fields(W(0, "user"), W(4, "room"), W(8, "table"), W(12, "chair"), W(16, "other"),
                                  W(20, "table again"), W(24, "own chair"), W(28, "own user"), MID(32))),
    201130: ("is playing", 32, HEAD_ONLY),
    201140: ("table data", 32, HEAD_ONLY),
    201160: ("start", 32, HEAD_ONLY),
    201161: ("201161", 32, HEAD_ONLY),
    201162: ("notify failure", 56, _fields(W(0, "user"), W(4, "room"), W(8, "table"), W(12, "table again"),
                                           W(16, "look-on"), W(20, "id"), W(24, "sub-code"), W(28, "length"),
                                           W(32, "tick"), ANY(36, 16, "last notification"))),
    201165: ("start ex", 32, HEAD_ONLY),
    201180: ("201180", 36, _fields(H(), W(16, "value"))),
    201200: ("ahoo", 40, _fields(H(), W(16, "called"), W(20, "called chair"))),
    201210: ("chat", 128, _fields(H(), MID(16), T(48, 62, "chat"))),
    201211: ("chat ex", 128, None),
    201212: ("ask exit", 84, _fields(H(), T(20, 64, "reason"))),
    201213: ("reply ask exit", 40, _fields(H(), W(16, "asker"), W(20, "answer"))),
    201220: ("login", 176, _fields(W(0, "user"), W(4, "second word"), W(8, "game"), W(12, "replay"), W(16, "room"),
                                   W(20, "table"), W(24, "chair"), MID(28), W(60, "look-on"), W(64, "word"),
                                   W(68, "word"))),
    201221: ("201221", 32, _fields(W(0, "user"), W(4, "replay"), W(8, "room"), W(12, "word"))),
    201230: ("201230", 32, _fields(W(0, "room"), W(4, "user"), W(8, "value"))),
    201231: ("201231", 56, _fields(W(0, "user"), W(4, "game"), W(8, "room"))),
    201232: ("201232", 56, None),
    201300: ("change table", 32, HEAD_ONLY),
    201302: ("start new", 32, HEAD_ONLY),
    201303: ("reward", 192, _fields(W(0, "user"), W(4, "game"), W(8, "room"), W(12, "table"), W(16, "chair"),
                                    W(20, "value"), MID(28))),
    201308: ("features", 40, _fields(W(0, "user"), W(4, "field 2"))),
    214000: ("allowance", 104, _fields(H(), T(16, 36, "name"), W(52, "value"), W(56, "kind"))),
    214001: ("allowance ex", 136, _fields(H(), T(16, 36, "name"), W(52, "value"), W(56, "kind"), MID(72))),
    214010: ("allowance config", 320, _fields(H(), W(20, "value"))),
    214102: ("214102", 428, _fields(H(), T(28, 32, "name"), MID(60))),
    214104: ("214104", 428, None),
    214110: ("214110", 380, _fields(H(), T(16, 36, "name"), W(52, "value"))),
    229560: ("229560", 40, _fields(H(), W(16, "first"), W(20, "second"))),
    # The table's requests.
    222080: ("throw", lambda d: 104 + 4 * max(0, min(32, _word(d, 100))),
             _fields(H(), W(100, "count"), ANY(104, 128, "tiles"))),
    229000: ("draw", 96, HEAD_ONLY),
    229218: ("pass", 40, _fields(H(), W(16, "tile"), W(20, "thrower"))),
    229060: ("flower", 44, _fields(H(), W(16, "flower"))),
    229080: ("hu", 48, _fields(H(), W(16, "source"), W(20, "tile"), W(24, "kind"))),
    229510: ("game message", lambda d: 20 + max(0, _word(d, 16)),
             _fields(W(0, "room"), W(4, "user"), W(8, "sub-code"), W(16, "length"), ANY(20, 1 << 20, "data"))),
    229550: ("ask kan pai", 32, HEAD_ONLY),
    229310: ("exchange", 32, _fields(H(), W(16, "tile"), W(20, "tile"), W(24, "tile"))),
    229350: ("missing suit", 32, _fields(H(), W(16, "suit"))),
}
_CLAIM = _fields(H(), W(16, "discarder"), W(20, "tile"), W(24, "tile"), W(28, "tile"), W(32, "tile"), W(36, "kind"))
for _id, _name in ((229010, "peng"), (229214, "peng tiles"), (229020, "chi"), (229030, "chi tiles"),
                   (229015, "gang"), (229215, "gang on a discard"), (229216, "added gang"),
                   (229217, "concealed gang")):
    REQUESTS[_id] = (_name, 64, _CLAIM)
# Records that share another's layout.
for _id, _same in ((201120, 201125), (201211, 201210), (201232, 201231), (214104, 214102)):
    REQUESTS[_id] = (REQUESTS[_id][0], REQUESTS[_same][1], REQUESTS[_same][2])

# Send-only ids: the stand-in never answers them (a stray reply breaks the connection).
SEND_ONLY = {201020, 201120, 201160, 201161, 201162, 201180, 201200, 201210, 201211, 201212, 201213, 201221,
             201230, 201231, 201232, 214102, 214104, 214110, 229560, 229550, 229218, 229010, 229020}


def _word(data, off):
    return struct.unpack_from("<i", data, off)[0] if len(data) >= off + 4 else 0


def _format(size, fields):
    """A struct format for the layout: the named fields in offset order, pads between."""
    fmt, pos = "<", 0
    for off, n, kind, _ in sorted(fields, key=lambda f: f[0]):
        if off >= size:
            continue
        n = min(n, size - off)
        if off > pos:
            fmt += "%dx" % (off - pos)
        fmt += "4I" if kind == "head" else ("I" if kind == "u32" else "%ds" % n)
        pos = off + n
    if size > pos:
        fmt += "%dx" % (size - pos)
    return fmt


for _id, (_name, _size, _fields_) in REQUESTS.items():
    if isinstance(_size, int):
        assert struct.calcsize(_format(_size, _fields_)) == _size, (_id, _name)


def check_request(req_id, data, session=None):
    """Problems of one request's bytes against its layout; an empty list when it is sound."""
    if req_id not in REQUESTS:
        return []
    name, size, fields = REQUESTS[req_id]
    want = size(data) if callable(size) else size
    problems = []
    if len(data) != want:
        return ["%d %s: %d bytes, expected %d" % (req_id, name, len(data), want)]
    covered = bytearray(len(data))
    for off, n, kind, fname in fields:
        if off >= len(data):
            continue
        n = min(n, len(data) - off)
        field = data[off:off + n]
        covered[off:off + n] = b"\x01" * n
        if kind == "head" and session is not None:
            got = struct.unpack_from("<4i", data, 0)
            exp = session.head()
            if got != exp:
                problems.append("%d %s: head %s, expected %s" % (req_id, name, got, exp))
        elif kind == "text":
            zero = field.find(b"\x00")
            if zero < 0:
                problems.append("%d %s: %s has no terminating zero" % (req_id, name, fname))
            else:
                if any(field[zero:]):
                    problems.append("%d %s: bytes after the end of %s" % (req_id, name, fname))
                try:
                    field[:zero].decode("gbk")
                except UnicodeDecodeError:
                    problems.append("%d %s: %s is not whole GBK characters" % (req_id, name, fname))
    for i, b in enumerate(data):
        if b and not covered[i]:
            problems.append("%d %s: unnamed byte +%d is %d" % (req_id, name, i, b))
            break
    return problems


# --- records the stand-in sends ------------------------------------------------------------

VERSION_REPLY = struct.Struct("<2i")            # 201001: major, minor
FEATURE_REPLY_SIZE = 1104                       # 201308: all zero (no hall features)
BLOCK_A = struct.Struct("<5i36xi196x")           # 210200
assert BLOCK_A.size == 256
BLOCK_B_SIZE = 5428                             # 210210, 210220, 201140
DEAL_START_SIZE = 740
TABLE_RECORD_SIZE = 4624
PLAY_STATE = struct.Struct("<7i4i4ii")          # block B +5364
assert PLAY_STATE.size == BLOCK_B_SIZE - DEAL_START_SIZE - TABLE_RECORD_SIZE
USER_BRIEF_SIZE = 136
READY_PUSH = struct.Struct("<4i")               # 201160: uid, room, table, chair
AHOO_PUSH = struct.Struct("<6i")                # 201200
ASK_EXIT_ANSWER = struct.Struct("<6i")          # 201213: answering uid, room, table, chair, asker, agreed
EXIT_AGREED = struct.Struct("<2i20xii")         # 211010: uid, chair, +28 table, +32 agreed
assert EXIT_AGREED.size == 36
CHAT_SIZE = 128
ASK_EXIT_SIZE = 84


def block_a(table, own_chair, running=0, deal=0, auto_leave=0):
    """Block A: +0 table, +4 chairs, +8 own chair, +12 hand running, +16 deal, +56 auto-leave."""
    return BLOCK_A.pack(table, 4, own_chair, running, deal, auto_leave)
