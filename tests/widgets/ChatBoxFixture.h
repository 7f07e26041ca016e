#pragma once
// Chat boxes on the headless widget engine, with an in-memory clipboard and a Ctrl key the
// test holds down, and a box that records the addresses it would open.
#include "tests/widgets/WidgetFixture.h"
#include "platform/Clipboard.h"
#include "platform/KeyboardState.h"
#include "widgets/CPglChatBox.h"

namespace widgettest {

// Records what it would open instead of starting a browser.
class RecordingBox : public Lumora::CPglChatBox {
public:
    void OpenUrl(std::string_view address, Lumora::LinkOrigin) override { opened.emplace_back(address); }
    std::vector<std::string> opened;
};

class ChatBoxFixture : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        platform::SetCurrentClipboard(&clipboard_);
        platform::SetCurrentKeyboardState(&keys_);
    }
    void TearDown() override
    {
        platform::SetCurrentClipboard(nullptr);
        platform::SetCurrentKeyboardState(nullptr);
        WidgetFixture::TearDown();
    }
    // A 200 x 100 box whose view starts at (100, 100).
    template <typename B = RecordingBox>
    B* MakeBox(uint32_t style)
    {
        auto* box = E().Make<B>();
        box->Create(200, 100, style, 0);
        box->MoveTo(200, 150);
        box->SetBackgroundColor(0xFFFFFF);
        E().Show(*box);
        return box;
    }
    int InkPixels(Lumora::PlaneObject& plane)
    {
        int n = 0;
        for (int y = 0; y < plane.GetSurfaceHeight(); ++y)
            for (int x = 0; x < plane.GetSurfaceWidth(); ++x)
                n += AlphaOf(plane, x, y) != 0;
        return n;
    }
    void CtrlKey(uint32_t vk)
    {
        keys_.SetCtrlDown(true);
        E().Key(vk);
        keys_.SetCtrlDown(false);
    }

    platform::MemoryClipboard clipboard_;
    platform::ManualKeyboardState keys_;
};

} // namespace widgettest
