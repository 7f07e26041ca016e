// This game's connection: re-entry after a 10100 answer.
#include "xueliu/CGameRequest.h"

#include "framework/connection/RequestIds.h"

bool CGameRequest::SendRequest(std::string& text, uint32_t requestId, const void* record, uint32_t length,
                               GameReply& reply, bool wantReply)
{
    const bool ok = CMJGameConnect2::SendRequest(text, requestId, record, length, reply, wantReply);
    if (!ok || !wantReply || requestId <= RequestId::MahjongFirst || requestId == RequestId::CatchCard ||
        reply.code != ReplyCode::RequestFailed)
        return ok;
    std::string enterText;
    EnterGame(enterText);
    return false;
}
