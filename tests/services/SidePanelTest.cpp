// The side panel: what each event shows or leaves, the chat line's record and escaping, the
// heap text it frees, the input bar's sending rules and the layout inside the given rectangle.
#include "tests/widgets/FakeAppServices.h"
#include "tests/widgets/WidgetFixture.h"

#include "services/panel/CSubSystem.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCyScrollBar.h"
#include "widgets/CCyUserList.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyChatFace.h"
#include "widgets/CXyInputBox.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyStandButton.h"

#include <cstring>
#include <map>

using namespace Lumora;
using namespace widgettest;

namespace {

std::vector<uint8_t> ChatRecord(uint32_t sender, std::string_view text, size_t size = 128)
{
    std::vector<uint8_t> r(size, 0);
    std::memcpy(r.data(), &sender, std::min<size_t>(4, size));
    if (size > 48)
        std::memcpy(r.data() + 48, text.data(), std::min(text.size(), size - 48));
    return r;
}

class SidePanelTest : public WidgetFixture {
protected:
    CMJSubSystem* MakePanel(Rect bounds = {600, 0, 900, 600})
    {
        auto* panel = E().Make<CMJSubSystem>();
        panel->SetBounds(bounds);
        panel->OnSizeDone();
        E().Settle();
        return panel;
    }
    static std::string Shown(const CSubSystem& panel)
    {
        const CXyChatBox& box = *panel.GetChatBox();
        return box.TextOf(box.Content().First(), nullptr);
    }
    void Send(CSubSystem& panel, uint32_t code, uintptr_t p1, uintptr_t p2 = 0)
    {
        panel.OnEvent({panel.GetId(), code, p1, p2});
    }

    FakeAppServices app_;
};

TEST_F(SidePanelTest, EachEventShowsItsLineAndPeerMarkupShowsAsTyped)
{
    app_.SeatPlayer(0, 1001, "张三");
    app_.SeatPlayer(1, 1002, "李四");
    CMJSubSystem* panel = MakePanel();
    const Lumora::Markup system = "<c=255>系统<>消息";
    Send(*panel, 80000057, reinterpret_cast<uintptr_t>(&system));
    const auto chat = ChatRecord(1001, "<c=255>你好");
    Send(*panel, 80000058, reinterpret_cast<uintptr_t>(chat.data()), chat.size());
    const auto chatEx = ChatRecord(1002, "再见");
    Send(*panel, 80000059, reinterpret_cast<uintptr_t>(chatEx.data()), chatEx.size());
    const auto cut = ChatRecord(1001, "x", 40);  // too short for a text: nothing
    Send(*panel, 80000058, reinterpret_cast<uintptr_t>(cut.data()), cut.size());
    const auto stranger = ChatRecord(4242, "hi");  // no record of him: his id
    Send(*panel, 80000058, reinterpret_cast<uintptr_t>(stranger.data()), stranger.size());
    const char notice[] = "公告<b>\n下行";
    Send(*panel, 80000072, reinterpret_cast<uintptr_t>(notice), std::strlen(notice));
    char* heap = new char[8];
    std::strcpy(heap, "heap");
    Send(*panel, 80000060, reinterpret_cast<uintptr_t>(heap));  // freed by the panel (ASan checks)
    panel->ShowTakeDeposit(300);
    E().Settle();
    EXPECT_EQ(Shown(*panel), "系统消息\n张三：<c=255>你好\n李四：再见\n4242：hi\n公告<b>\n下行\nheap\n保险箱功能暂未开放（300两）\n");
    EXPECT_TRUE(testsupport::ShowsName(panel->GetChatBox()->Content(), "张三", "："));
}

// Only the server's own chat-box notice opens its links (a link button too) signed with the user's
// id: a player's line and his name make no link, and a link in any other line, later ones too,
// opens as written.
TEST_F(SidePanelTest, OnlyTheServersOwnNoticeSignsTheAddressesItLinks)
{
    E().AddSkin("btn", SolidFrames(20, 10, {0x000001, 0x000002, 0x000003, 0x000004}));
    E().LoadSkins();
    app_.SeatPlayer(1, 1002, "<url_text=http://e.cn/?,二>");
    CMJSubSystem* panel = MakePanel();
    const auto chat = ChatRecord(1002, "<url=http://e.cn/c>x");
    Send(*panel, 80000058, reinterpret_cast<uintptr_t>(chat.data()), chat.size());
    const Lumora::Markup first = "<url_text=http://e.cn/a,甲>", later = "<url_text=http://e.cn/d,丙>";
    Send(*panel, 80000057, reinterpret_cast<uintptr_t>(&first));
    const char own[] = "<url_text=http://s.cn/b?,乙><url_btn=http://s.cn/c?,btn>";
    Send(*panel, 80000060, reinterpret_cast<uintptr_t>(std::strcpy(new char[sizeof own], own)));
    Send(*panel, 80000057, reinterpret_cast<uintptr_t>(&later));
    const PlaneObject& plane = *panel->GetChatBox()->GetTextPlane();
    for (const ChatElement* e = panel->GetChatBox()->Content().First(); e; e = e->next)
        if (e->Is(chat_flag::kLinkFirst | chat_flag::kLinkButton))
            E().Click(int(plane.GetLeft()) + e->x + 2, int(plane.GetTop()) + e->y + 5);
    EXPECT_EQ(app_.pages,
              (std::vector<std::string>{"http://e.cn/a", "http://s.cn/b?", "http://s.cn/c?", "http://e.cn/d"}));
    EXPECT_EQ(app_.pageSigns, (std::vector<int>{0, 1, 1, 0}));
}

TEST_F(SidePanelTest, TheTablesUserEventsRefreshThePlayerList)
{
    E().AddSkin("SystemUserListBar", SolidFrames(300, 24, {0x506070}));
    E().LoadSkins();
    CMJSubSystem* panel = MakePanel();
    CCyUserList* list = panel->GetUserList()->GetList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->UserIdAt(0), 0u);
    app_.SeatPlayer(0, 1001, "张三");
    Send(*panel, 80000014, 0);
    EXPECT_EQ(list->NameAt(0), "张三");
    app_.SeatPlayer(2, 1003, "王五");
    Send(*panel, 80000021, 0);
    EXPECT_EQ(list->UserIdAt(1), 1003u);
    // Entering and refreshing the table refresh it too.
    app_.SeatPlayer(1, 1002, "李四");
    Send(*panel, 80000011, 0);
    EXPECT_EQ(list->UserIdAt(1), 1002u);
    app_.SeatPlayer(3, 1004, "赵六");
    Send(*panel, 80000012, 0);
    EXPECT_EQ(list->UserIdAt(3), 1004u);
}

