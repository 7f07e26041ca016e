"""The stand-in's table: whole hands of "血流成河" with robots in the chairs the table file gives
them, the human chair played through its client (or by the server after its time-outs, or at
once with --autoplay-human), look-on clients, reconnects and the settlement.

The rules: 108 tiles; the banker gets 14; three tiles passed on in the direction of the dice;
each chair goes without one suit; peng, gangs (on a discard, added, concealed) and hu, no chi and
no flowers; hu beats gang and peng and every chair that claims hu on a tile wins; a chair that
still holds its missing suit cannot win; after a win the hand is locked (the drawn tile is thrown
unless it wins again or makes a gang that keeps the same waits) and play goes on until the wall
is empty. The turn passes from chair c to (c + 3) mod 4.

Every push is built for its receiver: other chairs' concealed tiles are 200. All state changes
happen under one lock; timed steps (robot thinking, time-outs) run on one scheduler thread and
carry the step number they were made for, so a step that the game has moved past does nothing."""
import heapq
import json
import random
import struct
import sys
import threading
import time

import fans
import robots
import settle
from fans import suit_of
from tile_text import tiles
from table_base import (AUTO_ACT_AFTER, AUTO_OFF, AUTO_ON, CHAIRS, CLAIM_TIME, DEAL, DEAL_HOLD, ENDED,
                        EXCHANGE, EXCHANGE_REFUSED, EXCHANGE_TIME, FAN_CAP, IDLE, MISSING, MISSING_REFUSED,
                        MISSING_TIME, PLAY, SUCCESS, Seat, THROW_TIME, WALL, play_order_from)
from table_io import TableIO
from table_play import TablePlay
from xlwire import xueliu as X


