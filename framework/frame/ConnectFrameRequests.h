#pragma once
// The leaving requests of the in-game frame through the server connection. The application
// hands one to the frame (IFrameApp::GetRequests); it reads the own user and chair from the
// connection's application at each request.
#include "framework/frame/FrameApp.h"

class CGameConnect;

namespace framework {

class ConnectFrameRequests final : public IFrameRequests {
public:
    // The connection must outlive this object.
    explicit ConnectFrameRequests(CGameConnect& connect) : connect_(connect) {}

    bool QueryGamePlaying() override;
    // The connection reports a refusal with a text as TRUE; every other outcome, a failed or
    // timed-out request included, lets the player go.
    bool LeaveGame(std::string& reason) override;
    void AskExit(const std::string& reason) override;
    void ReplyAskExit(uint32_t userId, bool agree) override;
    void Request201161() override;

private:
    CGameConnect& connect_;
};

} // namespace framework
