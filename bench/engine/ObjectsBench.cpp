// Frame build from dirty rectangles and registry look-ups of the object module.
#include "engine/GameCore.h"
#include "engine/paint/FrameRecord.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

using namespace Lumora;

namespace {

// Takes each frame and drops it, as the painting module would after drawing it.
class FrameSink : public BaseModule {
public:
    int Init() override { return 1; }
    void Shutdown() override {}
    void Work() override {}
    uint32_t GetId() const override { return LUMORA_MODULE_PAINT; }
    const char* GetName() const override { return "FrameSink"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t) override
    {
        if (message == LUMORA_MSG_DRAW_FRAME) {
            auto* frame = reinterpret_cast<FrameRecord*>(wparam);
            records += frame->RecordCount();
            delete frame;
        }
        return 0;
    }
    size_t records = 0;
};

struct Scene {
    std::unique_ptr<GameCore> core = std::make_unique<GameCore>();
    ObjectModule* objects = new ObjectModule;
    FrameSink* sink = new FrameSink;
    ImageRecord image;
    std::vector<PObject*> all;

    explicit Scene(int count)
    {
        core->LoadModule(objects, 1, 0);
        core->LoadModule(sink, 1, 0);
        objects->SetViewportCentre(400, 300);
        objects->SetViewportSize(800, 600);
        image.width = 32;
        image.height = 32;
        image.pixels.assign(32 * 32 * 4, 255);
        image.flags = kImageAlpha;
        PictureInfo info;
        info.image = &image;
        info.width = info.height = 32;
        std::mt19937 rng(5);
        for (int i = 0; i < count; ++i) {
            BITObject* o = objects->NewBitmapObject(info, nullptr);
            o->MoveTo(std::uniform_int_distribution<int>(0, 800)(rng), std::uniform_int_distribution<int>(0, 600)(rng));
            o->SetLayer(std::uniform_int_distribution<uint32_t>(0, 3)(rng));
            o->Activate();
            o->Redraw();
            o->SetName(("object_" + std::to_string(i)).c_str());
            all.push_back(o);
        }
        objects->BuildFrame();
    }
};

void BM_FrameBuildTenChanged(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    std::mt19937 rng(9);
    int step = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            PObject* o = scene.all[(step * 37 + i * 101) % scene.all.size()];
            o->MoveBy((step & 1) ? 3 : -3, (step & 2) ? 2 : -2);
            o->Redraw();
        }
        scene.objects->BuildFrame();
        ++step;
    }
    state.counters["records/frame"] = benchmark::Counter(double(scene.sink->records) / double(state.iterations()));
}
BENCHMARK(BM_FrameBuildTenChanged)->Arg(1000)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FrameBuildNothingChanged(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    // A whole idle step of the object module: drain, actions, frame build.
    for (auto _ : state)
        scene.objects->Work();
}
BENCHMARK(BM_FrameBuildNothingChanged)->Arg(1000)->Unit(benchmark::kNanosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FindById(benchmark::State& state)
{
    Scene scene(10000);
    uint32_t id = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.objects->FindById(id));
        id = id % 10000 + 1;
        id = (id * 7919) % 10000 + 1;
    }
}
BENCHMARK(BM_FindById);

void BM_FindByName(benchmark::State& state)
{
    Scene scene(10000);
    std::vector<std::string> names;
    for (int i = 0; i < 64; ++i)
        names.push_back("object_" + std::to_string((i * 7919) % 10000));
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.objects->FindByName(names[i++ % names.size()].c_str()));
}
BENCHMARK(BM_FindByName)->Unit(benchmark::kMicrosecond);

} // namespace
