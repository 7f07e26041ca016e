#pragma once
// A row of the match list: rank, player name and score (or "出局" for a player who is out),
// drawn on a plane of its own from the row record that the side panel hands over. Presses,
// right presses and hovering on the row reach the list as records that name the row by its
// object id, so that a record still queued when the list is cleared finds no row.
#include "widgets/CPglChatObject.h"
#include "widgets/MatchRowRecord.h"

#include <string>

namespace Lumora {

class PlaneObject;

class CXyMatchBlock : public CPglChatObject {
public:
    enum RowEvent : uint32_t {
        EV_ROW_PRESS = 1052,
        EV_ROW_MENU = 1053,
        EV_ROW_ENTER = 1058,
        EV_ROW_LEAVE = 1059,
    };
    static constexpr int32_t kOwnRowState = 5;
    static constexpr const char* kRowSkin = "MatchListBlock";

    int OnEvent(const EventRecord& record) override;
    // The list's resize request: the new width, the height kept.
    void OnResize(int width, int height) override;

    // The record is copied; a null record leaves the row empty.
    using PObject::Create;
    virtual void Create(uint32_t listId, int width, int height, const MatchRowRecord* record, int32_t state);
    virtual void Draw();
    virtual void SetHighlight(int on);
    virtual const char* GetName() const { return name_.c_str(); }
    virtual uint32_t GetUserId() const { return record_.UserId(); }

    uint32_t GetListId() const { return listId_; }
    int32_t GetState() const { return state_; }
    int IsHighlighted() const { return highlighted_; }
    const MatchRowRecord& GetRecord() const { return record_; }
    PlaneObject* GetPlane() const { return plane_; }

private:
    MatchRowRecord record_;
    std::string name_;  // the record's name, ended within its field
    int32_t state_ = 0;
    int highlighted_ = 0;
    uint32_t listId_ = 0;
    PlaneObject* plane_ = nullptr;
};

} // namespace Lumora
