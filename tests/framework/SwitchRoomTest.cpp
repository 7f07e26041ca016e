// Room switching: the suggestion rules on the cases that matter, the orderings a broken room
// list can hold, the bounded reading of the server's configuration, the stamp in the game's ini
// (read back by Python's configparser) and each action's report and effects.
#include "framework/switchroom/CSwitchRoomDlg.h"
#include "framework/switchroom/SwitchRoom.h"
#include "tests/framework/DialogSkins.h"
#include "tests/framework/PyRun.h"
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/ObjectModule.h"
#include "widgets/CXyStandButton.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

using namespace switchroom;

std::vector<uint8_t> ConfigBytes(std::vector<int32_t> words)
{
    std::vector<uint8_t> b(words.size() * 4);
    std::memcpy(b.data(), words.data(), b.size());
    return b;
}

Config MakeConfig(std::vector<int32_t> words)
{
    const auto b = ConfigBytes(std::move(words));
    return Config::FromReply(b.data(), b.size());
}

TEST(SwitchRoomStatus, SuggestsByTheSilverValue)
{
    const Config tip = MakeConfig({1, 600, 10, 1200});
    struct Case {
        const char* what;
        std::vector<RoomRange> rooms;
        int32_t value;
        JumpStatus want;
    } cases[] = {
        {"passed the tip line", {{10, 1000, 2000}, {11, 1200, 5000}}, 1500, {kPassedTip, 11, 1200}},
        {"below the tip line", {{10, 1000, 2000}, {11, 1200, 5000}}, 1100, {kNone, 0, 1200}},
        {"above, no room fits", {{10, 1000, 2000}, {11, 1200, 2200}}, 2500, {kAboveMaximum, 0, 1200}},
        {"below, a lower room", {{11, 0, 1000}, {10, 1000, 2000}}, 500, {kBelowMinimum, 11, 1200}},
        {"below, listed after", {{10, 1000, 2000}, {11, 0, 1000}}, 500, {kBelowMinimum, 11, 1200}},
        {"no room list", {}, 500, {kNone, 0, 0}},
        {"own room missing", {{11, 0, 1000}}, 500, {kNone, 0, 1200}},
        // A room whose maximum lies below its minimum is ordered by its minimum like any other.
        {"inverted range", {{12, 3000, 100}, {10, 1000, 2000}, {11, 1200, 5000}, {13, 3000, 100}}, 1500,
         {kPassedTip, 11, 1200}},
        // At the maximum the silver still fits; one above it does not.
        {"one below the maximum", {{10, 1000, 2000}, {11, 2001, 5000}}, 1999, {kNone, 0, 0}},
        {"at the maximum", {{10, 1000, 2000}, {11, 2001, 5000}}, 2000, {kNone, 0, 0}},
        {"one above the maximum", {{10, 1000, 2000}, {11, 2001, 5000}}, 2001, {kAboveMaximum, 11, 0}},
    };
    const Config noTip = MakeConfig({0, 600});
    for (const Case& c : cases)
        EXPECT_EQ(GetSwitchRoomStatus(c.rooms, 10, c.want.tipLine ? tip : noTip, c.value), c.want) << c.what;
}

TEST(SwitchRoomStatus, EqualMinimumsKeepTheirListOrder)
{
    const Config tip = MakeConfig({1, 600, 10, 100});
    const std::vector<RoomRange> rooms{{10, 0, 1000}, {11, 500, 5000}, {12, 500, 5000}};
    EXPECT_EQ(GetSwitchRoomStatus(rooms, 10, tip, 600).roomId, 11);
    const std::vector<RoomRange> swapped{{10, 0, 1000}, {12, 500, 5000}, {11, 500, 5000}};
    EXPECT_EQ(GetSwitchRoomStatus(swapped, 10, tip, 600).roomId, 12);
}

TEST(SwitchRoomConfig, ShortRepliesAndLargeCountsAreBounded)
{
    // The count claims three entries, the reply holds one and a half.
    const auto shortReply = ConfigBytes({3, 600, 10, 1200, 11});
    const Config cut = Config::FromReply(shortReply.data(), shortReply.size());
    EXPECT_EQ(cut.Count(), 1u);
    EXPECT_EQ(cut.words[4], 11);
    EXPECT_EQ(cut.words[5], 0);
    std::vector<int32_t> many(200, 7);
    many[0] = 1000;
    const Config big = MakeConfig(many);
    EXPECT_EQ(big.Count(), 64u);
    EXPECT_EQ(MakeConfig({-5, 600}).Count(), 0u);
    EXPECT_EQ(Config::FromReply(nullptr, 520).Count(), 0u);
}

