#include "tests/support/EngineFixtures.h"
#include "tests/support/PatternGlyphSource.h"

#include "engine/GameCore.h"
#include "engine/input/InputModule.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"
#include "engine/object/PlaneObject.h"
#include "platform/HeadlessWindow.h"

#include <gtest/gtest.h>

using namespace Lumora;

namespace {

// Every hooked input event lands here as "tag:code" (code less 19840300), with its input state.
struct Log {
    std::vector<std::string> lines;
    std::vector<InputData> data;
    void Clear()
    {
        lines.clear();
        data.clear();
    }
};

struct Recorder : PObject {
    explicit Recorder(Log& log) : log_(log) {}
    int OnEvent(const EventRecord& r) override
    {
        log_.lines.push_back(std::string(1, static_cast<char>(r.param1)) + ":" + std::to_string(r.code - 19840300));
        log_.data.push_back(r.param2 ? *reinterpret_cast<const InputData*>(r.param2) : InputData{});
        return 1;
    }
    Log& log_;
};

class InputModuleTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
        objects_ = new ObjectModule(std::make_shared<testsupport::PatternGlyphSource>());
        input_ = new InputModule();
        ASSERT_EQ(LUMORA_MSG_OK, core_->LoadModule(objects_, 1, 0));
        ASSERT_EQ(LUMORA_MSG_OK, core_->LoadModule(input_, 1, 1));
        View(160, 120);
        recorder_ = new Recorder(log_);
        objects_->RegisterObject(recorder_, nullptr);
        cursor_ = new Recorder(log_);
        objects_->RegisterObject(cursor_, nullptr);
        Hook(cursor_, 'C');
        input_->SetCursorObject(cursor_->GetId());
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }
    void View(int w, int h)
    {
        objects_->SetViewportCentre(w / 2, h / 2);
        objects_->SetViewportSize(w, h);
    }
    // Every input code of `object` goes to the recorder under `tag`.
    void Hook(PObject* object, char tag)
    {
        for (uint32_t code = 19840325; code <= 19840353; ++code)
            object->AddEventHook(code, recorder_->GetId(), code, static_cast<uintptr_t>(tag), 0);
    }
    // A hit-testable plane covering [x, x + w) x [y, y + h) of the view.
    PObject* Plane(char tag, int x, int y, int w, int h, uint32_t layer = 0)
    {
        PlaneObject* p = objects_->NewPlaneObject(w, h, 0x00808080, nullptr);
        p->SetLayer(layer);
        p->MoveTo(x + w / 2.0, y + h / 2.0);
        p->Activate();
        Hook(p, tag);
        p->Redraw();
        return p;
    }
    // Lets the posted records reach the objects and come back to the input module.
    void Deliver(uint32_t ms = 20)
    {
        for (uint32_t t = 0; t < ms; t += 20) {
            clock_.Advance(20);
            core_->FrameTick();
        }
        clock_.Advance(1);
        core_->FrameTick();
    }
    std::vector<std::string> Take()
    {
        Deliver();
        auto lines = log_.lines;
        log_.lines.clear();
        return lines;
    }

    std::unique_ptr<GameCore> core_;
    ObjectModule* objects_ = nullptr;
    InputModule* input_ = nullptr;
    Recorder* recorder_ = nullptr;
    Recorder* cursor_ = nullptr;
    Log log_;
};

using Lines = std::vector<std::string>;

TEST_F(InputModuleTest, HoverClickAndReleaseGoToCursorAndHovered)
{
    Plane('A', 10, 10, 40, 40);
    input_->OnMouseMove(20, 20, 0);
    EXPECT_EQ((Lines{"C:27", "A:25", "A:27"}), Take());
    input_->OnMouseMove(21, 20, 0);
    EXPECT_EQ((Lines{"C:27", "A:27"}), Take());
    input_->OnLButtonDown(21, 20, 1);
    EXPECT_EQ((Lines{"C:48", "A:48", "C:28", "A:28", "A:52"}), Take());  // first press, down, focus gained
    EXPECT_NE(0u, objects_->FindById(input_->Focused())->GetFlags() & OBJ_NO_CHECK_CHILDREN);
    input_->OnLButtonUp(21, 20, 0);
    EXPECT_EQ((Lines{"C:29", "C:36", "A:29", "A:30", "A:36", "A:27"}), Take());
    input_->OnMouseMove(100, 100, 0);
    EXPECT_EQ((Lines{"C:27", "A:26"}), Take());
    EXPECT_EQ(0u, input_->Hovered());
    EXPECT_EQ(0u, input_->OutstandingRecords()) << "every record came back and was freed";
}

