// The chat box's pointer, selection, keys, focus, caret and links.
#include "widgets/CPglChatBox.h"

#include "engine/input/InputData.h"
#include "engine/input/InputModule.h"
#include "engine/object/PlaneObject.h"
#include "platform/Clipboard.h"
#include "platform/InputMethod.h"
#include "platform/KeyboardState.h"
#include "platform/Shell.h"
#include "widgets/CPglChatObject.h"
#include "widgets/CPglHighCharacter.h"
#include "widgets/InputEditing.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

using namespace chat_flag;
using namespace chat_style;

namespace {

constexpr uint32_t kCaretLinks = 0x1C0A3;

} // namespace

void CPglChatBox::OpenUrl(std::string_view address, LinkOrigin) { platform::OpenUrl(address); }

void CPglChatBox::OpenAddressRun(const ChatElement* element)
{
    if (!element || !element->Is(kAddressText))
        return;
    // The run of address-text elements around the one clicked.
    std::string run;
    bool contains = false;
    for (const ChatElement* e = doc_.layout.First(); e; e = e->next) {
        if (e->Is(kAddressText)) {
            run += e->Text();
            contains |= e == element;
        } else if (contains) {
            break;
        } else {
            run.clear();
        }
    }
    if (contains)
        OpenUrl(run);
}

PObject* CPglChatBox::FindLinkObject(uint32_t id) const { return id ? FindById(id) : nullptr; }

void CPglChatBox::ScreenToContent(int& x, int& y) const
{
    if (!text_)
        return;
    x = x - int(text_->GetLeft()) + doc_.layout.ScrollX();
    y = y - int(text_->GetTop()) + doc_.layout.ScrollY();
}

bool CPglChatBox::InView(int x, int y) const
{
    return text_ && x >= text_->GetLeft() && x < text_->GetLeft() + doc_.layout.viewWidth && y >= text_->GetTop() &&
           y < text_->GetTop() + doc_.layout.viewHeight;
}

void CPglChatBox::ShowHandCursor() { ShowWidgetCursor(*this, true); }
void CPglChatBox::ShowArrowCursor() { ShowWidgetCursor(*this, false); }

void CPglChatBox::OnMouseHover(int x, int y)
{
    ScreenToContent(x, y);
    const ChatElement* e = doc_.layout.ElementAtPoint(x, y);
    auto leaveHovered = [this] {
        if (auto* old = dynamic_cast<CPglHighCharacter*>(FindLinkObject(hoveredLink_)))
            old->OnHoverLeave();
        hoveredLink_ = 0;
    };
    if (e && e->Is(kAddressText)) {
        ShowHandCursor();
        leaveHovered();
        return;
    }
    auto* link = e && e->Is(kLink) ? dynamic_cast<CPglHighCharacter*>(FindLinkObject(e->linkId)) : nullptr;
    if (!link) {
        ShowArrowCursor();
        leaveHovered();
        return;
    }
    if (link->GetId() != hoveredLink_) {
        leaveHovered();
        link->OnHoverEnter();
    }
    link->OnHoverMove();
    hoveredLink_ = link->GetId();
}

void CPglChatBox::OnMouseDown(int x, int y)
{
    if (auto* input = dynamic_cast<InputModule*>(GetInputModule()))
        input->SetFocus(GetId());
    ScreenToContent(x, y);
    ChatLayout& layout = doc_.layout;
    // A press opens the link under it (the character itself, not the caret place beside it).
    if (const ChatElement* hit = layout.ElementAtPoint(x, y)) {
        if (hit->Is(kAddressText))
            OpenAddressRun(hit);
        else if (hit->Is(kLink))
            if (auto* link = dynamic_cast<CPglHighCharacter*>(FindLinkObject(hit->linkId)))
                link->Open();
    }
    if (!(style_ & kSelectable))
        return;
    ClearSelection();
    ChatElement* caret = layout.CaretElementAt(x, y);
    if (style_ & kEditable)
        layout.SetCaret(caret);
    PlaceCaret(caret);
    anchorX_ = pointX_ = x;
    anchorY_ = pointY_ = y;
    dragging_ = true;
}

void CPglChatBox::OnMouseDrag(int x, int y)
{
    if (!dragging_ || !text_)
        return;
    ChatLayout& layout = doc_.layout;
    const int left = int(text_->GetLeft()), top = int(text_->GetTop());
    x = std::clamp(x, left, left + std::max(0, layout.viewWidth - 1));
    y = std::clamp(y, top, top + std::max(0, layout.viewHeight - 1));
    const int step = std::max(1, doc_.format.height);
    if (!layout.singleLine) {
        if (y <= top)
            layout.ScrollTo(layout.ScrollY() - step);
        else if (y >= top + layout.viewHeight - 1)
            layout.ScrollTo(layout.ScrollY() + step);
    } else if (x <= left) {
        layout.ScrollTo(layout.ScrollX() - step / 2);
    } else if (x >= left + layout.viewWidth - 1) {
        layout.ScrollTo(layout.ScrollX() + step / 2);
    }
    ScreenToContent(x, y);
    pointX_ = x;
    pointY_ = y;
    layout.Select(layout.CaretElementAt(anchorX_, anchorY_), layout.CaretElementAt(pointX_, pointY_));
    RequestRefresh();
    RedrawSelection();
}

