#include "widgets/CCyUserList.h"

#include "engine/input/InputModule.h"
#include "engine/object/PlaneObject.h"
#include "platform/Clipboard.h"
#include "widgets/AppServices.h"
#include "widgets/CCyPopButton.h"
#include "widgets/CCyPopMenu.h"
#include "widgets/ChatMarkup.h"
#include "widgets/SidePanelObjects.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cstdio>

namespace Lumora {

namespace {

constexpr uint32_t kLookOnNoticeColour = 2906200;
constexpr int kIconWidth = 32;
constexpr int kIconHeight = 30;
constexpr int kFontSize = 12;
constexpr int kTextDrop = 12; // the texts' top edge below the row band's top
constexpr int kNameInset = 34; // the name after the icon cell
constexpr int kTextInset = 4;

std::string Format(const char* format, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

void CCyUserList::Create(int width, int height)
{
    PObject::SetSize(width, height);
    body_ = NewPlaneObject(width, height, kColourKeyBackground);
    if (!body_)
        return;
    body_->SetAlpha(1.0);
    SetBody(body_, kBodyLinks);
    const uint32_t hooks[][2] = {{EV_LBUTTON_DOWN, EV_ROW_PRESS},
                                 {EV_RBUTTON_DOWN, EV_ROW_MENU},
                                 {EV_MOUSE_MOVE, EV_ROW_MOVE},
                                 {EV_MOUSE_LEAVE, EV_ROW_LEAVE}};
    // The widget answers hit tests with its body's geometry, so whichever of the two the input
    // module finds under the cursor carries the hooks.
    for (const auto& h : hooks) {
        body_->AddEventHook(h[0], GetId(), h[1], 0, 0);
        PObject::AddEventHook(h[0], GetId(), h[1], 0, 0);
    }
    AddFlags(OBJ_TOP_LEVEL);
}

void CCyUserList::SetSize(double width, double height)
{
    PObject::SetSize(width, height);
    if (!body_)
        return;
    // A refresh to the same number of rows keeps the surface it has.
    if (body_->GetSurfaceWidth() != int(width) || body_->GetSurfaceHeight() != int(height))
        body_->ResizeSurface(int(width), int(height));
    body_->SetSize(width, height);
}

void CCyUserList::CreateMenu()
{
    auto* menu = NewChild<CCyPopMenu>();
    if (!menu)
        return;
    menu_ = menu;
    menu_->Create(162, 30, kFontSize);
    menu_->AddFlags(OBJ_TOP_LEVEL);
    menu_->SetZ(10000.0);
    const struct {
        const char* text;
        uint32_t code;
        bool command;
        bool divider;
    } items[] = {
        {"", EV_INFO_ROW, false, true},
        {"查看详细", EV_SHOW_DETAIL, true, true},
        {"", EV_INFO_ROW, false, false},
        {"", EV_INFO_ROW, false, false},
        {"", EV_INFO_ROW, false, true},
        {"允许旁观看牌", EV_TOGGLE_LOOK_ON, true, false},
        {"呼叫玩家", EV_CALL_PLAYER, true, false},
        {"复制玩家名", EV_COPY_NAME, true, false},
    };
    for (const auto& item : items) {
        const EventRecord notify{GetId(), item.code, 0, 0};
        menu_->AddItem(item.text, &notify, 0, 0, item.command ? 1 : 0);
        if (item.divider)
            menu_->AddSeparator();
    }
    menu_->Deactivate();
    selectedRow_ = -1;
}

void CCyUserList::Select(int row)
{
    selectedRow_ = row;
    PlayWidgetSound(*this, "SndSelectBlock");
}

uint32_t CCyUserList::SelectedUser() const
{
    return HasUser(selectedRow_) ? uint32_t(rows_[size_t(selectedRow_)].record.UserId()) : 0;
}

void CCyUserList::ShowMenu(int show, int x, int y)
{
    if (!menu_)
        return;
    if (!show) {
        menu_->Deactivate();
        menu_->Redraw();
        return;
    }
    if (auto* input = dynamic_cast<InputModule*>(GetInputModule()))
        input->SetFocus(menu_->GetPlane() ? menu_->GetPlane()->GetId() : menu_->GetId());
    PlaceMenu(x, y);
    menu_->Activate();
    menu_->Redraw();
    if (HasUser(selectedRow_))
        FillMenu(rows_[size_t(selectedRow_)]);
}

void CCyUserList::PlaceMenu(int x, int y)
{
    const double w = menu_->GetWidth(), h = menu_->GetHeight();
    if (x < 0 || y < 0) {
        menu_->MoveTo(GetLeft() + w / 2, GetTop() + h / 2 - 10);
        return;
    }
    double cx = x + (int(w) + 1) / 2 + 1, cy = y + (int(h) + 1) / 2 + 1;
    if (PObject* panel = FindByName(kSubSystemName)) {
        // Kept inside the side panel.
        const double right = panel->GetRight(), bottom = panel->GetBottom();
        if (right > 0 && cx + w / 2 > right)
            cx = right - w / 2;
        if (bottom > 0 && cy + h / 2 > bottom)
            cy = bottom - h / 2;
    }
    menu_->MoveTo(cx, cy);
}

void CCyUserList::FillMenu(const UserRow& row)
{
    const GameUserRecord& r = row.record;
    const uint32_t user = uint32_t(r.UserId());
    IAppServices* app = GetAppServices();
    if (CCyPopButton* head = menu_->GetItem(ITEM_HEAD)) {
        if (app) {
            // No picture of the character nor of the stand-in character: the row goes without.
            PictureInfo icon;
            const std::string path = app->GetCharacterImagePath(r.Character(), IAppServices::kCharacterPicture32);
            if (!path.empty())
                GetPicture(icon, path.c_str(), 0);
            head->SetIcon(icon);
        }
        head->SetText(std::string(r.Name()).c_str());
    }
    if (CCyPopButton* item = menu_->GetItem(ITEM_SILVER))
        item->SetText(Format("银子：%d两", r.Silver()).c_str());
    if (CCyPopButton* item = menu_->GetItem(ITEM_SCORE))
        item->SetText(Format("积分：%d分", r.Score()).c_str());
    if (CCyPopButton* item = menu_->GetItem(ITEM_LEVEL))
        item->SetText(Format("级别：%s", std::string(r.Level()).c_str()).c_str());

    const int32_t chair = app ? app->GetUserChairByID(user) : -1;
    const bool lookOnUser = app && app->IsLookOnUser(user);
    const bool player = app && !app->IsLookOn();
    if (CCyPopButton* call = menu_->GetItem(ITEM_CALL))
        call->Enable(player && chair != -1 && (chair != app->GetChairNO() || lookOnUser));
    if (CCyPopButton* lookOn = menu_->GetItem(ITEM_LOOK_ON)) {
        const bool can = player && app->GetAppSwitch() != 0 && lookOnUser && chair == app->GetChairNO();
        lookOn->SetText(can && IsLookOnAllowed(user) ? "禁止旁观看牌" : "允许旁观看牌");
        lookOn->Enable(can);
    }
}

void CCyUserList::ClearUsers()
{
    rows_.clear();
    selectedRow_ = -1;
}

void CCyUserList::SetColumns(const std::vector<ListColumn>* columns) { columns_ = columns; }

int CCyUserList::AddUser(const UserRow& row)
{
    rows_.push_back(row);
    return int(rows_.size());
}

int CCyUserList::RowHeight()
{
    PictureInfo block;
    GetPicture(block, kRowSkin, 0);
    return block.height;
}

void CCyUserList::RedrawAll()
{
    if (!body_)
        return;
    // Every row clears its own band; only the part below the rows is cleared here.
    const int covered = int(rows_.size()) * RowHeight();
    body_->FillRect(0, covered, body_->GetSurfaceWidth(), body_->GetSurfaceHeight());
    for (int row = 0; row < int(rows_.size()); ++row)
        DrawRow(row);
}

void CCyUserList::DrawRow(int row)
{
    if (!body_ || !Valid(row))
        return;
    const UserRow& r = rows_[size_t(row)];
    PictureInfo block;
    const int frame = (r.rowMarked == 0 && r.hovered == 0) ? r.rowFrame : 0;
    GetPicture(block, kRowSkin, frame);
    const int height = block.height;
    const int top = row * height;
    body_->FillRect(0, top, body_->GetSurfaceWidth(), top + height);
    IAppServices* app = GetAppServices();
    body_->SetPen(app ? app->GetRGBColorPlayerViewText() : 0, 1.0);
    body_->DrawPicture(block, 0, top, body_->GetSurfaceWidth(), height, 0, 1.0);
    if (r.HasUser() && app) {
        const bool own = uint32_t(r.record.UserId()) == app->GetUserID();
        body_->SetFont(kFontSize, own ? 700 : 400, "宋体");
        DrawCells(r, top);
    }
    body_->Redraw();
}

void CCyUserList::DrawCells(const UserRow& row, int top)
{
    if (!columns_)
        return;
    const IAppServices& app = *GetAppServices();
    const int textTop = top + kTextDrop;
    int x = 0;
    for (const ListColumn& column : *columns_) {
        const CellText cell = UserCellText(column.kind, row, app);
        if (column.kind == COLUMN_NAME) {
            PictureInfo icon;
            if (row.record.LookOn() != 0) {
                GetPicture(icon, "bit_LookOn", 0);
                body_->DrawPicture(icon, x + (kIconWidth - icon.width) / 2 + 1, top + (kIconHeight - icon.height) / 2 + 3,
                                   -1, -1, 0, 1.0);
            } else if (const std::string path =
                           app.GetCharacterImagePath(row.record.Character(), IAppServices::kCharacterPicture32);
                       !path.empty()) {
                GetPicture(icon, path.c_str(), 0);
                if (icon.height > 0)
                    body_->DrawPicture(icon, x, top, icon.width * kIconHeight / icon.height, kIconHeight, 0, 1.0);
            }
            DrawCellText(cell.text, x + kNameInset, x + column.width, textTop);
        } else if (!cell.text.empty()) {
            DrawCellText(cell.text, x + kTextInset, x + column.width, textTop);
        }
        if (cell.advance)
            x += column.width;
    }
}

void CCyUserList::DrawCellText(const std::string& text, int left, int right, int top)
{
    // A name may take 32 bytes and an amount many digits: what does not fit its column is cut,
    // leaving the column's gap before the next column's text. Every cell holds what the server
    // sent (names, levels): drawn plain.
    const std::string fitted = body_->FitText(text, right - left - kTextInset);
    if (!fitted.empty())
        body_->DrawTextLine(left, top, fitted);
}

int CCyUserList::RowAt(int x, int y)
{
    if (x < GetLeft() || x > GetRight() || y < GetTop() || y > GetBottom() || !body_)
        return -1;
    const int rx = x - int(body_->GetLeft()), ry = y - int(body_->GetTop());
    if (rx < 0 || ry < 0 || rx > body_->GetWidth() || ry > body_->GetHeight())
        return -1;
    const int height = RowHeight();
    if (height < 1)
        return -1;
    return ry / height;
}

std::string CCyUserList::NameAt(int row) const
{
    return Valid(row) ? std::string(rows_[size_t(row)].record.Name()) : std::string();
}
uint32_t CCyUserList::UserIdAt(int row) const { return Valid(row) ? uint32_t(rows_[size_t(row)].record.UserId()) : 0; }
int32_t CCyUserList::CharacterAt(int row) const { return Valid(row) ? rows_[size_t(row)].record.Character() : 0; }
int32_t CCyUserList::SilverAt(int row) const { return Valid(row) ? rows_[size_t(row)].record.Silver() : 0; }
int32_t CCyUserList::ScoreAt(int row) const { return Valid(row) ? rows_[size_t(row)].record.Score() : 0; }
std::string CCyUserList::LevelAt(int row) const
{
    return Valid(row) ? std::string(rows_[size_t(row)].record.Level()) : std::string();
}

void CCyUserList::RemoveUser(const GameUserRecord* record)
{
    if (record)
        lookOnAllowed_.erase(uint32_t(record->UserId()));
}

void CCyUserList::OnRowPress(int row)
{
    if (!HasUser(row))
        return;
    Select(row);
    ShowMenu(0, 0, 0);
    if (auto* bar = dynamic_cast<IInputBarText*>(FindByName(kInputBarName)))
        bar->AppendInputText(FormatMarkup("%s，", UnbrokenMarkup(NameAt(row))));  // the line reads markup
}

void CCyUserList::OnRowMove(int row)
{
    if (!HasUser(row) || row == hoverRow_)
        return;
    if (Valid(hoverRow_)) {
        rows_[size_t(hoverRow_)].hovered = 0;
        DrawRow(hoverRow_);
    }
    hoverRow_ = row;
    rows_[size_t(row)].hovered = 1;
    DrawRow(row);
}

void CCyUserList::OnRowLeave()
{
    if (hoverRow_ < 0)
        return;
    if (Valid(hoverRow_)) {
        rows_[size_t(hoverRow_)].hovered = 0;
        DrawRow(hoverRow_);
    }
    hoverRow_ = -1;
}

void CCyUserList::ToggleLookOn()
{
    const uint32_t user = SelectedUser();
    IAppServices* app = GetAppServices();
    if (!user || !app || !app->IsLookOnUser(user) || !app->GetConnect())
        return;
    const bool allow = !IsLookOnAllowed(user);
    if (!app->GetConnect()->Request229560(user, allow ? 1 : 0))
        return;
    if (allow)
        lookOnAllowed_.insert(user);
    else
        lookOnAllowed_.erase(user);
    std::string own;
    app->GetUserNameByID(own, app->GetUserID());
    // Names come from the hall: escaped so that they show as written and add no markup.
    app->ShowSystemNotice(FormatMarkup(" <c=%d>%s%s%s看牌 \r\n", kLookOnNoticeColour, UnbrokenMarkup(own),
                                       allow ? Markup("允许") : Markup("禁止"), UnbrokenMarkup(NameAt(selectedRow_))));
}

void CCyUserList::CallPlayer()
{
    const uint32_t user = SelectedUser();
    IAppServices* app = GetAppServices();
    if (!user || !app)
        return;
    const int32_t chair = CallableChair(*app, user);
    if (chair == -1)
        return;
    PlayWidgetSound(*this, "SndFa");
    SendCall(*app, user, chair);
}

void CCyUserList::CopyName()
{
    if (Valid(selectedRow_))
        platform::CurrentClipboard().SetText(NameAt(selectedRow_));
}

int CCyUserList::OnEvent(const EventRecord& record)
{
    const auto rowOfEvent = [&] {
        const InputData in = InputDataOf(*this, record);
        return RowAt(in.x, in.y);
    };
    switch (record.code) {
    case EV_ROW_PRESS:
        OnRowPress(rowOfEvent());
        return 1;
    case EV_ROW_MENU: {
        const InputData in = InputDataOf(*this, record);
        const int row = RowAt(in.x, in.y);
        if (HasUser(row)) {
            Select(row);
            ShowMenu(1, in.x, in.y);
        }
        return 1;
    }
    case EV_ROW_MOVE:
        OnRowMove(rowOfEvent());
        return 1;
    case EV_ROW_LEAVE:
        OnRowLeave();
        return 1;
    case EV_SHOW_DETAIL: {
        ShowMenu(0, 0, 0);
        IAppServices* app = GetAppServices();
        if (const uint32_t user = SelectedUser(); user && app && app->GetGameFrame())
            app->GetGameFrame()->ShowUserDetail(user, 1);
        return 1;
    }
    case EV_TOGGLE_LOOK_ON:
        ShowMenu(0, 0, 0);
        ToggleLookOn();
        return 1;
    case EV_CALL_PLAYER:
        ShowMenu(0, 0, 0);
        CallPlayer();
        return 1;
    case EV_COPY_NAME:
        ShowMenu(0, 0, 0);
        CopyName();
        return 1;
    case EV_INFO_ROW:
        if (menu_ && menu_->IsActive())
            ShowMenu(0, 0, 0);
        return 1;
    case EV_HIDE_MENU:
        ShowMenu(0, 0, 0);
        return 1;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

} // namespace Lumora