class Table(TablePlay, TableIO):
    def __init__(self, server, fast=False, think_ms=None, seed=None, wall_file=None, hands=None,
                 autoplay_human=False, dump=None, time_scale=1.0, wait_for_client=False, pause_after_deal=False,
                 money_notice=True):
        self.server = server
        t = server.table
        self.doc = t["document"]
        self.uids = t["uids"]
        self.robot_chairs = t["robots"]
        self.human = self.doc.human_chair
        self.think = (0 if fast else 0.7) if think_ms is None else think_ms / 1000.0
        self.fast = fast
        self.rng = random.Random(seed)
        self.walls = load_walls(wall_file) if wall_file else []
        self.hand_limit = hands
        self.autoplay_human = autoplay_human
        self.wait_for_client = wait_for_client  # the auto-played own chair is ready once its client entered
        self.dump = dump
        self.time_scale = time_scale   # shortens the human's time-outs in tests
        self.pause_after_deal = pause_after_deal  # each deal pauses the table until "resume" (tests)
        # Off in tests: the users' new amounts after a result would hide the client's own sums.
        self.money_notice = money_notice
        room = self.doc.room
        self.base_silver = room.base_silver or 1
        self.base_score = room.base_score or 1
        self.heavenly_rule = bool(room.type & 0x10)
        self.silver_room = 1 if room.type & 0x04 else 0
        self.silver = [0] * CHAIRS
        self.score = [0] * CHAIRS
        self.levels = [b""] * CHAIRS  # the level text, as the hall's user records carry it
        for p in self.doc.players:
            if 0 <= p.chair < CHAIRS:
                self.silver[p.chair] = p.silver
                self.score[p.chair] = p.score
                self.levels[p.chair] = p.level.encode("gbk")
        self.lock = threading.RLock()
        self.cond = threading.Condition(self.lock)
        self.timers = []
        self.timer_seq = 0
        self.timer_wake = threading.Condition(threading.Lock())
        self.step = 0
        self.phase = IDLE
        self.deal_number = 0
        self.hands_played = 0
        self.banker = self.doc.players[0].chair if self.doc.players else 0
        self.ready = set()
        self.auto_on = False
        self.allowed_watchers = set()
        self.offline = set()
        self.paused = False        # the control socket holds every timed step (tests)
        self.paused_at = 0.0       # when the table last stood still, and for how long in all
        self.paused_for = 0.0
        self.history = []          # finished hands: results for the control socket
        self.errors = []
        self.log = []
        self.seats = [Seat(c) for c in range(CHAIRS)]
        self.window = None
        self.pending_gang = None
        self.decisions = []        # robot decision times (s)
        self.human_time_outs = 0   # decisions the server took for the human after its time-out (gangs included)
        threading.Thread(target=self.run_timers, daemon=True).start()

    def progress(self, text):
        # Lines a run script waits on (the deal, the middle of a hand, the result); verbose only.
        if getattr(getattr(self.server, "args", None), "verbose", False):
            print("game server: hand %d: %s" % (self.deal_number, text), file=sys.stderr, flush=True)

    # --- scheduling -------------------------------------------------------------------------
    def later(self, delay, fn, *args, always=False):
        """Runs fn(*args) after delay seconds unless the game has moved on meanwhile; `always`
        runs it however the game moved (a step outside the play, such as an answer to a watcher)."""
        with self.timer_wake:
            self.timer_seq += 1
            step = None if always else self.step
            heapq.heappush(self.timers, (self.clock() + delay, self.timer_seq, step, fn, args))
            self.timer_wake.notify()

    def clock(self):
        """The table's time: it stands still while the table is paused, so that a time-out running
        when the pause began has as long after it as it had left (a pause is no time-out)."""
        return (self.paused_at if self.paused else time.monotonic()) - self.paused_for

    def pause(self, paused):
        """Holds or releases every timed step (under self.lock)."""
        if paused and not self.paused:
            self.paused_at = time.monotonic()
        elif self.paused and not paused:
            self.paused_for += time.monotonic() - self.paused_at
        self.paused = paused
        self.cond.notify_all()
        with self.timer_wake:
            self.timer_wake.notify()

    def run_timers(self):
        while True:
            with self.timer_wake:
                while not self.timers or self.timers[0][0] > self.clock():
                    self.timer_wake.wait(None if not self.timers or self.paused else self.timers[0][0] - self.clock())
                _, _, step, fn, args = heapq.heappop(self.timers)
            with self.lock:
                while self.paused:
                    self.cond.wait()
                if step is not None and step != self.step:
                    continue
                try:
                    fn(*args)
                except Exception as e:  # a fault of the table is kept, never fatal to the server
                    self.fault("%s: %r" % (fn.__name__, e))

    def advance(self):
        self.step += 1
        self.cond.notify_all()

    def fault(self, text):
        self.errors.append(text)
        self.server.error("table: " + text)

    # --- who plays a chair ------------------------------------------------------------------
    def is_auto(self, c):
        return c in self.robot_chairs or (c == self.human and self.autoplay_human)

    def human_session(self):
        for s in self.server.live_sessions():
            if s.user_id and not s.look_on and s.chair == self.human:
                return s
        return None

    # --- pushes -----------------------------------------------------------------------------
    def view_of(self, s):
        if not s.look_on:
            return s.chair
        return s.chair if s.number in self.allowed_watchers else -1

    def each(self, notify_id, build):
        """Push to every entered session the record build(view chair) makes for it."""
        for s in self.server.live_sessions():
            if s.user_id:
                data = build(self.view_of(s))
                if data is not None:
                    s.push(notify_id, data)

    def to_chair(self, chair, notify_id, data):
        for s in self.server.live_sessions():
            if s.user_id and not s.look_on and s.chair == chair:
                s.push(notify_id, data)

    def head(self, c):
        return (self.uids[c], self.doc.room.id, self.doc.number, c)

    # --- readiness and the deal -------------------------------------------------------------
    def chair_ready(self, c):
        with self.lock:
            if self.phase in (EXCHANGE, MISSING, PLAY):
                return
            self.ready.add(c)
            self.maybe_start()

    def robots_ready(self):
        for c in range(CHAIRS):
            if c == self.human and self.wait_for_client and self.human_session() is None:
                continue
            if self.is_auto(c) and c not in self.ready:
                self.ready.add(c)
                self.server.ready.add(c)
                self.server.push_all(201160, struct.pack("<4i", *self.head(c)))
        self.maybe_start()

    def maybe_start(self):
        if self.phase in (EXCHANGE, MISSING, PLAY) or len(self.ready) < CHAIRS:
            return
        if self.hand_limit is not None and self.hands_played >= self.hand_limit:
            return
        self.deal()

    def params(self, view):
        w = [0] * 49
        w[0], w[1], w[2], w[3] = self.doc.room.id, self.doc.number, CHAIRS, view
        w[4], w[5], w[6] = WALL, DEAL, DEAL * CHAIRS + 1
        w[8], w[9], w[10], w[11] = self.deal_number, self.base_silver, self.base_score, self.banker
        w[12] = self.dice[0] | self.dice[1] << 8
        w[13] = self.banker
        w[14] = 0x100 | 4 | 8 | 0x20 | (0x10 if self.heavenly_rule else 0)
        w[18], w[19], w[21], w[22] = THROW_TIME, EXCHANGE_TIME, self.silver_room, MISSING_TIME
        w[23:27] = self.start_silver
        w[27], w[28], w[36], w[37], w[39] = 1, FAN_CAP, -1, -1, CLAIM_TIME
        return X.GAME_PARAMS.pack(*w)

    def deal_start(self, view):
        lists = []
        for c in range(CHAIRS):
            own = sorted(self.seats[c].hand) if c == view else []
            drawn = self.seats[c].drawn
            if drawn in own:
                # The drawn tile first, so a client coming back shows it in the drawn place (a
                # locked hand may throw only that one).
                own.remove(drawn)
                own.insert(0, drawn)
            lists += X.pad_list(own, 32)
        counts = [len(self.seats[c].hand) for c in range(CHAIRS)]
        return X.DEAL_START.pack(self.params(view), X.START_EXTRA.pack(self.tiles_left()), *lists, *counts)

    def deal(self):
        self.advance()
        self.deal_number += 1
        if self.walls:
            entry = self.walls[(self.deal_number - 1) % len(self.walls)]
            self.wall, self.dice = list(entry["wall"]), tuple(entry.get("dice", (1, 1)))
        else:
            self.wall = list(range(WALL))
            self.rng.shuffle(self.wall)
            self.dice = (self.rng.randint(1, 6), self.rng.randint(1, 6))
        self.seats = [Seat(c) for c in range(CHAIRS)]
        order = [self.banker] + play_order_from(self.banker)
        for k, c in enumerate(order):
            self.seats[c].hand = self.wall[k * DEAL:(k + 1) * DEAL]
        self.seats[self.banker].hand.append(self.wall[DEAL * CHAIRS])
        self.low, self.high = DEAL * CHAIRS + 1, WALL - 1
        self.thrower_replacement = False
        self.last_window = None
        self.rob_window = None
        self.start_silver = list(self.silver)
        self.window = None
        self.pending_gang = None
        self.first_winner = None
        self.win_order = 0
        self.entries = []
        self.last_win_tile = -1
        self.ready.clear()
        self.server.ready.clear()
        self.server.playing = True
        self.phase = EXCHANGE
        self.each(211040, self.deal_start)
        self.each(229300, lambda v: X.EXCHANGE_BEGIN.pack(EXCHANGE_TIME, 0))
        self.progress("dealt")
        if self.pause_after_deal:
            self.pause(True)
        for c in range(CHAIRS):
            self.prompt(c, EXCHANGE_TIME + DEAL_HOLD, self.auto_exchange)

    def tiles_left(self):
        return self.high - self.low + 1 if self.phase else 0

    # --- decisions: robots act after their think delay, the human after a time-out ----------
    def prompt(self, c, seconds, act, on_time_out=None):
        """Asks chair c for a decision: a robot takes it (act) after its delay; the human's client
        has `seconds`, then the server pushes 229165 and, 2 s later, acts for it (on_time_out,
        else act)."""
        if self.is_auto(c):
            self.later(self.think, self.robot_act, c, act)
        else:
            self.later(seconds * self.time_scale, self.human_time_out, c, on_time_out or act)

    def robot_act(self, c, act):
        t0 = time.perf_counter()
        act(c)
        self.decisions.append(time.perf_counter() - t0)

    def human_time_out(self, c, act):
        self.human_time_outs += 1
        self.to_chair(c, 229165, X.TIME_OUT.pack(c))
        if not self.auto_on:
            self.auto_on = True
            self.server.push_all(229500, X.GAME_MESSAGE.pack(self.doc.room.id, self.uids[c], AUTO_ON, 4, c))
        self.later(AUTO_ACT_AFTER * self.time_scale, act, c)

    def timed_out_gang(self):
        """The human's gang waited in vain for its client to ask for the tiles: the server ends it."""
        if self.pending_gang:
            self.human_time_outs += 1
        self.complete_pending()

    def human_acted(self, c):
        if c == self.human and self.auto_on:
            self.auto_on = False
            self.server.push_all(229500, X.GAME_MESSAGE.pack(self.doc.room.id, self.uids[c], AUTO_OFF, 4, c))

    # --- exchange and missing suit ----------------------------------------------------------
    def auto_exchange(self, c):
        if self.phase == EXCHANGE and self.seats[c].exchange is None:
            self.choose_exchange(c, robots.exchange_choice(self.seats[c].hand))

    def choose_exchange(self, c, tiles):
        seat = self.seats[c]
        if self.phase != EXCHANGE or seat.exchange is not None or len(set(tiles)) != 3 \
                or any(t not in seat.hand for t in tiles) or len({suit_of(t) for t in tiles}) != 1:
            return EXCHANGE_REFUSED
        seat.exchange = sorted(tiles)
        self.server.push_all(229320, X.CHOSEN.pack(*self.head(c), 1))
        if all(s.exchange is not None for s in self.seats):
            self.finish_exchange()
        return SUCCESS

    def finish_exchange(self):
        self.advance()
        direction = (self.dice[0] + self.dice[1]) % 3 + 1
        step = {1: 3, 2: 1, 3: 2}[direction]
        got = {}
        for g in range(CHAIRS):
            r = (g + step) % CHAIRS
            got[r] = (g, self.seats[g].exchange)
        for c, seat in enumerate(self.seats):
            for t in seat.exchange:
                seat.hand.remove(t)
        for r, (g, tiles) in got.items():
            self.seats[r].hand += tiles

        def build(view):
            if view < 0:
                return X.EXCHANGE_DONE.pack(direction, -1, *[X.HIDDEN] * 6, -1)
            g, received = got[view]
            return X.EXCHANGE_DONE.pack(direction, view, *self.seats[view].exchange, *received, g)
        self.each(229330, build)
        self.phase = MISSING
        self.each(229340, lambda v: X.MISSING_BEGIN.pack(MISSING_TIME, robots.missing_choice(self.seats[v].hand)
                                                         if v >= 0 else -1))
        for c in range(CHAIRS):
            self.prompt(c, MISSING_TIME, self.auto_missing)

    def auto_missing(self, c):
        if self.phase == MISSING and self.seats[c].missing < 0:
            self.choose_missing(c, robots.missing_choice(self.seats[c].hand))

    def choose_missing(self, c, suit):
        if self.phase != MISSING or self.seats[c].missing >= 0 or not 0 <= suit <= 2:
            return MISSING_REFUSED
        self.seats[c].missing = suit
        self.server.push_all(229320, X.CHOSEN.pack(*self.head(c), 2))
        if all(s.missing >= 0 for s in self.seats):
            self.advance()
            self.server.push_all(229360, X.MISSING_SUITS.pack(*[s.missing for s in self.seats]))
            self.phase = PLAY
            self.turn, self.must_throw = self.banker, True
            self.last_throw = None
            self.prompt(self.banker, THROW_TIME + DEAL_HOLD, self.auto_turn, self.timed_out_throw)
        return SUCCESS

    # --- the end of a hand ------------------------------------------------------------------
    def end_hand(self):
        self.advance()
        self.phase = ENDED
        flower_pigs = [c for c in range(CHAIRS) if any(suit_of(t) == self.seats[c].missing
                                                       for t in self.seats[c].hand)]
        ready = {}
        for c in range(CHAIRS):
            if c not in flower_pigs:
                ready[c] = fans.best_ready_fan(self.seats[c].hand, self.seats[c].melds, self.seats[c].missing)
        for payer, transfers in settle.flower_pig_transfers(flower_pigs, FAN_CAP):
            self.pay(settle.CHA_HUA_ZHU, payer, transfers)
        for payer, transfers in settle.not_ready_transfers(ready, FAN_CAP):
            self.pay(settle.CHA_DA_JIAO, payer, transfers)
        blocks = []
        for c, seat in enumerate(self.seats):
            best = max(seat.wins, key=lambda w: w[0].total, default=None)
            flags = (3 if c in flower_pigs else 0) | (4 if ready.get(c) else (2 if c not in flower_pigs else 0))
            counters = best[0].counters if best else [0] * 16
            blocks.append((c, seat.silver_delta, seat.score_delta, len(seat.wins),
                           min(best[0].total, FAN_CAP) if best else 0, best[0].kind if best else 0, *counters,
                           seat.missing, flags, seat.exposed_gangs, seat.concealed_gangs,
                           seat.wins[-1][1] if seat.wins else -1))
        if len(self.entries) > 64:
            self.server.error("table: %d settlement entries, 64 sent" % len(self.entries))
        hands = [sorted(s.hand) for s in self.seats]
        self.server.push_all(229810, X.result_record(blocks, [len(s.wins) for s in self.seats], self.entries,
                                                     self.last_win_tile, hands))
        if self.money_notice:
            self.server.push_all(211030, self.money_record())
        self.server.push_all(211300, b"")
        self.progress("result")
        self.history.append({"deal": self.deal_number, "banker": self.banker, "silver": list(self.silver),
                             "deltas": [s.silver_delta for s in self.seats], "wins": [len(s.wins) for s in self.seats],
                             "hands": hands, "flower_pigs": flower_pigs, "ready": sorted(k for k, v in ready.items() if v),
                             "entries": list(self.entries), "tiles_left": self.tiles_left()})
        self.hands_played += 1
        if self.first_winner is not None:
            self.banker = self.first_winner
        self.phase = IDLE
        self.server.playing = False
        self.later(self.think, self.robots_ready)

    def money_record(self):
        out = X.MONEY_HEAD.pack(CHAIRS)
        for c in range(CHAIRS):
            out += X.MONEY_ENTRY.pack(self.uids[c], self.score[c], self.silver[c], 0, self.levels[c])
        return out

