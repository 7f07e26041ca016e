#pragma once
// The side panel's pop-up menu: the toolkit menu's layout with items that have background
// colours per state, separators and icons, and operations that restyle every item.
#include "engine/gui/CLumoraGui.h"
#include "widgets/MenuLayout.h"

#include <vector>

namespace Lumora {

class CCyPopButton;
class PlaneObject;

class CCyPopMenu : public CLumoraGui {
public:
    using PObject::Create;
    virtual void Create(int itemWidth, int itemHeight, int fontSize);
    virtual CCyPopButton* AddItem(const char* text, const EventRecord* notify, uint32_t textColour, uint32_t unused,
                                  int bold);
    // The separator goes below the last item added so far; false on an empty menu.
    virtual bool AddSeparator();
    virtual void EnableItems(uint32_t target, uint32_t code, bool enable);
    virtual void Layout();
    virtual CCyPopButton* GetItem(int index) const;
    virtual CCyPopButton* FindItem(const char* text) const;
    virtual void SetItemBackColors(uint32_t normal, uint32_t hover, uint32_t pressed);
    virtual void SetBorderColor(uint32_t colour);
    virtual void SetItemSeparatorColors(uint32_t upper, uint32_t lower);
    virtual void SetItemSeparatorInset(int inset);
    virtual void CenterItemTexts();

    int GetItemCount() const { return int(Items().size()); }
    PlaneObject* GetPlane() const { return plane_; }

private:
    std::vector<CXySimpleButton*> Items() const;
    template <typename F>
    void Restyle(F&& f);

    int reserved_ = 0;
    MenuMetrics metrics_;
    int fontSize_ = 12;
    CCyPopButton* first_ = nullptr;
    PlaneObject* plane_ = nullptr;
};

} // namespace Lumora
