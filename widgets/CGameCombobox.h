#pragma once
// An input field with a drop-down list of the entries used before: a frame drawn from the
// skin picture "InputBoxBkg", a digits-only inner box for typing, a drop-down button at the
// right end drawn from "btnQuickChat", and a menu of at most six recent entries, oldest
// first. A pick names its entry by key, so it never reaches another entry's text.
#include "engine/gui/CLumoraGui.h"
#include "widgets/RecentEntries.h"

#include <string>

namespace Lumora {

class CComboboxMenu;
class CSafeBoxInput;
class CXyStandButton;
class PlaneObject;

class CGameCombobox : public CLumoraGui {
public:
    enum ComboEvent : uint32_t {
        EV_TOGGLE_MENU = 80000031,
        EV_ENTRY_PICKED = 80000032,  // p1: the entry's key, p2: the menu's id
    };
    static constexpr const char* kFrameSkin = "InputBoxBkg";
    static constexpr const char* kButtonSkin = "btnQuickChat";
    static constexpr uint32_t kInputFlags = 7;

    virtual void CreateFromSkin();
    int OnEvent(const EventRecord& record) override;

    virtual void Layout();
    virtual void SetWidth(int width);
    // Appended to the inner box, which then takes the focus.
    virtual void SetText(const char* text);
    virtual void ClearInner();
    virtual void AddItem(const char* text);
    virtual void ToggleMenu();
    virtual void FocusInner();
    // The inner box's text; empty without one.
    virtual std::string GetText();
    void SetMaxLength(int n);

    int GetWidthSetting() const { return width_; }
    CSafeBoxInput* GetInner() const { return inner_; }
    CXyStandButton* GetButton() const { return button_; }
    CComboboxMenu* GetMenu() const { return menu_; }
    PlaneObject* GetFrame() const { return frame_; }
    const RecentEntries& GetEntries() const { return items_; }

private:
    void DrawFrame(const PictureInfo& skin, int width, int height);

    int width_ = 0;
    CSafeBoxInput* inner_ = nullptr;
    CXyStandButton* button_ = nullptr;
    CComboboxMenu* menu_ = nullptr;
    PlaneObject* frame_ = nullptr;
    PlaneObject* body_ = nullptr;
    RecentEntries items_;
};

} // namespace Lumora
