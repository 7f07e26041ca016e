#include "engine/util/FtpUpload.h"
#include "engine/util/HostServices.h"

#include "tests/support/EngineFixtures.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace {

constexpr uint32_t kDoneMessage = 0x8617;

int FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    ::close(fd);
    return ntohs(addr.sin_port);
}

bool Listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// The owner window: a platform window on the test's thread that keeps the completions.
struct OwnerWindow {
    std::vector<std::pair<std::unique_ptr<UploadJob>, intptr_t>> posts;
    platform::WindowId id = platform::MakeWindow([this](platform::WindowId, uint32_t message, uintptr_t wparam,
                                                         intptr_t lparam) -> intptr_t {
        if (message == kDoneMessage)
            posts.emplace_back(TakeUploadJob(wparam), lparam);
        return 0;
    });
    ~OwnerWindow() { platform::DestroyWindow(id); }

    // Pumps the thread's queue until a completion arrives (20 s at most).
    std::pair<std::unique_ptr<UploadJob>, intptr_t> Wait()
    {
        for (int i = 0; i < 2000 && posts.empty(); ++i) {
            platform::Message m;
            while (platform::PeekNextMessage(m))
                platform::Dispatch(m);
            if (posts.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (posts.empty())
            return {nullptr, 99};
        auto first = std::move(posts.front());
        posts.erase(posts.begin());
        return first;
    }
};

class FtpUploadTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        if (std::system("/usr/bin/python3 -c 'import pyftpdlib' >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "python3-pyftpdlib is not installed: the FTP upload is not tested";
        root_ = folder_ / "ftproot";
        std::filesystem::create_directories(root_ / "replays");
        port_ = FreeLoopbackPort();
        ASSERT_GT(port_, 0);
        const std::string port = std::to_string(port_);
        const std::string rootText = root_.string();
        const char* argv[] = {"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", port.c_str(), "-w",
                              "-d", rootText.c_str(), "-u", "player", "-P", "secret", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawn(&server_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(rc, 0);
        for (int i = 0; i < 200 && !Listening(port_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        ASSERT_TRUE(Listening(port_)) << "the FTP server did not start";

        local_ = (folder_ / "game.rep").string();
        std::string payload;
        for (int i = 0; i < 70000; ++i)
            payload += static_cast<char>(i * 7);
        std::FILE* f = std::fopen(local_.c_str(), "wb");
        std::fwrite(payload.data(), 1, payload.size(), f);
        std::fclose(f);
        payload_ = payload;
    }
    void TearDown() override
    {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
        EngineFixture::TearDown();
    }
    std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }

    std::filesystem::path root_;
    int port_ = 0;
    pid_t server_ = 0;
    OwnerWindow owner_;
    std::string local_;
    std::string payload_;
};

TEST_F(FtpUploadTest, PutsTheFileAndPostsTheJobBack)
{
    ASSERT_TRUE(StartWorkerThread(local_, Server(), "replays", "table 1.rep", "player", "secret", owner_.id, kDoneMessage));
    auto [job, result] = owner_.Wait();
    ASSERT_TRUE(job);
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(job->done.load(), 1u);
    EXPECT_STREQ(job->remoteName, "table 1.rep");
    EXPECT_EQ(testsupport::ReadFile(root_ / "replays" / "table 1.rep"), payload_);
    // From a folder deeper than the old 260-byte field held.
    const auto deep = folder_ / std::string(200, 'd') / std::string(200, 'e');
    std::filesystem::create_directories(deep);
    std::filesystem::copy_file(local_, deep / "game.rep");
    ASSERT_TRUE(StartWorkerThread((deep / "game.rep").string(), Server(), "replays", "deep.rep", "player", "secret",
                                  owner_.id, kDoneMessage));
    EXPECT_EQ(owner_.Wait().second, 1u);
    EXPECT_EQ(testsupport::ReadFile(root_ / "replays" / "deep.rep"), payload_);
}

TEST_F(FtpUploadTest, FailuresAreReportedNotHidden)
{
    // Wrong password.
    ASSERT_TRUE(StartWorkerThread(local_, Server(), "replays", "a.rep", "player", "wrong", owner_.id, kDoneMessage));
    auto [job, result] = owner_.Wait();
    ASSERT_TRUE(job);
    EXPECT_EQ(result, 0u);
    // A remote name longer than its field is refused rather than cut or overflowed.
    ASSERT_TRUE(StartWorkerThread(local_, Server(), "replays", std::string(300, 'n'), "player", "secret", owner_.id,
                                  kDoneMessage));
    auto [longJob, longResult] = owner_.Wait();
    ASSERT_TRUE(longJob);
    EXPECT_EQ(longResult, 0u);
    EXPECT_FALSE(longJob->fieldsFit);
    EXPECT_STREQ(longJob->remoteName, "");
    // A server text that would reshape the address.
    ASSERT_TRUE(StartWorkerThread(local_, "127.0.0.1/x@y", "replays", "b.rep", "", "", owner_.id, kDoneMessage));
    EXPECT_EQ(owner_.Wait().second, 0u);
    EXPECT_FALSE(std::filesystem::exists(root_ / "replays" / "a.rep"));
}

TEST_F(FtpUploadTest, WithoutAReceiverTheWorkerFreesItsJob)
{
    const platform::WindowId gone = owner_.id;
    platform::DestroyWindow(gone);  // the owner window went away before the completion
    ASSERT_TRUE(StartWorkerThread(local_, Server(), "replays", "gone.rep", "player", "secret", gone, kDoneMessage));
    ASSERT_TRUE(StartWorkerThread(local_, Server(), "replays", "none.rep", "player", "secret", 0, kDoneMessage));
    const auto goneFile = root_ / "replays" / "gone.rep";
    const auto noneFile = root_ / "replays" / "none.rep";
    for (int i = 0; i < 2400; ++i) {  // up to a minute: the uploads may queue behind a loaded machine
        if (testsupport::ReadFile(goneFile).size() == payload_.size() &&
            testsupport::ReadFile(noneFile).size() == payload_.size())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_EQ(testsupport::ReadFile(goneFile), payload_);
    EXPECT_EQ(testsupport::ReadFile(noneFile), payload_);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the workers finish (leak check)
}

} // namespace
