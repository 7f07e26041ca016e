#pragma once
// The byte layouts of the records the hall and the game exchange (all words 32-bit little-endian,
// texts zero-terminated GBK in fixed fields): the start data's room, table and room-list records,
// the match blocks, the game's exit report, text record and room-move record, and the hall's
// player-left and web-sign answers. Each record keeps its bytes as they travel; fields are read
// and written through bounds-checked accessors, and the readers of received bytes refuse a record
// that is too short instead of reading past it.
#include "widgets/GameUserRecord.h"
#include "widgets/RecordFields.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace hall {

// Fixed-size record bytes with field access that never leaves the record.
template <size_t N>
struct FixedRecord {
    static constexpr size_t kSize = N;
    std::array<uint8_t, N> bytes{};

    int32_t I32(size_t offset) const { return Lumora::ReadFieldI32(bytes.data(), N, offset); }
    uint32_t U32(size_t offset) const { return static_cast<uint32_t>(I32(offset)); }
    void SetI32(size_t offset, int32_t value) { Lumora::WriteFieldI32(bytes.data(), N, offset, value); }
    void SetU32(size_t offset, uint32_t value) { SetI32(offset, static_cast<int32_t>(value)); }
    std::string_view Text(size_t offset, size_t size) const
    {
        return offset <= N && size <= N - offset ? Lumora::FixedFieldText(bytes.data() + offset, size)
                                                 : std::string_view();
    }
    // Cut on a character boundary; the field stays zero-terminated.
    void SetText(size_t offset, size_t size, std::string_view text)
    {
        if (offset <= N && size <= N - offset)
            Lumora::WriteFixedFieldText(bytes.data() + offset, size, text);
    }
    // False (and the record zeroed) when fewer than N bytes are given.
    bool Assign(std::span<const uint8_t> data)
    {
        bytes.fill(0);
        if (data.size() < N)
            return false;
        std::memcpy(bytes.data(), data.data(), N);
        return true;
    }
    void Clear() { bytes.fill(0); }
};

struct RoomRecord : FixedRecord<444> {
    enum : size_t {
        kRoomId = 0,
        kNoticeNumber = 12,
        kRoomType = 16,
        kAreaName = 20,
        kNoticeHost = 148,
        kRoomName = 212,
        kNoticeInterval = 288,
        kRoomOptions = 292,
        kOptionWord = 308,
        kKeepTexts = 320,
        kRoomListCount = 328,
    };
    static constexpr size_t kAreaNameSize = 128, kNoticeHostSize = 64, kRoomNameSize = 64;
};

struct TableRecord : FixedRecord<176> {
    enum : size_t { kTableNumber = 0, kPlayerCount = 8, kLookOnCount = 12 };
};

struct RoomListHeader : FixedRecord<128> {
    enum : size_t { kCount = 8, kValue = 12 };
};

struct RoomListEntry : FixedRecord<64> {
    enum : size_t { kRoomId = 0, kMinSilver = 4, kMaxSilver = 8 };
};

struct MatchRoomBlock : FixedRecord<572> {};

// A player's standing in the match, as the server's match record and the extra player entries
// hold it. The match record (the login's 260-byte answer) is copied whole into the own extra
// entry and over the head of the match data, so its match facts (from kMatchState) are the
// match data's too.
struct MatchStanding {
    enum : size_t {
        kUserId = 0,
        kRankValues = 4, // three words the match rank list (211170) sets, kept as they are
        kCharacter = 16,
        kName = 20,
        kSecondName = 52,
        kMatchName = 72, // the match data's room name
        kRankLevel = 136,
        kRankPoints = 140,
        kNextLevelPoints = 144,
        kWins = 148,
        kLosses = 152,
        kDraws = 156,
        kFurther = 160, // two words kept as they are
        kMatchValues = 172, // eight words: the 4th to 6th are this match's wins, losses, draws
        kMatchState = 204,
        kSecondsToStart = 208,
        kFeeKind = 212,
        kFee = 216,
        kMatchValue = 220,
    };
    static constexpr size_t kNameSize = 32, kSecondNameSize = 20, kMatchNameSize = 64;
    static constexpr size_t kRecordSize = 260;
};

