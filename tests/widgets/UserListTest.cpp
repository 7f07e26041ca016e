// The side panel's user list bar over a fake application: rows rebuilt from the user tables,
// hover and selection through the input module, the context menu's commands, scrolling, and
// hall records whose chair or texts do not fit their fields.
#include "tests/support/ResourceSweep.h"
#include "tests/widgets/FakeAppServices.h"
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "platform/Clipboard.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCyPopButton.h"
#include "widgets/CCyPopMenu.h"
#include "widgets/CCyScrollBar.h"
#include "widgets/CCyUserList.h"
#include "widgets/CXyStandButton.h"
#include "widgets/SidePanelObjects.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr int kRow = 24;
constexpr int kHeader = 20;
// The bar: 300 x 200 centred on (400, 300).
constexpr int kLeft = 250;
constexpr int kTop = 200;
constexpr uint32_t kHoverColour = 0x0000A0;
constexpr uint32_t kOddColour = 0x00A000;
constexpr uint32_t kEvenColour = 0xA00000;

class FakeInputBar : public ProbeObject, public IInputBarText {
public:
    void AppendInputText(const Lumora::Markup& text) override { texts.emplace_back(text.Text()); }
    std::vector<std::string> texts;
};

class UserListTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        platform::SetCurrentClipboard(&clipboard_);
        E().AddSkin("SystemUserListBar", SolidFrames(300, kHeader, {0x303030}));
        E().AddSkin("UserListBlock", SolidFrames(200, kRow, {kHoverColour, kOddColour, kEvenColour}));
        E().AddSkin("SystemDivide", SolidFrames(2, 16, {0x101010}));
        E().AddSkin("滚动角", SolidFrames(16, 16, {0x202020}));
        E().AddSkin("bit_LookOn", SolidFrames(16, 16, {0x0F0F0F}));
        for (const char* part : {"Back", "Btn", "Pattern"}) {
            E().AddSkin(std::string("ScrollBar_Vert") + part, SolidFrames(16, 30, {0x404040, 0x505050, 0x606060}));
            E().AddSkin(std::string("ScrollBar_Horz") + part, SolidFrames(30, 16, {0x404040, 0x505050, 0x606060}));
        }
        for (const char* arrow : {"ScrollBar_VertUpBtn", "ScrollBar_VertDownBtn", "ScrollBar_HorzLeftBtn",
                                  "ScrollBar_HorzRightBtn"})
            E().AddSkin(arrow, SolidFrames(16, 16, {0x1, 0x2, 0x3, 0x4}));
        E().LoadSkins();
        app_.SeatPlayer(0, 1001, "甲");
        app_.SeatPlayer(2, 1003, "丙");
        inputBar_ = E().Register(new FakeInputBar);
        inputBar_->SetName(kInputBarName);
    }
    void TearDown() override
    {
        platform::SetCurrentClipboard(nullptr);
        WidgetFixture::TearDown();
    }
    CCyPlayerListBar* MakeBar(bool watchedColumn = false)
    {
        auto* bar = E().Make<CCyPlayerListBar>();
        bar->AddColumn(0, 138, "用户名", 0, 0, 0);
        bar->AddColumn(1, 60, "积分", 0, 0, 0);
        bar->AddColumn(3, 80, "级别", 0, 0, 0);
        bar->AddColumn(2, 60, "银子", 0, 0, 0);
        if (watchedColumn)
            bar->AddColumn(5, 80, "旁观", 0, 0, 0);
        bar->SetSize(300, 200);
        bar->MoveTo(400, 300);
        bar->CreateFromSkin();
        E().Show(*bar);
        return bar;
    }
    static int RowY(int row) { return kTop + kHeader + row * kRow + kRow / 2; }
    // Presses a menu item as the user would.
    void ChooseItem(CCyUserList& list, int item)
    {
        CCyPopButton* button = list.GetMenu()->GetItem(item);
        E().Click(int(button->GetX()), int(button->GetY()));
    }
    uint32_t BandColour(CCyUserList& list, int row) { return PixelOf(*list.GetPlane(), 330, row * kRow + 1); }

    FakeAppServices app_;
    platform::MemoryClipboard clipboard_;
    FakeInputBar* inputBar_ = nullptr;
};

