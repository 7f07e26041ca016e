#!/usr/bin/python3
"""The hall stand-in: prepares a run folder, listens on the hall link, starts the client with the
hall's command line from the table file, answers its hand-over and records every frame.

Usage: hall.py CLIENT [options]
       hall.py --listen-only [options]   (a client started by someone else connects; the hall
                                          ends when its link closes)

It answers HELLO, the registration posts 0x9105/0x9118 (start data, dwData 1, ordinary or match),
the web-sign post 0x910C (dwData 14 to the wait dialog: user id, "sign-<uid>-<n>", the token
echoed) and the details post 0x9108 (dwData 7: the user's record); it acknowledges every record
the client sends and decodes the exit report (dwData 2/5, every byte checked), the text record
(11; a link of code 1 is logged, never opened) and the room move (15; with --follow-room-moves a
client for the target room is started).

Fault options for tests: --no-start-data, --invalid-start-data, --web-sign=late|wrong-user|
bogus-token|silent, --silent (no acknowledgements), --hang-up-after=SECONDS (the hall goes; SIGUSR1
hangs up at once, when a test says so),
--send=DWDATA[@SECONDS] (a record of dwData 4, 6, 7 or 13 after the start data).

It ends with its client (exit status of the client), or on Ctrl-C after stopping the client's
process group. --record=FILE writes one JSON line per frame and event, time-stamped.
"""

from __future__ import annotations

import argparse
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "py"))

import xlhall as h  # noqa: E402
import xllocal  # noqa: E402
import xltable  # noqa: E402

HALL_WINDOW = 0x48A11  # the hall's window id on the command line (field 3)


