// This game's stored records and the accessors over them.
#include "xueliu/CGameInfoEx.h"

#include "framework/connection/Record.h"

#include <algorithm>
#include <bit>
#include <cstring>

// The records are kept as the wire has them and read as host words.
static_assert(std::endian::native == std::endian::little);

namespace {

void Store(std::span<uint8_t> into, const uint8_t* data, size_t size)
{
    RecordReader(data, size).CopyTo(into.data(), into.size());
}

} // namespace

CGameInfoEx::CGameInfoEx(IClientApp* app) : CMJGameData2(app) {}

void CGameInfoEx::StoreGameStart(const uint8_t* data, size_t size)
{
    Store({StartBytes(), GameRecord::kDealStartSize}, data, size);
}

void CGameInfoEx::StoreGameResult(const uint8_t* data, size_t size)
{
    Store(result_, data, size);
    // The final hands become the chairs' lists, so that the scene shows them like dealt ones; a
    // record too short to hold them leaves no hand rather than hands of zeros.
    const bool whole = data && size >= GameRecord::kResultEntriesOffset;
    const uint8_t* hands = result_.data() + GameRecord::kResultHandsOffset;
    for (size_t chair = 0; chair < GameRecord::kChairs; ++chair) {
        int32_t list[GameRecord::kTileListLength];
        int count = 0;
        RecordReader r(hands + chair * GameRecord::kTileListLength * 4, GameRecord::kTileListLength * 4);
        while (whole && size_t(count) < GameRecord::kTileListLength && r.I32(size_t(count) * 4) != -1) {
            list[count] = r.I32(size_t(count) * 4);
            ++count;
        }
        SetChairTiles(int(chair), list, count);
    }
}

void CGameInfoEx::StoreBlockA(const uint8_t* data, size_t size) { Store(blockA_, data, size); }

void CGameInfoEx::StoreBlockB(const uint8_t* data, size_t size) { Store(blockB_, data, size); }

void CGameInfoEx::SetDrawnTileChair(int chair)
{
    start_[GameRecord::kDrawnTileChairWord] = uint32_t(ValidChair(chair) ? chair : -1);
}

void CGameInfoEx::SetChairTiles(int chair, const int32_t* list, int count)
{
    if (!ValidChair(chair) || !list || count < 0)
        return;
    count = std::min(count, int(GameRecord::kTileListLength));
    uint8_t* at = StartBytes() + GameRecord::kTileListsOffset + size_t(chair) * GameRecord::kTileListLength * 4;
    RecordWriter w({at, GameRecord::kTileListLength * 4});
    for (int i = 0; i < int(GameRecord::kTileListLength); ++i)
        w.I32(size_t(i) * 4, i < count ? list[i] : -1);
    RecordWriter({StartBytes() + GameRecord::kTileCountsOffset + size_t(chair) * 4, 4}).I32(0, count);
}

int CGameInfoEx::GetChairTiles(int chair, int32_t* list)
{
    if (!list)
        return 0;
    if (!ValidChair(chair)) {
        for (size_t i = 0; i < GameRecord::kTileListLength; ++i)
            list[i] = -1;
        return 0;
    }
    const uint8_t* from = StartBytes() + GameRecord::kTileListsOffset + size_t(chair) * GameRecord::kTileListLength * 4;
    std::memcpy(list, from, GameRecord::kTileListLength * 4);
    int n = 0;
    while (n < int(GameRecord::kTileListLength) && list[n] != -1)
        ++n;
    return n;
}

int CGameInfoEx::GetOwnTiles(int32_t* list) { return GetChairTiles(app_ ? app_->GetChairNO() : -1, list); }

int CGameInfoEx::GetChairTileCount(int chair)
{
    if (!ValidChair(chair))
        return 0;
    return RecordReader(StartBytes(), GameRecord::kDealStartSize)
        .I32(GameRecord::kTileCountsOffset + 4 * size_t(chair));
}

void CGameInfoEx::MarkChairStarted(const uint8_t* record, size_t size)
{
    const int chair = RecordReader(record, size).I32(GameRecord::kStartedChairOffset);
    if (record && size >= GameRecord::kStartedChairOffset + 4 && ValidChair(chair))
        chairStatus_[size_t(chair)] |= GameRecord::kChairStarted;
}

uint32_t CGameInfoEx::GetChairStatus(int chair) const { return ValidChair(chair) ? chairStatus_[size_t(chair)] : 0; }
