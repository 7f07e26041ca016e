#pragma once
// CGameApp: this game's application ("qirn", port 26283, version 9.3). It keeps the game's
// settings (section "GAMESET" of "qirn.ini": KeepSilence, RejectKanPaiAsk, EffectVolume,
// MusicVolume, MusicOn), read before the generic start-up and written first at the end; runs
// without the hall in test mode ("Mode" of section "Test", or the argument --test-mode=<kind>)
// with made-up start data; creates the main window; and answers the calculator's room question.
#include "framework/app/AppLinks.h"
#include "framework/app/GameWinAppLink.h"
#include "mahjong/app/CMJGameWinApp2.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CGameNotifyEx.h"
#include "xueliu/CGameRequest.h"
#include "rules/RoomTypeQuery.h"

#include <array>
#include <optional>

struct GameSettings {
    static constexpr int kVolumeMax = 50;
    int keepSilence = 0;
    int rejectKanPaiAsk = 0;
    int effectVolume = 50; // 0..50, the settings slider's range
    int musicVolume = 50;
    int musicOn = 1;
};

class CGameApp : public CMJGameWinApp2, public IRoomTypeQuery {
public:
    static constexpr const char* kGameCode = "qirn";
    static constexpr uint32_t kDefaultPort = 26283;
    static constexpr int kVersionMajor = 9;
    static constexpr int kVersionMinor = 3;

    CGameApp();
    ~CGameApp() override;

    bool InitInstance() override;
    int ExitInstance() override;

    int GetChairCount() const override { return 4; }
    std::span<uint8_t> GetGameInfoBlockA() override { return gameInfo_.BlockA(); }
    std::span<uint8_t> GetGameInfoBlockB() override { return gameInfo_.BlockB(); }
    CGameInfo* GetGameInfo() override { return &gameInfo_; }
    Lumora::IGameNotify* GetNotify() override { return &notify_; }
    CMJGameData2* GetMahjongGameInfo() override { return &gameInfo_; }
    Lumora::IGameConnect* GetConnect() override { return &widgetConnect_; }
    int IsKeepSilence() const override { return settings_.keepSilence; }
    int IsRejectKanPaiAsk() const override { return settings_.rejectKanPaiAsk; }
    std::int32_t IsRoomTypeBit4() const override { return (GetRoomType() & 0x10) ? 1 : 0; }

    // 210220 and 210210: the scene rebuilds the table from block B.
    void OnEnteredRunning() override { RestoreTable(); }
    void OnEnteredLookOn() override { RestoreTable(); }
    // The result (229810): each chair's silver and score of the hand added to its record, the
    // last-record file, the round scores (silver in a silver room), then the bars and the seat
    // panels refreshed.
    void ApplyGameResult(std::span<const uint8_t> record) override;
    // A payment announced during the hand (a gang's 刮风/下雨, a win, the end's checks): each
    // chair's silver and score follow it at once and the user list shows them; the result then
    // adds only what its totals hold beyond the payments already made.
    void ApplyHandPayment(std::span<const int32_t, 4> silver, std::span<const int32_t, 4> score);
    // A new hand has paid nothing yet: the deal (its start record stored first) clears what the
    // last hand paid. Entering a running hand clears it too, unless the hand is the deal the
    // payments were made in.
    void SetPlaying() override;

    const GameSettings& Settings() const { return settings_; }
    // The settings board and the scene change them through here; values are clamped.
    void SetSettings(const GameSettings& settings);
    void LoadSettings();
    bool SaveSettings() const;

    // A stand-in for the connection's start-up steps (tests); null uses the game's connection.
    // Must outlive the application's use of it.
    void SetServerStartup(IServerStartup* startup) { startup_ = startup; }
    CGameRequest& Request() { return request_; }

protected:
    IServerStartup* GetServerStartup() override { return startup_ ? startup_ : &startupLink_; }
    void FillTestStartData() override;
    std::unique_ptr<CGameFrameWnd> MakeFrameWindow() override;
    Lumora::CGameBase* CreateGameFrame() override;
    // The test-mode kind from the arguments or the game's ini; 0 when off.
    int TestModeKindFromSettings() const;
    void RestoreTable();

private:
    GameSettings settings_;
    // What the hand's payments have added to each chair's record so far.
    std::array<int64_t, 4> paidSilver_{}, paidScore_{};
    // The deal number (game parameter word 8) those payments were made in; none before a deal.
    std::optional<uint32_t> paidDeal_;
    IServerStartup* startup_ = nullptr;
    CGameRequest request_;
    ClientAppLink clientLink_{*this};
    CGameInfoEx gameInfo_{&clientLink_};
    WidgetConnectLink widgetConnect_{request_};
    CGameNotifyEx notify_;
    GameWinAppLink winLink_{*this, &request_, &notify_};
    FrameAppLink frameLink_{*this, &request_};
    ConnectionStartup startupLink_{request_};
};