// In the narrowest panel the columns end beside the vertical bar and the rows reach its edge; a
// bar (and the corner between the bars) shows only while the panel does and there is more to see
// than room, which the other bar's room can make.
TEST_F(SidePanelTest, TheUserListsColumnsFitAndItsBarsShowOnlyWithSomethingToScroll)
{
    E().AddSkin("SystemUserListBar", SolidFrames(300, 24, {0x506070}));
    E().AddSkin(CCyUserList::kRowSkin, SolidFrames(200, 30, {0x5080B0, 0xF0F0F0, 0xE0E0E0}));
    E().AddSkin("ScrollBar_HorzBack", SolidFrames(48, 16, {0x505050}));
    E().AddSkin("ScrollBar_VertBack", SolidFrames(16, 48, {0x505050}));
    E().AddSkin("滚动角", SolidFrames(16, 16, {0x505050}));
    E().LoadSkins();
    for (int chair = 0; chair < 4; ++chair)
        app_.SeatPlayer(chair, 1001 + chair, "玩家");
    struct Case {
        int lookOns, left;
        bool horizontal, vertical;
    } const cases[] = {{0, 550, false, false}, {0, 480, false, false}, {1, 550, false, true},
                       {8, 550, false, true},  {8, 560, true, true}};
    for (const Case& c : cases) {
        for (int k = 0; k < c.lookOns; ++k)
            app_.AddLookOn(size_t(k), 2001 + k, "看客", 0);
        auto* panel = E().Make<CMJSubSystem>();
        panel->SetBounds({c.left, 0, 800, 600});
        E().Settle();
        CCyPlayerListBar* bar = panel->GetUserList();
        std::map<const PObject*, int> drawn{
            {bar->GetHorizontalBar(), 0}, {bar->GetVerticalBar(), 0}, {bar->GetBottomCorner(), 0}};
        const auto count = [&] {
            for (auto& d : drawn)
                d.second = 0;
            E().Objects().ForEachDrawn([&](PObject& o) {
                for (const PObject* p = &o; p; p = p->GetParent())
                    drawn[p] += drawn.count(p);
            });
        };
        count();
        EXPECT_EQ(drawn[bar->GetVerticalBar()] + drawn[bar->GetBottomCorner()], 0) << "before the panel shows";
        panel->OnSizeDone();
        E().Settle();
        count();
        int columns = 0;
        for (const ListColumn& column : bar->GetColumns())
            columns += column.width;
        EXPECT_TRUE(c.horizontal || bar->GetLeft() + columns <= bar->GetVerticalBar()->GetLeft());
        EXPECT_GE(bar->GetList()->GetWidth(), bar->GetWidth());
        Rect clip;
        bar->GetList()->GetClipRect(clip);
        EXPECT_LE(clip.bottom, c.horizontal ? bar->GetHorizontalBar()->GetTop() : bar->GetBottom());
        // Whole rows only: a watcher's fifth row is scrolled to, never shown cut over the chat.
        EXPECT_EQ((clip.bottom - clip.top) % 30, 0) << c.lookOns << " " << c.left;
        EXPECT_EQ(drawn[bar->GetHorizontalBar()] > 0, c.horizontal) << c.lookOns << " " << c.left;
        EXPECT_EQ(drawn[bar->GetVerticalBar()] > 0, c.vertical) << c.lookOns << " " << c.left;
        EXPECT_EQ(drawn[bar->GetBottomCorner()] > 0, c.horizontal || c.vertical) << c.lookOns << " " << c.left;
    }
}

