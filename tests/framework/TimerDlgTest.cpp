// The timed dialogs on a headless engine with a manual clock: the count-down and who answers at
// its end, the close button's answer, one record per dialog and nothing left behind, the typed
// text of the ask dialog, the link a box opens, and the layout numbers.
#include "tests/framework/DialogSkins.h"
#include "tests/framework/FakeFrameApp.h"
#include "tests/platform/OpenerStandIn.h"
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/ObjectModule.h"
#include "framework/frame/CXyAskDlgs.h"
#include "framework/frame/FrameEvents.h"
#include "widgets/CXyInputBox.h"
#include "widgets/CXyStandButton.h"

using namespace Lumora;
using namespace framework;
using namespace frametest;
using namespace testsupport;
using widgettest::WidgetFixture;

namespace {

constexpr uint32_t kOk = 80000701;
constexpr uint32_t kCancel = 80000702;

class TimerDlgTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        AddDialogSkins(E());
        E().LoadSkins();
        probe_ = E().MakeProbe();
        baseline_ = E().Objects().GetObjectCount();
    }
    EventRecord Ok() const { return {probe_->GetId(), kOk, 7, 0}; }
    EventRecord Cancel() const { return {probe_->GetId(), kCancel, 8, 0}; }
    template <typename D = CXyTimerDlg>
    D* Place(D* dlg)
    {
        dlg->MoveTo(400, 300);
        dlg->SetZ(90000);
        E().Show(*dlg);
        id_ = dlg->GetId();
        return dlg;
    }
    CXyTimerDlg* ShowBox(int seconds, uint32_t flags, bool records = true, const Lumora::Markup& text = "短")
    {
        auto* dlg = E().Make<CXyTimerDlg>();
        const EventRecord ok = Ok(), cancel = Cancel();
        dlg->Show(text, records ? &ok : nullptr, records ? &cancel : nullptr, seconds, flags, nullptr, nullptr,
                  nullptr);
        return Place(dlg);
    }
    bool Alive() const { return E().Objects().FindById(id_) != nullptr; }
    HeadlessEngine& E() const { return *engine_; }
    // Everything made for a dialog is gone once its deferred release has run.
    bool BackToBaseline() const { return E().Objects().GetObjectCount() == baseline_; }
    static void ClickOn(HeadlessEngine& e, PObject* o) { e.Click(int(o->GetX()), int(o->GetY())); }

    ProbeObject* probe_ = nullptr;
    uint32_t id_ = 0;
    size_t baseline_ = 0;
};

TEST_F(TimerDlgTest, CountsDownToZeroAndAnswersASecondLaterByTheRefuseFlag)
{
    FakeFrameApp app;
    struct Case {
        uint32_t flags;
        uint32_t answer;
    } cases[] = {{DLG_TWO_BUTTONS, kOk}, {DLG_TWO_BUTTONS | DLG_REFUSE_AT_END, kCancel}, {0, kOk}};
    for (const Case& c : cases) {
        probe_->records.clear();
        const uint64_t start = E().Clock().NowMs();
        CXyTimerDlg* dlg = ShowBox(3, c.flags);
        ASSERT_NE(dlg->GetDigitPlane(), nullptr);
        std::vector<int> shown{dlg->GetRemaining()};
        uint64_t elapsed = 0;
        while (probe_->records.empty() && elapsed < 10000) {
            E().Tick();
            elapsed = E().Clock().NowMs() - start;
            if (probe_->records.empty() && dlg->GetRemaining() != shown.back())
                shown.push_back(dlg->GetRemaining());
        }
        EXPECT_EQ(shown, (std::vector<int>{3, 2, 1, 0})) << c.flags;
        EXPECT_GE(elapsed, 4000u);
        EXPECT_LE(elapsed, 4000u + HeadlessEngine::kTickMs);
        E().Run(6000);  // the remaining repeats were cancelled: one answer only
        EXPECT_EQ(probe_->Codes(), std::vector<uint32_t>{c.answer}) << c.flags;
        EXPECT_FALSE(Alive());
        EXPECT_TRUE(BackToBaseline());
    }
}

TEST_F(TimerDlgTest, CloseButtonAcceptsAOneButtonBoxAndRefusesAQuestion)
{
    for (uint32_t flags : {0u, uint32_t(DLG_TWO_BUTTONS)}) {
        probe_->records.clear();
        CXyTimerDlg* dlg = ShowBox(0, flags);
        EXPECT_EQ(dlg->GetDigitPlane(), nullptr);
        EXPECT_EQ(E().Objects().CountPendingActions(), 0u) << "no timer without seconds";
        const int x = int(dlg->GetCloseButton()->GetX()), y = int(dlg->GetCloseButton()->GetY());
        E().Press(x, y);
        E().Release(x, y);
        E().Press(x, y);  // hidden already: no second answer
        E().Release(x, y);
        E().Run(200);
        EXPECT_EQ(probe_->Codes(), std::vector<uint32_t>{flags ? kCancel : kOk});
        EXPECT_EQ(probe_->records.at(0).param1, flags ? 8u : 7u);
        EXPECT_TRUE(BackToBaseline());
    }
}

