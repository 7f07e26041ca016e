// The hall link over a socketpair, the test playing the hall: the hello frame, records to a window
// routed and acknowledged (0 for an unknown window), the reader hook, the game's sends answered,
// timed out on a silent hall and ended when the hall goes; frames that are not exactly one
// well-formed frame are refused; the hall's address, a path or an abstract name, and why a
// connect failed.
#include "platform/HallLink.h"
#include "platform/LocalSocket.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"
#include "tests/support/RigRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

struct HallEnd {
    int fd = -1;
    ~HallEnd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    void Send(const HallFrame& f)
    {
        auto bytes = EncodeHallFrame(f);
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    std::optional<HallFrame> Receive()
    {
        std::vector<uint8_t> buf(HallFrame::kMaxSize);
        timeval tv{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ssize_t n = ::recv(fd, buf.data(), buf.size(), 0);
        if (n <= 0)
            return std::nullopt;
        return DecodeHallFrame(std::span(buf.data(), static_cast<size_t>(n)));
    }
};

std::pair<std::unique_ptr<HallLink>, std::unique_ptr<HallEnd>> Pair()
{
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
    auto hall = std::make_unique<HallEnd>();
    hall->fd = fds[1];
    return {HallLink::Adopt(fds[0]), std::move(hall)};
}

HallFrame CopyDataFrame(uint32_t seq, uint32_t target, uint32_t dwData, std::vector<uint8_t> payload)
{
    HallFrame f;
    f.kind = HallFrameKind::CopyData;
    f.sequence = seq;
    f.target = target;
    f.message = dwData;
    f.wparam = 77;
    f.payload = std::move(payload);
    return f;
}

} // namespace

TEST(HallLink, HelloThenRecordsToAWindowAreRoutedAndAcknowledged)
{
    auto [link, hall] = Pair();
    std::vector<uint32_t> seen;
    WindowId window = MakeWindow([&](WindowId, uint32_t msg, uintptr_t w, intptr_t l) {
        if (msg == kMsgCopyData) {
            auto* data = reinterpret_cast<CopyData*>(l);
            seen.push_back(data->dwData);
            EXPECT_EQ(w, 77u);
            EXPECT_EQ(data->bytes.size(), 3u);
            FreeCopyData(l);
        }
        return intptr_t{0};
    });
    link->SetReaderHook([](const HallFrame& f) { return f.message == 14; });
    link->Start();
    ASSERT_TRUE(link->Hello(1234, 1001, window));
    auto hello = hall->Receive();
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->kind, HallFrameKind::Hello);
    std::vector<uint8_t> expected{0xD2, 4, 0, 0, 0xE9, 3, 0, 0};
    for (int i = 0; i < 4; ++i)
        expected.push_back(static_cast<uint8_t>(window >> (8 * i)));
    EXPECT_EQ(hello->payload, expected);

    struct Case {
        uint32_t target, dwData, ack;
    } cases[] = {{window, 1, 1}, {window + 999, 1, 0}, {0, 14, 1}, {window, 7, 1}};
    uint32_t seq = 1;
    for (const auto& c : cases) {
        hall->Send(CopyDataFrame(seq, c.target, c.dwData, {1, 2, 3}));
        auto ack = hall->Receive();
        ASSERT_TRUE(ack);
        EXPECT_EQ(ack->kind, HallFrameKind::Ack);
        EXPECT_EQ(ack->sequence, seq);
        EXPECT_EQ(ack->lparam, c.ack) << "target " << c.target << " dwData " << c.dwData;
        ++seq;
    }
    Message m;
    while (PeekNextMessage(m))
        Dispatch(m);
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 7}));
    DestroyWindow(window);
}

