// The volume slider over the toolkit's slider.
#include "mahjong/controls/CMJSliderBar.h"

#include "widgets/WidgetSupport.h"

#include <algorithm>

namespace Lumora {

void CMJSliderBar::Create(const char* back, const char* bar, int style, const EventRecord& event, int range, int flag)
{
    PictureInfo track, thumb;
    GetRes(track, back, 0);
    GetRes(thumb, bar, 0);
    event_ = event;
    range_ = std::max(range, 1);
    // The base sends nothing of its own: FireChange below sends the value.
    CCySliderBar::Create(track, thumb, style, nullptr, 0, flag);
}

int CMJSliderBar::GetValue() const
{
    return (GetPosition() * range_ + 50) / 100;
}

void CMJSliderBar::SetValue(int value)
{
    value = std::clamp(value, 0, range_);
    SetPosition(uint32_t(value * 100 / range_));
}

void CMJSliderBar::FireChange()
{
    if (!event_.code)
        return;
    EventRecord record = event_;
    record.param1 = uintptr_t(GetValue());
    SendNotify(*this, record);
}

} // namespace Lumora
