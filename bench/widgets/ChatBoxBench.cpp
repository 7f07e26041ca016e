// The side panel's chat box on the headless engine: 10,000 lines with markup and emoticons
// appended to a box that keeps its 1,000 rows (each line drawn in the frame after it), and a
// 100 KiB paste into an input box that holds 20 bytes.
#include "tests/support/HeadlessEngine.h"
#include "tests/support/SolidGlyphSource.h"
#include "platform/Clipboard.h"
#include "platform/KeyboardState.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyInputBox.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <malloc.h>
#include <fstream>
#include <unistd.h>

using namespace Lumora;

namespace {

// Resident memory of the process in KiB (Linux).
double ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6));
    return 0;
}

// A side panel's chat box on a headless engine, with the skins its lines name.
struct ChatScene {
    testsupport::HeadlessEngine engine;
    CXyChatBox* box = nullptr;

    explicit ChatScene(const std::string& name) : engine(name + std::to_string(::getpid()))
    {
        engine.Objects().GetTextSurface().SetGlyphSource(std::make_shared<testsupport::SolidGlyphSource>());
        engine.AddSkin("xyf打牌", testsupport::SolidFrames(20, 20, {0x00FF00, 0x0000FF}));
        engine.AddSkin("zu系统通知", testsupport::SolidFrames(30, 14, {0x0000FF}));
        engine.LoadSkins();
        box = engine.Make<CXyChatBox>();
        box->Create(260, 300, 0x40F, 0x200);
        box->MoveTo(200, 200);
        engine.Show(*box);
    }
    // Line i, with markup and an emoticon, drawn in the frame after it.
    void Append(int i)
    {
        box->AppendText(Lumora::FormatMarkup(" <z=zu系统通知> <c=255>玩家%d<>说: 大家好 #打牌 <e=b>hello<> %d\r\n", i % 97, i));
        engine.Tick();
    }
};

void BM_ChatBoxAppendLines(benchmark::State& state)
{
    const int lines = int(state.range(0));
    double perLine = 0, rssAfterWarmup = 0, rssAfterRun = 0, pool = 0, objectsLeft = 0;
    // Heap bytes in use tell growth from allocator slack, which the resident size also counts.
    double heapAfterWarmup = 0, heapAfterRun = 0;
    for (auto _ : state) {
        ChatScene scene("chatbench_");
        testsupport::HeadlessEngine& engine = scene.engine;
        CXyChatBox* box = scene.box;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < lines; ++i) {
            scene.Append(i);
            if (i == 2000) {
                rssAfterWarmup = ResidentKiB();
                heapAfterWarmup = double(mallinfo2().uordblks) / 1024;
            }
        }
        perLine = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / lines;
        rssAfterRun = ResidentKiB();
        heapAfterRun = double(mallinfo2().uordblks) / 1024;
        pool = double(box->Content().PoolCapacity() * sizeof(ChatElement));
        objectsLeft = double(engine.Objects().GetObjectCount());
    }
    state.counters["us_per_line"] = perLine;
    state.counters["rss_kib_at_2000"] = rssAfterWarmup;
    state.counters["rss_kib_at_end"] = rssAfterRun;
    state.counters["heap_kib_at_2000"] = heapAfterWarmup;
    state.counters["heap_kib_at_end"] = heapAfterRun;
    state.counters["pool_bytes"] = pool;
    state.counters["engine_objects"] = objectsLeft;
}
BENCHMARK(BM_ChatBoxAppendLines)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A line appended and drawn once the box is full, with 100, 1,000 and 3,000 rows kept: the cost of
// a line should not grow with the history the box keeps. The three boxes are measured in turn,
// three times, and each keeps its best: the 100-row figure is the anchor of the same run.
double MicrosecondsPerLine(int rows)
{
    ChatScene scene("chatrows_");
    scene.box->SetMaxLines(rows);
    int i = 0;
    while (i < rows + 200)  // full, and trimming
        scene.Append(i++);
    constexpr int kLines = 400;
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < kLines; ++n)
        scene.Append(i++);
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kLines;
}

void BM_ChatBoxLineByRowsKept(benchmark::State& state)
{
    const int kept[] = {100, 1000, 3000};
    double best[3] = {1e9, 1e9, 1e9};
    for (auto _ : state)
        for (int round = 0; round < 3; ++round)
            for (int k = 0; k < 3; ++k)
                best[k] = std::min(best[k], MicrosecondsPerLine(kept[k]));
    state.counters["us_per_line_100_rows"] = best[0];
    state.counters["us_per_line_1000_rows"] = best[1];
    state.counters["us_per_line_3000_rows"] = best[2];
    state.counters["x_100_rows_at_3000"] = best[2] / best[0];
}
BENCHMARK(BM_ChatBoxLineByRowsKept)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PasteIntoTwentyByteInputBox(benchmark::State& state)
{
    testsupport::HeadlessEngine engine("pastebench_" + std::to_string(::getpid()));
    platform::MemoryClipboard clipboard;
    platform::SetCurrentClipboard(&clipboard);
    std::string clip;
    while (clip.size() < 100 * 1024)
        clip += "粘贴的文字 pasted text ";
    clipboard.SetText(clip);
    auto* box = engine.Make<CXyInputBox>();
    box->Create(140, 16, 0x2000);
    box->SetMaxLength(20);
    engine.Show(*box);
    for (auto _ : state) {
        box->Clear();
        box->Paste();
        benchmark::DoNotOptimize(box->GetLength());
    }
    platform::SetCurrentClipboard(nullptr);
}
BENCHMARK(BM_PasteIntoTwentyByteInputBox)->Unit(benchmark::kMicrosecond);

} // namespace
