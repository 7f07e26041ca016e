// The application's getters and lookups, its paths, the last-record file, the match score ring,
// the guide setting and the record operations of the generic layer.
#include "framework/app/CGameWinApp.h"

#include "framework/frame/CXyGameFrame.h"
#include "framework/app/ClientUtils.h"
#include "net/FileLogger.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "widgets/RecordFields.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

constexpr size_t kLastEntrySize = 56;
constexpr size_t kLastEntryName = 8, kLastEntryNameSize = 32;
constexpr size_t kLastEntrySecond = 40, kLastEntrySecondSize = 16;
constexpr uint32_t kOptionBit24 = 1u << 24;

} // namespace

// Paths.

std::string CGameWinApp::GetProgramFolder() const { return platform::ProgramFolder(); }
std::string CGameWinApp::GetGameIniPath() const { return GetProgramFolder() + gameCode_ + ".ini"; }

std::string CGameWinApp::GetHallIniPath() const
{
    std::string hall = GetProgramDir();
    return hall.empty() ? std::string() : hall + "GameHall.ini";
}

std::string CGameWinApp::GetUserDataPath() const
{
    return GetProgramDir() + "users/" + std::to_string(line_.userId) + ".dat";
}

std::string CGameWinApp::GetLastRecordPath() const
{
    return GetProgramFolder() + "temp/last_record_" + std::to_string(line_.userId) + ".dat";
}

std::string CGameWinApp::GetTempFolder() const
{
    std::string folder = GetProgramFolder() + "temp/";
    platform::MakeFolders(folder);
    return folder;
}

std::string CGameWinApp::GetPortraitFolder() const { return GetProgramDir() + "Share/Image/portrait/"; }

std::string CGameWinApp::GetCharacterFolder(int number) const
{
    return GetProgramDir() + "Share/Image/Character/" + std::to_string(number) + "/";
}

std::string CGameWinApp::GetAdvertPage() const
{
    std::string page = platform::IniFile(GetGameIniPath()).GetString("ADVERT", "WWW3");
    TrimBlanks(page);
    if (!page.empty())
        return page;
    char built[256];
    std::snprintf(built, sizeof built, "http://%s/advert/window/%u/xy.htm", line_.serverHost.c_str(), line_.gameId);
    return built;
}

std::string CGameWinApp::GetPayPage() const
{
    std::string page = platform::IniFile(GetGameIniPath()).GetString("ADVERT", "Pay");
    return TrimBlanks(page);
}

std::string CGameWinApp::GetMachineID() const
{
    if (!machineId_)
        machineId_ = ::GetMachineID();
    return *machineId_;
}

// Texts of the records.

std::string CGameWinApp::GetRoomName() const
{
    return std::string(hall_.matchData.Text(hall::MatchData::kRoomName, hall::MatchData::kRoomNameSize));
}

std::string CGameWinApp::GetAreaName() const
{
    return std::string(room().Text(hall::RoomRecord::kAreaName, hall::RoomRecord::kAreaNameSize));
}

std::string CGameWinApp::GetRoomRecordName() const
{
    return std::string(room().Text(hall::RoomRecord::kRoomName, hall::RoomRecord::kRoomNameSize));
}

std::string CGameWinApp::GetNoticeHost() const
{
    return std::string(room().Text(hall::RoomRecord::kNoticeHost, hall::RoomRecord::kNoticeHostSize));
}

std::string CGameWinApp::GetConfigText(int index) const
{
    auto it = hall_.configTexts.find(index);
    return it == hall_.configTexts.end() ? std::string() : it->second;
}

int32_t CGameWinApp::GetReplayTableValue() const { return hall_.replayTable.I32(0); }
int32_t CGameWinApp::GetReplayValue() const { return testFlag_ ? 0 : GetReplayTableValue(); }

// User lookups.

int32_t CGameWinApp::GetUserChairByID(uint32_t userId) const
{
    const auto* r = hall_.FindUser(userId);
    return r ? r->Chair() : -1;
}

void CGameWinApp::GetUserNameByID(std::string& out, uint32_t userId) const
{
    const auto* r = hall_.FindUser(userId);
    out = r ? std::string(r->Name()) : std::string();
}

std::string CGameWinApp::GetUserNameByChair(int chair) const
{
    return IsPlayerInChair(chair) ? std::string(hall_.players[chair].Name()) : std::string();
}

