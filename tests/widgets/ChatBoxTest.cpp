// The chat box on the headless engine: appending and drawing, coalesced redraws, posted text,
// pictures, links opened by a click (and not once the link is gone), selection and copying
// with the mouse and Ctrl+C, scrolling with the wheel; chat objects and the event pipeline.
#include "tests/widgets/ChatBoxFixture.h"
#include "widgets/CLumoraPipeline.h"
#include "widgets/CPglChatBox.h"
#include "widgets/CPglChatObject.h"
#include "widgets/CPglHighCharacter.h"
#include "widgets/CXyScrollBar.h"
#include "engine/object/PictureObject.h"

#include <algorithm>

namespace {

using namespace widgettest;
using namespace Lumora;

class ChatBoxTest : public ChatBoxFixture {
protected:
    // A box holding one 30 x 20 picture object.
    std::pair<RecordingBox*, CPglChatObject*> BoxWithPicture()
    {
        E().AddSkin("pic", SolidFrames(30, 20, {0x00FF00}));
        E().LoadSkins();
        auto* box = MakeBox(chat_style::kDefault);
        auto* object = E().Make<CPglChatObject>();
        object->CreatePicture(E().Picture("pic"), 0, 0);
        box->AppendObject(object);
        E().Settle();
        return {box, object};
    }
};

TEST_F(ChatBoxTest, AppendedTextIsDrawnOnceForRequestsCloseTogether)
{
    auto* box = MakeBox(chat_style::kDefault);
    const int before = box->Redraws();
    box->AppendText("<c=255>red<> plain\n");
    box->AppendText("second line");
    EXPECT_TRUE(box->IsRefreshPending());
    E().Settle();
    EXPECT_EQ(box->Redraws(), before + 1);
    EXPECT_GT(InkPixels(*box->GetTextPlane()), 0);
    EXPECT_EQ(box->TextOf(box->Content().First(), nullptr), "red plain\nsecond line");

    box->Clear();
    E().Settle();
    EXPECT_EQ(InkPixels(*box->GetTextPlane()), 0);
    EXPECT_EQ(box->GetElementCount(), 0);
}

TEST_F(ChatBoxTest, ARedrawAfterAnAppendCopiesTheLinesItDrewBefore)
{
    auto* box = MakeBox(chat_style::kDefault);
    for (int i = 0; i < 30; ++i)
        box->AppendText(FormatMarkup("<c=%d>line %d\n", i * 999, i));
    E().Settle();
    box->AppendText("<e=b>new<> one\n");
    E().Settle();
    EXPECT_EQ(box->CharactersRendered(), 7);  // only "new one"; the rest moved up by copying
    PlaneObject& plane = *box->GetTextPlane();
    const std::vector<uint8_t> copied(plane.GetPixels(), plane.GetPixels() + 200 * 100 * 4);
    box->RefreshContent(false);
    EXPECT_GT(box->CharactersRendered(), 7);
    EXPECT_TRUE(std::equal(copied.begin(), copied.end(), plane.GetPixels()));

    // A taller element in an open row draws that row again.
    box->AppendText("tail");
    E().Settle();
    box->AppendText("<size=30>T");
    E().Settle();
    EXPECT_EQ(box->CharactersRendered(), 5);
    // Copied and drawn characters side by side in one row look as if all were drawn.
    box->AppendText("\nabc");
    E().Settle();
    box->AppendText("<c=255>def");
    E().Settle();
    EXPECT_EQ(box->CharactersRendered(), 3);
    const std::vector<uint8_t> mixed(plane.GetPixels(), plane.GetPixels() + 200 * 100 * 4);
    box->RefreshContent(false);
    EXPECT_TRUE(std::equal(mixed.begin(), mixed.end(), plane.GetPixels()));
}

TEST_F(ChatBoxTest, PostedTextArrivesOnALaterTickAndIsTakenOnce)
{
    auto* box = MakeBox(chat_style::kDefault);
    const uintptr_t token = E().Objects().NewTextPayload("posted <c=255>text");
    box->PostEvent({box->GetId(), EV_APP_TEXT_PAYLOAD, token, 0});
    EXPECT_EQ(box->GetElementCount(), 0);
    E().Settle();
    EXPECT_EQ(box->TextOf(box->Content().First(), nullptr), "posted <c=255>text"); // a posted text is typed, never markup
    EXPECT_EQ(E().Objects().PendingPayloads(), 0u);
}

TEST_F(ChatBoxTest, PicturesBecomeObjectsAndCopyAsTheirText)
{
    E().AddSkin("zu系统通知", SolidFrames(24, 16, {0x0000FF}));
    E().LoadSkins();
    auto* box = MakeBox(chat_style::kDefault | chat_style::kSelectable | chat_style::kLinks);
    box->AppendText("<z=zu系统通知>notice <z=missing>end");
    E().Settle();
    ASSERT_EQ(box->GetElementCount(), 1 + 7 + 3);
    const ChatElement* badge = box->GetElementAt(0);
    EXPECT_TRUE(badge->Is(chat_flag::kObject));
    EXPECT_EQ(badge->width, 24);
    ASSERT_EQ(box->PlacedObjects().size(), 1u);
    EXPECT_TRUE(E().Objects().FindById(badge->code)->IsActive());
    EXPECT_EQ(box->TextOf(box->Content().First(), nullptr), "[图片]notice end");

    // Clearing releases the object.
    const uint32_t id = badge->code;
    box->Clear();
    E().Settle();
    EXPECT_EQ(E().Objects().FindById(id), nullptr);

    // Releasing the box releases what its text embeds.
    box->AppendText("<z=zu系统通知><url=http://x/>");
    E().Settle();
    const uint32_t again = box->GetElementAt(0)->code, link = box->GetElementAt(1)->linkId;
    ASSERT_NE(link, 0u);
    E().Objects().UnregisterObject(box->GetId());
    E().Settle();
    EXPECT_EQ(E().Objects().FindById(again), nullptr);
    EXPECT_EQ(E().Objects().FindById(link), nullptr);
}

TEST_F(ChatBoxTest, ClickingALinkOpensItsAddressOnALaterTick)
{
    auto* box = MakeBox(chat_style::kDefault | chat_style::kSelectable | chat_style::kLinks);
    box->AppendText("go <url=http://example.org/x> now");
    E().Settle();
    const ChatElement* link = box->GetElementAt(3);
    ASSERT_TRUE(link->Is(chat_flag::kLinkFirst));
    E().Click(100 + link->x + 2, 100 + link->y + 5);
    EXPECT_EQ(box->opened, std::vector<std::string>{"http://example.org/x"});

    // Plain text opens nothing.
    E().Click(100 + 2, 100 + link->y + 5);
    EXPECT_EQ(box->opened.size(), 1u);
}

TEST_F(ChatBoxTest, HoveringALinkShowsTheHandAndItsPicture)
{
    E().AddSkin("tip", SolidFrames(30, 10, {0x00FFFF}));
    E().LoadSkins();
    auto* cursor = E().MakeCursorObject();
    auto* box = MakeBox(chat_style::kDefault | chat_style::kLinks);
    box->AppendText("ab<url_text=http://x.org/,link,tip>");
    E().Settle();
    const ChatElement* link = box->GetElementAt(2);
    auto* object = dynamic_cast<CPglHighCharacter*>(E().Objects().FindById(link->linkId));
    ASSERT_NE(object, nullptr);
    ASSERT_NE(object->GetHoverPicture(), nullptr);
    E().MoveMouse(100 + link->x + 2, 100 + link->y + 5);
    EXPECT_EQ(box->GetHoveredLink(), link->linkId);
    EXPECT_TRUE(object->GetHoverPicture()->IsActive());
    E().Run(400);
    EXPECT_DOUBLE_EQ(object->GetHoverPicture()->GetAlpha(), 1.0);
    E().MoveMouse(100 + 2, 100 + link->y + 5);
    EXPECT_EQ(box->GetHoveredLink(), 0u);
    EXPECT_FALSE(object->GetHoverPicture()->IsActive());
    const auto shapes = cursor->Shapes();
    ASSERT_GE(shapes.size(), 2u);
    EXPECT_EQ(shapes[shapes.size() - 2], FakeCursorObject::kHand);
    EXPECT_EQ(shapes.back(), FakeCursorObject::kArrow);
}

TEST_F(ChatBoxTest, AQueuedOpenOfALinkThatIsGoneOpensNothing)
{
    auto* box = MakeBox(chat_style::kDefault | chat_style::kLinks);
    box->AppendText("<url=http://example.org/x>");
    E().Settle();
    const uint32_t linkId = box->GetElementAt(0)->linkId;
    ASSERT_NE(linkId, 0u);
    box->PostEvent({box->GetId(), EV_CHAT_OPEN_URL, linkId, 0});
    box->Clear();  // before the record is delivered
    E().Settle();
    EXPECT_TRUE(box->opened.empty());
    EXPECT_EQ(E().Objects().FindById(linkId), nullptr);
}

TEST_F(ChatBoxTest, DraggingSelectsAndCtrlCCopiesTheSameTextEitherWay)
{
    auto* box = MakeBox(chat_style::kDefault | chat_style::kSelectable);
    box->AppendText("hello world\nsecond");
    E().Settle();
    // From the 'e' of hello to the 'c' of second, then the other way round.
    E().Run(600);
    E().Press(100 + 8, 100 + 5);
    E().DragTo(100 + 14, 100 + 16 + 5);
    E().Release(100 + 14, 100 + 16 + 5);
    CtrlKey('C');
    EXPECT_EQ(clipboard_.GetText(), std::optional<std::string>("ello world\nse"));

    clipboard_.Clear();
    E().Run(600);
    E().Press(100 + 14, 100 + 16 + 5);
    E().DragTo(100 + 8, 100 + 5);
    E().Release(100 + 8, 100 + 5);
    CtrlKey('C');
    EXPECT_EQ(clipboard_.GetText(), std::optional<std::string>("ello world\nse"));

    // C without Ctrl copies nothing.
    clipboard_.Clear();
    E().Key('C');
    EXPECT_FALSE(clipboard_.GetText());
}

TEST_F(ChatBoxTest, PasswordBoxesNeverCopyAndDrawStars)
{
    auto* glyphs = dynamic_cast<testsupport::PatternGlyphSource*>(&E().Objects().GetTextSurface().Glyphs());
    ASSERT_NE(glyphs, nullptr);
    auto* box = MakeBox(chat_style::kDefault | chat_style::kSelectable | chat_style::kPassword);
    glyphs->requests.clear();
    box->AppendText("ab中");
    E().Settle();
    // Every character was drawn as stars: one for a byte, two for a pair, and nothing else.
    const auto drawn = glyphs->CodePoints();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), U'*'), 4);
    EXPECT_EQ(std::count_if(drawn.begin(), drawn.end(), [](char32_t c) { return c != U'*'; }), 0);
    box->MutableContent().Select(box->Content().First(), nullptr);
    EXPECT_FALSE(box->CopySelection());
    EXPECT_EQ(clipboard_.Sets(), 0);
}

