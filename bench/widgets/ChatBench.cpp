// Chat content under load: lines with markup and emoticons appended to a box that keeps its
// maximum rows, and a large paste into a short input box.
#include "widgets/ChatDocument.h"
#include "widgets/InputEditing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

// Emoticons exist and become 24-pixel objects; nothing else is needed of an engine.
class EmoticonDocument final : public Lumora::ChatDocument {
public:
    bool MarkupPictureExists(std::string_view name) override { return name.substr(0, 3) == "xyf"; }
    std::optional<Lumora::ChatObjectInfo> CreateMarkupObject(const Lumora::ChatObjectRequest&) override
    {
        return Lumora::ChatObjectInfo{++ids_, 24, 24};
    }

private:
    uint32_t ids_ = 0;
};

std::string ChatLine(int i)
{
    return " <c=255>玩家" + std::to_string(i % 97) + "<>说: 大家好 #打牌 <e=b>hello world<> #加油 number " +
           std::to_string(i) + "\r\n";
}

void BM_AppendChatLines(benchmark::State& state)
{
    const int lines = int(state.range(0));
    std::vector<std::string> texts;
    for (int i = 0; i < lines; ++i)
        texts.push_back(ChatLine(i));
    size_t capacity = 0, elements = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        EmoticonDocument doc;
        doc.rules.chatBoxExtensions = true;
        doc.style = Lumora::chat_style::kLinks;
        doc.layout.viewWidth = 300;
        doc.layout.viewHeight = 200;
        doc.layout.maxRows = 1000;
        for (const auto& t : texts) {
            doc.Append(Lumora::Markup::FromSkin(t));
            doc.layout.ScrollAfterAppend();
        }
        capacity = doc.layout.PoolCapacity();
        elements = size_t(doc.layout.ElementCount());
        benchmark::DoNotOptimize(doc.layout.Last());
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["us_per_line"] = seconds * 1e6 / (double(lines) * double(state.iterations()));
    state.counters["pool_bytes"] = double(capacity * sizeof(Lumora::ChatElement));
    state.counters["elements_held"] = double(elements);
}
BENCHMARK(BM_AppendChatLines)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PasteIntoShortInputBox(benchmark::State& state)
{
    std::string clip;
    while (clip.size() < 100 * 1024)
        clip += "粘贴的文字 pasted text <c=255>with markup<> ";
    for (auto _ : state) {
        Lumora::ChatDocument doc;
        doc.layout.viewWidth = 140;
        doc.layout.viewHeight = 16;
        doc.layout.singleLine = true;
        doc.layout.editable = true;
        doc.style = 0x24006 | Lumora::chat_style::kSingleLine;
        if (const auto allowed = Lumora::AppendAllowance(clip, Lumora::EditLength(doc.layout), 20))
            doc.Append(Lumora::Markup::FromSkin(*allowed));
        benchmark::DoNotOptimize(Lumora::EditLength(doc.layout));
    }
}
BENCHMARK(BM_PasteIntoShortInputBox)->Unit(benchmark::kMicrosecond);

} // namespace
