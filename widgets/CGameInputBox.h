#pragma once
// A framed input field: a nine-slice frame drawn from the skin picture "InputBoxBkg" with a
// digits box laid inside it. The safe-box dialogs and the keypad use it for amounts and PINs.
#include "engine/gui/CLumoraGui.h"

#include <string>
#include <string_view>

namespace Lumora {

class CSafeBoxInput;
class PlaneObject;

class CGameInputBox : public CLumoraGui {
public:
    using CLumoraGui::SetSize;

    virtual void CreateFromSkin();
    // Sizes of 0 take the frame picture's; negative values change nothing.
    virtual void SetSize(int width, int height);
    virtual void SetWidth(int width);
    virtual void SetHeight(int height);
    virtual void Layout();
    virtual void FocusInner();
    virtual void ClearInner();
    virtual void SetText(std::string_view text);
    virtual std::string GetText() const;
    // Paints [x0, x1) x [y0, y1) of the frame; nothing for the transparent key colour.
    virtual void FillFrame(int x0, int y0, int x1, int y1, uint32_t colour);

    uint32_t GetInputFlags() const;
    void SetInputFlags(uint32_t flags);
    void SetMaxLength(int length);
    CSafeBoxInput* GetInner() const { return inner_; }
    PlaneObject* GetFrame() const { return frame_; }
    int GetBoxWidth() const { return width_; }
    int GetBoxHeight() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
    CSafeBoxInput* inner_ = nullptr;
    PlaneObject* frame_ = nullptr;
};

} // namespace Lumora