TEST_F(ChatBoxTest, TheWheelScrollsThreeRowsAndStopsAtTheEnds)
{
    auto* box = MakeBox(chat_style::kDefault | chat_style::kSelectable);
    for (int i = 0; i < 20; ++i)
        box->AppendText("line\n");
    E().Settle();
    const int end = box->Content().ScrollY();
    EXPECT_EQ(end, box->Content().ContentHeight() - 100);
    E().Click(150, 150);  // focus
    E().Wheel(120);
    EXPECT_EQ(box->Content().ScrollY(), end - 3 * 16); // rows of 14 and their gaps of 2
    for (int i = 0; i < 20; ++i)
        E().Wheel(120);
    EXPECT_EQ(box->Content().ScrollY(), 0);
    E().Wheel(-120);
    EXPECT_EQ(box->Content().ScrollY(), 3 * 16);
}

TEST_F(ChatBoxTest, AChatObjectButtonPostsItsOwnIdAndShowsItsFrames)
{
    E().AddSkin("btn", SolidFrames(20, 10, {0x000001, 0x000002, 0x000003, 0x000004}));
    E().LoadSkins();
    auto* box = MakeBox(chat_style::kDefault | chat_style::kLinks);
    box->AppendText("<url_btn=https://example.org/b,btn>");
    E().Settle();
    ASSERT_EQ(box->GetElementCount(), 1);
    auto* button = dynamic_cast<CPglChatObject*>(E().Objects().FindById(box->GetElementAt(0)->code));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetText(), "https://example.org/b");
    button->OnEvent({button->GetId(), EV_LBUTTON_CLICK, 0, 0});
    E().Settle();
    EXPECT_EQ(box->opened, std::vector<std::string>{"https://example.org/b"});
    button->OnEvent({button->GetId(), EV_WIDGET_DISABLED, 0, 0});
    EXPECT_EQ(button->GetPictureBody()->GetFrame(), 3);
}

