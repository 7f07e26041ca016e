#pragma once
// The match notifications' records as the frame reads them, without the engine: bounded copies
// (a record shorter than its layout reads as zeros beyond its end), the promotion notice, the
// result record, the match detail of a player, and the texts built from them.
#include "framework/frame/FrameApp.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace framework {

inline constexpr size_t kMatchEndSize = 40;
inline constexpr size_t kMatchResultSize = 224;
inline constexpr size_t kPrizeTextOffset = 44;
inline constexpr size_t kPrizeTextSize = 136;

// The first min(size, n) bytes of data in a zeroed block of n bytes.
std::vector<uint8_t> FixedCopy(std::span<const uint8_t> data, size_t n);
// The text up to its first NUL or `limit` bytes, whichever comes first.
std::string BoundedText(std::span<const uint8_t> data, size_t limit);

struct PromotionRecord {
    int32_t pictureFlag = 0;
    int32_t tables = 0;
    int32_t places = 0;
    std::string text;
    static PromotionRecord Read(std::span<const uint8_t> data);
};

struct MatchResultRecord {
    std::array<uint8_t, kMatchResultSize> bytes{};
    uint32_t userId = 0;
    int32_t value = 0;
    int32_t rank = 0;
    int32_t rankPoints = 0;
    int32_t tickets = 0;
    int32_t silver = 0;
    int32_t prizeFlag = 0;
    std::string prize;
    int32_t newLevel = 0;
    int32_t newPoints = 0;
    int32_t nextPoints = 0;
    static MatchResultRecord Read(std::span<const uint8_t> data);
};

// The reward lines of the result dialog.
Lumora::Markup ResultLines(const MatchResultRecord& r);
// "比赛倒计时:" with days, hours, minutes (each only when it or a larger unit is not 0) and seconds.
std::string CountdownText(int seconds);
// The sign-up fee under the sign-up button: silver (kind 1) or tongbao (kind 2); empty for any
// other kind.
std::string FeeText(int kind, int amount);
// The match detail pushed for a player (211241); none when the record is too short.
std::optional<MatchPlayerDetail> ReadMatchDetail(std::span<const uint8_t> data);

} // namespace framework
