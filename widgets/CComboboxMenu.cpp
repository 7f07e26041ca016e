#include "widgets/CComboboxMenu.h"

#include "widgets/CXyPopButton.h"

namespace Lumora {

void CComboboxMenu::RemoveItem(const char* text)
{
    CXyPopButton* item = FindItem(text);
    if (item && UnlinkItem(item)) {
        RemoveChild(item->GetId());
        ReleaseObject(item, false);
    }
    Layout();
}

} // namespace Lumora