TEST_F(UserListTest, TwoPlayersFillSevenRowsWithAlternatingBackgrounds)
{
    CCyPlayerListBar* bar = MakeBar();
    ASSERT_EQ(E().Objects().FindByName("UserListBar"), bar);
    CCyUserList* list = bar->GetList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetRowCount(), 7);
    EXPECT_EQ(bar->GetTotalWidth(), 338);
    EXPECT_EQ(list->UserIdAt(0), 1001u);
    EXPECT_EQ(list->NameAt(1), "丙");
    EXPECT_EQ(list->UserIdAt(2), 0u);
    EXPECT_EQ(list->UserIdAt(7), 0u);
    EXPECT_EQ(list->NameAt(-1), "");
    EXPECT_EQ(list->GetLeft(), kLeft);
    EXPECT_EQ(list->GetTop(), kTop + kHeader);
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(BandColour(*list, row), row % 2 ? kEvenColour : kOddColour) << row;

    // A third player and a refresh event rebuild the rows.
    app_.SeatPlayer(3, 1004, "丁");
    E().Owner().SendEvent(EventRecord{bar->GetId(), CCyPlayerListBar::EV_REFRESH_USERS, 0, 0});
    EXPECT_EQ(list->GetRowCount(), 7);
    EXPECT_EQ(list->UserIdAt(2), 1004u);
}

TEST_F(UserListTest, RowTextsStartTwelvePixelsBelowTheBandTop)
{
    CCyUserList* list = MakeBar()->GetList();
    ASSERT_NE(list, nullptr);
    // The score column starts at 138; its text at x + 4.
    const int x = 138 + 4 + 1;
    const int second = kRow; // the second user's band
    int firstInk = -1;
    for (int y = second; y < second + kRow && firstInk < 0; ++y)
        if (PixelOf(*list->GetPlane(), x, y) != kEvenColour)
            firstInk = y - second;
    EXPECT_EQ(firstInk, 12);
}

TEST_F(UserListTest, RowsAndTheMenuOfACharacterWithoutAnyPictureAskForNone)
{
    app_.characterPictures = false;
    testsupport::ResourceSweep sweep;
    CCyUserList* list = MakeBar()->GetList();
    ASSERT_NE(list, nullptr);
    list->Select(0);
    list->ShowMenu(1, kLeft + 10, kTop + 30);
    EXPECT_EQ(sweep.Findings(), std::vector<std::string>{});
}

TEST_F(UserListTest, RegisteringTheBarBuildsNothingBeforeItsColumns)
{
    // Registration runs the engine's creation hook before the owner has added the columns;
    // the parts are made once, from the skin, with the columns.
    auto* bare = E().Make<CCyPlayerListBar>();
    EXPECT_EQ(bare->GetList(), nullptr);
    EXPECT_TRUE(bare->Children().empty());
    CCyPlayerListBar* bar = MakeBar();
    int lists = 0, planes = 0;
    for (const PObject::ChildLink& link : bar->Children()) {
        lists += dynamic_cast<CCyUserList*>(link.child) != nullptr;
        planes += dynamic_cast<PlaneObject*>(link.child) != nullptr;
    }
    EXPECT_EQ(lists, 1);
    EXPECT_EQ(planes, 3);  // the header and the two corners
    bar->CreateFromSkin();  // a second call makes nothing more
    EXPECT_EQ(bar->Children().size(), 4u);
}

TEST_F(UserListTest, ARefreshThatChangesNoRowDrawsNothingAndEachChangeStillShows)
{
    CCyPlayerListBar* bar = MakeBar();
    CCyUserList* list = bar->GetList();
    const auto refresh = [&] {
        E().Owner().SendEvent(EventRecord{bar->GetId(), CCyPlayerListBar::EV_REFRESH_USERS, 0, 0});
    };
    const auto pixels = [&] {
        PlaneObject& plane = *list->GetPlane();
        return std::vector<uint8_t>(plane.GetPixels(),
                                    plane.GetPixels() + size_t(plane.GetSurfaceWidth()) * plane.GetSurfaceHeight() * 4);
    };
    // The scroll bars are set again; the list's middle is repainted only when the list is.
    const auto listRepainted = [&] {
        const int x = int(list->GetPlane()->GetX()), y = int(list->GetPlane()->GetY());
        for (const Rect& d : E().Objects().DirtyRects())
            if (d.left <= x && x < d.right && d.top <= y && y < d.bottom)
                return true;
        return false;
    };
    refresh();
    E().Settle();
    refresh();
    EXPECT_FALSE(listRepainted());
    // The rebuilt rows carry no hover: a hovered row is drawn without it, as a rebuild always drew.
    E().MoveMouse(300, RowY(0));
    EXPECT_EQ(BandColour(*list, 0), kHoverColour);
    refresh();
    EXPECT_EQ(BandColour(*list, 0), kOddColour);
    E().Settle();
    const std::vector<uint8_t> before = pixels();
    app_.SeatPlayer(3, 1004, "丁");
    refresh();
    EXPECT_TRUE(listRepainted());
    EXPECT_NE(pixels(), before);
}

