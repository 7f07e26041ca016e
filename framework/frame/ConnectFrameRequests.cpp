#include "framework/frame/ConnectFrameRequests.h"

#include "framework/connection/CGameConnect.h"

namespace framework {

bool ConnectFrameRequests::QueryGamePlaying() { return connect_.QueryGamePlaying(); }

bool ConnectFrameRequests::LeaveGame(std::string& reason)
{
    const IClientApp* app = connect_.GetApp();
    std::string text;
    if (connect_.LeaveGame(text, app ? app->GetUserID() : 0, app ? app->GetChairNO() : -1)) {
        reason = text;
        return false;
    }
    return true;
}

void ConnectFrameRequests::AskExit(const std::string& reason) { connect_.AskExit(reason); }

void ConnectFrameRequests::ReplyAskExit(uint32_t userId, bool agree) { connect_.ReplyAskExit(userId, agree ? 1 : 0); }

void ConnectFrameRequests::Request201161()
{
    std::string ignored;
    connect_.Request201161(ignored);
}

} // namespace framework
