#include "widgets/CXyBlockList.h"

#include "platform/WindowTypes.h"
#include "widgets/CXyListBlock.h"
#include "widgets/CXyScrollBar.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>

namespace Lumora {

void CXyBlockList::CreateScrollBars()
{
    CPglChatBox::CreateScrollBars();
    if (CXyScrollBar* bar = GetVerticalScrollBar())
        SkinScrollBarByName(*bar, *this, false);
}

CXyListBlock* CXyBlockList::FindRow(uint32_t id) const
{
    if (id == 0)
        return nullptr;
    auto* row = dynamic_cast<CXyListBlock*>(FindById(id));
    if (!row || row->GetOwnerListId() != GetId())
        return nullptr;
    for (ChatElement* e = Content().First(); e; e = e->next)
        if (e->Is(chat_flag::kObject) && e->code == id)
            return row;
    return nullptr;
}

CXyListBlock* CXyBlockList::GetBlock(int index) const
{
    const ChatElement* e = GetElementAt(index);
    return e && e->Is(chat_flag::kObject) ? FindRow(e->code) : nullptr;
}

void CXyBlockList::Clear()
{
    CPglChatBox::Clear();
    selected_ = 0;
}

CXyListBlock* CXyBlockList::AddBlock(CXyListBlock* row, const void* data, size_t length, const PictureInfo& picture,
                                     int width, int height)
{
    if (!row)
        return nullptr;
    if (!row->GetId() && !RegisterChild(row)) {
        delete row;
        return nullptr;
    }
    const int index = GetElementCount();
    row->Create(GetId(), picture, std::min(width, GetViewWidth()), height);
    row->SetData(data, length);
    row->SetIndex(index);
    // Linked under the list by depth only (the list places it as it scrolls): it stands on what
    // the list stands on, and rises with it when a board it is put on rises.
    AddChild(row, LINK_Z);
    AppendObject(row);
    return row;
}

void CXyBlockList::Remeasure()
{
    for (ChatElement* e = MutableContent().First(); e; e = e->next)
        if (e->Is(chat_flag::kObject))
            if (CXyListBlock* row = FindRow(e->code))
                e->height = uint16_t(std::clamp(row->GetHeightPixels(), 0, 0xFFFF));
    RelayoutElements();
    UpdateScrollBars();
}

void CXyBlockList::Select(CXyListBlock* row)
{
    CXyListBlock* current = GetSelected();
    if (row && row == current) {
        row->SetSelected(0);
        selected_ = 0;
    } else {
        if (current)
            current->SetSelected(0);
        selected_ = row ? row->GetId() : 0;
        if (row)
            row->SetSelected(1);
    }
    Remeasure();
    if (GetSelected()) {
        for (const ChatElement* e = Content().First(); e; e = e->next) {
            if (!e->Is(chat_flag::kObject) || e->code != selected_)
                continue;
            // A row taller than the view shows its top: the wheel reads on from there.
            const int scroll = Content().ScrollY(), view = GetViewHeight();
            if (e->y < scroll || e->height > view)
                MutableContent().ScrollTo(e->y);
            else if (e->y + e->height > scroll + view)
                MutableContent().ScrollTo(e->y + e->height - view);
            break;
        }
    }
    UpdateScrollBars();
    // Placed now, not on the next refresh: a frame built in between would show the rows of the
    // remeasured list at the old places, the unfolded one cut away.
    RefreshContent(true);
}

void CXyBlockList::RemoveBlock(int index)
{
    if (index < 0 || index >= GetElementCount())
        return;
    if (CXyListBlock* selected = GetSelected(); selected && selected->GetIndex() == index)
        selected_ = 0;
    RemoveElementAt(index);
    for (int i = 0; i < GetElementCount(); ++i)
        if (CXyListBlock* row = GetBlock(i))
            row->SetIndex(i);
    Remeasure();
    RequestRefresh();
}

int CXyBlockList::OnEvent(const EventRecord& record)
{
    if (record.code == CXyListBlock::EV_ROW_PRESS) {
        // p1 names the row by id; a row removed meanwhile is not found.
        if (CXyListBlock* row = FindRow(uint32_t(record.param1)))
            Select(row);
        return 1;
    }
    // Escape is the way back from an unfolded row to the list.
    if (record.code == EV_KEY_DOWN && InputDataOf(*this, record).key == platform::vk::kEscape)
        if (CXyListBlock* row = GetSelected()) {
            Select(row);
            return 1;
        }
    return CPglChatBox::OnEvent(record);
}

} // namespace Lumora
