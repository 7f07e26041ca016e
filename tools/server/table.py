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
import threading
import time

import fans
import robots
import settle
from fans import Melds, Situation, card_index, suit_of
from xlwire import xueliu as X

CHAIRS = 4
WALL = 108
DEAL = 13
SUCCESS = 10
NO_TILE = 229101
THROW_REFUSED, DRAW_NOT_DUE, CLAIM_REFUSED, GANG_ROBBED = 229102, 229103, 229104, 229105
NO_FLOWER, HU_REFUSED, EXCHANGE_REFUSED, MISSING_REFUSED = 229106, 229107, 229311, 229351
ENTERED_RUNNING = 210220

IDLE, EXCHANGE, MISSING, PLAY, ENDED = 0, 1, 2, 3, 4
THROW_TIME, EXCHANGE_TIME, MISSING_TIME, CLAIM_TIME = 15, 20, 15, 8
DEAL_HOLD = 3.0
AUTO_ACT_AFTER = 2.0
ROBOT_REFUSE_SEE = 1.0
FAN_CAP = 6

# Claim-flag bits.
F_PENG, F_GANG, F_HU, F_PASS = 1, 2, 8, 32
# Gang kinds of the requests and pushes.
G_CONCEALED, G_DISCARD, G_ADDED = 1, 2, 3
GANG_PUSH = {G_DISCARD: 229195, G_CONCEALED: 229197, G_ADDED: 229199}
GANG_TILES_REQUEST = {G_DISCARD: 229215, G_ADDED: 229216, G_CONCEALED: 229217}
SETTLE_REASON = {G_DISCARD: settle.GUA_FENG_DISCARD, G_ADDED: settle.GUA_FENG_ADDED, G_CONCEALED: settle.XIA_YU}
AUTO_ON, AUTO_OFF, BACK_ONLINE = 19840329, 19840330, 19840324


def next_chair(c):
    return (c + 3) % CHAIRS


def play_order_from(c):
    """The chairs after c in play order."""
    return [(c + 3 * k) % CHAIRS for k in range(1, CHAIRS)]


class Seat:
    def __init__(self, chair):
        self.chair = chair
        self.hand = []
        self.melds = Melds()
        self.peng_from = []        # discarder of each pung
        self.gang_from = []        # discarder of each gang on a discard
        self.discards = []
        self.missing = -1
        self.exchange = None
        self.locked = False
        self.drawn = None
        self.replacement = False   # the drawn tile is a gang's replacement
        self.wins = []             # Count, tile, kind of each win
        self.draws = 0
        self.throws = 0
        self.silver_delta = 0
        self.score_delta = 0
        self.exposed_gangs = 0
        self.concealed_gangs = 0