struct MatchData : FixedRecord<1480> {
    enum : size_t { kRoomName = MatchStanding::kMatchName };
    static constexpr size_t kRoomNameSize = MatchStanding::kMatchNameSize;
};
struct ExtraPlayerEntry : FixedRecord<288> {};
// The table record of a knock-out round (244 bytes, then one extra entry per chair).
struct ReplayTableRecord : FixedRecord<244> {
    enum : size_t { kReplayValue = 0, kTableNumber = 4, kKnockoutStage = 8 };
};

// The user record's fields that the framework reads beyond those of the widgets.
enum UserOffset : size_t { kUserFlags = 4, kUserStatus = 8, kUserTableNumber = 12, kUserValueA4 = 164 };
inline constexpr int32_t kStatusWaitingElsewhere = 12;

// The game's report when it ends (dwData 2, or 5 when the connection was lost in a game); sent
// as it is, not enciphered.
struct ExitReport : FixedRecord<188> {
    enum : size_t {
        kWindow = 0,
        kUserId = 4,
        kField6 = 8,
        kChair = 12,
        kVersionValueA = 16,
        kLookOn = 20,
        kLostWhilePlaying = 24,
        kGameId = 28,
        kVersionValueB = 32,
        kRoomId = 36,
    };
};

// A text the game reports to the hall (dwData 11), enciphered to 544 bytes.
struct TextRecord : FixedRecord<532> {
    enum : size_t { kWindow = 0, kUserId = 4, kGameId = 8, kField2 = 12, kCode = 16, kText = 20 };
    static constexpr size_t kTextSize = 256;
};

// The hall's answer to a web-sign request (dwData 14, enciphered). The block is named by the
// token the request carried, never by an address.
struct WebSignAnswer : FixedRecord<272> {
    enum : size_t { kUserId = 0, kSign = 8, kToken = 268 };
    static constexpr size_t kSignSize = 256;
};

// A player of this table left (dwData 6).
struct PlayerLeft : FixedRecord<16> {
    enum : size_t { kHallWindow = 0, kUserId = 4, kTableNumber = 8, kChair = 12 };
};

// The game asks the hall to move the player to another room (dwData 15, enciphered to 160).
struct RoomMove : FixedRecord<160> {
    enum : size_t { kWindow = 0, kUserId = 4, kGameId = 8, kOwnRoom = 12, kTargetRoom = 16, kField2 = 20, kReason = 24 };
    static constexpr int32_t kReasonRoomSwitch = 1;
};

static_assert(sizeof(RoomRecord) == 444 && sizeof(TableRecord) == 176 && sizeof(Lumora::GameUserRecord) == 320);
static_assert(sizeof(MatchRoomBlock) == 572 && sizeof(MatchData) == 1480 && sizeof(ExitReport) == 188);
static_assert(sizeof(TextRecord) == 532 && sizeof(WebSignAnswer) == 272 && sizeof(PlayerLeft) == 16);
static_assert(sizeof(RoomListHeader) == 128 && sizeof(RoomListEntry) == 64 && sizeof(RoomMove) == 160);
static_assert(sizeof(ExtraPlayerEntry) == 288 && sizeof(ReplayTableRecord) == 244);

// Limits of the start data.
inline constexpr size_t kMaxPlayers = 8;
inline constexpr size_t kMaxLookOn = 64;
inline constexpr size_t kMaxRoomList = 32;
inline constexpr size_t kTextBlockSize = 360;
inline constexpr size_t kMaxConfigTexts = 60;
// Ordinary start data: room, table, then the user records from here.
inline constexpr size_t kOrdinaryUsersOffset = RoomRecord::kSize + TableRecord::kSize;
// Match start data: match room block, table, own user record, match data.
inline constexpr size_t kMatchStartSize =
    MatchRoomBlock::kSize + TableRecord::kSize + Lumora::GameUserRecord::kSize + MatchData::kSize;
static_assert(kOrdinaryUsersOffset == 620 && kMatchStartSize == 2548);

} // namespace hall
