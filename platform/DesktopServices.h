#pragma once
// The clipboard, the input method's position and the modifier state of one host window,
// installed as the current ones for as long as this object lives.
#include "platform/Clipboard.h"
#include "platform/InputMethod.h"
#include "platform/KeyboardState.h"

namespace platform {

class DisplayWindow;

class WindowDesktopServices final : public Clipboard, public InputMethod, public KeyboardState {
public:
    explicit WindowDesktopServices(DisplayWindow& window);
    ~WindowDesktopServices() override;
    WindowDesktopServices(const WindowDesktopServices&) = delete;
    WindowDesktopServices& operator=(const WindowDesktopServices&) = delete;

    bool SetText(std::string_view gbk) override;
    std::optional<std::string> GetText() override;
    void SetCompositionPoint(int x, int y) override;
    bool IsCtrlDown() const override;

private:
    DisplayWindow& window_;
};

} // namespace platform
