#include "framework/switchroom/SwitchRoom.h"

#include "net/FileLogger.h"
#include "platform/Ini.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace switchroom {

namespace {

void PutI32(std::array<uint8_t, 28>& r, size_t at, int32_t v) { std::memcpy(r.data() + at, &v, 4); }

} // namespace

Config Config::FromReply(const uint8_t* data, size_t length)
{
    Config c;
    const size_t copied = data ? std::min(length, kBytes) : 0;
    if (copied)
        std::memcpy(c.words.data(), data, copied);
    c.present_ = copied >= 8 ? std::min(kMaxEntries, (copied - 8) / 8) : 0;
    return c;
}

size_t Config::Count() const
{
    const int32_t count = words[0];
    return count <= 0 ? 0 : std::min(size_t(count), present_);
}

JumpStatus GetSwitchRoomStatus(std::span<const RoomRange> rooms, int32_t ownRoom, const Config& config, int32_t value)
{
    if (rooms.empty())
        return {};
    bool hasTip = false;
    int32_t tipLine = 0;
    for (size_t i = 0; i < config.Count(); ++i) {
        if (config.EntryRoom(i) == ownRoom) {
            hasTip = true;
            tipLine = config.EntryTip(i);
        }
    }
    // By minimum only: a strict order for any records, and ties keep the list's order.
    std::vector<RoomRange> sorted(rooms.begin(), rooms.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const RoomRange& a, const RoomRange& b) { return a.minSilver < b.minSilver; });
    const RoomRange* own = nullptr;
    const RoomRange* lastFit = nullptr;
    const RoomRange* previous = nullptr;
    const RoomRange* next = nullptr;
    for (const RoomRange& room : sorted) {
        if (room.id == ownRoom) {
            previous = lastFit;
            own = &room;
            continue;
        }
        if (room.minSilver <= value && value <= room.maxSilver) {
            lastFit = &room;
            if (own) {
                next = &room;
                break;
            }
        }
    }
    if (!own)
        return {kNone, 0, tipLine};
    if (value > own->maxSilver)
        return {kAboveMaximum, next ? next->id : 0, tipLine};
    if (value < own->minSilver)
        return {kBelowMinimum, previous ? previous->id : 0, tipLine};
    if (hasTip && value >= tipLine && next)
        return {kPassedTip, next->id, tipLine};
    return {kNone, 0, tipLine};
}

std::optional<TipDescriptor> ShowSwitchRoomTip(int32_t status, int32_t roomId, int32_t tipLine)
{
    switch (status) {
    case kPassedTip: {
        if (!tipLine || !roomId)
            return std::nullopt;
        char text[160];
        std::snprintf(text, sizeof text, "您的携带银已超过%d两,快来下一个级别的房间玩吧!", tipLine);
        return TipDescriptor{text, "去高级房", "残忍拒绝", Action::Move, Action::Refuse};
    }
    case kAboveMaximum:
        if (!roomId)
            return std::nullopt;
        return TipDescriptor{"您的银子已超出房间上限,请前往更高一级房间.", "去高级房", "取消", Action::Move,
                             Action::Refuse};
    case kBelowMinimum:
        return TipDescriptor{"您的银子已低于房间下限,请取银或充值.", "保险箱", "充值", Action::SafeBox,
                             Action::Nothing};
    default:
        return std::nullopt;
    }
}

bool StampAllows(int64_t stamp, int64_t now, uint32_t repeatSeconds)
{
    if (stamp == 0)
        return true;
    return uint32_t(now - stamp) >= repeatSeconds;
}

std::string StampSection(uint32_t userId) { return "SwitchRoom" + std::to_string(userId); }

std::array<uint8_t, 28> JumpReport(uint32_t userId, int32_t ownRoom, int32_t targetRoom, int32_t silver,
                                   ReportKind kind, int32_t status)
{
    std::array<uint8_t, 28> r{};
    PutI32(r, 0, int32_t(userId));
    PutI32(r, 4, 1);
    PutI32(r, 8, ownRoom);
    PutI32(r, 12, kind == kMoved ? targetRoom : 0);
    PutI32(r, 16, silver);
    PutI32(r, 20, kind);
    int32_t kindClass = 0;
    if (status == kPassedTip)
        kindClass = 1;
    else if (status == kAboveMaximum || status == kBelowMinimum)
        kindClass = 2;
    else
        net::OxtLog("%s", "错误的跳转日志类型");
    PutI32(r, 24, kindClass);
    return r;
}

bool SwitchRoom::CheckStamp() const
{
    const platform::IniFile ini(host_.IniPath());
    const int stamp = ini.GetInt(StampSection(host_.UserId()), "time", 0);
    return StampAllows(stamp, host_.Now(), config_.RepeatSeconds());
}

void SwitchRoom::SaveStamp(int64_t value) const
{
    platform::IniFile ini(host_.IniPath());
    ini.WriteString(StampSection(host_.UserId()), "time", std::to_string(value));
}

bool SwitchRoom::CheckSwitchRoom()
{
    std::vector<uint8_t> reply;
    if (!host_.RequestConfig(reply))
        return false;
    config_ = Config::FromReply(reply.data(), reply.size());
    const std::vector<RoomRange> rooms = host_.Rooms();
    const JumpStatus status = GetSwitchRoomStatus(rooms, host_.OwnRoomId(), config_, host_.CarriedSilver());
    const std::optional<TipDescriptor> tip = ShowSwitchRoomTip(status.status, status.roomId, status.tipLine);
    if (!tip)
        return false;
    if (status.status == kPassedTip && !CheckStamp())
        return false;
    // The check runs after every hand; a box the player has not answered yet stays the only one,
    // else a player who leaves it open gets another box each hand, stacked on the scene.
    if (host_.DialogOpen())
        return false;
    host_.ShowDialog(*tip, status);
    return true;
}

void SwitchRoom::Report(ReportKind kind, const JumpStatus& status)
{
    host_.SendReport(JumpReport(host_.UserId(), host_.OwnRoomId(), status.roomId, host_.CarriedSilver(), kind,
                                status.status));
}

void SwitchRoom::RunAction(Action action, const JumpStatus& status)
{
    switch (action) {
    case Action::Move:
        if (status.roomId) {
            Report(kMoved, status);
            host_.GotoOtherRoom(status.roomId);
            if (status.status == kPassedTip)
                SaveStamp(0);
        }
        break;
    case Action::Refuse:
        Report(kRefused, status);
        if (status.status == kPassedTip)
            SaveStamp(host_.Now());
        break;
    case Action::SafeBox: {
        Report(kSafeBox, status);
        if (status.status == kPassedTip)
            SaveStamp(host_.Now());
        RoomRange own;
        for (const RoomRange& room : host_.Rooms())
            if (room.id == host_.OwnRoomId())
                own = room;
        const int32_t value = host_.CarriedSilver();
        if (value < own.minSilver)
            host_.ShowDeposit(true, own.minSilver - value);
        else if (value > own.maxSilver)
            host_.ShowDeposit(false, value - own.maxSilver);
        break;
    }
    case Action::Nothing:
        break;
    }
}

} // namespace switchroom