TEST_F(InputModuleTest, DoubleClickNeedsTheSamePixelWithinTheInterval)
{
    Plane('A', 10, 10, 40, 40);
    input_->OnMouseMove(20, 20, 0);
    input_->OnLButtonDown(20, 20, 1);
    input_->OnLButtonUp(20, 20, 0);
    Take();
    clock_.Advance(400 - 42);  // Take moved the clock 41 ms; the second press is 400 ms after the first
    input_->OnLButtonDown(20, 20, 1);
    auto lines = Take();
    EXPECT_EQ((Lines{"C:37", "A:37"}), Lines(lines.begin(), lines.begin() + 2)) << "both handle the double click";
    input_->OnLButtonUp(20, 20, 0);
    Take();
    input_->OnLButtonDown(21, 20, 1);  // one pixel away: a plain press
    lines = Take();
    EXPECT_EQ("C:28", lines.front());
}

TEST_F(InputModuleTest, DoubleClickBecomesAPressForObjectsWithoutAHook)
{
    PObject* a = Plane('A', 10, 10, 40, 40);
    a->RemoveEventHook(19840337);
    input_->OnMouseMove(20, 20, 0);
    input_->OnLButtonDown(20, 20, 1);
    input_->OnLButtonUp(20, 20, 0);
    Take();
    input_->OnLButtonDown(20, 20, 1);
    EXPECT_EQ((Lines{"C:37", "A:28"}), Take());
}

TEST_F(InputModuleTest, LongPressFiresOnceAndMovingAfterItTellsTheCursor)
{
    Plane('A', 10, 10, 40, 40);
    input_->OnMouseMove(20, 20, 0);
    input_->OnLButtonDown(20, 20, 1);
    Take();
    Deliver(600);
    EXPECT_EQ((Lines{"C:38", "A:38"}), Take());
    Deliver(600);
    EXPECT_TRUE(Take().empty()) << "one long press per hold";
    input_->OnMouseMove(25, 20, 1);
    EXPECT_EQ((Lines{"C:39", "C:31", "A:31"}), Take());
    input_->OnMouseMove(30, 20, 1);
    EXPECT_EQ((Lines{"C:31", "A:31"}), Take());
}

TEST_F(InputModuleTest, WheelKeysAndCharactersGoToTheFocusedObject)
{
    Plane('A', 10, 10, 40, 40);
    Plane('B', 60, 10, 40, 40);
    input_->OnMouseMove(20, 20, 0);
    input_->OnLButtonDown(20, 20, 1);
    input_->OnLButtonUp(20, 20, 0);
    input_->OnMouseMove(70, 20, 0);  // B hovered, A keeps the focus
    Take();
    input_->OnMouseWheel(70, 20, 0, 0);
    EXPECT_TRUE(Take().empty()) << "a zero delta sends nothing";
    input_->OnMouseWheel(70, 20, -120, 0);
    input_->OnMouseWheel(70, 20, 240, 0);
    EXPECT_EQ((Lines{"C:43", "A:43", "C:42", "A:42"}), Take());
    input_->OnKeyDown(65, 1, 0x1E);
    input_->OnKeyUp(65, 1, 0xC01E);
    EXPECT_EQ((Lines{"C:45", "A:45", "C:46", "A:46"}), Take());
    EXPECT_EQ(65u, log_.data.back().keyReleased);

    log_.Clear();
    input_->OnChar(0xD6, 1, 0);  // lead byte: held
    input_->OnChar(0xD0, 1, 0);  // trail: one character of two bytes
    input_->OnChar('x', 1, 0);
    input_->OnChar(9, 1, 0);     // control characters are dropped
    EXPECT_EQ((Lines{"C:47", "A:47", "C:47", "A:47"}), Take());
    EXPECT_STREQ("\xD6\xD0", log_.data[0].character);
    EXPECT_EQ('\0', log_.data[0].character[2]) << "the two bytes are followed by a terminator";
    EXPECT_STREQ("x", log_.data[2].character);
}

