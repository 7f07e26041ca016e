"""Codes, times and the seat of the stand-in's table (tools/server/table.py)."""
import settle
from fans import Melds


CHAIRS = 4
WALL = 108
DEAL = 13
SUCCESS = 10
NO_TILE = 229101
THROW_REFUSED, DRAW_NOT_DUE, CLAIM_REFUSED, GANG_ROBBED = 229102, 229103, 229104, 229105
NO_FLOWER, HU_REFUSED, EXCHANGE_REFUSED, MISSING_REFUSED = 229106, 229107, 229311, 229351
ENTERED_PLAYER, ENTERED_LOOK_ON, ENTERED_RUNNING = 210200, 210210, 210220

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
