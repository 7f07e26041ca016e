// This game's stored records and the accessors over them.
#include "xueliu/CGameInfoEx.h"

#include "framework/connection/Record.h"

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

void CGameInfoEx::StoreGameResult(const uint8_t* data, size_t size) { Store(result_, data, size); }

void CGameInfoEx::StoreBlockA(const uint8_t* data, size_t size) { Store(blockA_, data, size); }

void CGameInfoEx::StoreBlockB(const uint8_t* data, size_t size) { Store(blockB_, data, size); }

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
