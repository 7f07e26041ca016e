#include "widgets/CCyPlayerListBar.h"

#include "engine/GameCore.h"
#include "engine/LumoraDefs.h"
#include "engine/object/PlaneObject.h"
#include "widgets/AppServices.h"
#include "widgets/CCyScrollBar.h"
#include "widgets/CCyUserList.h"
#include "widgets/UserRows.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Lumora {

namespace {

constexpr uint32_t kPartOfBar = 0x180021;
constexpr uint32_t kVerticalSkins = 22;    // back, thumb, pattern, up, down
constexpr uint32_t kHorizontalSkins = 27;  // back, thumb, pattern, left, right

} // namespace

void CCyPlayerListBar::CreateFromSkin()
{
    SetName(kBarName);
    fromSkin_ = true;
    Create();
}

int CCyPlayerListBar::AddColumn(const ListColumn& column)
{
    columns_.push_back(column);
    listShown_.reset();
    ++columnCount_;
    totalWidth_ += column.width;
    return int(columns_.size());
}

int CCyPlayerListBar::AddColumn(int32_t kind, int32_t width, const char* title, int32_t w3, int32_t w4, int32_t w5)
{
    return AddColumn(ListColumn{kind, width, title ? title : "", w3, w4, w5});
}

int CCyPlayerListBar::HeaderHeight()
{
    PictureInfo skin;
    GetPicture(skin, kHeaderSkin, 0);
    return skin.height;
}

int CCyPlayerListBar::HeightForRows(int rows)
{
    PictureInfo block;
    GetPicture(block, CCyUserList::kRowSkin, 0);
    return HeaderHeight() + rows * block.height + (hScrollBar_ ? int(hScrollBar_->GetHeight()) : 0);
}

CCyScrollBar* CCyPlayerListBar::MakeScrollBar(int orientation, uint32_t firstSetting)
{
    auto* bar = NewChild<CCyScrollBar>();
    if (!bar)
        return nullptr;
    PictureInfo skins[5];
    for (uint32_t k = 0; k < 5; ++k) {
        const char* name = GetSettingString(firstSetting + k);
        GetPicture(skins[k], name ? name : "", 0);
    }
    const bool vertical = orientation == 1;
    const int thickness = std::max(1, vertical ? skins[0].width : skins[0].height);
    bar->Create(GetId(), vertical ? thickness : 100, vertical ? 100 : thickness, orientation, 0);
    bar->SetTrackSkin(skins[0]);
    bar->SetThumbSkin(skins[1]);
    if (skins[2].image)
        bar->SetThumbGrip(skins[2]);
    if (vertical) {
        bar->SetUpArrow(skins[3]);
        bar->SetDownArrow(skins[4]);
    } else {
        bar->SetLeftArrow(skins[3]);
        bar->SetRightArrow(skins[4]);
    }
    bar->SetZ(GetZ() + 0.01);
    if (list_)
        list_->AddChild(bar, kPartOfBar);
    return bar;
}

PlaneObject* CCyPlayerListBar::MakeCorner(int width, int height, double z)
{
    PlaneObject* corner = NewPlaneObject(std::max(1, width), std::max(1, height), kColourKeyBackground);
    if (!corner)
        return nullptr;
    corner->SetZ(z);
    AddChild(corner, kPartOfBar);
    corner->Activate();
    corner->Redraw();
    return corner;
}

