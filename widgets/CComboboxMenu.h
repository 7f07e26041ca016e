#pragma once
// The drop-down list of the combo box: the toolkit's pop menu with items that can be taken
// out again by their text.
#include "widgets/CXyPopMenu.h"

namespace Lumora {

class CComboboxMenu : public CXyPopMenu {
public:
    // Removes and releases the first item whose text equals `text`, then lays the menu out
    // again (also when nothing matched).
    virtual void RemoveItem(const char* text);
};

} // namespace Lumora
