// The application's files: the last-record file (order by chair from the own one; nothing for a
// look-on client or an unknown chair; a short file reads as FALSE and zeros), the settings against
// Python's configparser, and the JSON POST against Python's http.server.
#include "framework/PyRun.h"
#include "framework/app/CGameWinApp.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/SystemScreen.h"
#include "tests/support/RigRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class AppFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = xltest::TempPattern("xl-appfiles-XXXXXX");
        dir_ = mkdtemp(tmpl.data());
        platform::SetProgramFolder(dir_ + "/");
        setenv("XL_MACHINE_DIR", dir_.c_str(), 1);
        static const platform::ScreenFacts screen;
        platform::SetScreenOverride(&screen);
        app_ = std::make_unique<CGameWinApp>("qirn", 26283, 9, 3);
    }
    void TearDown() override
    {
        // A server still waiting for its one request goes with the test.
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
        app_.reset();
        platform::SetScreenOverride(nullptr);
        platform::SetProgramFolder("");
        unsetenv("XL_MACHINE_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    void Seat(int players, int ownChair)
    {
        auto& hall = app_->MutableHallData();
        hall.table.SetI32(hall::TableRecord::kPlayerCount, players);
        for (int c = 0; c < players; ++c) {
            hall.players[c].SetUserId(100 + c);
            hall.players[c].SetName("名" + std::to_string(c));
            // 20 bytes of second name: cut to 15, never half a character.
            hall.players[c].SetText(Lumora::GameUserRecord::OFF_SECOND_NAME, 16, "一二三四五六七");
        }
        HallCommandLine line;
        line.userId = 100 + std::max(ownChair, 0);
        line.chair = ownChair;
        SetLine(line);
    }
    void SetLine(const HallCommandLine& line);

    std::string dir_;
    std::unique_ptr<CGameWinApp> app_;
    pid_t server_ = -1;
};

// The command line reaches the application the way the start-up gives it.
struct LineSetter : CGameWinApp {
    static void Apply(CGameWinApp& app, const HallCommandLine& line)
    {
        (app.*(&LineSetter::ApplyCommandLine))(line);
    }
};
void AppFilesTest::SetLine(const HallCommandLine& line) { LineSetter::Apply(*app_, line); }

} // namespace

TEST_F(AppFilesTest, LastRecordListsThePlayersFromTheOwnChairOn)
{
    Seat(4, 2);
    ASSERT_TRUE(app_->WriteLastRecord());
    std::array<uint8_t, 448> read{};
    ASSERT_TRUE(app_->ReadLastRecord(read));
    for (int entry = 0; entry < 4; ++entry)
        EXPECT_EQ(read[entry * 56], 100 + (2 + entry) % 4) << entry;
    EXPECT_EQ(read[4 * 56], 0) << "entries beyond the players stay zero";
    const char* second = reinterpret_cast<const char*>(&read[40]);
    EXPECT_STREQ(second, "一二三四五六七");
    EXPECT_EQ(std::string(second).size(), 14u);

    // Two players on chairs 0 and 3: both listed.
    Seat(0, 0);
    auto& hall = app_->MutableHallData();
    hall.players[1] = {};
    hall.players[2] = {};
    hall.table.SetI32(hall::TableRecord::kPlayerCount, 2);
    ASSERT_TRUE(app_->WriteLastRecord());
    ASSERT_TRUE(app_->ReadLastRecord(read));
    EXPECT_EQ(read[0], 100);
    EXPECT_EQ(read[56], 103);

    std::ofstream(app_->GetLastRecordPath(), std::ios::binary | std::ios::trunc) << "short";
    read.fill(0xAA);
    EXPECT_FALSE(app_->ReadLastRecord(read));
    EXPECT_EQ(read[3], 0) << "a short file leaves zeros, not what was there";
}

TEST_F(AppFilesTest, NoLastRecordForALookOnClientOrAChairOutsideTheTable)
{
    Seat(0, 0);
    EXPECT_FALSE(app_->WriteLastRecord());
    Seat(4, -1);
    EXPECT_FALSE(app_->WriteLastRecord());
    std::array<uint8_t, 448> read{};
    EXPECT_FALSE(app_->ReadLastRecord(read));
}

TEST_F(AppFilesTest, GuideSettingRoundTripsThroughConfigparser)
{
    EXPECT_EQ(app_->GetGuideActive(), 1);
    app_->SetGuideActive(7);
    auto py = fwtest::RunPython("import configparser, sys\nc = configparser.ConfigParser()\n"
                                "c.read(sys.argv[1])\n"
                                "print(c['Active']['guide'])\n"
                                "c['Active']['guide'] = '3'\n"
                                "c.write(open(sys.argv[1], 'w'))\n",
                                {}, {app_->GetGameIniPath()});
    ASSERT_TRUE(py);
    EXPECT_EQ(*py, "7\n");
    EXPECT_EQ(app_->GetGuideActive(), 3);
    app_->ClearGuideActive();
    EXPECT_EQ(app_->GetGuideActive(), 0);
}