def load_walls(path):
    """A wall file: a JSON list of hands (or one hand), each {"wall": [108 tile ids], "dice": [d1,
    d2]} (or the 108 ids alone), or a wall told by its hands: {"hands": four texts by chair in
    tile_text's notation (the banker's 14 tiles), "draws": the tiles drawn from the front in
    order, "replacements": the gangs' replacements from the back in order, "banker": the chair
    the hands were laid out for (0), "dice"}; the tiles no text names fill the middle. Every
    wall must hold each tile once."""
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    if isinstance(doc, dict):
        doc = [doc]
    if doc and isinstance(doc[0], int):
        doc = [doc]
    out = []
    for k, entry in enumerate(doc):
        if isinstance(entry, list):
            entry = {"wall": entry}
        try:
            wall = entry.get("wall") if "hands" not in entry else wall_from_hands(entry)
        except (ValueError, TypeError, IndexError) as e:
            raise ValueError("%s: hand %d: %s" % (path, k, e))
        if not isinstance(wall, list) or sorted(wall) != list(range(WALL)):
            raise ValueError("%s: hand %d: the wall must hold each tile 0-107 once" % (path, k))
        dice = entry.get("dice", [1, 1])
        if len(dice) != 2 or not all(1 <= d <= 6 for d in dice):
            raise ValueError("%s: hand %d: dice must be two numbers 1-6" % (path, k))
        out.append({"wall": wall, "dice": tuple(dice)})
    return out