TEST_F(SidePanelTest, UnhandledCodesAreLoggedOnceAndShowNothing)
{
    CMJSubSystem* panel = MakePanel();
    for (uint32_t code : {80000061u, 80000061u, 80000026u, 80000104u, 80000054u})
        Send(*panel, code, 0);
    EXPECT_EQ(panel->IgnoredCodes(), (std::set<uint32_t>{80000026, 80000054, 80000061, 80000104}));
    EXPECT_EQ(Shown(*panel), "");
}

TEST_F(SidePanelTest, PartsCarryTheNamesTheirCallersLookFor)
{
    CMJSubSystem* panel = MakePanel();
    EXPECT_EQ(E().Objects().FindByName("UserListBar"), panel->GetUserList());
    EXPECT_EQ(E().Objects().FindByName("InputBar"), panel->GetInputBar());
    auto* advert = dynamic_cast<IAdvertWindow*>(E().Objects().FindByName("AdvertBar"));
    ASSERT_NE(advert, nullptr);
    EXPECT_FALSE(advert->IsAdvertShown());
    std::string error;
    EXPECT_EQ(panel->GetActivityBar()->Open(0, error), 0);
    EXPECT_EQ(error, "活动暂不可用");
}

TEST_F(SidePanelTest, FacePicksAndNamesGoToTheCaretOfTheInputLine)
{
    CMJSubSystem* panel = MakePanel();
    auto* bar = dynamic_cast<IInputBarText*>(E().Objects().FindByName("InputBar"));
    ASSERT_NE(bar, nullptr);
    bar->AppendInputText("张三，");
    int index = 1;
    Send(*panel, EV_FACE_PICKED, reinterpret_cast<uintptr_t>("#打牌"), reinterpret_cast<uintptr_t>(&index));
    EXPECT_EQ(panel->GetInputBar()->GetInput()->GetText(), "张三，#打牌");

    // The line as the server sends it back shows the face's picture; a '#' before other text stays text.
    E().AddSkin("xyf打牌", SolidFrames(20, 20, {0x00FF00, 0x0000FF}));
    E().LoadSkins();
    app_.SeatPlayer(0, 1001, "张三");
    const auto chat = ChatRecord(1001, "#打牌 #r#1");
    Send(*panel, 80000058, reinterpret_cast<uintptr_t>(chat.data()), chat.size());
    int faces = 0;
    for (const ChatElement* e = panel->GetChatBox()->Content().First(); e; e = e->next)
        faces += e->Is(chat_flag::kObject);
    EXPECT_EQ(faces, 1);
    EXPECT_EQ(Shown(*panel), "张三：#打牌 #r#1\n");
}

TEST_F(SidePanelTest, SendingCutsOnACharacterSkipsEmptyLinesAndKeepsOneASecond)
{
    CMJSubSystem* panel = MakePanel();
    CGameInputBar& bar = *panel->GetInputBar();
    std::string longLine = "ab";
    for (int i = 0; i < 40; ++i)
        longLine += "中";  // 2 + 80 bytes: the 61st byte begins a character
    struct Case {
        std::string_view text;
        uint64_t advanceMs;
        bool sent;
    } cases[] = {{"", 2000, false}, {longLine, 0, true}, {"again", 999, false}, {"later", 1, true}};
    for (const Case& c : cases) {
        E().Clock().Advance(c.advanceMs);
        EXPECT_EQ(bar.Send(c.text), c.sent) << c.text;
    }
    ASSERT_EQ(app_.connect.chats.size(), 2u);
    EXPECT_EQ(app_.connect.chats[0], longLine.substr(0, 60));
    EXPECT_EQ(app_.connect.chats[1], "later");
}

