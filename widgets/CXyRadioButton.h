#pragma once
// A check button the user can only switch on; its owner switches the others of its group off.
#include "widgets/CXyCheckButton.h"

namespace Lumora {

class CXyRadioButton : public CXyCheckButton {
public:
    void Toggle() override
    {
        if (state_ == 0)
            SwitchTo(1);
    }
};

} // namespace Lumora
