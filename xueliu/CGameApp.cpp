// This game's application: settings, test mode, start-up and end.
#include "xueliu/CGameApp.h"

#include "framework/app/AppMessages.h"
#include "framework/connection/Record.h"
#include "platform/Ini.h"
#include "platform/Window.h"
#include "xueliu/CMainFrame.h"
#include "xueliu/CMyGame.h"
#include "xueliu/CMyGameFrame.h"

#include <algorithm>

namespace {
constexpr const char* kSettingsSection = "GAMESET";
constexpr uint32_t kTestRoomId = 1;
constexpr uint32_t kTestTable = 1;
constexpr uint32_t kTestFirstUser = 1001;
constexpr int32_t kTestSilver = 10000;
constexpr const char* kTestNames[] = {"玩家一", "玩家二", "玩家三", "玩家四"};

// Sums in 64 bits, kept in the record's range: a hostile delta cannot wrap an amount.
int32_t AddClamped(int32_t amount, int64_t delta)
{
    return int32_t(std::clamp<int64_t>(int64_t(amount) + delta, INT32_MIN, INT32_MAX));
}
} // namespace

CGameApp::CGameApp() : CMJGameWinApp2(kGameCode, kDefaultPort, kVersionMajor, kVersionMinor)
{
    request_.SetApp(&clientLink_);
    notify_.Attach(&gameInfo_, this);
    framework::SetFrameApp(&frameLink_);
    SetGameWinApp(&winLink_);
}

CGameApp::~CGameApp()
{
    if (framework::GetFrameApp() == &frameLink_)
        framework::SetFrameApp(nullptr);
    if (GetGameWinApp() == &winLink_)
        SetGameWinApp(nullptr);
}

std::unique_ptr<CGameFrameWnd> CGameApp::MakeFrameWindow()
{
    return std::make_unique<CMainFrame>();
}

Lumora::CGameBase* CGameApp::CreateGameFrame()
{
    return new CMyGameFrame;
}

void CGameApp::RestoreTable()
{
    auto* scene = dynamic_cast<CMyGame*>(GetMainGame());
    const auto block = gameInfo_.BlockB();
    if (!CMyGame::BlockBHoldsARunningHand(block))
        return;
    // The deal-start part is the deal as it stands now for this client.
    gameInfo_.StoreGameStart(block.data(), GameRecord::kDealStartSize);
    // Taken up again in the deal it was playing (a re-entry after a failed request), the client's
    // records already hold what the hand paid: forgotten, the result would pay it twice.
    const bool sameDeal = paidDeal_ == gameInfo_.GetStartValue20();
    if (sameDeal)
        CMJGameWinApp2::SetPlaying();
    else
        SetPlaying();
    if (scene)
        scene->RestoreRunningHand(block, sameDeal);
}

void CGameApp::ApplyGameResult(std::span<const uint8_t> record)
{
    if (record.size() < GameRecord::kResultSize)
        return;
    RecordReader r(record.data(), record.size());
    hall::HallState& hall = MutableHallData();
    std::array<int32_t, GameRecord::kChairs> part{};
    for (size_t block = 0; block < GameRecord::kChairs; ++block) {
        const size_t at = 4 + block * GameRecord::kResultChairBlock;
        const int32_t chair = r.I32(at), silver = r.I32(at + 4), score = r.I32(at + 8);
        if (chair < 0 || size_t(chair) >= part.size() || hall.players[size_t(chair)].IsEmpty())
            continue;
        Lumora::GameUserRecord& user = hall.players[size_t(chair)];
        user.SetSilver(AddClamped(user.Silver(), int64_t(silver) - paidSilver_[size_t(chair)]));
        user.SetScore(AddClamped(user.Score(), int64_t(score) - paidScore_[size_t(chair)]));
        part[size_t(chair)] = IsSilverRoom() ? silver : score;
    }
    WriteLastRecord();
    AddRoundScores(part);
    NotifyAdvertBar();
    NotifyUserListBar56();
    OnUsersChanged();
}

