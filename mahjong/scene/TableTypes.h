#pragma once
// The table's sizes and small records: the claim option record of the buttons, the meld record
// the seat routines read, the gang record that travels with a tile through a sort, the tile
// arrays (32 ids, -1 for an empty entry) and a bounded reader of the reconnect table record.
// Plain values, no engine.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace Lumora {

inline constexpr int kCardPoolSize = 168;
inline constexpr int kHandSlotCapacity = 32;
inline constexpr int kDiscardCapacity = 36;
inline constexpr int kTileArraySize = 32;
inline constexpr int kSeatCount = 4;
inline constexpr int kOwnSeat = 3;
// The drawn-tile slot of a hand.
inline constexpr int kDrawnSlot = 0;
// An empty entry of a tile array.
inline constexpr int32_t kNoEntry = -1;

using TileArray = std::array<int32_t, kTileArraySize>;

// A point on the table, in surface pixels.
struct TablePoint {
    int x = 0, y = 0;
};

// Meld kinds of a tile view (meldKind).
enum MeldKind : int {
    kMeldNone = 0,
    kMeldPeng = 1,
    kMeldGang = 2,
    kMeldChi = 3,
};

// Hand modes: how clicks on the own hand are read.
enum HandMode : int {
    kHandNormal = 0,
    kHandFlower = 1,
    kHandGangChoice = 2,
    kHandChiChoice = 3,
};

// The play state in which the own hand's clicks follow the hand mode.
inline constexpr int kPlayStateTurn = 6;

// Option record of a claim (196 bytes): records 1-5 belong to the buttons peng, gang, chi, hu
// and pass.
struct ClaimOption {
    int32_t chair = 0;      // who threw the tile
    int32_t tile = 0;
    int32_t count = 0;      // entries of the list
    TileArray list{};       // -1 marks an empty entry
    int32_t enabled = 0;    // word 35
    int32_t word36 = 0;
    int32_t huFlag = 0;     // word 37
    int32_t word38 = 0;
    int32_t gangKind = 0;   // word 39
    std::array<int32_t, 9> rest{};
};
static_assert(sizeof(ClaimOption) == 196);
inline constexpr int kClaimOptionCount = 9;
enum ClaimButton : int { kOptPeng = 1, kOptGang = 2, kOptChi = 3, kOptHu = 4, kOptPass = 5 };

// A claim as the meld routines read it: word 3 the chair, 4 the chair of the discarder, 5 the
// claimed tile, 6-8 the owner's tiles.
struct MeldRecord {
    std::array<int32_t, 12> w{};
    int Chair() const { return w[3]; }
    int Discarder() const { return w[4]; }
    int Claimed() const { return w[5]; }
    int Owner(int i) const { return w[size_t(6 + i)]; }
    int Replacement() const { return w[10]; } // a gang's
};

// The gang record (four tile ids and a kind) that a tile carries through a sort.
struct _tagMJGANG {
    std::array<int32_t, 4> tiles{-1, -1, -1, -1};
    int32_t kind = 0;
};

// The reconnect table record (4,624 bytes). Every read is bounded by the record's size and
// every count by its capacity, so a short or hostile record never reads past its end.
class TableRecordReader {
public:
    static constexpr size_t kSize = 4624;
    static constexpr int kUnitsPerChair = 6;
    static constexpr int kUnitWords = 7;
    static constexpr int kListCapacity = 36;
    enum UnitKind : int { kPengUnits, kChiUnits, kMingGangUnits, kAnGangUnits, kBuGangUnits };

    explicit TableRecordReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool Valid() const { return bytes_.size() >= kSize; }
    // Units of that kind for a chair, at most six.
    int UnitCount(UnitKind kind, int chair) const { return Bounded(Word(kCountOffset[kind] + chair * 4), kUnitsPerChair); }
    int32_t UnitWord(UnitKind kind, int chair, int unit, int word) const
    {
        return Word(kUnitOffset[kind] + size_t(chair) * kUnitsPerChair * kUnitWords * 4 + size_t(unit) * kUnitWords * 4 +
                    size_t(word) * 4);
    }
    int DiscardCount(int chair) const { return Bounded(Word(0xFB0 + chair * 4), kListCapacity); }
    int32_t Discard(int chair, int i) const { return Word(0xD70 + size_t(chair) * 144 + size_t(i) * 4); }
    int FlowerCount(int chair) const { return Bounded(Word(0x1200 + chair * 4), kListCapacity); }
    int32_t Flower(int chair, int i) const { return Word(0xFC0 + size_t(chair) * 144 + size_t(i) * 4); }

private:
    static constexpr size_t kUnitOffset[5] = {0x000, 0x2B0, 0x560, 0x810, 0xAC0};
    static constexpr size_t kCountOffset[5] = {0x2A0, 0x550, 0x800, 0xAB0, 0xD60};

    static int Bounded(int32_t v, int cap) { return v < 0 ? 0 : (v > cap ? cap : v); }
    int32_t Word(size_t offset) const
    {
        if (offset + 4 > bytes_.size())
            return kNoEntry;
        int32_t v;
        std::memcpy(&v, bytes_.data() + offset, 4);
        return v;
    }

    std::span<const uint8_t> bytes_;
};

} // namespace Lumora
