#include "platform/DesktopServices.h"

#include "platform/DisplayWindow.h"
#include "platform/WindowTypes.h"

namespace platform {

namespace {
RecordingInputMethod g_recordingMethod;
InputMethod* g_method = nullptr;
ManualKeyboardState g_manualKeys;
KeyboardState* g_keys = nullptr;
} // namespace

InputMethod& CurrentInputMethod() { return g_method ? *g_method : g_recordingMethod; }
void SetCurrentInputMethod(InputMethod* method) { g_method = method; }
KeyboardState& CurrentKeyboardState() { return g_keys ? *g_keys : g_manualKeys; }
void SetCurrentKeyboardState(KeyboardState* state) { g_keys = state; }

WindowDesktopServices::WindowDesktopServices(DisplayWindow& window) : window_(window)
{
    SetCurrentClipboard(this);
    SetCurrentInputMethod(this);
    SetCurrentKeyboardState(this);
}

WindowDesktopServices::~WindowDesktopServices()
{
    if (&CurrentClipboard() == this)
        SetCurrentClipboard(nullptr);
    if (&CurrentInputMethod() == this)
        SetCurrentInputMethod(nullptr);
    if (&CurrentKeyboardState() == this)
        SetCurrentKeyboardState(nullptr);
}

bool WindowDesktopServices::SetText(std::string_view gbk)
{
    if (window_.IsDestroyed())
        return false;
    window_.SetClipboardText(std::string(gbk.substr(0, gbk.find('\0'))));
    return true;
}

std::optional<std::string> WindowDesktopServices::GetText()
{
    if (window_.IsDestroyed())
        return std::nullopt;
    std::string text = window_.ClipboardText();
    if (text.empty())
        return std::nullopt;
    return text;
}

void WindowDesktopServices::SetCompositionPoint(int x, int y)
{
    if (!window_.IsDestroyed())
        window_.SetTextInputRect({x, y, x + 1, y + 1});
}

bool WindowDesktopServices::IsCtrlDown() const { return window_.IsKeyDown(vk::kControl); }

} // namespace platform
