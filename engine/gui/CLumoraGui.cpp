#include "engine/gui/CLumoraGui.h"

#include <algorithm>

namespace Lumora {

PObject* CLumoraGui::Body() const
{
    if (!body_)
        return nullptr;
    const auto& links = Children();
    const bool linked = std::any_of(links.begin(), links.end(), [this](const ChildLink& l) { return l.child == body_; });
    return linked ? body_ : nullptr;
}

PObject* CLumoraGui::BodyWith(uint32_t flags) const
{
    for (const ChildLink& link : Children())
        if (link.child == body_)
            return (link.flags & flags) == flags ? body_ : nullptr;
    return nullptr;
}

int CLumoraGui::AddChild(PObject* child, uint32_t linkFlags)
{
    PObject* body = Body();
    return body ? body->AddChild(child, linkFlags) : PObject::AddChild(child, linkFlags);
}

uint32_t CLumoraGui::GetChildLinkFlags(uint32_t id) const
{
    PObject* body = Body();
    return body && body->HasChild(id) ? body->GetChildLinkFlags(id) : PObject::GetChildLinkFlags(id);
}

void CLumoraGui::SetChildLinkFlags(uint32_t id, uint32_t flags)
{
    if (PObject* body = Body())
        body->SetChildLinkFlags(id, flags);
    else
        PObject::SetChildLinkFlags(id, flags);
}

void CLumoraGui::RemoveChild(uint32_t id)
{
    PObject* body = Body();
    if (body && body->GetId() == id) {
        // The body itself leaves: the widget is left without one.
        PObject::RemoveChild(id);
        body_ = nullptr;
    } else if (body) {
        body->RemoveChild(id);
    } else {
        PObject::RemoveChild(id);
    }
}

void CLumoraGui::ReleaseChildren()
{
    if (PObject* body = Body())
        body->ReleaseChildren();
    else
        PObject::ReleaseChildren();
}

void CLumoraGui::SetEnabled(bool on)
{
    if (PObject* body = Body())
        body->SetEnabled(on);
    else
        PObject::SetEnabled(on);
}

void CLumoraGui::SetDraggable(bool on)
{
    if (PObject* body = Body())
        body->SetDraggable(on);
    else
        PObject::SetDraggable(on);
}

void CLumoraGui::SetFlags(uint32_t flags)
{
    if (PObject* body = Body())
        body->SetFlags(flags);
    else
        PObject::SetFlags(flags);
}

void CLumoraGui::AddFlags(uint32_t flags)
{
    if (PObject* body = Body())
        body->AddFlags(flags);
    else
        PObject::AddFlags(flags);
}

void CLumoraGui::RemoveFlags(uint32_t flags)
{
    if (PObject* body = Body())
        body->RemoveFlags(flags);
    else
        PObject::RemoveFlags(flags);
}

void CLumoraGui::SetLayer(uint32_t layer)
{
    if (PObject* body = Body())
        body->SetLayer(layer);
    else
        PObject::SetLayer(layer);
}

void CLumoraGui::SetTopMost()
{
    if (PObject* body = Body())
        body->SetTopMost();
    else
        PObject::SetTopMost();
}

int CLumoraGui::HitTest(double x, double y) const
{
    PObject* body = BodyWith(LINK_RESIZE | LINK_MOVE);
    return body ? body->HitTest(x, y) : PObject::HitTest(x, y);
}

int CLumoraGui::IsActive() const
{
    PObject* body = BodyWith(LINK_ACTIVATION_FOLLOWS);
    return body ? body->IsActive() : PObject::IsActive();
}

int CLumoraGui::IsEnabled() const
{
    PObject* body = Body();
    return body ? body->IsEnabled() : PObject::IsEnabled();
}

int CLumoraGui::CheckChildren()
{
    PObject* body = Body();
    return body ? body->CheckChildren() : PObject::CheckChildren();
}

double CLumoraGui::GetX() const
{
    PObject* body = BodyWith(LINK_MOVE);
    return body ? body->GetX() : PObject::GetX();
}

double CLumoraGui::GetY() const
{
    PObject* body = BodyWith(LINK_MOVE);
    return body ? body->GetY() : PObject::GetY();
}

double CLumoraGui::GetZ() const
{
    PObject* body = BodyWith(LINK_Z);
    return body ? body->GetZ() : PObject::GetZ();
}

double CLumoraGui::GetZAbove() const
{
    PObject* body = BodyWith(LINK_Z);
    return body ? body->GetZAbove() : PObject::GetZAbove();
}

double CLumoraGui::GetWidth() const
{
    PObject* body = BodyWith(LINK_RESIZE);
    return body ? body->GetWidth() : PObject::GetWidth();
}

double CLumoraGui::GetHeight() const
{
    PObject* body = BodyWith(LINK_RESIZE);
    return body ? body->GetHeight() : PObject::GetHeight();
}

double CLumoraGui::GetAlpha() const
{
    PObject* body = BodyWith(LINK_ALPHA);
    return body ? body->GetAlpha() : PObject::GetAlpha();
}

double CLumoraGui::GetAngle() const
{
    PObject* body = BodyWith(LINK_ROTATE);
    return body ? body->GetAngle() : PObject::GetAngle();
}

void CLumoraGui::GetClipRect(Rect& out) const
{
    if (PObject* body = BodyWith(LINK_CLIP))
        body->GetClipRect(out);
    else
        PObject::GetClipRect(out);
}

uint32_t CLumoraGui::GetFlags() const
{
    PObject* body = Body();
    return body ? body->GetFlags() : PObject::GetFlags();
}

uint32_t CLumoraGui::GetLayer() const
{
    PObject* body = Body();
    return body ? body->GetLayer() : PObject::GetLayer();
}

double CLumoraGui::GetLeft() const
{
    PObject* body = BodyWith(LINK_SCALE | LINK_MOVE);
    return body ? body->GetLeft() : PObject::GetLeft();
}

double CLumoraGui::GetTop() const
{
    PObject* body = BodyWith(LINK_SCALE | LINK_MOVE);
    return body ? body->GetTop() : PObject::GetTop();
}

double CLumoraGui::GetRight() const
{
    PObject* body = BodyWith(LINK_RESIZE | LINK_MOVE);
    return body ? body->GetRight() : PObject::GetRight();
}

double CLumoraGui::GetBottom() const
{
    PObject* body = BodyWith(LINK_RESIZE | LINK_MOVE);
    return body ? body->GetBottom() : PObject::GetBottom();
}

void CLumoraGui::SetBody(PObject* object, uint32_t linkFlags)
{
    if (PObject* old = Body())
        PObject::RemoveChild(old->GetId());
    body_ = nullptr;
    if (object && PObject::AddChild(object, linkFlags | LINK_INPUT_HOOKS) >= 0 && object != this)
        body_ = object;
    PObject::AddFlags(OBJ_NO_HIT);
    Redraw();
}

void CLumoraGui::Enable(bool on)
{
    SetEnabled(on);
    Redraw();
    OnEvent(EventRecord{GetId(), on ? EV_WIDGET_ENABLED : EV_WIDGET_DISABLED, 0, 0});
}

PObject* CLumoraGui::GetBody()
{
    PObject* body = Body();
    return body ? body : this;
}

} // namespace Lumora
