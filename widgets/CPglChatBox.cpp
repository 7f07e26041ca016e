#include "widgets/CPglChatBox.h"

#include "engine/input/InputData.h"
#include "engine/input/InputModule.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/ImageRecord.h"
#include "engine/paint/Surface.h"
#include "platform/Clipboard.h"
#include "platform/InputMethod.h"
#include "platform/KeyboardState.h"
#include "platform/Shell.h"
#include "widgets/CPglChatObject.h"
#include "widgets/CPglHighCharacter.h"
#include "widgets/CXyScrollBar.h"
#include "widgets/WidgetSupport.h"
#include "widgets/InputEditing.h"

#include <cstring>

namespace Lumora {

using namespace chat_flag;
using namespace chat_style;

namespace {

constexpr uint32_t kTextPlaneLinks = 0x1980A3;
// The selection plane (and the caret on it) goes with the text plane: without the owned bit a
// box that is released, as every input box of a closing dialog is, left both planes behind.
constexpr uint32_t kSelectionLinks = 0x19C0A2 | LINK_OWNED;
constexpr uint32_t kCaretLinks = 0x1C0A3;
constexpr uint32_t kSelectionColour = 0x7CA781;
constexpr uint32_t kLinkOwned = LINK_OWNED;
constexpr int kNeverDrawn = 251658240;

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
    // The objects the elements name are the engine's to delete along with the box.
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

void CPglChatBox::CreateScrollBars()
{
    const bool vertical = !(style_ & kSingleLine);
    CXyScrollBar*& bar = vertical ? vbar_ : hbar_;
    if (bar || !background_)
        return;
    auto* made = new CXyScrollBar;
    if (!RegisterChild(made)) {
        delete made;
        return;
    }
    const uint32_t first = vertical ? 22 : 27;
    PictureInfo skins[5];
    for (uint32_t i = 0; i < 5; ++i)
        if (const char* name = GetSettingString(first + i))
            GetPicture(skins[i], name, 0);
    const int thickness = skins[0].image ? (vertical ? skins[0].width : skins[0].height) : 14;
    const int length = vertical ? std::max(1, doc_.layout.viewHeight) : std::max(1, doc_.layout.viewWidth);
    made->Create(GetId(), vertical ? thickness : length, vertical ? length : thickness, vertical ? 1 : 0, 0);
    if (skins[0].image)
        made->SetTrackSkin(skins[0]);
    if (skins[1].image)
        made->SetThumbSkin(skins[1]);
    if (skins[2].image)
        made->SetThumbGrip(skins[2]);
    if (skins[3].image)
        vertical ? made->SetUpArrow(skins[3]) : made->SetLeftArrow(skins[3]);
    if (skins[4].image)
        vertical ? made->SetDownArrow(skins[4]) : made->SetRightArrow(skins[4]);
    made->Deactivate();
    background_->AddChild(made, 0x190A3);
    bar = made;
}

void CPglChatBox::UpdateScrollBars()
{
    if (!(style_ & kScrollBars) || updatingBars_ || !background_)
        return;
    updatingBars_ = true;
    ChatLayout& layout = doc_.layout;
    if (vbar_) {
        const int barWidth = int(vbar_->GetWidth() + 0.5);
        const bool overflow = layout.ContentHeight() > layout.viewHeight;
        if (overflow && !vShown_) {
            vShown_ = true;
            vbar_->SetZ(background_->GetZ() + 0.2);
            vbar_->Activate();
            Layout(layout.viewWidth, layout.viewHeight);
        } else if (!overflow && vShown_) {
            vShown_ = false;
            vbar_->Deactivate();
            vbar_->Redraw();
            Layout(layout.viewWidth + barWidth, layout.viewHeight);
        }
        vbar_->SetRange(layout.ScrollY() - layout.TopOffset(), std::min(layout.viewHeight, layout.ContentHeight()),
                        layout.ContentHeight(), std::max(1, doc_.format.height));
    }
    if (hbar_) {
        const int barHeight = int(hbar_->GetHeight() + 0.5);
        const bool overflow = layout.ContentWidth() > layout.viewWidth;
        if (overflow && !hShown_) {
            hShown_ = true;
            hbar_->SetZ(background_->GetZ() + 0.2);
            hbar_->Activate();
            Layout(layout.viewWidth, layout.viewHeight);
        } else if (!overflow && hShown_) {
            hShown_ = false;
            hbar_->Deactivate();
            hbar_->Redraw();
            Layout(layout.viewWidth, layout.viewHeight + barHeight);
        }
        hbar_->SetRange(layout.ScrollX(), std::min(layout.viewWidth, layout.ContentWidth()), layout.ContentWidth(),
                        std::max(1, doc_.format.height / 2));
    }
    updatingBars_ = false;
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
            e->width = uint16_t(std::clamp(int(object->GetWidth()), 0, 0xFFFF));
            e->height = uint16_t(std::clamp(int(object->GetHeight()), 0, 0xFFFF));
        }
    }
    if (layout.ElementCount() > 0) {
        layout.Reflow();
        ScrollAfterAppend();
    }
    ApplyClip();
    RefreshContent(false);
}

