// The match room's flow on top of the table: waiting with its count-down, the sign-up and
// give-up buttons with their debounce, the notices (the closing ones end the client), the begin
// and end animations, the system board, the welcome line and the result dialog; and the
// notification-driven operations that feed them through the frame's event queue.
#include "framework/frame/CXyGameFrame.h"

#include "engine/host/LumoraWnd.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "framework/frame/CXyAskDlgs.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "framework/frame/MatchRecords.h"
#include "framework/scene/CMainGame.h"
#include "platform/DisplayWindow.h"
#include "widgets/CLumoraPipeline.h"
#include "widgets/CPglChatBox.h"
#include "widgets/CXyBlackboard.h"
#include "widgets/CXyStandButton.h"

#include <cstdio>
#include <cstring>

using namespace Lumora;
using namespace framework;

namespace {

constexpr uint32_t kDebounceMs = 5000;
constexpr int kMatchStarted = 500;
constexpr int kMatchLater = 600;
constexpr double kAnimationZ = 52000.0;
constexpr double kShadeZ = 50000.0;
constexpr double kResultZ = 60000.0;
constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kChildLinks = 0x180A3;
constexpr const char* kWaitPicture = "animation_WaitArrangeTable";

// Scene and side panel events.
constexpr uint32_t kEvSceneTable2 = 80000002;
constexpr uint32_t kEvTableRefresh = 80000019;
constexpr uint32_t kEvTable20 = 80000020;
constexpr uint32_t kEvMatchBeginPanel = 80000025;
constexpr uint32_t kEvMatchValue = 80000028;
constexpr uint32_t kEvWaiting = 80000030;
constexpr uint32_t kEvResultShown = 80000052;
constexpr uint32_t kEvResultArrived = 80000053;
constexpr uint32_t kEvPanelWaiting = 80000083;

void Send(CGameBase* receiver, uint32_t code, uintptr_t p1 = 0)
{
    if (receiver)
        receiver->OnEvent({0, code, p1, 0});
}

void Hide(PObject* o)
{
    if (o) {
        o->Deactivate();
        o->Redraw();
    }
}

} // namespace

void CXyGameFrame::ToSceneAndPanel(uint32_t code, uintptr_t p1)
{
    Send(GetMainGame(), code, p1);
    Send(GetSubSystem(), code, p1);
}

void CXyGameFrame::DebounceButton(CXyStandButton* button)
{
    if (!button)
        return;
    button->Enable(false);
    // Back through the frame, which enables the widget and its face together.
    const EventRecord enable{GetId(), EV_WIDGET_ENABLED, button->GetId(), 0};
    PostEventAfter(kDebounceMs, &enable);
}

void CXyGameFrame::SendRequest201231()
{
    if (IFrameApp* app = GetFrameApp())
        app->Request201231();
    DebounceButton(signUp_);
}

void CXyGameFrame::SendRequest201232()
{
    if (IFrameApp* app = GetFrameApp())
        app->Request201232();
    DebounceButton(giveUp_);
}

int CXyGameFrame::OnMatchEvent(const EventRecord& record)
{
    const auto data = [&] {
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(record.param1), record.param1 ? record.param2 : 0);
    };
    switch (record.code) {
    case EV_FRAME_SIGN_UP:
        SendRequest201231();
        return 1;
    case EV_FRAME_GIVE_UP:
        SendRequest201232();
        return 1;
    case EV_FRAME_COUNTDOWN_TICK:
        TickMatchCountdown();
        return 1;
    case EV_FRAME_MATCH_END:
        // The queue keeps the copy until this returns.
        if (pipeline_)
            pipeline_->Next();
        PlayMatchEnd(data());
        return 1;
    case EV_FRAME_MATCH_RESULT:
        if (pipeline_)
            pipeline_->Next();
        ShowMatchResult(data());
        return 1;
    case EV_WIDGET_ENABLED:
        if (auto* button = dynamic_cast<CLumoraGui*>(FindById(uint32_t(record.param1)))) {
            button->Enable(true);
            return 1;
        }
        return CGameBase::OnEvent(record);
    default:
        return CGameBase::OnEvent(record);
    }
}

