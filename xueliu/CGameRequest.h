#pragma once
// CGameRequest: this game's server connection, the one the application embeds. A waited table
// action that the server answers with 10100 (its "enter again" answer; the draw request 229000
// excepted) makes the client enter the game again (200110) and report the action as failed.
#include "mahjong/connect/CMJGameConnect2.h"

class CGameRequest : public CMJGameConnect2 {
public:
    bool SendRequest(std::string& text, uint32_t requestId, const void* record, uint32_t length, GameReply& reply,
                     bool wantReply) override;
};
