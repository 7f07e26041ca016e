#pragma once
// The match ranking of the side panel: a rich-text box whose elements are match rows, one
// per player. A press on a row selects it and asks the server for the player's details; a
// right press selects it and opens a small menu (details, call the player, copy the name).
// The selected row is held by its object id, so a row that left the list is never touched.
#include "widgets/CPglChatBox.h"

namespace Lumora {

class CXyMatchBlock;
class CXyPopButton;
class PlaneObject;

class CXyMatchList : public CPglChatBox {
public:
    enum MenuEvent : uint32_t {
        EV_COPY_NAME = 1054,
        EV_HIDE_MENU = 1055,
        EV_SHOW_DETAIL = 1056,
        EV_CALL_PLAYER = 1057,
    };
    static constexpr const char* kCallItemName = "BTN_MATCH_LIST_POPMENU_CALLPLAYER";

    int OnEvent(const EventRecord& record) override;
    // The base's Clear; the selected row is forgotten.
    void Clear() override;

    virtual void CreatePopMenu();
    virtual void Select(CXyMatchBlock* row);
    virtual void ShowPopMenu(int show);

    // The selected row while it is still a row of this list, else null.
    CXyMatchBlock* GetSelected() const { return FindRow(selected_); }
    PlaneObject* GetMenuPlane() const { return menu_; }
    CXyPopButton* GetMenuItem(int k) const { return k >= 0 && k < 3 ? items_[k] : nullptr; }

private:
    // A row of this list by object id; null when it is gone or belongs to no element here.
    CXyMatchBlock* FindRow(uint32_t id) const;
    void RequestDetails();
    void CallPlayer();
    void CopyName();

    uint32_t selected_ = 0;
    PlaneObject* menu_ = nullptr;
    CXyPopButton* items_[3] = {};
};

} // namespace Lumora
