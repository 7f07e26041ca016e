"""Tiles in short notation, for scripted walls and the table's tests: "123a 55b" is 1, 2 and 3
of suit a and two 5s of suit b (a, b, c the suits 万 条 筒). Each copy of a face is a different
tile id (suit * 36 + copy * 9 + rank - 1); `used` carries the copies already taken across
several texts, so that no tile is dealt twice."""


def tiles(text, used=None):
    out, digits = [], ""
    used = {} if used is None else used
    for ch in text:
        if ch.isdigit():
            digits += ch
        elif ch in "abc":
            s = "abc".index(ch)
            for d in digits:
                if d == "0":
                    raise ValueError("no rank 0 in %r" % text)
                k = used.get((s, d), 0)
                if k > 3:
                    raise ValueError("a fifth %s%s" % (d, ch))
                used[(s, d)] = k + 1
                out.append(s * 36 + int(d) - 1 + 9 * k)
            digits = ""
        elif not ch.isspace():
            raise ValueError("%r in %r" % (ch, text))
    if digits:
        raise ValueError("ranks without a suit at the end of %r" % text)
    return out


def tile(text, copy=3):
    s = "abc".index(text[-1])
    return s * 36 + int(text[0]) - 1 + 9 * copy
