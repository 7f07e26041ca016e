// The chat box: construction, style, layout, background, moves and event dispatch.
#include "widgets/CPglChatBox.h"

#include "engine/geometry/Geometry.h"
#include "engine/input/InputData.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/ImageRecord.h"
#include "engine/paint/Surface.h"
#include "widgets/CPglChatObject.h"
#include "widgets/CPglHighCharacter.h"
#include "widgets/CXyScrollBar.h"

#include <algorithm>

namespace Lumora {

using namespace chat_flag;
using namespace chat_style;

namespace {

constexpr uint32_t kTextPlaneLinks = 0x1980A3;
// The selection plane (and the caret on it) goes with the text plane: without the owned bit a
// box that is released, as every input box of a closing dialog is, left both planes behind.
constexpr uint32_t kSelectionLinks = 0x19C0A2 | LINK_OWNED;

bool MouseAt(const EventRecord& r, int& x, int& y)
{
    if (!r.param2)
        return false;
    const auto* data = reinterpret_cast<const InputData*>(r.param2);
    x = data->x;
    y = data->y;
    return true;
}

} // namespace

bool CPglChatBox::Document::MarkupPictureExists(std::string_view name)
{
    PictureInfo picture;
    box_.GetPicture(picture, std::string(name).c_str(), 0);
    return picture.image != nullptr;
}

CPglChatBox::CPglChatBox() : doc_(*this)
{
    doc_.layout.SetFreeHook([this](const ChatElement& e) { FreeElement(e); });
}

CPglChatBox::~CPglChatBox()
{
    // The objects and link objects the elements name belong to the box: nothing else releases
    // them. Freed here, while the box's own members still live.
    doc_.layout.Clear();
    doc_.layout.SetFreeHook(nullptr);
}

void CPglChatBox::Create(int width, int height, uint32_t style, int32_t userValue)
{
    boxWidth_ = width;
    boxHeight_ = height;
    SetSize(width, height);
    background_ = NewPlaneObject(std::max(width, 1), std::max(height, 1), kColourKey);
    text_ = NewPlaneObject(std::max(width, 1), std::max(height, 1), kColourKey);
    if (!background_ || !text_)
        return;
    background_->MoveTo(GetX(), GetY());
    SetBody(background_, kBodyLinks);
    text_->SetZ(background_->GetZ() + 0.01);
    background_->AddChild(text_, kTextPlaneLinks);
    userValue_ = userValue;
    SetStyle(style);
    Layout(width, height);
    const int32_t fontHeight = GetSetting(5);
    doc_.format.height = fontHeight > 0 ? fontHeight : 14;
    Clear();
}

void CPglChatBox::SetStyle(uint32_t style)
{
    style_ = style;
    doc_.layout.Touch();  // password display and modes change how everything is drawn
    doc_.style = style;
    doc_.layout.singleLine = style & kSingleLine;
    doc_.layout.editable = style & kEditable;
    AddFlags(OBJ_TOP_LEVEL);
    for (uint32_t code : {uint32_t(EV_MOUSE_MOVE), uint32_t(EV_FOCUS_LEFT), uint32_t(EV_WHEEL_FORWARD),
                          uint32_t(EV_WHEEL_BACKWARD)}) {
        RemoveEventHook(code);
        AddSelfEventHook(code);
    }
    if (style & kSelectable) {
        SetSelectable(true);
        if (!selection_ && text_) {
            selection_ = NewPlaneObject(std::max(doc_.layout.viewWidth, 1), std::max(doc_.layout.viewHeight, 1), kColourKey);
            if (selection_) {
                selection_->SetZ(text_->GetZ() + 0.01);
                selection_->MoveTo(text_->GetX(), text_->GetY());
                selection_->AddFlags(kDrawInvert);
                text_->AddChild(selection_, kSelectionLinks);
            }
        }
        if (style & kEditable)
            CreateCaret();
    } else {
        SetSelectable(false);
    }
    if (style & kScrollBars) {
        CreateScrollBars();
        UpdateScrollBars();
    } else {
        for (CXyScrollBar** bar : {&vbar_, &hbar_})
            if (*bar) {
                ReleaseObject(*bar, false);
                *bar = nullptr;
            }
        vShown_ = hShown_ = false;
    }
    if (style & kDecoration)
        CreateDecoration();
}

void CPglChatBox::SetSelectable(bool on)
{
    const uint32_t codes[] = {EV_LBUTTON_DOWN, EV_LBUTTON_UP, EV_LBUTTON_DRAG, EV_LBUTTON_DOUBLE, EV_KEY_DOWN};
    for (uint32_t code : codes)
        if (on || code != EV_LBUTTON_UP)
            RemoveEventHook(code);
    if (on)
        for (uint32_t code : codes)
            AddSelfEventHook(code);
    style_ = on ? style_ | kSelectable : style_ & ~kSelectable;
    doc_.style = style_;
}

void CPglChatBox::SetLinksEnabled(bool on)
{
    style_ = on ? style_ | kLinks : style_ & ~kLinks;
    doc_.style = style_;
}

void CPglChatBox::Layout(int width, int height)
{
    if (!text_ || width <= 0 || height <= 0)
        return;
    ChatLayout& layout = doc_.layout;
    // A shown bar takes its room from the view and stands along the edge.
    if (vShown_ && vbar_) {
        const int barWidth = int(vbar_->GetWidth() + 0.5);
        width = std::max(1, width - barWidth);
        vbar_->SetSize(barWidth, height);
        vbar_->MoveTo(GetLeft() + marginX_ + width + barWidth / 2.0 + VerticalBarOffset(), GetTop() + marginY_ + height / 2.0);
        vbar_->Redraw();
    }
    if (hShown_ && hbar_) {
        const int barHeight = int(hbar_->GetHeight() + 0.5);
        height = std::max(1, height - barHeight);
        hbar_->SetSize(width, barHeight);
        hbar_->MoveTo(GetLeft() + marginX_ + width / 2.0, GetTop() + marginY_ + height + barHeight / 2.0);
        hbar_->Redraw();
    }
    layout.viewWidth = width;
    layout.viewHeight = height;
    for (PlaneObject* plane : {text_, selection_}) {
        if (!plane)
            continue;
        plane->ResizeSurface(width, height);
        plane->SetSize(width, height);
        plane->MoveTo(GetLeft() + marginX_ + width / 2.0, GetTop() + marginY_ + height / 2.0);
    }
    // Embedded objects learn the new view and may change their size.
    for (ChatElement* e = layout.First(); e; e = e->next) {
        if (!e->Is(kObject))
            continue;
        if (PObject* object = FindById(e->code)) {
            SendEvent({e->code, EV_OBJECT_RESIZE, uintptr_t(width), uintptr_t(height)});
            // An element object measures itself as it did when appended: a list row's height
            // includes its unfolded detail, which its face's height does not.
            const auto* element = dynamic_cast<const CPglChatObject*>(object);
            const int w = element ? element->GetWidthPixels() : int(object->GetWidth());
            const int h = element ? element->GetHeightPixels() : int(object->GetHeight());
            e->width = uint16_t(std::clamp(w, 0, 0xFFFF));
            e->height = uint16_t(std::clamp(h, 0, 0xFFFF));
        }
    }
    if (layout.ElementCount() > 0) {
        layout.Reflow();
        ScrollAfterAppend();
    }
    ApplyClip();
    RefreshContent(false);
}

Rect CPglChatBox::ViewClip() const
{
    const Rect view{int(text_->GetLeft()), int(text_->GetTop()), int(text_->GetLeft()) + doc_.layout.viewWidth,
                    int(text_->GetTop()) + doc_.layout.viewHeight};
    // The text plane is not clip-linked to the box: the box cuts it, and what it places, here.
    if (!(Geometry().flags & OBJ_CLIP))
        return view;
    Rect cut;
    IntersectRect(cut, view, Geometry().clip);
    return cut;
}

void CPglChatBox::ApplyClip()
{
    if (!text_)
        return;
    const Rect view = ViewClip();
    text_->SetClipRect(view);
    for (uint32_t id : placed_)
        if (PObject* object = FindById(id))
            object->SetClipRect(view);
}

// Embedded objects belong to the box (it alone owns them) and are placed by each redraw, so a
// move or a change of activation redraws them.
void CPglChatBox::MoveTo(double x, double y)
{
    CLumoraGui::MoveTo(x, y);
    ApplyClip();
    if (!placed_.empty())
        RequestRefresh();
}

void CPglChatBox::MoveBy(double dx, double dy)
{
    CLumoraGui::MoveBy(dx, dy);
    ApplyClip();
    if (!placed_.empty())
        RequestRefresh();
}

void CPglChatBox::SetClipRect(const Rect& rect)
{
    CLumoraGui::SetClipRect(rect);
    ApplyClip();
}

void CPglChatBox::Activate()
{
    CLumoraGui::Activate();
    RequestRefresh();
}

void CPglChatBox::Deactivate()
{
    HideAllPlaced();
    CLumoraGui::Deactivate();
}

void CPglChatBox::ScaleBy(double sx, double sy)
{
    CLumoraGui::ScaleBy(sx, sy);
    Layout(int(doc_.layout.viewWidth * sx), int(doc_.layout.viewHeight * sy));
}

void CPglChatBox::SetDraggable(bool)
{
    if (background_)
        background_->AddEventHook(EV_LBUTTON_DRAG, GetId(), EV_DRAG_MOVE, 0, 0);
}

void CPglChatBox::SetMargin(int x, int y)
{
    marginX_ = x;
    marginY_ = y;
    Layout(doc_.layout.viewWidth, doc_.layout.viewHeight);
}

void CPglChatBox::SetMaxLines(int rows)
{
    doc_.layout.maxRows = rows;
    TrimRows();
    RequestRefresh();
}

void CPglChatBox::RedrawBackground()
{
    if (!background_)
        return;
    background_->Clear();
    if ((style_ & kBackgroundPicture) && !backgroundPicture_.empty()) {
        PictureInfo picture;
        GetPicture(picture, backgroundPicture_.c_str(), 0);
        if (picture.image)
            DrawBackgroundPicture(picture, 0, 0, background_->GetSurfaceWidth(), background_->GetSurfaceHeight());
    }
    background_->Redraw();
}

void CPglChatBox::ResizeBackground(int width, int height)
{
    if (!background_ || width <= 0 || height <= 0)
        return;
    background_->ResizeSurface(width, height);
    background_->SetSize(width, height);
    RedrawBackground();
}

void CPglChatBox::SetBackgroundColor(uint32_t colour)
{
    style_ = (style_ & ~kBackgroundPicture) | kBackgroundColour;
    if (background_)
        background_->SetBackgroundColour(colour);
    RedrawBackground();
}

void CPglChatBox::SetBackgroundPicture(const char* name)
{
    if (background_)
        background_->SetBackgroundColour(kColourKey);
    style_ = (style_ & ~kBackgroundColour) | kBackgroundPicture;
    backgroundPicture_ = name ? name : "";
    RedrawBackground();
}

void CPglChatBox::DrawBackgroundPicture(const PictureInfo& picture, int x, int y, int width, int height)
{
    if (background_)
        background_->DrawPicture(picture, x, y, width, height, 0, 1.0);
}


int CPglChatBox::OnEvent(const EventRecord& r)
{
    int x = 0, y = 0;
    switch (r.code) {
    case EV_CHAT_REFRESH:
        RefreshContent(true);
        return 1;
    case EV_CHAT_COPY:
        CopySelection();
        return 1;
    case EV_CHAT_SPARE:
        OnEvent80000004(int(r.param1), int(r.param2));
        return 1;
    case EV_CHAT_CLEAR:
        Clear();
        return 1;
    case EV_CHAT_OPEN_RUN:
        OpenAddressRun(GetElementAt(int(r.param1)));
        return 0;
    case EV_CHAT_OPEN_URL:
        // The record names the object; one that is gone opens nothing.
        if (auto* link = dynamic_cast<CPglHighCharacter*>(FindById(uint32_t(r.param1))))
            OpenUrl(link->GetAddress(), link->GetOrigin());
        else if (auto* object = dynamic_cast<CPglChatObject*>(FindById(uint32_t(r.param1))))
            OpenUrl(object->GetAddress(), object->GetOrigin());
        return 0;
    case EV_APP_TEXT_PAYLOAD:
    case EV_TEXT_PAYLOAD:
        AppendPostedText(r.param1);
        return 1;
    case EV_MOUSE_MOVE:
        if (MouseAt(r, x, y))
            OnMouseHover(x, y);
        return 1;
    case EV_LBUTTON_DOWN:
        if (MouseAt(r, x, y))
            OnMouseDown(x, y);
        return 1;
    case EV_LBUTTON_UP:
        if (MouseAt(r, x, y))
            OnMouseUp(x, y);
        return 1;
    case EV_LBUTTON_DRAG:
        if ((style_ & kSelectable) && MouseAt(r, x, y))
            OnMouseDrag(x, y);
        return 1;
    case EV_LBUTTON_DOUBLE:
        if (MouseAt(r, x, y))
            OnDoubleClick(x, y);
        return 1;
    case EV_WHEEL_FORWARD:
    case EV_SCROLL_UP:
        OnWheelUp();
        return 1;
    case EV_WHEEL_BACKWARD:
    case EV_SCROLL_DOWN:
        OnWheelDown();
        return 1;
    case EV_KEY_DOWN:
        if (r.param2)
            OnKey(reinterpret_cast<const InputData*>(r.param2)->key, reinterpret_cast<const InputData*>(r.param2)->keyFlags);
        return 1;
    case EV_FOCUS_LEFT:
        OnKillFocus();
        return 1;
    case EV_SCROLL_POSITION:
        if (r.param1)
            ScrollTo(doc_.layout.TopOffset() + int(*reinterpret_cast<const double*>(r.param1)));
        return 0;
    default:
        return CLumoraGui::OnEvent(r);
    }
}

} // namespace Lumora
