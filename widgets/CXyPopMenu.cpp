#include "widgets/CXyPopMenu.h"

#include "engine/input/InputModule.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyPopButton.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

void CreateMenuBody(CLumoraGui& menu, PlaneObject* plane)
{
    if (plane)
        menu.SetBody(plane, kBodyLinks);
    menu.AddFlags(OBJ_TOP_LEVEL | OBJ_BOARD); // stands above the table's texts while open
    menu.PObject::AddEventHook(EV_FOCUS_LEFT, menu.GetId(), EV_DEACTIVATE, 0, 0);
    menu.SetTopMost();
}

void CXyPopMenu::Create(int itemWidth, int itemHeight, int fontSize, uint32_t backColour)
{
    metrics_.itemWidth = itemWidth;
    metrics_.itemHeight = itemHeight;
    fontSize_ = fontSize;
    plane_ = NewPlaneObject(itemWidth, itemHeight, backColour);
    CreateMenuBody(*this, plane_);
}

CXyPopButton* CXyPopMenu::AddItem(const char* text, const EventRecord* notify, uint32_t textColour)
{
    auto* item = NewChild<CXyPopButton>();
    if (!item)
        return nullptr;
    item->Create(text, metrics_.itemWidth, metrics_.itemHeight, fontSize_, 0xFFFFFF, 0, notify);
    item->SetZ(GetZ() + 0.01);
    item->SetTextColour(textColour);
    AddChild(item, kMenuItemLinks);
    if (!first_) {
        first_ = item;
    } else {
        CXyPopButton* last = first_;
        while (last->GetNext())
            last = last->GetNext();
        last->SetNext(item);
    }
    Layout();
    return item;
}

std::vector<CXySimpleButton*> CXyPopMenu::Items() const
{
    std::vector<CXySimpleButton*> items;
    for (CXyPopButton* item = first_; item; item = item->GetNext())
        items.push_back(item);
    return items;
}

bool CXyPopMenu::UnlinkItem(CXyPopButton* item)
{
    if (!item)
        return false;
    if (first_ == item) {
        first_ = item->GetNext();
        item->SetNext(nullptr);
        return true;
    }
    for (CXyPopButton* at = first_; at; at = at->GetNext())
        if (at->GetNext() == item) {
            at->SetNext(item->GetNext());
            item->SetNext(nullptr);
            return true;
        }
    return false;
}

int CXyPopMenu::GetItemCount() const { return int(Items().size()); }

void CXyPopMenu::EnableItems(uint32_t target, uint32_t code, bool enable)
{
    EnableMenuItems(Items(), target, code, enable);
}

void CXyPopMenu::Layout() { LayoutMenu(*this, plane_, Items(), metrics_, 0); }

CXyPopButton* CXyPopMenu::GetItem(int index) const
{
    if (index < 0)
        return nullptr;
    CXyPopButton* item = first_;
    for (; item && index > 0; --index)
        item = item->GetNext();
    return item;
}

CXyPopButton* CXyPopMenu::FindItem(const char* text) const
{
    return static_cast<CXyPopButton*>(FindMenuItem(Items(), text));
}

} // namespace Lumora
