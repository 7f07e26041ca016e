#include "widgets/CPglHighCharacter.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/ImageRecord.h"
#include "widgets/WidgetSupport.h"
#include "widgets/ChatEvents.h"

namespace Lumora {

CPglHighCharacter::~CPglHighCharacter()
{
    // The hover picture is a registered object of its own; only the engine may delete it.
    if (hover_ && FindById(hover_->GetId()) == hover_)
        ReleaseObject(hover_, false);
}

void CPglHighCharacter::Create(const std::string& address, const char* hoverPicture, uint32_t ownerId)
{
    address_ = address;
    owner_ = ownerId;
    if (!hoverPicture || !*hoverPicture)
        return;
    PictureInfo picture;
    GetPicture(picture, hoverPicture, 0);
    if (picture.image)
        hover_ = NewBitmapObject(picture);
}

void CPglHighCharacter::Open()
{
    if (!address_.empty())
        PostEvent({owner_, EV_CHAT_OPEN_URL, GetId(), 0});
}

void CPglHighCharacter::OnHoverEnter()
{
    if (!hover_)
        return;
    auto* box = dynamic_cast<LinkOwner*>(FindById(owner_));
    hover_->SetZ(GetZ() + 1.0);
    hover_->SetAlpha(0.0);
    hover_->Activate();
    if (box && box->GetTextPlane())
        hover_->MoveTo(box->GetTextPlane()->GetX(), box->GetTextPlane()->GetY());
    hover_->Redraw();
    CancelObjectActions(hover_->GetId());
    ActFadeTo(hover_, 0.1, 1.0, GetActionInterval(), nullptr);
}

void CPglHighCharacter::OnHoverLeave()
{
    if (!hover_)
        return;
    hover_->Deactivate();
    hover_->Redraw();
}

void CPglHighCharacter::OnHoverMove() { ShowWidgetCursor(*this, true); }

} // namespace Lumora
