"""The fan count of this table: whether a hand wins, its best split and its sixteen fan counters.

Tiles are ids 0-107 (suit = id / 36, rank = id % 9 + 1); the count works on card indexes
(suit * 10 + rank) and keeps to the client calculator's rules, so that both sides show the same
fans: a search over every split of the concealed hand (pungs, one pair, runs; no fours) keeping
the first split with the highest total, seven pairs tried before it and kept on a tie.

Counters: 0 basic hand, 1 seven pairs, 2 seven pairs with a four, 3 all pungs, 4 one suit,
5 a 1 or 9 in every set, 6 all pungs of 2/5/8, 7 fours, 8 win on a gang's replacement,
9 win on a discard made after a gang, 10 robbing a gang, 11 heavenly hand, 12 earthly hand,
13 gangs, 14 golden hook, 15 self-drawn last tile. A self-drawn win not on the last tile adds 1
to the total without a counter."""

FAN_VALUES = (1, 2, 4, 1, 2, 2, 3, 1, 1, 1, 1, 5, 5, 1, 1, 2)
MAX_FAN = 20
WALL_SIZE = 108

# Win flags: how the tile comes.
ON_DISCARD, SELF_DRAWN, ROBBED = 1, 2, 4
SEVEN_PAIRS_ALLOWED = 16

# Unit types of a split.
CHOW, PUNG, PAIR, FOUR = 1, 2, 4, 8

# Kind-word marks.
K_SEVEN_PAIRS = 16
K_HEAVENLY, K_EARTHLY = 0x100, 0x200
K_ALL_PUNGS, K_ONE_SUIT = 0x1000, 0x2000
K_GANG_FLOWER, K_GANG_CANNON, K_LAST_TILE = 0x100000, 0x200000, 0x400000


def suit_of(tile):
    return tile // 36


def rank_of(tile):
    return tile % 9 + 1


def card_index(tile):
    return suit_of(tile) * 10 + rank_of(tile)


def lay_of(tiles):
    lay = [0] * 30
    for t in tiles:
        lay[card_index(t)] += 1
    return lay


class Melds:
    """A chair's exposed and concealed melds, each a list of tile ids: pungs, gangs on a discard,
    concealed gangs and added gangs."""

    def __init__(self, pungs=(), discard_gangs=(), concealed_gangs=(), added_gangs=()):
        self.pungs = [list(m) for m in pungs]
        self.discard_gangs = [list(m) for m in discard_gangs]
        self.concealed_gangs = [list(m) for m in concealed_gangs]
        self.added_gangs = [list(m) for m in added_gangs]

    def gangs(self):
        return self.discard_gangs + self.concealed_gangs + self.added_gangs

    def all(self):
        return self.pungs + self.gangs()

    def count(self):
        return len(self.all())


class Situation:
    """What besides the hand decides a win's fans."""

    def __init__(self, chair=0, missing=-1, win_flags=ON_DISCARD, tiles_left=55, after_gang_discard=False,
                 gang_replacement=False, heavenly_rule=False, banker=0, draws=(0, 0, 0, 0),
                 throws=(0, 0, 0, 0), others_melded=False):
        self.chair = chair
        self.missing = missing
        self.win_flags = win_flags
        self.tiles_left = tiles_left
        self.after_gang_discard = after_gang_discard
        self.gang_replacement = gang_replacement
        self.heavenly_rule = heavenly_rule
        self.banker = banker
        self.draws = list(draws)
        self.throws = list(throws)
        self.others_melded = others_melded


class Count:
    def __init__(self, total, kind, counters, units):
        self.total = total
        self.kind = kind
        self.counters = counters
        self.units = units

    def __repr__(self):
        return "Count(total=%d, kind=%#x, counters=%s)" % (self.total, self.kind, self.counters)


def _source_kind(sit):
    if sit.win_flags & SELF_DRAWN:
        return K_LAST_TILE if sit.tiles_left <= 0 else SELF_DRAWN
    return ROBBED if sit.win_flags & ROBBED else ON_DISCARD


def _meld_units(melds):
    return [(PUNG, (card_index(m[0]),) * 3) for m in melds.concealed_gangs + melds.discard_gangs + melds.added_gangs] \
        + [(PUNG, (card_index(m[0]),) * 3) for m in melds.pungs]


def _holds_missing(lay, missing):
    return 0 <= missing <= 2 and any(lay[missing * 10 + r] for r in range(1, 10))


