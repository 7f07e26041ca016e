"""The stand-in's table: the fan count on known hands, the rules on hands set up in-process, and
whole hands through the server process (robots, a listening human client, a watcher, a drop and
a return, scripted walls)."""
import json
import os
import queue
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER_DIR = os.path.dirname(HERE)
sys.path.insert(0, SERVER_DIR)
sys.path.insert(0, os.path.join(SERVER_DIR, "..", "py"))

import fans  # noqa: E402
import offline  # noqa: E402
import robots  # noqa: E402
import settle  # noqa: E402
import table as T  # noqa: E402
from fans import Melds, Situation  # noqa: E402
from xlwire import keys, wire  # noqa: E402
from xlwire import xueliu as X  # noqa: E402


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


class Rules(unittest.TestCase):
    """Hands set up in-process; nobody acts on its own (a very long think delay)."""

    def setUp(self):
        self.server = offline.OfflineServer()
        self.t = T.Table(self.server, think_ms=10 ** 9, seed=3, autoplay_human=True)
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


class Client:
    """A game client on the wire: enters, sends requests, keeps every push."""

    def __init__(self, port, uid, chair, look_on=0, room=1, table=1):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.key = keys.game_key()
        self.reader = wire.SocketReader(self.sock)
        self.head = (uid, room, table, chair)
        self.serial = self.msg_id = 0
        self.pushes = []
        self.replies = queue.Queue()
        self.cond = threading.Condition()
        self.sock.sendall(wire.greeting())
        threading.Thread(target=self.read, daemon=True).start()
        enter = struct.pack("<6i", uid, 0, 79, room, table, chair).ljust(56, b"\0") + struct.pack("<i", look_on)
        self.entered = self.request(200110, enter.ljust(108, b"\0"))

    def read(self):
        body = b""
        try:
            while True:
                (n,) = struct.unpack("<I", self.reader.exact(4))
                f = wire.parse_frame(struct.pack("<I", n) + self.reader.exact(n))
                if f is None:
                    continue
                body += f["piece"]
                if not f["last"]:
                    continue
                code, data = wire.parse_message(wire.unpack(body, self.key))
                body = b""
                if f["type"] == wire.TYPE_REPLY:
                    self.replies.put((code, data))
                else:
                    with self.cond:
                        self.pushes.append((code, data))
                        self.cond.notify_all()
        except (EOFError, OSError, wire.WireError):
            pass

    def send(self, req, data, wait):
        self.msg_id += 1
        body = wire.pack(wire.message(req, data), self.key, wire.FLAG_AES)
        frames = wire.message_frames(body, self.msg_id, self.serial + 1, needs_reply=1 if wait else 0)
        self.serial += len(frames)
        self.sock.sendall(b"".join(frames))

    def request(self, req, data=b""):
        self.send(req, data, True)
        return self.replies.get(timeout=10)

    def wait_for(self, notify_id, count=1, timeout=20):
        end = time.monotonic() + timeout
        with self.cond:
            while sum(1 for p in self.pushes if p[0] == notify_id) < count and time.monotonic() < end:
                self.cond.wait(0.05)
            return [d for i, d in self.pushes if i == notify_id]

    def close(self):
        self.sock.close()


