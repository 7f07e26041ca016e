// The dispatcher: the table from id to handler, the bounded reads of a notification's data, the
// last-notification record, the event delivery to the scene and the side panel, and the call.
#include "framework/notify/CGameNotify.h"

#include "framework/app/GameAppAccess.h"
#include "framework/connection/Record.h"
#include "framework/notify/HandlerTable.h"
#include "framework/notify/NotifyIds.h"
#include "framework/scene/GameWinApp.h"
#include "engine/gui/CGameBase.h"
#include "platform/Clock.h"
#include "widgets/ChatMarkup.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

using Handler = void (CGameNotify::*)(const NotifyData&);

// Sorted by id: one handler per id, found by binary search.
constexpr std::pair<uint32_t, Handler> kHandlers[] = {
    {NotifyId::ServerTextEvent, &CGameNotify::OnNotify60031},
    {NotifyId::Ahoo, &CGameNotify::OnAhoo},
    {NotifyId::Chat, &CGameNotify::OnChat},
    {NotifyId::AskExit, &CGameNotify::OnAskExit},
    {NotifyId::AskExitReply, &CGameNotify::OnAskExitReply},
    {NotifyId::ServerMessageBox, &CGameNotify::OnNotify210530},
    {NotifyId::PlayerLeft, &CGameNotify::OnPlayerLeft},
    {NotifyId::LookOnLeft, &CGameNotify::OnLookOnLeft},
    {NotifyId::PlayerSeated, &CGameNotify::OnNotify211011},
    {NotifyId::UserChanged, &CGameNotify::OnNotify211020},
    {NotifyId::HallWord, &CGameNotify::OnNotify211025},
    {NotifyId::TableList, &CGameNotify::OnNotify211028},
    {NotifyId::UsersInfoChanged, &CGameNotify::OnUsersInfoChanged},
    {NotifyId::SilverNotEnough, &CGameNotify::OnSilverNotEnough},
    {NotifyId::PlayerNotSeated, &CGameNotify::OnPlayerNotSeated},
    {NotifyId::ScoreNotEnough, &CGameNotify::OnScoreNotEnough},
    {NotifyId::ScoreOverLimit, &CGameNotify::OnScoreOverLimit},
    {NotifyId::TotalBoutOverLimit, &CGameNotify::OnTotalBoutOverLimit},
    {NotifyId::TableBoutOverLimit, &CGameNotify::OnTableBoutOverLimit},
    {NotifyId::OutOfOpenTime, &CGameNotify::OnOutOfOpenTime},
    {NotifyId::ServerText, &CGameNotify::OnServerText},
    {NotifyId::KnockoutRound, &CGameNotify::OnNotify211150},
    {NotifyId::RankListChanged, &CGameNotify::OnRankListChanged},
    {NotifyId::MatchLatePhase, &CGameNotify::OnNotify211190},
    {NotifyId::Match211191, &CGameNotify::OnNotify211191},
    {NotifyId::MatchBegin, &CGameNotify::OnMatchBegin},
    {NotifyId::ChatEx, &CGameNotify::OnChatEx},
    {NotifyId::MatchSystemCancel, &CGameNotify::OnMatchSystemCancel},
    {NotifyId::Match211202, &CGameNotify::OnNotify211202},
    {NotifyId::MatchSignUpOK, &CGameNotify::OnMatchSignUpOK},
    {NotifyId::MatchQuitOK, &CGameNotify::OnMatchQuitOK},
    {NotifyId::MatchSignUpFailed, &CGameNotify::OnMatchSignUpFailed},
    {NotifyId::MatchQuitFailed, &CGameNotify::OnMatchQuitFailed},
    {NotifyId::MatchOutFull, &CGameNotify::OnMatchOutFull},
    {NotifyId::PromotionInfo, &CGameNotify::OnNotify211220},
    {NotifyId::GameTimeout, &CGameNotify::OnGameTimeout},
    {NotifyId::Match211241, &CGameNotify::OnNotify211241},
    {NotifyId::MatchWaitWord, &CGameNotify::OnNotify211242},
    {NotifyId::MatchBoardText, &CGameNotify::OnNotify211243},
    {NotifyId::ChatBoxText, &CGameNotify::OnChatBoxText},
    {NotifyId::GameResultBox, &CGameNotify::OnGameResultBox},
    {NotifyId::HallFeature211430, &CGameNotify::OnNotify211430},
    {NotifyId::HallFeature211440, &CGameNotify::OnNotify211440},
    {NotifyId::PlayerResultEntry, &CGameNotify::OnNotify211510},
    {NotifyId::ChairValue211600, &CGameNotify::OnNotify211600},
    {NotifyId::ChairValue211601, &CGameNotify::OnNotify211601},
    {NotifyId::TablePlayers, &CGameNotify::OnNotify211700},
    {NotifyId::IdleTooLong, &CGameNotify::OnIdleTooLong},
    {NotifyId::AmuletSkill, &CGameNotify::OnAmuletSkill},
    {NotifyId::PlayerTexts, &CGameNotify::OnNotify211910},
    {NotifyId::QRCodeInfo, &CGameNotify::OnQRCodeInfo},
    {NotifyId::PlayerEntry211930, &CGameNotify::OnNotify211930},
    {NotifyId::Notify211931, &CGameNotify::OnNotify211931},
    {NotifyId::Service214100, &CGameNotify::OnNotify214100},
    {NotifyId::Service214101, &CGameNotify::OnNotify214101},
    {NotifyId::Service214102, &CGameNotify::OnNotify214102},
    {NotifyId::Service214103, &CGameNotify::OnNotify214103},
    {NotifyId::Service214110, &CGameNotify::OnNotify214110},
};
static_assert(std::size(kHandlers) == 58);