TEST(HallLink, SendsAreAnsweredTimeOutOnASilentHallAndFailWhenTheHallGoes)
{
    auto [link, hall] = Pair();
    std::atomic<int> goneCalls{0};
    link->SetGoneHandler([&] { ++goneCalls; });
    link->Start();
    std::vector<uint8_t> record(188, 0);

    std::thread answer([&, h = hall.get()] {
        auto f = h->Receive();
        ASSERT_TRUE(f);
        EXPECT_EQ(f->message, 2u);
        EXPECT_EQ(f->payload.size(), 188u);
        HallFrame ack;
        ack.kind = HallFrameKind::Ack;
        ack.sequence = f->sequence;
        ack.lparam = 1;
        h->Send(ack);
    });
    EXPECT_EQ(link->SendCopyData(2, 5, record), HallLink::SendResult::Handled);
    answer.join();

    EXPECT_EQ(link->SendCopyData(2, 5, record, 100), HallLink::SendResult::TimedOut);

    std::thread hangUp([&] {
        hall->Receive();
        ::close(hall->fd);
        hall->fd = -1;
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link->SendCopyData(2, 5, record), HallLink::SendResult::Gone);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    hangUp.join();
    // The send may fail on writing before the reader thread has seen the hall go; the reader
    // then marks the link dead and reports it once.
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         (link->IsAlive() || goneCalls.load() == 0) && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(link->IsAlive());
    EXPECT_EQ(goneCalls.load(), 1);
    EXPECT_FALSE(link->Post(0x9105, 1, 2)) << "writing to a dead hall fails without SIGPIPE";
}

TEST(HallFrame, OnlyExactlyOneWellFormedFrameIsRead)
{
    HallFrame f;
    f.kind = HallFrameKind::Post;
    f.sequence = 9;
    f.message = 0x9105;
    f.payload = {1, 2};
    auto good = EncodeHallFrame(f);
    ASSERT_EQ(good.size(), 34u);
    EXPECT_EQ(good[0], 0x58);
    EXPECT_EQ(good[3], 0x4C);
    auto patched = [&](size_t at, uint8_t v) {
        auto b = good;
        b[at] = v;
        return b;
    };
    struct Case {
        std::vector<uint8_t> bytes;
        HallFrameError expected;
    } cases[] = {
        {good, HallFrameError::None},
        {std::vector<uint8_t>(good.begin(), good.begin() + 31), HallFrameError::Short},
        {patched(0, 0), HallFrameError::BadMagic},
        {patched(4, 2), HallFrameError::BadVersion},
        {patched(6, 5), HallFrameError::BadKind},
        {patched(28, 3), HallFrameError::LengthMismatch},
        {std::vector<uint8_t>(good.begin(), good.end() - 1), HallFrameError::LengthMismatch},
    };
    for (const auto& c : cases) {
        HallFrameError e = HallFrameError::None;
        auto decoded = DecodeHallFrame(c.bytes, &e);
        EXPECT_EQ(e, c.expected);
        EXPECT_EQ(decoded.has_value(), c.expected == HallFrameError::None);
    }
    f.payload.resize(HallFrame::kMaxPayload + 1);
    EXPECT_TRUE(EncodeHallFrame(f).empty());
}

// A hall listening as any other program binds: an abstract name counts exactly its own bytes. The
// path is relative, in the test's folder: under a long TMPDIR no whole path would fit.
TEST(HallLink, ConnectsToAPathOrAnAbstractNameAndTellsWhyNot)
{
    const xltest::TempFolder folder("xl-link-XXXXXX");
    const std::filesystem::path back = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    const std::string name = "xl-link-test-" + std::to_string(::getpid()), path = "hall.sock";
    auto listen = [](const std::string& text, bool abstract) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        text.copy(addr.sun_path + (abstract ? 1 : 0), sizeof addr.sun_path - 2);
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + text.size() + 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), length), 0) << text;
        EXPECT_EQ(::listen(fd, 2), 0);
        return fd;
    };
    const int byName = listen(name, true), byPath = listen(path, false);
    using E = HallLink::ConnectError;
    const struct {
        std::string address;
        E expected;
    } cases[] = {{"@" + name, E::None},         {path, E::None},
                 {"@" + name + "x", E::Refused}, {"@" + name.substr(1), E::Refused},
                 {"x.sock", E::NoEndpoint},      {folder.Path() + "/" + std::string(150, 'x'), E::NoEndpoint},
                 {"@", E::NoEndpoint},           {"", E::NoEndpoint}};
    for (const auto& c : cases) {
        E error = E::Refused;
        EXPECT_EQ(HallLink::Connect(c.address, &error) != nullptr, c.expected == E::None) << c.address;
        EXPECT_EQ(error, c.expected) << c.address;
    }
    ::close(byName);
    ::close(byPath);
    std::filesystem::current_path(back);

    // Given no address and no runtime folder, the hall's default is a name: under a long TMPDIR a
    // path there could not be bound.
    const std::string temp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "", run = "XDG_RUNTIME_DIR";
    const char* runtime = std::getenv(run.c_str());
    const std::string runtimeValue = runtime ? runtime : "";
    ::setenv("TMPDIR", (folder.Path() + "/" + std::string(150, 'x')).c_str(), 1);
    ::unsetenv(run.c_str());
    const int byDefault = ListenLocal(HallLink::EndpointPath(7), LocalKind::Packets);
    EXPECT_NE(HallLink::Connect(HallLink::EndpointPath(7)), nullptr) << HallLink::EndpointPath(7);
    ::close(byDefault);
    temp.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", temp.c_str(), 1);
    runtime ? ::setenv(run.c_str(), runtimeValue.c_str(), 1) : ::unsetenv(run.c_str());
}
