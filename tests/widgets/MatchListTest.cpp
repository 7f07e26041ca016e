// The match list over a fake application: rows drawn by state and highlight, selection and
// the details request on a press, the menu's call and copy, and records of rows that the
// list cleared while they were still queued.
#include "tests/widgets/FakeAppServices.h"
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "platform/Clipboard.h"
#include "widgets/CXyMatchBlock.h"
#include "widgets/CXyMatchList.h"
#include "widgets/CXyPopButton.h"

#include <algorithm>

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kFrames[] = {0x0000C0, 0x00C000, 0xC00000, 0x303030, 0x404040, 0x505050};

class MatchListTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        platform::SetCurrentClipboard(&clipboard_);
        E().AddSkin("MatchListBlock", SolidFrames(180, 24, std::vector<uint32_t>(std::begin(kFrames), std::end(kFrames))));
        E().LoadSkins();
        app_.SeatPlayer(0, 1001, "我");
        app_.SeatPlayer(1, 1002, "对手");
        list_ = E().Make<CXyMatchList>();
        list_->Create(200, 240, chat_style::kDefault, 0);
        list_->MoveTo(400, 300);
        list_->CreatePopMenu();
        E().Show(*list_);
    }
    void TearDown() override
    {
        platform::SetCurrentClipboard(nullptr);
        WidgetFixture::TearDown();
    }
    CXyMatchBlock* AddRow(uint32_t user, int rank, const std::string& name, int state, int out = 0)
    {
        MatchRowRecord record;
        record.SetI32(MatchRowRecord::OFF_USER_ID, int32_t(user));
        record.SetI32(MatchRowRecord::OFF_RANK, rank);
        record.SetI32(MatchRowRecord::OFF_SCORE, 100 * rank);
        record.SetI32(MatchRowRecord::OFF_OUT, out);
        record.SetName(name);
        auto* row = new CXyMatchBlock;
        list_->RegisterChild(row);
        row->Create(list_->GetId(), 180, 24, &record, state);
        list_->AppendObject(row);
        E().Settle();
        return row;
    }
    static uint32_t Frame(CXyMatchBlock& row) { return PixelOf(*row.GetPlane(), 1, 1); }
    void Choose(int item)
    {
        CXyPopButton* button = list_->GetMenuItem(item);
        E().Click(int(button->GetX()), int(button->GetY()));
    }

    FakeAppServices app_;
    platform::MemoryClipboard clipboard_;
    CXyMatchList* list_ = nullptr;
};

TEST_F(MatchListTest, RowsDrawTheirStateAndFollowTheMouse)
{
    CXyMatchBlock* own = AddRow(1001, 1, "我", CXyMatchBlock::kOwnRowState);
    CXyMatchBlock* other = AddRow(1002, 2, "对手", 2);
    EXPECT_EQ(Frame(*own), kFrames[1]);
    EXPECT_EQ(Frame(*other), kFrames[2]);
    EXPECT_STREQ(other->GetName(), "对手");
    EXPECT_EQ(other->GetUserId(), 1002u);

    E().MoveMouse(int(other->GetX()), int(other->GetY()));
    EXPECT_TRUE(other->IsHighlighted());
    EXPECT_EQ(Frame(*other), kFrames[0]);
    E().Click(int(other->GetX()), int(other->GetY()));
    EXPECT_EQ(list_->GetSelected(), other);
    EXPECT_EQ(app_.connect.details, std::vector<uint32_t>{1002});
    // Leaving removes the highlight although the row stays selected.
    E().MoveMouse(790, 590);
    EXPECT_FALSE(other->IsHighlighted());
    EXPECT_EQ(list_->GetSelected(), other);
    // Pressing the selected row again asks again, without the selection sound.
    const auto selections = [this] { return std::count(E().Sounds().begin(), E().Sounds().end(), "SndSelectBlock"); };
    EXPECT_EQ(selections(), 1);
    E().Click(int(other->GetX()), int(other->GetY()));
    EXPECT_EQ(app_.connect.details, (std::vector<uint32_t>{1002, 1002}));
    EXPECT_EQ(selections(), 1);
    // Selecting another row takes the highlight from the first.
    E().Click(int(own->GetX()), int(own->GetY()));
    E().MoveMouse(790, 590);
    EXPECT_EQ(list_->GetSelected(), own);
    EXPECT_FALSE(other->IsHighlighted());

    // The list's resize request keeps the height.
    E().Owner().SendEvent(EventRecord{other->GetId(), 1050, 150, 0});
    EXPECT_EQ(other->GetPlane()->GetSurfaceWidth(), 150);
    EXPECT_EQ(other->GetPlane()->GetSurfaceHeight(), 24);
}

