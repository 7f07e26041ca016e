"""The sound pack: short tones synthesised with the standard library, distinct per name.

Each name gets its own pitch and length from a checksum of the name; the voices get a pitch
per suit and rank so that a listener hears that something was said, not what."""
import io
import math
import struct
import wave
import zlib

RATE = 22050


def tone(freqs, ms, volume=0.4):
    """A mono 16-bit wave of the notes in freqs one after another, with a soft envelope."""
    frames = bytearray()
    per = max(1, int(RATE * ms / 1000 / len(freqs)))
    for f in freqs:
        for n in range(per):
            env = min(1.0, n / (RATE * 0.005), (per - n) / (RATE * 0.02))
            v = math.sin(2 * math.pi * f * n / RATE) + 0.3 * math.sin(4 * math.pi * f * n / RATE)
            frames += struct.pack('<h', int(32767 * volume * env * v / 1.3))
    out = io.BytesIO()
    with wave.open(out, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))
    return out.getvalue()


def _named(name):
    c = zlib.crc32(name.encode('utf-8'))
    base = 300 + c % 700
    return tone([base, base * (1.25 + (c >> 12) % 4 * 0.125)], 90 + (c >> 20) % 120)


EFFECTS = ['SndThrow', 'SndCatch', 'SndDice', 'SndDe', 'SndTanPai', 'SndHi', 'SndWin', 'SndAhoo',
           'Snd_GameStart', 'Snd_GameWin', 'Snd_msg', 'snd_dang', 'SndTouchButton', 'SndHitButton'] + \
          ['wave%d' % n for n in range(29010, 29016)]
CARD_INDEXES = [s * 10 + r for s in range(3) for r in range(1, 10)]
CALLS = ['peng1', 'gang1', 'gang2', 'hu1']


def draw(pack):
    for name in EFFECTS:
        pack.sound(name, _named(name))
    for voice, low in (('male1_', 110.0), ('female1_', 220.0)):
        for index in CARD_INDEXES:
            suit, rank = divmod(index, 10)
            pack.sound(voice + str(index), tone([low * (1 + suit * 0.5), low * (1 + suit * 0.5) * (1 + rank / 12)], 160))
        for k, call in enumerate(CALLS):
            pack.sound(voice + call, tone([low * 2.5 + 40 * k, low * 2 + 40 * k], 220))
