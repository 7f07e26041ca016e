#include "widgets/CXyInputBox.h"

#include "engine/input/InputData.h"
#include "engine/input/InputModule.h"
#include "platform/Clipboard.h"
#include "platform/KeyboardState.h"
#include "widgets/InputEditing.h"

#include <cstring>

namespace Lumora {

using namespace chat_style;

namespace {

enum Key : uint32_t {
    kBack = 8, kTab = 9, kEnter = 13, kEscape = 27, kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46,
    kC = 67, kV = 86,
};

const InputData* DataOf(const EventRecord& r) { return r.param2 ? reinterpret_cast<const InputData*>(r.param2) : nullptr; }

} // namespace

void CXyInputBox::Create(int width, int height, uint32_t style)
{
    CPglChatBox::Create(width, height, style | 0x24006, 512);
    SetFontSize(height - 2);
    AddFlags(OBJ_TOP_LEVEL);
    AddSelfEventHook(EV_CHAR);
    RequestRefresh();
}

void CXyInputBox::SetNotify(uint32_t targetId, uint32_t code, bool deactivateAfterSend)
{
    notifyTarget_ = targetId;
    notifyCode_ = code;
    deactivateAfterSend_ = deactivateAfterSend;
}

int CXyInputBox::OnEvent(const EventRecord& r)
{
    if (r.code == EV_KEY_DOWN || r.code == EV_CHAR) {
        if (const InputData* data = DataOf(r))
            r.code == EV_KEY_DOWN ? OnKeyDown(*data) : OnChar(*data);
        return 1;
    }
    return CPglChatBox::OnEvent(r);
}

bool CXyInputBox::ParseObjectTag(std::string_view) { return false; }

void CXyInputBox::AppendLimited(const Markup& text, const Markup& before, const Markup& after)
{
    const std::optional<std::string_view> allowed = AppendAllowance(text.Text(), GetLength(), maxLength_);
    if (!allowed) {
        OnLengthLimit();
        return;
    }
    if (allowed->empty())
        return;
    CPglChatBox::AppendText(before + text.Cut(size_t(allowed->data() - text.Text().data()), allowed->size()) + after);
}

void CXyInputBox::AppendText(const Markup& text) { AppendLimited(text, {}, {}); }

void CXyInputBox::ClearHint()
{
    if (!hintShown_)
        return;
    Clear();
    hintShown_ = false;
}

void CXyInputBox::OnMouseDown(int x, int y)
{
    CPglChatBox::OnMouseDown(x, y);
    ClearHint();
}

void CXyInputBox::OnKeyDown(const InputData& data)
{
    ClearHint();
    if (HandleKey(data.key, data))
        return;
    if (!IsDragging() && data.key == kC && platform::CurrentKeyboardState().IsCtrlDown())
        CopySelection();
}

void CXyInputBox::MoveCaretBy(int move)
{
    if (IsDragging() || !IsCaretShown())
        return;
    if (MoveCaret(MutableContent(), CaretMove(move), Format().height)) {
        ClearSelection();
        PlaceCaret(Content().Caret());
        RequestRefresh();
    }
}

void CXyInputBox::Recall(bool previous)
{
    Clear();
    const std::string line = previous ? history_.Previous() : history_.Next();
    AppendTyped(line);
    MutableContent().Select(Content().First(), nullptr);
    RedrawSelection();
}

bool CXyInputBox::HandleKey(uint32_t key, const InputData&)
{
    const bool live = GetStyle() & kLiveNotify;
    const bool recall = (GetStyle() & kSingleLine) && (GetStyle() & kHistory) && !history_.Empty();
    switch (key) {
    case kBack:
        Backspace();
        if (live)
            Submit();
        return true;
    case kTab: FocusNext(); return true;
    case kEnter: OnEnter(); return true;
    case kEscape: DropFocus(); return true;
    case kLeft: MoveCaretBy(int(CaretMove::Left)); return true;
    case kRight: MoveCaretBy(int(CaretMove::Right)); return true;
    case kUp:
        recall ? Recall(true) : MoveCaretBy(int(CaretMove::Up));
        return true;
    case kDown:
        recall ? Recall(false) : MoveCaretBy(int(CaretMove::Down));
        return true;
    case kDelete:
        DeleteForward();
        if (live)
            Submit();
        return true;
    case kV:
        if (!platform::CurrentKeyboardState().IsCtrlDown())
            return false;
        Paste();
        return true;
    default:
        return false;
    }
}

void CXyInputBox::OnEnter()
{
    if ((GetStyle() & kSingleLine) && notifyTarget_ && notifyCode_) {
        Submit();
        if (deactivateAfterSend_) {
            Deactivate();
            Redraw();
        }
        return;
    }
    AppendText("\r\n");
}

void CXyInputBox::Submit()
{
    // The buffer lives until the synchronous send returns; receivers copy what they keep.
    const std::string text = GetText();
    if (GetStyle() & kHistory)
        AddHistory(text);
    SendEvent({notifyTarget_, notifyCode_, reinterpret_cast<uintptr_t>(text.c_str()), reinterpret_cast<uintptr_t>(this)});
}

void CXyInputBox::AddHistory(std::string_view text)
{
    if (GetStyle() & kHistory)
        history_.Add(text);
}

void CXyInputBox::OnChar(const InputData& data)
{
    AppendTyped(std::string_view(data.character, strnlen(data.character, sizeof data.character)));
    if (GetStyle() & kLiveNotify)
        Submit();
}

void CXyInputBox::Paste()
{
    if (const std::optional<std::string> text = platform::CurrentClipboard().GetText())
        AppendTyped(*text);
    if (GetStyle() & kLiveNotify)
        Submit();
}

void CXyInputBox::FocusNext()
{
    if (auto* next = dynamic_cast<CXyInputBox*>(FindById(nextBox_)))
        next->TakeFocus();
}

void CXyInputBox::DropFocus()
{
    if (auto* input = dynamic_cast<InputModule*>(GetInputModule()))
        input->SetFocus(0);
}

std::string CXyInputBox::GetText() const { return EditText(Content()); }

int CXyInputBox::GetLength() const { return EditLength(Content()); }

void CXyInputBox::SetPasswordMode(bool on)
{
    SetStyle(on ? GetStyle() | kPassword : GetStyle() & ~kPassword);
    RequestRefresh();
}

void CXyInputBox::SetNextBox(CXyInputBox* box) { nextBox_ = box ? box->GetId() : 0; }

void CXyInputBox::GiveFocus(bool toFront)
{
    if (toFront)
        BringToFront();
    if (auto* input = dynamic_cast<InputModule*>(GetInputModule()))
        input->SetFocus(GetId());
    PlaceCaret(Content().Caret());
    ClearHint();
}

void CXyInputBox::TakeFocus() { GiveFocus(true); }

void CXyInputBox::EnableKeyboard()
{
    SetSelectable(true);
    for (uint32_t code : {uint32_t(EV_CHAR), uint32_t(EV_KEY_DOWN)}) {
        RemoveEventHook(code);
        AddSelfEventHook(code);
    }
}

void CXyInputBox::DisableKeyboard()
{
    SetStyle(GetStyle() & ~kSelectable);
    RemoveEventHook(EV_CHAR);
    RemoveEventHook(EV_KEY_DOWN);
}

void CXyInputBox::ShowHint(std::string_view text, uint32_t colour)
{
    Clear();
    const uint32_t saved = Format().colour;
    SetTextColor(colour);
    AppendTyped(text);
    hintShown_ = true;
    SetTextColor(saved);
}

} // namespace Lumora