TEST_F(ChatBoxTest, TheVerticalBarAppearsWithOverflowAndScrollsTheView)
{
    auto* box = MakeBox(chat_style::kDefault | chat_style::kScrollBars);
    CXyScrollBar* bar = box->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->IsActive());
    EXPECT_EQ(box->GetViewWidth(), 200);
    for (int i = 0; i < 12; ++i)
        box->AppendText("line\n");
    E().Settle();
    EXPECT_TRUE(box->IsVerticalBarShown());
    EXPECT_TRUE(bar->IsActive());
    EXPECT_EQ(box->GetViewWidth(), 200 - int(bar->GetWidth() + 0.5));
    EXPECT_DOUBLE_EQ(bar->GetRange(), box->Content().ContentHeight());
    EXPECT_DOUBLE_EQ(bar->GetPage(), 100);
    const double position = 10;
    box->OnEvent({box->GetId(), EV_SCROLL_POSITION, reinterpret_cast<uintptr_t>(&position), 0});
    EXPECT_EQ(box->Content().ScrollY(), box->Content().TopOffset() + 10);

    box->Clear();
    E().Settle();
    EXPECT_FALSE(box->IsVerticalBarShown());
    EXPECT_EQ(box->GetViewWidth(), 200);
}

TEST_F(ChatBoxTest, AppendedObjectsAndObjectsTakenBackOut)
{
    E().AddSkin("pic", SolidFrames(30, 20, {0x00FF00}));
    E().LoadSkins();
    auto* box = MakeBox(chat_style::kDefault);
    auto* object = E().Make<CPglChatObject>();
    object->CreatePicture(E().Picture("pic"), 0, 0);
    box->AppendText("a");
    box->AppendObject(object);
    box->AppendText("b");
    E().Settle();
    ASSERT_EQ(box->GetElementCount(), 3);
    EXPECT_EQ(box->GetElementAt(1)->width, 30);
    EXPECT_EQ(box->GetElementAt(1)->code, object->GetId());
    EXPECT_EQ(box->GetElementAt(2)->x, 7 + 30);
    EXPECT_TRUE(object->IsActive());
    // Taken out without releasing: the object lives on, the text closes up.
    box->RemoveObject(object->GetId(), false);
    E().Settle();
    EXPECT_EQ(E().Objects().FindById(object->GetId()), object);
    EXPECT_EQ(box->GetElementCount(), 2);
    EXPECT_EQ(box->GetElementAt(1)->x, 7);
    box->Clear();
    E().Settle();
    EXPECT_EQ(E().Objects().FindById(object->GetId()), object);
}

