#pragma once
// A game client connected to the Python game peer, with an owner thread receiving its
// deliveries, and the request ids the peer understands (see peers/game_peer.py).
#include "LocalDaemons.h"
#include "OwnerThread.h"

#include "net/SocketClient.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nettest {

enum PeerRequest : uint32_t {
    kEcho = 100,
    kPush = 101,
    kPushAndReply = 102,
    kLate = 103,
    kStaleFirst = 104,
    kAhead = 105,
    kBadCrc = 106,
    kShortFrame = 107,
    kOutOfOrder = 108,
    kReset = 109,
    kClose = 110,
    kStall = 111,
    kGarbage = 112,
    kBigReply = 113,
    kUnreadable = 114,
    kTwice = 115,
};
inline constexpr uint32_t kPeerPushId = 500;

// The game connection's settings: key block 2, AES on, zlib as asked.
std::string PeerSettings(uint32_t compressFlags = 0);

struct Reply {
    bool ok = false;
    int timedOut = 0;
    uint32_t code = 0;
    std::vector<uint8_t> data;
};

// Sends one request (waiting for its reply when needsReply) and takes the reply's data.
Reply Request(net::CSocketClient& client, uint32_t id, const std::vector<uint8_t>& data, uint32_t timeoutMs = 5000,
              bool needsReply = true, int checksumRequest = 1);
std::vector<uint8_t> U32s(std::initializer_list<uint32_t> words);

class GameClientTest {
public:
    explicit GameClientTest(uint32_t compressFlags = 0, bool peerSendsGreeting = false);
    // Connects directly; false when the peer or the connect failed.
    bool Connect();
    std::unique_ptr<LocalDaemon> peer;
    OwnerThread owner;
    net::CDefSocketClient client;
};

} // namespace nettest
