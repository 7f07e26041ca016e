#pragma once
// The column layout and item look-ups that both pop menus share: a framed plane sized to its
// equal items, items placed row by row inside a margin.
#include <cstdint>
#include <vector>

namespace Lumora {

class CLumoraGui;
class CXySimpleButton;
class PlaneObject;

struct MenuMetrics {
    int itemWidth = 0;
    int itemHeight = 0;
    int margin = 2;
};

// Sizes the body to the items and places each one; a menu without items is deactivated.
void LayoutMenu(CLumoraGui& menu, PlaneObject* body, const std::vector<CXySimpleButton*>& items,
                const MenuMetrics& metrics, uint32_t borderColour);
// Enables or disables every item whose notify record has this target and code.
void EnableMenuItems(const std::vector<CXySimpleButton*>& items, uint32_t target, uint32_t code, bool enable);
CXySimpleButton* FindMenuItem(const std::vector<CXySimpleButton*>& items, const char* text);

} // namespace Lumora
