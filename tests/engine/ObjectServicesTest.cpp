// Object services: pictures by name and their log lines, settings, application events, the
// message box's text and size, the system board and note, the core lock and the shadow.
#include "tests/support/EngineFixtures.h"
#include "tests/support/SceneSupport.h"

#include "engine/object/PlaneObject.h"
#include "engine/paint/Pps.h"
#include "engine/resource/PackWriter.h"
#include "engine/senior/MessageText.h"
#include "engine/util/EngineLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace Lumora;
using testsupport::Recorder;

namespace {

TEST(MessageLines, SplitAtLineFeedsKeepingEmptyAndLongLines)
{
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(SplitMessageLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitMessageLines("\nx\n"), (Lines{"", "x"}));
    EXPECT_EQ(SplitMessageLines(""), Lines{});
    const std::string server(5000, 'w'); // a server's text is never cut to a buffer
    ASSERT_EQ(SplitMessageLines(server + "\nend").size(), 2u);
    EXPECT_EQ(SplitMessageLines(server + "\nend")[0].size(), 5000u);
}

TEST(MessageLines, BoxWidensInStepsOf50UntilItIsNotTallerThanWide)
{
    auto fixed = [](std::string_view, int) { return 20; };
    auto lines = [](size_t n) { return std::vector<std::string_view>(n, "x"); };
    EXPECT_EQ(FitMessageBox(lines(1), fixed).width, 200);
    EXPECT_EQ(FitMessageBox(lines(1), fixed).height, 90);
    EXPECT_EQ(FitMessageBox(lines(10), fixed).width, 300); // 270 tall: 250 is still narrower
    EXPECT_EQ(FitMessageBox(lines(30), fixed).width, 500); // never wider than 500
    EXPECT_EQ(FitMessageBox(lines(30), fixed).height, 670);
    // Measured again at each width: a wrapping text gets shorter as the box widens.
    auto wrapping = [](std::string_view, int width) { return 60000 / width; };
    const MessageBoxSize s = FitMessageBox(lines(1), wrapping);
    EXPECT_EQ(s.width, 300); // 200 x 370, 250 x 310, 300 x 270
    EXPECT_EQ(s.height, 70 + 60000 / 300);
}

class SeniorServices : public testsupport::SeniorFixture {
protected:
    void TearDown() override
    {
        CClassSenior::SetMessageBoxFactory(nullptr);
        SeniorFixture::TearDown();
    }
    std::string RunLog() const { return testsupport::ReadFile(RunLogPath()); }
};

TEST_F(SeniorServices, PicturesByNameLogMissingNamesAndBadFrames)
{
    auto image = testsupport::AnimatedImage(3, 40);
    std::string error;
    const std::vector<uint8_t> pack = BuildPack({{"anim.pps", EncodePps(*image)}}, error);
    const std::string packPath = (folder_ / "anim.xyr").string();
    std::ofstream(packPath, std::ios::binary).write(reinterpret_cast<const char*>(pack.data()), std::streamsize(pack.size()));
    actor_->AddResourcePack(packPath.c_str());

    PictureInfo info;
    actor_->GetPicture(info, "absent", 0);
    EXPECT_EQ(info.image, nullptr);
    EXPECT_NE(RunLog().find("res \"absent\" does not exists!"), std::string::npos);

    actor_->GetPicture(info, "anim", 5);
    ASSERT_NE(info.image, nullptr);
    EXPECT_EQ(info.frame, 2);
    EXPECT_NE(RunLog().find("res \"anim\" invalid frame(5)!"), std::string::npos);
    actor_->GetPicture(info, "anim", 1);
    EXPECT_EQ(RunLog().find("invalid frame(1)"), std::string::npos);

    // Saved in the engine's own format, it reads back as the same picture.
    const std::string path = (folder_ / "saved.pps").string();
    ASSERT_TRUE(actor_->SavePicture("anim", path.c_str()));
    const std::string bytes = testsupport::ReadFile(path);
    ImageRecord back;
    ASSERT_TRUE(DecodePps(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), back));
    EXPECT_EQ(back.frames, 3u);
    EXPECT_FALSE(actor_->SavePicture("absent", path.c_str()));

