#include "widgets/CSafeBoxInput.h"

#include "engine/input/InputData.h"
#include "platform/Clipboard.h"
#include "widgets/InputEditing.h"

namespace Lumora {

void CSafeBoxInput::OnChar(const InputData& data)
{
    if ((inputFlags_ & kAcceptsDigits) && data.character[0] >= '0' && data.character[0] <= '9')
        CXyInputBox::OnChar(data);
}

void CSafeBoxInput::OnKeyDown(const InputData& data)
{
    if (inputFlags_ & kAcceptsDigits)
        CXyInputBox::OnKeyDown(data);
}

void CSafeBoxInput::AppendText(const Markup& text)
{
    if (inputFlags_ & kBoldText)
        AppendLimited(text, "<e=b>", "<>");
    else
        AppendLimited(text, {}, {});
}

void CSafeBoxInput::Paste()
{
    if (!(inputFlags_ & kAcceptsDigits))
        return;
    if (const std::optional<std::string> text = platform::CurrentClipboard().GetText())
        AppendTyped(DigitsOnly(*text));
    if (GetStyle() & chat_style::kLiveNotify)
        Submit();
}

} // namespace Lumora