class ServerRun(unittest.TestCase):
    """The server process with --play: robots in chairs 1-3, the human chair played by the
    server (--autoplay-human) while a client listens in it."""

    def start(self, *extra):
        self.dir = tempfile.TemporaryDirectory()
        self.control = os.path.join(self.dir.name, "control.sock")
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        self.proc = subprocess.Popen([sys.executable, os.path.join(SERVER_DIR, "game_server.py"), "--port",
                                      str(self.port), "--control", self.control, "--play", "--fast", *extra],
                                     stderr=subprocess.PIPE)
        self.addCleanup(self.stop)
        end = time.monotonic() + 10
        while time.monotonic() < end:
            try:
                self.command({"op": "state"})
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return
            except OSError:
                time.sleep(0.02)
        self.fail("the server did not start")

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
        self.proc.stderr.close()
        self.dir.cleanup()

    def command(self, c):
        with socket.socket(socket.AF_UNIX) as s:
            s.connect(self.control)
            f = s.makefile("rwb")
            f.write((json.dumps(c) + "\n").encode())
            f.flush()
            return json.loads(f.readline())

    def table(self, until=lambda st: True, timeout=20):
        end = time.monotonic() + timeout
        while True:
            st = self.command({"op": "table"})
            if until(st) or time.monotonic() > end:
                return st
            time.sleep(0.02)

    def test_hundred_hands_settle_to_zero_and_keep_every_tile(self):
        self.start("--autoplay-human", "--hands", "100", "--seed", "11")
        st = self.table(lambda st: st["hands_played"] >= 100, timeout=60)
        self.assertEqual(st["hands_played"], 100)
        self.assertEqual(st["errors"], [])
        start = 10000 * 4
        for h in st["history"]:
            self.assertEqual(sum(h["deltas"]), 0, h)
            self.assertEqual(h["tiles_left"], 0)
            self.assertLessEqual(len(h["entries"]), 200)
        self.assertEqual(sum(st["silver"]), start)
        seen = []
        for s in st["seats"]:
            seen += s["hand"] + s["discards"] + [x for m in s["pungs"] + s["discard_gangs"] + s["concealed_gangs"]
                                                 + s["added_gangs"] for x in m] + [w["tile"] for w in s["wins"]]
        self.assertEqual(set(seen), set(range(108)))
        self.assertLess(st["decision_ms"], 5.0)

    def test_client_sees_no_other_concealed_tile_and_a_scripted_wall(self):
        wall = list(range(108))
        path = os.path.join(tempfile.mkdtemp(), "wall.json")
        with open(path, "w") as f:
            json.dump([{"wall": wall, "dice": [2, 2]}], f)
        self.addCleanup(os.unlink, path)
        self.start("--autoplay-human", "--hands", "0", "--wall", path, "--think-ms", "5")
        human = Client(self.port, 1001, 0)
        watcher = Client(self.port, 2001, 1, look_on=1)
        self.assertEqual(human.entered[0], 210200)
        self.assertEqual(watcher.entered[0], 210210)
        self.assertTrue(self.command({"op": "play", "hands": 1})["ok"])
        human.wait_for(211300, timeout=30)
        watcher.wait_for(211300, timeout=5)
        deal = human.wait_for(211040)[0]
        lists = struct.unpack_from("<128i", deal, 212)
        # Chair 0 is the banker: positions 0-12 and 52; the other chairs' lists are hidden.
        self.assertEqual(sorted(x for x in lists[:32] if x >= 0), list(range(13)) + [52])
        self.assertTrue(all(x == -1 for x in lists[32:]))
        done = X.EXCHANGE_DONE.unpack(human.wait_for(229330)[0])
        self.assertEqual(done[0], (2 + 2) % 3 + 1)
        self.assertEqual(done[1], 0)
        own = set(range(13)) | {52}
        for notify_id, data in human.pushes:
            if notify_id == 229330:
                own |= set(done[5:8])
            if notify_id == 229160:
                chair, t, _, flags = X.DRAWN.unpack(data)
                if chair == 0:
                    own.add(t)
                else:
                    self.assertEqual((t, flags), (200, 0))
            elif notify_id == 229197:
                g = X.GANG_DONE.unpack(data)
                if g[3] != 0:
                    self.assertEqual(g[5:9], (200, 200, 200, 200))
            elif notify_id in (229195, 229199):
                g = X.GANG_DONE.unpack(data)
                if g[3] != 0:
                    self.assertEqual(g[10], 200)
        for notify_id, data in watcher.pushes:
            if notify_id == 229330:
                self.assertEqual(X.EXCHANGE_DONE.unpack(data)[2:8], (200,) * 6)
            if notify_id == 229160:
                self.assertEqual(X.DRAWN.unpack(data)[1], 200)
        result = human.wait_for(229810)[0]
        self.assertEqual(len(result), X.RESULT_SIZE)
        self.assertEqual(len(human.wait_for(211030)[0]), 20 + 52 * 4)
        self.assertEqual(self.command({"op": "state"})["errors"], [])
        human.close()
        watcher.close()

    def test_drop_and_return_restores_the_hand(self):
        self.start("--hands", "1", "--think-ms", "5")
        human = Client(self.port, 1001, 0)
        watcher = Client(self.port, 2001, 0, look_on=1)
        human.request(201165, struct.pack("<4i", *human.head).ljust(32, b"\0"))
        human.wait_for(229300)
        human.close()
        self.assertEqual(len(watcher.wait_for(211240)), 1)
        back = Client(self.port, 1001, 0)
        self.assertEqual(back.entered[0], 210220)
        block = back.entered[1]
        self.assertEqual(len(block), X.BLOCK_B_SIZE)
        st = self.table()
        own = struct.unpack_from("<32i", block, 212)
        self.assertEqual(sorted(x for x in own if x >= 0), st["seats"][0]["hand"])
        self.assertEqual(struct.unpack_from("<i", block, 5364 + 60)[0], st["phase"])
        self.assertEqual(watcher.wait_for(229500)[0][8:12], struct.pack("<i", T.BACK_ONLINE))
        # The exchange: the human's own choice is taken once, a second one is refused.
        hand = st["seats"][0]["hand"]
        three = robots.exchange_choice(hand)
        req = struct.pack("<4i3i", *back.head, *three).ljust(32, b"\0")
        self.assertEqual(back.request(229310, req)[0], 10)
        self.assertEqual(back.request(229310, req)[0], T.EXCHANGE_REFUSED)
        back.close()
        watcher.close()


if __name__ == "__main__":
    unittest.main()
