#include "engine/util/HostServices.h"

#include "engine/util/EngineLog.h"
#include "platform/Window.h"

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

// Handlers may be replaced while another thread reads them.
std::mutex g_lock;
MessageBoxHandler g_box;
std::function<void()> g_flash;

template <typename T>
T Copy(const T& handler)
{
    std::lock_guard<std::mutex> lock(g_lock);
    return handler;
}

} // namespace

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_box = std::move(handler);
}

void SetFlashHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_flash = std::move(handler);
}

void ShowEngineMessageBox(const std::string& text, const std::string& caption)
{
    if (auto box = Copy(g_box))
        box(text, caption);
    else
        WriteDailyLog("%s: %s", caption.c_str(), text.c_str());
}

void ShowLastErrorBox(const std::string& what)
{
    const std::string reason = std::strerror(errno);
    ShowEngineMessageBox(what + " 由于以下错误而失败: " + reason, "错误");
}

void FlashHostWindow()
{
    if (auto flash = Copy(g_flash))
        flash();
}

bool PostToWindow(uintptr_t window, uint32_t message, uintptr_t wparam, uintptr_t lparam)
{
    const auto id = static_cast<platform::WindowId>(window);
    return id != 0 && id == window && platform::PostToWindow(id, message, wparam, static_cast<intptr_t>(lparam));
}
