"""What reaches the stand-in's table from outside: the clients' requests, entering (block A,
block B), look-on clients and their asks to see, drops and returns, and the control socket.
A part of `table.Table`."""
import struct
import time

from table_base import (BACK_ONLINE, CHAIRS, CLAIM_REFUSED, DRAW_NOT_DUE, ENTERED_LOOK_ON, ENTERED_PLAYER,
                        ENTERED_RUNNING, EXCHANGE, GANG_ROBBED, GANG_TILES_REQUEST, G_DISCARD, HU_REFUSED,
                        IDLE, MISSING, MISSING_REFUSED, NO_FLOWER, NO_TILE, PLAY, ROBOT_REFUSE_SEE, SUCCESS,
                        THROW_REFUSED, EXCHANGE_REFUSED)
from xlwire import records
from xlwire import xueliu as X

# The answer to a request too short to read.
REFUSALS = {222080: THROW_REFUSED, 229310: EXCHANGE_REFUSED, 229350: MISSING_REFUSED, 229080: HU_REFUSED}


class TableIO:
    # --- requests ---------------------------------------------------------------------------
    def handle(self, s, req, data):
        """The table's answer (code, data) to a request, or None to leave it to the generic
        answers."""
        with self.lock:
            try:
                return self.handle_locked(s, req, data)
            except struct.error:
                # Too short for its fields (the layout check has said so): refused, the session goes on.
                self.fault("%d: %d bytes" % (req, len(data)))
                return REFUSALS.get(req, CLAIM_REFUSED), b""

    def handle_locked(self, s, req, data):
        if req == 200110:
            return self.enter(s)
        if s.look_on:
            if req == 229550:
                return self.ask_to_see(s)
            if req in (201140,):
                return SUCCESS, self.block_b(self.view_of(s))
            return None
        c = s.chair
        if not 0 <= c < CHAIRS:
            return None
        with self.lock:
            if req == 201140:
                return SUCCESS, self.block_b(c)
            if req == 229310:
                self.human_acted(c)
                return self.choose_exchange(c, list(struct.unpack_from("<3i", data, 16))), b""
            if req == 229350:
                self.human_acted(c)
                return self.choose_missing(c, struct.unpack_from("<i", data, 16)[0]), b""
            if req == 222080:
                tile = struct.unpack_from("<i", data, 104)[0] if len(data) >= 108 else -1
                self.human_acted(c)
                code = self.throw(c, tile)
                if code != SUCCESS:
                    self.push_resync(s, c)
                return code, b""
            if req == 229000:
                return (NO_TILE if self.phase == PLAY and self.tiles_left() <= 0 else DRAW_NOT_DUE), b""
            if req == 229060:
                return NO_FLOWER, b""
            if req == 229218:
                self.human_acted(c)
                self.answer(c, "pass")
                return None
            if req == 229010:
                self.human_acted(c)
                w = self.window
                if w and c in w["options"] and self.answer(c, "peng"):
                    w["peng_tiles"][c] = True
                return None
            if req in (229020, 229030):
                return CLAIM_REFUSED, b""
            if req == 229214:
                return self.wait_claim(c, "peng"), b""
            if req == 229080:
                self.human_acted(c)
                return self.hu_request(c, data), b""
            if req == 229015:
                self.human_acted(c)
                kind, tile = struct.unpack_from("<i", data, 36)[0], struct.unpack_from("<i", data, 20)[0]
                if kind == G_DISCARD:
                    w = self.window
                    if not w or w["kind"] != "discard" or not self.answer(c, "gang"):
                        return CLAIM_REFUSED, b""
                    self.wait_window(w)
                    if w.get("result") != ("gang", c):
                        return CLAIM_REFUSED, b""
                    return SUCCESS, X.GANG_REPLY.pack(G_DISCARD, w["tile"], 229215, 0)
                return self.start_own_gang(c, kind, tile)
            if req in (229215, 229216, 229217):
                return self.gang_tiles(c, req)
        return None

    def wait_window(self, w):
        deadline = time.monotonic() + 4.0
        while "result" not in w and time.monotonic() < deadline:
            self.cond.wait(deadline - time.monotonic())

    def wait_claim(self, c, action):
        w = self.last_window
        if not w or w["answers"].get(c) != action or c not in w["peng_tiles"]:
            # A claim's tiles without its announcement are refused.
            return CLAIM_REFUSED
        self.wait_window(w)
        return SUCCESS if w.get("result") == (action, c) else CLAIM_REFUSED

    def hu_request(self, c, data):
        source, tile, kind = struct.unpack_from("<3i", data, 16)
        if kind == 2:
            return self.self_hu(c, tile)
        w = self.window
        if not w or w["tile"] != tile or (kind == 4) != (w["kind"] == "rob") or not self.answer(c, "hu"):
            return HU_REFUSED
        return SUCCESS

    def gang_tiles(self, c, req):
        g = self.pending_gang
        if g and g["chair"] == c and GANG_TILES_REQUEST[g["kind"]] == req:
            record = self.complete_pending()
            return (SUCCESS, record) if record else (NO_TILE, b"")
        w = self.rob_window
        if req == 229216 and w and w["gang"][0] == c:
            self.wait_window(w)
            self.rob_window = None
            if w.get("result") == "robbed":
                return GANG_ROBBED, b""
            if w.get("record"):
                return SUCCESS, w["record"]
        return CLAIM_REFUSED, b""

    def push_resync(self, s, c):
        hand = sorted(self.seats[c].hand)
        s.push(229580, X.RESYNC_HEAD.pack(self.uids[c], c, len(hand)) + struct.pack("<%di" % len(hand), *hand))

    # --- look-on, drops and returns ---------------------------------------------------------
    def ask_to_see(self, s):
        watched = s.chair
        if not 0 <= watched < CHAIRS:
            return None
        rec = X.ASK_SEE.pack(s.user_id, self.doc.room.id, self.doc.number, watched)
        if self.is_auto(watched) or watched in self.robot_chairs:
            self.later(ROBOT_REFUSE_SEE, self.see_answer, watched, s.user_id, 0, always=True)
        else:
            self.to_chair(watched, 229550, rec)
        return None

    def see_answer(self, chair, watcher_uid, allow):
        rec = X.SEE_ANSWER.pack(self.uids[chair], chair, watcher_uid, allow)
        self.to_chair(chair, 229570, rec)
        for s in self.server.live_sessions():
            if s.look_on and s.user_id == watcher_uid:
                if allow:
                    self.allowed_watchers.add(s.number)
                s.push(229570, rec)

    def after_reply(self, s, req, data):
        if req == 200110 and not s.look_on and s.chair == self.human and self.wait_for_client:
            with self.lock:
                self.robots_ready()
        if req == 200110 and not s.look_on and s.chair in self.offline:
            self.offline.discard(s.chair)
            self.server.push_all(229500, X.GAME_MESSAGE.pack(self.doc.room.id, s.user_id, BACK_ONLINE, 4, s.chair))
        elif req in (201160, 201165) and not s.look_on:
            self.chair_ready(s.chair)
        elif req == 229560:
            watcher, allow = struct.unpack_from("<2i", data, 16)
            with self.lock:
                self.see_answer(s.chair, watcher, 1 if allow else 0)

    def session_closed(self, s):
        if s.user_id and not s.look_on and 0 <= s.chair < CHAIRS:
            with self.lock:
                if not any(o is not s and o.chair == s.chair and not o.look_on and o.user_id
                           for o in self.server.live_sessions()):
                    self.offline.add(s.chair)
                    self.server.push_all(211240, X.OFFLINE.pack(s.user_id))

    # --- entering and reconnect --------------------------------------------------------------
    def enter(self, s):
        if s.look_on:
            return ENTERED_LOOK_ON, self.block_b(self.view_of(s))
        if self.phase in (EXCHANGE, MISSING, PLAY) and 0 <= s.chair < CHAIRS:
            return ENTERED_RUNNING, self.block_b(s.chair)
        return ENTERED_PLAYER, records.block_a(self.doc.number, max(s.chair, 0), deal=self.deal_number)

    def block_b(self, view):
        with self.lock:
            if self.phase == IDLE and not self.deal_number:
                return bytes(X.BLOCK_B_SIZE)
            units = {"peng": [], "discard_gang": [], "concealed_gang": [], "added_gang": []}
            for c, seat in enumerate(self.seats):
                units["peng"].append([(p[0], p[1], p[2], -1, f, 0, 0) for p, f in zip(seat.melds.pungs, seat.peng_from)])
                units["discard_gang"].append([(*g, f, 0, 0) for g, f in zip(seat.melds.discard_gangs, seat.gang_from)])
                units["concealed_gang"].append([(*(g if c == view else [X.HIDDEN] * 4), c, 0, 0)
                                                for g in seat.melds.concealed_gangs])
                units["added_gang"].append([(*g, c, 0, 0) for g in seat.melds.added_gangs])
            record = X.table_record(units, [s.discards for s in self.seats])
            w = self.window
            middle = self.last_throw[1] if self.phase == PLAY and self.last_throw else -1
            turn = (w["source"] if w else getattr(self, "turn", -1)) if self.phase == PLAY else -1
            state = X.PLAY_STATE.pack(turn, 1 if self.phase == PLAY and self.must_throw and not w else 0,
                                      self.last_throw[0] if self.phase == PLAY and self.last_throw else -1, middle,
                                      self.tiles_left(), self.low if self.phase else 0,
                                      self.high if self.phase else 0, *[len(s.wins) for s in self.seats],
                                      *[s.missing for s in self.seats], self.phase)
            return self.deal_start(view) + record + state

    # --- control ----------------------------------------------------------------------------
    def command(self, c):
        if c.get("op") == "play":
            with self.lock:
                self.hand_limit = self.hands_played + int(c.get("hands", 1))
                self.maybe_start()
            return {"ok": True}
        if c.get("op") in ("pause", "resume"):
            # Once "pause" has answered no timed step runs until "resume": the table stands still.
            with self.lock:
                self.pause(c["op"] == "pause")
            return {"ok": True}
        if c.get("brief"):
            # For pollers: the whole state grows with the history and costs a poll dearly.
            with self.lock:
                return {"ok": True, "phase": self.phase, "deal": self.deal_number, "hands_played": self.hands_played}
        return {"ok": True, **self.state()}

    def state(self):
        with self.lock:
            return {"phase": self.phase, "deal": self.deal_number, "hands_played": self.hands_played,
                    "banker": self.banker, "tiles_left": self.tiles_left(), "silver": list(self.silver),
                    "score": list(self.score), "turn": getattr(self, "turn", -1),
                    "middle": list(self.last_throw) if self.phase == PLAY and getattr(self, "last_throw", None) else None,
                    "seats": [{"hand": sorted(s.hand), "missing": s.missing, "locked": s.locked,
                               "drawn": -1 if s.drawn is None else s.drawn,
                               "discards": s.discards, "pungs": s.melds.pungs, "discard_gangs": s.melds.discard_gangs,
                               "concealed_gangs": s.melds.concealed_gangs, "added_gangs": s.melds.added_gangs,
                               "wins": [{"tile": w[1], "flags": w[2], "total": w[0].total, "counters": w[0].counters}
                                        for w in s.wins]} for s in self.seats],
                    "history": self.history, "errors": list(self.errors), "human_time_outs": self.human_time_outs,
                    "decision_ms": sorted(d * 1000 for d in self.decisions)[len(self.decisions) // 2]
                    if self.decisions else 0}