// --- Notification-driven operations ---

void CXyGameFrame::HideMatchWaiting()
{
    if (!signUp_)
        return;
    Hide(signUp_);
    Hide(giveUp_);
    if (waitAnimation_) {
        CancelActionsOf(waitAnimation_->GetId());
        Hide(waitAnimation_);
    }
    Hide(systemBoard_);
    Hide(feeBoard_);
    Hide(restBoard_);
    StopCountdown();
}

void CXyGameFrame::HideMatchPanels()
{
    if (!waitAnimation_)
        return;
    CancelActionsOf(waitAnimation_->GetId());
    Hide(waitAnimation_);
    Hide(restBoard_);
    Hide(signUp_);
    // The fee board follows the sign-up button's moves but not its hiding.
    Hide(feeBoard_);
    Hide(giveUp_);
}

void CXyGameFrame::StopCountdown()
{
    if (countdownAction_)
        CancelAction(countdownAction_);
    countdownAction_ = 0;
    Hide(countdownBoard_);
}

void CXyGameFrame::ShowKnockoutRound(Data)
{
    HideMatchPanels();
    if (matchBeginAnimation_) {
        CancelActionsOf(matchBeginAnimation_->GetId());
        matchBeginAnimation_->SetAlpha(1.0);
        Hide(matchBeginAnimation_);
    }
    const IFrameApp* app = GetFrameApp();
    if (knockoutBoard_ && app && app->GetKnockoutStage() > 0) {
        char text[64];
        std::snprintf(text, sizeof text, "定局淘汰第%d轮", app->GetKnockoutStage());
        knockoutBoard_->DrawText(text);
        knockoutBoard_->Activate();
        knockoutBoard_->Redraw();
        const EventRecord hide{knockoutBoard_->GetId(), EV_DEACTIVATE, 0, 0};
        PostEventAfter(2000, &hide);
    }
    Send(GetMainGame(), kEvSceneTable2);
    const EventRecord later{GetId(), EV_FRAME_REQUEST_201161, 0, 0};
    PostEventAfter(15000, &later);
}

void CXyGameFrame::ShowMatchBegin()
{
    if (!waitAnimation_)
        return;
    if (IFrameApp* app = GetFrameApp())
        if (CLumoraWnd* wnd = app->GetMainWnd(); wnd && wnd->GetWindow())
            wnd->GetWindow()->BringToFront();
    Send(GetSubSystem(), kEvMatchBeginPanel);
    HideMatchWaiting();
    CancelActionsOf(waitAnimation_->GetId());
    PictureInfo wait;
    waitAnimation_->LoadPicture(GetRes(wait, kWaitPicture, 0), 1);
    waitAnimation_->Activate();
    waitAnimation_->Redraw();
    PlayFrames(waitAnimation_, 0, -1, 0, 0, nullptr);
    Hide(waitAnimation_);
    Hide(restBoard_);
    PlaySound("Snd_GameStart", 0, nullptr);
    matchBeginGroup_ = BeginGroup();
    PlayFrameAnimation("animation_MatchBegin");
    NextGroup();
    const EventRecord enter{GetId(), EV_FRAME_REQUEST_201221, 0, 0};
    if (matchBeginAnimation_)
        FadeAlpha(matchBeginAnimation_, -0.02, 0.0, 30, &enter);
    NextGroup();
    SetActiveAction(waitAnimation_, true);
    EndGroup();
}

