#pragma once
// The scroll bar of the side panel's lists: the toolkit's scroll bar, telling its owner its
// orientation with every move and giving whole-number positions.
#include "widgets/CXyScrollBar.h"

namespace Lumora {

class CCyScrollBar : public CXyScrollBar {
public:
    void NotifyOwner() override { NotifyOwnerWith(uintptr_t(IsVertical() ? 1 : 0)); }
    // Never negative: with a page beyond the range there is nowhere to scroll.
    virtual int GetMaxPosition() const { return int(MaxPosition()); }
    virtual int GetPosition() const { return int(GetPositionValue()); }
};

} // namespace Lumora
