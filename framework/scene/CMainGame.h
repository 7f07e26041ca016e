#pragma once
// Lumora::CMainGame: the framework's base of the table scene, the engine object "MainGame" that
// the frame UI owns and from which the mahjong scene derives. It delivers the notification events
// that the dispatcher hands it to eight overridable hooks, keeps the table's replay object, runs
// the auto-leave timer (a one-shot engine action that raises 80000103 on the scene itself) and
// sends the hall-feature requests (start, allowance, reward) with their wait texts.
//
// Event hook: every code is reported handled and nothing reaches the engine base, so a scene
// derived from it handles its own codes first and calls this one last.
//
// Everything runs on the UI thread. The replay object is a child the engine owns; the scene keeps
// its id, not its pointer, across ticks.
#include "engine/gui/CGameBase.h"

#include <cstdint>
#include <span>

class CGameReplay;

namespace Lumora {

class CMainGame : public CGameBase {
public:
    static constexpr double kReplayDepth = 10000.0;
    static constexpr int32_t kReplaySetting = 5000;

    CMainGame();
    ~CMainGame() override;

    int OnEvent(const EventRecord& record) override;

    // Virtual operations, in slot order.
    // Creates the replay object when the room records replays (option bit 17) or in a test mode.
    virtual void CreateReplayRecorder();
    virtual void OnResetGame() {}
    virtual void OnGameReady() {}
    virtual void OnSceneHook() {}
    // Seconds := word 14 of game-info block A when the room options have bits 6 and 7.
    virtual void LoadAutoLeaveSeconds();
    virtual void StartAutoLeaveTimer();
    virtual void StopAutoLeaveTimer();
    // 201302 when the room options have bit 1; its result is not used.
    virtual void OnStartGameNew();
    virtual void GetAllowanceConfig(int32_t value);
    virtual void TakeAllowance(int32_t value, int32_t kind);
    virtual void TakeAllowanceEx(int32_t value, int32_t kind);
    virtual void TakeSilverReward(int32_t value);
    // Notification hooks; the data are valid only during the call.
    virtual void OnQRCodeNotify(const uint8_t* /*data*/) {}
    virtual void OnNotify211430Hook(const uint8_t* /*data*/) {}
    virtual void OnNotify214100Hook(const uint8_t* /*data*/) {}
    virtual void OnNotify214101Hook(const uint8_t* /*data*/) {}
    virtual void OnNotify214102Hook(const uint8_t* /*data*/) {}
    virtual void OnNotify214103Hook(const uint8_t* /*data*/) {}
    virtual void OnServerTextHook(const uint8_t* /*data*/) {}
    virtual void OnNotify214110Hook(const uint8_t* /*data*/) {}

    // Null until created; looked up by id, so a released object reads as none.
    CGameReplay* GetReplay() const;
    uint64_t GetAutoLeaveTimer() const { return autoLeaveTimer_; }
    int32_t GetAutoLeaveSeconds() const { return autoLeaveSeconds_; }
    void SetAutoLeaveSeconds(int32_t seconds) { autoLeaveSeconds_ = seconds; }

private:
    uint32_t replayId_ = 0;
    uint64_t autoLeaveTimer_ = 0;
    int32_t autoLeaveSeconds_ = -1;
};

} // namespace Lumora