void CXyGameFrame::ShowPromotionInfo(Data data)
{
    const IFrameApp* app = GetFrameApp();
    if (!waitAnimation_ || !app || app->GetMatchState() >= kMatchLater)
        return;
    const PromotionRecord r = PromotionRecord::Read(data);
    if (r.pictureFlag == 0) {
        if (!r.text.empty()) {
            GetFrameApp()->ShowSystemNotice(Lumora::FormatMarkup(" <z=zu系统通知><c=255> %s", r.text));
        }
    } else {
        CancelActionsOf(waitAnimation_->GetId());
        PictureInfo picture;
        waitAnimation_->LoadPicture(GetRes(picture, r.text.c_str(), 0), 1);
        const Rect s = SceneRect();
        waitAnimation_->MoveTo((s.left + s.right) / 2.0, (s.top + s.bottom) / 2.0);
        waitAnimation_->Activate();
        waitAnimation_->Redraw();
        PlayFrames(waitAnimation_, 0, -1, 0, 0, nullptr);
    }
    if (r.tables > 0 && restBoard_) {
        char text[128];
        if (r.places >= 1)
            std::snprintf(text, sizeof text, " 还有%d桌游戏中，前%d名晋级", r.tables, r.places);
        else
            std::snprintf(text, sizeof text, "还有%d桌游戏中", r.tables);
        restBoard_->DrawText(text);
        restBoard_->Activate();
        restBoard_->Redraw();
    }
}

void CXyGameFrame::OnNotify211190(Data data) { QueueMatchEnd(data); }

void CXyGameFrame::OnNotify211191(Data data) { QueueMatchResult(data); }

void CXyGameFrame::QueueMatchEnd(Data data)
{
    if (matchBeginGroup_)
        CancelGroup(matchBeginGroup_);
    const std::vector<uint8_t> copy = FixedCopy(data, kMatchEndSize);
    if (pipeline_)
        pipeline_->Push(GetId(), EV_FRAME_MATCH_END, copy.data(), uint32_t(copy.size()));
    matchBeginGroup_ = 0;
}

void CXyGameFrame::QueueMatchResult(Data data)
{
    const std::vector<uint8_t> copy = FixedCopy(data, kMatchResultSize);
    if (pipeline_)
        pipeline_->Push(GetId(), EV_FRAME_MATCH_RESULT, copy.data(), uint32_t(copy.size()));
}

void CXyGameFrame::OnNotify211241(Data data)
{
    const std::optional<MatchPlayerDetail> detail = ReadMatchDetail(data);
    if (!detail)
        return;
    ShowMatchPlayerDetail(*detail);
    CreateUserListBar(uint32_t(detail->userId), 1);
}

void CXyGameFrame::OnNotify211700(Data)
{
    ToSceneAndPanel(kEvTable20);
    Send(GetSubSystem(), kEvTableRefresh);
}

void CXyGameFrame::RefreshTableView()
{
    ToSceneAndPanel(80000018);
    Send(GetSubSystem(), kEvTableRefresh);
}

void CXyGameFrame::OnPlayerSeated(const GameUserRecord& player)
{
    ToSceneAndPanel(80000014, reinterpret_cast<uintptr_t>(&player));
    Send(GetSubSystem(), kEvTableRefresh);
}

void CXyGameFrame::OnPlayerLeaving(const GameUserRecord& player)
{
    ToSceneAndPanel(80000016, reinterpret_cast<uintptr_t>(&player));
    Send(GetSubSystem(), kEvTableRefresh);
}

void CXyGameFrame::OnUserChanged(const GameUserRecord& user)
{
    // The receivers read a copy, cleared after them.
    GameUserRecord copy = user;
    ToSceneAndPanel(80000017, reinterpret_cast<uintptr_t>(&copy));
    copy = GameUserRecord();
    Send(GetSubSystem(), kEvTableRefresh);
}

void CXyGameFrame::OnTableEntered()
{
    if (auto* scene = dynamic_cast<CMainGame*>(GetMainGame()))
        scene->LoadAutoLeaveSeconds();
    ToSceneAndPanel(80000011);
}

void CXyGameFrame::OnTableRefreshed() { ToSceneAndPanel(80000012); }

void CXyGameFrame::PostTableEvent13() { ToSceneAndPanel(80000013); }

void CXyGameFrame::PostTableEvent15(uintptr_t p)
{
    ToSceneAndPanel(80000015, p);
    Send(GetSubSystem(), kEvTableRefresh);
}

void CXyGameFrame::PostTableEvent21(uintptr_t p) { ToSceneAndPanel(80000021, p); }

void CXyGameFrame::PostSideEvent104(uintptr_t p) { Send(GetSubSystem(), 80000104, p); }

void CXyGameFrame::PostTableEvent62(uintptr_t p) { ToSceneAndPanel(80000062, p); }

