// The side panel under a stream of chat: 10,000 chat records as the dispatcher hands them over
// (name, text with a peer's markup), each drawn in the frame after it; the chat box trims its
// rows, so memory should stay flat once it is full.
#include "tests/support/HeadlessEngine.h"
#include "tests/support/SolidGlyphSource.h"

#include "services/panel/CSubSystem.h"
#include "widgets/CXyChatBox.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <malloc.h>
#include <unistd.h>

namespace {

std::vector<uint8_t> Record(int i)
{
    std::vector<uint8_t> r(112, 0);
    const std::string name = "玩家" + std::to_string(i % 4);
    const std::string text = "<c=255>第" + std::to_string(i) + "句 #打牌";
    std::memcpy(r.data(), name.data(), name.size());
    std::memcpy(r.data() + 48, text.data(), std::min<size_t>(text.size(), 62));
    return r;
}

void BM_SidePanelChatLines(benchmark::State& state)
{
    const int lines = int(state.range(0));
    double perLine = 0, heapAt2000 = 0, heapAtEnd = 0;
    for (auto _ : state) {
        testsupport::HeadlessEngine engine("panelbench_" + std::to_string(::getpid()));
        engine.Objects().GetTextSurface().SetGlyphSource(std::make_shared<testsupport::SolidGlyphSource>());
        engine.LoadSkins();
        auto* panel = engine.Make<Lumora::CMJSubSystem>();
        panel->SetBounds({500, 0, 800, 600});
        panel->OnSizeDone();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < lines; ++i) {
            const std::vector<uint8_t> r = Record(i);
            panel->OnEvent({panel->GetId(), Lumora::EV_PANEL_CHAT, reinterpret_cast<uintptr_t>(r.data()), r.size()});
            engine.Tick();
            if (i == 2000)
                heapAt2000 = double(mallinfo2().uordblks) / 1024;
        }
        perLine = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / lines;
        heapAtEnd = double(mallinfo2().uordblks) / 1024;
    }
    state.counters["us_per_line"] = perLine;
    state.counters["heap_kib_at_2000"] = heapAt2000;
    state.counters["heap_kib_at_end"] = heapAtEnd;
}
BENCHMARK(BM_SidePanelChatLines)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
