# make_midi.py OUTDIR: standard MIDI files built from event lists, each with NAME.expect
# listing what a reader must find: "head FORMAT TRACKS DIVISION", the merged events as
# "TICK STATUS DATA1 DATA2 TEMPO" (tempo changes have status 255), and "error TRACK TEXT".
import os, struct, sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

def vlq(n):
    b = [n & 0x7F]
    n >>= 7
    while n:
        b.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(b))

def track(events, running=False, end=True):
    """events: (delta, bytes). With running=True a repeated status byte is left out."""
    body, last = b"", None
    for delta, data in events:
        if running and data[0] < 0xF0 and data[0] == last:
            data = data[1:]
        elif data[0] < 0xF0:
            last = data[0]
        body += vlq(delta) + data
    if end:
        body += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body

def write(name, fmt, division, tracks, expect, header_len=6, ntracks=None):
    head = b"MThd" + struct.pack(">I", header_len) + struct.pack(">HHH", fmt, len(tracks) if ntracks is None else ntracks, division)
    if header_len > 6:
        head += b"\0" * (header_len - 6)
    with open(os.path.join(out, name + ".mid"), "wb") as f:
        f.write(head + b"".join(tracks))
    with open(os.path.join(out, name + ".expect"), "w") as f:
        for line in expect:
            f.write(line + "\n")

def tempo(t):
    return b"\xff\x51\x03" + t.to_bytes(3, "big")

def ev(tick, status, d1=0, d2=0, t=0):
    return "%d %d %d %d %d" % (tick, status, d1, d2, t)

# One track, 480 ticks per quarter note, 120 bpm: a one-beat middle C on a piano.
write("simple", 0, 480,
      [track([(0, tempo(500000)), (0, b"\xc0\x00"), (0, b"\x90\x3c\x64"), (480, b"\x80\x3c\x00")])],
      ["head 0 1 480", ev(0, 255, t=500000), ev(0, 0xC0), ev(0, 0x90, 60, 100), ev(480, 0x80, 60, 0)])

# Three tracks: a tempo map, notes in running status with a sysex, a text and a volume
# controller between them, and a track of length 0. Ties keep track order.
t0 = track([(0, tempo(600000)), (960, tempo(300000))])
t1 = track([(0, b"\xf0\x03\x43\x12\xf7"), (0, b"\x91\x40\x50"), (240, b"\x91\x40\x00"), (0, b"\xff\x01\x02hi"),
            (720, b"\xb1\x07\x40"), (0, b"\x91\x43\x50"), (960, b"\xe1\x00\x40")], running=True)
t2 = b"MTrk\x00\x00\x00\x00"
write("multi", 1, 96 * 5, [t0, t1, t2],
      ["head 1 3 480", ev(0, 255, t=600000), ev(0, 0x91, 64, 80), ev(240, 0x91, 64, 0), ev(960, 255, t=300000),
       ev(960, 0xB1, 7, 64), ev(960, 0x91, 67, 80), ev(1920, 0xE1, 0, 64)])

# SMPTE time: 25 frames per second, 40 ticks per frame = 1000 ticks per second.
write("smpte", 0, ((256 - 25) << 8) | 40, [track([(0, b"\x90\x3c\x64"), (1000, b"\x80\x3c\x00")])],
      ["head 0 1 %d" % (((256 - 25) << 8) | 40), ev(0, 0x90, 60, 100), ev(1000, 0x80, 60, 0)])

# Refused: header length 7; a track without MTrk; fewer tracks than counted.
write("badheader", 0, 480, [track([(0, b"\x90\x3c\x64")])], ["refused"], header_len=7)
write("badtrack", 0, 480, [b"MTrX" + track([(0, b"\x90\x3c\x64")])[4:]], ["refused"])
write("missingtrack", 1, 480, [track([(0, b"\x90\x3c\x64")])], ["refused"], ntracks=2)

# Broken inside a track: the file plays up to the break, which every track respects.
write("norunning", 1, 480, [track([(0, b"\x90\x3c\x64"), (100, b"\x80\x3c\x00")]),
                            track([(50, b"\x3c\x64")], end=False)],
      ["head 1 2 480", ev(0, 0x90, 60, 100), "error 1 Reference to missing running status."])
write("sysexlength", 0, 480, [track([(0, b"\x90\x3c\x64"), (10, b"\xf0\x7f\x01\x02")], end=False)],
      ["head 0 1 480", ev(0, 0x90, 60, 100), "error 0 SysEx event truncated (length)"])
write("metacut", 0, 480, [track([(0, b"\x90\x3c\x64"), (10, b"\xff\x51")], end=False)],
      ["head 0 1 480", ev(0, 0x90, 60, 100), "error 0 Meta event truncated"])
write("metalength", 0, 480, [track([(0, b"\x90\x3c\x64"), (10, b"\xff\x01\x09abc")], end=False)],
      ["head 0 1 480", ev(0, 0x90, 60, 100), "error 0 Meta event truncated (length)"])
