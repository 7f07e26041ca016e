#include "framework/frame/MatchRecords.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace framework {

namespace {

int32_t I32(std::span<const uint8_t> d, size_t offset)
{
    int32_t v = 0;
    if (offset + 4 <= d.size())
        std::memcpy(&v, d.data() + offset, 4);
    return v;
}

constexpr size_t kDetailSize = 136;

} // namespace

std::vector<uint8_t> FixedCopy(std::span<const uint8_t> data, size_t n)
{
    std::vector<uint8_t> copy(n, 0);
    std::memcpy(copy.data(), data.data(), std::min(n, data.size()));
    return copy;
}

std::string BoundedText(std::span<const uint8_t> data, size_t limit)
{
    const size_t n = std::min(limit, data.size());
    const auto* begin = reinterpret_cast<const char*>(data.data());
    return std::string(begin, strnlen(begin, n));
}

PromotionRecord PromotionRecord::Read(std::span<const uint8_t> data)
{
    PromotionRecord r;
    r.pictureFlag = I32(data, 16);
    r.tables = I32(data, 20);
    r.places = I32(data, 24);
    if (data.size() > 28)
        r.text = BoundedText(data.subspan(28), data.size() - 28);
    return r;
}

MatchResultRecord MatchResultRecord::Read(std::span<const uint8_t> data)
{
    MatchResultRecord r;
    const std::vector<uint8_t> copy = FixedCopy(data, kMatchResultSize);
    std::copy(copy.begin(), copy.end(), r.bytes.begin());
    const std::span<const uint8_t> b(r.bytes);
    r.userId = uint32_t(I32(b, 12));
    r.value = I32(b, 16);
    r.rank = I32(b, 20);
    r.rankPoints = I32(b, 24);
    r.tickets = I32(b, 28);
    r.silver = I32(b, 32);
    r.prizeFlag = I32(b, 36);
    r.prize = BoundedText(b.subspan(kPrizeTextOffset), kPrizeTextSize);
    r.newLevel = I32(b, 180);
    r.newPoints = I32(b, 184);
    r.nextPoints = I32(b, 188);
    return r;
}

Lumora::Markup ResultLines(const MatchResultRecord& r)
{
    using Lumora::FormatMarkup;
    Lumora::Markup out = "\r\n";
    if (r.prizeFlag > 0)
        out += FormatMarkup("  <c=%d>%s\r\n", 65535, r.prize); // the server's prize text, escaped
    if (r.silver != 0)
        out += FormatMarkup("  银两   +%d\r\n", r.silver);
    if (r.tickets != 0)
        out += FormatMarkup("  奖券   +%d\r\n", r.tickets);
    out += "\r\n";
    if (r.rankPoints > 0)
        out += FormatMarkup("  <c=%d>段位分   +%d", 0xFFFF00, r.rankPoints);
    return out;
}

std::string FeeText(int kind, int amount)
{
    char text[64] = "";
    if (kind == 1)
        std::snprintf(text, sizeof text, "报名费%d两\r\n", amount);
    else if (kind == 2)
        std::snprintf(text, sizeof text, "报名费%d通宝\r\n", amount);
    return text;
}

std::string CountdownText(int s)
{
    const int days = s / 86400, rest = s % 86400;
    const int hours = rest / 3600, minutes = rest % 3600 / 60, seconds = s % 60;
    std::string text = "比赛倒计时:";
    char part[32];
    if (days > 0) {
        std::snprintf(part, sizeof part, "%d天", days);
        text += part;
    }
    if (days > 0 || hours > 0) {
        std::snprintf(part, sizeof part, "%d小时", hours);
        text += part;
    }
    if (days > 0 || hours > 0 || minutes > 0) {
        std::snprintf(part, sizeof part, "%d分", minutes);
        text += part;
    }
    std::snprintf(part, sizeof part, "%d秒", seconds);
    return text + part;
}

std::optional<MatchPlayerDetail> ReadMatchDetail(std::span<const uint8_t> data)
{
    if (data.size() < kDetailSize)
        return std::nullopt;
    MatchPlayerDetail d;
    d.userId = I32(data, 0);
    d.character = I32(data, 16);
    d.name = BoundedText(data.subspan(20), 32);
    d.rankLevel = I32(data, 68);
    d.rankPoints = I32(data, 72);
    d.nextLevelPoints = I32(data, 76);
    d.wins = I32(data, 80);
    d.losses = I32(data, 84);
    d.draws = I32(data, 88);
    d.matchWins = I32(data, 116);
    d.matchLosses = I32(data, 120);
    d.matchDraws = I32(data, 124);
    return d;
}

} // namespace framework