void CXyGameFrame::PostTableEvent3() { Send(GetMainGame(), EV_FRAME_TABLE_EVENT_3); }

void CXyGameFrame::PlaceAskDialog(CLumoraGui* dialog) { SlideInDialog(dialog); }

void CXyGameFrame::ShowAskExit(Data data)
{
    IFrameApp* app = GetFrameApp();
    if (!app || data.size() < 4)
        return;
    uint32_t userId = 0;
    std::memcpy(&userId, data.data(), 4);
    const GameUserRecord* user = app->GetUserRecordByID(userId);
    if (!user)
        return;
    const std::string reason = data.size() > 20 ? BoundedText(data.subspan(20), data.size() - 20) : std::string();
    const std::string picture = GetCharacterImagePath(user->Character(), 1);
    auto* dlg = NewChild<CXyAskExitDlg>();
    if (!dlg)
        return;
    const EventRecord agree{GetId(), EV_FRAME_REPLY_ASK_EXIT, userId, 1};
    const EventRecord refuse{GetId(), EV_FRAME_REPLY_ASK_EXIT, userId, 0};
    dlg->Ask(std::string(user->Name()).c_str(), reason.c_str(), picture.c_str(), &agree, &refuse, 30);
    dlg->SetDraggable(true);
    dlg->SetZ(90000.0);
    dlg->Redraw();
    PlaySound(kSoundHi, 0, nullptr);
    PlaceAskDialog(dlg);
}

void CXyGameFrame::OnMatchSignUpOK()
{
    HideMatchWaiting();
    ShowSystemBoard("恭喜您，报名成功！", 0xFFFFFF, 16);
    if (IFrameApp* app = GetFrameApp())
        app->LoginMatchRoom();
}

void CXyGameFrame::OnMatchQuitOK()
{
    HideMatchWaiting();
    ShowSystemBoard("您已退赛！", 0xFFFFFF, 16);
    if (IFrameApp* app = GetFrameApp())
        app->LoginMatchRoom();
}

// --- Waiting, notices and count-down ---

void CXyGameFrame::ShowMatchWaiting()
{
    StartMatchCountdown();
    const IFrameApp* app = GetFrameApp();
    const int value = app ? app->GetMatchPhaseValue() : 0;
    for (CGameBase* receiver : {GetMainGame(), GetSubSystem()}) {
        Send(receiver, kEvWaiting);
        Send(receiver, kEvMatchValue, uintptr_t(value));
    }
    // Not in the last minute, which the first tick has just entered.
    const int left = app ? app->GetMatchSeconds() : 0;
    if (giveUp_ && !(app && app->GetMatchState() >= kMatchStarted) && !(left > 0 && left <= 60)) {
        giveUp_->Enable(true);
        giveUp_->Activate();
        const Rect s = SceneRect();
        giveUp_->MoveTo(s.left + giveUp_->GetWidth() / 2, s.bottom - giveUp_->GetHeight() / 2);
        giveUp_->Redraw();
    }
    Send(GetSubSystem(), kEvPanelWaiting);
    ShowMatchWelcome();
}

bool CXyGameFrame::ShowNotice(const char* picture)
{
    if (!waitAnimation_)
        return false;
    CancelActionsOf(waitAnimation_->GetId());
    PictureInfo p;
    waitAnimation_->LoadPicture(GetRes(p, picture, 0), 1);
    waitAnimation_->Activate();
    waitAnimation_->Redraw();
    PlayFrames(waitAnimation_, 0, -1, 0, 0, nullptr);
    return true;
}

void CXyGameFrame::ShowClosingNotice(const char* picture)
{
    if (!ShowNotice(picture))
        return;
    // The confirmed exit: a plain close would meet the running match's sure-quit board and
    // leave the player there.
    const EventRecord close{GetId(), EV_FRAME_EXIT_CONFIRMED, 0, 0};
    PostEventAfter(uint32_t(noticeSeconds_) * 1000, &close);
}

