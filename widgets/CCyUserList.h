#pragma once
// The list inside the side panel's user list bar: one row per user at the table drawn by the
// bar's columns, hover and selection, a press that puts the user's name into the chat line,
// and a context menu of user commands (details, look-on permission, call, copy the name).
// It keeps the set of look-on users this client lets watch its tiles across refreshes.
#include "engine/gui/CLumoraGui.h"
#include "widgets/UserListColumns.h"
#include "widgets/UserRows.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace Lumora {

class CCyPopMenu;
class PlaneObject;

class CCyUserList : public CLumoraGui {
public:
    enum ListEvent : uint32_t {
        EV_ROW_PRESS = 1052,
        EV_ROW_MENU = 1053,
        EV_COPY_NAME = 1054,
        EV_HIDE_MENU = 1055,
        EV_SHOW_DETAIL = 1056,
        EV_CALL_PLAYER = 1057,
        EV_ROW_LEAVE = 1059,
        EV_INFO_ROW = 1060,
        EV_ROW_MOVE = 1061,
        EV_TOGGLE_LOOK_ON = 1062,
    };
    enum MenuItem { ITEM_HEAD = 0, ITEM_DETAIL = 1, ITEM_SILVER = 2, ITEM_SCORE = 3, ITEM_LEVEL = 4,
                    ITEM_LOOK_ON = 5, ITEM_CALL = 6, ITEM_COPY = 7 };
    static constexpr const char* kRowSkin = "UserListBlock";

    int OnEvent(const EventRecord& record) override;
    // Resizes the drawing surface with the list.
    void SetSize(double width, double height) override;

    using PObject::Create;
    virtual void Create(int width, int height);
    virtual void CreateMenu();
    virtual void Select(int row);
    // Show 0 hides. x, y in window pixels; negative places the menu by the list's top edge.
    virtual void ShowMenu(int show, int x, int y);
    virtual void ClearUsers();
    // The bar's columns; not owned.
    virtual void SetColumns(const std::vector<ListColumn>* columns);
    virtual int AddUser(const UserRow& row);
    virtual void RedrawAll();
    virtual void DrawRow(int row);
    // The row under a point in window pixels, or -1; may be past the last row.
    virtual int RowAt(int x, int y);
    // Row accessors: 0 or an empty text for a row outside 0 ... count - 1.
    virtual std::string NameAt(int row) const;
    virtual uint32_t UserIdAt(int row) const;
    virtual int32_t CharacterAt(int row) const;
    virtual int32_t SilverAt(int row) const;
    virtual int32_t ScoreAt(int row) const;
    virtual std::string LevelAt(int row) const;

    // A look-on user left the table: he loses the permission given to him. Only the record's
    // user id is read; nothing for null.
    void RemoveUser(const GameUserRecord* record);
    void ClearLookOnAllowed() { lookOnAllowed_.clear(); }
    bool IsLookOnAllowed(uint32_t userId) const { return lookOnAllowed_.count(userId) != 0; }

    int GetRowCount() const { return int(rows_.size()); }
    const UserRow* GetRow(int row) const { return Valid(row) ? &rows_[size_t(row)] : nullptr; }
    int GetHoverRow() const { return hoverRow_; }
    int GetSelectedRow() const { return selectedRow_; }
    CCyPopMenu* GetMenu() const { return menu_; }
    PlaneObject* GetPlane() const { return body_; }
    int RowHeight();

private:
    bool Valid(int row) const { return row >= 0 && size_t(row) < rows_.size(); }
    bool HasUser(int row) const { return Valid(row) && rows_[size_t(row)].HasUser(); }
    // The selected row's user id when it names a user, else 0.
    uint32_t SelectedUser() const;
    void DrawCells(const UserRow& row, int top);
    // One cell's text, from `left`, cut with "…" to end by `right` (surface pixels).
    void DrawCellText(const std::string& text, int left, int right, int top);
    void OnRowPress(int row);
    void OnRowMove(int row);
    void OnRowLeave();
    void ToggleLookOn();
    void CallPlayer();
    void CopyName();
    void FillMenu(const UserRow& row);
    void PlaceMenu(int x, int y);

    CCyPopMenu* menu_ = nullptr;
    const std::vector<ListColumn>* columns_ = nullptr;
    std::vector<UserRow> rows_;
    int hoverRow_ = -1;
    int selectedRow_ = -1;
    std::unordered_set<uint32_t> lookOnAllowed_;
    PlaneObject* body_ = nullptr;
};

} // namespace Lumora