TEST_F(MatchListTest, MenuCallsPlayersAtTheTableOnly)
{
    CXyMatchBlock* other = AddRow(1002, 2, "对手", 2);
    CXyMatchBlock* away = AddRow(5000, 3, "远方", 2);
    E().RightClick(int(other->GetX()), int(other->GetY()));
    ASSERT_TRUE(list_->GetMenuPlane()->IsActive());
    EXPECT_EQ(list_->GetMenuPlane()->GetRight(), list_->GetRight() - 20);
    EXPECT_EQ(E().Objects().FindByName(CXyMatchList::kCallItemName), list_->GetMenuItem(1));
    EXPECT_TRUE(list_->GetMenuItem(1)->IsEnabled());
    Choose(1);
    EXPECT_FALSE(list_->GetMenuPlane()->IsActive());
    EXPECT_EQ(app_.connect.ahoos, std::vector<uint32_t>{1002});
    ASSERT_EQ(app_.notify.calls.size(), 1u);
    EXPECT_EQ(app_.notify.calls[0].words, (std::array<int32_t, 10>{1001, 55, 9, 0, 1002, 1, 0, 0, 0, 0}));

    E().RightClick(int(away->GetX()), int(away->GetY()));
    EXPECT_FALSE(list_->GetMenuItem(1)->IsEnabled());
    E().Owner().SendEvent(EventRecord{list_->GetId(), CXyMatchList::EV_CALL_PLAYER, 0, 0});
    EXPECT_EQ(app_.connect.ahoos.size(), 1u);
    // Room option bit 3 forbids calls.
    app_.roomBit3 = 1;
    list_->Select(other);
    E().Owner().SendEvent(EventRecord{list_->GetId(), CXyMatchList::EV_CALL_PLAYER, 0, 0});
    EXPECT_EQ(app_.connect.ahoos.size(), 1u);
}

TEST_F(MatchListTest, CopyPutsTheNameOnTheClipboard)
{
    CXyMatchBlock* other = AddRow(1002, 2, "对手", 2);
    CXyMatchBlock* blank = AddRow(1003, 3, "", 2);
    E().RightClick(int(other->GetX()), int(other->GetY()));
    Choose(2);
    EXPECT_EQ(clipboard_.GetText(), std::optional<std::string>("对手"));
    EXPECT_FALSE(list_->GetMenuPlane()->IsActive());
    E().RightClick(int(blank->GetX()), int(blank->GetY()));
    Choose(2);
    EXPECT_EQ(clipboard_.GetText(), std::optional<std::string>(""));
}

TEST_F(MatchListTest, RecordsOfClearedRowsFindNothing)
{
    CXyMatchBlock* other = AddRow(1002, 2, "对手", 2);
    const uint32_t id = other->GetId();
    list_->Select(other);
    // Row records queued before a refill: delivered after the rows are gone.
    for (uint32_t code : {1052u, 1053u, 1058u, 1059u})
        E().Owner().PostEvent(EventRecord{list_->GetId(), code, id, 0});
    list_->Clear();
    E().Settle();
    EXPECT_EQ(list_->GetSelected(), nullptr);
    EXPECT_TRUE(app_.connect.details.empty());
    EXPECT_FALSE(list_->GetMenuPlane()->IsActive());
    E().Owner().SendEvent(EventRecord{list_->GetId(), CXyMatchList::EV_COPY_NAME, 0, 0});
    EXPECT_EQ(clipboard_.GetText(), std::nullopt);

    // A row of another list is not taken for one of this list.
    auto* second = E().Make<CXyMatchList>();
    second->Create(200, 100, chat_style::kDefault, 0);
    auto* foreign = new CXyMatchBlock;
    second->RegisterChild(foreign);
    foreign->Create(second->GetId(), 180, 24, nullptr, 2);
    second->AppendObject(foreign);
    E().Owner().SendEvent(EventRecord{list_->GetId(), 1052, foreign->GetId(), 0});
    EXPECT_TRUE(app_.connect.details.empty());
}

TEST_F(MatchListTest, NameFillingItsFieldEndsAtTheField)
{
    MatchRowRecord record;
    std::fill(record.MutableData() + MatchRowRecord::OFF_NAME, record.MutableData() + 64, uint8_t('Z'));
    auto* row = new CXyMatchBlock;
    list_->RegisterChild(row);
    row->Create(list_->GetId(), 180, 24, &record, 2);
    EXPECT_EQ(std::string(row->GetName()), std::string(32, 'Z'));
}

} // namespace
