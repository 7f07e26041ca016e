// The in-game frame's side of leaving a table: the close decision, the forced-quit dialog, the
// match room's sure-quit board, the confirmed exit, and the frame events that carry them out.
#include "framework/frame/CXyGameFrame.h"

#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "framework/frame/CXyAskDlgs.h"
#include "framework/connection/Record.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "framework/frame/FrameTexts.h"
#include "platform/Clock.h"
#include "widgets/CXyStandButton.h"
#include "widgets/WidgetSupport.h"

#include <cstdio>

using namespace Lumora;
using namespace framework;

namespace {

constexpr uint32_t kReminderMs = 30000;
constexpr uint32_t kReminderColour = 2906200;
constexpr int kReasonRows = 3;
constexpr int kReasonMaxTyped = 60;
// The request record keeps 63 bytes of the reason and a terminating zero.
constexpr size_t kReasonMaxSent = 63;
constexpr int kExitBoxSeconds = 5;
constexpr int kMatchStarted = 500;
constexpr int kMatchLater = 600;
constexpr uint32_t kBoardButtonFaceFlags = 4;

uint32_t Tick() { return uint32_t(platform::CurrentClock().NowMs()); }

} // namespace

int CXyGameFrame::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_APP_TEXT_PAYLOAD: {
        // The reason typed in the forced-quit dialog.
        ObjectModule* objects = GetObjectModule();
        const std::optional<std::string> reason = objects ? objects->TakeTextPayload(record.param1) : std::nullopt;
        if (IFrameApp* app = GetFrameApp()) {
            const std::string text = reason.value_or(std::string());
            if (IFrameRequests* requests = app->GetRequests())
                requests->AskExit(text.substr(0, GbkPrefixLength(text, kReasonMaxSent)));
            app->CountExitRequest(Tick());
        }
        exitRequest_ = 0;
        forceQuitDialog_ = 0;
        return 1;
    }
    case EV_FRAME_EXIT_ASK_CANCELLED:
        exitRequest_ = 0;
        forceQuitDialog_ = 0;
        return 1;
    case EV_FRAME_REPLY_ASK_EXIT:
        if (IFrameApp* app = GetFrameApp(); app && app->GetRequests())
            app->GetRequests()->ReplyAskExit(uint32_t(record.param1), record.param2 != 0);
        return 1;
    case EV_FRAME_REQUEST_201161:
        OnBtnRequest201161();
        return 1;
    case EV_FRAME_SETTINGS:
        OnEvent80000086();
        return 1;
    case EV_FRAME_CLOSE:
    case EV_FRAME_EXIT_REFUSED:
        if (IFrameApp* app = GetFrameApp())
            app->PostCloseToMainWindow();
        return 1;
    case EV_FRAME_EXIT_CONFIRMED:
        OnCloseConfirmed();
        return 1;
    default:
        return OnFrameEvent(record);
    }
}

CloseDecision CXyGameFrame::DecideWindowClose()
{
    if (exitConfirmed_)
        return CloseDecision::CloseNow;
    const IFrameApp* app = GetFrameApp();
    if (app && app->IsMatch()) {
        // A match room asks only while the match runs; otherwise the window leaves at once,
        // without asking the server whether the table plays.
        if (app->GetMatchState() >= kMatchStarted && app->GetMatchState() < kMatchLater)
            ShowSureQuitBoard();
        else
            OnCloseConfirmed();
        return CloseDecision::Stay;
    }
    OnCloseRequest();
    return CloseDecision::Stay;
}

void CXyGameFrame::OnCloseRequest()
{
    IFrameApp* app = GetFrameApp();
    IFrameRequests* requests = app ? app->GetRequests() : nullptr;
    if (!app || app->IsLookOn() || !requests || !requests->QueryGamePlaying()) {
        OnCloseConfirmed();
        return;
    }
    const std::optional<uint32_t> last = app->GetLastExitRequestTick();
    const uint32_t passed = last ? Tick() - *last : kReminderMs;
    if (app->IsPlaying() && passed < kReminderMs) {
        app->ShowSystemNotice(Lumora::FormatMarkup(kReminderFormat, int(kReminderColour), int(30 - passed / 1000)));
        return;
    }
    if (app->CanRequestExitConsent()) {
        ShowForceQuitAsk();
    } else if (app->IsRoomTypeBit14()) {
        ShowMsgBox(kKeepPlayingText, nullptr, nullptr, kExitBoxSeconds, kKeepPlayingBoxFlags, kFacePlaying);
    } else {
        const EventRecord leave{GetId(), EV_FRAME_EXIT_CONFIRMED, 0, 0};
        ShowMsgBox(kPenaltyText, &leave, nullptr, kExitBoxSeconds, kPenaltyBoxFlags, kFaceQuestion);
    }
}