void CXyGameFrame::ShowSignUpNotice(const char* picture)
{
    if (!ShowNotice(picture) || !signUp_)
        return;
    signUp_->Enable(true);
    signUp_->Activate();
    signUp_->MoveTo(waitAnimation_->GetX(), waitAnimation_->GetBottom() + signUp_->GetHeight());
    signUp_->Redraw();
    const IFrameApp* app = GetFrameApp();
    if (!feeBoard_ || !app || app->GetSignUpFee() == 0)
        return;
    feeBoard_->DrawText(FeeText(app->GetSignUpFeeKind(), app->GetSignUpFee()).c_str());
    feeBoard_->MoveTo(signUp_->GetRight() + 10 + feeBoard_->GetWidth() / 2, signUp_->GetY());
    feeBoard_->Activate();
    feeBoard_->Redraw();
}

void CXyGameFrame::ShowNoSignUp() { ShowSignUpNotice("animation_NoSignUp"); }
void CXyGameFrame::ShowWashout() { ShowClosingNotice("bit_Washout"); }
void CXyGameFrame::ShowMatchEnd() { ShowClosingNotice("bit_MatchEnd"); }
void CXyGameFrame::ShowMatchLate() { ShowClosingNotice("bit_MatchLate"); }
void CXyGameFrame::ShowWaitSignUpCheck() { ShowClosingNotice("bit_WaitSignUpCheck"); }
void CXyGameFrame::ShowSystemRejected() { ShowClosingNotice("bit_SystemRejected"); }
void CXyGameFrame::ShowMatchStarted() { ShowClosingNotice("bit_MatchStarted"); }

void CXyGameFrame::ShowSystemCancel()
{
    if (!waitAnimation_)
        return;
    StopCountdown();
    ShowClosingNotice("bit_SystemCancel");
}

void CXyGameFrame::ShowSelfCancel()
{
    StopCountdown();
    ShowSignUpNotice("bit_SelfCancel");
}

void CXyGameFrame::StartMatchCountdown()
{
    IFrameApp* app = GetFrameApp();
    if (!countdownBoard_ || !app || app->GetMatchState() >= kMatchStarted)
        return;
    const int seconds = app->GetMatchSeconds();
    if (seconds > 0) {
        TickMatchCountdown();
        const EventRecord tick{GetId(), EV_FRAME_COUNTDOWN_TICK, 0, 0};
        countdownAction_ = PostEventEvery(1000, seconds, &tick);
    } else {
        countdownBoard_->DrawText("比赛倒计时:0时0分0秒");
        countdownBoard_->Activate();
        countdownBoard_->Redraw();
    }
}

void CXyGameFrame::TickMatchCountdown()
{
    IFrameApp* app = GetFrameApp();
    if (!app || app->GetMatchState() >= kMatchStarted || app->GetMatchSeconds() <= 0) {
        StopCountdown();
        return;
    }
    if (!countdownBoard_)
        return;
    const int s = app->GetMatchSeconds() - 1;
    app->SetMatchSeconds(s);
    countdownBoard_->DrawText(CountdownText(s).c_str());
    countdownBoard_->Activate();
    countdownBoard_->Redraw();
    if (s <= 60)
        Hide(giveUp_);
}

// --- Animations, system board, welcome and result ---

void CXyGameFrame::PlayFrameAnimation(const char* name)
{
    PictureInfo picture;
    GetRes(picture, name, 0);
    if (!matchBeginAnimation_) {
        matchBeginAnimation_ = NewBitmapObject(picture);
        if (!matchBeginAnimation_)
            return;
        matchBeginAnimation_->SetTopMost();
        matchBeginAnimation_->SetZ(kAnimationZ);
    } else {
        matchBeginAnimation_->LoadPicture(picture, 1);
        matchBeginAnimation_->SetAlpha(1.0);
    }
    const Rect s = SceneRect();
    matchBeginAnimation_->MoveTo((s.left + s.right) / 2.0, s.top + (s.bottom - s.top) / 3.0);
    matchBeginAnimation_->Activate();
    matchBeginAnimation_->Redraw();
    PlayFrames(matchBeginAnimation_, 0, 1, 0, 0, nullptr);
}