class Hall:
    def __init__(self, args):
        self.args = args
        self.table = xltable.load(args.table)
        self.run = args.run_dir or tempfile.mkdtemp(prefix="xlhall-")
        self.record_file = open(args.record, "a", encoding="utf-8") if args.record else None
        self.seq = 0
        self.signs = 0
        self.start = time.monotonic()
        self.lock = threading.Lock()
        self.clients: list[subprocess.Popen] = []
        self.exit_reports: list[h.ExitReport] = []
        self.main_window = 0
        self.link_closed = threading.Event()
        self.links: list[socket.socket] = []

    # Recording.
    def log(self, event: str, **fields):
        entry = {"t": round(time.monotonic() - self.start, 4), "event": event, **fields}
        line = json.dumps(entry, ensure_ascii=False, default=str)
        if self.record_file:
            self.record_file.write(line + "\n")
            self.record_file.flush()
        if self.args.verbose:
            print("hall:", line, file=sys.stderr, flush=True)

    # The run folder.
    def prepare(self):
        self.hall_dir = os.path.join(self.run, "hall")
        self.machine_dir = os.path.join(self.run, "machine")
        self.game_dir = os.path.join(self.run, "game")
        for d in (self.hall_dir, self.machine_dir, self.game_dir,
                  os.path.join(self.hall_dir, "users"),
                  os.path.join(self.hall_dir, "Share", "advert")):
            os.makedirs(d, exist_ok=True)
        with open(os.path.join(self.hall_dir, "GameHall.ini"), "w", encoding="ascii") as f:
            f.write("[PROXY]\r\nNeed=0\r\n")
        open(os.path.join(self.hall_dir, "Share", "advert", "domain.dat"), "wb").close()
        exe = os.path.join(self.hall_dir, "GameHall")
        with open(exe, "w", encoding="ascii") as f:
            f.write("#!/bin/sh\nexit 0\n")
        os.chmod(exe, 0o755)
        # The client looks for character pictures in the hall's folder; the art program draws them
        # beside the client, and the hall shares them.
        characters = os.path.join(self.hall_dir, "Share", "Image", "Character")
        drawn = os.path.join(os.path.dirname(os.path.abspath(self.args.client)), "Share", "Image",
                             "Character") if self.args.client else ""
        if drawn and os.path.isdir(drawn):
            os.makedirs(characters, exist_ok=True)
            for n in os.listdir(drawn):
                if not os.path.exists(os.path.join(characters, n)):
                    os.symlink(os.path.join(drawn, n), os.path.join(characters, n))
        for p in self.table.players + self.table.watchers:
            os.makedirs(os.path.join(characters, str(p.character)), exist_ok=True)
        with open(os.path.join(self.machine_dir, "vemk.ini"), "w", encoding="ascii") as f:
            f.write(f"[SYSTEM]\r\nExePath={exe}\r\n")
        if self.args.match:
            # The client learns that it serves a match room from its own ini, not from the hall;
            # settings a reused run folder keeps stay.
            ini = os.path.join(self.game_dir, h.GAME_INI)
            lines = open(ini, "rb").read().splitlines() if os.path.exists(ini) else []
            lines = [ln for ln in lines if not ln.startswith(b"IsMatch=")]
            if b"[Test]" not in lines:
                lines.append(b"[Test]")
            lines.insert(lines.index(b"[Test]") + 1, b"IsMatch=1")
            with open(ini, "wb") as f:
                f.write(b"".join(ln + b"\r\n" for ln in lines))
        # The client's skin packs live beside its program; the run's program folder shares them.
        skins = os.path.join(os.path.dirname(os.path.abspath(self.args.client)), "skins") if self.args.client else ""
        if skins and os.path.isdir(skins) and not os.path.exists(os.path.join(self.game_dir, "skins")):
            os.symlink(skins, os.path.join(self.game_dir, "skins"))
        # A name, not a path in the run folder: a path under a long TMPDIR is too long to bind.
        self.sock_path = xllocal.private_name("hall")

    def environment(self):
        env = dict(os.environ)
        env["XL_MACHINE_DIR"] = self.machine_dir
        env["XL_HALL_SOCKET"] = self.sock_path
        env["XL_PROGRAM_DIR"] = self.game_dir + "/"
        return env

    def start_client(self, room_id=None):
        line = h.command_line(self.table, HALL_WINDOW)
        if room_id is not None:
            fields = line.split("|")
            self.log("room-client", room=room_id)
            line = "|".join(fields)
        cmd = [self.args.client, line.encode("gbk").decode("utf-8", "surrogateescape")]
        if self.args.client_arg:
            cmd[1:1] = self.args.client_arg
        # The client's clock starts before it is forked, so that no scheduling delay of ours after
        # the start is left out of its time.
        started = time.monotonic()
        proc = subprocess.Popen(cmd, env=self.environment(), start_new_session=True)
        self.clients.append(proc)
        self.log("client-started", pid=proc.pid, command_line=line, clock=started)
        return proc

    # Frames.
    def next_seq(self):
        with self.lock:
            self.seq += 1
            return self.seq

    def send(self, conn, frame: h.Frame):
        self.log("send", kind=frame.kind, seq=frame.seq, target=frame.target, message=frame.message,
                 wparam=frame.wparam, lparam=frame.lparam, size=len(frame.payload))
        try:
            conn.send(frame.pack())
        except OSError as exc:
            self.log("send-failed", error=str(exc))

    def copydata(self, conn, target, dw, payload, encipher=True):
        data = h.encrypt(payload) if encipher else payload
        self.send(conn, h.Frame(h.KIND_COPYDATA, self.next_seq(), target, dw, HALL_WINDOW, 0, data))

    def start_data(self):
        if self.args.invalid_start_data:
            t = xltable.load(self.args.table)
            t.players = [p for p in t.players if p.chair != t.human_chair]
            return h.start_data(t)
        if self.args.match:
            return h.match_start_data(self.table, self.table.human(), self.table.room.name)
        return h.start_data(self.table)

    def on_post(self, conn, f: h.Frame):
        self.log("post", message=hex(f.message), wparam=f.wparam, lparam=f.lparam)
        if f.message in (h.MSG_REGISTER_ROOM, h.MSG_REGISTER_MATCH):
            self.main_window = f.wparam
            if not self.args.no_start_data:
                self.copydata(conn, f.wparam, h.DATA_START, self.start_data())
            for spec in self.args.send or []:
                dw, _, delay = spec.partition("@")
                threading.Timer(float(delay or 0), self.send_extra, (conn, int(dw))).start()
            if self.args.hang_up_after is not None:
                threading.Timer(self.args.hang_up_after, self.hang_up, (conn,)).start()
        elif f.message == h.MSG_WEB_SIGN:
            self.answer_web_sign(conn, f.wparam, f.lparam)
        elif f.message == h.MSG_USER_DETAILS:
            user = next((u for u in self.table.players + self.table.watchers if u.user_id == f.lparam), None)
            if user:
                self.copydata(conn, self.main_window, h.DATA_USER_DETAILS, h.user_record(user, self.table.number))

    def answer_web_sign(self, conn, dialog, token):
        mode = self.args.web_sign
        if mode == "silent":
            return
        self.signs += 1
        uid = self.table.human().user_id
        sign = f"sign-{uid}-{self.signs}"
        if mode == "wrong-user":
            uid += 1
        if mode == "bogus-token":
            token ^= 0x5A5A0000
        payload = h.web_sign_answer(uid, sign, token)
        if mode == "late":
            threading.Timer(7.0, self.copydata, (conn, dialog, h.DATA_WEB_SIGN, payload)).start()
        else:
            self.copydata(conn, dialog, h.DATA_WEB_SIGN, payload)

    def send_extra(self, conn, dw):
        t = self.table
        if dw == h.DATA_LOOKON_JOIN:
            watcher = xltable.User(chair=t.human_chair, user_id=9001, name="看客")
            payload = h.user_record(watcher, t.number, lookon=True)
        elif dw == h.DATA_PLAYER_LEFT:
            other = t.robots()[0]
            payload = h.player_left(HALL_WINDOW, other.user_id, t.number, other.chair)
        elif dw == h.DATA_USER_DETAILS:
            payload = h.user_record(t.robots()[0], t.number)
        else:
            payload = b"\x13" * 32
        self.copydata(conn, self.main_window, dw, payload)

    def hang_up(self, conn):
        self.log("hang-up")
        try:
            conn.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def on_copydata(self, conn, f: h.Frame):
        fields = {"dwData": f.message, "wparam": f.wparam, "size": len(f.payload)}
        try:
            if f.message in (h.DATA_EXIT, h.DATA_EXIT_LOST):
                report = h.exit_report(f.payload)
                self.exit_reports.append(report)
                fields["exit_report"] = report.__dict__
            elif f.message == h.DATA_TEXT:
                if len(f.payload) != 544:
                    raise ValueError(f"text record of {len(f.payload)} bytes")
                rec = h.text_record(h.decrypt(f.payload))
                rec["text"] = rec["text"].decode("gbk", "replace")
                fields["text_record"] = rec
            elif f.message == h.DATA_ROOM_MOVE:
                move = h.room_move(h.decrypt(f.payload))
                fields["room_move"] = move
                if self.args.follow_room_moves:
                    self.start_client(move["target_room"])
        except ValueError as exc:
            fields["error"] = str(exc)
        self.log("copydata", **fields)
        if not self.args.silent:
            self.send(conn, h.Frame(h.KIND_ACK, f.seq, 0, 0, 0, 1))

    def serve(self, conn):
        self.links.append(conn)
        while True:
            try:
                raw = conn.recv(h.LINK_MAX + 1)
            except OSError:
                break
            if not raw:
                break
            try:
                f = h.unpack_frame(raw)
            except ValueError as exc:
                self.log("bad-frame", error=str(exc), size=len(raw))
                continue
            if f.kind == h.KIND_HELLO:
                pid, uid, window = h.hello_fields(f.payload)
                self.log("hello", pid=pid, user_id=uid, window=window)
            elif f.kind == h.KIND_POST:
                self.on_post(conn, f)
            elif f.kind == h.KIND_COPYDATA:
                self.on_copydata(conn, f)
            elif f.kind == h.KIND_ACK:
                self.log("ack", seq=f.seq, result=f.lparam)
        self.log("link-closed")
        self.link_closed.set()

    def stop_clients(self):
        for p in self.clients:
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in self.clients:
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)

    def end_leftovers(self):
        """Ends what an ended client left in its process group (a helper forked at its start):
        the programs it means to start lead groups of their own."""
        for p in self.clients:
            if p.poll() is not None:
                try:
                    os.killpg(p.pid, signal.SIGKILL)
                except (ProcessLookupError, PermissionError):
                    pass

    def main(self) -> int:
        self.prepare()
        listener = xllocal.listen(self.sock_path, socket.SOCK_SEQPACKET)
        self.log("listening", path=self.sock_path, run=self.run)

        def accept_loop():
            while True:
                try:
                    conn, _ = listener.accept()
                except OSError:
                    return
                if not xllocal.peer_is_own_user(conn):
                    conn.close()
                    continue
                threading.Thread(target=self.serve, args=(conn,), daemon=True).start()

        threading.Thread(target=accept_loop, daemon=True).start()
        signal.signal(signal.SIGUSR1, lambda *_: [self.hang_up(c) for c in list(self.links)])
        if self.args.listen_only:
            print(self.sock_path, flush=True)
            closed = self.link_closed.wait(self.args.listen_timeout)
            time.sleep(0.1)
            listener.close()
            return 0 if closed else 2
        client = self.start_client()
        try:
            status = client.wait()
        except KeyboardInterrupt:
            self.log("interrupted")
            self.stop_clients()
            status = 130
        self.end_leftovers()
        self.log("client-exit", status=status, core_dumped=status < 0 and -status in (signal.SIGSEGV, signal.SIGABRT))
        time.sleep(0.1)  # the reader threads record the last frames
        listener.close()
        return status if status >= 0 else 128 - status


def main(argv=None) -> int:
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("client", nargs="?")
    p.add_argument("--listen-only", action="store_true")
    p.add_argument("--listen-timeout", type=float, default=30.0)
    p.add_argument("--table", default=None)
    p.add_argument("--run-dir", default=None)
    p.add_argument("--record", default=None)
    p.add_argument("--match", action="store_true")
    p.add_argument("--no-start-data", action="store_true")
    p.add_argument("--invalid-start-data", action="store_true")
    p.add_argument("--web-sign", choices=["normal", "late", "wrong-user", "bogus-token", "silent"], default="normal")
    p.add_argument("--silent", action="store_true")
    p.add_argument("--hang-up-after", type=float, default=None)
    p.add_argument("--send", action="append")
    p.add_argument("--follow-room-moves", action="store_true")
    p.add_argument("--client-arg", action="append", help="arguments placed before the command line (tests)")
    p.add_argument("-v", "--verbose", action="store_true")
    args = p.parse_args(argv)
    if not args.client and not args.listen_only:
        p.error("a client program, or --listen-only")
    hall = Hall(args)
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    return hall.main()


if __name__ == "__main__":
    sys.exit(main())