void CPglChatBox::ApplyClip()
{
    if (!text_)
        return;
    const Rect view{int(text_->GetLeft()), int(text_->GetTop()), int(text_->GetLeft()) + doc_.layout.viewWidth,
                    int(text_->GetTop()) + doc_.layout.viewHeight};
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
    auto* object = new CPglChatObject;
    if (!RegisterChild(object)) {
        delete object;
        return std::nullopt;
    }
    switch (request.kind) {
    case ChatObjectKind::Picture: object->CreatePicture(picture, request.width, request.height); break;
    case ChatObjectKind::Animation:
    case ChatObjectKind::Emoticon: object->CreateAnimation(request.picture.c_str(), request.width, request.height); break;
    case ChatObjectKind::LinkButton:
        object->CreateButton(request.picture.c_str(), GetId(), request.width, request.height);
        object->SetAddress(request.address);
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
    auto* link = new CPglHighCharacter;
    if (!RegisterChild(link)) {
        delete link;
        return 0;
    }
    link->Create(std::string(address), std::string(hoverPicture).c_str(), GetId());
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
        AppendText(*text);
}

void CPglChatBox::AppendText(std::string_view text)
{
    if (text.empty() || text[0] == '\0')
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

void CPglChatBox::ParseMarkup(std::string_view text) { doc_.Append(text); }

void CPglChatBox::ScrollAfterAppend()
{
    ChatLayout& layout = doc_.layout;
    if (style_ & kGrowToFit) {
        const int available = CClassSenior::GetViewHeight() - int(GetHeight());
        const int content = layout.ContentHeight();
        if (content > 0 && content < available && content != layout.viewHeight) {
            const double top = GetTop();
            boxHeight_ = content;
            SetSize(boxWidth_, content);
            ResizeBackground(boxWidth_, content);
            MoveTo(GetX(), top + content / 2.0);
            Layout(layout.viewWidth, content);
        }
    }
    if (style_ & kAutoScroll)
        layout.ScrollAfterAppend();
}

void CPglChatBox::RequestRefresh()
{
    if (refreshPending_)
        return;
    if (style_ & kImmediateRefresh) {
        RefreshContent(true);
        return;
    }
    refreshPending_ = true;
    const EventRecord refresh{GetId(), EV_CHAT_REFRESH, 0, 0};
    if (!ActWait(5, &refresh))
        refreshPending_ = false;  // no engine to wait with: the next request tries again
}

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

void CPglChatBox::OpenUrl(std::string_view address) { platform::OpenUrl(address); }

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

void CPglChatBox::ScrollTo(int position)
{
    doc_.layout.ScrollTo(position);
    RequestRefresh();
    RedrawSelection();
}

void CPglChatBox::ScrollToHome()
{
    if (doc_.layout.ScrollY() == doc_.layout.TopOffset())
        return;
    doc_.layout.ScrollToHome();
    RequestRefresh();
}

void CPglChatBox::ScrollToEnd()
{
    doc_.layout.ScrollToEnd();
    RequestRefresh();
}

void CPglChatBox::OnWheelUp()
{
    doc_.layout.WheelUp();
    RequestRefresh();
    RedrawSelection();
}

void CPglChatBox::OnWheelDown()
{
    doc_.layout.WheelDown();
    RequestRefresh();
    RedrawSelection();
}

void CPglChatBox::TrimRows() { doc_.layout.TrimRows(); }

void CPglChatBox::RelayoutElements() { doc_.layout.RelayoutElements(); }

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

void CPglChatBox::RedrawSelection()
{
    if (!selection_)
        return;
    selection_->Clear();
    const ChatLayout& layout = doc_.layout;
    if (layout.HasSelection()) {
        const ChatElement* a = layout.SelectionFrom();
        const ChatElement* b = layout.SelectionTo();
        if (layout.IndexOf(a) > layout.IndexOf(b))
            std::swap(a, b);
        selection_->SetPen(kSelectionColour, 1.0);
        const int sx = layout.ScrollX(), sy = layout.ScrollY();
        for (const ChatElement* e = a; e && e != b; e = e->next)
            if (!e->Is(kHidden))
                selection_->FillRect(e->x - sx, e->rowTop - sy, e->x - sx + e->width + e->gap, e->Bottom() - sy);
    }
    selection_->Redraw();
}

void CPglChatBox::PlaceObjectElement(const ChatElement& e, double z)
{
    PObject* object = FindById(e.code);
    if (!object || !text_)
        return;
    const ChatLayout& layout = doc_.layout;
    const Rect view{int(text_->GetLeft()), int(text_->GetTop()), int(text_->GetLeft()) + layout.viewWidth,
                    int(text_->GetTop()) + layout.viewHeight};
    object->SetClipRect(view);
    object->SetZ(z);
    object->MoveTo(text_->GetLeft() + e.x - layout.ScrollX() + (e.width + 1) / 2,
                   text_->GetTop() + e.y - layout.ScrollY() + (e.height + 1) / 2);
    if (IsActive())
        object->Activate();
    object->Redraw();
    placed_.push_back(e.code);
}

void CPglChatBox::RefreshContent(bool reuse)
{
    refreshPending_ = false;
    ++redraws_;
    rendered_ = 0;
    if (!text_)
        return;
    ChatLayout& layout = doc_.layout;
    if (caretShown_)
        PlaceCaret(layout.Caret());
    HideAllPlaced();
    const int sx = layout.ScrollX(), sy = layout.ScrollY();
    const int vw = layout.viewWidth, vh = layout.viewHeight;
    const int surfaceWidth = text_->GetSurfaceWidth(), surfaceHeight = text_->GetSurfaceHeight();
    const size_t bytes = size_t(surfaceWidth) * surfaceHeight * 4;
    // Characters already drawn at the same x stay valid while nothing was laid out anew and
    // the view moved by less than its height: their pixels are copied instead of drawn again.
    const int regrownTop = layout.TakeRegrownTop();
    const bool keep = reuse && !(style_ & kEditable) && lastDrawnScrollY_ != kNeverDrawn &&
                      layout.Generation() == lastDrawnGeneration_ && sx == lastDrawnScrollX_ &&
                      std::abs(sy - lastDrawnScrollY_) < vh && text_->GetPixels();
    if (keep) {
        backStore_.assign(text_->GetPixels(), text_->GetPixels() + bytes);
    }
    text_->Clear();
    const bool password = style_ & kPassword;
    for (const ChatElement* e = layout.First(); e; e = e->next) {
        if (e->Is(kHidden | kNotDrawn) || e->Bottom() <= sy)
            continue;
        if (e->rowTop >= sy + vh)
            break;
        if (e->x >= sx + vw || e->x + e->width <= sx)
            continue;
        if (e->Is(kObject)) {
            PlaceObjectElement(*e, text_->GetZ() + 0.001);
            continue;
        }
        if (e->Is(kLineBreak) || e->fontHeight == 0)
            continue;
        const bool drawnBefore = e->rowTop < lastPointRowTop_ || (e->rowTop == lastPointRowTop_ && e->x <= lastPointX_);
        if (keep && drawnBefore && e->rowTop < regrownTop && e->y >= lastDrawnScrollY_ &&
            e->Bottom() <= lastDrawnScrollY_ + vh) {
            const int left = std::max(0, e->x - sx), right = std::min(surfaceWidth, e->x - sx + e->width + e->gap);
            for (int row = 0; row < e->height; ++row) {
                const int from = e->y - lastDrawnScrollY_ + row, to = e->y - sy + row;
                if (from < 0 || from >= surfaceHeight || to < 0 || to >= surfaceHeight || right <= left)
                    continue;
                std::memcpy(text_->GetPixels() + (size_t(to) * surfaceWidth + left) * 4,
                            backStore_.data() + (size_t(from) * surfaceWidth + left) * 4, size_t(right - left) * 4);
            }
            continue;
        }
        text_->SetFont(e->fontHeight, e->Is(kBold) ? 700 : 400, doc_.faces.Name(e->face));
        text_->SetItalic(e->Is(kItalic));
        text_->SetUnderline(e->Is(kUnderline));
        text_->SetPen(e->colour, 1.0);
        const std::string shown = password ? std::string(e->Is(kTwoByte) ? "**" : "*") : e->Text();
        text_->DrawTextLine(e->x - sx, e->y - sy, shown);
        ++rendered_;
    }
    text_->Redraw();
    lastDrawnScrollY_ = sy;
    lastDrawnScrollX_ = sx;
    lastDrawnGeneration_ = layout.Generation();
    lastPointRowTop_ = layout.Last() ? layout.Last()->rowTop : INT32_MIN;
    lastPointX_ = layout.Last() ? layout.Last()->x : INT32_MIN;
    RedrawSelection();
    UpdateScrollBars();
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
            OpenUrl(link->GetAddress());
        else if (auto* object = dynamic_cast<CPglChatObject*>(FindById(uint32_t(r.param1))))
            OpenUrl(object->GetAddress());
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
