#pragma once
// Where the system's input method shows its composition: the caret of the box being typed
// in, in client pixels of the host window. Committed text reaches the program as typed text.
namespace platform {

class InputMethod {
public:
    virtual ~InputMethod() = default;
    virtual void SetCompositionPoint(int x, int y) = 0;
};

// Remembers the last point; the default until the host window installs its own.
class RecordingInputMethod final : public InputMethod {
public:
    void SetCompositionPoint(int x, int y) override
    {
        x_ = x;
        y_ = y;
        ++moves_;
    }
    int X() const { return x_; }
    int Y() const { return y_; }
    int Moves() const { return moves_; }

private:
    int x_ = 0;
    int y_ = 0;
    int moves_ = 0;
};

InputMethod& CurrentInputMethod();
void SetCurrentInputMethod(InputMethod* method);

} // namespace platform
