#pragma once
// CMJGameWinApp2: the mahjong layer's application. It adds the reaction to a network failure,
// the answer to hand-viewing asks (none here; the game's settings decide), a constant, the
// mahjong game info, and plays the game's WAVE sounds unless the player keeps silence.
#include "framework/app/CGameWinApp.h"

class CMJGameData2;

class CMJGameWinApp2 : public CGameWinApp {
public:
    static constexpr int kMahjongConstant = 32;

    using CGameWinApp::CGameWinApp;

    void PlayGameSound(int soundId, int flags) override;

    // Operations after those of CGameWinApp, in slot order.
    // Resets the table, relaunches on exit and asks the player to log in again (not in test mode).
    virtual void OnNetworkFailure();
    virtual int IsRejectKanPaiAsk() const { return 0; }
    virtual int GetConstant32() const { return kMahjongConstant; }
    virtual CMJGameData2* GetMahjongGameInfo() { return nullptr; }
};
