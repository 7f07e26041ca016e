#pragma once
// The input box inside the composite fields of the safe box and the keypad: typing only while
// flag bit 0 is set, and then only digits (pasted text included); bit 1 adds text in bold.
#include "widgets/CXyInputBox.h"

namespace Lumora {

class CSafeBoxInput : public CXyInputBox {
public:
    static constexpr uint32_t kAcceptsDigits = 0x1;
    static constexpr uint32_t kBoldText = 0x2;

    void OnChar(const InputData& data) override;
    void OnKeyDown(const InputData& data) override;
    void AppendText(const Markup& text) override;
    void TakeFocus() override { GiveFocus(false); }
    // Only the digits of the clipboard's text, and nothing while typing is off.
    void Paste() override;

    uint32_t GetInputFlags() const { return inputFlags_; }
    void SetInputFlags(uint32_t flags) { inputFlags_ = flags; }

private:
    uint32_t inputFlags_ = 0;
};

} // namespace Lumora