TEST_F(UserListTest, HoverFollowsTheMouseOverUserRowsOnly)
{
    CCyUserList* list = MakeBar()->GetList();
    E().MoveMouse(300, RowY(0));
    EXPECT_EQ(list->GetHoverRow(), 0);
    EXPECT_EQ(BandColour(*list, 0), kHoverColour);
    E().MoveMouse(300, RowY(1));
    EXPECT_EQ(list->GetHoverRow(), 1);
    EXPECT_EQ(BandColour(*list, 0), kOddColour);
    EXPECT_EQ(BandColour(*list, 1), kHoverColour);
    E().MoveMouse(300, RowY(4));  // an empty row keeps the hover where it was
    EXPECT_EQ(list->GetHoverRow(), 1);
    E().MoveMouse(790, 590);
    EXPECT_EQ(list->GetHoverRow(), -1);
    EXPECT_EQ(BandColour(*list, 1), kEvenColour);
}

TEST_F(UserListTest, PressOnAUserPutsTheNameIntoTheChatLineAndEmptyRowsDoNothing)
{
    app_.SeatPlayer(2, 1003, "丙<size=40>#r");
    CCyUserList* list = MakeBar()->GetList();
    E().Click(300, RowY(1));
    EXPECT_EQ(list->GetSelectedRow(), 1);
    ASSERT_EQ(inputBar_->texts.size(), 1u);
    EXPECT_TRUE(testsupport::ShowsName(inputBar_->texts[0], "丙<size=40>#r", "，"));
    E().Click(300, RowY(5));
    EXPECT_EQ(list->GetSelectedRow(), 1);
    EXPECT_EQ(inputBar_->texts.size(), 1u);
    // A point inside the list's band but below its rows gives a row past the count.
    EXPECT_GE(list->RowAt(300, kTop + kHeader + 7 * kRow), 7);
    EXPECT_EQ(list->RowAt(100, RowY(0)), -1);
}

TEST_F(UserListTest, MenuShowsTheUserAndEnablesCallForOthersOnly)
{
    CCyUserList* list = MakeBar()->GetList();
    E().RightClick(300, RowY(1));
    CCyPopMenu* menu = list->GetMenu();
    ASSERT_TRUE(menu->IsActive());
    EXPECT_EQ(menu->GetItemCount(), 8);
    EXPECT_EQ(menu->GetItem(0)->GetText(), "丙");
    EXPECT_EQ(menu->GetItem(2)->GetText(), "银子：10030两");
    EXPECT_EQ(menu->GetItem(3)->GetText(), "积分：3分");
    EXPECT_EQ(menu->GetItem(4)->GetText(), "级别：新手");
    EXPECT_TRUE(menu->GetItem(CCyUserList::ITEM_CALL)->IsEnabled());
    EXPECT_FALSE(menu->GetItem(CCyUserList::ITEM_LOOK_ON)->IsEnabled());  // not a look-on user
    EXPECT_GE(menu->GetLeft(), 300);
    EXPECT_GE(menu->GetTop(), RowY(1));

    ChooseItem(*list, CCyUserList::ITEM_CALL);
    EXPECT_FALSE(menu->IsActive());
    ASSERT_EQ(app_.connect.ahoos, std::vector<uint32_t>{1003});
    ASSERT_EQ(app_.notify.calls.size(), 1u);
    EXPECT_EQ(app_.notify.calls[0].words, (std::array<int32_t, 10>{1001, 55, 9, 0, 1003, 2, 0, 0, 0, 0}));

    E().RightClick(300, RowY(0));  // the own row
    EXPECT_FALSE(menu->GetItem(CCyUserList::ITEM_CALL)->IsEnabled());
    // With room option bit 3 a call does nothing.
    app_.roomBit3 = 1;
    list->Select(1);
    E().Owner().SendEvent(EventRecord{list->GetId(), CCyUserList::EV_CALL_PLAYER, 0, 0});
    EXPECT_EQ(app_.connect.ahoos.size(), 1u);
}

