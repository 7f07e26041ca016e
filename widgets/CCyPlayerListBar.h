#pragma once
// The side panel's user list bar: column definitions, the header of column titles, the user
// list below it, horizontal and vertical scroll bars with the corner pieces, and the rebuild
// of the list from the application's user tables (engine event 80000055). A rebuild whose rows
// come out as the list shows them, drawn the same way at the same place, draws nothing.
#include "engine/gui/CLumoraGui.h"
#include "widgets/UserListColumns.h"
#include "widgets/UserRows.h"

#include <optional>
#include <vector>

namespace Lumora {

class CCyScrollBar;
class CCyUserList;
class PlaneObject;

class CCyPlayerListBar : public CLumoraGui {
public:
    enum BarEvent : uint32_t {
        EV_REFRESH_USERS = 80000055,
        EV_FORGET_LOOK_ON = 80000056,
    };
    static constexpr const char* kBarName = "UserListBar";
    static constexpr const char* kHeaderSkin = "SystemUserListBar";
    static constexpr const char* kCornerSkin = "滚动角";
    static constexpr int kHorizontalStep = 10;

    // Names itself "UserListBar" and creates its parts.
    virtual void CreateFromSkin();
    int OnEvent(const EventRecord& record) override;
    void Activate() override;

    // Makes the parts, once, for a bar made from the skin. The engine also calls this when the
    // bar is registered, before its owner has added the columns; that call makes nothing.
    // Stops after a report to the engine's error sink when the header skin is missing.
    void Create() override;
    virtual void Layout();
    virtual int AddColumn(const ListColumn& column);
    virtual int AddColumn(int32_t kind, int32_t width, const char* title, int32_t w3, int32_t w4, int32_t w5);
    virtual void RefreshUsers();
    virtual void DrawHeader();
    virtual CCyUserList* GetList() const { return list_; }
    virtual int CountRows();
    virtual void ScrollLeft();
    virtual void ScrollRight();
    virtual void ScrollUp();
    virtual void ScrollDown();
    virtual void OnScroll(double position, int vertical);

    int GetColumnCount() const { return columnCount_; }
    int GetTotalWidth() const { return totalWidth_; }
    const std::vector<ListColumn>& GetColumns() const { return columns_; }
    // The height that shows the header, `rows` whole rows and the horizontal bar below them.
    int HeightForRows(int rows);
    // The tallest height up to `most` (with the header and the horizontal bar) that holds whole rows.
    int HeightForWholeRows(int most);
    PlaneObject* GetHeader() const { return header_; }
    CCyScrollBar* GetHorizontalBar() const { return hScrollBar_; }
    CCyScrollBar* GetVerticalBar() const { return vScrollBar_; }
    PlaneObject* GetBottomCorner() const { return cornerBottom_; }

private:
    CCyScrollBar* MakeScrollBar(int orientation, uint32_t firstSetting);
    PlaneObject* MakeCorner(int width, int height, double z);
    int HeaderHeight();
    void PlaceList();
    // Of a height for rows, what whole rows fill.
    int WholeRows(double height) const;
    void ShowBarsThatScroll();
    void ScrollBy(CCyScrollBar* bar, double delta);

    // What the list's plane shows: its rows, drawn for this user in this ink, on this surface.
    struct ListLook {
        std::vector<UserRow> rows;
        uint32_t userId = 0, ink = 0;
        int width = 0, height = 0;
        ObjectGeometry plane;
        bool operator==(const ListLook& other) const;
    };
    std::optional<ListLook> ListNow() const;

    PlaneObject* header_ = nullptr;
    PlaneObject* cornerTop_ = nullptr;
    PlaneObject* cornerBottom_ = nullptr;
    CCyScrollBar* hScrollBar_ = nullptr;
    CCyScrollBar* vScrollBar_ = nullptr;
    CCyUserList* list_ = nullptr;
    std::vector<ListColumn> columns_;
    int columnCount_ = 0;
    int totalWidth_ = 0;
    bool fromSkin_ = false;
    std::optional<ListLook> listShown_;
};

} // namespace Lumora
