// The mahjong dispatcher: id to handler, each handing the record on to the table scene.
#include "mahjong/notify/CMJGameNotify2.h"

#include "framework/connection/Record.h"
#include "framework/frame/FrameApp.h"
#include "framework/notify/HandlerTable.h"
#include "framework/scene/GameWinApp.h"
#include "mahjong/app/CMJGameWinApp2.h"
#include "mahjong/scene/CMJMainGame2.h"
#include "widgets/AppServices.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

using Handler = void (CMJGameNotify2::*)(const NotifyData&);

// Sorted by id. The gang ids share one handler that takes the id (below).
constexpr std::pair<uint32_t, Handler> kHandlers[] = {
    {CMJGameNotify2::kPlayerStarted, &CMJGameNotify2::OnPlayerStarted},
    {CMJGameNotify2::kPlayerOffline, &CMJGameNotify2::OnPlayerOffline},
    {CMJGameNotify2::kCardThrown, &CMJGameNotify2::OnCardThrown},
    {CMJGameNotify2::kCardCaught, &CMJGameNotify2::OnCardCaught},
    {CMJGameNotify2::kClockOut, &CMJGameNotify2::OnNotify229165},
    {CMJGameNotify2::kPengAnnounced, &CMJGameNotify2::OnPengAnnounced},
    {CMJGameNotify2::kChiAnnounced, &CMJGameNotify2::OnChiAnnounced},
    {CMJGameNotify2::kGangAnnounced, &CMJGameNotify2::OnGangAnnounced},
    {CMJGameNotify2::kPengCards, &CMJGameNotify2::OnPengCards},
    {CMJGameNotify2::kChiCards, &CMJGameNotify2::OnChiCards},
    {CMJGameNotify2::kFlower, &CMJGameNotify2::OnFlower},
    {CMJGameNotify2::kGameMessage, &CMJGameNotify2::OnGameMessage},
    {CMJGameNotify2::kAskKanPai, &CMJGameNotify2::OnAskKanPai},
    {CMJGameNotify2::kKanPaiAnswer, &CMJGameNotify2::OnKanPaiAnswer},
    {CMJGameNotify2::kOwnHand, &CMJGameNotify2::OnOwnHand},
};

static_assert(notify_table::SortedById(kHandlers), "one handler per id, in id order");

} // namespace

size_t CMJGameNotify2::MahjongIdCount() { return std::size(kHandlers) + 4; } // + the gangs and 211300

bool CMJGameNotify2::OnNotify(uint32_t id, const uint8_t* data, uint32_t length)
{
    const Data n(id, data, length);
    switch (id) {
    case kMingGangCards:
    case kAnGangCards:
    case kBuGangCards: OnGangCards(id, n); return true;
    case kAfterResult: OnNotify211300(); return true;
    default: break;
    }
    const Handler handler = notify_table::Find(kHandlers, id);
    if (!handler)
        return CGameNotify::OnNotify(id, data, length);
    (this->*handler)(n);
    return true;
}

void CMJGameNotify2::RecordLastNotify(uint32_t id, const uint8_t* data, uint32_t length)
{
    CGameNotify::RecordLastNotify(id, data, length);
    if (id == kGameMessage && data && length >= 12)
        SetLastNotifySubCode(RecordReader(data, length).U32(8));
}

Lumora::CMJMainGame2* CMJGameNotify2::Scene() const
{
    IGameWinApp* app = App();
    return app ? dynamic_cast<Lumora::CMJMainGame2*>(app->GetMainGame()) : nullptr;
}

const Lumora::GameUserRecord* CMJGameNotify2::FindUser(uint32_t userId) const
{
    const Lumora::IAppServices* app = Lumora::GetAppServices();
    if (!app || userId == 0)
        return nullptr;
    for (const auto& u : app->GetPlayerRecords())
        if (uint32_t(u.UserId()) == userId)
            return &u;
    for (const auto& u : app->GetLookOnRecords())
        if (uint32_t(u.UserId()) == userId)
            return &u;
    return nullptr;
}

