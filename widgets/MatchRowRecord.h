#pragma once
// The 64 bytes that the side panel hands to a row of the match list: user id, score, rank,
// the show-score mark, the out flag and the player's name. The row keeps its own copy; the
// fields are read little-endian and the name never past its 32 bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Lumora {

class MatchRowRecord {
public:
    static constexpr size_t kSize = 64;
    static constexpr size_t kNameSize = 32;
    // The mark value at bytes 16-19 that shows the score even for a player who is out.
    static constexpr int32_t kShowScoreMark = -4;

    enum Offset : size_t {
        OFF_USER_ID = 0,
        OFF_SCORE = 4,
        OFF_RANK = 12,
        OFF_MARK = 16,
        OFF_OUT = 20,
        OFF_NAME = 32,
    };

    MatchRowRecord() { bytes_.fill(0); }
    // False (and the record left empty) when fewer than 64 bytes are given.
    bool Assign(const uint8_t* data, size_t size);

    uint32_t UserId() const { return uint32_t(I32(OFF_USER_ID)); }
    int32_t Score() const { return I32(OFF_SCORE); }
    int32_t Rank() const { return I32(OFF_RANK); }
    int32_t Mark() const { return I32(OFF_MARK); }
    int32_t Out() const { return I32(OFF_OUT); }
    std::string_view Name() const;
    // The third column: the score, or "出局" for a player who is out (unless marked).
    std::string ScoreText() const;

    void SetI32(size_t offset, int32_t value);
    void SetName(std::string_view name);
    const uint8_t* Data() const { return bytes_.data(); }
    uint8_t* MutableData() { return bytes_.data(); }

private:
    int32_t I32(size_t offset) const;

    std::array<uint8_t, kSize> bytes_;
};

static_assert(sizeof(MatchRowRecord) == MatchRowRecord::kSize, "a match row record is 64 bytes");

} // namespace Lumora
