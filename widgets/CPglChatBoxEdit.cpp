// The chat box's content: markup, embedded objects, appending, removing and clearing.
#include "widgets/CPglChatBox.h"

#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CPglChatObject.h"
#include "widgets/CPglHighCharacter.h"

#include <algorithm>

namespace Lumora {

using namespace chat_flag;
using namespace chat_style;

namespace {

constexpr uint32_t kLinkOwned = LINK_OWNED;

} // namespace

bool CPglChatBox::ParseFormatTag(std::string_view tag) { return ApplyChatFormatTag(tag, doc_, doc_.rules); }
bool CPglChatBox::ParseObjectTag(std::string_view tag) { return ApplyChatObjectTag(tag, doc_, doc_.rules); }
int CPglChatBox::AddFont(const char* face) { return doc_.faces.Add(face ? face : ""); }
double CPglChatBox::GetTextZ() const { return text_ ? text_->GetZ() + 0.01 : GetZ(); }

std::optional<ChatObjectInfo> CPglChatBox::CreateMarkupObject(const ChatObjectRequest& request)
{
    PictureInfo picture;
    GetPicture(picture, request.picture.c_str(), request.frame);
    if (!picture.image)
        return std::nullopt;
    auto* object = NewChild<CPglChatObject>();
    if (!object)
        return std::nullopt;
    switch (request.kind) {
    case ChatObjectKind::Picture: object->CreatePicture(picture, request.width, request.height); break;
    case ChatObjectKind::Animation:
    case ChatObjectKind::Emoticon: object->CreateAnimation(request.picture.c_str(), request.width, request.height); break;
    case ChatObjectKind::LinkButton:
        object->CreateButton(request.picture.c_str(), GetId(), request.width, request.height);
        object->SetAddress(request.address);
        object->SetOrigin(appendOrigin_);
        break;
    }
    object->SetText(request.text);
    object->SetZ(request.kind == ChatObjectKind::LinkButton ? GetTextZ() + 0.01 : GetTextZ());
    object->Deactivate();
    AddChild(object, kLinkOwned);
    return ChatObjectInfo{object->GetId(), object->GetWidthPixels(), object->GetHeightPixels()};
}

uint32_t CPglChatBox::CreateLinkObject(std::string_view address, std::string_view hoverPicture)
{
    auto* link = NewChild<CPglHighCharacter>();
    if (!link)
        return 0;
    link->Create(std::string(address), std::string(hoverPicture).c_str(), GetId());
    link->SetOrigin(appendOrigin_);
    AddChild(link, kLinkOwned);
    return link->GetId();
}

bool CPglChatBox::OnLoadUrl(std::string_view, std::string_view, int, std::string_view) { return false; }

void CPglChatBox::AppendPostedText(uintptr_t payload)
{
    ObjectModule* objects = GetObjectModule();
    if (!objects)
        return;
    if (const std::optional<std::string> text = objects->TakeTextPayload(payload))
        AppendText(EscapeChatText(*text)); // a posted text is typed, not the program's markup
}

void CPglChatBox::AppendOwnText(const Markup& text)
{
    appendOrigin_ = LinkOrigin::Own;
    AppendText(text);
    appendOrigin_ = LinkOrigin::Peer;
}

void CPglChatBox::AppendText(const Markup& text)
{
    if (text.empty() || text.Text()[0] == '\0')
        return;
    ChatLayout& layout = doc_.layout;
    if (style_ & kEditable) {
        if (layout.HasSelection()) {
            layout.DeleteSelection();
            layout.ClearSelection();
        }
    } else {
        layout.SetCaret(nullptr);
    }
    ParseMarkup(text);
    ScrollAfterAppend();
    RequestRefresh();
}

void CPglChatBox::AppendObject(CPglChatObject* object)
{
    if (!object)
        return;
    ChatLayout& layout = doc_.layout;
    if (object->GetWidth() > layout.viewWidth || object->GetHeight() > layout.viewHeight)
        SendEvent({object->GetId(), EV_OBJECT_RESIZE, uintptr_t(layout.viewWidth), uintptr_t(layout.viewHeight)});
    if (layout.HasSelection()) {
        if (style_ & kEditable)
            layout.DeleteSelection();
        else
            layout.SetCaret(nullptr);
        layout.ClearSelection();
    }
    ChatElement e;
    e.width = uint16_t(std::clamp(object->GetWidthPixels(), 0, 0xFFFF));
    e.height = uint16_t(std::clamp(object->GetHeightPixels(), 0, 0xFFFF));
    e.code = object->GetId();
    e.flags = kObject;
    e.gap = 2 * doc_.charGap;
    e.colour = doc_.format.colour;
    object->Deactivate();
    layout.Commit({e});
    ScrollAfterAppend();
    RequestRefresh();
}

void CPglChatBox::ParseMarkup(const Markup& text) { doc_.Append(text); }

void CPglChatBox::Backspace()
{
    if (doc_.layout.Backspace())
        RequestRefresh();
}

void CPglChatBox::DeleteForward()
{
    if (doc_.layout.DeleteForward())
        RequestRefresh();
}

void CPglChatBox::RemoveElementAt(int index)
{
    if (ChatElement* e = GetElementAt(index))
        RemoveRange(e, e->next);
}

void CPglChatBox::RemoveRange(ChatElement* from, ChatElement* to)
{
    if (doc_.layout.RemoveRange(from, to) > 0)
        RequestRefresh();
}

void CPglChatBox::RemoveElement(ChatElement* element)
{
    if (element)
        RemoveRange(element, element->next);
}

void CPglChatBox::RemoveObject(uint32_t objectId, bool release)
{
    for (ChatElement* e = doc_.layout.First(); e; e = e->next) {
        if (!e->Is(kObject) || e->code != objectId)
            continue;
        if (!release) {
            // The object survives its element: forget it as placed and unlink it.
            std::erase(placed_, objectId);
            RemoveChild(objectId);
            e->code = 0;
        }
        RemoveRange(e, e->next);
        return;
    }
}

void CPglChatBox::HideElementAt(int index)
{
    ChatElement* e = GetElementAt(index);
    if (!e)
        return;
    e->flags |= kHidden;
    doc_.layout.Touch();
    if (e->Is(kObject))
        if (PObject* object = FindById(e->code))
            object->Deactivate();
}

void CPglChatBox::ShowElementAt(int index)
{
    if (ChatElement* e = GetElementAt(index)) {
        e->flags &= ~kHidden;
        doc_.layout.Touch();
    }
}

void CPglChatBox::ShowAllElements()
{
    for (ChatElement* e = doc_.layout.First(); e; e = e->next)
        e->flags &= ~kHidden;
    doc_.layout.Touch();
}

void CPglChatBox::FreeElement(const ChatElement& e)
{
    if (&e == walkStart_)
        walkStart_ = nullptr;
    if (e.Is(kObject) && e.code) {
        std::erase(placed_, e.code);
        ReleaseObject(FindById(e.code), false);
    }
    if (e.Is(kLinkFirst) && e.linkId) {
        if (hoveredLink_ == e.linkId)
            hoveredLink_ = 0;
        ReleaseObject(FindById(e.linkId), false);
    }
}

void CPglChatBox::HideAllPlaced()
{
    for (uint32_t id : placed_) {
        if (PObject* object = FindById(id)) {
            object->Deactivate();
            object->Redraw();
        }
    }
    placed_.clear();
}

void CPglChatBox::Clear()
{
    HideAllPlaced();
    if (selection_) {
        selection_->Clear();
        selection_->Redraw();
        selectionMarked_ = false;
    }
    doc_.layout.Clear();
    hoveredLink_ = 0;
    dragging_ = false;
    lastDrawnScrollY_ = kNeverDrawn;
    if (text_) {
        text_->Clear();
        text_->Redraw();
    }
    UpdateScrollBars();
    if (caretShown_)
        PlaceCaret(nullptr);
}

} // namespace Lumora
