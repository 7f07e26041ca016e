#include "widgets/MenuLayout.h"

#include "engine/gui/CLumoraGui.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXySimpleButton.h"

namespace Lumora {

void LayoutMenu(CLumoraGui& menu, PlaneObject* body, const std::vector<CXySimpleButton*>& items,
                const MenuMetrics& m, uint32_t borderColour)
{
    if (items.empty()) {
        menu.Deactivate();
        return;
    }
    if (!body)
        return;
    const int n = int(items.size());
    const int w = m.itemWidth + 2 * m.margin;
    const int h = m.itemHeight * n + 2 * m.margin;
    body->ResizeSurface(w, h);
    body->SetSize(w, h);
    body->Clear();
    body->DrawBorder(borderColour, 1);
    body->Redraw();
    const int left = int(body->GetLeft()), top = int(body->GetTop());
    for (int k = 0; k < n; ++k) {
        items[size_t(k)]->MoveTo(left + (m.itemWidth + 1) / 2 + m.margin,
                                 top + (m.itemHeight + 1) / 2 + m.margin + k * m.itemHeight);
        items[size_t(k)]->Redraw();
    }
}

void EnableMenuItems(const std::vector<CXySimpleButton*>& items, uint32_t target, uint32_t code, bool enable)
{
    for (CXySimpleButton* item : items) {
        const EventRecord& notify = item->GetNotifyEvent();
        if (notify.target == target && notify.code == code)
            item->Enable(enable);
    }
}

CXySimpleButton* FindMenuItem(const std::vector<CXySimpleButton*>& items, const char* text)
{
    if (!text)
        return nullptr;
    for (CXySimpleButton* item : items)
        if (item->GetText() == text)
            return item;
    return nullptr;
}

} // namespace Lumora