TEST_F(UserListTest, MenuStaysInsideTheSidePanel)
{
    ProbeObject* panel = E().MakeProbe();
    panel->SetName(kSubSystemName);
    panel->SetSize(300, 220);
    panel->MoveTo(400, 310);  // right 550, bottom 420
    CCyUserList* list = MakeBar()->GetList();
    E().RightClick(500, RowY(1));
    EXPECT_LE(list->GetMenu()->GetRight(), 550.0);
    EXPECT_LE(list->GetMenu()->GetBottom(), 420.0);
}

TEST_F(UserListTest, LookOnPermissionTogglesWithANoticeAndSurvivesRefreshes)
{
    app_.AddLookOn(3, 2000, "看<c=255>客", 0);  // watches the own chair 0
    app_.AddLookOn(4, 2001, "路人", 2);
    CCyPlayerListBar* bar = MakeBar();
    CCyUserList* list = bar->GetList();
    ASSERT_EQ(list->UserIdAt(2), 2000u);
    E().RightClick(300, RowY(2));
    CCyPopButton* item = list->GetMenu()->GetItem(CCyUserList::ITEM_LOOK_ON);
    EXPECT_TRUE(item->IsEnabled());
    EXPECT_EQ(item->GetText(), "允许旁观看牌");
    ChooseItem(*list, CCyUserList::ITEM_LOOK_ON);
    ASSERT_EQ(app_.connect.lookOnRequests.size(), 1u);
    EXPECT_EQ(app_.connect.lookOnRequests[0], (std::array<uint32_t, 2>{2000, 1}));
    EXPECT_TRUE(list->IsLookOnAllowed(2000));
    ASSERT_EQ(app_.notices.size(), 1u);
    // The name from the hall cannot open a tag of its own.
    EXPECT_EQ(app_.notices[0].find("<c=255>"), std::string::npos);
    EXPECT_TRUE(testsupport::ShowsName(app_.notices[0], "甲", "允许"));

    E().Owner().SendEvent(EventRecord{bar->GetId(), CCyPlayerListBar::EV_REFRESH_USERS, 0, 0});
    E().RightClick(300, RowY(2));
    EXPECT_EQ(item->GetText(), "禁止旁观看牌");

    // A refused request changes nothing and tells nobody.
    app_.connect.lookOnResult = 0;
    ChooseItem(*list, CCyUserList::ITEM_LOOK_ON);
    EXPECT_TRUE(list->IsLookOnAllowed(2000));
    EXPECT_EQ(app_.notices.size(), 1u);

    // The user who watches another chair cannot be given permission.
    E().RightClick(300, RowY(3));
    EXPECT_FALSE(item->IsEnabled());
    EXPECT_EQ(item->GetText(), "允许旁观看牌");

    GameUserRecord leaving;
    leaving.SetUserId(2000);
    list->RemoveUser(&leaving);
    list->RemoveUser(nullptr);
    EXPECT_FALSE(list->IsLookOnAllowed(2000));
    app_.connect.lookOnResult = 1;
    list->Select(2);
    E().Owner().SendEvent(EventRecord{list->GetId(), CCyUserList::EV_TOGGLE_LOOK_ON, 0, 0});
    EXPECT_TRUE(list->IsLookOnAllowed(2000));
    E().Owner().SendEvent(EventRecord{bar->GetId(), CCyPlayerListBar::EV_FORGET_LOOK_ON, 0, 0});
    EXPECT_FALSE(list->IsLookOnAllowed(2000));
}