TEST_F(InputModuleTest, ModalRootKeepsOtherObjectsFromHover)
{
    PObject* dialog = Plane('D', 10, 10, 40, 40);
    Plane('B', 60, 10, 40, 40);
    input_->SetModalRoot(dialog->GetId());
    input_->OnMouseMove(70, 20, 0);
    EXPECT_EQ((Lines{"C:27"}), Take());
    EXPECT_EQ(0u, input_->Hovered());
    input_->OnMouseMove(20, 20, 0);
    EXPECT_EQ((Lines{"C:27", "D:25", "D:27"}), Take());
}

TEST_F(InputModuleTest, PointerPositionMatchesTheHitTestWithAnOddWidth)
{
    View(161, 121);  // the viewport's left and top are -1
    Rect viewport;
    objects_->GetViewport(viewport);
    ASSERT_EQ(-1, viewport.left);
    Plane('A', 10, 10, 40, 40);
    input_->OnMouseMove(11, 11, 0);  // world (10, 10): the plane's first pixel
    Take();
    ASSERT_EQ(objects_->ObjectAt(11, 11)->GetId(), input_->Hovered());
    EXPECT_EQ(10, log_.data.back().x);
    EXPECT_EQ(10, log_.data.back().y);
}

TEST_F(InputModuleTest, LosingTheFocusReleasesButtonsHoverAndFocus)
{
    platform::HeadlessWindow window({0, 0, 160, 120});
    input_->SetWindow(&window);
    Plane('A', 10, 10, 40, 40);
    input_->OnMouseMove(20, 20, 0);
    input_->OnLButtonDown(20, 20, 1);
    input_->ShowSystemCursor(false);
    EXPECT_FALSE(window.CursorVisible());
    Take();
    input_->OnKillFocus();
    EXPECT_EQ((Lines{"C:49", "A:49", "A:29", "A:26", "A:53"}), Take());
    EXPECT_EQ(0u, input_->Hovered());
    EXPECT_EQ(0u, input_->Focused());
    EXPECT_TRUE(window.CursorVisible());
    input_->OnLButtonDown(20, 20, 1);
    EXPECT_EQ("C:48", Take().front()) << "the next press is a first press again";
}

TEST_F(InputModuleTest, DisabledInputIgnoresMessagesAndWindowEdgesAreReported)
{
    platform::HeadlessWindow window({0, 0, 160, 120});
    input_->SetWindow(&window);
    Plane('A', 10, 10, 40, 40);
    core_->SendMessage(LUMORA_MODULE_INPUT, LUMORA_MSG_INPUT_SWITCH_CLEAR, 0, 0);
    input_->OnMouseMove(20, 20, 0);
    EXPECT_TRUE(Take().empty());
    core_->SendMessage(LUMORA_MODULE_INPUT, LUMORA_MSG_INPUT_SWITCH_SET, 0, 0);
    window.InjectMouseMove(20, 20);  // the pointer is over the window now
    input_->OnMouseMove(20, 20, 0);
    Take();
    Deliver(120);
    // The cursor object is known by its id (it bears no name here): told to apply its cursor.
    EXPECT_EQ((Lines{std::string("\0:60", 4), "C:50"}), Take()) << "the work step sees the pointer enter";
    window.InjectMouseMove(500, 20);
    Deliver(120);
    auto lines = Take();
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "C:51"));
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "A:51"));
}

} // namespace

