#pragma once
// The in-game frame in the real host window over a headless window on a configured desktop,
// with a manual clock, synthetic skins in a memory pack and the scripted application stand-in.
// The frame's scene and side panel are bare game parts that count their layouts.
#include "tests/framework/DialogSkins.h"
#include "tests/framework/FakeFrameApp.h"
#include "tests/support/EngineFixtures.h"

#include "engine/host/LumoraWnd.h"
#include "engine/object/ObjectModule.h"
#include "engine/resource/PackWriter.h"
#include "engine/resource/ResourceModule.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/CXyTimerDlg.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"
#include "widgets/CCySplitterBar.h"

#include <gtest/gtest.h>

#include <optional>

namespace frametest {

// A game part that records the events handed to it.
struct Part : Lumora::CGameBase {
    int sizes = 0;
    int done = 0;
    std::vector<uint32_t> codes;
    void OnSize() override { ++sizes; }
    void OnSizeDone() override { ++done; }
    int OnEvent(const Lumora::EventRecord& r) override
    {
        codes.push_back(r.code);
        return CGameBase::OnEvent(r);
    }
};

// The frame with bare parts and a splitter (made from the default skin: 6 pixels wide).
class TestFrame : public CXyGameFrame {
public:
    void CreateFrameButtons() override { splitter_ = NewChild<Lumora::CCySplitterBar>(); }
    // The box counter starts unset here; the published settings have their own tests.
    void LoadColours() override {}
    void CreateGameParts() override
    {
        if (withParts) {
            SetSubSystem(std::make_unique<Part>().release());
            SetMainGame(std::make_unique<Part>().release());
        }
    }
    Lumora::CCySplitterBar* Splitter() const { return splitter_; }
    Part* Scene() const { return static_cast<Part*>(GetMainGame()); }
    Part* Panel() const { return static_cast<Part*>(GetSubSystem()); }
    static inline bool withParts = true;
};

class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_.emplace(testsupport::TestTag());
        std::vector<Lumora::PackSource> skins;
        AddFrameSkins([&](const std::string& name, const Lumora::ImageRecord& picture) {
            skins.push_back({name + ".pps", Lumora::EncodePps(picture)});
        });
        std::string error;
        pack_ = Lumora::BuildPack(skins, error);
        ASSERT_FALSE(pack_.empty()) << error;
        clock_.Advance(1000);
        TestFrame::withParts = true;
    }
    void TearDown() override
    {
        wnd_.reset();
        loop_.reset();
        folder_.reset();
    }

    // A window on a desktop whose work area is w x h, filling it or in the restored size.
    TestFrame& Start(int workWidth, int workHeight, bool fills = true)
    {
        frame_ = &StartAs<TestFrame>(workWidth, workHeight, fills);
        return *frame_;
    }
    template <typename F>
    F& StartAs(int workWidth, int workHeight, bool fills = true)
    {
        // A second start in one test: the old loop goes first, or it would take the clock along.
        wnd_.reset();
        loop_.reset();
        loop_ = std::make_unique<platform::ManualLoop>(clock_);
        const platform::Rect area{0, 0, workWidth, workHeight};
        auto window = std::make_unique<platform::HeadlessWindow>(fills ? area : platform::Rect{100, 100, 900, 700});
        window->SetWorkArea(area);
        window_ = window.get();
        wnd_ = std::make_unique<Lumora::CLumoraWnd>();
        EXPECT_TRUE(wnd_->Create(std::move(window)));
        app_.mainWnd = wnd_.get();
        auto* resources = new Lumora::ResourceModule;
        if (packFiles_.empty())
            resources->AddMemPack(pack_.data(), pack_.size());
        for (const std::string& file : packFiles_)
            resources->AddPack(file);
        auto* frame = new F;
        started_ = frame;
        wnd_->StartEngine(frame, resources);
        return *frame;
    }
    void Run(uint64_t ms) { loop_->Advance(ms); }
    // A person's left click at a client point.
    void ClickAt(int x, int y)
    {
        window_->InjectMouseMove(x, y);
        Run(20);
        window_->InjectMouseDown(platform::MouseButton::Left, x, y, clock_.NowMs());
        Run(50);
        window_->InjectMouseUp(platform::MouseButton::Left, x, y, clock_.NowMs());
        Run(50);
    }
    Lumora::ObjectModule& Objects()
    {
        return *static_cast<Lumora::ObjectModule*>(wnd_->GetCore().GetModule(Lumora::LUMORA_MODULE_OBJECT));
    }
    bool Alive(uint32_t id) { return Objects().FindById(id) != nullptr; }
    static constexpr uint32_t kIdsLooked = 20000;  // far more objects than a test makes
    // Boxes and dialogs on screen that have not answered yet, oldest first.
    template <typename D = CXyTimerDlg>
    std::vector<D*> OpenDialogs()
    {
        std::vector<D*> open;
        for (uint32_t id = 1; id <= kIdsLooked; ++id)
            if (auto* d = dynamic_cast<D*>(Objects().FindById(id)); d && !d->HasEnded())
                open.push_back(d);
        return open;
    }
    // What a click on a dialog's button does.
    static void Answer(CXyTimerDlg& dlg, bool accept)
    {
        dlg.SendEvent({dlg.GetId(), accept ? framework::EV_DLG_ACCEPT : framework::EV_DLG_REFUSE, 0, 0});
    }
    void Frame(uint32_t code, uintptr_t p1 = 0, uintptr_t p2 = 0)
    {
        started_->SendEvent({started_->GetId(), code, p1, p2});
    }

    std::optional<testsupport::ProgramFolder> folder_;
    platform::ManualClock clock_{0};
    std::vector<uint8_t> pack_;
    std::vector<std::string> packFiles_; // skin packs on disk in place of the test's own
    FakeFrameApp app_;
    std::unique_ptr<platform::ManualLoop> loop_;
    std::unique_ptr<Lumora::CLumoraWnd> wnd_;
    platform::HeadlessWindow* window_ = nullptr;
    TestFrame* frame_ = nullptr;
    CXyGameFrame* started_ = nullptr;  // the frame of the last start, of whatever class
};

} // namespace frametest
