"""The table's fan count on known hands, the robots' choices and the end-of-hand settlement."""
import unittest

from hands import tile, tiles
import fans  # noqa: E402
import robots  # noqa: E402
import settle  # noqa: E402
from fans import Melds, Situation  # noqa: E402

class FanCount(unittest.TestCase):
    def count(self, hand, won, flags=fans.ON_DISCARD, melds=None, missing=2, **sit):
        return fans.best_count(tiles(hand) + ([won] if flags & fans.SELF_DRAWN else []), won, melds or Melds(),
                               Situation(missing=missing, win_flags=flags, **sit))

    def test_known_hands(self):
        # hand, winning tile, win flags, total, {counter: value}
        cases = [
            ("123a 456a 789b 234b 5b", tile("5b"), fans.ON_DISCARD, 1, {0: 1}),
            ("123a 456a 789b 234b 5b", tile("5b"), fans.SELF_DRAWN, 2, {0: 1}),
            ("11a 22a 33a 44a 55a 66a 7a", tile("7a"), fans.ON_DISCARD, 5, {1: 2, 4: 2, 0: 0}),
            ("1111a 22a 33a 44a 55a 6a", tile("6a"), fans.ON_DISCARD, 7, {2: 4, 4: 2, 7: 0, 0: 0}),
            ("111a 333a 555a 777a 9a", tile("9a"), fans.ON_DISCARD, 4, {3: 1, 4: 2, 0: 0}),
            ("222a 555b 888a 22b 55a", tile("2b"), fans.ON_DISCARD, 4, {6: 3, 0: 0}),
            ("123a 789a 111b 999b 1a", tile("1a"), fans.ON_DISCARD, 3, {5: 2, 0: 0}),
            ("123a 456a 789b 234b 5b", tile("5b"), fans.ROBBED, 2, {10: 1, 0: 0}),
            ("123a 456a 789b 234b 5b", tile("5b"), fans.ON_DISCARD | 0, 2, {9: 1}),
        ]
        for k, (hand, won, flags, total, counters) in enumerate(cases):
            with self.subTest(hand=hand, flags=flags):
                r = self.count(hand, won, flags, after_gang_discard=(k == 8))
                self.assertIsNotNone(r)
                self.assertEqual(r.total, total)
                for c, v in counters.items():
                    self.assertEqual(r.counters[c], v, "counter %d" % c)

    def test_last_tile_gangs_and_golden_hook(self):
        melds = Melds(pungs=[tiles("111b")], discard_gangs=[tiles("2222b")], concealed_gangs=[tiles("3333b")],
                      added_gangs=[tiles("4444b")])
        # Golden hook needs four melds among pungs, gangs on a discard and concealed gangs: the
        # added gang does not count.
        r = self.count("5b", tile("5b"), fans.SELF_DRAWN, melds, tiles_left=0, gang_replacement=True)
        self.assertEqual(r.counters[14], 0)
        self.assertEqual(r.counters[15], 2)
        self.assertEqual(r.counters[13], 3)
        self.assertEqual(r.counters[8], 1)
        melds.pungs.append(tiles("666a"))
        r = self.count("5b", tile("5b"), fans.ON_DISCARD, melds, missing=2)
        self.assertEqual(r.counters[14], 1)

    def test_missing_suit_held_never_wins_and_the_cap(self):
        self.assertIsNone(self.count("123a 456a 789b 234b 5c", tile("5c")))
        self.assertEqual(fans.multiple(9, 6), 32)
        self.assertEqual(fans.multiple(3, 6), 4)
        self.assertEqual(fans.waits(tiles("123a 456a 789b 234b 5b"), Melds(), 2), tiles("2b")[:1] + tiles("5b")[:1])


class Choices(unittest.TestCase):
    def test_robot_choices(self):
        hand = tiles("123a 4567b 12345c 9c")
        self.assertEqual(robots.exchange_choice(hand), sorted(tiles("123a")))
        self.assertEqual(robots.missing_choice(hand), 0)
        self.assertIn(robots.throw_choice(hand, 0), tiles("123a"))
        self.assertEqual(robots.throw_choice(tiles("123b 9c 55c"), 0), tiles("9c")[0])

    def test_end_settlement(self):
        pigs = settle.flower_pig_transfers([1], 6)
        self.assertEqual(pigs, [(1, [(1, 0, 32), (1, 2, 32), (1, 3, 32)])])
        big = settle.not_ready_transfers({0: 0, 2: 3, 3: 9}, 6)
        self.assertEqual(big, [(0, [(0, 2, 4), (0, 3, 32)])])


if __name__ == "__main__":
    unittest.main()
