"""The table's rules on hands set up in-process: claims, wins, gangs, the end of a hand, block B."""
import struct
import unittest

from hands import tiles
import fans  # noqa: E402
import offline  # noqa: E402
import settle  # noqa: E402
import table as table_module  # noqa: E402
import table_base as T  # noqa: E402
from xlwire import xueliu as X  # noqa: E402

class Rules(unittest.TestCase):
    """Hands set up in-process; nobody acts on its own (a very long think delay)."""

    def setUp(self):
        self.server = offline.OfflineServer()
        self.t = table_module.Table(self.server, think_ms=10 ** 9, seed=3, autoplay_human=True)
        self.t.lock.acquire()
        self.addCleanup(self.t.lock.release)
        if True:
            self.t.robots_ready()
            for c in range(4):
                self.t.auto_exchange(c)
            for c in range(4):
                self.t.auto_missing(c)
        self.assertEqual(self.t.phase, T.PLAY)

    def set_hands(self, hands, missing=(2, 2, 2, 2), used=None):
        used = {} if used is None else used
        for c, h in enumerate(hands):
            self.t.seats[c].hand = tiles(h, used)
            self.t.seats[c].missing = missing[c]
        # Tiles the hands hold are taken out of the rest of the wall.
        held = {x for s in self.t.seats for x in s.hand}
        rest = [x for x in range(108) if x not in held]
        self.t.wall[self.t.low:] = rest[:108 - self.t.low]

    def test_two_winners_on_one_discard_then_the_chair_after_the_farthest(self):
        t = self.t
        self.set_hands(["123a 456a 789b 234b 55b", "123a 456a 789b 11a 34b", "999a 123b 456b 789b 5b",
                        "666c 777c 888c 22c 46b"], missing=(2, 2, 2, 0))
        t.turn, t.must_throw = 0, True
        thrown = t.seats[0].hand[-1]
        self.assertEqual(t.throw(0, thrown), T.SUCCESS)
        w = t.window
        self.assertEqual(sorted(w["options"]), [1, 2, 3])
        self.assertTrue(all(w["options"][c] & T.F_HU for c in (1, 2, 3)))
        before = list(t.silver)
        t.auto_claim(3)
        t.auto_claim(1)
        t.answer(2, "pass")
        self.assertEqual([len(s.wins) for s in t.seats], [0, 1, 0, 1])
        self.assertTrue(t.seats[1].locked and t.seats[3].locked)
        # Chair 0 paid both; play order from 0 is 3, 2, 1: chair 1 is the farthest winner.
        self.assertEqual(sum(t.silver) - sum(before), 0)
        self.assertLess(t.silver[0], before[0])
        self.assertEqual(t.turn, 0)
        self.assertNotIn(thrown, t.seats[0].discards)

    def test_hu_beats_peng_and_a_missing_suit_blocks_claims(self):
        t = self.t
        self.set_hands(["123a 789b 234b 567b 9b 5a", "46a 123b 456b 789b 11c", "55a 123c 456c 789c 11b",
                        "123a 789a 234b 88a 46a"], missing=(2, 0, 2, 2))
        t.turn, t.must_throw = 0, True
        five = t.seats[0].hand[-1]
        self.assertEqual(t.throw(0, five), T.SUCCESS)
        w = t.window
        # Chair 1 goes without suit 0: it may neither win on nor peng a tile of it.
        self.assertNotIn(1, w["options"])
        self.assertEqual(w["options"][2], T.F_PENG)
        self.assertEqual(w["options"][3], T.F_HU)
        t.answer(2, "peng")
        self.assertIsNotNone(t.window)
        t.auto_claim(3)
        self.assertEqual(len(t.seats[2].melds.pungs), 0)
        self.assertEqual(len(t.seats[3].wins), 1)
        # The next to draw is the chair after the winner.
        self.assertEqual(t.turn, 2)

    def test_no_peng_or_gang_on_the_missing_suit_nor_a_peng_by_a_locked_hand(self):
        t = self.t
        self.set_hands(["123b 456b 789b 23b 5a 7a", "555a 123b 456b 78b 99c", "77a 123c 456c 789c 13a",
                        "123c 456c 789c 22c 44b"], missing=(2, 0, 1, 1))
        t.seats[2].locked = True
        five, seven = t.seats[0].hand[-2:]
        self.assertEqual(t.claim_flags(1, 0, five), 0)
        self.assertEqual(t.claim_flags(2, 0, seven), 0)
        # The same hands may claim once the suit is kept and the hand not locked.
        t.seats[1].missing = 2
        self.assertEqual(t.claim_flags(1, 0, five), T.F_PENG | T.F_GANG)
        t.seats[2].locked = False
        self.assertEqual(t.claim_flags(2, 0, seven), T.F_PENG)

    def test_locked_hand_throws_its_drawn_tile_and_a_robbed_added_gang(self):
        t = self.t
        used = {}
        self.set_hands(["123b 456b 789b 234b 5b", "11b 234b 567b 89b", "99a 11a 123a 456a 78a",
                        "123a 456a 789a 22c 45c"], missing=(2, 0, 2, 1), used=used)
        t.seats[1].locked = True
        t.seats[1].melds.pungs.append(tiles("666c", used))
        t.seats[1].peng_from.append(0)
        drawn = tiles("6c", used)[0]
        t.seats[1].hand.append(drawn)
        t.seats[1].drawn, t.turn, t.must_throw = drawn, 1, True
        self.assertEqual(t.throw(1, t.seats[1].hand[0]), T.THROW_REFUSED)
        hu, gangs = t.own_options(1)
        self.assertEqual([(g[0], g[1]) for g in gangs], [(T.G_ADDED, [drawn])])
        # Chair 3 waits on 6c with 22c 45c: it robs the added gang.
        code, reply = t.start_own_gang(1, T.G_ADDED, drawn)
        self.assertEqual(code, T.SUCCESS)
        self.assertEqual(X.GANG_REPLY.unpack(reply), (T.G_ADDED, drawn, 229216, 1))
        before = list(t.silver)
        t.auto_claim(3)
        self.assertEqual(len(t.seats[3].wins), 1)
        self.assertEqual(t.seats[3].wins[0][2], fans.ROBBED)
        self.assertNotIn(drawn, t.seats[1].hand)
        self.assertEqual(t.silver[1] - before[1], -(t.silver[3] - before[3]))
        self.assertEqual(len(t.seats[1].melds.pungs), 1)

    def test_a_banker_whose_deal_wins_may_hu_before_its_first_throw(self):
        t = self.t
        b = t.banker
        hands = ["123c 456c 789c 234b 6b", "123c 456c 789c 234b 7b", "123c 456c 789c 678b 9b"]
        hands.insert(b, "123a 456a 789a 111b 55b")
        self.set_hands(hands, missing=[2 if c == b else 0 for c in range(4)])
        self.assertEqual((t.turn, t.must_throw), (b, True))
        self.assertEqual(t.own_flags(b) & T.F_HU, T.F_HU)
        tile = t.seats[b].hand[-1]
        self.assertEqual(t.hu_request(b, struct.pack("<16x3i", b, tile, 2)), T.SUCCESS)
        self.assertEqual([w[2] for w in t.seats[b].wins], [fans.SELF_DRAWN])
        self.assertEqual(t.turn, T.next_chair(b))

    def test_concealed_gang_rains_on_every_other_chair(self):
        t = self.t
        self.set_hands(["1111a 456a 789b 234b 5b", "456a 789b 234b 567b 9b", "99a 11b 123b 456c 789c",
                        "2345a 567a 88c 345b 9c"])
        t.turn, t.must_throw, t.seats[0].drawn = 0, True, None
        before = list(t.silver)
        code, _ = t.start_own_gang(0, T.G_CONCEALED, t.seats[0].hand[0])
        self.assertEqual(code, T.SUCCESS)
        self.assertEqual(len(t.seats[0].melds.concealed_gangs), 1)
        self.assertEqual([a - b for a, b in zip(t.silver, before)], [600, -200, -200, -200])
        self.assertEqual(t.seats[0].drawn, t.seats[0].hand[-1])
        self.assertEqual(t.entries[-1][0], settle.XIA_YU)

    def test_wall_end_charges_flower_pigs_and_chairs_not_ready(self):
        t = self.t
        self.set_hands(["123a 456a 789b 234b 5b", "123a 456a 789b 234b 9c", "123a 456a 789b 234b 4c",
                        "13a 57a 9a 13b 57b 9b 22c"], missing=(2, 2, 0, 1))
        t.low = t.high + 1
        before = list(t.silver)
        t.end_hand()
        h = t.history[-1]
        self.assertEqual(h["flower_pigs"], [1, 2, 3])
        self.assertEqual(sum(h["deltas"]), 0)
        self.assertEqual(h["deltas"][0], 3 * 100 * 32)
        self.assertEqual([a - b for a, b in zip(t.silver, before)], h["deltas"])

    def test_claim_requests_peng_and_gang_on_a_discard(self):
        t = self.t
        used = {}
        self.set_hands(["123a 456a 789b 234b 6b 5b", "99a 11b 234b 678b 8b", "555b 11a 234a 567a 9a",
                        "123a 456a 789a 22c 4c"], missing=(2, 2, 2, 1), used=used)

        class Seat:
            look_on, number = 0, 0

            def __init__(self, chair):
                self.chair, self.user_id = chair, 1001 + chair

            def push(self, *_):
                pass

        def claim(chair, req, kind, tile, discarder=0):
            data = struct.pack("<10i", 1001 + chair, 1, 1, chair, discarder, tile, -1, -1, -1, kind).ljust(64, b"\0")
            return t.handle(Seat(chair), req, data)

        # Chairs 1 and 2 are played through their requests here.
        t.robot_chairs -= {1, 2}
        # Tiles without their announcement are refused.
        self.assertEqual(claim(1, 229214, 1, 0), (T.CLAIM_REFUSED, b""))
        t.turn, t.must_throw = 0, True
        five = t.seats[0].hand[-1]
        self.assertEqual(t.throw(0, five), T.SUCCESS)
        self.assertEqual(t.window["options"], {2: T.F_PENG | T.F_GANG})
        code, reply = claim(2, 229015, 2, five)
        self.assertEqual((code, X.GANG_REPLY.unpack(reply)), (T.SUCCESS, (2, five, 229215, 0)))
        code, record = claim(2, 229215, 2, five)
        self.assertEqual(code, T.SUCCESS)
        self.assertEqual(X.DRAW_RECORD.unpack(record)[:3], (2, t.wall[107], 107))
        self.assertEqual(len(t.seats[2].melds.discard_gangs), 1)
        self.assertEqual(t.entries[-1], (settle.GUA_FENG_DISCARD, 0, 2, 200))
        # Chair 2 throws; chair 1 pengs through its two requests.
        nine = next(x for x in t.seats[2].hand if x < 36 and x % 9 == 8)
        self.assertEqual(t.throw(2, nine), T.SUCCESS)
        thrown = t.last_throw[1]
        self.assertIsNone(claim(1, 229010, 1, thrown, 2))
        self.assertEqual(claim(1, 229214, 1, thrown, 2), (T.SUCCESS, b""))
        self.assertEqual(len(t.seats[1].melds.pungs), 1)
        self.assertEqual((t.turn, t.must_throw), (1, True))

    def test_block_b_restores_melds_and_discards_per_receiver(self):
        t = self.t
        used = {}
        self.set_hands(["123a 456a 789b 5b", "11b 234b 567b", "99a 22b 345c 678c 9c", "123a 456a 79a 22c 4c"],
                       missing=(2, 0, 2, 1), used=used)
        t.seats[0].melds.pungs.append(tiles("666c", used))
        t.seats[0].peng_from.append(3)
        t.seats[1].melds.concealed_gangs.append(tiles("8888a", used))
        t.seats[2].discards += tiles("9b 9c", used)
        t.turn, t.must_throw = 0, True
        mine, theirs = t.block_b(1), t.block_b(0)
        self.assertEqual(len(mine), X.BLOCK_B_SIZE)
        rec = 740
        gang = X.UNIT_KIND_OFFSETS["concealed_gang"]
        unit_of_1 = rec + gang + 6 * X.UNIT.size
        self.assertEqual(X.UNIT.unpack_from(mine, unit_of_1)[:5], (*tiles("8888a", {}), 1)[:5])
        self.assertEqual(X.UNIT.unpack_from(theirs, unit_of_1)[:4], (200,) * 4)
        self.assertEqual(struct.unpack_from("<4i", theirs, rec + gang + X.UNIT_BLOCK), (0, 1, 0, 0))
        peng = X.UNIT.unpack_from(theirs, rec + X.UNIT_KIND_OFFSETS["peng"])
        self.assertEqual((peng[3], peng[4]), (-1, 3))
        self.assertEqual(struct.unpack_from("<3i", theirs, rec + X.DISCARDS_AT + 2 * 144), (*t.seats[2].discards, -1))
        self.assertEqual(struct.unpack_from("<i", theirs, rec + X.DISCARD_COUNTS_AT + 8)[0], 2)
        # Own concealed list in the deal-start part, the others' only counted.
        self.assertEqual(sorted(x for x in struct.unpack_from("<32i", theirs, 212) if x >= 0), sorted(t.seats[0].hand))
        self.assertTrue(all(x == -1 for x in struct.unpack_from("<96i", theirs, 212 + 128)))
        self.assertEqual(struct.unpack_from("<4i", theirs, 724), tuple(len(s.hand) for s in t.seats))
        state = X.PLAY_STATE.unpack_from(theirs, 740 + X.TABLE_RECORD_SIZE)
        self.assertEqual((state[0], state[1], state[-1]), (0, 1, T.PLAY))
        self.assertEqual(state[11:15], (2, 0, 2, 1))


