// The result board's rows: captions and detail lines of each chair.
#include "xueliu/ResultSummary.h"

#include "framework/connection/Record.h"
#include "rules/FanTable.h"
#include "widgets/ChatMarkup.h"
#include "xueliu/GameRecords.h"

#include <algorithm>
#include <cstdio>

namespace xueliu {

using namespace Lumora;

namespace {

constexpr size_t kWinSize = 136;
constexpr size_t kChangeSize = 48;
constexpr int kWinSelfDrawn = 2;
constexpr int kChairs = int(GameRecord::kChairs);
// Settlement reasons 1-9 of the result's entries; 4-9 are also the score changes'.
constexpr const char* kReason[10] = {"", "点炮", "自摸", "抢杠", "刮风", "刮风", "下雨", "查花猪", "查大叫", "退税"};
constexpr int kFirstChangeReason = 4, kLastReason = 9;
// Chair block flags of the result.
constexpr int32_t kFlagFlowerPig = 1, kFlagNotReady = 2;

std::string Printf(const char* format, auto... args)
{
    char line[512];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

bool ValidChair(int chair) { return chair >= 0 && chair < kChairs; }

void ReadCounters(const RecordReader& r, size_t at, int32_t counters[16])
{
    for (size_t i = 0; i < 16; ++i)
        counters[i] = r.I32(at + i * 4);
}

} // namespace

std::string FanLabels(const int32_t counters[16], int kind)
{
    std::string out;
    for (int i = 0; i < 16; ++i) {
        const int n = counters[i];
        if (n <= 0 || i == kFanKongs)
            continue;
        if (i == kFanBasic)
            out += kFanLabels[size_t(i)];
        else if (i == kFanFours)
            out += Printf(kFanLabels[size_t(i)], n, n * kFanValues[size_t(i)]);
        else
            out += Printf(kFanLabels[size_t(i)], n * kFanValues[size_t(i)]);
    }
    if (kind == kWinSelfDrawn && counters[kFanLastTile] <= 0)
        out += kSelfDrawnLabel;
    return out;
}

std::vector<ResultRow> BuildResultRows(const uint8_t* result, size_t size, const HandRecords& hand, bool silverRoom,
                                       const std::function<std::string(int chair)>& chairName)
{
    if (!result || size < GameRecord::kResultSize)
        return {};
    const RecordReader r(result, size);
    // Silver and score deltas sit side by side in every record: the room says which one counts.
    const size_t winDelta = silverRoom ? 92 : 108, changeDelta = silverRoom ? 8 : 24;
    const int entries = std::clamp(r.I32(GameRecord::kResultSettlementCount), 0, int(GameRecord::kResultEntries));
    // A name put into a detail line: escaped whole (before the text behind it can join a stray byte)
    // and kept on one row.
    const auto named = [&](int chair) { return UnbrokenMarkup(chairName(chair)); };
    std::vector<ResultRow> rows;
    for (int chair = 0; chair < kChairs; ++chair) {
        const size_t block = 4 + size_t(chair) * GameRecord::kResultChairBlock;
        ResultRow row;
        row.chair = chair;
        row.total = r.I32(block + (silverRoom ? 4 : 8));
        row.wins = std::max(0, r.I32(block + 12));
        row.name = chairName(chair);
        row.caption = Printf("%s  %+lld  胡%d次", row.name.c_str(), static_cast<long long>(row.total), row.wins);

        // The wins, as each was announced.
        bool winSeen = false;
        for (const auto& bytes : hand.wins) {
            const RecordReader w(bytes.data(), bytes.size());
            if (bytes.size() < kWinSize || w.I32(0) != chair)
                continue;
            int32_t counters[16];
            ReadCounters(w, 28, counters);
            row.details.push_back(Lumora::FormatMarkup("胡：%s×%d  %+d", FanLabels(counters, w.I32(12)), w.I32(24),
                                                       w.I32(winDelta + size_t(chair) * 4)));
            winSeen = true;
        }
        // A client that came in late saw none of them: the best win of the result stands for them.
        if (!winSeen && row.wins > 0) {
            int32_t counters[16];
            ReadCounters(r, block + 24, counters);
            row.details.push_back(Lumora::FormatMarkup("胡：%s", FanLabels(counters, 0)));
        }
        // Gangs (刮风, 下雨) and the end's checks (查花猪, 查大叫) that moved this chair's amount.
        for (const auto& bytes : hand.changes) {
            const RecordReader c(bytes.data(), bytes.size());
            const int reason = c.I32(0), concerned = c.I32(4);
            const int32_t delta = c.I32(changeDelta + size_t(chair) * 4);
            if (bytes.size() < kChangeSize || reason < kFirstChangeReason || reason > kLastReason ||
                !ValidChair(concerned) || delta == 0)
                continue;
            row.details.push_back(Lumora::FormatMarkup("%s（%s）  %+d", kReason[reason], named(concerned), delta));
        }
        const int32_t flags = r.I32(block + 92);
        if (flags & kFlagFlowerPig)
            row.details.push_back("花猪");
        else if (flags & kFlagNotReady)
            row.details.push_back("未听牌");
        // Every settlement entry that names this chair.
        for (int i = 0; i < entries; ++i) {
            const size_t at = GameRecord::kResultEntriesOffset + size_t(i) * 16;
            const int reason = r.I32(at), from = r.I32(at + 4), to = r.I32(at + 8), amount = r.I32(at + 12);
            if (reason < 1 || reason > kLastReason || !ValidChair(from) || !ValidChair(to) ||
                (from != chair && to != chair))
                continue;
            row.details.push_back(
                Lumora::FormatMarkup("%s  %s→%s  %d", kReason[reason], named(from), named(to), amount));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace xueliu