    // Unloaded, the picture leaves the cache; its resource stays known and loads again.
    const size_t cached = paint_->CachedImageCount();
    const ResourceKey key = actor_->GetPicture(info, "anim", 0).resKey;
    ASSERT_NE(resources_->Find(key), nullptr);
    actor_->UnloadPicture("anim", true);
    EXPECT_EQ(paint_->CachedImageCount(), cached - 1);
    EXPECT_FALSE(resources_->Find(key)->loaded);
    actor_->LoadResource("anim.imge");
    EXPECT_TRUE(resources_->Find(key)->loaded);
    EXPECT_NE(actor_->GetPicture(info, "anim", 0).image, nullptr);
}

TEST_F(SeniorServices, SettingsAndClockNeedACore)
{
    testsupport::Actor loose;
    EXPECT_EQ(loose.GetSetting(8), -2);
    EXPECT_EQ(loose.GetSettingString(27), nullptr);
    EXPECT_EQ(loose.GetClock(), 0u);
    loose.SetSetting(8, 1); // nothing to write to: no harm
    EXPECT_EQ(actor_->GetSetting(SETTING_BOX_TEXT_COLOUR), 0xFFFFFF);
    EXPECT_EQ(actor_->GetSetting(12345), -1);
    actor_->SetSettingString(27, "Horz");
    EXPECT_STREQ(actor_->GetSettingString(27), "Horz");
    EXPECT_EQ(actor_->GetClock(), Now());
    EXPECT_EQ(actor_->GetViewWidth(), 800);
    EXPECT_EQ(actor_->GetViewHeight(), 600);
}

// A module of another kind in the paint module's place is no paint module, before or after the
// real one was asked for.
TEST_F(SeniorServices, ModulesAreFoundByTheirKind)
{
    struct NotPaint : BaseModule {
        int Init() override { return 1; }
        void Shutdown() override {}
        void Work() override {}
        uint32_t GetId() const override { return LUMORA_MODULE_PAINT; }
        const char* GetName() const override { return "NotPaint"; }
        int ProcessMessage(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    };
    GameCore other;
    other.Init(0);
    other.LoadModule(new NotPaint, 1, 1);
    ASSERT_NE(other.GetModule(LUMORA_MODULE_PAINT), nullptr);
    testsupport::Actor stranger;
    stranger.Attach(&other, 1);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(actor_->GetPaintModule(), paint_);
        EXPECT_EQ(stranger.GetPaintModule(), nullptr);
        EXPECT_EQ(stranger.GetResourceModule(), nullptr);
        EXPECT_EQ(actor_->GetResourceModule(), resources_);
    }
}

TEST_F(SeniorServices, ApplicationEventsGoToTheConfiguredTargetAtOnce)
{
    Recorder* app = Add();
    EXPECT_EQ(actor_->SendAppEvent(1, 2), 0); // target 0: nothing sent
    actor_->SetSetting(SETTING_APP_EVENT_TARGET, int32_t(app->GetId()));
    EXPECT_EQ(actor_->SendAppEvent(1, 2), 1);
    ASSERT_EQ(app->log.size(), 1u);
    EXPECT_EQ(app->log[0].substr(0, 14), "event 19840388");
    actor_->SetSetting(SETTING_APP_EVENT_CODE, 0);
    EXPECT_EQ(actor_->SendAppEvent(1, 2), 0);
    EXPECT_EQ(app->log.size(), 1u);
}

TEST_F(SeniorServices, CoreLockIsReentrant)
{
    actor_->LockCore();
    actor_->LockCore();
    EXPECT_TRUE(core_->IsLocked());
    actor_->UnlockCore();
    EXPECT_TRUE(core_->IsLocked());
    actor_->UnlockCore();
    EXPECT_FALSE(core_->IsLocked());
}

// A dialog box as the widget layer makes one: a widget whose plane is its body, with buttons
// of known widths on the plane.
struct FakeBox {
    MessageBoxParts parts;
    int made = 0;
    MessageBoxFactory Factory()
    {
        return [this](CClassSenior& owner, int width, int height, const EventRecord* ok, const EventRecord* cancel,
                      int seconds) {
            ++made;
            auto* box = new Recorder;
            owner.RegisterChild(box);
            parts.box = box;
            parts.plane = box->NewPlaneObject(width, height, kColourKey);
            box->AddChild(parts.plane, 0x1BC0EB);
            auto button = [&](int w) {
                PlaneObject* b = box->NewPlaneObject(w, 20, kColourKey);
                parts.plane->AddChild(b, 0x1BC0AB); // follows moves, not the plane's resizing
                return b;
            };
            parts.ok = ok ? button(60) : nullptr;
            parts.cancel = cancel ? button(80) : nullptr;
            parts.countdown = seconds > 0 ? button(30) : nullptr;
            return parts;
        };
    }
};