void CGameApp::ApplyHandPayment(std::span<const int32_t, 4> silver, std::span<const int32_t, 4> score)
{
    hall::HallState& hall = MutableHallData();
    for (size_t chair = 0; chair < silver.size(); ++chair) {
        Lumora::GameUserRecord& user = hall.players[chair];
        if (user.IsEmpty())
            continue;
        user.SetSilver(AddClamped(user.Silver(), silver[chair]));
        user.SetScore(AddClamped(user.Score(), score[chair]));
        paidSilver_[chair] += silver[chair];
        paidScore_[chair] += score[chair];
    }
    NotifyUserListBar55();
}

void CGameApp::SetPlaying()
{
    paidSilver_ = {};
    paidScore_ = {};
    paidDeal_ = gameInfo_.GetStartValue20();
    CMJGameWinApp2::SetPlaying();
}

void CGameApp::LoadSettings()
{
    platform::IniFile ini(GetGameIniPath());
    GameSettings s;
    s.keepSilence = ini.GetInt(kSettingsSection, "KeepSilence", 0);
    s.rejectKanPaiAsk = ini.GetInt(kSettingsSection, "RejectKanPaiAsk", 0);
    s.effectVolume = ini.GetInt(kSettingsSection, "EffectVolume", GameSettings::kVolumeMax);
    s.musicVolume = ini.GetInt(kSettingsSection, "MusicVolume", GameSettings::kVolumeMax);
    s.musicOn = ini.GetInt(kSettingsSection, "MusicOn", 1);
    SetSettings(s);
}

void CGameApp::SetSettings(const GameSettings& s)
{
    settings_ = s;
    settings_.effectVolume = std::clamp(s.effectVolume, 0, GameSettings::kVolumeMax);
    settings_.musicVolume = std::clamp(s.musicVolume, 0, GameSettings::kVolumeMax);
}

bool CGameApp::SaveSettings() const
{
    platform::IniFile ini(GetGameIniPath());
    bool ok = true;
    auto put = [&](const char* key, int value) { ok = ini.WriteString(kSettingsSection, key, std::to_string(value)) && ok; };
    put("KeepSilence", settings_.keepSilence);
    put("RejectKanPaiAsk", settings_.rejectKanPaiAsk);
    put("EffectVolume", settings_.effectVolume);
    put("MusicVolume", settings_.musicVolume);
    put("MusicOn", settings_.musicOn);
    return ok;
}

int CGameApp::TestModeKindFromSettings() const
{
    if (auto kind = TestModeArgument(Arguments()))
        return *kind;
    return platform::IniFile(GetGameIniPath()).GetInt("Test", "Mode", 0);
}

bool CGameApp::InitInstance()
{
    LoadSettings();
    if (int kind = TestModeKindFromSettings()) {
        SetTestMode(kind);
        FillTestStartData();
    }
    if (!CMJGameWinApp2::InitInstance())
        return false;
    if (!CreateMainWnd())
        return false;
    if (IsTestMode())
        platform::PostToWindow(GetMainWindowId(), app_msg::kStartTable);
    return true;
}

int CGameApp::ExitInstance()
{
    SaveSettings();
    return CMJGameWinApp2::ExitInstance();
}

void CGameApp::FillTestStartData()
{
    HallCommandLine line;
    line.userId = kTestFirstUser;
    line.chair = 0;
    line.gameName = "血流成河";
    ApplyCommandLine(line);
    hall::HallState& hall = MutableHallData();
    hall.room.SetU32(hall::RoomRecord::kRoomId, kTestRoomId);
    hall.table.SetU32(hall::TableRecord::kTableNumber, kTestTable);
    hall.table.SetI32(hall::TableRecord::kPlayerCount, 4);
    for (int chair = 0; chair < 4; ++chair) {
        Lumora::GameUserRecord& p = hall.players[chair];
        p = Lumora::GameUserRecord();
        p.SetUserId(static_cast<int32_t>(kTestFirstUser) + chair);
        p.SetName(kTestNames[chair]);
        p.SetSilver(kTestSilver);
        p.SetChair(chair);
        p.SetI32(hall::kUserTableNumber, static_cast<int32_t>(kTestTable));
    }
}
