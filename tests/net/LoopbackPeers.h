#pragma once
// Small loopback servers for the network tests: a one-connection server that runs a script
// (a fake proxy or a misbehaving peer), an echo server to stand behind real proxies, and a name
// server that never answers.
#include "platform/Socket.h"
#include "platform/SocketAddress.h"
#include "platform/SocketListener.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace nettest {

using Bytes = std::vector<uint8_t>;

// Reads exactly n bytes (empty on time-out or close).
Bytes ReadN(platform::TcpSocket& s, size_t n, int timeoutMs = 3000);
// Reads one byte at a time up to and including the terminator (empty on failure).
std::string ReadUntil(platform::TcpSocket& s, const std::string& terminator, int timeoutMs = 3000);
bool Write(platform::TcpSocket& s, const Bytes& b);
bool Write(platform::TcpSocket& s, const std::string& text);

// Accepts one connection and hands it to the script on its own thread; joins on destruction.
class ScriptedServer {
public:
    using Script = std::function<void(platform::TcpSocket&)>;
    explicit ScriptedServer(Script script);
    ~ScriptedServer();
    uint16_t Port() const { return listener_.Port(); }

private:
    platform::SocketListener listener_;
    std::thread thread_;
};

// Echoes every byte back on every connection until destroyed.
class EchoServer {
public:
    EchoServer();
    ~EchoServer();
    uint16_t Port() const { return listener_.Port(); }

private:
    platform::SocketListener listener_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Installed while it lives: literals resolve at once, every name hangs as under a dead name
// server (for at most kStallMs), or, given answerMs, is the loopback after that long. It goes
// only once every lookup it was given has ended.
class StalledNames final : public platform::Resolver {
public:
    static constexpr int kStallMs = 10000;
    explicit StalledNames(int answerMs = 0);
    ~StalledNames() override;
    std::optional<uint32_t> Resolve(const std::string& host) const override;
    // Names asked for so far and lookups still hanging.
    int Asked() const;
    int Hanging() const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    mutable int asked_ = 0;
    mutable int hanging_ = 0;
    bool released_ = false;
    const int answerMs_;
};

} // namespace nettest
