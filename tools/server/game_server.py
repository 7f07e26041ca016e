#!/usr/bin/python3
"""Game-server stand-in: speaks the game channel on loopback so the client can be run and tested
without a real server.

Usage: game_server.py [--port N] [--host 127.0.0.1] [--table FILE] [--control PATH]
                      [--scenario FILE] [--fault ID:key=value,...]... [--version 9.3]
                      [--play [--fast] [--think-ms N] [--seed N] [--wall FILE] [--hands N]
                       [--autoplay-human [--wait-for-client]] [--dump-wins FILE] [--time-scale F]
                       [--pause-after-deal] [--no-money-notice]]

With --play the table (tools/server/table.py) deals whole hands once every chair is ready:
robots in the robot chairs of the table file (think delay 700 ms, 0 with --fast), the human
chair through its client; --autoplay-human plays the human chair too (with --wait-for-client
only once its client entered); --verbose logs "hand N: dealt", "middle" and "result"; --wall FILE scripts the
walls; --hands N stops after N hands; --dump-wins FILE appends every win's hand as a JSON line;
--time-scale F multiplies the human's time-outs (tests); --pause-after-deal pauses the table after
each deal until the control socket's "resume", so that no chair decides before a slow client has
taken the deal (tests); --no-money-notice sends no users' amounts (211030) after a result, so
that the amounts a client shows are its own sums (tests).

Transport: the xlwire codec. The client's greeting, then frames both ways; AES on (key block 2 of
net/keys/keyblocks.hex); the stand-in zlib-packs every message of 512 bytes or more it sends.
It answers a request only when its frame asks for a reply, exactly once, and pushes with its own
message ids. Every request is checked against its layout (tools/py/xlwire/records.py); problems
are kept for the control socket and written to stderr.

Requests are answered by the scenario first (when its next step expects that id), else by the
start-up and generic answers of the protocol note. A table with robots plugs in through
`Server.table_handler` (a callable (session, request id, data) -> (code, data) or None),
`Server.running_block_b` (a callable (session) -> the 5428-byte block B while a hand runs for
the session's chair, else None) and `Server.playing` (the table plays: 201130 answers 210030).

Control socket (Unix stream at --control, a path or "@name" in the abstract namespace: tools/py/xllocal.py;
JSON lines; one answer line per command from a peer of the same user):
  {"op": "state"}                        port (0 until it listens), sessions, ready chairs, request
                                         log, errors
  {"op": "requests", "id": N}            hex of every request of that id so far
  {"op": "arrivals", "id": N}            when each of them arrived (time.monotonic(), seconds;
                                         the same clock as CLOCK_MONOTONIC): when it was read,
                                         with --kernel-arrivals when the kernel received it
  {"op": "fault", "id": N, ...}          delay_ms, code, text, text_hex, short, drop, garble,
                                         reply_hex; id 0 applies to every waited id
  {"op": "clear_faults"}
  {"op": "push", "id": N, "hex": "..", "session": -1}
  {"op": "malformed_push", "kind": "crc" | "stage" | "length"}
  {"op": "scenario", "steps": [...]}     as a scenario file's steps
  {"op": "drop"}                         closes every connection
  {"op": "reset_log"}
  {"op": "table"}                        the table's state (with --play): phase, seats, history
                                         ("brief": true: phase, deal and hands played only)
  {"op": "play", "hands": N}             N more hands may be dealt (with --hands 0: after the
                                         clients have entered)
  {"op": "pause"} / {"op": "resume"}     (with --play) holds every timed step (robots, time-outs)
                                         from the answer on, and lets them go again
Scenario file: {"steps": [step, ...]}, a step being {"push": id, "hex": "..", "size": n (optional:
zeros fill the data up to n bytes)},
{"expect": id, "hex": ".." (optional), "reply": {"code": c, "hex": ".."} (optional: without it the
usual answer stands)} or {"wait_ms": n}.
"""
import argparse
import contextlib
import json
import os
import socket
import struct
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "py"))
from xlwire import keys, records, wire  # noqa: E402
import xlhall  # noqa: E402
import xllocal  # noqa: E402

