#include "widgets/CXyDigit.h"

#include "engine/object/PlaneObject.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <climits>

namespace Lumora {

namespace {

struct RollParams {
    int32_t target;
    int32_t step;
};

int RollStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    auto* digit = dynamic_cast<CXyDigit*>(target);
    if (!digit)
        return 1;
    RollParams p;
    std::memcpy(&p, parameters, sizeof p);
    const int64_t distance = int64_t(p.target) - digit->GetValue();
    if (std::llabs(distance) <= p.step) {
        digit->SetValue(p.target);
        return 1;
    }
    digit->AddValue(distance > 0 ? p.step : -p.step);
    return 0;
}

} // namespace

void CXyDigit::Create(const char* stripName, uint32_t style)
{
    PictureInfo first;
    GetPicture(first, stripName, 0);
    MakePlane(2 * first.width, first.height, style);
    for (int digit = 0; digit <= 9; ++digit) {
        char character[4];
        std::snprintf(character, sizeof character, "%d", digit);
        PictureInfo frame;
        GetPicture(frame, stripName, digit);
        if (frame.image)
            SetGlyph(character, &frame);
    }
}

void CXyDigit::Refresh()
{
    char text[64];
    if (style_ & STYLE_SUFFIX)
        std::snprintf(text, sizeof text, "%d%s", value_, suffix_.c_str());
    else
        std::snprintf(text, sizeof text, "%d", value_);
    DrawText(text);
}

void CXyDigit::SetValue(int value)
{
    value_ = value;
    Refresh();
}

void CXyDigit::AddValue(int delta)
{
    value_ += delta;
    Refresh();
}

void CXyDigit::SetSuffix(const char* suffix)
{
    suffix_ = suffix ? suffix : "";
    style_ |= STYLE_SUFFIX;
}

void CXyDigit::ClearSuffix()
{
    style_ &= ~uint32_t(STYLE_SUFFIX);
    Refresh();
}

void CXyDigit::RollTo(int target, int step, int intervalMs, const EventRecord* done)
{
    const int64_t magnitude = std::llabs(int64_t(step));
    RollParams p{target, int32_t(magnitude == 0 ? 1 : std::min<int64_t>(magnitude, INT32_MAX))};
    ActCustom(this, RollStep, &p, sizeof p, uint32_t(intervalMs > 0 ? intervalMs : kDefaultRollInterval), done);
}

void CXyDigit::StopRoll() { CancelObjectActions(GetId()); }

} // namespace Lumora