TEST_F(AppFilesTest, JsonPostSendsTheThreeHeadersAndReturnsTheAnswerWithoutLineEnds)
{
    // A two-request server that echoes what it got as two lines, or (for /big) answers with more
    // than a reply may hold.
    std::string port_file = dir_ + "/port";
    std::string script =
        "import http.server, sys\n"
        "class H(http.server.BaseHTTPRequestHandler):\n"
        "    def do_POST(self):\n"
        "        body = self.rfile.read(int(self.headers['Content-Length']))\n"
        "        out = (self.headers['Content-Type'] + '|' + self.headers['User-Agent'] + '|' +\n"
        "               self.headers['Accept'] + '\\r\\n').encode() + body\n"
        "        if self.path == '/big': out = b'{' * 65537\n"
        "        self.send_response(200); self.send_header('Content-Length', str(len(out))); self.end_headers()\n"
        "        self.wfile.write(out)\n"
        "    def log_message(self, *a): pass\n"
        "s = http.server.HTTPServer(('127.0.0.1', 0), H)\n"
        "open(sys.argv[1], 'w').write(str(s.server_port))\n"
        "s.handle_request()\n"
        "s.handle_request()\n";
    std::ofstream(dir_ + "/server.py") << script;
    const std::string path = dir_ + "/server.py";
    char* argv[] = {const_cast<char*>("python3"), const_cast<char*>(path.c_str()), port_file.data(), nullptr};
    ASSERT_EQ(posix_spawn(&server_, "/usr/bin/python3", nullptr, nullptr, argv, environ), 0);
    std::string port;
    for (int i = 0; i < 500 && port.empty(); ++i) {
        std::ifstream(port_file) >> port;
        if (port.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(port.empty());
    std::string answer = app_->ExecHttpRequestPost("http://127.0.0.1:" + port + "/x", "{\"a\":1}");
    EXPECT_EQ(answer, "application/json|MSIE 6.0|*/*{\"a\":1}");
    EXPECT_EQ(app_->ExecHttpRequestPost("http://127.0.0.1:" + port + "/big", "{}"), "") << "refused, not cut";
    EXPECT_EQ(app_->ExecHttpRequestPost("ftp://127.0.0.1/x", "{}"), "") << "only http and https";
}

// The room-switch operations take a room whose range holds the silver, its maximum included.
TEST_F(AppFilesTest, ARoomTakesSilverUpToAndIncludingItsMaximum)
{
    auto& hall = app_->MutableHallData();
    hall.room.SetU32(hall::RoomRecord::kRoomId, 10);
    const int32_t ranges[][3] = {{11, 0, 999}, {10, 1000, 2000}, {12, 1200, 3000}};
    for (const auto& r : ranges) {
        hall::RoomListEntry e;
        e.SetI32(hall::RoomListEntry::kRoomId, r[0]);
        e.SetI32(hall::RoomListEntry::kMinSilver, r[1]);
        e.SetI32(hall::RoomListEntry::kMaxSilver, r[2]);
        hall.roomList.push_back(e);
    }
    struct Case {
        int32_t silver, higher, lower;
    } cases[] = {{2999, 12, 0}, {3000, 12, 0}, {3001, 0, 0}, {998, 0, 11}, {999, 0, 11}, {1000, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(app_->NextHigherRoom(c.silver), c.higher) << c.silver;
        EXPECT_EQ(app_->NextLowerRoom(c.silver), c.lower) << c.silver;
    }
}

TEST_F(AppFilesTest, ARelaunchStartsTheProgramAgainAsAPlayerWithFifteenFields)
{
    const std::string marker = dir_ + "/relaunched";
    const std::string program = dir_ + "/client.sh";
    std::ofstream(program) << "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/relaunched\"\n"; // the marker
    ::chmod(program.c_str(), 0755);
    app_->SetArguments({"79|h|2|5|4|1001|6|3|1|0|name|26000|20|64|7"}, program);
    HallCommandLine line = ParseHallCommandLine("79|h|2|5|4|1001|6|3|1|0|name|26000|20|64|7").value();
    SetLine(line);
    app_->SetRelaunchOnExit(true);
    app_.reset(); // the destructor relaunches
    std::string got;
    for (int i = 0; i < 300 && got.empty(); ++i) {
        std::ifstream(marker) >> got;
        if (got.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(got, "79|h|2|5|4|1001|6|3|0|1|name|26000|20|64|7");
}