TEST_F(SidePanelTest, EnterAndTheSendButtonSendTheLineAndClearIt)
{
    E().AddSkin("btnChatSend", SolidFrames(48, 24, {0x00A000, 0x00C000, 0x008000, 0x808080}));
    E().LoadSkins();
    CMJSubSystem* panel = MakePanel({450, 0, 750, 600});  // inside the 800 x 600 view
    CXyInputBox* line = panel->GetInputBar()->GetInput();
    line->TakeFocus();
    E().Type("hi");
    E().Key(13);
    EXPECT_EQ(line->GetText(), "");
    E().Clock().Advance(1000);
    line->AppendText("again");
    CXyStandButton* send = panel->GetInputBar()->GetSendButton();
    ASSERT_NE(send, nullptr);
    E().Click(int(send->GetX()), int(send->GetY()));
    EXPECT_EQ(app_.connect.chats, (std::vector<std::string>{"hi", "again"}));
    EXPECT_EQ(line->GetText(), "");
}

TEST_F(SidePanelTest, PartsAreStackedInsideTheRectangleAtEachDesktopSize)
{
    for (const Rect r : {Rect{550, 0, 800, 600}, Rect{724, 0, 1024, 768}, Rect{1084, 0, 1366, 768}, Rect{0, 0, 0, 0}}) {
        CMJSubSystem* panel = MakePanel(r);
        if (r.right == r.left)  // folded away: nothing moves, nothing breaks
            continue;
        const double list = panel->GetUserList()->GetY();
        const double chat = panel->GetChatBox()->GetY();
        const double input = panel->GetInputBar()->GetY();
        EXPECT_LT(list, chat);
        EXPECT_LT(chat, input);
        EXPECT_DOUBLE_EQ(panel->GetInputBar()->GetWidth(), r.right - r.left);
        // The line's own box, where a press finds it, takes the bar's width as its background does.
        EXPECT_EQ(ObjectModule::ScreenRect(panel->GetInputBar()->GetInput()->Geometry()).left, r.left);
        EXPECT_LE(input + CGameInputBar::kHeight / 2.0, r.bottom);
        EXPECT_DOUBLE_EQ(panel->GetChatBox()->GetX(), (r.left + r.right) / 2.0);
        // The text keeps clear of the panel's edges, and a wrapped line goes on under its indent.
        const PlaneObject& text = *panel->GetChatBox()->GetTextPlane();
        EXPECT_GT(text.GetLeft(), r.left);
        EXPECT_LT(text.GetRight(), r.right);
        panel->AddLine(Lumora::Markup::FromSkin(" " + std::string(80, '.')));
        const ChatElement* wrapped = panel->GetChatBox()->Content().First();
        while (wrapped && wrapped->rowTop == 0)
            wrapped = wrapped->next;
        ASSERT_NE(wrapped, nullptr);
        EXPECT_EQ(wrapped->x, panel->GetChatBox()->Content().First()->next->x);
    }
}

} // namespace

namespace {

// The picker opens above the input bar, clear of its buttons; a picked face goes into the line,
// which keeps the keyboard: Enter sends it.
TEST_F(SidePanelTest, APickedFaceLeavesTheKeyboardWithTheLineAndThePickerClearOfTheBar)
{
    E().AddSkin("btnChatFace", SolidFrames(24, 24, {0x00A000, 0x00C000, 0x008000, 0x808080}));
    E().AddSkin("xyf向前翻页", SolidFrames(30, 16, {0xA00000, 0xC00000, 0x800000, 0x808080}));
    E().AddSkin("xyf向后翻页", SolidFrames(30, 16, {0xA00000, 0xC00000, 0x800000, 0x808080}));
    E().LoadSkins();
    CMJSubSystem* panel = MakePanel({500, 0, 800, 600});
    panel->SetName(kSubSystemName); // the picker finds it by the name the frame gives it
    CGameInputBar& bar = *panel->GetInputBar();
    ASSERT_NE(bar.GetFacesButton(), nullptr);
    E().Click(int(bar.GetFacesButton()->GetX()), int(bar.GetFacesButton()->GetY()));
    const CXyChatFace* picker = bar.GetPicker();
    ASSERT_NE(picker, nullptr);
    for (const PObject* page : {picker->GetPreviousButton(), picker->GetNextButton()})
        EXPECT_LT(page->GetBottom(), bar.GetTop()) << "a page button over the bar";
    // The panel laid out elsewhere (a fold, a resize): the open picker goes with its bar.
    panel->SetBounds({300, 0, 600, 500});
    EXPECT_EQ(picker->GetX(), bar.GetX());
    EXPECT_LT(picker->GetNextButton()->GetBottom(), bar.GetTop());
    E().Click(int(picker->GetPanel()->GetLeft()) + 5, int(picker->GetPanel()->GetTop()) + 5);
    E().Type("hi");
    E().Key(13);
    EXPECT_EQ(app_.connect.chats, (std::vector<std::string>{"#大哭hi"}));
}

} // namespace
