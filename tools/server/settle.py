"""The settlement at the end of a hand: 查花猪 and 查大叫, as lists of payments in base units.
Wins and gangs pay as they happen (the table); 退税 is not applied."""

# Reasons of the settlement entries and score changes.
HU_DISCARD, HU_SELF, HU_ROBBED = 1, 2, 3
GUA_FENG_DISCARD, GUA_FENG_ADDED, XIA_YU = 4, 5, 6
CHA_HUA_ZHU, CHA_DA_JIAO = 7, 8


def flower_pig_transfers(pigs, cap, chairs=4):
    """A chair still holding its missing suit pays every other chair that does not, base x
    2^(cap - 1); one (paying chair, [(from, to, units)]) per paying chair."""
    out = []
    for p in pigs:
        transfers = [(p, o, 1 << (cap - 1)) for o in range(chairs) if o != p and o not in pigs]
        if transfers:
            out.append((p, transfers))
    return out


def not_ready_transfers(ready_fans, cap):
    """ready_fans: chair -> its best fan when ready (0 when not), for the chairs that are not
    flower pigs. A chair that is not ready pays every ready chair base x that chair's multiple."""
    out = []
    ready = {c: f for c, f in ready_fans.items() if f > 0}
    for p in sorted(c for c, f in ready_fans.items() if f <= 0):
        transfers = [(p, o, 1 << (min(f, cap) - 1)) for o, f in sorted(ready.items())]
        if transfers:
            out.append((p, transfers))
    return out