from table_file import load_table  # noqa: E402

SUCCESS = 10
SERVER_TEXT = 60031
ENTERED_PLAYER = 210200
ENTERED_LOOK_ON = 210210
ENTERED_RUNNING = 210220
TABLE_PLAYING = 210030
MATCH_WAITING = 210500
COMPRESS_AT = 512
ROBOT_AGREE_S = 1.0

N_READY = 201160
N_CHAT = 201210
N_AHOO = 201200
N_ASK_EXIT = 201212
N_ASK_EXIT_ANSWER = 201213
N_EXIT_AGREED = 211010


SWITCH_ROOM_CONFIG = 450130
SWITCH_ROOM_REPORT = 450131
SWITCH_ROOM_REPEAT_S = 600


def switch_room_config(rooms):
    """The 520-byte switch-room record: count, repeat time-out (s), then {room id, tip line} x 64."""
    tips = [(r.id, r.tip_silver) for r in rooms if r.tip_silver][:64]
    words = [len(tips), SWITCH_ROOM_REPEAT_S] + [w for pair in tips for w in pair]
    return struct.pack("<%di" % len(words), *words).ljust(520, b"\0")


def log(text):
    print("game server: %s" % text, file=sys.stderr, flush=True)


class Session:
    def __init__(self, server, sock, number):
        self.server = server
        self.sock = sock
        self.number = number
        self.key = server.key
        self.reader = wire.SocketReader(sock, stamped=server.args.kernel_arrivals)
        self.serial = 0
        self.push_ids = 0
        self.send_lock = threading.Lock()
        self.user_id = 0
        self.chair = -1
        self.look_on = 0
        self.steps = list(server.scenario)
        self.alive = True

    def head(self):
        t = self.server.table
        return (self.user_id, t["room_id"], t["table"], self.chair)

    # --- transport --------------------------------------------------------------------------
    def recv_exact(self, n):
        return self.reader.exact(n)

    def next_message(self):
        """(message id, needs a reply, request id, data, arrival): the arrival is the monotonic
        time at which the message's first bytes were read (with --kernel-arrivals: received)."""
        body, first, at = b"", None, None
        while True:
            (length,) = struct.unpack("<I", self.recv_exact(4))
            at = at or self.reader.at or time.monotonic()
            f = wire.parse_frame(struct.pack("<I", length) + self.recv_exact(length))
            if f is None:
                continue
            if first is None:
                first = f
            elif f["msg_id"] != first["msg_id"]:
                raise wire.WireError("pieces of two messages interleaved")
            body += f["piece"]
            if f["last"]:
                break
        req, data = wire.parse_message(wire.unpack(body, self.key))
        return first["msg_id"], first["needs_reply"], req, data, at

    def send_message(self, msg_id, code, data, ftype):
        raw = wire.message(code, data)
        compress = wire.FLAG_ZLIB if len(raw) >= COMPRESS_AT else 0
        body = wire.pack(raw, self.key, wire.FLAG_AES, compress)
        with self.send_lock:
            frames = wire.message_frames(body, msg_id, self.serial + 1, ftype=ftype)
            self.serial += len(frames)
            self.sock.sendall(b"".join(frames))

    def reply(self, msg_id, code, data=b""):
        self.send_message(msg_id, code, data, wire.TYPE_REPLY)

    def push(self, notify_id, data):
        if not self.alive:
            return
        with self.send_lock:
            self.push_ids += 1
            msg_id = self.push_ids
        try:
            self.send_message(msg_id, notify_id, data, wire.TYPE_PUSH)
        except OSError:
            self.alive = False

    def send_raw(self, raw):
        with self.send_lock:
            self.sock.sendall(raw)

    # --- scenario ---------------------------------------------------------------------------
    def run_pushes(self):
        while self.steps and "expect" not in self.steps[0]:
            step = self.steps.pop(0)
            if "push" in step:
                data = bytes.fromhex(step.get("hex", ""))
                self.push(int(step["push"]), data.ljust(int(step.get("size", len(data))), b"\0"))
            elif "wait_ms" in step:
                time.sleep(step["wait_ms"] / 1000.0)

    def scenario_answer(self, req, data):
        """(code, data) when the next scenario step expects this request and gives its reply;
        None when it does not expect it or leaves the answer to the table and generic answers."""
        if not self.steps or int(self.steps[0].get("expect", -1)) != req:
            return None
        step = self.steps.pop(0)
        want = step.get("hex")
        if want is not None and bytes.fromhex(want) != data:
            self.server.error("%d: scenario expected %s, got %s" % (req, want, data.hex()))
        if "reply" not in step:
            return None
        r = step["reply"]
        return int(r.get("code", SUCCESS)), bytes.fromhex(r.get("hex", ""))


