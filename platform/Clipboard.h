#pragma once
// The system clipboard as the program sees it: text in GBK both ways (the system side holds
// UTF-8; characters with no GBK form come back as '?'). The current clipboard is the one the
// host window installs; until then (and in tests) an in-memory one serves.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // False when the clipboard could not be taken; nothing is set then.
    virtual bool SetText(std::string_view gbk) = 0;
    // Nothing when the clipboard holds no text or cannot be read.
    virtual std::optional<std::string> GetText() = 0;
};

// A clipboard in memory that can be made to refuse, for tests and for machines without a display.
class MemoryClipboard final : public Clipboard {
public:
    bool SetText(std::string_view gbk) override;
    std::optional<std::string> GetText() override;

    void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }
    void Clear() { text_.reset(); }
    int Sets() const { return sets_; }

private:
    std::optional<std::string> text_;
    bool unavailable_ = false;
    int sets_ = 0;
};

Clipboard& CurrentClipboard();
// nullptr goes back to the built-in memory clipboard.
void SetCurrentClipboard(Clipboard* clipboard);

} // namespace platform
