#include "widgets/CLumoraWindow.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyScrollBar.h"
#include "widgets/ChatFormat.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cstdio>

namespace Lumora {

namespace {

constexpr int kIconSizeSetting = 7;
constexpr int kDefaultIconSize = 40;
constexpr int kFontSizeSetting = 6;
constexpr int kDefaultFontSize = 12;
constexpr const char* kFace = "宋体";
constexpr uint32_t kTargetPartLinks = 0x19C0A3;
constexpr uint32_t kBackgroundLinks = 0x1BC0EB;
constexpr uint32_t kTextPlaneLinks = 0x1C0A3;
constexpr double kPartZ = 0.0000001;
constexpr uint32_t kWindowStyle = 0x20001 | chat_style::kBackgroundColour;

// Fits w x h into s x s keeping the aspect; a picture that fits keeps its size.
void FitInto(int s, int& w, int& h)
{
    if (w <= s && h <= s)
        return;
    if (w >= h) {
        h = w ? h * s / w : h;
        w = s;
    } else {
        w = h ? w * s / h : w;
        h = s;
    }
}

} // namespace

// ---- targets --------------------------------------------------------------------------------

CLumoraTarget::~CLumoraTarget() = default;

int CLumoraTarget::OnEvent(const EventRecord& record)
{
    if (record.code == 0)
        return 0;
    return CPglChatObject::OnEvent(record);
}

int CLumoraTarget::GetIconSize() const
{
    const int32_t s = GetSetting(kIconSizeSetting);
    return s > 0 ? s : kDefaultIconSize;
}

int CLumoraTarget::FontSize() const
{
    const int32_t s = GetSetting(kFontSizeSetting);
    return s > 0 ? s : kDefaultFontSize;
}

int CLumoraTarget::GetWidthPixels() const { return background_ ? int(background_->GetWidth()) : 0; }
int CLumoraTarget::GetHeightPixels() const { return background_ ? int(background_->GetHeight()) : 0; }

void CLumoraTarget::Build(const PictureInfo& picture, const char* caption, bool animate, int width, int height,
                          int captionWidth, int captionHeight)
{
    background_ = NewPlaneObject(width, height, kColourKeyBackground);
    if (!background_)
        return;
    caption_ = NewPlaneObject(std::max(1, captionWidth), std::max(1, captionHeight), kColourKeyBackground);
    if (caption_)
        caption_->SetFont(FontSize(), 400, kFace);
    SetPicture(picture);
    DrawCaption(caption, 0xFFFFFF, kColourKeyBackground);
    if (caption_)
        background_->AddChild(caption_, kTargetPartLinks);
    background_->SetTopMost();
    SetBody(background_, kBackgroundLinks);
    if (animate && picture_ && picture.image && picture.image->frames > 1)
        ActPlayFrames(picture_, 1, 0, 0, 0, nullptr);
    SetState(0);
}

void CLumoraTarget::CreateTile(const PictureInfo& picture, const char* caption, bool animate, int lines)
{
    layout_ = kTile;
    const int s = GetIconSize(), fs = FontSize();
    lines = std::max(1, lines);
    Build(picture, caption, animate, s + 30, s + fs * lines + 10, s + 20, fs * lines);
}

void CLumoraTarget::CreateRow(const PictureInfo& picture, const char* caption, int characters, bool animate)
{
    layout_ = kRow;
    const int s = GetIconSize(), fs = FontSize();
    const int cw = fs * std::max(1, characters) / 2;
    Build(picture, caption, animate, s + 10 + cw, s + 10, cw, s + 10);
}

void CLumoraTarget::PlaceParts()
{
    if (!background_)
        return;
    const int s = GetIconSize();
    const double left = background_->GetLeft(), top = background_->GetTop();
    const double z = background_->GetZ() + kPartZ;
    if (picture_) {
        picture_->MoveTo(layout_ == kTile ? background_->GetX() : left + s / 2.0 + 5, top + s / 2.0 + 5);
        picture_->SetZ(z);
    }
    if (caption_) {
        if (layout_ == kTile)
            caption_->MoveTo(background_->GetX(), background_->GetTop() + background_->GetHeight() -
                                                     caption_->GetHeight() / 2 - 5);
        else
            caption_->MoveTo(left + s + 10 + caption_->GetWidth() / 2, background_->GetY());
        caption_->SetZ(z);
    }
}

void CLumoraTarget::SetPicture(const PictureInfo& picture)
{
    if (!background_)
        return;
    if (picture_) {
        ReleaseObject(picture_, true);
        picture_ = nullptr;
    }
    if (!picture.image)
        return;
    picture_ = NewBitmapObject(picture);
    if (!picture_)
        return;
    int w = picture.width, h = picture.height;
    FitInto(GetIconSize(), w, h);
    picture_->SetSize(w, h);
    background_->AddChild(picture_, kTargetPartLinks);
    PlaceParts();
}

void CLumoraTarget::DrawCaption(const char* text, uint32_t textColour, uint32_t backColour)
{
    label_ = text ? text : "";
    if (!caption_)
        return;
    caption_->SetBackgroundColour(backColour);
    caption_->SetPen(textColour, 1.0);
    caption_->Clear();
    if (layout_ == kTile)
        caption_->DrawTextWrapped(label_, 0);
    else
        caption_->DrawTextLine(0, (caption_->GetSurfaceHeight() - FontSize()) / 2, label_);
    caption_->Redraw();
    PlaceParts();
}

void CLumoraTarget::SetCaption(const char* text)
{
    label_ = text ? text : "";
    SetState(state_);
}

void CLumoraTarget::SetState(uint32_t flags)
{
    state_ = flags;
    if (!background_)
        return;
    if (flags & kHighlighted) {
        background_->SetBackgroundColour(0xFFFFFF);
        background_->SetAlpha(0.4);
        background_->Clear();
        background_->DrawBorder(0x000000, 1);
    } else {
        background_->SetBackgroundColour(kColourKeyBackground);
        background_->Clear();
        background_->SetAlpha(1.0);
    }
    if (badge_ >= 0)
        DrawBadge();
    background_->Redraw();
}

void CLumoraTarget::SetBadge(int32_t badge)
{
    badge_ = badge;
    SetState(state_);
}

void CLumoraTarget::DrawBadge()
{
    if (!background_ || badge_ < 0)
        return;
    background_->SetFont(FontSize(), 400, kFace);
    background_->SetPen(background_->GetBackgroundColour() ^ 0xFFFFFF, 1.0);
    background_->DrawTextLine(2, 2, std::to_string(badge_));
}

void CLumoraTarget::MakeDragImage(PlaneObject& plane)
{
    if (!background_)
        return;
    const int w = int(background_->GetWidth()), h = int(background_->GetHeight());
    plane.ResizeSurface(w, h);
    plane.SetSize(w, h);
    plane.SetAlpha(0.75);
    plane.SetZ(background_->GetZ() + 1.0);
    plane.SetKeyColour(kColourKeyBackground);
    plane.Clear();
    const double left = background_->GetLeft(), top = background_->GetTop();
    if (picture_) {
        PictureInfo own;
        picture_->GetPictureInfo(own);
        plane.DrawPicture(own, int(picture_->GetLeft() - left), int(picture_->GetTop() - top),
                          int(picture_->GetWidth()), int(picture_->GetHeight()));
    }
    if (caption_) {
        plane.SetFont(FontSize(), 400, kFace);
        plane.SetPen(0xFFFFFF, 1.0);
        plane.DrawTextLine(int(caption_->GetLeft() - left), int(caption_->GetTop() - top), label_);
    }
    plane.Redraw();
}

// ---- the window -----------------------------------------------------------------------------

void CLumoraWindow::Create(int width, int height, bool horizontal)
{
    CPglChatBox::Create(width, height, kWindowStyle | (horizontal ? chat_style::kSingleLine : 0), 0);
    SetCharSpace(kTargetGap);
    PlaneObject* text = GetTextPlane();
    dragPlane_ = NewPlaneObject(kDragWidth, kDragHeight, kColourKeyBackground);
    marker_ = NewPlaneObject(kMarkerWidth, kMarkerHeight, kColourKeyBackground);
    for (PlaneObject* plane : {dragPlane_, marker_}) {
        if (!plane)
            continue;
        if (text)
            text->AddChild(plane, kTextPlaneLinks);
        plane->Deactivate();
    }
    SetTopMost();
}

void CLumoraWindow::CreateScrollBars()
{
    CPglChatBox::CreateScrollBars();
    const bool horizontal = (GetStyle() & chat_style::kSingleLine) != 0;
    if (CXyScrollBar* bar = horizontal ? GetHorizontalScrollBar() : GetVerticalScrollBar())
        SkinScrollBarByName(*bar, *this, horizontal);
}

CLumoraTarget* CLumoraWindow::TargetOf(const ChatElement* e) const
{
    return e && e->Is(chat_flag::kObject) ? dynamic_cast<CLumoraTarget*>(FindById(e->code)) : nullptr;
}

ChatElement* CLumoraWindow::FindElement(const CLumoraTarget* target) const
{
    if (!target)
        return nullptr;
    for (ChatElement* e = Content().First(); e; e = e->next)
        if (e->Is(chat_flag::kObject) && e->code == target->GetId())
            return e;
    return nullptr;
}

void CLumoraWindow::AddTarget(CLumoraTarget* target, bool refresh)
{
    if (!target)
        return;
    if (PObject* body = target->GetBackground()) {
        const uint32_t hooks[][2] = {{EV_MOUSE_ENTER, EV_TARGET_ENTER},
                                     {EV_MOUSE_LEAVE, EV_TARGET_LEAVE},
                                     {EV_LBUTTON_DRAG, EV_TARGET_DRAG},
                                     {EV_LBUTTON_UP, EV_TARGET_RELEASE}};
        for (const auto& hook : hooks)
            body->AddEventHook(hook[0], GetId(), hook[1], target->GetId(), 0);
    }
    AppendObject(target);
    if (refresh)
        Refresh();
}

void CLumoraWindow::RemoveTarget(CLumoraTarget* target)
{
    if (target == current_)
        current_ = nullptr;
    if (ChatElement* e = FindElement(target)) {
        if (e == dragged_)
            HideDrag();
        RemoveElement(e);
    }
}

void CLumoraWindow::RemoveRange(ChatElement* from, ChatElement* to)
{
    CPglChatBox::RemoveRange(from, to);
    Refresh();
}

void CLumoraWindow::Clear()
{
    HideDrag();
    current_ = nullptr;
    CPglChatBox::Clear();
}

void CLumoraWindow::Refresh()
{
    RelayoutElements();
    RequestRefresh();
}

void CLumoraWindow::ClearHover()
{
    RelayoutElements();
    if (current_)
        OnTargetLeave(current_);
}

CLumoraTarget* CLumoraWindow::GetFirstTarget() const { return TargetOf(Content().First()); }

CLumoraTarget* CLumoraWindow::GetNextTarget(const CLumoraTarget* target) const
{
    const ChatElement* e = FindElement(target);
    return e ? TargetOf(e->next) : nullptr;
}

void CLumoraWindow::OnTargetEnter(CLumoraTarget* target)
{
    if (!target)
        return;
    current_ = target;
    target->SetState(CLumoraTarget::kHighlighted);
}

void CLumoraWindow::HideDrag()
{
    for (PlaneObject* plane : {dragPlane_, marker_})
        if (plane)
            plane->Deactivate();
    dragged_ = nullptr;
    insertion_ = nullptr;
}

void CLumoraWindow::OnTargetLeave(CLumoraTarget* target)
{
    if (!target || target != current_)
        return;
    HideDrag();
    target->SetState(0);
    current_ = nullptr;
}

void CLumoraWindow::ShowMarker(int x, int y, int height)
{
    if (!marker_)
        return;
    PlaneObject* text = GetTextPlane();
    const int h = std::max(1, height);
    marker_->ResizeSurface(kMarkerWidth, h);
    marker_->SetSize(kMarkerWidth, h);
    marker_->Clear();
    marker_->DrawDottedBorder(kMarkerColour);
    const double left = text ? text->GetLeft() : 0, top = text ? text->GetTop() : 0;
    marker_->MoveTo(left + x - Content().ScrollX() + kMarkerWidth / 2.0, top + y - Content().ScrollY() + h / 2.0);
    if (dragPlane_)
        marker_->SetZ(dragPlane_->GetZ() - 0.001);
    marker_->Activate();
    marker_->Redraw();
}

void CLumoraWindow::OnTargetDrag(CLumoraTarget* target, int x, int y)
{
    if (!target)
        return;
    if (!dragged_) {
        dragged_ = FindElement(target);
        if (!dragged_)
            return;
        if (dragPlane_) {
            target->MakeDragImage(*dragPlane_);
            dragPlane_->Activate();
        }
    }
    if (dragPlane_) {
        dragPlane_->MoveTo(x, y);
        dragPlane_->Redraw();
    }
    int cx = x, cy = y;
    ScreenToContent(cx, cy);
    const ChatLayout& content = Content();
    ChatElement* under = GetElementAtPoint(cx, cy);
    const ChatElement* last = content.Last();
    if (!under) {
        if (last && cy <= last->Bottom() && (cy < last->rowTop || cx <= last->Right())) {
            insertion_ = nullptr;
            if (marker_)
                marker_->Deactivate();
            return;
        }
        insertion_ = End();
    } else if (cx - dragged_->width / 2 <= under->x + under->width / 2) {
        insertion_ = under;
    } else {
        insertion_ = under->next ? under->next : End();
    }
    if (insertion_ == End()) {
        if (last)
            ShowMarker(last->Right(), last->y, last->height);
        else
            ShowMarker(0, 0, kMarkerHeight);
    } else {
        ShowMarker(insertion_->x, insertion_->y, insertion_->height);
    }
}

void CLumoraWindow::OnTargetRelease(int x, int y)
{
    if (!dragged_ || !current_)
        return;
    CLumoraTarget* target = current_;
    target->SetState(0);
    if (PlaneObject* text = GetTextPlane())
        target->SetZ(text->GetZ() + 0.01);
    target->Redraw();
    int cx = x, cy = y;
    ScreenToContent(cx, cy);
    const ChatElement* under = GetElementAtPoint(cx, cy);
    const bool wanted = insertion_ == End() || (under && under != dragged_ && under != insertion_);
    // A drop with no place marked, or before the dragged tile or its successor, changes nothing.
    bool moved = false;
    if (wanted && insertion_ && insertion_ != dragged_ && insertion_ != dragged_->next)
        moved = MutableContent().MoveBefore(dragged_, insertion_ == End() ? nullptr : insertion_);
    if (moved) {
        current_ = nullptr;
        RequestRefresh();
    } else {
        RelayoutElements();
        target->SetState(CLumoraTarget::kHighlighted);
    }
    HideDrag();
    Refresh();
}

int CLumoraWindow::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_TARGET_ENTER:
    case EV_TARGET_LEAVE:
    case EV_TARGET_DRAG:
    case EV_TARGET_RELEASE: {
        auto* target = dynamic_cast<CLumoraTarget*>(FindById(uint32_t(record.param1)));
        const InputData in = InputDataOf(*this, record);
        if (record.code == EV_TARGET_ENTER)
            OnTargetEnter(target);
        else if (record.code == EV_TARGET_LEAVE)
            OnTargetLeave(target);
        else if (record.code == EV_TARGET_DRAG)
            OnTargetDrag(target, in.x, in.y);
        else
            OnTargetRelease(in.x, in.y);
        return 0;
    }
    default:
        return CPglChatBox::OnEvent(record);
    }
}

} // namespace Lumora