class Server:
    def __init__(self, args):
        self.args = args
        self.key = keys.game_key()
        self.table = load_table(args.table)
        major, minor = args.version.split(".")
        self.version = (int(major), int(minor))
        self.scenario = []
        if args.scenario:
            self.scenario = json.load(open(args.scenario, encoding="utf-8"))["steps"]
        self.faults = {}
        for spec in args.fault or []:
            fid, _, rest = spec.partition(":")
            self.faults[int(fid)] = parse_fault(rest)
        self.lock = threading.RLock()
        self.sessions = []
        self.log = []
        self.errors = []
        self.ready = set()
        self.exit_asks = {}  # asker chair -> set of chairs that agreed
        self.table_handler = None
        self.entry_lock = None  # the table's lock, held while a session enters
        self.running_block_b = None
        self.playing = False
        self.session_count = 0
        self.port = 0  # once listening: the port it listens on
        self.session_closed = None
        self.table_after_reply = None
        self.table_command = None

    def error(self, text):
        with self.lock:
            self.errors.append(text)
        log(text)

    def live_sessions(self):
        with self.lock:
            return [s for s in self.sessions if s.alive]

    def push_all(self, notify_id, data, but=None):
        for s in self.live_sessions():
            if s is not but:
                s.push(notify_id, data)

    # --- connections ------------------------------------------------------------------------
    def serve(self):
        srv = socket.socket()
        srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        srv.bind((self.args.host, self.args.port))
        srv.listen(8)
        with self.lock:
            self.port = srv.getsockname()[1]  # the one the system gave for --port 0
        if self.args.verbose:
            log("listening on %s:%d" % (self.args.host, self.port))
        while True:
            sock, _ = srv.accept()
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            with self.lock:
                self.session_count += 1
                s = Session(self, sock, self.session_count)
                self.sessions.append(s)
            threading.Thread(target=self.run_session, args=(s,), daemon=True).start()

    def run_session(self, s):
        try:
            (n,) = struct.unpack("<I", s.recv_exact(4))
            if s.recv_exact(n) != wire.GREETING_TEXT:
                raise wire.WireError("bad greeting")
            s.run_pushes()
            while True:
                msg_id, wants, req, data, at = s.next_message()
                self.on_request(s, msg_id, wants, req, data, at)
        except wire.WireError as e:
            self.error("session %d: %s" % (s.number, e))
        except (EOFError, OSError):
            pass
        finally:
            s.alive = False
            try:
                s.sock.close()
            except OSError:
                pass
            if self.session_closed:
                self.session_closed(s)

    def on_request(self, s, msg_id, wants, req, data, at=None):
        # An entering session starts taking the table's pushes in the same hold of the table's
        # lock that builds its entry block: no push is both in the block and sent after it. The
        # hold lasts until the entry's reply and ready notices are out: the entry is logged in it,
        # and a deal started on seeing it (as a rig does) must not come before them.
        with self.entry_lock if req == 200110 and self.entry_lock else contextlib.nullcontext():
            answer = self.answer(s, wants, req, data, at)
            if wants:
                self.send_reply(s, msg_id, req, answer)
            self.after_reply(s, req, data)
        s.run_pushes()

    def answer(self, s, wants, req, data, at=None):
        if req == 200110 and len(data) >= 60:
            s.user_id, s.chair, s.look_on = struct.unpack_from("<i16xi32xi", data, 0)
        if req == 201220 and len(data) >= 64:
            s.user_id, s.chair, s.look_on = struct.unpack_from("<i20xi32xi", data, 0)
        with self.lock:
            self.log.append({"session": s.number, "id": req, "size": len(data), "wait": wants, "hex": data.hex(),
                             "at": at})
        for p in records.check_request(req, data, s if s.user_id else None):
            self.error("session %d: %s" % (s.number, p))
        if req in records.SEND_ONLY and wants:
            self.error("session %d: %d wants a reply but is send-only" % (s.number, req))
        answer = s.scenario_answer(req, data)
        if answer is None and self.table_handler:
            answer = self.table_handler(s, req, data)
        if answer is None:
            answer = self.generic(s, req, data)
        return answer

    def send_reply(self, s, msg_id, req, answer):
        code, data = answer if answer else (SUCCESS, b"")
        fault = self.faults.get(req) or self.faults.get(0)
        if fault:
            if "delay_ms" in fault:
                time.sleep(fault["delay_ms"] / 1000.0)
            if fault.get("drop"):
                s.sock.shutdown(socket.SHUT_RDWR)
                raise EOFError
            if fault.get("garble"):
                s.send_raw(bytes((i * 37 + 11) & 0xFF for i in range(300)))
                return
            if "code" in fault:
                code = fault["code"]
            if "text" in fault:
                code, data = SERVER_TEXT, fault["text"].encode("gbk") + b"\x00"
            if "text_hex" in fault:
                code, data = SERVER_TEXT, bytes.fromhex(fault["text_hex"])
            if "reply_hex" in fault:
                data = bytes.fromhex(fault["reply_hex"])
            if "short" in fault:
                data = data[:fault["short"]]
        s.reply(msg_id, code, data)

    # --- the start-up and generic answers ---------------------------------------------------
    def generic(self, s, req, data):
        t = self.table
        if req == 201001:
            return SUCCESS, records.VERSION_REPLY.pack(*self.version)
        if req == 201308:
            return SUCCESS, bytes(records.FEATURE_REPLY_SIZE)
        if req == 200110:
            if s.look_on:
                return ENTERED_LOOK_ON, bytes(records.BLOCK_B_SIZE)
            running = self.running_block_b(s) if self.running_block_b else None
            if running is not None:
                return ENTERED_RUNNING, running
            return ENTERED_PLAYER, records.block_a(t["table"], max(s.chair, 0))
        if req == 201220:
            # The match login: signed up and waiting, with the player's standing and the match's facts.
            doc = t["document"]
            own = next((p for p in doc.players if p.user_id == s.user_id), doc.human())
            return MATCH_WAITING, xlhall.match_record(own, doc.room.name)
        if req == 201130:
            return (TABLE_PLAYING if self.playing else SUCCESS), b""
        if req == SWITCH_ROOM_CONFIG:
            return SUCCESS, switch_room_config(t["document"].room.list)
        if req == SWITCH_ROOM_REPORT:
            log("switch-room report: user %d room %d target %d silver %d kind %d class %d"
                % struct.unpack_from("<i4xiiiii", data.ljust(28, b"\0"), 0))
        return SUCCESS, b""

    def after_reply(self, s, req, data):
        t = self.table
        if req == 200110 and not s.look_on:
            for chair in sorted(self.ready):
                s.push(N_READY, records.READY_PUSH.pack(t["uids"][chair], t["room_id"], t["table"], chair))
        elif req in (201160, 201165):
            # Ready is out of course while a hand runs (the table ignores it): no notice then. The
            # table's lock keeps a deal from starting between the look and the notice.
            with self.entry_lock or contextlib.nullcontext():
                if not self.playing:
                    self.ready.add(s.chair)
                    self.push_all(N_READY, records.READY_PUSH.pack(s.user_id, t["room_id"], t["table"], s.chair))
        elif req in (201210, 201211):
            self.push_all(N_CHAT, data[:records.CHAT_SIZE].ljust(records.CHAT_SIZE, b"\x00"))
            if self.args.verbose:
                text = data[48:110].split(b"\0")[0].decode("gbk", "replace")
                log("chat from %d: %s" % (s.user_id, text))
        elif req == 201200:
            called, called_chair = struct.unpack_from("<2i", data, 16)
            self.push_all(N_AHOO, records.AHOO_PUSH.pack(s.user_id, t["room_id"], t["table"], s.chair, called,
                                                         called_chair))
        elif req == 201212:
            self.push_all(N_ASK_EXIT, data[:records.ASK_EXIT_SIZE], but=s)
            self.exit_asks[s.chair] = set()
            for chair in t["robots"]:
                threading.Timer(ROBOT_AGREE_S, self.exit_answer, args=(chair, t["uids"][chair], s, 1)).start()
        elif req == 201213:
            asker, agreed = struct.unpack_from("<2i", data, 16)
            for a in self.live_sessions():
                if a.user_id == asker:
                    self.exit_answer(s.chair, s.user_id, a, agreed)
        elif req in (201120, 201125):
            # The leaving player's chair is taken over by a robot.
            chair = struct.unpack_from("<i", data, 12)[0] if len(data) >= 16 else -1
            if 0 <= chair < 4:
                t["robots"].add(chair)
                self.ready.discard(chair)
        elif req == 201162:
            if self.args.verbose:
                log("notification failure report: %s" % data.hex())
        if self.table_after_reply:
            self.table_after_reply(s, req, data)

    def exit_answer(self, chair, uid, asker, agreed):
        t = self.table
        self.push_all(N_ASK_EXIT_ANSWER, records.ASK_EXIT_ANSWER.pack(uid, t["room_id"], t["table"], chair,
                                                                      asker.user_id, agreed))
        with self.lock:
            agreeing = self.exit_asks.setdefault(asker.chair, set())
            if agreed:
                agreeing.add(chair)
            done = len(agreeing) == 3
        if done:
            asker.push(N_EXIT_AGREED, records.EXIT_AGREED.pack(asker.user_id, asker.chair, t["table"], 1))

    # --- control ----------------------------------------------------------------------------
    def control(self, srv):
        while True:
            conn, _ = srv.accept()
            if not xllocal.peer_is_own_user(conn):  # an abstract name is open to every user
                conn.close()
                continue
            threading.Thread(target=self.control_client, args=(conn,), daemon=True).start()

    def control_client(self, conn):
        f = conn.makefile("rwb")
        for line in f:
            try:
                answer = self.command(json.loads(line))
            except Exception as e:  # a bad command is answered, never fatal
                answer = {"ok": False, "error": str(e)}
            f.write((json.dumps(answer) + "\n").encode())
            f.flush()
        conn.close()

    def command(self, c):
        op = c.get("op")
        if op == "state":
            with self.lock:
                return {"ok": True, "port": self.port, "sessions": len(self.live_sessions()), "ready": sorted(self.ready),
                        "requests": list(self.log), "errors": list(self.errors)}
        if op == "requests":
            with self.lock:
                return {"ok": True, "hex": [r["hex"] for r in self.log if r["id"] == c["id"]]}
        if op == "arrivals":
            with self.lock:
                return {"ok": True, "at": [r["at"] for r in self.log if r["id"] == c["id"]]}
        if op == "fault":
            self.faults[int(c["id"])] = {k: v for k, v in c.items() if k not in ("op", "id")}
            return {"ok": True}
        if op == "clear_faults":
            self.faults.clear()
            return {"ok": True}
        if op == "push":
            data = bytes.fromhex(c.get("hex", ""))
            for s in self.live_sessions():
                if c.get("session", -1) in (-1, s.number):
                    s.push(int(c["id"]), data)
            return {"ok": True}
        if op == "malformed_push":
            for s in self.live_sessions():
                s.send_raw(malformed(s, c.get("kind", "crc")))
            return {"ok": True}
        if op == "scenario":
            self.scenario = c["steps"]
            for s in self.live_sessions():
                s.steps = list(c["steps"])
                s.run_pushes()
            return {"ok": True}
        if op == "drop":
            for s in self.live_sessions():
                s.alive = False
                s.sock.shutdown(socket.SHUT_RDWR)
            return {"ok": True}
        if op in ("table", "play", "pause", "resume"):
            if not self.table_command:
                return {"ok": False, "error": "no table: start with --play"}
            return self.table_command(c)
        if op == "reset_log":
            with self.lock:
                self.log.clear()
                self.errors.clear()
            return {"ok": True}
        return {"ok": False, "error": "unknown op %r" % op}


