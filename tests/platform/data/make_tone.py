# make_tone.py OUT.wav MILLISECONDS: 44.1 kHz stereo 16-bit 440 Hz sine at half scale.
import math, struct, sys, wave
out, ms = sys.argv[1], int(sys.argv[2])
frames = 44100 * ms // 1000
with wave.open(out, "wb") as w:
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(44100)
    data = bytearray()
    for i in range(frames):
        v = int(16383 * math.sin(2 * math.pi * 440 * i / 44100))
        data += struct.pack("<hh", v, v)
    w.writeframes(bytes(data))