void CCyPlayerListBar::Create()
{
    if (!fromSkin_ || list_)
        return;
    PictureInfo headerSkin, block;
    GetPicture(headerSkin, kHeaderSkin, 0);
    GetPicture(block, CCyUserList::kRowSkin, 0);
    if (!headerSkin.image) {
        if (GameCore* core = GetCore())
            core->PostMessage(LUMORA_MODULE_ERROR_SINK, LUMORA_MSG_MODULE_FAULT,
                              reinterpret_cast<uintptr_t>("UserListBar: skin \"SystemUserListBar\" missing"), 0);
        return;
    }
    auto* list = NewChild<CCyUserList>();
    if (!list)
        return;
    list_ = list;
    list_->Create(std::max(1, totalWidth_), std::max(1, block.height * CountRows()));
    list_->SetColumns(&columns_);
    list_->CreateMenu();
    list_->SetZ(GetZ() + 0.005);
    AddChild(list_, kPartOfBar);
    list_->Activate();
    list_->Redraw();

    header_ = NewPlaneObject(std::max(1, totalWidth_), headerSkin.height, kColourKeyBackground);
    if (header_) {
        header_->SetZ(GetZ() + 0.005);
        AddChild(header_, kPartOfBar);
        header_->Activate();
        header_->Redraw();
        header_->AddFlags(OBJ_TOP_LEVEL);
    }

    hScrollBar_ = MakeScrollBar(0, kHorizontalSkins);
    vScrollBar_ = MakeScrollBar(1, kVerticalSkins);
    list_->Activate();
    list_->Redraw();

    const int barWidth = vScrollBar_ ? int(vScrollBar_->GetWidth()) : 0;
    const int barHeight = hScrollBar_ ? int(hScrollBar_->GetHeight()) : 0;
    cornerTop_ = MakeCorner(barWidth, headerSkin.height, GetZ() + 0.001);
    cornerBottom_ = MakeCorner(barWidth, barHeight, GetZ() + 0.001);

    // A press on a row gives the list (or its surface) the focus, which the wheel goes to.
    for (PObject* target :
         {static_cast<PObject*>(this), static_cast<PObject*>(list_), static_cast<PObject*>(list_->GetPlane())})
        if (target) {
            target->PObject::AddEventHook(EV_WHEEL_FORWARD, GetId(), EV_SCROLL_UP, 0, 0);
            target->PObject::AddEventHook(EV_WHEEL_BACKWARD, GetId(), EV_SCROLL_DOWN, 0, 0);
        }
    Layout();
}

int CCyPlayerListBar::CountRows()
{
    IAppServices* app = GetAppServices();
    return app ? CountUserRows(*app) : 0;
}

int CCyPlayerListBar::WholeRows(double height) const
{
    // A row cut at the list's foot reads as debris on what stands below the list (the first chat
    // line): only whole rows show, and one that does not fit is scrolled to.
    const int row = list_ ? list_->RowHeight() : 0;
    const int room = std::max(0, int(height));
    return row > 0 && room >= row ? room / row * row : room;
}

int CCyPlayerListBar::HeightForWholeRows(int most)
{
    const int extra = HeightForRows(0), row = list_ ? list_->RowHeight() : 0;
    return row > 0 && most - extra >= row ? extra + (most - extra) / row * row : most;
}

void CCyPlayerListBar::PlaceList()
{
    if (!list_)
        return;
    const int hh = HeaderHeight();
    const double left = GetLeft(), top = GetTop();
    // What there is to scroll: the columns, and the rows that hold a user (the blank rows that
    // pad the list to its least count are none of it).
    int columns = 0;
    for (const ListColumn& c : columns_)
        columns += c.width;
    int users = 0;
    for (int row = 0; row < list_->GetRowCount(); ++row)
        users += list_->GetRow(row)->record.UserId() != 0;
    const double content = double(users) * list_->RowHeight();
    // A bar takes its room only while there is something to scroll, which the other's room can make.
    const double barWidth = vScrollBar_ ? vScrollBar_->GetWidth() : 0;
    const double barHeight = hScrollBar_ ? hScrollBar_->GetHeight() : 0;
    bool across = false, down = false;
    for (int pass = 0; pass < 2; ++pass) {
        across = hScrollBar_ && columns > GetWidth() - (down ? barWidth : 0);
        down = vScrollBar_ && content > WholeRows(GetHeight() - hh - (across ? barHeight : 0));
    }
    const Rect visible{int32_t(left), int32_t(top + hh), int32_t(left + GetWidth() - (down ? barWidth : 0)),
                       int32_t(top + hh + WholeRows(GetHeight() - hh - (across ? barHeight : 0)))};
    list_->SetClipRect(visible);
    list_->MoveTo(left + list_->GetWidth() / 2, top + hh + list_->GetHeight() / 2);
    if (header_)
        header_->MoveTo(left + header_->GetWidth() / 2, top + hh / 2.0);
    const double visibleWidth = std::max(0, visible.right - visible.left);
    const double visibleHeight = std::max(0, visible.bottom - visible.top);
    if (hScrollBar_)
        hScrollBar_->SetRange(0, visibleWidth, columns, kHorizontalStep);
    if (vScrollBar_)
        vScrollBar_->SetRange(0, visibleHeight, content, std::max(1, list_->RowHeight()));
    ShowBarsThatScroll();
}