def count_split(units, lay, tile, melds, sit, kind):
    """The fan total and counters of one winning split (units of card indexes); lay is the
    concealed hand as held (the drawn tile included, a discard not)."""
    if _holds_missing(lay, sit.missing):
        return None
    t = FAN_VALUES
    c = [0] * 16
    total, found = t[0], False
    c[0] += t[0]
    if sit.heavenly_rule:
        if sit.chair == sit.banker and not any(sit.throws) and not sit.others_melded and melds.count() == 0:
            kind |= K_HEAVENLY
            c[11] += t[11]
            total += t[11]
            found = True
        if sit.chair != sit.banker and melds.count() == 0 and (
                (sit.draws[sit.chair] == 0 and kind & ON_DISCARD) or (sit.draws[sit.chair] == 1 and kind & SELF_DRAWN)):
            kind |= K_EARTHLY
            c[12] += t[12]
            total += t[12]
            found = True
    with_melds = units + _meld_units(melds)
    fours = sum(1 for u in units[:8] if u[0] == FOUR)
    if kind & K_SEVEN_PAIRS:
        k = 1 if fours < 1 else 2
        c[k] += t[k]
        total += t[k]
        found = True
    elif all(u[0] in (PUNG, PAIR, FOUR) for u in units) and sum(1 for u in units if u[0] == PAIR) <= 1:
        kind |= K_ALL_PUNGS
        if all(u[0] != CHOW and u[1][0] <= 30 and u[1][0] % 10 in (2, 5, 8) for u in with_melds[:8]):
            c[6] += t[6]
            total += t[6]
        else:
            c[3] += t[3]
            total += t[3]
        found = True
    if _yao_jiu(with_melds):
        c[5] += t[5]
        total += t[5]
        found = True
    suits = set(v // 10 for u in units for v in u[1] if v > 0) | set(suit_of(m[0]) for m in melds.all())
    if len(suits) == 1 and min(suits) <= 2:
        kind |= K_ONE_SUIT
        c[4] += t[4]
        total += t[4]
        found = True
    if melds.gangs() and sit.gang_replacement and not kind & ROBBED:
        kind |= K_GANG_FLOWER
        c[8] += t[8]
        total += t[8]
        found = True
    if sit.after_gang_discard and sit.win_flags & ON_DISCARD:
        kind |= K_GANG_CANNON
        c[9] += t[9]
        total += t[9]
        found = True
    if len(melds.pungs) + len(melds.discard_gangs) + len(melds.concealed_gangs) >= 4:
        c[14] += t[14]
        total += t[14]
        found = True
    if sit.win_flags & ROBBED:
        kind |= ROBBED
        c[10] += t[10]
        total += t[10]
        found = True
    if sit.win_flags & SELF_DRAWN:
        if sit.tiles_left <= 0:
            kind |= K_LAST_TILE
            c[15] += t[15]
            total += t[15]
            found = True
        else:
            kind |= SELF_DRAWN
            total += t[0]
    full = list(lay)
    for m in melds.pungs:
        for x in m:
            full[card_index(x)] += 1
    if not sit.win_flags & SELF_DRAWN:
        full[card_index(tile)] += 1
    gen = sum(1 for n in full if n >= 4)
    g = t[7] * (gen - 1 if c[2] else gen)
    c[7] += g
    k = t[13] * len(melds.gangs())
    c[13] += k
    total += g + k
    if found:
        c[0] -= t[0]
    return Count(min(max(total, 0), MAX_FAN), kind, c, units)


def _yao_jiu(units):
    for typ, vals in units[:8]:
        if typ == CHOW:
            if not (vals[0] <= 30 and any(v % 10 in (1, 9) for v in vals if v > 0)):
                return False
        elif typ in (PUNG, PAIR):
            if vals[0] % 10 not in (1, 9):
                return False
        else:
            return False
    return True


def _splits(lay, pair_taken, units, out):
    """Every split of the lay into pungs, runs and one pair, in the search's order."""
    i = next((j for j in range(1, 30) if lay[j]), 0)
    if not i:
        if pair_taken:
            out.append(list(units))
        return
    if lay[i] >= 3:
        lay[i] -= 3
        _splits(lay, pair_taken, units + [(PUNG, (i, i, i))], out)
        lay[i] += 3
    if not pair_taken and lay[i] >= 2:
        lay[i] -= 2
        _splits(lay, True, units + [(PAIR, (i, i))], out)
        lay[i] += 2
    if i % 10 <= 7 and lay[i + 1] and lay[i + 2]:
        for j in (i, i + 1, i + 2):
            lay[j] -= 1
        _splits(lay, pair_taken, units + [(CHOW, (i, i + 1, i + 2))], out)
        for j in (i, i + 1, i + 2):
            lay[j] += 1


def seven_pairs_units(lay):
    if sum(lay) != 14 or any(n % 2 for n in lay):
        return None
    return [(FOUR if n == 4 else PAIR, (i,) * n) for i, n in enumerate(lay) if n]


def best_count(hand, tile, melds, sit):
    """The best count of the hand winning on tile, or None when it does not win. hand is the
    concealed hand as held: with the tile when self-drawn, without it otherwise."""
    lay = lay_of(hand)
    whole = list(lay)
    if not sit.win_flags & SELF_DRAWN:
        whole[card_index(tile)] += 1
    source = _source_kind(sit)
    best = None
    sp = seven_pairs_units(whole)
    if sp is not None:
        r = count_split(sp, lay, tile, melds, sit, K_SEVEN_PAIRS | source)
        if r is not None and r.total > 0:
            best = r
    splits = []
    _splits(list(whole), False, [], splits)
    top = None
    for units in splits:
        r = count_split(units, lay, tile, melds, sit, source)
        if r is not None and (top is None or r.total > top.total):
            top = r
            if r.total >= MAX_FAN:
                break
    if top is not None and top.total > 0 and (best is None or top.total > best.total):
        best = top
    return best


def wins(hand, tile, melds, sit):
    return best_count(hand, tile, melds, sit) is not None


def waits(hand, melds, missing):
    """The tile faces (one id per face) a 13-equivalent concealed hand wins on, as a discard."""
    out = []
    for s in range(3):
        if s == missing:
            continue
        for r in range(9):
            t = s * 36 + r
            if best_count(hand, t, melds, Situation(missing=missing)) is not None:
                out.append(t)
    return out


def best_ready_fan(hand, melds, missing):
    """The highest fan total over every winning face (as a discard); 0 when not ready."""
    best = 0
    for t in waits(hand, melds, missing):
        best = max(best, best_count(hand, t, melds, Situation(missing=missing)).total)
    return best


def multiple(total, cap):
    t = min(total, cap)
    return 1 << (t - 1) if t > 0 else 0