namespace {
std::string DisplayName(const Lumora::GameUserRecord& r)
{
    std::string name(r.Name());
    if (!r.SecondName().empty())
        name.append("[").append(r.SecondName()).append("]");
    return name;
}
} // namespace

std::string CGameWinApp::GetUserDisplayNameByID(uint32_t userId) const
{
    const auto* r = hall_.FindUser(userId);
    return r ? DisplayName(*r) : std::string();
}

std::string CGameWinApp::GetUserDisplayNameByChair(int chair) const
{
    return IsPlayerInChair(chair) ? DisplayName(hall_.players[chair]) : std::string();
}

int CGameWinApp::IsPlayerInChair(int chair) const
{
    return chair >= 0 && chair < static_cast<int>(hall::kMaxPlayers) && !hall_.players[chair].IsEmpty();
}

int CGameWinApp::IsUserFlagBit0(uint32_t userId) const
{
    const auto* r = hall_.FindUser(userId);
    return r ? Lumora::ReadFieldI32(r->Data(), 320, hall::kUserFlags) & 1 : 0;
}

int CGameWinApp::IsUserFlagBit12(uint32_t userId) const
{
    const auto* r = hall_.FindUser(userId);
    return r ? (Lumora::ReadFieldI32(r->Data(), 320, hall::kUserFlags) >> 12) & 1 : 0;
}

int32_t CGameWinApp::GetUserRecordValueA4(uint32_t userId) const
{
    const auto* r = hall_.FindUser(userId);
    return r ? Lumora::ReadFieldI32(r->Data(), 320, hall::kUserValueA4) : 0;
}

int32_t CGameWinApp::FindChairByUser(uint32_t userId) const
{
    for (size_t c = 0; c < hall::kMaxPlayers; ++c)
        if (userId != 0 && static_cast<uint32_t>(hall_.players[c].UserId()) == userId)
            return static_cast<int32_t>(c);
    return -1;
}

const hall::ExtraPlayerEntry* CGameWinApp::GetUserExtraByID(uint32_t userId) const
{
    int32_t chair = FindChairByUser(userId);
    return chair < 0 ? nullptr : &hall_.extra[chair];
}

const hall::ExtraPlayerEntry* CGameWinApp::GetMatchStanding(uint32_t userId) const
{
    const hall::ExtraPlayerEntry* entry = GetUserExtraByID(userId);
    return entry && entry->U32(hall::MatchStanding::kUserId) == userId ? entry : nullptr;
}

void CGameWinApp::StoreMatchResult(int32_t value, int32_t rank, uint32_t userId, int32_t level, int32_t points,
                                   int32_t nextPoints)
{
    matchResultValue_ = value;
    matchRank_ = rank;
    if (!GetMatchStanding(userId))
        return;
    hall::ExtraPlayerEntry& entry = hall_.extra[static_cast<size_t>(FindChairByUser(userId))];
    entry.SetI32(hall::MatchStanding::kRankLevel, level);
    entry.SetI32(hall::MatchStanding::kRankPoints, points);
    entry.SetI32(hall::MatchStanding::kNextLevelPoints, nextPoints);
}

int32_t CGameWinApp::GetMatchPlayerValue(int chair) const
{
    if (!match_ || chair < 0 || chair >= static_cast<int>(hall::kMaxPlayers) || !IsPlayerInChair(chair))
        return -1;
    return hall_.extra[chair].I32(0);
}

std::string CGameWinApp::GetCharacterImagePath(int character, int kind) const
{
    // The frame UI loads and names the pictures; without one there is none.
    return ::GetCharacterImagePath(character, kind);
}

void CGameWinApp::GetWealthTitle(int32_t silver, std::string& out) const
{
    out = ::GetWealthTitle(silver);
}

// The last-record file and the match score ring.