void CCyPlayerListBar::Activate()
{
    CLumoraGui::Activate();
    ShowBarsThatScroll();
}

void CCyPlayerListBar::ShowBarsThatScroll()
{
    // The bars follow the bar's activation, but each shows only while it has something to scroll,
    // and the corner between them while either does.
    const auto scrolls = [](const CCyScrollBar* bar) { return bar && bar->GetRange() > bar->GetPage(); };
    const bool across = scrolls(hScrollBar_), down = scrolls(vScrollBar_);
    const std::pair<PObject*, bool> parts[] = {
        {hScrollBar_, across}, {vScrollBar_, down}, {cornerBottom_, across || down}};
    for (const auto& [part, show] : parts) {
        if (!part)
            continue;
        if (show && IsActive())
            part->Activate();
        else
            part->Deactivate();
        part->Redraw();
    }
}

bool CCyPlayerListBar::ListLook::operator==(const ListLook& other) const
{
    const auto sameRow = [](const UserRow& a, const UserRow& b) {
        return std::memcmp(a.record.Data(), b.record.Data(), GameUserRecord::kSize) == 0 && a.rowFrame == b.rowFrame &&
            a.rowMarked == b.rowMarked && a.hovered == b.hovered && a.reserved == b.reserved;
    };
    return userId == other.userId && ink == other.ink && width == other.width && height == other.height &&
        plane == other.plane && std::equal(rows.begin(), rows.end(), other.rows.begin(), other.rows.end(), sameRow);
}

std::optional<CCyPlayerListBar::ListLook> CCyPlayerListBar::ListNow() const
{
    const IAppServices* app = GetAppServices();
    const PlaneObject* plane = list_ ? list_->GetPlane() : nullptr;
    if (!app || !plane)
        return std::nullopt;
    ListLook look;
    for (int row = 0; row < list_->GetRowCount(); ++row)
        look.rows.push_back(*list_->GetRow(row));
    look.userId = app->GetUserID();
    look.ink = app->GetRGBColorPlayerViewText();
    look.width = plane->GetSurfaceWidth();
    look.height = plane->GetSurfaceHeight();
    look.plane = plane->Geometry();
    return look;
}

void CCyPlayerListBar::RefreshUsers()
{
    if (!list_)
        return;
    // A row the pointer marked or unmarked since is drawn by the list itself.
    const std::optional<ListLook> before = ListNow();
    list_->ClearUsers();
    std::vector<UserRow> rows;
    if (IAppServices* app = GetAppServices())
        BuildUserRows(*app, rows);
    for (const UserRow& row : rows)
        list_->AddUser(row);
    list_->SetSize(std::max(1, totalWidth_), std::max(1, list_->RowHeight() * int(rows.size())));
    PlaceList();
    // The panel rebuilds the list on every change of any user, most of which the list does not
    // show: the same rows drawn the same way at the same place are on the screen already.
    if (const std::optional<ListLook> now = ListNow();
        now && before && listShown_ && *now == *listShown_ && *before == *listShown_)
        return;
    list_->RedrawAll();
    listShown_ = ListNow();
}

void CCyPlayerListBar::Layout()
{
    if (!list_ || GetWidth() < 0)
        return;
    const double left = GetLeft(), top = GetTop(), width = GetWidth(), height = GetHeight();
    const int hh = HeaderHeight();
    const double barWidth = vScrollBar_ ? vScrollBar_->GetWidth() : 0;
    const double barHeight = hScrollBar_ ? hScrollBar_->GetHeight() : 0;
    const double cornerWidth = cornerTop_ ? cornerTop_->GetWidth() : 0;
    // The rows reach the right edge, where a hidden vertical bar leaves them room.
    if (totalWidth_ < width) {
        totalWidth_ = int(width);
        if (header_) {
            header_->ResizeSurface(totalWidth_, hh);
            header_->SetSize(totalWidth_, hh);
        }
    }
    if (header_)
        header_->SetClipRect(Rect{int32_t(left), int32_t(top), int32_t(left + width - cornerWidth), int32_t(top + hh)});
    if (cornerTop_)
        cornerTop_->MoveTo(left + width - cornerWidth / 2, top + hh / 2.0);
    PlaceList();
    if (hScrollBar_) {
        hScrollBar_->SetSize(width - barWidth, barHeight);
        hScrollBar_->MoveTo(left + (width - barWidth) / 2, top + height - barHeight / 2);
    }
    if (vScrollBar_) {
        const double length = height - hh - barHeight;
        vScrollBar_->SetSize(barWidth, length);
        vScrollBar_->MoveTo(left + width - barWidth / 2, top + hh + length / 2);
    }
    if (cornerBottom_)
        cornerBottom_->MoveTo(left + width - barWidth / 2, top + height - barHeight / 2);
    DrawHeader();
    RefreshUsers();
}