TEST_F(SeniorServices, MessageBoxSizesPlacesAndFadesIn)
{
    FakeBox fake;
    CClassSenior::SetMessageBoxFactory(fake.Factory());
    const EventRecord ok{actor_->GetId(), 80000010, 0, 0}, cancel{actor_->GetId(), 80000011, 0, 0};
    actor_->ShowMessage("short", &ok, &cancel, 5);
    ASSERT_EQ(fake.made, 1);
    PlaneObject& plane = *fake.parts.plane;
    const int lineHeight = plane.MeasureText("short", 200);
    EXPECT_EQ(plane.GetSurfaceWidth(), 200);
    EXPECT_EQ(plane.GetSurfaceHeight(), 70 + lineHeight);
    EXPECT_EQ(plane.GetWidth(), 200);
    EXPECT_EQ(fake.parts.box->GetX(), 400);
    EXPECT_EQ(fake.parts.box->GetZ(), 100000.0);
    const double row = 300 + (70 + lineHeight) / 2 - 20;
    EXPECT_EQ(fake.parts.ok->GetX(), 400 - 30 - 10);
    EXPECT_EQ(fake.parts.cancel->GetX(), 400 + 40 + 10);
    EXPECT_EQ(fake.parts.ok->GetY(), row);
    EXPECT_EQ(fake.parts.countdown->GetRight(), fake.parts.ok->GetLeft() - 10);
    EXPECT_EQ(fake.parts.box->GetAlpha(), 0.0);
    EXPECT_TRUE(fake.parts.box->IsActive());
    Run(400);
    EXPECT_DOUBLE_EQ(fake.parts.box->GetAlpha(), 1.0);

    // Many lines make a taller box, widened in steps of 50.
    std::string tall;
    for (int i = 0; i < 20; ++i)
        tall += "line\n\n";
    actor_->ShowMessage(tall.c_str(), &ok, nullptr, 0);
    const int w = fake.parts.plane->GetSurfaceWidth(), h = fake.parts.plane->GetSurfaceHeight();
    EXPECT_GT(w, 200);
    EXPECT_EQ(w % 50, 0);
    EXPECT_TRUE(w >= h || w == 500);
    EXPECT_EQ(fake.parts.ok->GetX(), 400); // alone: in the middle
}

TEST_F(SeniorServices, BlankLinesOfAMessageKeepTheirHeight)
{
    FakeBox fake;
    CClassSenior::SetMessageBoxFactory(fake.Factory());
    actor_->ShowMessage("first\nsecond", nullptr, nullptr, 0);
    const int two = fake.parts.plane->GetSurfaceHeight();
    actor_->ShowMessage("first\n\nsecond", nullptr, nullptr, 0);
    const int three = fake.parts.plane->GetSurfaceHeight();
    EXPECT_GT(three, two);
    EXPECT_EQ(three - two, (two - 70) / 2);
}

TEST_F(SeniorServices, WithoutADialogFactoryNoBoxIsShown)
{
    const size_t before = objects_->GetObjectCount();
    actor_->ShowMessage("text", nullptr, nullptr, 0);
    actor_->ShowSystemDetails();
    EXPECT_EQ(objects_->GetObjectCount(), before);
}

TEST_F(SeniorServices, SystemDetailsBoxIsDrawnAndCentred)
{
    FakeBox fake;
    CClassSenior::SetMessageBoxFactory(fake.Factory());
    actor_->ShowSystemDetails();
    ASSERT_EQ(fake.made, 1);
    EXPECT_EQ(fake.parts.ok, nullptr);
    EXPECT_EQ(fake.parts.countdown, nullptr);
    EXPECT_EQ(fake.parts.box->GetY(), 300);
    EXPECT_EQ(fake.parts.plane->GetPixelColour(0, 0), 0u); // the black frame
}

