// Drawing a long mixed GBK and ASCII paragraph into a plane with the real fonts, with an empty
// glyph cache and with a warm one.
#include "engine/text/TextSurface.h"
#include "platform/FontGlyphSource.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// 2,000 characters, three in four Chinese (distinct ones, walking the common GBK block) and
// the rest ASCII, so that a cold cache rasterises well over a thousand glyphs.
std::string Paragraph()
{
    const std::string ascii = "XueLiu 2026, round 13; ";
    std::string out;
    unsigned lead = 0xB0, trail = 0xA1;
    for (int characters = 0; characters < 2000; ++characters) {
        if (characters % 4 == 3) {
            out.push_back(ascii[characters % ascii.size()]);
            continue;
        }
        out.push_back(static_cast<char>(lead));
        out.push_back(static_cast<char>(trail));
        if (++trail > 0xFE) {
            trail = 0xA1;
            ++lead;
        }
    }
    return out;
}

std::shared_ptr<platform::FontGlyphSource> Fonts()
{
    platform::FontGlyphOptions options;
    if (options.aliasFile.empty()) {
        // From the checkout this was built from (the compile cache names its files relative to it,
        // so this file's own name would not do).
        options.aliasFile = std::string(XL_SOURCE_DIR) + "/assets/fonts/cjk-aliases.conf";
    }
    return std::make_shared<platform::FontGlyphSource>(options);
}

void DrawParagraph(benchmark::State& state, bool cold)
{
    auto fonts = Fonts();
    Lumora::TextSurface surface(fonts);
    Lumora::TextStyle style;
    style.SetFace("宋体");
    style.size = 14;
    style.weight = 400;
    style.wrap = 1;
    style.opacity = 255;
    style.colour = 0xFFFFFF;
    const std::string text = Paragraph();
    std::vector<uint8_t> pixels(1024 * 768 * 4);
    Lumora::TextSurface::StyledCall call(surface, style);
    surface.RenderText(pixels.data(), 1024, 768, 0, 0, text); // opens the fonts once
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            fonts->ClearCache();
            state.ResumeTiming();
        }
        surface.RenderText(pixels.data(), 1024, 768, 0, 0, text);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["glyphs"] = double(fonts->CachedGlyphs());
}

void BM_TextParagraphColdCache(benchmark::State& state) { DrawParagraph(state, true); }
void BM_TextParagraphWarmCache(benchmark::State& state) { DrawParagraph(state, false); }
BENCHMARK(BM_TextParagraphColdCache)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextParagraphWarmCache)->Unit(benchmark::kMicrosecond);

} // namespace