TEST_F(TimerDlgTest, WithoutRecordsEveryEndSendsNothingAndLeavesNothing)
{
    CXyTimerDlg* a = ShowBox(1, DLG_TWO_BUTTONS, false);
    E().Run(3000);  // time-out
    CXyTimerDlg* b = ShowBox(0, DLG_TWO_BUTTONS, false);
    ClickOn(E(), b->GetOkButton());
    CXyTimerDlg* c = ShowBox(0, DLG_TWO_BUTTONS, false);
    ClickOn(E(), c->GetCancelButton());
    E().Run(200);
    (void)a;
    EXPECT_TRUE(probe_->records.empty());
    EXPECT_TRUE(BackToBaseline());
    // Released by its owner while open: its tick goes with it.
    ShowBox(5, 0);
    E().Objects().UnregisterObject(id_);
    E().Run(7000);
    EXPECT_TRUE(probe_->records.empty());
    EXPECT_TRUE(BackToBaseline());
}

TEST_F(TimerDlgTest, TypedTextTravelsAsATokenTheReceiverTakesAndNothingIsKeptOtherwise)
{
    std::optional<std::string> taken;
    probe_->inspect = [&](const EventRecord& r) {
        if (r.code == EV_APP_TEXT_PAYLOAD)
            taken = E().Objects().TakeTextPayload(r.param1);
    };
    auto ask = [&](const EventRecord* ok) {
        auto* dlg = E().Make<CXyAskDlg>();
        const EventRecord cancel = Cancel();
        dlg->SetMaxLength(4);  // no input box yet: no effect
        dlg->Ask("输入理由", ok, &cancel, 3);
        dlg->SetMaxLength(60);
        dlg->GetInputBox()->AppendText("牌太差了");
        return Place(dlg);
    };
    const EventRecord ok{probe_->GetId(), EV_APP_TEXT_PAYLOAD, 0, 0};
    CXyAskDlg* dlg = ask(&ok);
    EXPECT_EQ(dlg->GetInputBox()->GetMaxLength(), 60);
    EXPECT_EQ(dlg->GetRemaining(), 0);
    ClickOn(E(), dlg->GetOkButton());
    EXPECT_EQ(taken, std::optional<std::string>("牌太差了"));
    EXPECT_EQ(E().Objects().PendingPayloads(), 0u);

    // An OK record that names nobody makes no copy; one with an ordinary code leaves none.
    dlg = ask(nullptr);
    ClickOn(E(), dlg->GetOkButton());
    const EventRecord plain = Ok();
    dlg = ask(&plain);
    ClickOn(E(), dlg->GetOkButton());
    EXPECT_EQ(E().Objects().PendingPayloads(), 0u);
    EXPECT_EQ(probe_->Count(kOk), 1u);
    E().Run(200);
    EXPECT_TRUE(BackToBaseline());
}

TEST_F(TimerDlgTest, OnlyWebLinksAreOpenedAndAsOneArgument)
{
    FakeFrameApp app;
    xltest::OpenerStandIn opener;
    for (const char* link : {"file:///etc/passwd", "calc.exe", "http://a b"}) {
        CXyTimerDlg* dlg = ShowBox(0, 0);
        dlg->SetLink(link, 0);
        ClickOn(E(), dlg->GetOkButton());
    }
    CXyTimerDlg* dlg = ShowBox(0, 0);
    dlg->SetLink("https://pay.example/charge?x=1;$(reboot)", 1);
    ClickOn(E(), dlg->GetOkButton());
    EXPECT_EQ(opener.WaitForRecord(), "1\nhttps://pay.example/charge?x=1;$(reboot)&uid=7&sign=abc\n");
    EXPECT_EQ(probe_->Count(kOk), 4u);
}

