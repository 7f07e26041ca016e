// Frame build from dirty rectangles and registry look-ups of the object module.
#include "engine/GameCore.h"
#include "engine/paint/FrameRecord.h"
#include "engine/object/DirtyRectList.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/resource/ResourceModule.h"
#include "engine/util/MemPool.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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
            // Counting walks the records: only when asked, outside the timed frames.
            if (counting)
                records += frame->RecordCount();
            delete frame;
        }
        return 0;
    }
    bool counting = false;
    size_t records = 0;
};

struct Scene {
    std::unique_ptr<GameCore> core = std::make_unique<GameCore>();
    ObjectModule* objects = new ObjectModule;
    FrameSink* sink = new FrameSink;
    ImageRecord image;
    std::vector<PObject*> all;

    // With `paint` the engine's painting module draws each frame into an 800x600 back buffer in
    // place of the sink.
    explicit Scene(int count, bool paint = false)
    {
        if (paint) {
            core->LoadModule(new ResourceModule, 1, 0);
            core->LoadModule(objects, 1, 0);
            auto* painter = new PaintModuleGDI;
            core->LoadModule(painter, 1, 0);
            painter->CreateBackBuffer(800, 600);
            painter->ClearBackground(0x00406080);
            delete sink;
            sink = nullptr;
        } else {
            core->LoadModule(objects, 1, 0);
            core->LoadModule(sink, 1, 0);
        }
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

// Moves `count` objects of the scene, each along its own step and wrapping at the screen's edges,
// so the scene stays on screen however long the benchmark runs.
void MoveSome(Scene& scene, int count, int& next)
{
    const int n = int(scene.all.size());
    for (int i = 0; i < count; ++i) {
        PObject* o = scene.all[size_t(next)];
        next = (next + 7919) % n;
        double x = o->GetX() + 3 + next % 5, y = o->GetY() + 2 + next % 3;
        if (x > 800)
            x -= 800;
        if (y > 600)
            y -= 600;
        o->MoveTo(x, y);
        o->Redraw();
    }
}

bool Meets(const Rect& a, const Rect& b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
        std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

// The share of the 800x600 view that the rectangles cover, and the objects that meet them.
struct Coverage {
    double area = 0;
    std::vector<PObject*> meeting; // in registration order
};

Coverage CoverageOf(const Scene& scene, const std::vector<Rect>& rects)
{
    std::vector<uint8_t> covered(800 * 600, 0);
    for (const Rect& r : rects)
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, 600); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, 800); ++x)
                covered[size_t(y) * 800 + size_t(x)] = 1;
    Coverage c;
    c.area = double(std::count(covered.begin(), covered.end(), 1)) / double(covered.size());
    for (PObject* o : scene.all) {
        const Rect screen = ObjectModule::ScreenRect(o->Geometry());
        if (std::any_of(rects.begin(), rects.end(), [&](const Rect& r) { return Meets(r, screen); }))
            c.meeting.push_back(o);
    }
    return c;
}

// What a frame of `count` moves must redraw: the areas the moved objects left and now cover,
// against the dirty rectangles the module keeps for them (merged past its limit). Leaves the
// moves unbuilt.
void ReportShape(benchmark::State& state, Scene& scene, int count, int& next)
{
    std::vector<Rect> changed;
    const int n = int(scene.all.size());
    for (int i = 0, probe = next; i < count; ++i, probe = (probe + 7919) % n)
        changed.push_back(ObjectModule::ScreenRect(scene.all[size_t(probe)]->Geometry()));
    MoveSome(scene, count, next);
    for (int i = 0, probe = (next + n - (count * 7919) % n) % n; i < count; ++i, probe = (probe + 7919) % n)
        changed.push_back(ObjectModule::ScreenRect(scene.all[size_t(probe)]->Geometry()));
    const Coverage exact = CoverageOf(scene, changed), dirty = CoverageOf(scene, scene.objects->DirtyRects());
    state.counters["dirty rects"] = double(scene.objects->DirtyRects().size());
    state.counters["changed area %"] = 100 * exact.area;
    state.counters["dirty area %"] = 100 * dirty.area;
    state.counters["meet changed %"] = 100.0 * double(exact.meeting.size()) / double(n);
    state.counters["meet dirty %"] = 100.0 * double(dirty.meeting.size()) / double(n);
}