void CCyPlayerListBar::DrawHeader()
{
    if (!header_)
        return;
    IAppServices* app = GetAppServices();
    PictureInfo skin;
    GetPicture(skin, kHeaderSkin, 0);
    header_->Clear();
    header_->SetPen(app ? app->GetRGBColorPlayerViewHeader() : 0, 1.0);
    header_->SetFont(12, 400, "宋体");
    header_->DrawPicture(skin, 0, 0, 0, 0, 0, 1.0);
    PictureInfo divider;
    GetPicture(divider, "SystemDivide", 0);
    int x = 0;
    for (size_t k = 0; k < columns_.size(); ++k) {
        if (k > 0 && divider.image)
            header_->DrawPicture(divider, x, 2, -1, -1, 0, 1.0);
        header_->DrawTextLine(x + 4, 3, columns_[k].title);
        x += columns_[k].width;
    }
    header_->Redraw();
    if (cornerTop_) {
        // The right end of the header skin.
        cornerTop_->Clear();
        cornerTop_->DrawPicture(skin, cornerTop_->GetSurfaceWidth() - skin.width, 0, -1, -1, 0, 1.0);
        cornerTop_->Redraw();
    }
    PictureInfo corner;
    GetPicture(corner, kCornerSkin, 0);
    if (cornerBottom_ && corner.image) {
        cornerBottom_->Clear();
        cornerBottom_->DrawPicture(corner, 0, 0, 0, 0, 0, 1.0);
        cornerBottom_->Redraw();
    }
}

void CCyPlayerListBar::ScrollBy(CCyScrollBar* bar, double delta)
{
    if (!bar || !list_)
        return;
    const double position = std::clamp(bar->GetPositionValue() + delta, 0.0, bar->MaxPosition());
    if (position == bar->GetPositionValue())
        return;
    bar->SetRange(position, bar->GetPage(), bar->GetRange(), -1.0);
    bar->NotifyOwner();
}

void CCyPlayerListBar::ScrollLeft() { ScrollBy(hScrollBar_, -kHorizontalStep); }
void CCyPlayerListBar::ScrollRight() { ScrollBy(hScrollBar_, kHorizontalStep); }
void CCyPlayerListBar::ScrollUp()
{
    if (list_)
        ScrollBy(vScrollBar_, -list_->RowHeight());
}
void CCyPlayerListBar::ScrollDown()
{
    if (list_)
        ScrollBy(vScrollBar_, list_->RowHeight());
}

void CCyPlayerListBar::OnScroll(double position, int vertical)
{
    if (!list_)
        return;
    if (!vertical) {
        const double left = GetLeft() - position;
        list_->MoveTo(left + list_->GetWidth() / 2, list_->GetY());
        if (header_)
            header_->MoveTo(left + header_->GetWidth() / 2, header_->GetY());
    } else {
        // By whole rows, also where the thumb is dragged: the view shows whole rows only.
        const int row = list_->RowHeight();
        const double rows = row > 0 ? std::round(position / row) * row : position;
        list_->MoveTo(list_->GetX(), GetTop() + HeaderHeight() - rows + list_->GetHeight() / 2);
    }
    list_->Redraw();
    if (header_)
        header_->Redraw();
}

int CCyPlayerListBar::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_REFRESH_USERS:
        RefreshUsers();
        return 1;
    case EV_FORGET_LOOK_ON:
        if (list_)
            list_->ClearLookOnAllowed();
        return CLumoraGui::OnEvent(record);
    case EV_SCROLL_POSITION:
        if (record.param1)
            OnScroll(reinterpret_cast<const double*>(record.param1)[0], int(record.param2));
        return 1;
    case EV_SCROLL_RIGHT:
        ScrollRight();
        return 1;
    case EV_SCROLL_LEFT:
        ScrollLeft();
        return 1;
    case EV_SCROLL_UP:
        ScrollUp();
        return 1;
    case EV_SCROLL_DOWN:
        ScrollDown();
        return 1;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

} // namespace Lumora
