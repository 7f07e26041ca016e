// Input boxes driven through the input module: typing GBK text, limits, caret keys, paste,
// copy, history, submit, hints, focus, digits-only boxes and the framed field.
#include "tests/widgets/ChatBoxFixture.h"
#include "platform/InputMethod.h"
#include "widgets/CGameInputBox.h"
#include "widgets/CSafeBoxInput.h"
#include "widgets/CXyInputBox.h"

namespace {

using namespace widgettest;
using namespace Lumora;

constexpr uint32_t kSubmitCode = 80000076;

// Copies every submitted text while the event is dispatched (the buffer is the sender's).
class SubmitProbe : public ProbeObject {
public:
    int OnEvent(const EventRecord& r) override
    {
        if (r.code == kSubmitCode)
            texts.emplace_back(reinterpret_cast<const char*>(r.param1));
        return ProbeObject::OnEvent(r);
    }
    std::vector<std::string> texts;
};

class InputBoxTest : public ChatBoxFixture {
protected:
    template <typename B = CXyInputBox>
    B* MakeInput(uint32_t style, int width = 140)
    {
        auto* box = E().Make<B>();
        box->Create(width, 16, style);
        box->MoveTo(100 + width / 2, 108);
        box->SetBackgroundColor(0xFFFFFF);
        E().Show(*box);
        box->EnableKeyboard();
        box->TakeFocus();
        E().Settle();
        return box;
    }
    SubmitProbe* Probe() { return E().Register(new SubmitProbe); }
};

TEST_F(InputBoxTest, TypedGbkTextIsInsertedAtTheCaret)
{
    auto* box = MakeInput(chat_style::kSingleLine);
    E().Type("ab中");
    EXPECT_EQ(box->GetText(), "ab中");
    EXPECT_EQ(box->GetLength(), 4);
    E().Key(37);  // Left: before 中
    E().Key(37);  // before b
    E().Type("X");
    EXPECT_EQ(box->GetText(), "aXb中");
    E().Key(8);  // Backspace removes X
    EXPECT_EQ(box->GetText(), "ab中");
    E().Key(46);  // Delete removes b
    EXPECT_EQ(box->GetText(), "a中");
    E().Key(39);
    E().Key(39);
    E().Type("<c=255>");  // typed one by one: shown as written
    EXPECT_EQ(box->GetText(), "a中<c=255>");
}

TEST_F(InputBoxTest, TheLimitCutsWhatComesNotWhatIsThere)
{
    auto* box = MakeInput(chat_style::kSingleLine);
    box->SetMaxLength(5);
    box->AppendText("abcd");
    E().Key(37);
    E().Key(37);
    E().Key(37);  // caret after 'a'
    clipboard_.SetText("XYZ");
    CtrlKey(86);
    EXPECT_EQ(box->GetText(), "aXbcd");
    E().Type("Q");
    EXPECT_EQ(box->GetText(), "aXbcd");
    box->Clear();
    box->AppendText("abc");
    box->AppendText("defg");
    EXPECT_EQ(box->GetText(), "abcde");
}

TEST_F(InputBoxTest, PasteAndCopyGoThroughTheClipboard)
{
    auto* probe = Probe();
    auto* box = MakeInput(chat_style::kSingleLine | 0x100000);
    box->SetNotify(probe->GetId(), kSubmitCode, false);
    clipboard_.SetText("粘贴");
    CtrlKey(86);
    EXPECT_EQ(box->GetText(), "粘贴");
    EXPECT_EQ(probe->texts.back(), "粘贴");  // live notify submits after the paste
    E().Key(86);  // V without Ctrl types nothing
    EXPECT_EQ(box->GetText(), "粘贴");

    // Nothing on the clipboard pastes nothing, and still notifies.
    clipboard_.Clear();
    const size_t before = probe->texts.size();
    CtrlKey(86);
    EXPECT_EQ(box->GetText(), "粘贴");
    EXPECT_EQ(probe->texts.size(), before + 1);

    box->MutableContent().Select(box->Content().First(), nullptr);
    CtrlKey(67);
    EXPECT_EQ(clipboard_.GetText(), std::optional<std::string>("粘贴"));
    box->SetPasswordMode(true);
    clipboard_.Clear();
    box->MutableContent().Select(box->Content().First(), nullptr);
    CtrlKey(67);
    EXPECT_FALSE(clipboard_.GetText());
}

TEST_F(InputBoxTest, EnterSubmitsAndRecordsHistoryThatUpAndDownRecall)
{
    auto* probe = Probe();
    auto* box = MakeInput(chat_style::kSingleLine | chat_style::kHistory);
    box->SetNotify(probe->GetId(), kSubmitCode, false);
    E().Type("a");
    E().Key(13);
    box->Clear();
    E().Type("b");
    E().Key(13);
    EXPECT_EQ(probe->texts, (std::vector<std::string>{"a", "b"}));
    E().Key(38);
    EXPECT_EQ(box->GetText(), "a");
    EXPECT_TRUE(box->Content().HasSelection());
    E().Key(38);
    EXPECT_EQ(box->GetText(), "b");
    E().Key(40);
    EXPECT_EQ(box->GetText(), "a");
    // Typing over the recalled line replaces the selection.
    E().Type("z");
    EXPECT_EQ(box->GetText(), "z");

    // Without a target Enter starts a new line instead.
    auto* multi = MakeInput(0);
    E().Type("x");
    E().Key(13);
    E().Type("y");
    EXPECT_EQ(multi->GetText(), "x\ny");
}

TEST_F(InputBoxTest, HintsClearOnTheFirstKeyPressOrFocus)
{
    auto* box = MakeInput(chat_style::kSingleLine);
    box->ShowHint("请输入", 0x808080);
    EXPECT_TRUE(box->IsHintShown());
    EXPECT_EQ(box->GetElementAt(0)->colour, 0x808080u);
    EXPECT_NE(box->Format().colour, 0x808080u);
    E().Key(39);
    EXPECT_FALSE(box->IsHintShown());
    EXPECT_EQ(box->GetText(), "");

    box->ShowHint("hint", 0x808080);
    E().Click(110, 108);
    EXPECT_FALSE(box->IsHintShown());
    EXPECT_EQ(box->GetText(), "");
}

TEST_F(InputBoxTest, TabEscapeAndTheInputMethodFollowTheFocus)
{
    platform::RecordingInputMethod ime;
    platform::SetCurrentInputMethod(&ime);
    auto* first = MakeInput(chat_style::kSingleLine);
    auto* second = E().Make<CXyInputBox>();
    second->Create(100, 16, chat_style::kSingleLine);
    second->MoveTo(150, 208);
    E().Show(*second);
    second->EnableKeyboard();
    first->SetNextBox(second);
    first->TakeFocus();
    E().Type("ab");
    const int moves = ime.Moves();
    E().Key(9);
    EXPECT_EQ(E().Input().Focused(), second->GetId());
    EXPECT_GT(ime.Moves(), moves);
    EXPECT_EQ(ime.Y(), 200);  // the caret's top in client pixels
    E().Type("c");
    EXPECT_EQ(second->GetText(), "c");
    E().Key(27);
    EXPECT_EQ(E().Input().Focused(), 0u);
    // A next box that is gone takes no focus.
    first->TakeFocus();
    E().Objects().UnregisterObject(second->GetId());
    E().Key(9);
    EXPECT_EQ(E().Input().Focused(), first->GetId());
    platform::SetCurrentInputMethod(nullptr);
}

TEST_F(InputBoxTest, SafeBoxInputsTakeDigitsOnlyAndOnlyWhenAllowed)
{
    auto* box = MakeInput<CSafeBoxInput>(chat_style::kSingleLine);
    box->SetInputFlags(7);
    E().Type("7x8");
    EXPECT_EQ(box->GetText(), "78");
    EXPECT_TRUE(box->GetElementAt(0)->Is(chat_flag::kBold));
    clipboard_.SetText("1a2<c=255>3");
    CtrlKey(86);
    EXPECT_EQ(box->GetText(), "78122553");  // the paste keeps its digits only ("255" included)

    box->SetInputFlags(0);
    E().Type("9");
    E().Key(8);
    CtrlKey(86);
    EXPECT_EQ(box->GetText(), "78122553");
}

TEST_F(InputBoxTest, APasteOfAHundredKilobytesIntoATwentyByteBoxKeepsTwenty)
{
    auto* box = MakeInput(chat_style::kSingleLine);
    box->SetMaxLength(20);
    std::string clip;
    while (clip.size() < 100 * 1024)
        clip += "粘贴 text ";
    clipboard_.SetText(clip);
    CtrlKey(86);
    EXPECT_EQ(box->GetLength(), 20);
    EXPECT_EQ(box->GetText(), clip.substr(0, 20));
}

TEST_F(InputBoxTest, TheFramedFieldTakesThePictureSize)
{
    E().AddSkin("InputBoxBkg", SolidFrames(30, 21, {0x123456}));
    E().LoadSkins();
    auto* field = E().Make<CGameInputBox>();
    field->MoveTo(300, 300);
    field->CreateFromSkin();
    field->Layout();
    EXPECT_EQ(field->GetBoxWidth(), 30);
    EXPECT_EQ(field->GetBoxHeight(), 21);
    ASSERT_NE(field->GetInner(), nullptr);
    EXPECT_EQ(field->GetInputFlags(), 7u);
    field->SetWidth(-1);
    EXPECT_EQ(field->GetBoxWidth(), 30);
    field->SetWidth(60);
    EXPECT_EQ(field->GetFrame()->GetSurfaceWidth(), 60);
    EXPECT_EQ(PixelOf(*field->GetFrame(), 0, 0), 0x123456u);
    EXPECT_EQ(PixelOf(*field->GetFrame(), 30, 10), 0xDCF0E6u);
    field->FillFrame(0, 0, 60, 21, 0xFF00FF);
    EXPECT_EQ(PixelOf(*field->GetFrame(), 30, 10), 0xDCF0E6u);
    field->SetText("12");
    EXPECT_EQ(field->GetText(), "12");
}

} // namespace
