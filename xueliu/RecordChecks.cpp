// The checks of the deal's records: deal start, throw, win and result.
#include "xueliu/RecordChecks.h"

#include "framework/connection/Record.h"
#include "xueliu/GameRecords.h"

#include <bitset>

namespace xueliu {

namespace {

constexpr int kChairs = int(GameRecord::kChairs);
constexpr int kSuits = 3;
constexpr int kNone = -1;
constexpr int kMaxGangs = 4;
constexpr size_t kWinSize = 136;
constexpr size_t kThrowSize = 88;
constexpr size_t kThrowChair = 4, kThrowTile = 84;
constexpr int kWinOnDiscard = 1, kWinSelfDrawn = 2, kWinRobbedGang = 4;
constexpr int kFirstReason = 1, kLastReason = 9;

bool IsChair(int chair) { return chair >= 0 && chair < kChairs; }
bool IsTile(int tile) { return tile >= 0 && tile < kTiles; }
bool IsWinCount(int count) { return count >= 0 && count <= kMaxWins; }

// A list of 32 tile ids ended by -1: the number of tiles before the end, or -1 when one of them
// is no tile of this game or was listed already.
int ListedTiles(const RecordReader& r, size_t at, std::bitset<kTiles>& seen)
{
    int n = 0;
    for (; n < int(GameRecord::kTileListLength); ++n) {
        const int tile = r.I32(at + size_t(n) * 4);
        if (tile == kNone)
            break;
        if (!IsTile(tile) || seen.test(size_t(tile)))
            return -1;
        seen.set(size_t(tile));
    }
    return n;
}

} // namespace

const char* DealStartFault(std::span<const uint8_t> record)
{
    if (record.size() < GameRecord::kDealStartSize)
        return "shorter than the deal start";
    const RecordReader r(record.data(), record.size());
    std::bitset<kTiles> seen;
    for (size_t chair = 0; chair < GameRecord::kChairs; ++chair) {
        const int count = r.I32(GameRecord::kTileCountsOffset + chair * 4);
        if (count < 0 || count > kMaxConcealed)
            return "a tile count outside a hand";
        const int listed = ListedTiles(r, GameRecord::kTileListsOffset + chair * GameRecord::kTileListLength * 4, seen);
        if (listed < 0)
            return "a tile id outside this game's tiles, or one dealt twice";
        // A chair's list is hidden (empty) or holds its whole hand.
        if (listed != 0 && listed != count)
            return "a tile list that is not its chair's count";
    }
    return nullptr;
}

const char* ThrowFault(std::span<const uint8_t> record)
{
    if (record.size() < kThrowSize)
        return "shorter than a throw";
    const RecordReader r(record.data(), record.size());
    if (!IsChair(r.I32(kThrowChair)) || !IsTile(r.I32(kThrowTile)))
        return "a chair or tile outside the table";
    return nullptr;
}

const char* WinFault(std::span<const uint8_t> record)
{
    if (record.size() < kWinSize)
        return "shorter than a win";
    const RecordReader r(record.data(), record.size());
    const int kind = r.I32(12);
    if (!IsChair(r.I32(0)) || !IsChair(r.I32(4)) || !IsTile(r.I32(8)))
        return "a chair or tile outside the table";
    if (kind != kWinOnDiscard && kind != kWinSelfDrawn && kind != kWinRobbedGang)
        return "no kind of win";
    if (!IsWinCount(r.I32(124)))
        return "a win count no hand can hold";
    return nullptr;
}

const char* ResultFault(std::span<const uint8_t> record)
{
    if (record.size() < GameRecord::kResultSize)
        return "shorter than the result";
    const RecordReader r(record.data(), record.size());
    for (size_t chair = 0; chair < GameRecord::kChairs; ++chair) {
        const size_t block = 4 + chair * GameRecord::kResultChairBlock;
        if (r.I32(block) != int(chair))
            return "a chair block of another chair";
        if (!IsWinCount(r.I32(block + 12)) || !IsWinCount(r.I32(GameRecord::kResultWinCounts + chair * 4)))
            return "a win count no hand can hold";
        if (r.I32(block + 16) < 0)
            return "a negative fan total";
        const int suit = r.I32(block + 88), exposed = r.I32(block + 96), concealed = r.I32(block + 100);
        if (suit < kNone || suit >= kSuits)
            return "a missing suit outside the table";
        if (exposed < 0 || exposed > kMaxGangs || concealed < 0 || concealed > kMaxGangs)
            return "a gang count outside a hand";
        if (const int last = r.I32(block + 104); last != kNone && !IsTile(last))
            return "a winning tile outside this game's tiles";
    }
    if (const int last = r.I32(GameRecord::kResultLastWinTile); last != kNone && !IsTile(last))
        return "a winning tile outside this game's tiles";
    std::bitset<kTiles> seen;
    for (size_t chair = 0; chair < GameRecord::kChairs; ++chair) {
        const int listed =
            ListedTiles(r, GameRecord::kResultHandsOffset + chair * GameRecord::kTileListLength * 4, seen);
        if (listed < 0)
            return "a final hand with a tile id outside this game's tiles, or one held twice";
        if (listed > kMaxConcealed)
            return "a final hand longer than a hand";
    }
    const int entries = r.I32(GameRecord::kResultSettlementCount);
    if (entries < 0 || entries > int(GameRecord::kResultEntries))
        return "a settlement count past its array";
    for (size_t i = 0; i < size_t(entries); ++i) {
        const size_t at = GameRecord::kResultEntriesOffset + i * 16;
        const int reason = r.I32(at);
        if (reason < kFirstReason || reason > kLastReason || !IsChair(r.I32(at + 4)) || !IsChair(r.I32(at + 8)))
            return "a settlement entry outside the table";
    }
    return nullptr;
}

} // namespace xueliu
