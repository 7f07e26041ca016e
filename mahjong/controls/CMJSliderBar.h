#pragma once
// The table's volume slider: the toolkit's slider on two pictures of the table pack, whose
// value runs from 0 to a range (50 for the volumes). A change by the user sends the slider's
// event with the value in its first parameter (not a pointer), so the receiver keeps nothing.
#include "widgets/CCySliderBar.h"

namespace Lumora {

class CMJSliderBar : public CCySliderBar {
public:
    using CCySliderBar::Create;
    // `event` names the target and the code; style 1 is vertical; flag 0 makes it show only.
    virtual void Create(const char* back, const char* bar, int style, const EventRecord& event, int range, int flag);
    int GetValue() const;
    // Clamped to 0..range; no event.
    void SetValue(int value);
    int GetRange() const { return range_; }
    void FireChange() override;

private:
    EventRecord event_{};
    int range_ = 100;
};

} // namespace Lumora
