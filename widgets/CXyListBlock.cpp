#include "widgets/CXyListBlock.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/util/EngineLog.h"
#include "widgets/ChatEvents.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

namespace {
// The detail follows the face in everything but activation: it is shown only while selected.
constexpr uint32_t kDetailLinks =
    LINK_OWNED | LINK_ROTATE | LINK_REDRAW | LINK_RESIZE | LINK_CLIP | LINK_Z | LINK_MOVE | LINK_DEACTIVATE_ALWAYS;
static_assert(kDetailLinks == 0x11C0A3);
constexpr int kCaptionSetting = 6;
constexpr int kDefaultCaptionSize = 12;
} // namespace

void CXyListBlock::Create(uint32_t ownerId, const PictureInfo& picture, int width, int height)
{
    owner_ = ownerId;
    face_ = NewBitmapObject(picture);
    if (!face_)
        return;
    face_->SetSize(width, height);
    SetBody(face_, kBodyLinks);
    caption_ = NewPlaneObject(width, height, kColourKeyBackground);
    if (caption_) {
        caption_->SetKeyColour(kColourKeyBackground);
        caption_->MoveTo(face_->GetX(), face_->GetY());
        caption_->SetZ(face_->GetZAbove());
        face_->AddChild(caption_, kBodyLinks);
    }
    face_->AddEventHook(EV_MOUSE_ENTER, GetId(), EV_MOUSE_ENTER, 0, 0);
    face_->AddEventHook(EV_MOUSE_LEAVE, GetId(), EV_MOUSE_LEAVE, 0, 0);
    // The press names the row by id: the record is queued and may outlive the row.
    face_->AddEventHook(EV_LBUTTON_DOWN, ownerId, EV_ROW_PRESS, GetId(), 0);
    // A pressed row holds the focus, which the wheel goes to: the wheel scrolls the list.
    // ... and the keys, so that Escape folds the detail.
    for (uint32_t code : {uint32_t(EV_WHEEL_FORWARD), uint32_t(EV_WHEEL_BACKWARD), uint32_t(EV_KEY_DOWN)})
        face_->AddEventHook(code, ownerId, code, 0, 0);
}

void CXyListBlock::SetData(const void* bytes, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(bytes);
    data_.assign(p, p && length ? p + length : p);
}

int CXyListBlock::IndexFrame() const { return selected_ ? FRAME_SELECTED : ((index_ % 2) + 2) % 2; }

void CXyListBlock::ShowFrame(int frame)
{
    if (!face_)
        return;
    face_->SetFrame(frame);
    face_->Redraw();
}

int CXyListBlock::GetFaceFrame() const { return face_ ? face_->GetFrame() : -1; }

void CXyListBlock::OnEnter()
{
    if (!selected_)
        ShowFrame(FRAME_HOVER);
}

void CXyListBlock::OnLeave()
{
    if (!selected_)
        ShowFrame(IndexFrame());
}

void CXyListBlock::OnClick() { ShowFrame(FRAME_SELECTED); }

void CXyListBlock::SetIndex(int index)
{
    if (index < 0)
        WriteRunLog("list block: negative index %d", index);
    index_ = index;
    ShowFrame(IndexFrame());
}

void CXyListBlock::DrawCaption(const Markup& text, uint32_t colour, int fontSize)
{
    KeepCaption(text.Text(), false, colour, fontSize);
}

void CXyListBlock::DrawCaption(PlainText text, uint32_t colour, int fontSize)
{
    KeepCaption(text.Text(), true, colour, fontSize);
}

void CXyListBlock::KeepCaption(std::string_view text, bool plain, uint32_t colour, int fontSize)
{
    if (!caption_)
        return;
    if (fontSize == 0) {
        const int32_t setting = GetSetting(kCaptionSetting);
        fontSize = setting > 0 ? setting : kDefaultCaptionSize;
    }
    if (colour != kColourKeyBackground)
        caption_->SetPen(colour, 1.0);
    captionText_ = text;
    captionSize_ = fontSize;
    captionPlain_ = plain;
    PaintCaption();
}

void CXyListBlock::PaintCaption()
{
    caption_->Clear();
    if (!captionText_.empty()) {
        caption_->SetFont(captionSize_, 400, "宋体");
        const int x = caption_->GetSurfaceWidth() / 2, y = caption_->GetSurfaceHeight() / 2;
        if (captionPlain_)
            caption_->DrawTextCentred(x, y, captionText_);
        else
            caption_->DrawTextCentred(x, y, Markup::FromSkin(captionText_)); // kept from DrawCaption's Markup
    }
    caption_->Redraw();
}

bool CXyListBlock::DetailShown() const { return selected_ && detail_ && detailOpen_; }

void CXyListBlock::SetSelected(int selected)
{
    selected_ = selected;
    if (!selected) {
        detailOpen_ = false;
        if (detail_) {
            detail_->Deactivate();
            detail_->Redraw();
        }
        ShowFrame(IndexFrame());
        return;
    }
    ShowFrame(FRAME_SELECTED);
    if (data_.empty() || !face_)
        return;
    if (!detail_) {
        detail_ = CreateDetail();
        if (detail_)
            face_->AddChild(detail_, kDetailLinks);
    }
    if (!detail_)
        return;
    LayoutDetail();
    detailOpen_ = true;
    detail_->SetZ(face_->GetZAbove());
    detail_->Activate();
    detail_->Redraw();
}

int CXyListBlock::GetHeightPixels() const
{
    const int face = face_ ? int(face_->GetHeight()) : 0;
    return face + (DetailShown() ? int(detail_->GetHeight()) : 0);
}

void CXyListBlock::MoveTo(double x, double y)
{
    if (!DetailShown() || !face_) {
        CPglChatObject::MoveTo(x, y);
        return;
    }
    // y is the centre of face and detail together.
    const int face = int(face_->GetHeight()), detail = int(detail_->GetHeight());
    const int half = (face + detail) / 2;
    CPglChatObject::MoveTo(x, y - half + face / 2.0);
    detail_->MoveTo(x, y + half - detail / 2.0);
    detail_->SetZ(face_->GetZAbove());
}

void CXyListBlock::Activate()
{
    CPglChatObject::Activate();
    if (DetailShown()) {
        detail_->Activate();
        detail_->Redraw();
    }
}

void CXyListBlock::OnResize(int width, int)
{
    if (!face_ || width <= 0)
        return;
    const int height = int(face_->GetHeight());
    face_->SetSize(width, height);
    if (caption_) {
        // Drawn anew: scaled pixels of text thicken or lose strokes with every change of width
        // (the list's scroll bar comes and goes as rows fold).
        caption_->ResizeSurfaceCleared(width, height);
        caption_->SetSize(width, height);
        PaintCaption();
    }
    ShowFrame(IndexFrame());
    if (detail_)
        LayoutDetail();
}

int CXyListBlock::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_MOUSE_ENTER:
        OnEnter();
        return 1;
    case EV_MOUSE_LEAVE:
        OnLeave();
        return 1;
    case EV_LBUTTON_CLICK:
        OnClick();
        return 1;
    default:
        return CPglChatObject::OnEvent(record);
    }
}

} // namespace Lumora