// A box inside another's view (a list row's detail) is cut to it: its text and the objects it
// places, after the clip as after the next redraw, where the clip and its own view meet.
TEST_F(ChatBoxTest, AClipOnTheBoxCutsItsTextAndObjectsToWhereItMeetsTheView)
{
    auto [box, object] = BoxWithPicture();
    Rect text, placed, placedAgain;
    box->SetClipRect({50, 120, 250, 400});
    box->GetTextPlane()->GetClipRect(text);
    object->GetClipRect(placed);
    box->Refresh();
    E().Settle();
    object->GetClipRect(placedAgain);
    for (const Rect& clip : {text, placed, placedAgain})
        EXPECT_TRUE(clip == (Rect{100, 120, 250, 200})) << clip.left << " " << clip.top << " " << clip.bottom;
}

TEST_F(ChatBoxTest, AReleasedBoxReleasesTheObjectsItsElementsName)
{
    auto [box, object] = BoxWithPicture();
    const uint32_t id = object->GetId();
    ASSERT_EQ(E().Objects().FindById(id), object);
    box->ReleaseObject(box, false);
    E().Settle();
    EXPECT_EQ(E().Objects().FindById(id), nullptr);
}

TEST_F(ChatBoxTest, AGrowingBoxKeepsItsTopEdge)
{
    auto* box = MakeBox(chat_style::kDefault | chat_style::kGrowToFit);
    const double top = box->GetTop();
    for (int i = 0; i < 3; ++i)
        box->AppendText("row\n");
    E().Settle();
    EXPECT_EQ(box->GetViewHeight(), box->Content().ContentHeight());
    EXPECT_DOUBLE_EQ(box->GetTop(), top);
    EXPECT_DOUBLE_EQ(box->GetTextPlane()->GetTop(), top);
}

