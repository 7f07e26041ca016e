#include "widgets/CPglChatObject.h"

#include "engine/object/PictureObject.h"
#include "engine/paint/ImageRecord.h"
#include "widgets/WidgetSupport.h"
#include "widgets/ChatEvents.h"

namespace Lumora {

namespace {

} // namespace

CPglChatObject::CPglChatObject() : text_("[未知物体]") {}

CPglChatObject::~CPglChatObject() = default;

void CPglChatObject::SetBodyFrame(int frame)
{
    if (body_) {
        body_->SetFrame(frame);
        body_->Redraw();
    }
}

int CPglChatObject::OnEvent(const EventRecord& r)
{
    switch (r.code) {
    case EV_OBJECT_RESIZE:
        OnResize(int(r.param1), int(r.param2));
        return 1;
    case EV_MOUSE_ENTER:
        ShowWidgetCursor(*this, true);
        SetBodyFrame(1);
        return 1;
    case EV_MOUSE_LEAVE:
        ShowWidgetCursor(*this, false);
        SetBodyFrame(0);
        return 1;
    case EV_LBUTTON_DOWN:
        SetBodyFrame(2);
        return 1;
    case EV_LBUTTON_CLICK:
        SetBodyFrame(1);
        // The owner resolves this object by id when the record arrives.
        PostEvent({owner_, EV_CHAT_OPEN_URL, GetId(), 0});
        return 1;
    case EV_WIDGET_ENABLED:
        SetBodyFrame(1);
        return 1;
    case EV_WIDGET_DISABLED:
        SetBodyFrame(3);
        return 1;
    default:
        return CLumoraGui::OnEvent(r);
    }
}

void CPglChatObject::CreatePicture(const PictureInfo& picture, int width, int height)
{
    if (!picture.image)
        return;
    body_ = NewBitmapObject(picture);
    if (!body_)
        return;
    body_->SetSize(width > 0 ? width : picture.width, height > 0 ? height : picture.height);
    SetBody(body_, kBodyLinks);
    text_ = "[图片]";
}

void CPglChatObject::CreateAnimation(const char* pictureName, int width, int height)
{
    PictureInfo picture;
    GetPicture(picture, pictureName, 0);
    CreatePicture(picture, width, height);
    if (!body_)
        return;
    ActPlayFrames(body_, 1, 0, 0, 0, nullptr);
    text_ = "[动画]";
}

void CPglChatObject::CreateButton(const char* pictureName, uint32_t ownerId, int width, int height)
{
    owner_ = ownerId;
    PictureInfo picture;
    GetPicture(picture, pictureName, 0);
    CreatePicture(picture, width, height);
    for (uint32_t code : {uint32_t(EV_MOUSE_ENTER), uint32_t(EV_MOUSE_LEAVE), uint32_t(EV_LBUTTON_DOWN),
                          uint32_t(EV_LBUTTON_CLICK)})
        AddSelfEventHook(code);
    text_ = "[按钮]";
}

void CPglChatObject::OnResize(int, int) {}

void CPglChatObject::Show()
{
    Activate();
    Redraw();
}

void CPglChatObject::Hide()
{
    Deactivate();
    Redraw();
}

void CPglChatObject::SetClip(const Rect& rect)
{
    SetClipRect(rect);
    Redraw();
}

uint32_t CPglChatObject::GetBodyId() { return body_ ? body_->GetId() : 0; }

} // namespace Lumora