TEST(SwitchRoomTip, TextsAndActionsByStatus)
{
    const auto passed = ShowSwitchRoomTip(kPassedTip, 11, 1200);
    ASSERT_TRUE(passed);
    EXPECT_EQ(passed->text, "您的携带银已超过1200两,快来下一个级别的房间玩吧!");
    EXPECT_EQ(passed->cancelText, "残忍拒绝");
    const auto below = ShowSwitchRoomTip(kBelowMinimum, 0, 0);
    ASSERT_TRUE(below);
    EXPECT_EQ(below->okText, "保险箱");
    EXPECT_EQ(below->cancelAction, Action::Nothing);
    EXPECT_FALSE(ShowSwitchRoomTip(kAboveMaximum, 0, 1200));
    EXPECT_FALSE(ShowSwitchRoomTip(kPassedTip, 11, 0));
    EXPECT_FALSE(ShowSwitchRoomTip(kNone, 11, 1200));
}

class FakeHost : public IHost {
public:
    bool RequestConfig(std::vector<uint8_t>& reply) override
    {
        reply = config;
        return configOk;
    }
    void SendReport(const std::array<uint8_t, 28>& report) override { reports.push_back(report); }
    std::vector<RoomRange> Rooms() const override { return rooms; }
    int32_t OwnRoomId() const override { return 10; }
    uint32_t UserId() const override { return 1001; }
    int32_t CarriedSilver() const override { return silver; }
    std::string IniPath() const override { return ini; }
    int64_t Now() const override { return now; }
    void GotoOtherRoom(int32_t roomId) override { moves.push_back(roomId); }
    void ShowDeposit(bool take, int32_t amount) override { deposits.push_back(take ? amount : -amount); }
    void ShowDialog(const TipDescriptor& tip, const JumpStatus&) override { dialogs.push_back(tip.text); }
    bool DialogOpen() const override { return dialogOpen; }

    std::vector<uint8_t> config = ConfigBytes({1, 600, 10, 1200});
    bool configOk = true;
    bool dialogOpen = false;
    std::vector<RoomRange> rooms{{11, 0, 1000}, {10, 1000, 2000}, {12, 1200, 5000}};
    int32_t silver = 1500;
    std::string ini;
    int64_t now = 1'800'000'000;
    std::vector<std::array<uint8_t, 28>> reports;
    std::vector<int32_t> moves, deposits;
    std::vector<std::string> dialogs;
};

class SwitchRoomCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("xl-switch-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        host_.ini = (dir_ / "qirn.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Hex(const std::array<uint8_t, 28>& r)
    {
        std::string out;
        char b[3];
        for (uint8_t v : r) {
            std::snprintf(b, sizeof b, "%02x", v);
            out += b;
        }
        return out;
    }

    std::filesystem::path dir_;
    FakeHost host_;
};

TEST_F(SwitchRoomCheck, TheStampHoldsTheTipBackForTheRepeatTime)
{
    SwitchRoom sr(host_);
    EXPECT_TRUE(sr.CheckSwitchRoom());  // no stamp yet
    sr.RunAction(Action::Refuse, {kPassedTip, 12, 1200});
    const auto read = fwtest::RunCommand({"/usr/bin/python3", "-c",
                                          "import configparser,sys;c=configparser.ConfigParser();c.read(sys.argv[1]);"
                                          "print(c['SwitchRoom1001']['time'])",
                                          host_.ini});
    EXPECT_EQ(read.value_or("?"), "1800000000\n");
    host_.now += 599;
    EXPECT_FALSE(sr.CheckSwitchRoom());
    host_.now += 1;
    EXPECT_TRUE(sr.CheckSwitchRoom());
    sr.RunAction(Action::Move, {kPassedTip, 12, 1200});  // a move clears the stamp
    EXPECT_TRUE(StampAllows(0, 5, 600));
    EXPECT_TRUE(sr.CheckSwitchRoom());
    host_.dialogOpen = true; // an unanswered box stays the only one
    EXPECT_FALSE(sr.CheckSwitchRoom());
    EXPECT_EQ(host_.dialogs.size(), 3u);
    EXPECT_EQ(host_.moves, std::vector<int32_t>{12});
    host_.configOk = false;
    EXPECT_FALSE(sr.CheckSwitchRoom());
}