if __name__ == "__main__":
    unittest.main()


class WallFromHands(unittest.TestCase):
    """A wall told by its hands: the deal's blocks by play order from the banker, the draws next,
    the replacements from the back; texts that cannot make a wall are refused."""

    def test_layout_and_refusals(self):
        hands = ["123a 456a 789a 123b 45b", "1c 2c 3c 4c 5c 6c 7c 8c 9c 11c 22c", "111b 999b 66b 77b 88b 4a",
                 "555a 666a 777a 888a 9b"]
        wall = table_module.wall_from_hands({"hands": hands, "draws": "9c 9a", "replacements": "3c"})
        self.assertEqual(sorted(wall), list(range(108)))
        used = {}
        dealt = [tiles(h, used) for h in hands]
        # Banker 0, then chairs 3, 2, 1 in blocks of 13; the banker's 14th at 52; the draws from
        # 53, the replacements from 107 down; the rest in order of id.
        self.assertEqual(wall[:52], dealt[0][:13] + dealt[3] + dealt[2] + dealt[1])
        self.assertEqual(wall[52:55], [dealt[0][13]] + tiles("9c 9a", used))
        self.assertEqual(wall[107], tiles("3c", used)[0])
        for bad in ({"hands": hands[:3]}, {"hands": [hands[1]] + hands[1:]}, {"hands": hands, "draws": "5a"},
                    {"hands": hands, "draws": "x"}):
            with self.assertRaises(ValueError):
                table_module.wall_from_hands(bad)
