#include "SocketClientFixture.h"

#include "Oracle.h"

#include "net/ConnectionKeys.h"
#include "net/WireFrame.h"

#include <cstring>

namespace nettest {

std::string PeerSettings(uint32_t compressFlags)
{
    return Hex(net::ConnectionKeyBlock(net::kGameKeyBlock), 16) + ":0x100:" + std::to_string(compressFlags);
}

std::vector<uint8_t> U32s(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(w >> (8 * i)));
    return out;
}

Reply Request(net::CSocketClient& client, uint32_t id, const std::vector<uint8_t>& data, uint32_t timeoutMs,
              bool needsReply, int checksumRequest)
{
    net::SocketContextRecord context;
    context.needsReply = needsReply ? 1 : 0;
    net::SocketMessageRecord request;
    request.head = net::MessageHead::WithId(id);
    request.length = static_cast<int32_t>(data.size());
    request.data = const_cast<uint8_t*>(data.data());
    net::SocketMessageRecord reply;
    Reply r;
    r.ok = client.SendRequest(context, request, &reply, &r.timedOut, timeoutMs, 0, 0, checksumRequest);
    if (r.ok && needsReply) {
        r.code = reply.head.Id();
        if (reply.length > 0)
            r.data.assign(reply.data, reply.data + reply.length);
        net::FreeMessageData(reply);
    }
    return r;
}

GameClientTest::GameClientTest(uint32_t compressFlags, bool peerSendsGreeting)
    : peer(LocalDaemon::GamePeer(PeerSettings(compressFlags), peerSendsGreeting)),
      client(net::ConnectionKeyBlock(net::kGameKeyBlock), net::kConnectionKeyBits, 0x100, compressFlags)
{
}

bool GameClientTest::Connect()
{
    return peer->Ok() && client.Create("127.0.0.1", peer->Port(), 5, 0, owner.Id(), false, net::kGameGreeting,
                                       net::kGameGreetingLength, 0);
}

} // namespace nettest