TEST_F(SwitchRoomCheck, EachActionReportsAndActs)
{
    SwitchRoom sr(host_);
    const auto pack = [](std::string args) {
        return fwtest::RunCommand(
                   {"/usr/bin/python3", "-c", "import struct;print(struct.pack('<7i'," + args + ").hex())"})
            .value_or("?");
    };
    sr.RunAction(Action::Move, {kPassedTip, 12, 1200});
    sr.RunAction(Action::Refuse, {kAboveMaximum, 12, 1200});
    host_.silver = 500;
    sr.RunAction(Action::SafeBox, {kBelowMinimum, 11, 1200});
    host_.silver = 2600;
    sr.RunAction(Action::SafeBox, {kAboveMaximum, 0, 0});
    sr.RunAction(Action::Nothing, {kBelowMinimum, 11, 0});
    ASSERT_EQ(host_.reports.size(), 4u);
    EXPECT_EQ(Hex(host_.reports[0]) + "\n", pack("1001,1,10,12,1500,1,1"));
    EXPECT_EQ(Hex(host_.reports[1]) + "\n", pack("1001,1,10,0,1500,0,2"));
    EXPECT_EQ(Hex(host_.reports[2]) + "\n", pack("1001,1,10,0,500,21,2"));
    EXPECT_EQ(host_.deposits, (std::vector<int32_t>{500, -600}));
    EXPECT_EQ(host_.moves, std::vector<int32_t>{12});
    EXPECT_EQ(JumpReport(1, 2, 3, 4, kRefused, kNone)[24], 0);
}

class SwitchRoomDlgTest : public widgettest::WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        frametest::AddDialogSkins(E());
        E().AddSkin("switchok", testsupport::SolidFrames(72, 26, {0x00A000, 0x00C000, 0x008000, 0x808080}));
        E().AddSkin("switchno", testsupport::SolidFrames(72, 26, {0x0000A0, 0x0000C0, 0x000080, 0x808080}));
        E().LoadSkins();
    }
    CSwitchRoomDlg* Open(SwitchRoom& owner, const JumpStatus& status)
    {
        auto* dlg = E().Make<CSwitchRoomDlg>();
        dlg->SetZ(80000);
        dlg->Build(owner, *ShowSwitchRoomTip(status.status, status.roomId, status.tipLine), status, "血流成河");
        dlg->MoveTo(400, 300);
        E().Show(*dlg);
        return dlg;
    }
    FakeHost host_;
};

TEST_F(SwitchRoomDlgTest, TheSafeBoxButtonOpensTheTakePanelAndTheBoxGoes)
{
    host_.silver = 500;
    SwitchRoom sr(host_);
    CSwitchRoomDlg* dlg = Open(sr, {kBelowMinimum, 11, 0});
    const uint32_t id = dlg->GetId();
    ASSERT_NE(dlg->GetOkButton(), nullptr);
    EXPECT_LT(dlg->GetOkButton()->GetX(), dlg->GetCancelButton()->GetX());
    E().Click(int(dlg->GetOkButton()->GetX()), int(dlg->GetOkButton()->GetY()));
    E().Settle();
    EXPECT_EQ(host_.deposits, std::vector<int32_t>{500});
    ASSERT_EQ(host_.reports.size(), 1u);
    EXPECT_EQ(host_.reports[0][20], 21);
    EXPECT_EQ(E().Objects().FindById(id), nullptr);
}

// The scene is disabled while the box is open and enabled again however the box goes: either
// button, or released without an answer (the scene reset, the window closing).
TEST_F(SwitchRoomDlgTest, TheSceneIsDisabledWhileTheBoxIsOpenAndEnabledOnEveryWayOut)
{
    enum class Way { Ok, Cancel, Released };
    for (Way way : {Way::Ok, Way::Cancel, Way::Released}) {
        host_.silver = 2500;
        SwitchRoom sr(host_);
        auto* scene = E().Add();
        scene->SetEnabled(true);
        CSwitchRoomDlg* dlg = Open(sr, {kAboveMaximum, 12, 0});
        dlg->DisableWhileOpen(*scene);
        EXPECT_FALSE(scene->IsEnabled());
        const uint32_t id = dlg->GetId();
        if (way == Way::Released) {
            dlg->ReleaseObject(dlg, true);
        } else {
            Lumora::CXyStandButton* button = way == Way::Ok ? dlg->GetOkButton() : dlg->GetCancelButton();
            E().Click(int(button->GetX()), int(button->GetY()));
        }
        E().Settle();
        EXPECT_EQ(E().Objects().FindById(id), nullptr) << int(way);
        EXPECT_TRUE(scene->IsEnabled()) << int(way);
    }
    EXPECT_EQ(host_.moves, std::vector<int32_t>{12});
}

TEST_F(SwitchRoomDlgTest, RefusingAPassedTipStampsTheIni)
{
    host_.ini = (std::filesystem::temp_directory_path() / ("xl-switch-dlg-" + std::to_string(::getpid()) + ".ini"))
                    .string();
    SwitchRoom sr(host_);
    CSwitchRoomDlg* dlg = Open(sr, {kPassedTip, 12, 1200});
    E().Click(int(dlg->GetCancelButton()->GetX()), int(dlg->GetCancelButton()->GetY()));
    E().Settle();
    EXPECT_FALSE(sr.CheckSwitchRoom());  // the same tip is held back now
    ASSERT_EQ(host_.reports.size(), 1u);
    EXPECT_EQ(host_.reports[0][20], 0);
    std::filesystem::remove(host_.ini);
}

} // namespace
