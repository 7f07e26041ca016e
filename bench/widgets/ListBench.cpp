// The side panel's lists at full tables: the user list bar rebuilt and redrawn for 8 players
// and 64 look-on users, and the emoticon picker opened and paged through its faces.
#include "tests/widgets/FakeAppServices.h"
#include "tests/support/HeadlessEngine.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCyUserList.h"
#include "widgets/CXyChatFace.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

using namespace Lumora;

namespace {

std::string Tag(const char* what) { return std::string("bench_") + what + "_" + std::to_string(::getpid()); }

void AddListSkins(testsupport::HeadlessEngine& engine)
{
    using testsupport::SolidFrames;
    engine.AddSkin("SystemUserListBar", SolidFrames(300, 20, {0x303030}));
    engine.AddSkin("UserListBlock", SolidFrames(200, 24, {0x0000A0, 0x00A000, 0xA00000}));
    engine.AddSkin("SystemDivide", SolidFrames(2, 16, {0x101010}));
    engine.AddSkin("bit_LookOn", SolidFrames(16, 16, {0x0F0F0F}));
    for (int c = 0; c < 7; ++c)
        engine.AddSkin("char" + std::to_string(c), SolidFrames(40, 60, {uint32_t(0x112233 * (c + 1))}));
    for (const char* part : {"Back", "Btn", "Pattern"}) {
        engine.AddSkin(std::string("ScrollBar_Vert") + part, SolidFrames(16, 30, {0x404040, 0x505050, 0x606060}));
        engine.AddSkin(std::string("ScrollBar_Horz") + part, SolidFrames(30, 16, {0x404040, 0x505050, 0x606060}));
    }
    for (const char* arrow : {"ScrollBar_VertUpBtn", "ScrollBar_VertDownBtn", "ScrollBar_HorzLeftBtn",
                              "ScrollBar_HorzRightBtn"})
        engine.AddSkin(arrow, SolidFrames(16, 16, {0x1, 0x2, 0x3, 0x4}));
    engine.LoadSkins();
}

// 8 players and 64 look-on users, every column kind shown: one refresh per iteration (rows
// rebuilt from the tables, the list resized, placed and every row drawn), then one frame.
void UserListRefresh72(benchmark::State& state, bool withFrame)
{
    testsupport::HeadlessEngine engine(Tag("userlist"));
    AddListSkins(engine);
    widgettest::FakeAppServices app;
    app.chairCount = 8;
    for (int c = 0; c < 8; ++c)
        app.SeatPlayer(c, 1001 + c, "玩家" + std::to_string(c));
    for (size_t k = 0; k < 64; ++k)
        app.AddLookOn(k, int32_t(2000 + k), "旁观者" + std::to_string(k), int32_t(k % 8));
    auto* bar = engine.Make<CCyPlayerListBar>();
    bar->AddColumn(0, 138, "用户名", 0, 0, 0);
    bar->AddColumn(1, 60, "积分", 0, 0, 0);
    bar->AddColumn(3, 80, "级别", 0, 0, 0);
    bar->AddColumn(2, 60, "银子", 0, 0, 0);
    bar->AddColumn(4, 80, "财富等级", 0, 0, 0);
    bar->AddColumn(5, 80, "观看", 0, 0, 0);
    bar->SetSize(300, 400);
    bar->MoveTo(400, 300);
    bar->CreateFromSkin();
    engine.Settle();
    if (!bar->GetList() || bar->GetList()->GetRowCount() != 72)
        state.SkipWithError("the list does not hold 72 rows");
    for (auto _ : state) {
        bar->RefreshUsers();
        if (!withFrame)
            state.PauseTiming();
        engine.Tick(5);
        engine.Tick(5);
        if (!withFrame)
            state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 72);
}
BENCHMARK_CAPTURE(UserListRefresh72, rebuild_and_draw, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(UserListRefresh72, with_frame, true)->Unit(benchmark::kMicrosecond);

// 10 x 8 cells of 32-pixel faces, 400 faces (5 pages): each iteration shows one page (the
// picker opened at page 0, then the next-page steps), then one frame.
void BM_FacePickerPage(benchmark::State& state)
{
    testsupport::HeadlessEngine engine(Tag("faces"));
    using testsupport::SolidFrames;
    engine.AddSkin("xyf向前翻页", SolidFrames(20, 16, {0x10, 0x20, 0x30, 0x40}));
    engine.AddSkin("xyf向后翻页", SolidFrames(20, 16, {0x11, 0x21, 0x31, 0x41}));
    for (int i = 0; i < 40; ++i) {
        engine.AddSkin("xyfs" + std::to_string(i), SolidFrames(32, 32, {uint32_t(0x0101F0 + i)}));
        engine.AddSkin("xyf" + std::to_string(i), SolidFrames(48, 48, {0x00F000, 0x00E000}));
    }
    engine.LoadSkins();
    auto* picker = engine.Make<CXyChatFace>();
    picker->Create(10, 8, 32, 2);
    for (int i = 0; i < 400; ++i)
        picker->AddFace(std::to_string(i % 40).c_str(), ("/" + std::to_string(i)).c_str(), uint32_t(i));
    picker->MoveTo(400, 300);
    engine.Settle();
    const EventRecord next{picker->GetId(), CXyChatFace::EV_NEXT_PAGE, 0, 0};
    int pages = 0;
    for (auto _ : state) {
        if (picker->GetPage() + 1 >= picker->GetPageCount() || pages == 0) {
            picker->Activate();
            picker->SetGrid(10, 8);
        } else {
            picker->OnEvent(next);
        }
        ++pages;
        engine.Tick(5);
        engine.Tick(5);
    }
    if (picker->GetPageCount() != 5)
        state.SkipWithError("the faces do not fill 5 pages");
    state.SetItemsProcessed(pages);
}
BENCHMARK(BM_FacePickerPage)->Unit(benchmark::kMicrosecond);

} // namespace