void CXyGameFrame::PlayMatchEnd(Data)
{
    HideMatchPanels();
    if (matchBeginAnimation_) {
        CancelActionsOf(matchBeginAnimation_->GetId());
        matchBeginAnimation_->SetAlpha(1.0);
        Hide(matchBeginAnimation_);
    }
    PlaySound("Snd_GameWin", 0, nullptr);
    PlayFrameAnimation("animation_MatchEnd");
}

void CXyGameFrame::ShowSystemBoard(const char* text, uint32_t colour, int fontSize)
{
    PictureInfo picture;
    GetRes(picture, "bit_systemboard", 0);
    if (picture.width <= 0 || picture.height <= 0)
        return;
    auto* board = dynamic_cast<PlaneObject*>(systemBoard_);
    if (!board) {
        board = NewPlane(picture.width, picture.height, kKey);
        if (!board)
            return;
        board->SetTopMost();
        board->AddFlags(OBJ_BOARD);
        board->SetDraggable(true);
        systemBoard_ = board;
        if (auto* ok = NewFaceButton(*this, "btn_gameset_ok", {board->GetId(), EV_DEACTIVATE, 0, 0}, 0,
                                     ButtonSounds::None)) {
            ok->MoveTo(board->GetLeft() + 135, board->GetTop() + 163);
            PlaceAtZ(*ok, board->GetZ() + 0.1);
            board->AddChild(ok, kBoardButtonLinks);
        }
    }
    board->SetFont(fontSize, 400, kDialogFace);
    board->SetPen(colour, 1.0);
    board->SetSpacing(0, fontSize / 4);
    board->Clear();
    board->DrawPicture(picture, 0, 0, picture.width, picture.height);
    board->DrawTextWrapped(text ? text : "", 50);
    const Rect s = SceneRect();
    board->MoveTo((s.left + s.right) / 2.0, s.top + (s.bottom - s.top) / 3.0);
    board->Activate();
    board->Redraw();
    PlaySound("snd_dang", 0, nullptr);
}

void CXyGameFrame::ShowMatchWelcome()
{
    IFrameApp* app = GetFrameApp();
    if (!app)
        return;
    const std::optional<MatchPlayerDetail> own = app->GetMatchPlayerDetail(app->GetUserID());
    const int points = own ? own->rankPoints : 0, level = own ? own->rankLevel : 0;
    const int next = own ? own->nextLevelPoints : 0;
    app->ShowSystemNotice(Lumora::FormatMarkup(
        " <z=zu系统通知><c=%d> 欢迎加入比赛,您还需要获得:\r\n<c=%d>%d段位分<c=%d>升入<z=bit_Duan,%d><m=xyf加油>\r\n", 527845,
        0xFF0000, next - points, 527845, level + 1));
}

void CXyGameFrame::HideMatchResult()
{
    Hide(matchResultDialog_);
    Hide(shade_);
}