bool CMJGameNotify2::TableFlag() const
{
    framework::IFrameApp* app = framework::GetFrameApp();
    return app && app->GetTableFlag();
}

int CMJGameNotify2::RejectKanPaiAsk() const
{
    const auto* app = dynamic_cast<const CMJGameWinApp2*>(App());
    return app ? app->IsRejectKanPaiAsk() : 0;
}

void CMJGameNotify2::OnPlayerStarted(const Data& n)
{
    MarkChairStarted(n);
    if (auto* scene = Scene(); scene && n.Size() >= 16)
        scene->OnNotifyPlayerStarted(n.I32(12));
}

void CMJGameNotify2::OnPlayerOffline(const Data& n)
{
    if (auto* scene = Scene(); scene && n.Size() >= 4)
        scene->OnNotifyPlayerOffline(n.U32(0));
}

void CMJGameNotify2::OnNotify229165(const Data& n)
{
    // Only the chair whose time ran out gets the time-out, and it runs that chair's auto-play.
    const Lumora::IAppServices* app = Lumora::GetAppServices();
    if (app && n.I32(0) != app->GetChairNO())
        n.Refuse("a time-out of another chair");
    if (auto* scene = Scene())
        scene->OnNotify229165(n.Bytes(), n.Size());
}

void CMJGameNotify2::OnNotify211300()
{
    if (TableFlag())
        return;
    if (auto* scene = Scene())
        scene->OnNotify211300();
}

#define XL_FORWARD(Handler, SceneOp)                                                                                  \
    void CMJGameNotify2::Handler(const Data& n)                                                                       \
    {                                                                                                                 \
        if (auto* scene = Scene())                                                                                    \
            scene->SceneOp(n.Bytes(), n.Size());                                                                      \
    }
XL_FORWARD(OnCardThrown, OnNotifyCardThrown)
XL_FORWARD(OnPengAnnounced, OnNotifyPengAnnounced)
XL_FORWARD(OnPengCards, OnNotifyPengCards)
XL_FORWARD(OnChiAnnounced, OnNotifyChiAnnounced)
XL_FORWARD(OnChiCards, OnNotifyChiCards)
XL_FORWARD(OnGangAnnounced, OnNotifyGangAnnounced)
XL_FORWARD(OnFlower, OnNotifyFlower)
XL_FORWARD(OnGameMessage, OnNotifyGameMessage)
XL_FORWARD(OnKanPaiAnswer, OnNotifyKanPaiAnswer)
#undef XL_FORWARD

void CMJGameNotify2::OnCardCaught(const Data& n)
{
    if (auto* scene = Scene()) {
        if (const char* why = scene->LostOwnDraw(n.Bytes(), n.Size()))
            n.Refuse(why);
        scene->OnNotifyCardCaught(n.Bytes(), n.Size());
    }
}

void CMJGameNotify2::OnOwnHand(const Data& n)
{
    // A count past the tiles the record carries, or past what a hand holds, is a faulty record:
    // clamped, it would set a hand the server does not have.
    n.Need(kOwnHandTiles);
    const int count = n.CheckedCount(n.I32(kOwnHandCount), kOwnHandTiles, 4);
    auto* scene = Scene();
    if (count > (scene ? scene->GetMaxHandCards() : Lumora::kTileArraySize))
        n.Refuse("a hand of " + std::to_string(count) + " tiles");
    if (scene)
        scene->OnNotifyOwnHand(n.Bytes(), n.Size());
}

void CMJGameNotify2::OnGangCards(uint32_t id, const Data& n)
{
    if (auto* scene = Scene())
        scene->OnNotifyGangCards(id, n.Bytes(), n.Size());
}

void CMJGameNotify2::OnAskKanPai(const Data& n)
{
    if (RejectKanPaiAsk())
        return;
    if (const Lumora::GameUserRecord* user = n.Size() >= 4 ? FindUser(n.U32(0)) : nullptr;
        user && RecordReader(user->Data(), Lumora::GameUserRecord::kSize).U32(kRejectAskOffset) != 0)
        return;
    if (auto* scene = Scene())
        scene->OnNotifyAskKanPai(n.Bytes(), n.Size());
}
