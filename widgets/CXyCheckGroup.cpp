#include "widgets/CXyCheckGroup.h"

#include "widgets/CXyCheckButton.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

CXyCheckButton* CXyCheckGroup::Member(uint32_t id) const
{
    PObject* object = FindById(id);
    if (!object || object->GetType() != 6)
        return nullptr;
    return dynamic_cast<CXyCheckButton*>(object);
}

int CXyCheckGroup::AddMember(CXyCheckButton* button)
{
    if (button) {
        members_.push_back(button->GetId());
        const EventRecord checked{GetId(), EV_MEMBER_CHECKED, button->GetId(), 0};
        button->SetCheckedEvent(&checked);
    }
    return int(members_.size());
}

void CXyCheckGroup::SetMultiple(int multiple)
{
    if ((multiple != 0) != (multiple_ != 0))
        UncheckAll();
    multiple_ = multiple;
}

void CXyCheckGroup::UncheckAll()
{
    for (uint32_t id : members_)
        if (CXyCheckButton* b = Member(id))
            b->SetCheck(0);
}

void CXyCheckGroup::CheckAll()
{
    for (uint32_t id : members_)
        if (CXyCheckButton* b = Member(id))
            b->SetCheck(1);
}

void CXyCheckGroup::MemberChecked(uint32_t id)
{
    if (multiple_)
        return;
    // Checked records already queued behind this one (CheckAll posts one per member) are taken
    // first: the member checked last is the one that stays.
    lastChecked_ = id;
    if (!applyPosted_) {
        applyPosted_ = true;
        PostNotify(*this, EventRecord{GetId(), EV_APPLY_SINGLE, 0, 0});
    }
}

void CXyCheckGroup::ApplySingle()
{
    applyPosted_ = false;
    CXyCheckButton* kept = Member(lastChecked_);
    if (multiple_ || !kept || !kept->GetCheck())
        return;
    for (uint32_t other : members_)
        if (other != lastChecked_)
            if (CXyCheckButton* b = Member(other))
                b->SetCheck(0);
}

int CXyCheckGroup::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_MEMBER_CHECKED:
        MemberChecked(uint32_t(record.param1));
        return 1;
    case EV_APPLY_SINGLE:
        ApplySingle();
        return 1;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

} // namespace Lumora