class Table:
    def __init__(self, server, fast=False, think_ms=None, seed=None, wall_file=None, hands=None,
                 autoplay_human=False, dump=None):
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
        self.dump = dump
        room = self.doc.room
        self.base_silver = room.base_silver or 1
        self.base_score = room.base_score or 1
        self.heavenly_rule = bool(room.type & 0x10)
        self.silver_room = 1 if room.type & 0x04 else 0
        self.silver = [0] * CHAIRS
        self.score = [0] * CHAIRS
        for p in self.doc.players:
            if 0 <= p.chair < CHAIRS:
                self.silver[p.chair] = p.silver
                self.score[p.chair] = p.score
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
        self.history = []          # finished hands: results for the control socket
        self.errors = []
        self.log = []
        self.seats = [Seat(c) for c in range(CHAIRS)]
        self.window = None
        self.pending_gang = None
        self.decisions = []        # robot decision times (s)
        threading.Thread(target=self.run_timers, daemon=True).start()

    # --- scheduling -------------------------------------------------------------------------
    def later(self, delay, fn, *args):
        with self.timer_wake:
            self.timer_seq += 1
            heapq.heappush(self.timers, (time.monotonic() + delay, self.timer_seq, self.step, fn, args))
            self.timer_wake.notify()

    def run_timers(self):
        while True:
            with self.timer_wake:
                while not self.timers or self.timers[0][0] > time.monotonic():
                    self.timer_wake.wait(None if not self.timers else self.timers[0][0] - time.monotonic())
                _, _, step, fn, args = heapq.heappop(self.timers)
            with self.lock:
                if step != self.step:
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
        for c in range(CHAIRS):
            self.prompt(c, EXCHANGE_TIME + DEAL_HOLD, self.auto_exchange)

    def tiles_left(self):
        return self.high - self.low + 1 if self.phase else 0

    # --- decisions: robots act after their think delay, the human after a time-out ----------
    def prompt(self, c, seconds, act):
        """Asks chair c for a decision: a robot takes it after its delay; the human's client has
        `seconds`, then the server pushes 229165 and acts 2 s later."""
        if self.is_auto(c):
            self.later(self.think, self.robot_act, c, act)
        else:
            self.later(seconds, self.human_time_out, c, act)

    def robot_act(self, c, act):
        t0 = time.perf_counter()
        act(c)
        self.decisions.append(time.perf_counter() - t0)

    def human_time_out(self, c, act):
        self.to_chair(c, 229165, X.TIME_OUT.pack(c))
        if not self.auto_on:
            self.auto_on = True
            self.server.push_all(229500, X.GAME_MESSAGE.pack(self.doc.room.id, self.uids[c], AUTO_ON, 4, c))
        self.later(AUTO_ACT_AFTER, act, c)

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
            self.prompt(self.banker, THROW_TIME + DEAL_HOLD, self.auto_turn)
        return SUCCESS

    # --- situation of a win -----------------------------------------------------------------
    def situation(self, c, win_flags, thrower=None):
        seat = self.seats[c]
        return Situation(chair=c, missing=seat.missing, win_flags=win_flags, tiles_left=self.tiles_left(),
                         after_gang_discard=bool(thrower is not None and self.thrower_replacement),
                         gang_replacement=bool(win_flags & fans.SELF_DRAWN and seat.replacement),
                         heavenly_rule=self.heavenly_rule, banker=self.banker,
                         draws=[s.draws for s in self.seats], throws=[s.throws for s in self.seats],
                         others_melded=any(s.melds.count() for s in self.seats if s.chair != c))

    def win_count(self, c, tile, win_flags, thrower=None):
        seat = self.seats[c]
        return fans.best_count(seat.hand, tile, seat.melds, self.situation(c, win_flags, thrower))

    def same_waits_after(self, c, remove, melds):
        seat = self.seats[c]
        before = fans.waits([t for t in seat.hand if t != seat.drawn] if seat.drawn is not None else seat.hand,
                            seat.melds, seat.missing)
        rest = list(seat.hand)
        for t in remove:
            rest.remove(t)
        return before and fans.waits(rest, melds, seat.missing) == before

    def gang_melds(self, c, kind, tiles, added_to=None):
        m = self.seats[c].melds
        out = Melds(m.pungs, m.discard_gangs, m.concealed_gangs, m.added_gangs)
        if kind == G_DISCARD:
            out.discard_gangs.append(tiles)
        elif kind == G_CONCEALED:
            out.concealed_gangs.append(tiles)
        else:
            out.pungs = [p for p in out.pungs if p is not added_to and p != added_to]
            out.added_gangs.append(added_to + tiles)
        return out

    # --- own turn ---------------------------------------------------------------------------
    def own_options(self, c):
        """(can win self-drawn, [(kind, tiles taken from the hand, pung added to)]) for the chair
        to act."""
        seat = self.seats[c]
        tile = seat.drawn if seat.drawn is not None else (seat.hand[-1] if seat.hand else None)
        hu = tile is not None and self.win_count(c, tile, fans.SELF_DRAWN) is not None
        gangs = []
        if self.tiles_left() > 0:
            faces = {}
            for t in seat.hand:
                faces.setdefault(card_index(t), []).append(t)
            for ci, ts in sorted(faces.items()):
                if len(ts) == 4 and ci // 10 != seat.missing:
                    if seat.locked and (seat.drawn not in ts or
                                        not self.same_waits_after(c, ts, self.gang_melds(c, G_CONCEALED, ts))):
                        continue
                    gangs.append((G_CONCEALED, ts, None))
            for p in seat.melds.pungs:
                for t in seat.hand:
                    if card_index(t) == card_index(p[0]) and (not seat.locked or t == seat.drawn):
                        gangs.append((G_ADDED, [t], p))
        return hu, gangs

    def own_flags(self, c):
        hu, gangs = self.own_options(c)
        return (F_HU if hu else 0) | (F_GANG if gangs else 0)

    def auto_turn(self, c):
        if self.phase != PLAY or self.turn != c or not self.must_throw or self.window or self.pending_gang:
            return
        seat = self.seats[c]
        hu, gangs = self.own_options(c)
        if hu:
            tile = seat.drawn if seat.drawn is not None else seat.hand[-1]
            self.self_hu(c, tile)
            return
        if gangs:
            kind, tiles, pung = gangs[0]
            self.start_own_gang(c, kind, tiles[0])
            return
        if seat.locked and seat.drawn is not None:
            tile = seat.drawn
        else:
            tile = robots.throw_choice(seat.hand, seat.missing)
        self.throw(c, tile)

    def throw(self, c, tile):
        seat = self.seats[c]
        if self.phase != PLAY or self.turn != c or not self.must_throw or self.window or self.pending_gang \
                or tile not in seat.hand or (seat.locked and seat.drawn is not None and tile != seat.drawn):
            return THROW_REFUSED
        self.advance()
        seat.hand.remove(tile)
        seat.throws += 1
        self.thrower_replacement = seat.replacement
        seat.drawn, seat.replacement = None, False
        self.must_throw = False
        self.last_throw = (c, tile)
        options = {}
        for o in play_order_from(c):
            f = self.claim_flags(o, c, tile)
            if f:
                options[o] = f
        left = self.tiles_left()
        self.each(222170, lambda v: X.THROWN.pack(self.uids[c], c, self.doc.number, left,
                                                  *[(options.get(k, 0) | F_PASS if options.get(k) else 0)
                                                    if k == v else 0 for k in range(CHAIRS)], tile))
        if options:
            self.open_window("discard", c, tile, options)
        else:
            self.discard_stays()
            self.draw(next_chair(c))
        return SUCCESS

    def discard_stays(self):
        c, tile = self.last_throw
        self.seats[c].discards.append(tile)
        self.last_throw = None

    def claim_flags(self, o, thrower, tile):
        seat = self.seats[o]
        f = 0
        if self.win_count(o, tile, fans.ON_DISCARD, thrower) is not None:
            f |= F_HU
        if suit_of(tile) != seat.missing and self.tiles_left() > 0:
            same = [t for t in seat.hand if card_index(t) == card_index(tile)]
            if len(same) >= 2 and not seat.locked:
                f |= F_PENG
            if len(same) == 3 and (not seat.locked or self.same_waits_after(o, same, self.gang_melds(
                    o, G_DISCARD, same + [tile]))):
                f |= F_GANG
        return f

    def draw(self, c, replacement=False):
        if self.tiles_left() <= 0:
            self.end_hand()
            return None
        self.advance()
        if replacement:
            pos, self.high = self.high, self.high - 1
        else:
            pos, self.low = self.low, self.low + 1
        tile = self.wall[pos]
        seat = self.seats[c]
        seat.hand.append(tile)
        seat.drawn, seat.replacement = tile, replacement
        seat.draws += 1
        self.turn, self.must_throw = c, True
        flags = self.own_flags(c)
        if not replacement:
            self.each(229160, lambda v: X.DRAWN.pack(c, tile if v == c else X.HIDDEN, pos, flags if v == c else 0))
        self.prompt(c, THROW_TIME, self.auto_turn)
        return X.DRAW_RECORD.pack(c, tile, pos, flags, self.tiles_left())

    # --- claim windows ----------------------------------------------------------------------
    def open_window(self, kind, source, tile, options, gang=None):
        self.window = {"kind": kind, "source": source, "tile": tile, "options": options, "answers": {},
                       "gang": gang, "peng_tiles": {}}
        self.last_window = self.window
        if kind == "rob":
            self.rob_window = self.window
        for o in options:
            self.prompt(o, CLAIM_TIME + 2, self.auto_claim)

    def auto_claim(self, o):
        w = self.window
        if not w or o in w["answers"] or o not in w["options"]:
            return
        f = w["options"][o]
        self.answer(o, "hu" if f & F_HU else "gang" if f & F_GANG else "peng" if f & F_PENG else "pass")

    def answer(self, o, action):
        w = self.window
        if not w or o not in w["options"] or o in w["answers"]:
            return False
        need = {"hu": F_HU, "gang": F_GANG, "peng": F_PENG, "pass": 0}[action]
        if need and not w["options"][o] & need:
            return False
        w["answers"][o] = action
        if len(w["answers"]) == len(w["options"]):
            self.resolve(w)
        return True

    def resolve(self, w):
        self.window = None
        self.advance()
        tile, source = w["tile"], w["source"]
        winners = [o for o in play_order_from(source) if w["answers"].get(o) == "hu"]
        if w["kind"] == "rob":
            c, pung = w["gang"]
            if winners:
                w["result"] = "robbed"
                self.seats[c].hand.remove(tile)
                self.seats[c].drawn = None
                for o in winners:
                    self.win(o, tile, fans.ROBBED, source)
                seat = self.seats[c]
                self.to_chair(c, 229580, X.RESYNC_HEAD.pack(self.uids[c], c, len(seat.hand))
                              + struct.pack("<%di" % len(seat.hand), *sorted(seat.hand)))
                self.draw(next_chair(winners[-1]))
            else:
                w["result"] = "done"
                w["record"] = self.finish_gang(c, G_ADDED, [tile], pung)
            return
        if winners:
            w["result"] = "won"
            self.last_throw = None
            for o in winners:
                self.win(o, tile, fans.ON_DISCARD, source)
            self.draw(next_chair(winners[-1]))
            return
        claimer = next((o for o, a in w["answers"].items() if a in ("gang", "peng")), None)
        if claimer is None:
            w["result"] = "passed"
            self.discard_stays()
            self.draw(next_chair(source))
            return
        self.last_throw = None
        seat = self.seats[claimer]
        same = [t for t in seat.hand if card_index(t) == card_index(tile)]
        if w["answers"][claimer] == "gang":
            w["result"] = ("gang", claimer)
            self.turn, self.must_throw = claimer, False
            self.server.push_all(229180, X.GANG_ANNOUNCE.pack(claimer, source, tile, G_DISCARD, 0, 0, 0, 0))
            self.pending_gang = {"chair": claimer, "kind": G_DISCARD, "tiles": same + [tile], "source": source,
                                 "tile": tile}
            if self.is_auto(claimer):
                self.complete_pending()
            else:
                self.later(CLAIM_TIME, self.complete_pending)
            return
        w["result"] = ("peng", claimer)
        taken = same[:2]
        for t in taken:
            seat.hand.remove(t)
        seat.melds.pungs.append(taken + [tile])
        seat.peng_from.append(source)
        self.server.push_all(229170, X.PENG.pack(*self.head(claimer), source, tile))
        self.server.push_all(229185, X.PENG_TILES.pack(*self.head(claimer), source, tile, *taken))
        self.turn, self.must_throw = claimer, True
        seat.drawn, seat.replacement = None, False
        self.prompt(claimer, THROW_TIME, self.auto_turn)

    # --- gangs ------------------------------------------------------------------------------
    def start_own_gang(self, c, kind, tile):
        """A concealed or added gang announced by the chair to act; returns the reply code and
        the gang reply."""
        if self.phase != PLAY or self.turn != c or not self.must_throw or self.window or self.pending_gang:
            return CLAIM_REFUSED, b""
        hu, gangs = self.own_options(c)
        match = next((g for g in gangs if g[0] == kind and card_index(g[1][0]) == card_index(tile)), None)
        if match is None:
            return CLAIM_REFUSED, b""
        self.advance()
        _, tiles, pung = match
        if kind == G_CONCEALED:
            self.each(229180, lambda v: X.GANG_ANNOUNCE.pack(c, c, tiles[0] if v == c else X.HIDDEN, kind, 0, 0, 0, 0))
            self.pending_gang = {"chair": c, "kind": kind, "tiles": tiles, "source": c, "tile": tiles[0]}
            rob = 0
        else:
            t = tiles[0]
            options = {o: F_HU for o in play_order_from(c) if self.win_count(o, t, fans.ROBBED, None) is not None}
            rob = 1 if options else 0
            self.each(229180, lambda v: X.GANG_ANNOUNCE.pack(c, c, t, kind, *[
                (F_HU | F_PASS if k in options else 0) if k == v else 0 for k in range(CHAIRS)]))
            self.pending_gang = {"chair": c, "kind": kind, "tiles": tiles, "source": c, "tile": t, "pung": pung}
            if options:
                self.pending_gang["rob"] = True
                self.open_window("rob", c, t, options, gang=(c, pung))
                self.pending_gang = None
        if self.is_auto(c) and self.pending_gang:
            self.complete_pending()
        elif self.pending_gang:
            self.later(CLAIM_TIME, self.complete_pending)
        return SUCCESS, X.GANG_REPLY.pack(kind, tiles[0], GANG_TILES_REQUEST[kind], rob)

    def complete_pending(self):
        g = self.pending_gang
        if not g:
            return None
        self.pending_gang = None
        if g["kind"] == G_DISCARD:
            return self.finish_gang(g["chair"], G_DISCARD, g["tiles"], None, g["source"])
        if g["kind"] == G_CONCEALED:
            return self.finish_gang(g["chair"], G_CONCEALED, g["tiles"], None)
        return self.finish_gang(g["chair"], G_ADDED, g["tiles"], g["pung"])

    def finish_gang(self, c, kind, tiles, pung, source=None):
        seat = self.seats[c]
        for t in tiles:
            if t in seat.hand:
                seat.hand.remove(t)
        if kind == G_DISCARD:
            seat.melds.discard_gangs.append(list(tiles))
            seat.gang_from.append(source)
            seat.exposed_gangs += 1
            others = [tiles[0], tiles[1], tiles[2]]
        elif kind == G_CONCEALED:
            seat.melds.concealed_gangs.append(list(tiles))
            seat.concealed_gangs += 1
            others = tiles[:3]
            source = c
        else:
            k = next(i for i, p in enumerate(seat.melds.pungs) if p is pung or p == pung)
            seat.melds.pungs.pop(k)
            seat.peng_from.pop(k)
            seat.melds.added_gangs.append(list(pung) + list(tiles))
            seat.exposed_gangs += 1
            others = list(pung)
            source = c
        gang_tile = tiles[-1] if kind != G_CONCEALED else tiles[3]
        record = self.draw(c, replacement=True)
        if record is None:
            return None
        _, rep, pos, _, _ = X.DRAW_RECORD.unpack(record)

        def build(v):
            hidden = kind == G_CONCEALED and v != c
            shown = [X.HIDDEN] * 3 if hidden else others
            return X.GANG_DONE.pack(*self.head(c), source, X.HIDDEN if hidden else gang_tile, *shown, kind,
                                    rep if v == c else X.HIDDEN, pos)
        self.each(GANG_PUSH[kind], build)
        self.gang_payment(c, kind, source)
        return record

    def gang_payment(self, c, kind, source):
        payers = [source] if kind == G_DISCARD else [o for o in range(CHAIRS) if o != c]
        units = 2 if kind in (G_DISCARD, G_CONCEALED) else 1
        self.pay(SETTLE_REASON[kind], c, [(p, c, units) for p in payers], push_chair=c)

    def pay(self, reason, concerned, transfers, push_chair=None, push=True):
        """transfers: (from, to, base units); silver and score move at once."""
        ds, dc = [0] * CHAIRS, [0] * CHAIRS
        for f, t, units in transfers:
            amount, points = self.base_silver * units, self.base_score * units
            ds[f] -= amount
            ds[t] += amount
            dc[f] -= points
            dc[t] += points
            self.entries.append((reason, f, t, amount))
        for k in range(CHAIRS):
            self.silver[k] += ds[k]
            self.score[k] += dc[k]
            self.seats[k].silver_delta += ds[k]
            self.seats[k].score_delta += dc[k]
        if push:
            self.server.push_all(229370, X.SCORE_CHANGE.pack(reason, concerned, *ds, *dc, self.base_silver))
        return ds, dc

    # --- wins -------------------------------------------------------------------------------
    def self_hu(self, c, tile):
        seat = self.seats[c]
        if self.phase != PLAY or self.turn != c or not self.must_throw or self.window or self.pending_gang \
                or tile not in seat.hand:
            return HU_REFUSED
        if self.win_count(c, tile, fans.SELF_DRAWN) is None:
            return HU_REFUSED
        self.advance()
        self.win(c, tile, fans.SELF_DRAWN, c)
        seat.hand.remove(tile)
        seat.drawn, seat.replacement = None, False
        self.must_throw = False
        self.draw(next_chair(c))
        return SUCCESS

    def win(self, c, tile, win_flags, source):
        seat = self.seats[c]
        count = self.win_count(c, tile, win_flags, source if win_flags & fans.ON_DISCARD else None)
        mult = fans.multiple(count.total, FAN_CAP)
        payers = [source] if not win_flags & fans.SELF_DRAWN else [o for o in range(CHAIRS) if o != c]
        reason = settle.HU_DISCARD if win_flags & fans.ON_DISCARD else (
            settle.HU_SELF if win_flags & fans.SELF_DRAWN else settle.HU_ROBBED)
        ds, dc = self.pay(reason, c, [(p, c, mult) for p in payers], push=False)
        seat.wins.append((count, tile, win_flags))
        seat.locked = True
        self.win_order += 1
        if self.first_winner is None:
            self.first_winner = c
        self.last_win_tile = tile
        kind = {fans.ON_DISCARD: 1, fans.SELF_DRAWN: 2, fans.ROBBED: 4}[win_flags]
        t = min(count.total, FAN_CAP)
        self.server.push_all(229800, X.WIN.pack(c, source, tile, kind, t, count.kind, mult, *count.counters, *ds, *dc,
                                                len(seat.wins), self.win_order))
        if self.dump:
            self.dump_win(c, tile, win_flags, source, count)

    def dump_win(self, c, tile, win_flags, source, count):
        seat = self.seats[c]
        sit = self.situation(c, win_flags, source if win_flags & fans.ON_DISCARD else None)
        rec = {"chair": c, "hand": sorted(seat.hand), "tile": tile, "win_flags": win_flags, "missing": seat.missing,
               "pungs": seat.melds.pungs, "discard_gangs": seat.melds.discard_gangs,
               "concealed_gangs": seat.melds.concealed_gangs, "added_gangs": seat.melds.added_gangs,
               "tiles_left": sit.tiles_left, "after_gang_discard": int(sit.after_gang_discard),
               "gang_replacement": int(sit.gang_replacement), "total": count.total, "counters": count.counters}
        with open(self.dump, "a") as f:
            f.write(json.dumps(rec) + "\n")

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
        self.server.push_all(211030, self.money_record())
        self.server.push_all(211300, b"")
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
            out += X.MONEY_ENTRY.pack(self.uids[c], self.score[c], self.silver[c], 0, b"")
        return out

    # --- requests ---------------------------------------------------------------------------
    def handle(self, s, req, data):
        """The table's answer (code, data) to a request, or None to leave it to the generic
        answers."""
        with self.lock:
            return self.handle_locked(s, req, data)

    def handle_locked(self, s, req, data):
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
            self.later(ROBOT_REFUSE_SEE, self.see_answer, watched, s.user_id, 0)
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

    # --- reconnect --------------------------------------------------------------------------
    def running_block_b(self, s):
        with self.lock:
            if self.phase in (EXCHANGE, MISSING, PLAY) and not s.look_on:
                return self.block_b(s.chair)
        return None

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
        return {"ok": True, **self.state()}

    def state(self):
        with self.lock:
            return {"phase": self.phase, "deal": self.deal_number, "hands_played": self.hands_played,
                    "banker": self.banker, "tiles_left": self.tiles_left(), "silver": list(self.silver),
                    "score": list(self.score), "turn": getattr(self, "turn", -1),
                    "seats": [{"hand": sorted(s.hand), "missing": s.missing, "locked": s.locked,
                               "discards": s.discards, "pungs": s.melds.pungs, "discard_gangs": s.melds.discard_gangs,
                               "concealed_gangs": s.melds.concealed_gangs, "added_gangs": s.melds.added_gangs,
                               "wins": [{"tile": w[1], "flags": w[2], "total": w[0].total, "counters": w[0].counters}
                                        for w in s.wins]} for s in self.seats],
                    "history": self.history, "errors": list(self.errors),
                    "decision_ms": sorted(d * 1000 for d in self.decisions)[len(self.decisions) // 2]
                    if self.decisions else 0}


def load_walls(path):
    """A wall file: a JSON list of hands, each {"wall": [108 tile ids], "dice": [d1, d2]} (or the
    108 ids alone); every wall must hold each tile once."""
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
        wall = entry.get("wall")
        if not isinstance(wall, list) or sorted(wall) != list(range(WALL)):
            raise ValueError("%s: hand %d: the wall must hold each tile 0-107 once" % (path, k))
        dice = entry.get("dice", [1, 1])
        if len(dice) != 2 or not all(1 <= d <= 6 for d in dice):
            raise ValueError("%s: hand %d: dice must be two numbers 1-6" % (path, k))
        out.append({"wall": wall, "dice": tuple(dice)})
    return out