bool CGameWinApp::WriteLastRecord()
{
    const int32_t count = GetTablePlayerCount();
    const int32_t own = line_.chair;
    // A look-on client has no players (count 0) and may have no chair: nothing to write.
    if (count < 1 || count > static_cast<int32_t>(hall::kMaxPlayers) || own < 0 ||
        own >= static_cast<int32_t>(hall::kMaxPlayers))
        return false;
    std::array<uint8_t, kLastRecordSize> file{};
    // Every seated chair: seats need not be the first `count` chairs.
    for (int32_t chair = 0; chair < static_cast<int32_t>(hall::kMaxPlayers); ++chair) {
        const auto& p = hall_.players[chair];
        if (p.IsEmpty())
            continue;
        const int32_t entry = ((count + chair - own) % count + count) % count;
        uint8_t* e = file.data() + entry * kLastEntrySize;
        Lumora::WriteFieldI32(e, kLastEntrySize, 0, p.UserId());
        Lumora::WriteFieldI32(e, kLastEntrySize, 4, Lumora::ReadFieldI32(p.Data(), 320, hall::kUserFlags));
        // Cut on a character boundary: a name never ends in half a character.
        Lumora::WriteFixedFieldText(e + kLastEntryName, kLastEntryNameSize, p.Name());
        Lumora::WriteFixedFieldText(e + kLastEntrySecond, kLastEntrySecondSize, p.SecondName());
    }
    GetTempFolder();
    std::ofstream out(GetLastRecordPath(), std::ios::binary | std::ios::trunc);
    if (!out) {
        net::OxtLog("Create user last record data file[%s] failed!!!\r\n\r\n", GetLastRecordPath().c_str());
        return false;
    }
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

bool CGameWinApp::ReadLastRecord(std::span<uint8_t, kLastRecordSize> buffer) const
{
    std::fill(buffer.begin(), buffer.end(), 0);
    std::ifstream in(GetLastRecordPath(), std::ios::binary);
    if (!in)
        return false;
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() != static_cast<std::streamsize>(buffer.size())) {
        std::fill(buffer.begin(), buffer.end(), 0);
        return false;
    }
    return true;
}

void CGameWinApp::ResetRoundScores()
{
    scores_ = {};
    scoreTotals_ = {};
    scoreGames_ = 0;
}

void CGameWinApp::AddRoundScores(std::span<const int32_t> scores)
{
    const int slot = scoreGames_ % kScoreRing;
    for (size_t chair = 0; chair < scores.size() && chair < scores_.size(); ++chair) {
        scores_[chair][slot] = scores[chair];
        scoreTotals_[chair] += scores[chair];
    }
    ++scoreGames_;
}

int32_t CGameWinApp::GetMatchScore(int chair, int game) const
{
    if (chair < 0 || chair >= 8 || game < 0)
        return 0;
    return scores_[chair][game % kScoreRing];
}

// Settings and options.

int CGameWinApp::GetGuideActive() const { return platform::IniFile(GetGameIniPath()).GetInt("Active", "guide", 1); }

void CGameWinApp::SetGuideActive(int value)
{
    platform::IniFile(GetGameIniPath()).WriteString("Active", "guide", std::to_string(value));
}

void CGameWinApp::ClearGuideActive()
{
    platform::IniFile(GetGameIniPath()).WriteString("Active", "guide", "0");
}

int CGameWinApp::CanRequestExitConsent() const { return !IsRoomOptionBit1() && exitRequests_ < 2 ? 1 : 0; }

void CGameWinApp::SetFeatureButton(size_t index, FeatureButton button)
{
    if (index >= featureButtons_.size())
        return;
    if (featureTable_.size() < featureButtons_.size())
        featureTable_.resize(featureButtons_.size());
    featureTable_[index] = std::move(button);
}

void CGameWinApp::KnowOwnChair()
{
    if (line_.chair == -1)
        line_.chair = 0;
}

void CGameWinApp::OnEnteredAsPlayer()
{
    // An ordinary room's table is entered here: the scene and the side panel learn of it (the
    // seat panels, the start button) as they do in a match room.
    OnMatchTableEntered();
}

int CGameWinApp::IsOption24() const
{
    return !line_.lookOn && IsSilverRoom() && (line_.roomOptions.value_or(0) & kOptionBit24) ? 1 : 0;
}

// Records of the generic layer.

// Match hooks: the frame UI's match flow (nothing without a frame UI).

void CGameWinApp::OnMatchTableEntered()
{
    KnowOwnChair();
    if (CXyGameFrame* frame = GetFrameUI())
        frame->OnTableEntered();
}

