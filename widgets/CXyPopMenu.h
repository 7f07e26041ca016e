#pragma once
// The toolkit's pop-up menu: a column of equal pop-button items on a framed plane that closes
// itself when it loses the focus. A click on an item sends that item's record to the owner.
#include "engine/gui/CLumoraGui.h"
#include "widgets/MenuLayout.h"

#include <vector>

namespace Lumora {

class CXyPopButton;
class PlaneObject;

class CXyPopMenu : public CLumoraGui {
public:
    using PObject::Create;
    virtual void Create(int itemWidth, int itemHeight, int fontSize, uint32_t backColour);
    virtual CXyPopButton* AddItem(const char* text, const EventRecord* notify, uint32_t textColour);
    // Items whose notify record has this target and code.
    virtual void EnableItems(uint32_t target, uint32_t code, bool enable);
    virtual void Layout();
    virtual CXyPopButton* GetItem(int index) const;
    virtual CXyPopButton* FindItem(const char* text) const;

    int GetItemCount() const;
    int GetFontSize() const { return fontSize_; }
    int GetMargin() const { return metrics_.margin; }
    PlaneObject* GetPlane() const { return plane_; }

protected:
    // Takes the item out of the chain of items (not out of the children); false when it is
    // not an item of this menu.
    bool UnlinkItem(CXyPopButton* item);

private:
    std::vector<CXySimpleButton*> Items() const;

    int reserved_ = 0;
    MenuMetrics metrics_;
    int fontSize_ = 12;
    CXyPopButton* first_ = nullptr;
    PlaneObject* plane_ = nullptr;
};

// What both menus do when made: size, body, focus, the focus-lost hook and top-most.
void CreateMenuBody(CLumoraGui& menu, PlaneObject* plane);

} // namespace Lumora
