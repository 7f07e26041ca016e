#include "widgets/CCyPopMenu.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CCyPopButton.h"
#include "widgets/CXyPopMenu.h"
#include "widgets/WidgetSupport.h"

#include <cmath>
#include <cstring>

namespace Lumora {

void CCyPopMenu::Create(int itemWidth, int itemHeight, int fontSize)
{
    metrics_.itemWidth = itemWidth;
    metrics_.itemHeight = itemHeight;
    fontSize_ = fontSize;
    plane_ = NewPlaneObject(itemWidth, itemHeight, 0xFFFFFF);
    CreateMenuBody(*this, plane_);
}

CCyPopButton* CCyPopMenu::AddItem(const char* text, const EventRecord* notify, uint32_t textColour, uint32_t,
                                  int bold)
{
    auto* item = NewChild<CCyPopButton>();
    if (!item)
        return nullptr;
    item->Create(text, metrics_.itemWidth, metrics_.itemHeight, fontSize_, 0xFFFFFF, 0, notify);
    item->SetZ(GetZ() + 0.01);
    item->SetTextColor(textColour);
    item->SetBold(bold);
    AddChild(item, kMenuItemLinks);
    if (!first_) {
        first_ = item;
    } else {
        CCyPopButton* last = first_;
        while (last->GetNext())
            last = last->GetNext();
        last->SetNext(item);
    }
    Layout();
    return item;
}

std::vector<CXySimpleButton*> CCyPopMenu::Items() const
{
    std::vector<CXySimpleButton*> items;
    for (CCyPopButton* item = first_; item; item = item->GetNext())
        items.push_back(item);
    return items;
}

bool CCyPopMenu::AddSeparator()
{
    if (!first_)
        return false;
    CCyPopButton* last = first_;
    while (last->GetNext())
        last = last->GetNext();
    last->SetSeparator(1);
    return true;
}

void CCyPopMenu::EnableItems(uint32_t target, uint32_t code, bool enable)
{
    EnableMenuItems(Items(), target, code, enable);
}

void CCyPopMenu::Layout() { LayoutMenu(*this, plane_, Items(), metrics_, 0); }

CCyPopButton* CCyPopMenu::GetItem(int index) const
{
    if (index < 0)
        return nullptr;
    CCyPopButton* item = first_;
    for (; item && index > 0; --index)
        item = item->GetNext();
    return item;
}

CCyPopButton* CCyPopMenu::FindItem(const char* text) const
{
    return static_cast<CCyPopButton*>(FindMenuItem(Items(), text));
}

template <typename F>
void CCyPopMenu::Restyle(F&& f)
{
    for (CCyPopButton* item = first_; item; item = item->GetNext()) {
        f(*item);
        item->Draw(CXySimpleButton::STATE_NORMAL);
    }
}

void CCyPopMenu::SetItemBackColors(uint32_t normal, uint32_t hover, uint32_t pressed)
{
    Restyle([&](CCyPopButton& item) { item.SetBackColors(normal, hover, pressed); });
}

void CCyPopMenu::SetItemSeparatorColors(uint32_t upper, uint32_t lower)
{
    Restyle([&](CCyPopButton& item) { item.SetSeparatorColors(upper, lower); });
}

void CCyPopMenu::SetItemSeparatorInset(int inset)
{
    Restyle([&](CCyPopButton& item) { item.SetSeparatorInset(inset); });
}

void CCyPopMenu::SetBorderColor(uint32_t colour)
{
    if (!plane_)
        return;
    plane_->DrawBorder(colour, 1);
    plane_->Redraw();
}

void CCyPopMenu::CenterItemTexts()
{
    Restyle([&](CCyPopButton& item) {
        const double length = double(item.GetText().size());
        item.SetTextLeft(int(std::trunc((metrics_.itemWidth - length * 0.5 * fontSize_) * 0.5)));
    });
}

} // namespace Lumora
