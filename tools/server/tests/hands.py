"""Hands in short notation for the table's tests, and the paths they import from."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER_DIR = os.path.dirname(HERE)
sys.path.insert(0, SERVER_DIR)
sys.path.insert(0, os.path.join(SERVER_DIR, "..", "py"))


def tiles(text, used=None):
    """"123a 55b" -> tile ids, each copy of a face a different tile (a, b, c the three suits);
    `used` carries the copies already taken across several hands."""
    out, digits = [], ""
    used = {} if used is None else used
    for ch in text:
        if ch.isdigit():
            digits += ch
        elif ch in "abc":
            s = "abc".index(ch)
            for d in digits:
                k = used.get((s, d), 0)
                if k > 3:
                    raise ValueError("a fifth %s%s" % (d, ch))
                used[(s, d)] = k + 1
                out.append(s * 36 + int(d) - 1 + 9 * k)
            digits = ""
    return out


def tile(text, copy=3):
    s = "abc".index(text[-1])
    return s * 36 + int(text[0]) - 1 + 9 * copy