def malformed(s, kind):
    """One pushed message the client must drop without harm."""
    with s.send_lock:
        s.push_ids += 1
        serial, msg_id = s.serial + 1, s.push_ids
        s.serial += 1
    if kind == "crc":
        body = wire.pack(wire.message(500, b"x" * 40), s.key, wire.FLAG_AES)
        raw = bytearray(wire.frame(body, serial, msg_id, 1, True))
        raw[-1] ^= 0xFF
        return bytes(raw)
    if kind == "stage":
        # A sound frame whose packager stage claims more bytes than it carries.
        body = struct.pack("<5I", wire.FLAG_AES, 64, 0, 0, 64) + b"\x00" * 16
        return wire.frame(body, serial, msg_id, 1, True)
    # A message whose data length word points past its end.
    raw = struct.pack("<6I", 0, 500, 0, 0, 0, 0) + struct.pack("<I", 4000) + b"abc"
    return wire.frame(wire.pack(raw, s.key, wire.FLAG_AES), serial, msg_id, 1, True)


def parse_fault(text):
    out = {}
    for item in filter(None, text.split(",")):
        k, _, v = item.partition("=")
        out[k] = v if k in ("text", "text_hex", "reply_hex") else (int(v) if v else True)
    return out


def attach_table(server):
    import table
    a = server.args
    try:
        t = table.Table(server, fast=a.fast, think_ms=a.think_ms, seed=a.seed, wall_file=a.wall, hands=a.hands,
                        autoplay_human=a.autoplay_human, dump=a.dump_wins, time_scale=a.time_scale,
                        wait_for_client=a.wait_for_client, pause_after_deal=a.pause_after_deal,
                        money_notice=not a.no_money_notice)
    except (OSError, ValueError) as e:
        log("--wall: %s" % e)
        sys.exit(2)
    server.table_handler = t.handle
    server.entry_lock = t.lock
    server.session_closed = t.session_closed
    server.table_after_reply = t.after_reply
    server.table_command = t.command
    t.later(0, t.robots_ready)
    return t


