// The application's match rank list: the entries 211170 brings, the values they carry into the
// players' extra entries, and the order the scene and the side panel are told about.
#include "framework/app/CGameWinApp.h"

#include "engine/gui/CGameBase.h"
#include "framework/app/ClientUtils.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/scene/GameWinApp.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The own entry leads whatever the scores.
constexpr int64_t kOwnBonus = 10000000;
// The score the list is ordered by: the entry's first value after the user id.
constexpr size_t kRankScore = 4;

} // namespace

void CGameWinApp::SetRankList(std::span<const uint8_t> headAndEntries, int count)
{
    rankList_.assign(kRankHeadSize, 0);
    const size_t head = std::min(headAndEntries.size(), kRankHeadSize);
    std::copy_n(headAndEntries.begin(), head, rankList_.begin());
    const size_t fit = (headAndEntries.size() - head) / kRankEntrySize;
    const size_t n = std::min({static_cast<size_t>(std::max(count, 0)), fit, kMaxRankEntries});
    rankList_.insert(rankList_.end(), headAndEntries.begin() + static_cast<ptrdiff_t>(head),
                     headAndEntries.begin() + static_cast<ptrdiff_t>(head + n * kRankEntrySize));
}

std::span<const uint8_t> CGameWinApp::GetRankEntries() const
{
    if (rankList_.size() <= kRankHeadSize)
        return {};
    return std::span<const uint8_t>(rankList_).subspan(kRankHeadSize);
}

bool CGameWinApp::SetRankValues(uint32_t userId, int32_t a, int32_t b, int32_t c)
{
    if (!GetMatchStanding(userId))
        return false;
    hall::ExtraPlayerEntry& entry = hall_.extra[static_cast<size_t>(FindChairByUser(userId))];
    entry.SetI32(hall::MatchStanding::kRankValues, a);
    entry.SetI32(hall::MatchStanding::kRankValues + 4, b);
    entry.SetI32(hall::MatchStanding::kRankValues + 8, c);
    return true;
}

void CGameWinApp::SortMatchRanks()
{
    if (rankList_.size() > kRankHeadSize) {
        std::span<uint8_t> entries = std::span<uint8_t>(rankList_).subspan(kRankHeadSize);
        std::vector<int32_t> keys(entries.size() / kRankEntrySize);
        for (size_t i = 0; i < keys.size(); ++i) {
            const uint8_t* e = entries.data() + i * kRankEntrySize;
            uint32_t user = 0;
            int32_t score = 0;
            std::memcpy(&user, e, 4);
            std::memcpy(&score, e + kRankScore, 4);
            // Highest first: the ascending sort takes the negated key.
            const int64_t key = -(int64_t{score} + (user == GetUserID() ? kOwnBonus : 0));
            keys[i] = static_cast<int32_t>(std::clamp<int64_t>(key, std::numeric_limits<int32_t>::min(),
                                                               std::numeric_limits<int32_t>::max()));
        }
        SortRecordsByKey(entries, keys);
    }
    for (Lumora::CGameBase* target : {GetMainGame(), GetSubSystem()})
        if (target)
            target->OnEvent({0, framework::EV_MATCH_RANKS_SORTED, 0, 0});
}