TEST_F(TimerDlgTest, TextAreaAndButtonsFollowTheFontSize)
{
    FakeFrameApp app;
    const int fs = 14;  // the engine's default font size
    CXyTimerDlg* shortBox = ShowBox(0, DLG_TWO_BUTTONS);
    EXPECT_EQ(shortBox->GetTextWidth(), 17 * fs);
    EXPECT_EQ(shortBox->GetTextHeight(), 4 * fs);
    CXyStandButton* ok = shortBox->GetOkButton();
    CXyStandButton* cancel = shortBox->GetCancelButton();
    EXPECT_DOUBLE_EQ(cancel->GetLeft() - ok->GetRight(), 20.0);
    EXPECT_DOUBLE_EQ((ok->GetX() + cancel->GetX()) / 2, shortBox->GetX());
    EXPECT_DOUBLE_EQ(ok->GetY(), cancel->GetY());
    EXPECT_NEAR(ok->GetZ(), shortBox->GetZ() + 0.02, 1e-6);
    EXPECT_EQ(shortBox->GetTitleText(), "血流成河");
    // Client: text + gap (a line) + no icon + a line wide; buttons + 2 margins + text + a font high.
    Rect client;
    shortBox->GetClientRect(client);
    EXPECT_EQ(client.right - client.left, 17 * fs + 21 + 21);
    EXPECT_EQ(client.bottom - client.top, kButtonHeight + 2 * fs + 4 * fs + fs);

    const std::string longText(400, 'x');
    CXyTimerDlg* longBox = ShowBox(0, 0, true, Lumora::EscapeMarkup(longText));
    EXPECT_GT(longBox->GetTextHeight(), 4 * fs);
    EXPECT_DOUBLE_EQ(longBox->GetOkButton()->GetX(), longBox->GetX());

    auto* iconBox = E().Make<CXyTimerDlg>();
    iconBox->Show("短", nullptr, nullptr, 0, DLG_ICON, "xyf疑问", nullptr, nullptr);
    Place(iconBox);
    iconBox->GetClientRect(client);
    EXPECT_EQ(client.right - client.left, 17 * fs + 10 + kIconSize + 21);  // the right gap halves
    ASSERT_NE(iconBox->GetIcon(), nullptr);
    EXPECT_LT(iconBox->GetIcon()->GetRight(), iconBox->PeekClientPlane()->GetLeft());
}

TEST_F(TimerDlgTest, ExitAskRefusesWhenItsHiddenCountdownEndsAndKanPaiAsksWithoutOne)
{
    auto* exit = E().Make<CXyAskExitDlg>();
    const EventRecord agree{probe_->GetId(), kOk, 42, 1}, refuse{probe_->GetId(), kCancel, 42, 0};
    exit->Ask("阿强", "家里有事", "char3", &agree, &refuse, 2);
    Place(exit);
    EXPECT_EQ(exit->GetDigitPlane(), nullptr);
    EXPECT_EQ(exit->GetCloseButton(), nullptr);
    EXPECT_EQ(exit->GetTextWidth(), 12 * 14);
    EXPECT_EQ(exit->GetStyleFlags(), kAskExitFlags);
    E().Run(3500);
    ASSERT_EQ(probe_->Codes(), std::vector<uint32_t>{kCancel});
    EXPECT_EQ(probe_->records[0].param2, 0u);

    auto* look = E().Make<CXyAskKanPaiDlg>();
    look->Ask("旁观的一位很长名字的用户名字", "char3", &agree, &refuse);
    Place(look);
    EXPECT_EQ(look->GetTextWidth(), (28 + 10) / 2 * 14);
    EXPECT_EQ(look->GetTextHeight(), 2 * 14);
    E().Run(60000);
    EXPECT_TRUE(Alive());
    ClickOn(E(), look->GetOkButton());
    EXPECT_EQ(probe_->Count(kOk), 1u);
    E().Run(200);
    EXPECT_TRUE(BackToBaseline());
}

TEST_F(TimerDlgTest, NamesInTheAsksAndInPlainBoxesAreDrawnAsWritten)
{
    testsupport::RecordingTexts recording;
    for (std::string_view name : testsupport::kHostileNames) {
        const std::string text(name);
        auto* exit = E().Make<CXyAskExitDlg>();
        exit->Ask(text.c_str(), text.c_str(), "char3", nullptr, nullptr, 0);
        CXyTimerDlg* box = ShowBox(0, 0, false, Lumora::EscapeMarkup(text));
        const auto& a = dynamic_cast<PlaneObject&>(*exit->PeekClientPlane()).TextBoxes(); // name, rest, reason
        const auto& b = dynamic_cast<PlaneObject&>(*box->PeekClientPlane()).TextBoxes();
        std::string faults = testsupport::DrawnNameFault(a.at(0), name, 14, 255);
        faults += testsupport::DrawnNameFault(a.at(2), name, 14, 0) + testsupport::DrawnNameFault(b.at(0), name, 14, 0);
        EXPECT_EQ(faults, "");
        // The header's words stand where the name as drawn ends.
        EXPECT_EQ(a.at(1).box.left, a.at(0).box.right) << name;
        // A notice's format with the name in it: the name as written, in the box's size and colour.
        CXyTimerDlg* notice = ShowBox(0, 0, false, FormatMarkup("%s的银子不够了，这一桌游戏结束。", text));
        const PlaneObject::TextBox& n = dynamic_cast<PlaneObject&>(*notice->PeekClientPlane()).TextBoxes().at(0);
        const std::string shown = PlainCharacters(name) + "的银子不够了，这一桌游戏结束。";
        EXPECT_TRUE(shown.starts_with(n.text) && !n.text.empty() && n.size == 14 && n.colour == 0) << n.text;
    }
}

} // namespace
