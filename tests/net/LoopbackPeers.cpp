#include "LoopbackPeers.h"

#include <poll.h>

#include <chrono>

namespace nettest {

Bytes ReadN(platform::TcpSocket& s, size_t n, int timeoutMs)
{
    Bytes b(n);
    if (!s.ReceiveExact(b.data(), n, timeoutMs))
        return {};
    return b;
}

std::string ReadUntil(platform::TcpSocket& s, const std::string& terminator, int timeoutMs)
{
    std::string text;
    while (text.size() < terminator.size() || text.compare(text.size() - terminator.size(), terminator.size(), terminator) != 0) {
        char c;
        if (!s.ReceiveExact(&c, 1, timeoutMs))
            return {};
        text += c;
    }
    return text;
}

bool Write(platform::TcpSocket& s, const Bytes& b)
{
    return s.SendAll(b.data(), b.size(), 3000);
}

bool Write(platform::TcpSocket& s, const std::string& text)
{
    return s.SendAll(text.data(), text.size(), 3000);
}

ScriptedServer::ScriptedServer(Script script)
{
    thread_ = std::thread([this, script = std::move(script)] {
        platform::TcpSocket s = listener_.Accept(5000);
        if (s.Valid())
            script(s);
    });
}

ScriptedServer::~ScriptedServer()
{
    thread_.join();
}

EchoServer::EchoServer()
{
    thread_ = std::thread([this] {
        std::vector<platform::TcpSocket> conns;
        while (!stop_) {
            std::vector<pollfd> fds{{listener_.Fd(), POLLIN, 0}};
            for (auto& c : conns)
                fds.push_back({c.Fd(), POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                platform::TcpSocket c = listener_.Accept(0);
                if (c.Valid())
                    conns.push_back(std::move(c));
            }
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents)
                    continue;
                auto& c = conns[i - 1];
                char buf[4096];
                const auto r = c.Receive(buf, sizeof buf);
                if (r.status == platform::IoStatus::Done)
                    c.SendAll(buf, r.bytes, 1000);
                else if (r.status != platform::IoStatus::WouldBlock)
                    c.Close();
            }
            std::erase_if(conns, [](const platform::TcpSocket& c) { return !c.Valid(); });
        }
    });
}

EchoServer::~EchoServer()
{
    stop_ = true;
    thread_.join();
}

StalledNames::StalledNames(int answerMs) : answerMs_(answerMs) { platform::SetCurrentResolver(this); }

StalledNames::~StalledNames()
{
    platform::SetCurrentResolver(nullptr);
    std::unique_lock lock(mutex_);
    released_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return hanging_ == 0; });
}

std::optional<uint32_t> StalledNames::Resolve(const std::string& host) const
{
    if (const auto literal = platform::ParseAddressLiteral(host))
        return literal;
    std::unique_lock lock(mutex_);
    ++asked_;
    ++hanging_;
    const bool released = changed_.wait_for(lock, std::chrono::milliseconds(answerMs_ ? answerMs_ : kStallMs),
                                            [this] { return released_; });
    --hanging_;
    changed_.notify_all();
    if (released || !answerMs_)
        return std::nullopt;
    return platform::LoopbackAddress();
}

int StalledNames::Asked() const
{
    std::lock_guard lock(mutex_);
    return asked_;
}

int StalledNames::Hanging() const
{
    std::lock_guard lock(mutex_);
    return hanging_;
}

} // namespace nettest