void CGameWinApp::OnMatchTableRefreshed()
{
    KnowOwnChair();
    if (CXyGameFrame* frame = GetFrameUI())
        frame->OnTableRefreshed();
}

void CGameWinApp::OnMatchTableEvent()
{
    KnowOwnChair();
    playing_ = 1;
    if (CXyGameFrame* frame = GetFrameUI())
        frame->PostTableEvent13();
}

void CGameWinApp::OnMatchWaiting(const uint8_t* record, size_t size)
{
    KnowOwnChair();
    constexpr size_t kMatchRecordSize = hall::MatchStanding::kRecordSize;
    static_assert(kMatchRecordSize <= hall::ExtraPlayerEntry::kSize && kMatchRecordSize <= hall::MatchData::kSize);
    if (record && size >= kMatchRecordSize) {
        std::memcpy(hall_.extra[0].bytes.data(), record, kMatchRecordSize);
        std::memcpy(hall_.matchData.bytes.data(), record, kMatchRecordSize);
    }
    if (CXyGameFrame* frame = GetFrameUI())
        frame->ShowMatchWaiting();
}

void CGameWinApp::OnMatchLogin(uint32_t code, std::span<const uint8_t> data)
{
    switch (code) {
    case 210500:
        OnMatchWaiting(data.data(), data.size());
        break;
    case 210521:
        OnMatchNoSignUp();
        break;
    case 210530: {
        // The server's own words, shown as they come: as written, with their line ends.
        const std::string text =
            data.empty() ? std::string() : std::string(Lumora::FixedFieldText(data.data(), data.size()));
        ShowMsgBox(Lumora::EscapeMarkupKeeping(text, true, false));
        break;
    }
    case 210531:
        OnMatchWashOut();
        break;
    case 210533:
        OnMatchEnd();
        break;
    case 210534:
        OnMatchLate();
        break;
    case 210536:
        OnMatchStarted();
        break;
    case 210537:
        OnMatchSystemCancel();
        break;
    case 210538:
        OnMatchSelfCancel();
        break;
    case 210539:
        OnMatchWaitingCheck();
        break;
    case 210540:
        OnMatchSystemRejected();
        break;
    default:
        break;
    }
}

void CGameWinApp::ToFrameUI(void (CXyGameFrame::*show)())
{
    if (CXyGameFrame* frame = GetFrameUI())
        (frame->*show)();
}

void CGameWinApp::OnMatchNoSignUp() { ToFrameUI(&CXyGameFrame::ShowNoSignUp); }
void CGameWinApp::OnMatchWashOut() { ToFrameUI(&CXyGameFrame::ShowWashout); }
void CGameWinApp::OnMatchEnd() { ToFrameUI(&CXyGameFrame::ShowMatchEnd); }
void CGameWinApp::OnMatchLate() { ToFrameUI(&CXyGameFrame::ShowMatchLate); }
void CGameWinApp::OnMatchStarted() { ToFrameUI(&CXyGameFrame::ShowMatchStarted); }
void CGameWinApp::OnMatchSystemCancel() { ToFrameUI(&CXyGameFrame::ShowSystemCancel); }
void CGameWinApp::OnMatchSelfCancel() { ToFrameUI(&CXyGameFrame::ShowSelfCancel); }
void CGameWinApp::OnMatchWaitingCheck() { ToFrameUI(&CXyGameFrame::ShowWaitSignUpCheck); }
void CGameWinApp::OnMatchSystemRejected() { ToFrameUI(&CXyGameFrame::ShowSystemRejected); }

void CGameWinApp::LoadReplayTable(std::span<const uint8_t> record)
{
    hall_.replayTable.Assign(record);
    for (size_t chair = 0; chair < hall::kMaxPlayers; ++chair) {
        size_t at = hall::ReplayTableRecord::kSize + chair * hall::ExtraPlayerEntry::kSize;
        if (record.size() >= at + hall::ExtraPlayerEntry::kSize)
            hall_.extra[chair].Assign(record.subspan(at));
    }
}

void CGameWinApp::LoadTableByChair(std::span<const uint8_t> record)
{
    for (auto& p : hall_.players)
        p = Lumora::GameUserRecord();
    for (size_t at = 0; at + Lumora::GameUserRecord::kSize <= record.size(); at += Lumora::GameUserRecord::kSize) {
        Lumora::GameUserRecord r;
        r.Assign(record.data() + at, Lumora::GameUserRecord::kSize);
        if (!r.IsEmpty() && r.Chair() >= 0 && r.Chair() < static_cast<int32_t>(hall::kMaxPlayers))
            hall_.players[r.Chair()] = r;
    }
}

