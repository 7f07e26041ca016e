// The links' few operations that do more than forward.
#include "framework/app/AppLinks.h"

#include "framework/app/AppMessages.h"
#include "framework/window/CGameFrameWnd.h"
#include "platform/Message.h"
#include "platform/SystemScreen.h"
#include "platform/Window.h"
#include "widgets/RecordFields.h"

int32_t ClientAppLink::GetOwnTableSilver() const
{
    int chair = app_.GetChairNO();
    return app_.IsPlayerInChair(chair) ? app_.GetPlayerRecords()[chair].Silver() : 0;
}

void ClientAppLink::PromptTakeSilver(const uint8_t* data, size_t size)
{
    app_.AskTakeSilver(Lumora::ReadFieldI32(data, size, 0), Lumora::ReadFieldI32(data, size, 4));
}

void ClientAppLink::PromptStoreSilver(const uint8_t* data, size_t size)
{
    app_.AskStoreSilver(Lumora::ReadFieldI32(data, size, 0), Lumora::ReadFieldI32(data, size, 4));
}

int ClientAppLink::GetScreenWidth() const { return platform::QueryScreen().width; }
int ClientAppLink::GetScreenHeight() const { return platform::QueryScreen().height; }

Lumora::CLumoraWnd* FrameAppLink::GetMainWnd()
{
    return app_.GetMainWnd();
}

void FrameAppLink::AskHallForUserDetail(uint32_t userId)
{
    app_.PostToHallFrame(app_msg::kHallUserDetails, app_.GetMainWindowId(), userId);
}

void FrameAppLink::PostCloseToMainWindow()
{
    platform::PostToWindow(app_.GetMainWindowId(), platform::kMsgClose);
}

std::optional<framework::MatchPlayerDetail> FrameAppLink::GetMatchPlayerDetail(uint32_t userId) const
{
    const hall::ExtraPlayerEntry* e = app_.GetMatchStanding(userId);
    if (!e)
        return std::nullopt;
    using S = hall::MatchStanding;
    framework::MatchPlayerDetail d;
    d.userId = static_cast<int32_t>(userId);
    d.character = e->I32(S::kCharacter);
    d.name = std::string(e->Text(S::kName, S::kNameSize));
    d.rankLevel = e->I32(S::kRankLevel);
    d.rankPoints = e->I32(S::kRankPoints);
    d.nextLevelPoints = e->I32(S::kNextLevelPoints);
    d.wins = e->I32(S::kWins);
    d.losses = e->I32(S::kLosses);
    d.draws = e->I32(S::kDraws);
    d.matchWins = e->I32(S::kMatchValues + 12);
    d.matchLosses = e->I32(S::kMatchValues + 16);
    d.matchDraws = e->I32(S::kMatchValues + 20);
    return d;
}
