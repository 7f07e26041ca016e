#pragma once
// An in-process game server on loopback for the benchmarks, built from the codec (its cost is
// small and the same each time): it accepts one client, reads its greeting, reassembles its
// frames and hands each whole message to the benchmark's handler. The handler runs on the
// peer's own thread and must outlive the peer; a benchmark that keeps state for it declares the
// peer after that state, so that the thread starts after it and is joined before it goes.
#include "net/ConnectionKeys.h"
#include "net/FrameReceiver.h"
#include "net/Packager.h"
#include "net/Pieces.h"
#include "net/WireFrame.h"
#include "platform/Socket.h"
#include "platform/SocketListener.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

namespace benchsupport {

constexpr uint32_t kPeerAes = 0x100;
inline const uint8_t* PeerGameKey() { return net::ConnectionKeyBlock(net::kGameKeyBlock); }

// A client's message opened with the game key; free its data with net::FreeMessageData.
inline bool UnpackClientMessage(const net::CBuffer& message, net::SocketContextRecord& context,
                                net::SocketMessageRecord& out)
{
    return net::UnpackMessage(message.GetData(), message.GetSize(), context, out, PeerGameKey(), 128, kPeerAes, 0,
                              net::kGamePieceSize);
}

// Writes the checksum of a frame built or changed here, its flag set.
inline void SealFrame(std::vector<uint8_t>& frame)
{
    const uint32_t zero = 0, one = 1;
    std::memcpy(&frame[net::kChecksumFlagOffset], &zero, 4);
    std::memcpy(&frame[net::kChecksumOffset], &zero, 4);
    const uint32_t crc = net::FrameChecksum(frame.data(), frame.size());
    std::memcpy(&frame[net::kChecksumFlagOffset], &one, 4);
    std::memcpy(&frame[net::kChecksumOffset], &crc, 4);
}

class GamePeer {
public:
    // One whole message of the client (its context first); false ends the service.
    using Handler = std::function<bool(platform::TcpSocket& client, const net::CBuffer& message)>;

    explicit GamePeer(Handler handle) : handle_(std::move(handle)), thread_([this] { Serve(); }) {}
    ~GamePeer()
    {
        stop_ = true;
        thread_.join();
    }
    GamePeer(const GamePeer&) = delete;
    GamePeer& operator=(const GamePeer&) = delete;

    uint16_t Port() const { return listener_.Port(); }

private:
    void Serve()
    {
        platform::TcpSocket s = listener_.Accept(5000);
        if (!s.Valid())
            return;
        s.SetNoDelay(true);
        uint8_t greeting[4 + net::kGameGreetingLength];
        if (!s.ReceiveExact(greeting, sizeof greeting, 5000))
            return;
        net::FrameReceiver receiver(net::kGamePieceSize);
        net::CBuffer message;
        std::vector<uint8_t> block(65536);
        while (!stop_) {
            if (!s.WaitReadable(20))
                continue;
            const auto r = s.Receive(block.data(), block.size());
            if (r.status != platform::IoStatus::Done)
                return;
            receiver.Feed(block.data(), r.bytes);
            while (receiver.Next(message) == net::ReceiveEvent::PushMessage)
                if (!handle_(s, message))
                    return;
        }
    }

    platform::SocketListener listener_;
    Handler handle_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace benchsupport
