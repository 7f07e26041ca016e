#pragma once
// The item of a pop menu: a simple button whose label is plain text centred on its plane, bold
// and blue-tinted with a frame on hover, inverted while pressed, faded when disabled.
#include "widgets/CXySimpleButton.h"

#include <string_view>

namespace Lumora {

class CXyPopButton : public CXySimpleButton {
public:
    void Draw(int state) override;

    CXyPopButton* GetNext() const { return next_; }
    void SetNext(CXyPopButton* next) { next_ = next; }

    // Width of a plain text line: a single-byte character counts (size + 1) / 2 plus the gap,
    // a two-byte one the size plus twice the gap.
    static int PlainTextWidth(std::string_view text, int size, int gap);

private:
    CXyPopButton* next_ = nullptr;
};

} // namespace Lumora