CXyTimerDlg* CXyGameFrame::GetForceQuitDialog() const
{
    return forceQuitDialog_ ? dynamic_cast<CXyTimerDlg*>(FindById(forceQuitDialog_)) : nullptr;
}

void CXyGameFrame::ShowForceQuitAsk()
{
    if (const CXyTimerDlg* open = GetForceQuitDialog(); open && open->IsActive() && !open->HasEnded())
        return;
    const IFrameApp* app = GetFrameApp();
    const Lumora::Markup text = Lumora::FormatMarkup(
        kForceQuitFormat, app && app->IsSilverRoom() ? Lumora::Markup(kSilverWord) : Lumora::Markup(kScoreWord));
    auto* dlg = NewChild<CXyAskDlg>();
    if (!dlg)
        return;
    const EventRecord send{GetId(), EV_APP_TEXT_PAYLOAD, 0, 0};
    const EventRecord cancel{GetId(), EV_FRAME_EXIT_ASK_CANCELLED, 0, 0};
    dlg->Ask(text, &send, &cancel, kReasonRows);
    dlg->SetDraggable(true);
    dlg->SetZ(kBoxBaseZ);
    dlg->SetMaxLength(kReasonMaxTyped);
    dlg->SetTitle(kForceQuitTitle);
    PlaySound(kSoundHi, 1, nullptr);
    dlg->Activate();
    PlaceDialog(*dlg, DialogPlace::SceneCentre);
    forceQuitDialog_ = dlg->GetId();
    exitRequest_ = 1;
}

void CXyGameFrame::ShowSureQuitBoard()
{
    if (!sureQuitBoard_) {
        PictureInfo back, sure;
        GetPicture(back, "bit_systemboard", 0);
        GetPicture(sure, "bit_SureQuit", 0);
        sureQuitBoard_ = NewPlaneObject(back.width, back.height, kColourKeyBackground);
        if (!sureQuitBoard_)
            return;
        sureQuitBoard_->DrawPicture(back, 0, 0, back.width, back.height);
        sureQuitBoard_->DrawPicture(sure, 23, 67, -1, -1);
        sureQuitBoard_->SetTopMost();
        sureQuitBoard_->SetDraggable(true);
        // OK leaves through the confirmed exit: a close would only show this board again while
        // the match runs.
        const EventRecord ok{GetId(), EV_FRAME_EXIT_CONFIRMED, 0, 0};
        const EventRecord hide{sureQuitBoard_->GetId(), EV_DEACTIVATE, 0, 0};
        struct BoardButton {
            const char* picture;
            const EventRecord& notify;
            double x;
        } buttons[] = {{"btn_gameset_ok", ok, 145}, {"btn_gameset_cancel", hide, 200}};
        for (const BoardButton& s : buttons) {
            auto* button = NewFaceButton(*this, s.picture, s.notify, kBoardButtonFaceFlags, ButtonSounds::None);
            if (!button)
                continue;
            button->MoveTo(sureQuitBoard_->GetLeft() + s.x, sureQuitBoard_->GetTop() + 163);
            PlaceAtZ(*button, sureQuitBoard_->GetZ() + 0.1);
            sureQuitBoard_->AddChild(button, kBodyLinks);
        }
    }
    PlaceDialog(*sureQuitBoard_, DialogPlace::SceneCentre);
    sureQuitBoard_->Activate();
    sureQuitBoard_->Redraw();
}

void CXyGameFrame::OnCloseConfirmed()
{
    // Granted once: later confirmations (a second box, the board, a repeated event) find the
    // window already on its way out and send nothing more.
    if (exitConfirmed_)
        return;
    IFrameApp* app = GetFrameApp();
    if (!app)
        return;
    std::string refusal;
    if (IFrameRequests* requests = app->GetRequests(); requests && requests->LeaveGame(refusal)) {
        ShowMsgBox(Lumora::EscapeMarkup(refusal), nullptr, nullptr, kExitBoxSeconds, 0, nullptr);
        return;
    }
    exitConfirmed_ = true;
    app->ReportExitToHall();
    app->StopCommThread();
    app->PostCloseToMainWindow();
}
