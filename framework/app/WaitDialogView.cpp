// The wait dialog's window and its repaints.
#include "framework/app/WaitDialogView.h"

#include "platform/BusyPump.h"
#include "platform/Clock.h"
#include "platform/FontGlyphSource.h"
#include "platform/ImageDecode.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/Window.h"

#include <fstream>
#include <iterator>

namespace {
constexpr uint32_t kRepaintTimer = 1;
}

std::unique_ptr<WaitDialogView> WaitDialogView::Create(CGameCommThread& thread, const std::string& skinIni)
{
    auto window = platform::WaitWindow::Create(WaitDialogPicture::kWidth, WaitDialogPicture::kHeight);
    if (!window)
        return nullptr;
    std::unique_ptr<WaitDialogView> view(new WaitDialogView);
    view->thread_ = &thread;
    view->window_ = std::move(window);
    view->LoadBackground(skinIni);
    WaitDialogView* self = view.get();
    view->timerWindow_ = platform::MakeWindow([self](platform::WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        if (msg == platform::kMsgTimer)
            self->Repaint();
        return 0;
    });
    platform::StartTimer(view->timerWindow_, kRepaintTimer, kRepaintMs);
    platform::SetBusyPump([self] {
        self->Repaint();
        platform::PumpDisplayEvents();
    });
    return view;
}

WaitDialogView::~WaitDialogView()
{
    platform::SetBusyPump(nullptr);
    platform::DestroyWindow(timerWindow_);
}

void WaitDialogView::LoadBackground(const std::string& skinIni)
{
    if (skinIni.empty())
        return;
    std::string name = platform::IniFile(skinIni).GetString("BitmapResource", "CommDlgBK");
    if (name.empty())
        return;
    // Relative to the skin ini's folder.
    std::string path = skinIni.substr(0, skinIni.rfind('/') + 1) + platform::NativePath(name);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    platform::DecodedPicture picture;
    if (bytes.empty() || !platform::DecodeBmp(bytes.data(), bytes.size(), picture) ||
        (picture.flags & platform::DecodedPicture::kPaletted))
        return; // missing: the button face
    background_.resize(static_cast<size_t>(picture.width) * picture.height);
    for (size_t i = 0; i < background_.size(); ++i)
        background_[i] = picture.pixels[i * 4] | picture.pixels[i * 4 + 1] << 8 | picture.pixels[i * 4 + 2] << 16 |
                         0xFF000000u;
    backgroundWidth_ = static_cast<int>(picture.width);
    backgroundHeight_ = static_cast<int>(picture.height);
}

void WaitDialogView::Repaint()
{
    WaitDialogState state = thread_->Snapshot(platform::CurrentClock().NowMs());
    if (!state.visible) {
        window_->Hide();
        return;
    }
    if (window_->Visible() && state.text == paintedText_ && state.bands == paintedBands_)
        return;
    // The fonts are set up by the first paint, which comes while the start-up waits on the server.
    if (!glyphs_)
        glyphs_ = std::make_unique<platform::FontGlyphSource>();
    auto picture = PaintWaitDialog(state, *glyphs_, background_, backgroundWidth_, backgroundHeight_);
    window_->Show(picture.pixels.data());
    paintedText_ = state.text;
    paintedBands_ = state.bands;
}
