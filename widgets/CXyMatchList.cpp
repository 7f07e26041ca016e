#include "widgets/CXyMatchList.h"

#include "engine/object/PlaneObject.h"
#include "platform/Clipboard.h"
#include "widgets/AppServices.h"
#include "widgets/CXyMatchBlock.h"
#include "widgets/CXyPopButton.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

CXyMatchBlock* CXyMatchList::FindRow(uint32_t id) const
{
    if (id == 0)
        return nullptr;
    auto* row = dynamic_cast<CXyMatchBlock*>(FindById(id));
    if (!row || row->GetListId() != GetId())
        return nullptr;
    for (int i = 0; i < GetElementCount(); ++i) {
        const ChatElement* e = GetElementAt(i);
        if (e && e->Is(chat_flag::kObject) && e->code == id)
            return row;
    }
    return nullptr;
}

void CXyMatchList::Clear()
{
    CPglChatBox::Clear();
    selected_ = 0;
}

void CXyMatchList::CreatePopMenu()
{
    menu_ = NewPlaneObject(102, 92, 0xFFFFFF);
    if (!menu_)
        return;
    menu_->DrawBorder(0xE7BFC8, 1);
    menu_->SetZ(GetZ() + 100);
    const struct {
        const char* text;
        uint32_t code;
        const char* name;
    } items[] = {{"查看详细", EV_SHOW_DETAIL, nullptr},
                 {"呼叫玩家", EV_CALL_PLAYER, kCallItemName},
                 {"复制玩家名", EV_COPY_NAME, nullptr}};
    for (int k = 0; k < 3; ++k) {
        auto* item = NewChild<CXyPopButton>();
        if (!item)
            continue;
        const EventRecord notify{GetId(), items[k].code, 0, 0};
        item->Create(items[k].text, 100, 30, 12, 0xFFFFFF, 0, &notify);
        if (items[k].name)
            item->SetName(items[k].name);
        item->MoveTo(menu_->GetX(), menu_->GetTop() + 16 + 30 * k);
        item->SetZ(menu_->GetZ() + 0.001);
        menu_->AddChild(item, kBodyLinks);
        items_[k] = item;
    }
    menu_->Deactivate();
    menu_->Redraw();
    selected_ = 0;
}

void CXyMatchList::Select(CXyMatchBlock* row)
{
    const uint32_t id = row ? row->GetId() : 0;
    if (id == selected_)
        return;
    if (CXyMatchBlock* previous = FindRow(selected_))
        previous->SetHighlight(0);
    selected_ = id;
    if (row)
        row->SetHighlight(1);
    PlayWidgetSound(*this, "SndSelectBlock");
}

void CXyMatchList::ShowPopMenu(int show)
{
    if (!menu_)
        return;
    if (!show) {
        menu_->Deactivate();
        menu_->Redraw();
        return;
    }
    CXyMatchBlock* row = GetSelected();
    menu_->MoveTo(GetRight() - menu_->GetWidth() / 2 - 20, row ? row->GetY() : menu_->GetY());
    menu_->Activate();
    menu_->Redraw();
    if (CXyPopButton* call = items_[1]) {
        IAppServices* app = GetAppServices();
        call->Enable(row && app && app->GetUserChairByID(row->GetUserId()) != -1);
    }
}

void CXyMatchList::RequestDetails()
{
    ShowPopMenu(0);
    IAppServices* app = GetAppServices();
    if (CXyMatchBlock* row = GetSelected(); row && app && app->GetConnect())
        app->GetConnect()->Request201230(row->GetUserId());
}

void CXyMatchList::CallPlayer()
{
    CXyMatchBlock* row = GetSelected();
    IAppServices* app = GetAppServices();
    if (row && app) {
        const uint32_t user = row->GetUserId();
        if (const int32_t chair = CallableChair(*app, user); chair != -1)
            SendCall(*app, user, chair);
    }
    ShowPopMenu(0);
}

void CXyMatchList::CopyName()
{
    if (CXyMatchBlock* row = GetSelected())
        platform::CurrentClipboard().SetText(row->GetName());
    ShowPopMenu(0);
}

int CXyMatchList::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case CXyMatchBlock::EV_ROW_PRESS:
        // p1 names the row by id; a row cleared away meanwhile is not found.
        if (CXyMatchBlock* row = FindRow(uint32_t(record.param1))) {
            Select(row);
            RequestDetails();
        }
        return 1;
    case EV_SHOW_DETAIL:
        RequestDetails();
        return 1;
    case CXyMatchBlock::EV_ROW_MENU:
        if (CXyMatchBlock* row = FindRow(uint32_t(record.param1))) {
            Select(row);
            ShowPopMenu(1);
        }
        return 1;
    case EV_COPY_NAME:
        CopyName();
        return 1;
    case EV_HIDE_MENU:
        ShowPopMenu(0);
        return 1;
    case EV_CALL_PLAYER:
        CallPlayer();
        return 1;
    case CXyMatchBlock::EV_ROW_ENTER:
    case CXyMatchBlock::EV_ROW_LEAVE:
        if (CXyMatchBlock* row = FindRow(uint32_t(record.param1)))
            row->SetHighlight(record.code == CXyMatchBlock::EV_ROW_ENTER ? 1 : 0);
        return 1;
    default:
        return CPglChatBox::OnEvent(record);
    }
}

} // namespace Lumora