TEST_F(UserListTest, CopyAndDetailsActOnTheSelectedUser)
{
    CCyUserList* list = MakeBar()->GetList();
    E().RightClick(300, RowY(1));
    ChooseItem(*list, CCyUserList::ITEM_COPY);
    EXPECT_EQ(clipboard_.GetText(), std::optional<std::string>("丙"));
    E().RightClick(300, RowY(0));
    ChooseItem(*list, CCyUserList::ITEM_DETAIL);
    EXPECT_EQ(app_.frame.shown, (std::vector<std::array<uint32_t, 2>>{{1001, 1}}));
    // A refused clipboard copies nothing.
    clipboard_.SetUnavailable(true);
    E().RightClick(300, RowY(1));
    ChooseItem(*list, CCyUserList::ITEM_COPY);
    clipboard_.SetUnavailable(false);
    EXPECT_EQ(clipboard_.GetText(), std::optional<std::string>("丙"));
    // With no row selected the commands do nothing.
    list->ClearUsers();
    E().Owner().SendEvent(EventRecord{list->GetId(), CCyUserList::EV_SHOW_DETAIL, 0, 0});
    EXPECT_EQ(app_.frame.shown.size(), 1u);
}

TEST_F(UserListTest, HallRecordsWithBadChairsAndUnterminatedTextsAreDrawnSafely)
{
    GameUserRecord& watcher = app_.AddLookOn(0, 2000, "w", 99);
    std::fill(watcher.MutableData() + GameUserRecord::OFF_LEVEL, watcher.MutableData() + GameUserRecord::OFF_SCORE,
              uint8_t('L'));
    app_.AddLookOn(1, 2001, "x", -5);
    app_.AddLookOn(2, 2002, "y", INT32_MIN);
    CCyPlayerListBar* bar = MakeBar(true);
    CCyUserList* list = bar->GetList();
    EXPECT_EQ(list->GetRowCount(), 7);
    EXPECT_EQ(list->LevelAt(2), std::string(16, 'L'));
    E().RightClick(300, RowY(2));
    EXPECT_FALSE(list->GetMenu()->GetItem(CCyUserList::ITEM_LOOK_ON)->IsEnabled());
}

// With the side panel's columns, at every width the panel gives the list (and one narrower than
// the columns), each text stays inside its column: a nine-character name and a long amount are cut
// with "…".
TEST_F(UserListTest, EachTextStaysInsideItsColumnAtEveryWidth)
{
    PlaneObject::RecordTexts(true);
    struct Off {
        ~Off() { PlaneObject::RecordTexts(false); }
    } off;
    app_.SeatPlayer(0, 1001, "a东方不败小师妹"); // a cut between a character's two bytes would fit
    app_.SeatPlayer(1, 1002, "西门吹雪大师兄二号").SetSilver(9700);
    GameUserRecord& hammer = app_.SeatPlayer(3, 1004, "HammerMan mm");
    hammer.SetScore(-1234567);
    hammer.SetSilver(12345678);
    const int widths[] = {94, 40, 50, 50};
    for (int listWidth : {200, 250, 282}) {
        auto* bar = E().Make<CCyPlayerListBar>();
        for (int kind = 0; kind < 4; ++kind)
            bar->AddColumn(kind, widths[kind], "", 0, 0, 0);
        bar->SetSize(listWidth, 200);
        bar->MoveTo(400, 300);
        bar->CreateFromSkin();
        std::vector<std::string> cut;
        for (const PlaneObject::TextBox& t : bar->GetList()->GetPlane()->TextBoxes()) {
            int left = 0, column = 0;
            while (column < 3 && t.box.left >= left + widths[column])
                left += widths[column++];
            // The column's gap (as at its start) stays before the next column's text.
            EXPECT_LE(t.box.right, left + widths[column] - 4) << listWidth << " " << t.text;
            if (t.text.ends_with("…"))
                cut.push_back(t.text);
        }
        EXPECT_EQ(cut, (std::vector<std::string>{"a东方不…", "西门吹…", "HammerM…", "-12…", "12345…"})) << listWidth;
    }
}

TEST_F(UserListTest, NamesOtherPlayersChoseAreDrawnAsWritten)
{
    testsupport::RecordingTexts recording;
    CCyPlayerListBar* bar = MakeBar();
    for (std::string_view name : testsupport::kHostileNames) {
        app_.SeatPlayer(2, 1003, std::string(name)).SetLevel(name);
        E().Owner().SendEvent(EventRecord{bar->GetId(), CCyPlayerListBar::EV_REFRESH_USERS, 0, 0});
        const auto& texts = bar->GetList()->GetPlane()->TextBoxes(); // row 1's first is his name
        const auto cell = std::find_if(texts.begin(), texts.end(), [](auto& t) { return t.box.top > kRow; });
        EXPECT_EQ(testsupport::DrawnNameFault(*cell, name, 12, app_.GetRGBColorPlayerViewText()), "");
        E().RightClick(300, RowY(1));
        EXPECT_EQ(bar->GetList()->GetMenu()->GetItem(4)->GetPlane()->TextBoxes().at(0).plain, true); // level
    }
}

