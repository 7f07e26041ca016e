#include "platform/Clipboard.h"

namespace platform {

bool MemoryClipboard::SetText(std::string_view gbk)
{
    if (unavailable_)
        return false;
    ++sets_;
    text_ = std::string(gbk.substr(0, gbk.find('\0')));
    return true;
}

std::optional<std::string> MemoryClipboard::GetText()
{
    if (unavailable_)
        return std::nullopt;
    return text_;
}

namespace {
MemoryClipboard g_fallback;
Clipboard* g_current = nullptr;
} // namespace

Clipboard& CurrentClipboard() { return g_current ? *g_current : g_fallback; }
void SetCurrentClipboard(Clipboard* clipboard) { g_current = clipboard; }

} // namespace platform
