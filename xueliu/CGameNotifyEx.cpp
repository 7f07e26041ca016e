// This game's dispatcher: its own ids, then the layer below.
#include "xueliu/CGameNotifyEx.h"

#include "framework/app/CGameWinApp.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CMyGame.h"
#include "xueliu/GameRecords.h"
#include "xueliu/RecordChecks.h"

CMyGame* CGameNotifyEx::GameScene() const { return dynamic_cast<CMyGame*>(Scene()); }

bool CGameNotifyEx::OnNotify(uint32_t id, const uint8_t* data, uint32_t length)
{
    const Data n(id, data, length);
    CMyGame* scene = GameScene();
    switch (id) {
    case kGameStart: OnGameStart(n); return true;
    case kGameResult: OnGameResult(n); return true;
    case kPlayerStarted:
        // Ready is out of course once a hand is dealt: it would tag a playing chair.
        if (scene)
            if (const char* why = scene->OutOfCourse(id))
                n.Refuse(why);
        return CMJGameNotify2::OnNotify(id, data, length);
    case kCardThrown:
        if (const char* why = xueliu::ThrowFault(n.Span()))
            n.Refuse(why);
        [[fallthrough]];
    case kCardCaught:
    case kClockOut:
    case kPengAnnounced:
    case kChiAnnounced:
    case kGangAnnounced:
    case kPengCards:
    case kChiCards:
    case kMingGangCards:
    case kAnGangCards:
    case kBuGangCards:
    case kFlower:
        if (scene)
            if (const char* why = scene->OutOfCourse(id))
                n.Refuse(why);
        return CMJGameNotify2::OnNotify(id, data, length);
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
        if (const char* why = id == kPlayerWins ? xueliu::WinFault(n.Span()) : nullptr)
            n.Refuse(why);
        scene->OnGameStep(id, n.Bytes(), n.Size());
        return true;
    default: return CMJGameNotify2::OnNotify(id, data, length);
    }
}

void CGameNotifyEx::OnGameStart(const Data& n)
{
    n.Need(GameRecord::kDealStartSize);
    if (CMyGame* scene = GameScene())
        if (const char* why = scene->OutOfCourse(kGameStart))
            n.Refuse(why);
    if (const char* why = xueliu::DealStartFault(n.Span()))
        n.Refuse(why);
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
    if (const char* why = xueliu::ResultFault(n.Span()))
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
