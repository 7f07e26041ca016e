#pragma once
// An integer shown with the frames 0-9 of a digit strip, with an optional text suffix, that can
// count towards a target value as a timed action.
#include "widgets/CXyBlackboard.h"

#include <string>

namespace Lumora {

class CXyDigit : public CXyBlackboard {
public:
    static constexpr int kDefaultRollInterval = 30;

    using CXyBlackboard::Create;
    virtual void Create(const char* stripName, uint32_t style);
    virtual int GetValue() const { return value_; }
    virtual void SetValue(int value);
    virtual void SetSuffix(const char* suffix);
    virtual void ClearSuffix();
    virtual void AddValue(int delta);
    virtual void Refresh();
    // Counts by `step` every `intervalMs` until the target; `done` is sent when it lands.
    virtual void RollTo(int target, int step, int intervalMs, const EventRecord* done);
    virtual void StopRoll();

    const std::string& GetSuffix() const { return suffix_; }

private:
    int value_ = 0;
    std::string suffix_;
};

} // namespace Lumora
