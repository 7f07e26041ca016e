// Applying the hall's start data and look-on joins to the application's tables.
#include "framework/app/HallState.h"

#include "framework/app/HallCipher.h"

namespace hall {
namespace {

constexpr uint32_t kOptionBit1 = 0x02;
constexpr uint32_t kOptionBit6 = 0x40;
constexpr size_t kUserSize = Lumora::GameUserRecord::kSize;

void SplitConfigTexts(HallState& state, std::span<const uint8_t> block)
{
    state.configTexts.clear();
    // The block holds no guaranteed terminator: the texts end at the block's end or its first
    // zero, whichever comes first.
    std::string_view all = Lumora::FixedFieldText(block.data(), block.size());
    for (size_t i = 0; i < kMaxConfigTexts; ++i) {
        size_t bar = all.find('|');
        std::string_view text = all.substr(0, bar);
        if (text.empty())
            break;
        state.configTexts[static_cast<int>(i)] = std::string(text);
        if (bar == std::string_view::npos)
            break;
        all.remove_prefix(bar + 1);
    }
}

} // namespace

const Lumora::GameUserRecord* HallState::FindUser(uint32_t userId) const
{
    if (userId == 0)
        return nullptr;
    for (const auto& r : players)
        if (static_cast<uint32_t>(r.UserId()) == userId)
            return &r;
    for (const auto& r : lookOn)
        if (static_cast<uint32_t>(r.UserId()) == userId)
            return &r;
    return nullptr;
}

bool HallState::IsPlayer(uint32_t userId) const
{
    for (const auto& r : players)
        if (userId != 0 && static_cast<uint32_t>(r.UserId()) == userId)
            return true;
    return false;
}

bool HallState::IsLookOnUser(uint32_t userId) const
{
    if (userId == 0 || IsPlayer(userId))
        return false;
    for (const auto& r : lookOn)
        if (static_cast<uint32_t>(r.UserId()) == userId)
            return true;
    return false;
}

bool IsRefused(StartDataOutcome outcome)
{
    switch (outcome) {
    case StartDataOutcome::TooShort:
    case StartDataOutcome::TooManyPlayers:
    case StartDataOutcome::TooManyLookOn:
    case StartDataOutcome::TooManyRooms:
    case StartDataOutcome::BadChair:
        return true;
    default:
        return false;
    }
}

StartDataOutcome ApplyOrdinaryStartData(HallState& state, std::span<const uint8_t> data, const OwnIdentity& own)
{
    // Check every count against its maximum and the received length before anything changes.
    RoomRecord room;
    TableRecord table;
    if (!room.Assign(data) || !table.Assign(data.subspan(std::min(data.size(), RoomRecord::kSize))))
        return StartDataOutcome::TooShort;
    const auto players = static_cast<uint32_t>(table.I32(TableRecord::kPlayerCount));
    const auto lookOn = static_cast<uint32_t>(table.I32(TableRecord::kLookOnCount));
    const auto rooms = static_cast<uint32_t>(room.I32(RoomRecord::kRoomListCount));
    if (players > kMaxPlayers)
        return StartDataOutcome::TooManyPlayers;
    if (lookOn > kMaxLookOn)
        return StartDataOutcome::TooManyLookOn;
    if (rooms > kMaxRoomList)
        return StartDataOutcome::TooManyRooms;
    const size_t textOffset = kOrdinaryUsersOffset + (players + lookOn) * kUserSize;
    const size_t listOffset = textOffset + kTextBlockSize;
    const size_t needed = listOffset + (rooms > 0 ? RoomListHeader::kSize + rooms * RoomListEntry::kSize : 0);
    if (data.size() < needed)
        return StartDataOutcome::TooShort;
    for (uint32_t i = 0; i < players; ++i) {
        int32_t chair = Lumora::ReadFieldI32(data.data() + kOrdinaryUsersOffset + i * kUserSize, kUserSize,
                                             Lumora::GameUserRecord::OFF_CHAIR);
        if (chair < 0 || chair >= static_cast<int32_t>(kMaxPlayers))
            return StartDataOutcome::BadChair;
    }

    state.room = room;
    state.table = table;
    for (auto& r : state.players)
        r = Lumora::GameUserRecord();
    for (auto& r : state.lookOn)
        r = Lumora::GameUserRecord();

    const uint32_t options = room.U32(RoomRecord::kRoomOptions);
    const bool skipWaiting = (options & kOptionBit6) && !(options & kOptionBit1);
    int32_t copied = 0;
    for (uint32_t i = 0; i < players; ++i) {
        Lumora::GameUserRecord record;
        record.Assign(data.data() + kOrdinaryUsersOffset + i * kUserSize, kUserSize);
        int32_t status = Lumora::ReadFieldI32(record.Data(), kUserSize, kUserStatus);
        if (skipWaiting && record.Chair() != own.chair && status == kStatusWaitingElsewhere)
            continue;
        state.players[static_cast<size_t>(record.Chair())] = record;
        ++copied;
    }
    state.table.SetI32(TableRecord::kPlayerCount, copied);
    for (uint32_t i = 0; i < lookOn; ++i)
        state.lookOn[i].Assign(data.data() + kOrdinaryUsersOffset + (players + i) * kUserSize, kUserSize);

    if (room.I32(RoomRecord::kKeepTexts) != 0)
        SplitConfigTexts(state, data.subspan(textOffset, kTextBlockSize));

    if (rooms > 0) {
        RoomListHeader header;
        header.Assign(data.subspan(listOffset));
        if (static_cast<uint32_t>(header.I32(RoomListHeader::kCount)) == rooms) {
            state.roomList.assign(rooms, RoomListEntry());
            for (uint32_t i = 0; i < rooms; ++i)
                state.roomList[i].Assign(data.subspan(listOffset + RoomListHeader::kSize + i * RoomListEntry::kSize));
            state.roomListValue = header.I32(RoomListHeader::kValue);
        }
    }

    const Lumora::GameUserRecord* mine = state.FindUser(own.userId);
    if (!mine)
        return StartDataOutcome::OwnUserMissing;
    if (mine->Chair() != own.chair)
        return StartDataOutcome::ChairMismatch;
    if (mine->LookOn() != own.lookOn)
        return StartDataOutcome::LookOnMismatch;
    return StartDataOutcome::Applied;
}

StartDataOutcome ApplyMatchStartData(HallState& state, std::span<const uint8_t> data)
{
    if (data.size() < kMatchStartSize)
        return StartDataOutcome::TooShort;
    size_t at = 0;
    state.matchRoom.Assign(data.subspan(at));
    state.room.Assign(data.subspan(at));
    at += MatchRoomBlock::kSize;
    state.table.Assign(data.subspan(at));
    at += TableRecord::kSize;
    for (auto& r : state.players)
        r = Lumora::GameUserRecord();
    for (auto& r : state.lookOn)
        r = Lumora::GameUserRecord();
    state.players[0].Assign(data.data() + at, kUserSize);
    at += kUserSize;
    state.matchData.Assign(data.subspan(at));
    return StartDataOutcome::Applied;
}

const Lumora::GameUserRecord* AddLookOnUser(HallState& state, std::span<const uint8_t> data)
{
    if (data.size() < kUserSize)
        return nullptr;
    for (auto& slot : state.lookOn) {
        if (slot.IsEmpty()) {
            slot.Assign(data.data(), kUserSize);
            state.table.SetI32(TableRecord::kLookOnCount, state.table.I32(TableRecord::kLookOnCount) + 1);
            return &slot;
        }
    }
    return nullptr;
}

std::optional<WebSignFields> ReadWebSignAnswer(std::span<const uint8_t> enciphered)
{
    auto plain = DecryptHallData(enciphered);
    WebSignAnswer answer;
    if (!plain || !answer.Assign(*plain))
        return std::nullopt;
    WebSignFields f;
    f.userId = answer.U32(WebSignAnswer::kUserId);
    f.token = answer.U32(WebSignAnswer::kToken);
    f.sign = std::string(answer.Text(WebSignAnswer::kSign, WebSignAnswer::kSignSize).substr(0, 255));
    return f;
}

} // namespace hall