// Counts the records it receives and what their data held.
class PipelineReceiver : public ProbeObject {
public:
    int OnEvent(const EventRecord& r) override
    {
        texts.emplace_back(reinterpret_cast<const char*>(r.param1), size_t(r.param2));
        return ProbeObject::OnEvent(r);
    }
    std::vector<std::string> texts;
};

TEST_F(ChatBoxTest, ThePipelineDeliversOneRecordPerNext)
{
    auto* pipeline = E().Make<CLumoraPipeline>();
    auto* receiver = E().Register(new PipelineReceiver);
    pipeline->Push(receiver->GetId(), 80000100, "one", 3);
    pipeline->Push(receiver->GetId(), 80000100, "two", 3);
    pipeline->Push(receiver->GetId(), 80000100, nullptr, 0);
    E().Settle();
    EXPECT_EQ(receiver->texts, std::vector<std::string>{"one"});
    pipeline->Next();
    E().Settle();
    EXPECT_EQ(receiver->texts, (std::vector<std::string>{"one", "two"}));
    pipeline->Next();
    E().Settle();
    EXPECT_EQ(receiver->texts, (std::vector<std::string>{"one", "two", ""}));
    pipeline->Next();
    pipeline->Next();  // idle stays idle
    EXPECT_FALSE(pipeline->IsBusy());

    // Queued copies go with the pipeline (the leak checker watches).
    pipeline->SetBusy();
    pipeline->Push(receiver->GetId(), 80000100, "x", 1);
    pipeline->Push(receiver->GetId(), 80000100, "y", 1);
    EXPECT_EQ(pipeline->Queued(), 2u);
    E().Objects().UnregisterObject(pipeline->GetId());
}

// Asks for the next record before it reads the data of this one, as the frame's handlers do.
class NextFirstReceiver : public PipelineReceiver {
public:
    int OnEvent(const EventRecord& r) override
    {
        if (pipeline)
            pipeline->Next();
        return PipelineReceiver::OnEvent(r);
    }
    CLumoraPipeline* pipeline = nullptr;
};

TEST_F(ChatBoxTest, PipelineDataLivesThroughTheHandlerAndNeverOutlivesThePipeline)
{
    auto* pipeline = E().Make<CLumoraPipeline>();
    auto* receiver = E().Register(new NextFirstReceiver);
    receiver->pipeline = pipeline;
    pipeline->Push(receiver->GetId(), 80000100, "first record", 12);
    pipeline->Push(receiver->GetId(), 80000100, "second record", 13);
    pipeline->Push(receiver->GetId(), 80000100, "third record", 12);
    E().Settle();
    E().Settle();
    E().Settle();
    EXPECT_EQ(receiver->texts, (std::vector<std::string>{"first record", "second record", "third record"}));

    // A record queued for delivery when its pipeline goes away never reaches the receiver.
    receiver->pipeline = nullptr;
    receiver->texts.clear();
    pipeline->Next();
    pipeline->Push(receiver->GetId(), 80000100, "orphan", 6);
    E().Objects().UnregisterObject(pipeline->GetId());
    E().Settle();
    EXPECT_TRUE(receiver->texts.empty());
}

} // namespace