void CPglChatBox::OnMouseUp(int, int) { dragging_ = false; }

void CPglChatBox::OnDoubleClick(int x, int y)
{
    ScreenToContent(x, y);
    ChatLayout& layout = doc_.layout;
    ChatElement* e = layout.ElementAtPoint(x, y);
    if (!e)
        return;
    if (e->Is(kTwoByte)) {
        layout.Select(layout.CaretElementAt(anchorX_, anchorY_), e->next);
        RedrawSelection();
        return;
    }
    int sx = x, sy = y;
    // SelectWord takes screen points like the other handlers.
    if (text_) {
        sx = x - layout.ScrollX() + int(text_->GetLeft());
        sy = y - layout.ScrollY() + int(text_->GetTop());
    }
    SelectWord(sx, sy);
}

void CPglChatBox::SelectWord(int x, int y)
{
    ScreenToContent(x, y);
    ChatLayout& layout = doc_.layout;
    ChatElement* target = layout.ElementAtPoint(x, y);
    if (!target)
        return;
    auto isBreak = [](const ChatElement* e) { return e->Is(kLineBreak) || (e->Is(kOneByte) && e->code == ' '); };
    ChatElement* start = layout.First();
    for (ChatElement* e = layout.First(); e && e != target; e = e->next)
        if (isBreak(e))
            start = e->next;
    ChatElement* end = target;
    while (end && !isBreak(end))
        end = end->next;
    layout.Select(start, end);
    RedrawSelection();
}

void CPglChatBox::ClearSelection()
{
    doc_.layout.ClearSelection();
    RedrawSelection();
}

std::string CPglChatBox::TextOf(const ChatElement* from, const ChatElement* to) const
{
    return doc_.layout.TextOf(from, to, [this](uint32_t id) {
        auto* object = dynamic_cast<CPglChatObject*>(FindById(id));
        return object ? object->GetText() : std::string();
    });
}

bool CPglChatBox::CopySelection()
{
    if ((style_ & kPassword) || dragging_ || !doc_.layout.HasSelection())
        return false;
    const ChatLayout& layout = doc_.layout;
    const ChatElement* a = layout.SelectionFrom();
    const ChatElement* b = layout.SelectionTo();
    if (layout.IndexOf(a) > layout.IndexOf(b))
        std::swap(a, b);
    return platform::CurrentClipboard().SetText(TextOf(a, b));
}

void CPglChatBox::OnKey(uint32_t key, uint32_t)
{
    if (key == 'C' && platform::CurrentKeyboardState().IsCtrlDown())
        CopySelection();
}

void CPglChatBox::OnKillFocus()
{
    doc_.layout.SetCaret(nullptr);
    HideCaret();
    if (style_ & kHideOnFocusLoss) {
        Deactivate();
        Redraw();
    }
}

bool CPglChatBox::IsCaretShown() const { return caretShown_; }

void CPglChatBox::CreateCaret()
{
    if (caret_ || !text_)
        return;
    caret_ = NewPlaneObject(1, 10, doc_.format.colour);
    if (!caret_)
        return;
    PlaneObject* parent = selection_ ? selection_ : text_;
    caret_->SetZ(parent->GetZ() + 0.01);
    caret_->Deactivate();
    parent->AddChild(caret_, kCaretLinks);
}

void CPglChatBox::PlaceCaret(ChatElement* element)
{
    if (!caret_ || !text_)
        return;
    const ChatLayout& layout = doc_.layout;
    const CaretPlace place = PlaceOfCaret(layout, element, doc_.format.height);
    const int height = std::max(1, place.height);
    caret_->SetBackgroundColour(doc_.format.colour);
    caret_->ResizeSurface(1, height);
    caret_->SetSize(1, height);
    caret_->Clear();
    const double left = text_->GetLeft() + place.x - layout.ScrollX();
    const double top = text_->GetTop() + place.rowTop - layout.ScrollY();
    caret_->MoveTo(left + 0.5, top + height / 2.0);
    caret_->Activate();
    caret_->Redraw();
    CancelObjectActions(caret_->GetId());
    ActBlink(caret_, 1.0, -1, 500, 1.0, 0.0, nullptr);
    caretShown_ = true;
    // The input method shows its composition at the caret, in client pixels.
    Rect viewport;
    GetViewport(viewport);
    platform::CurrentInputMethod().SetCompositionPoint(int(left) - viewport.left, int(top) - viewport.top);
}

void CPglChatBox::HideCaret()
{
    caretShown_ = false;
    if (!caret_)
        return;
    CancelObjectActions(caret_->GetId());
    caret_->Deactivate();
    caret_->Redraw();
}

} // namespace Lumora