TEST_F(UserListTest, ScrollingMovesTheListByRowsAndTheHeaderWithIt)
{
    for (size_t k = 0; k < 20; ++k)
        app_.AddLookOn(k, int32_t(3000 + k), "观", 1);
    CCyPlayerListBar* bar = MakeBar();
    CCyUserList* list = bar->GetList();
    ASSERT_EQ(list->GetRowCount(), 22);
    const double top = list->GetTop();
    E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_DOWN, 0, 0});
    EXPECT_EQ(list->GetTop(), top - kRow);
    EXPECT_EQ(bar->GetVerticalBar()->GetPosition(), kRow);
    E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_UP, 0, 0});
    E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_UP, 0, 0});
    EXPECT_EQ(list->GetTop(), top);  // stops at the top
    // The thumb dragged to part of a row shows the nearest whole one.
    for (const auto& [at, rows] : {std::pair{1.4, 1}, {1.6, 2}}) {
        const double position[1] = {at * kRow};
        E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_POSITION, reinterpret_cast<uintptr_t>(position), 1});
        EXPECT_EQ(list->GetTop(), top - rows * kRow) << at;
    }
    E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_UP, 0, 0});
    E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_UP, 0, 0});
    // The bar's down arrow scrolls by a row as well.
    CXyStandButton* down = bar->GetVerticalBar()->GetSecondArrow();
    ASSERT_NE(down, nullptr);
    E().Click(int(down->GetX()), int(down->GetY()));
    EXPECT_EQ(list->GetTop(), top - kRow);
    E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_UP, 0, 0});
    // The wheel steps by rows too (backward down, forward up), also after a press on a row.
    E().Input().SetFocus(bar->GetId());
    E().Wheel(-120);
    EXPECT_EQ(list->GetTop(), top - kRow);
    E().Wheel(120);
    E().Click(300, RowY(0));
    E().Wheel(-120);
    EXPECT_EQ(list->GetTop(), top - kRow);
    E().Wheel(120);
    EXPECT_EQ(list->GetTop(), top);
    // Horizontal steps of 10 pixels move the header with the list.
    const double headerLeft = bar->GetHeader()->GetLeft();
    E().Owner().SendEvent(EventRecord{bar->GetId(), EV_SCROLL_RIGHT, 0, 0});
    EXPECT_EQ(list->GetLeft(), kLeft - 10);
    EXPECT_EQ(bar->GetHeader()->GetLeft(), headerLeft - 10);
    // A refresh places the list back at the top-left with the bars at 0.
    E().Owner().SendEvent(EventRecord{bar->GetId(), CCyPlayerListBar::EV_REFRESH_USERS, 0, 0});
    EXPECT_EQ(list->GetLeft(), kLeft);
    EXPECT_EQ(bar->GetHorizontalBar()->GetPosition(), 0);
}

class UserListNoSkinTest : public WidgetFixture {};

TEST_F(UserListNoSkinTest, MissingHeaderSkinLeavesABarThatDoesNothing)
{
    FakeAppServices app;
    app.SeatPlayer(0, 1001, "甲");
    E().AddSkin("UserListBlock", SolidFrames(200, kRow, {kHoverColour, kOddColour, kEvenColour}));
    E().LoadSkins();
    auto* bar = E().Make<CCyPlayerListBar>();
    bar->AddColumn(0, 138, "用户名", 0, 0, 0);
    bar->SetSize(300, 200);
    bar->CreateFromSkin();
    EXPECT_EQ(bar->GetList(), nullptr);
    EXPECT_EQ(bar->GetHeader(), nullptr);
    E().Owner().SendEvent(EventRecord{bar->GetId(), CCyPlayerListBar::EV_REFRESH_USERS, 0, 0});
    bar->Layout();
    bar->ScrollDown();
    bar->OnScroll(10, 1);
    E().Settle();
    EXPECT_EQ(bar->GetList(), nullptr);
}

} // namespace
