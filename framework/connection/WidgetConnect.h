#pragma once
// The connection as the widgets see it (Lumora::IGameConnect): the call-a-player, player-details
// and look-on permission requests forwarded to the game connection. The application hands one
// out from GetConnect; it must not outlive the connection it forwards to.
#include "framework/connection/CGameConnect.h"
#include "widgets/AppServices.h"

class CWidgetConnect : public Lumora::IGameConnect {
public:
    explicit CWidgetConnect(CGameConnect& connect) : connect_(connect) {}

    void SendAhoo(uint32_t userId) override { connect_.SendAhoo(userId); }
    void Request201230(uint32_t userId) override { connect_.Request201230(static_cast<int32_t>(userId)); }
    int Request229560(uint32_t userId, int allow) override
    {
        return connect_.Request229560(static_cast<int32_t>(userId), allow) ? 1 : 0;
    }

private:
    CGameConnect& connect_;
};
