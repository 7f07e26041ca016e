#pragma once
// Ties check and radio buttons together: by default checking one unchecks the others (their
// checked records come to the group through the engine's queue, and of several queued at once
// the last one wins); in multi-select mode the members stay independent. Members are held by object id and looked up each time, so a
// member released from the engine is skipped.
#include "engine/gui/CLumoraGui.h"

#include <cstdint>
#include <vector>

namespace Lumora {

class CXyCheckButton;

class CXyCheckGroup : public CLumoraGui {
public:
    static constexpr uint32_t EV_MEMBER_CHECKED = 80000001;  // p1 = the member's object id
    static constexpr uint32_t EV_APPLY_SINGLE = 80000102;    // the group's own: apply the last check

    int OnEvent(const EventRecord& record) override;

    // Virtual operations, in slot order. AddMember returns the number of members.
    virtual int AddMember(CXyCheckButton* button);
    virtual void SetMultiple(int multiple);
    virtual void UncheckAll();
    virtual void CheckAll();

    int IsMultiple() const { return multiple_; }
    const std::vector<uint32_t>& Members() const { return members_; }

private:
    CXyCheckButton* Member(uint32_t id) const;
    void MemberChecked(uint32_t id);
    void ApplySingle();

    std::vector<uint32_t> members_;
    int multiple_ = 0;
    uint32_t lastChecked_ = 0;
    bool applyPosted_ = false;
};

} // namespace Lumora