def parse_args(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=int, default=None,
                   help="default: the table file's server port; 0: a free one, told by the state command")
    p.add_argument("--table")
    p.add_argument("--control", help="the control socket's address: a path, or @name in the abstract namespace")
    p.add_argument("--scenario")
    p.add_argument("--fault", action="append")
    p.add_argument("--version", default="9.3")
    p.add_argument("--verbose", action="store_true")
    p.add_argument("--play", action="store_true")
    p.add_argument("--fast", action="store_true")
    p.add_argument("--think-ms", type=int)
    p.add_argument("--seed", type=int)
    p.add_argument("--wall")
    p.add_argument("--hands", type=int)
    p.add_argument("--autoplay-human", action="store_true")
    p.add_argument("--wait-for-client", action="store_true", help="with --autoplay-human: deal once the client entered")
    p.add_argument("--dump-wins")
    p.add_argument("--time-scale", type=float, default=1.0)
    p.add_argument("--pause-after-deal", action="store_true")
    p.add_argument("--no-money-notice", action="store_true", help="no users' amounts (211030) after a result (tests)")
    p.add_argument("--kernel-arrivals", action="store_true", help="arrivals by the kernel's receive stamp (benches)")
    return p.parse_args(argv)


def main():
    server = Server(parse_args())
    if server.args.port is None:
        server.args.port = server.table["document"].port
    if server.args.play:
        attach_table(server)
    if server.args.control:
        # Bound before the game port, so that a caller that sees the port can command at once.
        control = xllocal.listen(server.args.control)
        threading.Thread(target=server.control, args=(control,), daemon=True).start()
    server.serve()


if __name__ == "__main__":
    main()
