#pragma once
// The frame UI's operations that notifications call: the exit question of another player, the
// changed, leaving and seated players, the table view, the match flow and the system board. The
// frame UI implements it and the application hands it out (IGameWinApp::GetNotifyFrame); without
// one the notifications change the application's data and show nothing. Data spans are the
// notification's bytes, valid only during the call.
//
// Threads: the UI thread, inside the engine's frame lock.
#include "widgets/GameUserRecord.h"

#include <cstdint>
#include <span>

class INotifyFrame {
public:
    using Data = std::span<const uint8_t>;
    virtual ~INotifyFrame() = default;

    virtual void ShowAskExit(Data /*data*/) {}
    virtual void OnUserChanged(const Lumora::GameUserRecord& /*user*/) {}
    virtual void OnPlayerLeaving(const Lumora::GameUserRecord& /*player*/) {}
    virtual void OnPlayerSeated(const Lumora::GameUserRecord& /*player*/) {}
    virtual void RefreshTableView() {}
    virtual void ShowKnockoutRound(Data /*data*/) {}
    virtual void ShowMatchBegin() {}
    virtual void ShowSystemCancel() {}
    virtual void OnMatchSignUpOK() {}
    virtual void OnMatchQuitOK() {}
    // colour 0x00BBGGRR, text size in pixels.
    virtual void ShowSystemBoard(const char* /*text*/, uint32_t /*colour*/, int /*size*/) {}
    virtual void ShowPromotionInfo(Data /*data*/) {}
    virtual void OnNotify211190(Data /*data*/) {}
    virtual void OnNotify211191(Data /*data*/) {}
    virtual void OnNotify211241(Data /*data*/) {}
    virtual void OnNotify211700(Data /*data*/) {}
};