void CGameWinApp::SetRoomBasics(uint32_t roomId, uint32_t table, int32_t players, uint32_t roomType, uint32_t options)
{
    hall_.room.SetU32(hall::RoomRecord::kRoomId, roomId);
    hall_.table.SetU32(hall::TableRecord::kTableNumber, table);
    hall_.table.SetI32(hall::TableRecord::kPlayerCount, players);
    hall_.room.SetU32(hall::RoomRecord::kRoomType, roomType);
    hall_.room.SetU32(hall::RoomRecord::kRoomOptions, options);
}

void CGameWinApp::MakeUserBrief(std::span<uint8_t> out, const Lumora::GameUserRecord& user) const
{
    std::fill(out.begin(), out.end(), 0);
    Lumora::WriteFieldI32(out.data(), out.size(), 0, user.UserId());
    Lumora::WriteFieldI32(out.data(), out.size(), 4, Lumora::ReadFieldI32(user.Data(), 320, hall::kUserFlags));
    if (out.size() >= 8 + 32 + 16) {
        Lumora::WriteFixedFieldText(out.data() + 8, 32, user.Name());
        Lumora::WriteFixedFieldText(out.data() + 40, 16, user.SecondName());
    }
}

void CGameWinApp::MakeUserRecord(Lumora::GameUserRecord& out, std::span<const uint8_t> serverInfo) const
{
    out.Assign(serverInfo.data(), serverInfo.size());
}

void CGameWinApp::ConvertUserInfo(Lumora::GameUserRecord& out, std::span<const uint8_t> record) const
{
    out.Assign(record.data(), record.size());
}

bool CGameWinApp::ApplyPlayerStatus(uint32_t userId, int32_t chair, int32_t status)
{
    if (chair < 0 || chair >= static_cast<int32_t>(hall::kMaxPlayers) || status < 0)
        return false;
    if (IsRoomOptionBit3() && userId != line_.userId && !line_.lookOn)
        return false;
    auto& p = hall_.players[chair];
    if (static_cast<uint32_t>(p.UserId()) != userId || Lumora::ReadFieldI32(p.Data(), 320, hall::kUserStatus) == status)
        return false;
    p.SetI32(hall::kUserStatus, status);
    return true;
}

bool CGameWinApp::ApplyPlayerFlag(uint32_t userId, int32_t chair, int32_t flag)
{
    if (chair < 0 || chair >= static_cast<int32_t>(hall::kMaxPlayers))
        return false;
    auto& p = hall_.players[chair];
    if (static_cast<uint32_t>(p.UserId()) != userId)
        return false;
    int32_t flags = Lumora::ReadFieldI32(p.Data(), 320, hall::kUserFlags);
    int32_t changed = flag ? flags | 1 : flags & ~1;
    if (changed == flags)
        return false;
    p.SetI32(hall::kUserFlags, changed);
    return true;
}

namespace {
bool Fits(const hall::RoomListEntry& e, int32_t silver)
{
    int32_t lo = e.I32(hall::RoomListEntry::kMinSilver), hi = e.I32(hall::RoomListEntry::kMaxSilver);
    return silver >= lo && (hi == 0 || silver <= hi);
}
} // namespace

int32_t CGameWinApp::NextHigherRoom(int32_t silver) const
{
    const auto& list = hall_.roomList;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].U32(hall::RoomListEntry::kRoomId) == GetRoomID())
            for (size_t j = i + 1; j < list.size(); ++j)
                if (Fits(list[j], silver))
                    return list[j].I32(hall::RoomListEntry::kRoomId);
    return 0;
}

int32_t CGameWinApp::NextLowerRoom(int32_t silver) const
{
    const auto& list = hall_.roomList;
    for (size_t i = list.size(); i-- > 0;)
        if (list[i].U32(hall::RoomListEntry::kRoomId) == GetRoomID())
            for (size_t j = i; j-- > 0;)
                if (Fits(list[j], silver))
                    return list[j].I32(hall::RoomListEntry::kRoomId);
    return 0;
}
