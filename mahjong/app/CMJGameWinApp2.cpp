// The mahjong layer's application operations.
#include "mahjong/app/CMJGameWinApp2.h"

#include "framework/app/ClientUtils.h"
#include "framework/scene/CMainGame.h"

void CMJGameWinApp2::PlayGameSound(int soundId, int flags)
{
    if (!IsKeepSilence())
        PlaySoundResource(soundId, flags);
}

void CMJGameWinApp2::OnNetworkFailure()
{
    if (IsTestMode())
        return;
    // The scene goes back to its waiting state (which also reopens the notification gate).
    if (auto* scene = dynamic_cast<Lumora::CMainGame*>(GetMainGame())) {
        scene->OnResetGame();
        scene->OnGameReady();
    }
    SetRelaunchOnExit(true);
    ShowAskBox("您的网络出现了异常，请重新登录大厅。", 10, 0, nullptr);
}
