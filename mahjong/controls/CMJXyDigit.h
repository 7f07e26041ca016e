#pragma once
// A number of a fixed digit count drawn from a digit strip (frames 0-9), zero-padded: the turn
// clock's two digits. In sign mode a negative value shows its minus (the owner gives the '-' glyph with SetGlyph) and the digits of its magnitude.
#include "widgets/CXyDigit.h"

namespace Lumora {

class CMJXyDigit : public CXyDigit {
public:
    using CXyDigit::Create;
    virtual void Create(const char* strip, int digits);
    void SetSignMode(int on) { signMode_ = on != 0; }
    int GetDigitCount() const { return digits_; }
    void Refresh() override;
    // The text Refresh draws for a value.
    std::string Format(int value) const;

private:
    int digits_ = 1;
    bool signMode_ = false;
};

} // namespace Lumora
