#pragma once
// The wait dialog as the UI thread shows it: the state the communication thread keeps, painted
// into the wait window from the UI thread's loop (every 50 ms) and from its blocking waits (the
// busy pump, which also takes the display's events off the system without handing them on).
// Made only on a real display; tests run without it.
//
// Threads: the UI thread.
#include "framework/app/WaitDialogPaint.h"
#include "platform/Message.h"
#include "platform/WaitWindow.h"

#include <memory>
#include <string>

class WaitDialogView {
public:
    static constexpr uint32_t kRepaintMs = 50;

    // Null without a display. The thread must outlive the view.
    static std::unique_ptr<WaitDialogView> Create(CGameCommThread& thread, const std::string& skinIni);
    ~WaitDialogView();

    void Repaint();

private:
    WaitDialogView() = default;
    void LoadBackground(const std::string& skinIni);

    CGameCommThread* thread_ = nullptr;
    std::unique_ptr<platform::WaitWindow> window_;
    std::unique_ptr<platform::GlyphSource> glyphs_;
    platform::WindowId timerWindow_ = 0;
    std::vector<uint32_t> background_;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
    std::string paintedText_;
    std::array<uint32_t, WaitBarColours::kBands> paintedBands_{};
};