static_assert(notify_table::SortedById(kHandlers), "one handler per id, in id order");

void Deliver(Lumora::CGameBase* target, uint32_t code, uintptr_t param1, uintptr_t param2)
{
    if (target)
        target->OnEvent(Lumora::EventRecord{0, code, param1, param2});
}

} // namespace

NotifyRefused::NotifyRefused(uint32_t id, const std::string& why)
    : std::runtime_error("notification " + std::to_string(id) + ": " + why), id_(id)
{
}

void NotifyData::Need(size_t size) const
{
    if (size_ < size)
        Refuse("needs " + std::to_string(size) + " bytes, has " + std::to_string(size_));
}

void NotifyData::Refuse(const std::string& why) const { throw NotifyRefused(id_, why); }

uint32_t NotifyData::U32(size_t offset) const
{
    Need(offset + 4);
    return RecordReader(data_, size_).U32(offset);
}

std::string NotifyData::Text(size_t offset) const
{
    Need(offset);
    const size_t rest = size_ - offset;
    if (rest == 0)
        return std::string();  // an empty record may have no data pointer at all
    const auto* begin = reinterpret_cast<const char*>(data_) + offset;
    const void* zero = std::memchr(begin, 0, rest);
    return std::string(begin, zero ? static_cast<const char*>(zero) - begin : rest);
}

int NotifyData::ClampCount(int32_t count, size_t offset, size_t stride) const
{
    if (count <= 0 || offset >= size_ || stride == 0)
        return 0;
    const size_t held = (size_ - offset) / stride;
    return static_cast<int>(std::min<size_t>(size_t(count), held));
}

int NotifyData::CheckedCount(int32_t count, size_t offset, size_t stride) const
{
    if (count < 0 || ClampCount(count, offset, stride) != count)
        Refuse("count " + std::to_string(count) + " past its entries");
    return count;
}

CGameNotify::CGameNotify() = default;
CGameNotify::~CGameNotify() = default;

size_t CGameNotify::HandledIdCount() { return std::size(kHandlers); }

bool CGameNotify::OnNotify(uint32_t id, const uint8_t* data, uint32_t length)
{
    return Dispatch(id, NotifyData(id, data, length));
}

bool CGameNotify::Dispatch(uint32_t id, const Data& n)
{
    const Handler handler = notify_table::Find(kHandlers, id);
    if (!handler)
        return false;
    (this->*handler)(n);
    return true;
}

void CGameNotify::RecordLastNotify(uint32_t id, const uint8_t*, uint32_t length)
{
    last_[0] = id;
    last_[1] = 0;
    last_[2] = length;
    last_[3] = platform::TickCount();
}

void CGameNotify::GetLastNotifyRecord(uint32_t out[4]) const { std::copy(last_, last_ + 4, out); }

IGameWinApp* CGameNotify::App() const { return GetGameWinApp(); }

void CGameNotify::ToScene(uint32_t code, uintptr_t param1, uintptr_t param2) const
{
    if (IGameWinApp* app = App())
        Deliver(app->GetMainGame(), code, param1, param2);
}

void CGameNotify::ToSidePanel(uint32_t code, uintptr_t param1, uintptr_t param2) const
{
    if (IGameWinApp* app = App())
        Deliver(app->GetSubSystem(), code, param1, param2);
}

void CGameNotify::ToScene(uint32_t code, const Data& n) const
{
    ToScene(code, reinterpret_cast<uintptr_t>(n.Bytes()), n.Size());
}

void CGameNotify::ToSidePanel(uint32_t code, const Data& n) const
{
    ToSidePanel(code, reinterpret_cast<uintptr_t>(n.Bytes()), n.Size());
}

void CGameNotify::ShowTimedBox(const Lumora::Markup& text, int seconds) const
{
    if (IGameWinApp* app = App())
        app->ShowAskBox(text, seconds, 1, nullptr);
}

void CGameNotify::ShowSystemLine(const Lumora::Markup& markup) const
{
    if (IGameWinApp* app = App())
        app->ShowSystemNotice(markup);
}

void CGameNotify::OnAhoo(const Data& n)
{
    const uint32_t caller = n.U32(0);
    const uint32_t called = n.U32(16);
    IGameWinApp* app = App();
    if (!app)
        return;
    ShowSystemLine(Lumora::FormatMarkup(" %s呼叫 <c=%d>%s\n", Lumora::UnbrokenMarkup(app->GetUserDisplayNameByID(caller)),
                                        32768, Lumora::UnbrokenMarkup(app->GetUserDisplayNameByID(called))));
    IGameAppAccess* access = GetGameAppAccess();
    if (access && called == access->GetUserID())
        if (Lumora::CGameBase* frame = app->GetGameFrame())
            frame->PlaySound("SndAhoo", 1, nullptr);
}

void CGameNotify::OnAhoo(const Lumora::AhooRecord& record)
{
    std::array<uint8_t, sizeof(record.words)> bytes{};
    std::memcpy(bytes.data(), record.words.data(), bytes.size());
    OnAhoo(NotifyData(NotifyId::Ahoo, bytes.data(), bytes.size()));
}
