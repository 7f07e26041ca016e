// The mahjong layer's application operations.
#include "mahjong/app/CMJGameWinApp2.h"

#include "framework/app/ClientUtils.h"

void CMJGameWinApp2::PlayGameSound(int soundId, int flags)
{
    if (!IsKeepSilence())
        PlaySoundResource(soundId, flags);
}

void CMJGameWinApp2::OnNetworkFailure()
{
    if (IsTestMode())
        return;
    SetRelaunchOnExit(true);
    ShowAskBox("您的网络出现了异常，请重新登录大厅。", 10, 0, 0);
}
