// The fixed-count digit board.
#include "mahjong/controls/CMJXyDigit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Lumora {

void CMJXyDigit::Create(const char* strip, int digits)
{
    digits_ = std::clamp(digits, 1, 9);
    CXyDigit::Create(strip, 0);
}

std::string CMJXyDigit::Format(int value) const
{
    char text[32];
    if (value < 0 && signMode_)
        std::snprintf(text, sizeof text, "-%0*d", digits_, std::abs(value) % 1000000000);
    else
        std::snprintf(text, sizeof text, "%0*d", digits_, std::abs(value) % 1000000000);
    return text;
}

void CMJXyDigit::Refresh()
{
    DrawText(Format(GetValue()).c_str());
}

} // namespace Lumora
