#pragma once
// Modifier keys held right now, as the host window's key messages left them (key records of
// the engine carry no modifier bits, so Ctrl+C and Ctrl+V ask here).
namespace platform {

class KeyboardState {
public:
    virtual ~KeyboardState() = default;
    virtual bool IsCtrlDown() const = 0;
};

// Set by hand; the default until the host window installs its own.
class ManualKeyboardState final : public KeyboardState {
public:
    bool IsCtrlDown() const override { return ctrl_; }
    void SetCtrlDown(bool down) { ctrl_ = down; }

private:
    bool ctrl_ = false;
};

KeyboardState& CurrentKeyboardState();
void SetCurrentKeyboardState(KeyboardState* state);

} // namespace platform
