// The notice download of the main window against a Python http.server on loopback: "<notify>"
// in any case, a wrong prefix, a 1-byte first chunk, an empty body, more than 64 KiB, endless
// bodies, no timer for a period of 0, one download at a time, and a window destroyed while its worker runs.
#include "tests/framework/FrameWndFixture.h"

#include "framework/notify/NotifyEvents.h"
#include "framework/window/NoticeDownload.h"
#include "platform/Http.h"

#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using frametest::FrameWndTest;

// The notice server, started for one test; the first line it prints is its port, then one line
// per request.
class NoticeServer {
public:
    NoticeServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            const std::string script = std::string(XL_SOURCE_DIR) + "/tests/framework/notice_server.py";
            execl("/usr/bin/python3", "python3", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        port_ = ReadLine(10000);
    }
    ~NoticeServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    std::string Host() const { return "127.0.0.1:" + port_; }
    // The next line printed, or empty after the time-out.
    std::string ReadLine(int timeoutMs)
    {
        std::string line;
        pollfd p{out_, POLLIN, 0};
        char c;
        while (poll(&p, 1, timeoutMs) > 0 && read(out_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string port_;
};

struct Panel : Lumora::CGameBase {
    int OnEvent(const Lumora::EventRecord& r) override
    {
        if (r.code == framework::EV_NOTICE_TEXT)
            texts.emplace_back(reinterpret_cast<const char*>(r.param1), r.param2);
        return 1;
    }
    std::vector<std::string> texts;
};

class NoticeTest : public FrameWndTest {
protected:
    void SetUp() override
    {
        FrameWndTest::SetUp();
        platform::InitHttp();
        app_.panel = &panel_;
        app_.noticeHost = server_.Host();
    }
    // Fires the notice timer once and waits (real time, bounded) for the worker's answer.
    void Download(uint32_t scenario)
    {
        app_.gameId = scenario;
        wnd_->SetNoticeInterval(1);
        loop_->Advance(1000);
        wnd_->SetNoticeInterval(0);
        WaitForEnd();
    }
    void WaitForEnd()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (wnd_->IsNoticeRunning() && std::chrono::steady_clock::now() < deadline) {
            loop_->RunUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_FALSE(wnd_->IsNoticeRunning());
    }

    NoticeServer server_;
    Panel panel_;
};

TEST(NoticeUrlTest, OneSlashBetweenHostAndPath)
{
    EXPECT_EQ(NoticeUrl("notice.example:8080", 79), "http://notice.example:8080/notify/game/79.txt");
}

TEST_F(NoticeTest, NoticesThatBeginWithTheTagAreShown)
{
    Download(1);
    Download(2);
    Download(3);
    Download(4);
    EXPECT_EQ(panel_.texts, (std::vector<std::string>{"<NOTIFY>公告一", "<notify>chunked"}));
    EXPECT_EQ(server_.ReadLine(1000), "/notify/game/1.txt");
}

TEST_F(NoticeTest, LongNoticeIsCutAtSixtyFourKiB)
{
    Download(5);
    ASSERT_EQ(panel_.texts.size(), 1u);
    EXPECT_EQ(panel_.texts[0].size(), kNoticeLimit);
}

// An endless body is read only as far as it is kept: to 64 KiB of a notice, to the first block
// of anything else.
TEST_F(NoticeTest, AnEndlessBodyIsReadNoFurtherThanWhatIsKept)
{
    struct Case {
        uint32_t scenario;
        size_t shown;
    } cases[] = {{7, kNoticeLimit}, {8, 0}};
    for (const Case& c : cases) {
        panel_.texts.clear();
        Download(c.scenario);
        EXPECT_EQ(server_.ReadLine(1000), "/notify/game/" + std::to_string(c.scenario) + ".txt");
        ASSERT_EQ(panel_.texts.size(), c.shown ? 1u : 0u) << c.scenario;
        if (c.shown) {
            EXPECT_EQ(panel_.texts[0].size(), c.shown);
        }
        // What went out before the hang-up is what the sockets' buffers hold, not the stream.
        const std::string sent = server_.ReadLine(10000);
        ASSERT_EQ(sent.rfind("sent ", 0), 0u) << c.scenario << ": " << sent;
        EXPECT_LT(std::stoull(sent.substr(5)), 32ull << 20) << c.scenario;
    }
}

// The HTTP call's byte limit: a body of exactly the limit is taken whole; one byte more stops the
// transfer, a failure that keeps nothing past the limit (the first bytes only when asked).
TEST(HttpBodyLimit, ABodyOfTheLimitIsWholeAndOneByteMoreIsAFailureThatKeepsNothingPast)
{
    platform::InitHttp();
    NoticeServer server;
    const std::string url = "http://" + server.Host() + "/sized/";
    platform::HttpOptions options;
    options.maxBodyBytes = 1000;
    const platform::HttpResult whole = platform::HttpGet(url + "1000", options);
    EXPECT_TRUE(whole.ok);
    EXPECT_EQ(whole.stopped, platform::HttpStop::None);
    EXPECT_EQ(whole.body, std::string(1000, 'z'));
    for (const bool keep : {false, true}) {
        options.keepFirstBytes = keep;
        const platform::HttpResult over = platform::HttpGet(url + "1001", options);
        EXPECT_FALSE(over.ok) << keep;
        EXPECT_EQ(over.stopped, platform::HttpStop::TooLarge) << keep;
        EXPECT_EQ(over.error, 0) << keep;
        EXPECT_EQ(over.cut, keep);
        EXPECT_EQ(over.body, keep ? std::string(1000, 'z') : std::string()) << keep;
    }
}

TEST_F(NoticeTest, NoTimerWithoutAPositiveInterval)
{
    wnd_->SetNoticeInterval(0);
    EXPECT_FALSE(wnd_->IsTimerRunning(CGameFrameWnd::kNoticeTimer));
    wnd_->SetNoticeInterval(-3);
    EXPECT_FALSE(wnd_->IsTimerRunning(CGameFrameWnd::kNoticeTimer));
    wnd_->SetNoticeInterval(30);
    EXPECT_TRUE(wnd_->IsTimerRunning(CGameFrameWnd::kNoticeTimer));
}

TEST_F(NoticeTest, OneDownloadAtATime)
{
    app_.gameId = 6;
    wnd_->SetNoticeInterval(1);
    loop_->Advance(1000);
    const std::weak_ptr<NoticeJob> first = wnd_->NoticeInFlight();
    ASSERT_FALSE(first.expired());
    loop_->Advance(2000);  // two more periods while the first still runs
    EXPECT_EQ(wnd_->NoticeInFlight().lock(), first.lock());
    wnd_->SetNoticeInterval(0);
    WaitForEnd();
    EXPECT_EQ(panel_.texts, std::vector<std::string>{"<notify>slow"});
    EXPECT_EQ(server_.ReadLine(1000), "/notify/game/6.txt");
    EXPECT_EQ(server_.ReadLine(200), "");
}

TEST_F(NoticeTest, WindowDestroyedWhileTheWorkerRuns)
{
    app_.gameId = 6;
    wnd_->SetNoticeInterval(1);
    loop_->Advance(1000);
    const std::weak_ptr<NoticeJob> job = wnd_->NoticeInFlight();
    ASSERT_FALSE(job.expired());
    wnd_.reset();
    app_.mainWnd = nullptr;
    // The worker's post fails and it drops the last share of the job.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!job.expired() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(job.expired());
    EXPECT_TRUE(panel_.texts.empty());
}

} // namespace