void CXyGameFrame::ShowMatchResult(Data data)
{
    const MatchResultRecord r = MatchResultRecord::Read(data);
    std::memcpy(savedMatchResult_.data(), r.bytes.data(), savedMatchResult_.size());
    HideMatchPanels();
    Send(GetMainGame(), kEvResultArrived);
    if (matchResultDialog_ && matchResultDialog_->IsActive())
        return;
    IFrameApp* app = GetFrameApp();
    if (app)
        app->StoreMatchResult(r.value, r.rank, r.userId, r.newLevel, r.newPoints, r.nextPoints);
    PictureInfo picture;
    GetRes(picture, "MatchResultDlg", 0);
    auto* dialog = dynamic_cast<PlaneObject*>(matchResultDialog_);
    if (!dialog) {
        dialog = NewPlane(std::max(1, picture.width), std::max(1, picture.height), kKey);
        if (!dialog)
            return;
        dialog->SetTopMost();
        dialog->AddFlags(OBJ_BOARD);
        dialog->SetDraggable(true);
        matchResultDialog_ = dialog;
        if (auto* digits = NewChild<CXyBlackboard>()) {
            digits->Create(20, 30, 0);
            digits->SetGlyphs("0123456789", "digit_MatchRank");
            PictureInfo di, ming;
            digits->SetGlyph("第", &GetRes(di, "char_第", 0));
            digits->SetGlyph("名", &GetRes(ming, "char_名", 0));
            rankDigit_ = digits;
        }
        if (auto* box = NewChild<CPglChatBox>()) {
            box->Create(220, 100, 0, 0);
            box->SetBackgroundColor(kKey);
            box->SetMaxFontSize(30);
            box->SetFontSize(12);
            box->SetTextColor(0xFFFFFF);
            box->MoveTo(dialog->GetLeft() + 140, dialog->GetTop() + 140);
            PlaceAtZ(*box, dialog->GetZ() + 0.01);
            dialog->AddChild(box, kChildLinks);
            resultTextBox_ = box;
        }
    }
    dialog->Clear();
    dialog->DrawPicture(picture, 0, 0, picture.width, picture.height);
    if (app) {
        const GameUserRecord* own = app->GetUserRecordByID(app->GetUserID());
        const std::string face = GetCharacterImagePath(own ? own->Character() : 0, 2);
        if (!face.empty()) {
            PictureInfo p;
            GetRes(p, face.c_str(), 0);
            dialog->DrawPicture(p, 15, 15, 48, 48);
        }
    }
    char rank[32];
    std::snprintf(rank, sizeof rank, "第%d名", r.rank);
    if (auto* digits = dynamic_cast<CXyBlackboard*>(rankDigit_))
        digits->DrawGlyphs(dialog, 168, 30, rank, 0);
    if (auto* box = dynamic_cast<CPglChatBox*>(resultTextBox_)) {
        box->Clear();
        box->AppendText(ResultLines(r));
    }
    const Rect s = SceneRect();
    dialog->MoveTo((s.left + s.right) / 2.0, s.top + (s.bottom - s.top) * 3 / 5.0);
    dialog->SetZ(kResultZ);
    dialog->Activate();
    dialog->Redraw();
    // The text box goes with the dialog's height, made before the dialog had it, and shows with it.
    if (resultTextBox_) {
        PlaceAtZ(*resultTextBox_, dialog->GetZ() + 0.01);
        resultTextBox_->Activate();
        resultTextBox_->Redraw();
    }
    auto addButton = [&](const char* name, uint32_t code, double x, double y) {
        auto* b = NewFaceButton(*this, name, {GetId(), code, 0, 0}, 0, ButtonSounds::None);
        if (!b)
            return;
        b->MoveTo(x, y < 0 ? dialog->GetBottom() - b->GetHeight() / 2 - 10 : y);
        PlaceAtZ(*b, dialog->GetZ() + 0.02);
        dialog->AddChild(b, kChildLinks);
        // Added to a dialog already shown: shown with it.
        b->Activate();
        b->Redraw();
        resultButtons_.push_back(b->GetId());
    };
    // Buttons of an earlier result go; the prize decides the second one.
    for (uint32_t id : resultButtons_)
        if (PObject* old = FindById(id))
            ReleaseObject(old, true);
    resultButtons_.clear();
    addButton("btn_redcrossEx", EV_FRAME_EXIT_REFUSED, dialog->GetRight() - 20, dialog->GetTop() + 20);
    if (r.prizeFlag > 0)
        addButton("btn_Award", EV_FRAME_ACTIVITY_AWARD, dialog->GetX(), -1);
    else
        addButton("btn_ExChange", EV_FRAME_ACTIVITY_DRAW, dialog->GetX(), -1);
    if (!shade_) {
        if (PlaneObject* shade = NewPlane(std::max(1, s.right - s.left), std::max(1, s.bottom - s.top), 0x000000)) {
            shade->Clear(); // a new plane is see-through until filled
            shade->SetAlpha(0.7);
            shade->SetTopMost();
            shade_ = shade;
        }
    }
    if (shade_) {
        shade_->MoveTo((s.left + s.right) / 2.0, (s.top + s.bottom) / 2.0);
        shade_->SetZ(kShadeZ);
        shade_->Activate();
        shade_->Redraw();
    }
    if (app)
        app->RefreshMatchRankList();
    SendRequest201230();
    Send(GetMainGame(), kEvResultShown);
}