def wall_from_hands(entry):
    """The 108 ids of a wall told by its hands (see load_walls): the deal's blocks of 13 in play
    order from the banker, the banker's 14th at 52, the draws from 53 on, the replacements from
    107 down."""
    used = {}
    banker = entry.get("banker", 0)
    hands = [tiles(text, used) for text in entry["hands"]]
    if len(hands) != CHAIRS or any(len(h) != DEAL + (c == banker) for c, h in enumerate(hands)):
        raise ValueError("four hands of 13 tiles, the banker's of 14")
    draws = tiles(entry.get("draws", ""), used)
    replacements = tiles(entry.get("replacements", ""), used)
    wall = [None] * WALL
    for k, c in enumerate([banker] + play_order_from(banker)):
        wall[k * DEAL:(k + 1) * DEAL] = hands[c][:DEAL]
    wall[DEAL * CHAIRS] = hands[banker][DEAL]
    front = DEAL * CHAIRS + 1
    if front + len(draws) + len(replacements) > WALL:
        raise ValueError("more draws and replacements than the wall holds")
    wall[front:front + len(draws)] = draws
    for k, t in enumerate(replacements):
        wall[WALL - 1 - k] = t
    named = set(t for t in wall if t is not None)
    rest = iter(t for t in range(WALL) if t not in named)
    return [t if t is not None else next(rest) for t in wall]