// Args: objects in the scene, objects changed a frame.
void BM_FrameBuild(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    int next = 0;
    for (auto _ : state) {
        MoveSome(scene, static_cast<int>(state.range(1)), next);
        scene.objects->BuildFrame();
    }
    scene.sink->counting = true;
    constexpr int kCounted = 32;
    for (int i = 0; i < kCounted; ++i) {
        MoveSome(scene, static_cast<int>(state.range(1)), next);
        scene.objects->BuildFrame();
    }
    state.counters["records/frame"] = double(scene.sink->records) / kCounted;
    ReportShape(state, scene, static_cast<int>(state.range(1)), next);
}
BENCHMARK(BM_FrameBuild)->Args({1000, 10})->Args({10000, 100})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The frame built and painted: what 100 moves cost the engine, painting included.
void BM_FrameBuildAndPaint(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)), true);
    int next = 0;
    for (auto _ : state) {
        MoveSome(scene, static_cast<int>(state.range(1)), next);
        scene.objects->BuildFrame();
    }
}
BENCHMARK(BM_FrameBuildAndPaint)
    ->Args({10000, 100})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The anchor of the frame build: reading the geometry of each object a frame lists (those
// meeting the dirty rectangles of 100 moves) into render-sized records, in draw order, and
// nothing else. No frame build can list them for less.
void BM_FrameListFloor(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    int next = 0;
    MoveSome(scene, static_cast<int>(state.range(1)), next);
    std::vector<PObject*> listed = CoverageOf(scene, scene.objects->DirtyRects()).meeting;
    scene.objects->BuildFrame();
    std::vector<std::pair<int32_t, PObject*>> ordered;
    for (PObject* o : listed)
        ordered.emplace_back(scene.objects->GetDrawIndex(o->GetId()), o);
    std::sort(ordered.begin(), ordered.end());
    for (size_t i = 0; i < ordered.size(); ++i)
        listed[i] = ordered[i].second;
    std::vector<RenderRecord> records(listed.size());
    for (auto _ : state) {
        for (size_t i = 0; i < listed.size(); ++i)
            records[i].geometry = listed[i]->Geometry();
        benchmark::DoNotOptimize(records.data());
        benchmark::ClobberMemory();
    }
    state.counters["records/frame"] = double(listed.size());
}
BENCHMARK(BM_FrameListFloor)
    ->Args({10000, 100})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The other part of that floor: taking as many render records from the module's kind of pool
// and giving them back, as a frame's records come and go, and nothing else.
void BM_FrameRecordPoolFloor(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    int next = 0;
    MoveSome(scene, static_cast<int>(state.range(1)), next);
    const size_t count = CoverageOf(scene, scene.objects->DirtyRects()).meeting.size();
    CMemPool pool(FrameRecord::kRecordsPerBatch * sizeof(RenderRecord), 8);
    for (auto _ : state) {
        FrameRecord frame;
        frame.pool = &pool;
        RenderRecord** tail = &frame.first;
        for (size_t i = 0; i < count; ++i) {
            RenderRecord* record = frame.NewRecord(RenderRecord{});
            *tail = record;
            tail = &record->next;
        }
    }
    state.counters["records/frame"] = double(count);
}
BENCHMARK(BM_FrameRecordPoolFloor)
    ->Args({10000, 100})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One object moved and re-sorted into the draw order, among 100, 1,000 and 10,000 objects: the
// cost should barely grow with the scene. No frame is built (its walk is the frame's cost, above).
void BM_OneMove(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    int next = 0;
    for (auto _ : state)
        MoveSome(scene, 1, next);
}
BENCHMARK(BM_OneMove)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kNanosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same moves among 10,000 objects, cycling through only the first 1,000: the module's work
// is that of the 10,000 scene, the memory a move touches that of the 1,000 one. Near the
// 1,000 figure, what one move at 10,000 adds is the cache misses of a larger scene.
void BM_OneMoveAmongMore(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)));
    scene.all.resize(size_t(state.range(1)));
    int next = 0;
    for (auto _ : state)
        MoveSome(scene, 1, next);
    state.counters["object bytes"] = double(sizeof(BITObject));
}
BENCHMARK(BM_OneMoveAmongMore)
    ->Args({10000, 1000})
    ->Unit(benchmark::kNanosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The dirty list taking the 200 rectangles of 100 scattered 32x32 moves in an 800x600 view
// (the list fills and merges past its limit), as between two frames of BM_FrameBuild/10000/100.
void BM_DirtyRectAdd(benchmark::State& state)
{
    const Rect viewport{0, 0, 800, 600};
    std::vector<Rect> rects;
    std::mt19937 rng(9);
    for (int i = 0; i < 200; ++i) {
        const int x = std::uniform_int_distribution<int>(-16, 800)(rng),
                  y = std::uniform_int_distribution<int>(-16, 600)(rng);
        rects.push_back(Rect{x, y, x + 32, y + 32});
    }
    DirtyRectList list;
    for (auto _ : state) {
        list.Clear();
        for (const Rect& r : rects)
            list.Add(r, viewport);
        benchmark::DoNotOptimize(list.Rects().data());
    }
    state.counters["rects"] = double(list.Rects().size());
}
BENCHMARK(BM_DirtyRectAdd)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

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
