"""The play of a hand at the stand-in's table: the chair to act (throw, self-drawn win, its own
gangs), the claim windows after a throw or an added gang, the gangs and the wins with their
payments. A part of `table.Table`, which holds the state these steps read and change."""
import json
import struct

import fans
import robots
import settle
from fans import Melds, Situation, card_index, suit_of
from table_base import (CHAIRS, CLAIM_REFUSED, CLAIM_TIME, FAN_CAP, F_GANG, F_HU, F_PASS, F_PENG, GANG_PUSH,
                        GANG_TILES_REQUEST, G_ADDED, G_CONCEALED, G_DISCARD, HU_REFUSED, PLAY, SETTLE_REASON,
                        SUCCESS, THROW_REFUSED, THROW_TIME, next_chair, play_order_from)
from xlwire import xueliu as X


class TablePlay:
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
        if sum(x.throws for x in self.seats) == 16:
            self.progress("middle")
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
        self.prompt(c, THROW_TIME, self.auto_turn, self.timed_out_throw)
        return X.DRAW_RECORD.pack(c, tile, pos, flags, self.tiles_left())

    # --- claim windows ----------------------------------------------------------------------
    def open_window(self, kind, source, tile, options, gang=None):
        self.window = {"kind": kind, "source": source, "tile": tile, "options": options, "answers": {},
                       "gang": gang, "peng_tiles": {}}
        self.last_window = self.window
        if kind == "rob":
            self.rob_window = self.window
        for o in options:
            self.prompt(o, CLAIM_TIME + 2, self.auto_claim, self.timed_out_pass)

    def timed_out_pass(self, o):
        self.answer(o, "pass")

    def timed_out_throw(self, c):
        """The human's turn ran out: its drawn tile goes (the robots' choice when it has none)."""
        if self.phase != PLAY or self.turn != c or not self.must_throw or self.window or self.pending_gang:
            return
        seat = self.seats[c]
        self.throw(c, seat.drawn if seat.drawn is not None else robots.throw_choice(seat.hand, seat.missing))

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
                self.later(CLAIM_TIME * self.time_scale, self.timed_out_gang)
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
        self.prompt(claimer, THROW_TIME, self.auto_turn, self.timed_out_throw)

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
            if options:
                # The gang waits for the chairs that may rob it; the window finishes it.
                self.open_window("rob", c, t, options, gang=(c, pung))
            else:
                self.pending_gang = {"chair": c, "kind": kind, "tiles": tiles, "source": c, "tile": t, "pung": pung}
        if self.is_auto(c) and self.pending_gang:
            self.complete_pending()
        elif self.pending_gang:
            self.later(CLAIM_TIME * self.time_scale, self.timed_out_gang)
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
