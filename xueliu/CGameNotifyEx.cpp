// This game's dispatcher: its own ids, then the layer below.
#include "xueliu/CGameNotifyEx.h"

#include "framework/app/CGameWinApp.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CMyGame.h"
#include "xueliu/GameRecords.h"

CMyGame* CGameNotifyEx::GameScene() const { return dynamic_cast<CMyGame*>(Scene()); }

bool CGameNotifyEx::OnNotify(uint32_t id, const uint8_t* data, uint32_t length)
{
    const Data n(id, data, length);
    CMyGame* scene = GameScene();
    switch (id) {
    case kGameStart: OnGameStart(n); return true;
    case kGameResult: OnGameResult(n); return true;
    case kExchangeBegin:
    case kExchangeChosen:
    case kExchangeDone:
    case kMissingSuitBegin:
    case kMissingSuits:
    case kScoreChange:
    case kPlayerWins:
        if (!scene)
            return true;
        if (const char* why = scene->OutOfCourse(id))
            n.Refuse(why);
        scene->OnGameStep(id, n.Bytes(), n.Size());
        return true;
    default: return CMJGameNotify2::OnNotify(id, data, length);
    }
}

void CGameNotifyEx::OnGameStart(const Data& n)
{
    n.Need(GameRecord::kDealStartSize);
    if (info_)
        info_->StoreGameStart(n.Bytes(), n.Size());
    if (app_)
        app_->SetPlaying();
    if (CMyGame* scene = GameScene()) {
        scene->ResetDealState();
        scene->OnNotifyRoundStart();
        scene->OnGameStartData(n.Bytes(), n.Size());
    }
}

void CGameNotifyEx::OnGameResult(const Data& n)
{
    n.Need(GameRecord::kResultSize);
    if (CMyGame* scene = GameScene())
        if (const char* why = scene->OutOfCourse(kGameResult))
            n.Refuse(why);
    if (info_)
        info_->StoreGameResult(n.Bytes(), n.Size());
    if (app_)
        app_->ClearPlaying();
    if (CMyGame* scene = GameScene())
        scene->OnNotifyGameResult(n.Bytes(), n.Size());
    if (app_)
        app_->ApplyGameResult(n.Span());
}