// A hook that turns an input code into a code of its owner's (a thumb drag, a drag-move) must
// still carry the input state: the owner reads the pointer from it.
TEST_F(InputModuleTest, TranslatedHooksStillCarryTheInputState)
{
    PlaneObject* p = objects_->NewPlaneObject(40, 40, 0x00808080, nullptr);
    p->MoveTo(30, 30);
    p->Activate();
    p->AddEventHook(EV_LBUTTON_DRAG, recorder_->GetId(), 80000006, 'T', 0);
    p->Redraw();
    input_->OnMouseMove(20, 25, 0);
    input_->OnLButtonDown(20, 25, 0);
    Take();
    log_.Clear();
    input_->OnMouseMove(23, 29, 0);
    const Lines lines = Take();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "T:" + std::to_string(80000006 - 19840300));
    EXPECT_EQ(23, log_.data.back().x);
    EXPECT_EQ(29, log_.data.back().y);
    EXPECT_EQ(3, log_.data.back().dx);
    EXPECT_EQ(4, log_.data.back().dy);
}

// The drag hook of a draggable object names its own move code: the record still carries the
// pointer's movement, so the object follows the pointer.
TEST_F(InputModuleTest, ADraggableObjectFollowsThePointer)
{
    PlaneObject* p = objects_->NewPlaneObject(40, 40, 0x00808080, nullptr);
    p->MoveTo(50, 50);
    p->Activate();
    p->SetDraggable(true);
    p->Redraw();
    input_->OnMouseMove(45, 45, 0);
    input_->OnLButtonDown(45, 45, 0);
    input_->OnMouseMove(52, 41, 0);
    input_->OnMouseMove(53, 44, 0);
    input_->OnLButtonUp(53, 44, 0);
    Take();
    EXPECT_EQ(58.0, p->GetX());
    EXPECT_EQ(49.0, p->GetY());
}

// A text line keeps the keys through a press on what takes none; a holder that goes, or takes none
// when a key comes, gives them back to the latest earlier holder that stands and takes keys.
TEST_F(InputModuleTest, TheKeysStayWithTheTextLineThroughPressesOnWhatTakesNoneAndComeBackWhenTheirHolderGoes)
{
    auto plane = [&](char tag, int x, std::initializer_list<uint32_t> keys) {
        PObject* p = Plane(tag, x, 0, 30, 20);
        for (uint32_t code : {EV_KEY_DOWN, EV_KEY_UP, EV_CHAR})
            p->RemoveEventHook(code);
        for (uint32_t code : keys)
            p->AddEventHook(code, recorder_->GetId(), code, uintptr_t(tag), 0);
        return p;
    };
    PObject *line = plane('L', 0, {EV_CHAR}), *button = plane('B', 40, {}), *list = plane('S', 80, {EV_KEY_DOWN});
    PObject *board = plane('D', 120, {EV_KEY_DOWN}), *other = plane('O', 160, {EV_KEY_DOWN});
    auto press = [&](const PObject* o) {
        input_->OnMouseMove(int(o->GetX()), 10, 0);
        input_->OnLButtonDown(int(o->GetX()), 10, 0);
        input_->OnLButtonUp(int(o->GetX()), 10, 0);
        Deliver();
        return input_->Focused();
    };
    auto show = [&](PObject* o, bool on) { on ? o->Activate() : o->Deactivate(); };
    auto typed = [&]() { // where a character goes
        input_->OnChar('x', 1, 0);
        return input_->Focused();
    };
    press(line);
    EXPECT_EQ(press(button), line->GetId()) << "a button takes no keys";
    EXPECT_EQ(press(list), list->GetId()) << "a list takes them";
    show(list, false);
    Deliver(InputModule::kWorkInterval + 20);
    EXPECT_EQ(input_->Focused(), line->GetId());
    // A pop-up that takes no keys keeps them until a key comes, and loses them to a press.
    input_->SetFocus(button->GetId());
    Deliver(InputModule::kWorkInterval + 20);
    EXPECT_EQ(input_->Focused(), button->GetId());
    EXPECT_EQ(typed(), line->GetId());
    input_->SetFocus(board->GetId());
    EXPECT_EQ(press(button), button->GetId());
    // Two boards back to back over the pop-up, both closed.
    input_->SetFocus(board->GetId());
    input_->SetFocus(other->GetId());
    show(board, false);
    show(other, false);
    EXPECT_EQ(typed(), line->GetId());
    // The window lost the keyboard while the list held it.
    show(list, true);
    press(list);
    input_->SetFocus(0);
    input_->SetFocus(list->GetId());
    show(list, false);
    EXPECT_EQ(typed(), 0u);
}
