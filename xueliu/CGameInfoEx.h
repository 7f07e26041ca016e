#pragma once
// CGameInfoEx: this game's game information. It stores the deal-start record, the game result,
// the two entry blocks and the per-chair status words, and answers the mahjong data layer's
// accessors from them: the game parameters are the deal-start record's first 49 words, a
// chair's tiles its list in that record. Every store copies within the record's size and
// zero-fills the rest, so a short or long record from the server never reads or writes past
// either end. UI thread only.
#include "mahjong/data/CMJGameData2.h"
#include "xueliu/GameRecords.h"

#include <array>
#include <span>

class CGameInfoEx : public CMJGameData2 {
public:
    explicit CGameInfoEx(IClientApp* app = nullptr);

    void StoreGameStart(const uint8_t* data, size_t size) override;
    void StoreGameResult(const uint8_t* data, size_t size) override;
    void StoreBlockA(const uint8_t* data, size_t size);
    void StoreBlockB(const uint8_t* data, size_t size);
    std::span<uint8_t> BlockA() { return blockA_; }
    std::span<uint8_t> BlockB() { return blockB_; }

    uint32_t* GetGameParams() override { return start_.data(); }
    uint8_t* GetStartExtra() override { return StartBytes() + GameRecord::kStartExtraOffset; }
    uint8_t* GetGameResult() override { return result_.data(); }
    size_t GetGameResultSize() override { return result_.size(); }

    int GetOwnTiles(int32_t* list) override;
    int GetChairTiles(int chair, int32_t* list) override;
    int GetChairTileCount(int chair) override;
    int GetSeatData(int32_t* list) override { return GetOwnTiles(list); }
    int GetConstZero(int chair, int32_t* list) override { return GetChairTiles(chair, list); }
    int GetChairValue(int chair) override { return GetChairTileCount(chair); }

    // The chair holding a drawn tile (game-parameter word 13), -1 none: after the deal the
    // banker, after a reconnect the chair whose count says so.
    void SetDrawnTileChair(int chair);
    // Replaces a chair's list (at most 32 tiles, -1 after them) and its count.
    void SetChairTiles(int chair, const int32_t* list, int count);
    // The 201160 record: flag 2 in the status word of the chair in its word 3.
    void MarkChairStarted(const uint8_t* record, size_t size);
    uint32_t GetChairStatus(int chair) const;
    // The reconnect record inside block B.
    uint8_t* GetTableRecord() { return blockB_.data() + GameRecord::kTableRecordOffset; }

private:
    uint8_t* StartBytes() { return reinterpret_cast<uint8_t*>(start_.data()); }
    bool ValidChair(int chair) const { return chair >= 0 && chair < int(GameRecord::kChairs); }

    std::array<uint32_t, GameRecord::kDealStartSize / 4> start_{};
    std::array<uint8_t, GameRecord::kResultSize> result_{};
    std::array<uint8_t, GameRecord::kBlockASize> blockA_{};
    std::array<uint8_t, GameRecord::kBlockBSize> blockB_{};
    std::array<uint32_t, GameRecord::kChairs> chairStatus_{};
};
