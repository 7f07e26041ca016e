"""The robots' choices: which three tiles to pass on, which suit to go without, which tile to
throw. Claims need no choice: a robot always wins when it can, else gangs and pengs whenever
the table offers it."""
from fans import rank_of, suit_of


def suit_counts(hand):
    n = [0, 0, 0]
    for t in hand:
        n[suit_of(t)] += 1
    return n


def exchange_choice(hand):
    """The three highest tiles of the shortest suit that holds at least three (ties to the
    lowest suit)."""
    n = suit_counts(hand)
    suit = min((s for s in range(3) if n[s] >= 3), key=lambda s: (n[s], s))
    tiles = sorted((t for t in hand if suit_of(t) == suit), key=lambda t: (rank_of(t), t), reverse=True)
    return sorted(tiles[:3])


def missing_choice(hand):
    """The suit with the fewest tiles (ties to the lowest suit)."""
    n = suit_counts(hand)
    return min(range(3), key=lambda s: (n[s], s))


def _keep_score(hand, tile):
    """How much of the hand's shape the tile holds together: pairs and near runs it is part of."""
    s, r = suit_of(tile), rank_of(tile)
    faces = [rank_of(t) for t in hand if t != tile and suit_of(t) == s]
    same = faces.count(r)
    near = sum(1 for f in faces if abs(f - r) == 1)
    gap = sum(1 for f in faces if abs(f - r) == 2)
    return 4 * same + 2 * near + gap


def throw_choice(hand, missing):
    """Missing-suit tiles first, then isolated tiles, then the tile whose loss breaks the fewest
    pairs and runs (ties to the outer ranks, then the highest id)."""
    lost = [t for t in hand if suit_of(t) == missing]
    pool = lost or hand
    return min(pool, key=lambda t: (_keep_score(hand, t), -abs(rank_of(t) - 5), -t))