TEST_F(SeniorServices, SystemBoardStaysOrHidesAfterItsSeconds)
{
    actor_->ShowSystemBoard("保存成功", 0);
    PObject* board = actor_->FindSystemBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetName(), "object-systemboard");
    EXPECT_EQ(board->GetX(), 400);
    Run(5000);
    EXPECT_TRUE(board->IsActive());
    EXPECT_DOUBLE_EQ(board->GetAlpha(), 1.0);
    actor_->HideSystemBoard();
    EXPECT_FALSE(board->IsActive());

    actor_->ShowSystemBoard("三秒", 3);
    EXPECT_EQ(actor_->FindSystemBoard(), board); // made once, reused
    Tick();
    const uint32_t shown = Now();
    Run(2900);
    EXPECT_TRUE(board->IsActive());
    while (board->IsActive() && Now() - shown < 4000)
        Tick();
    EXPECT_GE(Now() - shown, 3000u);
    EXPECT_LT(Now() - shown, 3000u + 2 * kTickMs);

    // Shown again without a limit before the old one ran out: the old limit no longer hides it.
    actor_->ShowSystemBoard("三秒", 3);
    Run(1000);
    actor_->ShowSystemBoard("一直", 0);
    Run(4000);
    EXPECT_TRUE(board->IsActive());
}

TEST_F(SeniorServices, SystemBoardWidthFollowsTheTextAndTheView)
{
    actor_->ShowSystemBoard("abcd", 0);
    auto* board = dynamic_cast<PlaneObject*>(actor_->FindSystemBoard());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetSurfaceWidth(), 15 * 4 / 2 + 20);
    actor_->ShowSystemBoard(std::string(500, 'a').c_str(), 0);
    EXPECT_EQ(board->GetSurfaceWidth(), 800 / 2 + 20);
}

TEST_F(SeniorServices, SystemNoteKeepsOneRefreshRunning)
{
    actor_->ShowSystemNote(true);
    actor_->ShowSystemNote(true);
    Run(100);
    EXPECT_EQ(objects_->CountPendingActions(), 1u);
    PObject* note = actor_->FindByName(kSystemNoteName);
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->IsActive());
    EXPECT_EQ(note->GetLayer(), kTopMostLayer);
    actor_->ShowSystemNote(false);
    Run(100);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
    EXPECT_FALSE(note->IsActive());
}

TEST_F(SeniorServices, ShadowIsTheBlurredAlphaOneDownAndRight)
{
    // A 3 x 2 picture, alpha 255 except one clear pixel.
    auto image = testsupport::AnimatedImage(1, 0, 3, 2);
    image->pixels[3] = 0; // pixel (0, 0)
    auto* pic = Add<BITObject>();
    pic->LoadPicture(testsupport::InfoOf(*image), 1);
    pic->MoveTo(100, 100);
    pic->Activate();
    EXPECT_EQ(actor_->CreateShadow(Add()), nullptr); // no picture
    PlaneObject* shadow = actor_->CreateShadow(pic);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetSurfaceWidth(), 5);
    EXPECT_EQ(shadow->GetSurfaceHeight(), 4);
    EXPECT_EQ(shadow->GetLeft(), pic->GetLeft() + 1);
    EXPECT_EQ(shadow->GetTop(), pic->GetTop() + 1);
    EXPECT_LT(shadow->GetZ(), pic->GetZ());
    EXPECT_TRUE(shadow->IsActive());
    EXPECT_EQ(pic->GetChildLinkFlags(shadow->GetId()), 0x1BC0EBu);

    // Brute force: the mask, then each pixel the mean of its clipped 3 x 3 box.
    int mask[4][5] = {};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            mask[y + 1][x + 1] = (x == 0 && y == 0) ? 0 : 255;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            int sum = 0, n = 0;
            for (int v = y - 1; v <= y + 1; ++v)
                for (int u = x - 1; u <= x + 1; ++u)
                    if (u >= 0 && v >= 0 && u < 5 && v < 4) {
                        sum += mask[v][u];
                        ++n;
                    }
            EXPECT_EQ(shadow->GetPixelAlpha(x, y), uint32_t(sum / n)) << x << "," << y;
            EXPECT_EQ(shadow->GetPixelColour(x, y) & 0xFFFFFF, 0u);
        }
}

} // namespace
