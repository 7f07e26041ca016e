"""Whole hands through the server process: robots, a client in the human chair, a watcher, a
drop and a return, scripted walls, time-outs and asks to see."""
import json
import os
import queue
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from hands import SERVER_DIR
import robots  # noqa: E402
import game_server  # noqa: E402
import settle  # noqa: E402
import xllocal  # noqa: E402
import table_base as T  # noqa: E402
from xlwire import keys, wire  # noqa: E402
from xlwire import xueliu as X  # noqa: E402

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
        # A bare close leaves the connection open while the reader thread sits in recv, until
        # the server happens to send something: shut it down first, so the server sees it go.
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()


class ServerRun(unittest.TestCase):
    """The server process with --play: robots in chairs 1-3, the human chair played by the
    server (--autoplay-human) while a client listens in it."""

    def start(self, *extra):
        self.control = xllocal.private_name("test")
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

    def dir_for_files(self):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d)
        return d

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
        self.proc.stderr.close()

    def command(self, c):
        with xllocal.connect(self.control) as s:
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

    def test_client_sees_no_other_concealed_tile_and_a_scripted_wall(self):
        wall = list(range(108))
        path = os.path.join(self.dir_for_files(), "wall.json")
        with open(path, "w") as f:
            json.dump([{"wall": wall, "dice": [2, 2]}], f)
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
        money = human.wait_for(211030)[0]
        self.assertEqual(len(money), 20 + 52 * 4)
        # Each entry's text is the player's level: the client writes it over the user record's.
        self.assertEqual(X.MONEY_ENTRY.unpack_from(money, 20)[4].rstrip(b"\0"), "临时工".encode("gbk"))
        self.assertEqual(self.command({"op": "state"})["errors"], [])
        human.close()
        watcher.close()

    def test_a_bad_wall_file_is_refused_at_start(self):
        path = os.path.join(self.dir_for_files(), "wall.json")
        for content in ('[{"wall": [1, 2, 3]}]', "not json", '[{"wall": %s, "dice": [0, 7]}]' % list(range(108))):
            with open(path, "w") as f:
                f.write(content)
            run = subprocess.run([sys.executable, os.path.join(SERVER_DIR, "game_server.py"), "--port", "0", "--play",
                                  "--wall", path], capture_output=True, text=True, timeout=10)
            self.assertEqual(run.returncode, 2, content)
            self.assertIn("--wall:", run.stderr)

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
        # A record too short to read is refused and the session goes on.
        self.assertEqual(back.request(229310, req[:20])[0], T.EXCHANGE_REFUSED)
        self.assertEqual(back.request(229310, req)[0], 10)
        self.assertEqual(back.request(229310, req)[0], T.EXCHANGE_REFUSED)
        back.close()
        watcher.close()

    def play_hand(self, human, exchange, first_turn):
        """Plays the human chair to the end of the hand as a client would: the given exchange and
        first turn (chair 0 is the banker), the recommended suit, every hu, a pass on any other
        claim, the drawn tile thrown."""
        H = human.head
        human.send(201160, struct.pack("<4i", *H).ljust(32, b"\0"), False)
        hand, banker, seen = [], -1, 0
        end = time.monotonic() + 30
        while time.monotonic() < end:
            with human.cond:
                human.cond.wait_for(lambda: len(human.pushes) > seen, timeout=1)
                new, seen = human.pushes[seen:], len(human.pushes)
            for notify_id, data in new:
                if notify_id == 211040:
                    banker = struct.unpack_from("<i", data, 44)[0]
                    hand = [x for x in struct.unpack_from("<32i", data, 212) if x >= 0]
                elif notify_id == 229300:
                    three = exchange(hand)
                    self.assertEqual(human.request(229310, struct.pack("<7i", *H, *three).ljust(32, b"\0"))[0], 10)
                elif notify_id == 229330:
                    d = X.EXCHANGE_DONE.unpack(data)
                    hand = [x for x in hand if x not in d[2:5]] + list(d[5:8])
                elif notify_id == 229340:
                    suit = X.MISSING_BEGIN.unpack(data)[1]
                    self.assertEqual(human.request(229350, struct.pack("<5i", *H, suit).ljust(32, b"\0"))[0], 10)
                elif notify_id == 229360 and banker == 0:
                    first_turn(hand)
                elif notify_id == 229160:
                    chair, t, _, flags = X.DRAWN.unpack(data)
                    if chair == 0:
                        if flags & T.F_HU:
                            code, _ = human.request(229080, struct.pack("<7i", *H, 0, t, 2).ljust(48, b"\0"))
                        else:
                            code, _ = human.request(222080, self.throw_record(H, t))
                        self.assertEqual(code, 10)
                elif notify_id in (222170, 229180):
                    if notify_id == 222170:
                        thrower, t, flags = (struct.unpack_from("<i", data, k)[0] for k in (4, 84, 24))
                        kind = 1
                    else:
                        g = X.GANG_ANNOUNCE.unpack(data)
                        thrower, t, flags, kind = g[0], g[2], g[4], 4
                    if flags & T.F_HU:
                        code, _ = human.request(229080, struct.pack("<7i", *H, thrower, t, kind).ljust(48, b"\0"))
                        self.assertEqual(code, 10)
                    elif flags:
                        human.send(229218, struct.pack("<6i", *H, t, thrower).ljust(40, b"\0"), False)
                elif notify_id == 211300:
                    end = 0
        self.assertEqual(banker, 0)
        self.assertEqual(self.table()["hands_played"], 1)
        self.assertEqual(self.command({"op": "state"})["errors"], [])

    @staticmethod
    def throw_record(head, tile):
        return struct.pack("<4i", *head).ljust(100, b"\0") + struct.pack("<2i", 1, tile)

    def test_a_client_plays_the_human_chair_through_its_requests(self):
        self.start("--hands", "0", "--think-ms", "0", "--seed", "5")
        human = Client(self.port, 1001, 0)
        self.command({"op": "play", "hands": 1})
        refused = []

        def first_turn(hand):
            stranger = next(x for x in range(108) if x not in hand)
            self.assertEqual(human.request(222080, self.throw_record(human.head, stranger))[0], T.THROW_REFUSED)
            resync = human.wait_for(229580)[0]
            self.assertEqual(sorted(struct.unpack_from("<%di" % (len(resync) // 4 - 3), resync, 12)), sorted(hand))
            refused.append(True)
            self.assertEqual(human.request(222080, self.throw_record(human.head, hand[0]))[0], 10)
        self.play_hand(human, robots.exchange_choice, first_turn)
        self.assertTrue(refused)
        human.close()

    def test_the_human_makes_a_concealed_gang_and_takes_its_replacement(self):
        four, bamboo = [0, 9, 18, 27], list(range(36, 45))
        rest = [x for x in range(108) if x not in four + bamboo + [45]]
        wall = four + bamboo + rest[:39] + [45] + rest[39:]
        path = os.path.join(self.dir_for_files(), "wall.json")
        with open(path, "w") as f:
            json.dump([{"wall": wall, "dice": [1, 1]}], f)
        self.start("--hands", "0", "--think-ms", "0", "--wall", path)
        human = Client(self.port, 1001, 0)
        self.command({"op": "play", "hands": 1})
        H = human.head
        done = []

        def first_turn(hand):
            claim = struct.pack("<10i", *H, 0, 0, 9, 18, 27, 1).ljust(64, b"\0")
            code, reply = human.request(229015, claim)
            self.assertEqual((code, X.GANG_REPLY.unpack(reply)), (10, (1, 0, 229217, 0)))
            code, record = human.request(229217, claim)
            self.assertEqual(code, 10)
            chair, tile, pos, _, left = X.DRAW_RECORD.unpack(record)
            self.assertEqual((chair, tile, pos, left), (0, wall[107], 107, 54))
            gang = X.GANG_DONE.unpack(human.wait_for(229197)[0])
            self.assertEqual(gang[5:11], (27, 0, 9, 18, 1, wall[107]))
            rain = X.SCORE_CHANGE.unpack(human.wait_for(229370)[0])
            self.assertEqual(rain[:6], (settle.XIA_YU, 0, 600, -200, -200, -200))
            self.assertEqual(human.request(222080, self.throw_record(H, tile))[0], 10)
            done.append(True)
        self.play_hand(human, lambda hand: [42, 43, 44], first_turn)
        self.assertTrue(done)
        human.close()

    def test_time_outs_play_for_a_silent_human_and_asks_to_see(self):
        self.start("--hands", "0", "--think-ms", "0", "--time-scale", "0.01")
        human = Client(self.port, 1001, 0)
        watcher = Client(self.port, 2001, 1, look_on=1)
        fan = Client(self.port, 2002, 0, look_on=1)
        self.command({"op": "play", "hands": 1})
        human.send(201160, struct.pack("<4i", *human.head).ljust(32, b"\0"), False)
        human.wait_for(229165)
        on = [d for d in human.wait_for(229500) if struct.unpack_from("<i", d, 8)[0] == T.AUTO_ON]
        self.assertEqual(len(on), 1)
        self.assertEqual(len(human.wait_for(211300, timeout=30)), 1)
        # The server passes and throws the drawn tile for a human who lets time run out.
        seat = self.table()["seats"][0]
        self.assertEqual((seat["wins"], seat["pungs"], seat["discard_gangs"]), ([], [], []))
        # A robot refuses to show its hand after a second; the human is asked and agrees.
        watcher.send(229550, struct.pack("<4i", *watcher.head).ljust(32, b"\0"), False)
        fan.send(229550, struct.pack("<4i", *fan.head).ljust(32, b"\0"), False)
        ask = X.ASK_SEE.unpack(human.wait_for(229550)[0])
        self.assertEqual(ask, (2002, 1, 1, 0))
        human.send(229560, struct.pack("<6i", *human.head, 2002, 1).ljust(40, b"\0"), False)
        self.assertEqual(X.SEE_ANSWER.unpack(fan.wait_for(229570)[0]), (1001, 0, 2002, 1))
        self.assertEqual(X.SEE_ANSWER.unpack(watcher.wait_for(229570, timeout=5)[0]), (1002, 1, 2001, 0))
        self.assertEqual(self.command({"op": "state"})["errors"], [])
        for c in (human, watcher, fan):
            c.close()

    def test_a_watchers_refusal_outlives_the_play_and_a_paused_table_stands_still(self):
        self.start("--hands", "0", "--autoplay-human", "--think-ms", "30")
        watcher = Client(self.port, 2001, 1, look_on=1)
        self.command({"op": "play", "hands": 1})
        self.table(lambda st: st["phase"] == T.PLAY)
        # The hand moves on for the second the robot takes to refuse; its answer still comes.
        watcher.send(229550, struct.pack("<4i", *watcher.head).ljust(32, b"\0"), False)
        self.assertEqual(X.SEE_ANSWER.unpack(watcher.wait_for(229570, timeout=5)[0]), (1002, 1, 2001, 0))
        self.assertEqual(self.command({"op": "pause"}), {"ok": True})
        held = self.table()
        time.sleep(0.3)
        self.assertEqual(self.table(), held)
        self.command({"op": "resume"})
        self.assertEqual(self.table(lambda st: st["hands_played"] == 1)["hands_played"], 1)
        watcher.close()

    def test_a_pause_takes_none_of_the_humans_time(self):
        # The exchange's time-out (23 s scaled to 1.15 s) runs as the table pauses for longer: after
        # the resume the human still has what was left of it.
        self.start("--hands", "0", "--think-ms", "0", "--time-scale", "0.05")
        human = Client(self.port, 1001, 0)
        self.command({"op": "play", "hands": 1})
        human.send(201160, struct.pack("<4i", *human.head).ljust(32, b"\0"), False)
        self.table(lambda st: st["phase"] == T.EXCHANGE)
        self.command({"op": "pause"})
        time.sleep(1.5)
        self.command({"op": "resume"})
        self.assertEqual(self.table()["human_time_outs"], 0)
        self.assertTrue(human.wait_for(229165))
        human.close()

    def test_a_table_that_pauses_after_its_deal_waits_for_resume(self):
        self.start("--hands", "0", "--autoplay-human", "--pause-after-deal")
        self.command({"op": "play", "hands": 1})
        held = self.table(lambda st: st["deal"] == 1)
        time.sleep(0.3)
        self.assertEqual(self.table(), held, "no chair decides before the resume")
        self.assertEqual(held["phase"], T.EXCHANGE)
        self.command({"op": "resume"})
        self.assertEqual(self.table(lambda st: st["hands_played"] == 1)["hands_played"], 1)

    def test_a_start_while_the_hand_runs_brings_no_ready_notice(self):
        self.start("--hands", "1", "--autoplay-human", "--wait-for-client", "--pause-after-deal")
        c = Client(self.port, 1001, 0)
        self.assertTrue(c.wait_for(211040))
        ready = len(c.wait_for(201160, timeout=0))
        c.request(201165, struct.pack("<4i", *c.head).ljust(32, b"\0"))
        # The table's pushes keep their order: the chat's echo comes after any notice would.
        c.send(201210, struct.pack("<4i", *c.head).ljust(128, b"\0"), False)
        self.assertTrue(c.wait_for(201210))
        self.assertEqual(len(c.wait_for(201160, timeout=0)), ready)
        c.close()

    def test_without_the_money_notice_a_result_brings_no_users_amounts(self):
        self.start("--hands", "0", "--autoplay-human", "--think-ms", "5", "--no-money-notice")
        c = Client(self.port, 1001, 0)
        self.command({"op": "play", "hands": 1})
        # 211300 follows where the users' amounts would come.
        self.assertTrue(c.wait_for(211300, timeout=30))
        self.assertTrue(c.wait_for(229810, timeout=0))
        self.assertEqual(c.wait_for(211030, timeout=0), [])
        c.close()


class EntryOrder(unittest.TestCase):
    def test_a_deal_started_on_seeing_the_entry_comes_after_its_reply_and_ready_notices(self):
        server = game_server.Server(game_server.parse_args(["--fast", "--autoplay-human", "--hands", "0",
                                                            "--pause-after-deal"]))
        table = game_server.attach_table(server)
        with table.lock:
            table.robots_ready()
        got = []

        def sent(what):
            # The rig deals once it sees the entry logged: here at each message, if the table lets it.
            got.append(what)
            rig = threading.Thread(target=deal)
            rig.start()
            rig.join()

        def deal():
            if table.lock.acquire(blocking=False):
                server.command({"op": "play", "hands": 1})
                table.lock.release()

        class Session:
            number, user_id, chair, look_on, alive = 1, 0, -1, 0, True
            head = game_server.Session.head
            run_pushes = scenario_answer = lambda *a: None

            def reply(self, msg_id, code, data=b""):
                sent("reply")

            def push(self, notify_id, data):
                sent(notify_id)

        server.sessions.append(Session())
        enter = struct.pack("<6i", 1001, 0, 79, 1, 1, 0).ljust(56, b"\0") + struct.pack("<i", 0)
        server.on_request(server.sessions[0], 1, True, 200110, enter.ljust(108, b"\0"))
        server.command({"op": "play", "hands": 1})
        self.assertEqual([i for i in got if i in ("reply", game_server.N_READY, 211040)],
                         ["reply"] + [game_server.N_READY] * 4 + [211040])


if __name__ == "__main__":
    unittest.main()


class SwitchRoomAndWaiting(unittest.TestCase):
    """The room-switch configuration from the table file and the report, and a deal that waits
    for the client of the auto-played own chair."""
    start, stop, command, table = ServerRun.start, ServerRun.stop, ServerRun.command, ServerRun.table

    def test_switch_room_configuration_and_report(self):
        self.start("--hands", "0")
        c = Client(self.port, 1001, 0)
        code, data = c.request(450130)
        self.assertEqual(code, 10)
        self.assertEqual(len(data), 520)
        self.assertEqual(struct.unpack_from("<6i", data), (2, 600, 1, 100000, 2, 1000000))
        report = struct.pack("<7i", 1001, 1, 1, 2, 150000, 1, 1)
        c.send(450131, report, False)
        end = time.monotonic() + 10
        while not self.command({"op": "requests", "id": 450131})["hex"] and time.monotonic() < end:
            time.sleep(0.02)
        self.assertEqual(self.command({"op": "requests", "id": 450131})["hex"], [report.hex()])
        c.close()

    def test_a_request_is_stamped_with_its_arrival_on_the_monotonic_clock(self):
        self.start("--hands", "0")
        c = Client(self.port, 1001, 0)
        sent = time.monotonic()
        c.request(450130)
        answered = time.monotonic()
        (at,) = self.command({"op": "arrivals", "id": 450130})["at"]
        self.assertLessEqual(sent, at)
        self.assertLessEqual(at, answered)
        c.close()

    def test_kernel_arrivals_are_when_the_bytes_came_not_when_they_were_read(self):
        # The held reply to the first request holds the reading of the second.
        self.start("--hands", "0", "--kernel-arrivals", "--fault", "450130:delay_ms=400")
        c = Client(self.port, 1001, 0)
        sent = time.monotonic()
        c.send(450130, b"", True)
        c.send(450131, struct.pack("<7i", 1001, 1, 1, 2, 150000, 1, 1), False)
        c.replies.get(timeout=10)
        end = time.monotonic() + 10
        while not self.command({"op": "arrivals", "id": 450131})["at"] and time.monotonic() < end:
            time.sleep(0.02)
        (at,) = self.command({"op": "arrivals", "id": 450131})["at"]
        # The kernel stamps on the wall clock, which a time service may run faster or slower than
        # the monotonic one while it corrects it (here at times by 0.5%): the stamp turned into
        # monotonic time is off by that rate times its age.
        slew = 0.01 * (time.monotonic() - sent)
        self.assertLessEqual(sent - slew, at)
        self.assertLess(at - sent, 0.2)
        c.close()

    def test_the_deal_waits_for_the_client_of_the_own_chair(self):
        self.start("--hands", "1", "--autoplay-human", "--wait-for-client")
        # With the robots ready at once, a deal that did not wait would come within this second.
        self.assertEqual(self.table(until=lambda st: st["phase"] != 0, timeout=1.0)["phase"], 0)
        c = Client(self.port, 1001, 0)
        self.assertTrue(c.wait_for(211040))
        c.close()
