// The in-game frame in the real host window over a headless window: 1000 message boxes opened
// and answered with the clock moving (time per box, and objects and heap back at the baseline
// once the deferred releases ran), the layout at three desktop sizes, and the hole search and
// frame drawing of a 600 x 400 stand dialog.
#include "tests/framework/DialogSkins.h"
#include "tests/support/ProgramFolder.h"

#include "engine/host/LumoraWnd.h"
#include "engine/object/ObjectModule.h"
#include "engine/resource/ResourceModule.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/CXyTimerDlg.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"
#include "widgets/CXyStandDlg.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <malloc.h>
#include <memory>
#include <unistd.h>

using namespace Lumora;

namespace {

class BenchFrame : public CXyGameFrame {
public:
    void CreateGameParts() override
    {
        SetSubSystem(std::make_unique<CGameBase>().release());
        SetMainGame(std::make_unique<CGameBase>().release());
    }
};

// Only the main window is asked for.
class BenchApp : public framework::IFrameApp {
public:
    BenchApp() { framework::SetFrameApp(this); }
    ~BenchApp() override { framework::SetFrameApp(nullptr); }
    std::string GetGameName() const override { return "bench"; }
    std::string GetSignedUrlSimple(const std::string& link, bool) const override { return link; }
    uint32_t GetUserID() const override { return 1; }
    const GameUserRecord* GetUserRecordByID(uint32_t) const override { return nullptr; }
    std::string GetCharacterImagePath(int, int) const override { return {}; }
    bool IsMatch() const override { return false; }
    int GetMatchState() const override { return 0; }
    bool IsSilverRoom() const override { return false; }
    bool IsRoomTypeBit14() const override { return false; }
    bool CanRequestExitConsent() const override { return false; }
    bool IsLookOn() const override { return false; }
    bool IsPlaying() const override { return false; }
    bool GetTableFlag() const override { return false; }
    void ShowSystemNotice(const Lumora::Markup&) override {}
    std::optional<uint32_t> GetLastExitRequestTick() const override { return std::nullopt; }
    void CountExitRequest(uint32_t) override {}
    framework::IFrameRequests* GetRequests() override { return nullptr; }
    void EnterGameOrMatch() override {}
    void ReportExitToHall() override {}
    void StopCommThread() override {}
    void PostCloseToMainWindow() override {}
    CLumoraWnd* GetMainWnd() override { return wnd; }
    CLumoraWnd* wnd = nullptr;
};

struct FrameWindow {
    FrameWindow(int w, int h) : folder("framebench_" + std::to_string(::getpid())), loop(clock)
    {
        std::vector<PackSource> skins;
        frametest::AddFrameSkins([&](const std::string& name, const ImageRecord& picture) {
            skins.push_back({name + ".pps", EncodePps(picture)});
        });
        std::string error;
        pack = BuildPack(skins, error);
        auto window = std::make_unique<platform::HeadlessWindow>(platform::Rect{0, 0, w, h});
        window->SetWorkArea({0, 0, w, h});
        wnd.Create(std::move(window));
        app.wnd = &wnd;
        auto* resources = new ResourceModule;
        resources->AddMemPack(pack.data(), pack.size());
        frame = new BenchFrame;
        wnd.StartEngine(frame, resources);
    }
    ObjectModule& Objects() { return *static_cast<ObjectModule*>(wnd.GetCore().GetModule(LUMORA_MODULE_OBJECT)); }

    testsupport::ProgramFolder folder;
    platform::ManualClock clock{1000};
    platform::ManualLoop loop;
    BenchApp app;
    std::vector<uint8_t> pack;
    CLumoraWnd wnd;
    BenchFrame* frame = nullptr;
};

void BM_MessageBoxesOpenedAndAnswered(benchmark::State& state)
{
    const int boxes = int(state.range(0));
    double perBox = 0, objectsLeft = 0, heapGrowth = 0, heapInUse = 0;
    for (auto _ : state) {
        FrameWindow f(1024, 768);
        f.loop.Advance(100);
        const size_t objects = f.Objects().GetObjectCount();
        auto answerOne = [&] {
            CXyTimerDlg* box = f.frame->ShowMsgBox("您的银两不足，请到保险箱取出银两后再继续游戏。", nullptr, nullptr, 5, 0, "xyf疑问");
            box->SendEvent({box->GetId(), framework::EV_DLG_ACCEPT, 0, 0});
            f.loop.Advance(20);  // the deferred release runs
        };
        for (int i = 0; i < 20; ++i)  // fonts, pools and caches warm
            answerOne();
        malloc_trim(0);
        const size_t heapBefore = mallinfo2().uordblks;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < boxes; ++i)
            answerOne();
        perBox = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / boxes;
        malloc_trim(0);
        heapInUse = double(mallinfo2().uordblks);
        heapGrowth = heapInUse - double(heapBefore);
        objectsLeft = double(f.Objects().GetObjectCount()) - double(objects);
    }
    state.counters["us_per_box"] = perBox;
    state.counters["objects_left"] = objectsLeft;
    state.counters["heap_growth_bytes"] = heapGrowth;
    state.counters["heap_in_use_bytes"] = heapInUse;
}
BENCHMARK(BM_MessageBoxesOpenedAndAnswered)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FrameOnSize(benchmark::State& state)
{
    FrameWindow f(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        f.frame->OnSize();
}
BENCHMARK(BM_FrameOnSize)->Args({1024, 768})->Args({1920, 1080})->Args({2560, 1440})->Unit(benchmark::kMicrosecond);

void BM_StandDialogHoleAndFrame600x400(benchmark::State& state)
{
    testsupport::HeadlessEngine e("standbench_" + std::to_string(::getpid()));
    e.AddSkin("tpl", frametest::TemplatePicture(64, 64, 12));
    e.LoadSkins();
    auto* dlg = e.Make<CXyStandDlg>();
    const PictureInfo frame = e.Picture("tpl", 0);
    dlg->CreateWithFill(&frame, 0x808080, 600, 400);
    for (auto _ : state) {
        dlg->BuildFromTemplate(&frame);
        dlg->SetClientSize(600, 400);
    }
}
BENCHMARK(BM_StandDialogHoleAndFrame600x400)->Unit(benchmark::kMicrosecond);

} // namespace
