// The in-game frame's boxes and dialogs: timed message and ask boxes stacked by the engine's
// box counter, the slide-in of another player's request, each placed again by its rule on every
// resize, the detail board beside the user list, the auto-play animation, and the frame events
// handed on to the scene or the server.
#include "framework/frame/CXyGameFrame.h"

#include "engine/object/PictureObject.h"
#include "engine/util/HostServices.h"
#include "framework/frame/CXyTimerDlg.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "widgets/SidePanelObjects.h"

#include <algorithm>
#include <cmath>

using namespace Lumora;
using namespace framework;

namespace {

constexpr double kDetailBoardZ = 70000.0;
constexpr double kAutoPlayZ = 52000.0;
constexpr const char* kAutoPlayAnimation = "animation_autoplaying";

} // namespace

int CXyGameFrame::NextBoxCounter()
{
    const int counter = std::max(GetSetting(kBoxCounterSetting), 0) + 1;
    SetSetting(kBoxCounterSetting, counter);
    return counter;
}

CXyTimerDlg* CXyGameFrame::NewBox()
{
    return NewChild<CXyTimerDlg>();
}

void CXyGameFrame::FinishBox(CXyTimerDlg* box)
{
    const int counter = NextBoxCounter();
    box->SetZ(kBoxBaseZ + 2.0 * counter);
    box->Activate();
    box->SetDraggable(true);
    PlaceDialog(*box, DialogPlace::ViewCentre);
    PlaySound(kSoundMessage, 1, nullptr);
}

CXyTimerDlg* CXyGameFrame::ShowMsgBox(const Lumora::Markup& text, const EventRecord* ok, const EventRecord* cancel,
                                      int seconds, uint32_t flags, const char* icon)
{
    CXyTimerDlg* box = NewBox();
    if (!box)
        return nullptr;
    box->Show(text, ok, cancel, seconds, flags, icon, nullptr, nullptr);
    FinishBox(box);
    return box;
}

CXyTimerDlg* CXyGameFrame::ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon)
{
    return ShowAskBoxEx(text, seconds, flags, icon, nullptr, nullptr, nullptr, 0);
}

CXyTimerDlg* CXyGameFrame::ShowAskBoxEx(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon,
                                        const char* okPicture, const char* cancelPicture, const char* link, int sign)
{
    CXyTimerDlg* box = NewBox();
    if (!box)
        return nullptr;
    const EventRecord ok{GetId(), EV_FRAME_EXIT_CONFIRMED, 0, 0};
    const EventRecord cancel{GetId(), EV_FRAME_EXIT_REFUSED, 0, 0};
    box->Show(text, &ok, &cancel, seconds, flags, icon, okPicture, cancelPicture);
    if (link)
        box->SetLink(link, sign);
    FinishBox(box);
    return box;
}

void CXyGameFrame::SlideInDialog(CLumoraGui* dialog)
{
    if (!dialog)
        return;
    const int counter = NextBoxCounter();
    dialog->SetZ((counter + 9000) * 10.0);
    PlaceDialog(*dialog, DialogPlace::BottomRight, kDialogGap);
    FlashHostWindow();
}

void CXyGameFrame::PlaceDialog(PObject& dialog, DialogPlace place, double bottomGap)
{
    const Rect view{0, 0, GetViewWidth(), GetViewHeight()};
    Spot rest = DialogRestOf(place, dialog.GetWidth(), dialog.GetHeight(), bottomGap);
    uint64_t slide = 0;
    if (place == DialogPlace::BottomRight) {
        // Slid in from below the view onto its rest, which the move takes in whole pixels.
        rest = {std::trunc(rest.x), std::trunc(rest.y)};
        dialog.MoveTo(rest.x, view.bottom + dialog.GetHeight() / 2);
        dialog.Activate();
        dialog.Redraw();
        slide = ActMoveTo(&dialog, int32_t(rest.x), int32_t(rest.y), 15.0, 0, 15.0, nullptr);
    } else {
        dialog.MoveTo(rest.x, rest.y);
        dialog.Redraw();
    }
    const KeptDialog kept{dialog.GetId(), place, bottomGap, rest, slide};
    const auto same = std::find_if(keptDialogs_.begin(), keptDialogs_.end(),
                                   [&](const KeptDialog& k) { return k.id == kept.id; });
    if (same != keptDialogs_.end())
        *same = kept;
    else
        keptDialogs_.push_back(kept);
}

Spot CXyGameFrame::DialogRestOf(DialogPlace place, double width, double height, double bottomGap) const
{
    return DialogRest(place, {0, 0, GetViewWidth(), GetViewHeight()}, SceneRect(), width, height, bottomGap);
}

void CXyGameFrame::PlaceDialogsAgain()
{
    const Rect view{0, 0, GetViewWidth(), GetViewHeight()};
    // Dialogs release themselves: the gone are forgotten here.
    std::erase_if(keptDialogs_, [&](const KeptDialog& k) { return !FindById(k.id); });
    for (KeptDialog& kept : keptDialogs_) {
        PObject& dialog = *FindById(kept.id);
        const double w = dialog.GetWidth(), h = dialog.GetHeight();
        // On its rest, or on the way there from below: where its rule puts it at this size. One a
        // player dragged keeps its place as far as it stays whole inside the view.
        const bool moved = std::abs(dialog.GetX() - kept.rest.x) > 0.5 || dialog.GetY() < kept.rest.y - 0.5;
        Spot at = KeepWhole(view, dialog.GetX(), dialog.GetY(), w, h);
        if (!moved) {
            CancelAction(kept.slide);
            kept.slide = 0;
            at = DialogRestOf(kept.place, w, h, kept.bottomGap);
            if (kept.place == DialogPlace::BottomRight)
                at = {std::trunc(at.x), std::trunc(at.y)};
            kept.rest = at;
        }
        if (at.x != dialog.GetX() || at.y != dialog.GetY()) {
            dialog.MoveTo(at.x, at.y);
            dialog.Redraw();
        }
    }
}

void CXyGameFrame::SetDetailBoard(PObject* board, PObject* reportButton)
{
    detailBoard_ = board;
    reportButton_ = reportButton;
}

void CXyGameFrame::CreateUserListBar(uint32_t userId, int pinned)
{
    if (!detailBoard_)
        return;
    pinned_ = pinned;
    const Rect scene = SceneRect();
    detailBoard_->SetZ(kDetailBoardZ);
    detailBoard_->Activate();
    detailBoard_->SetAlpha(1.0);
    const double half = detailBoard_->GetHeight() / 2;
    double y;
    if (const PObject* list = FindByName(kUserListBarName))
        y = std::min(list->GetTop() + half, scene.bottom - half);
    else
        y = scene.top + (scene.bottom - scene.top) / 3;
    detailBoard_->MoveTo(scene.right - detailBoard_->GetWidth() / 2, y);
    detailBoard_->Redraw();
    ShowReportButtonFor(userId);
}

void CXyGameFrame::ShowReportButtonFor(uint32_t userId)
{
    if (!reportButton_)
        return;
    const IFrameApp* app = GetFrameApp();
    if (app && app->GetUserID() == userId)
        reportButton_->Deactivate();
    else
        reportButton_->Activate();
    reportButton_->Redraw();
}

void CXyGameFrame::ShowAutoPlaying(int show)
{
    if (!autoPlay_) {
        PictureInfo picture;
        autoPlay_ = NewBitmapObject(GetPicture(picture, kAutoPlayAnimation, 0));
        if (!autoPlay_)
            return;
        autoPlay_->SetZ(kAutoPlayZ);
        CentreOnScene(*autoPlay_);
        autoPlay_->MoveBy(0, -AutoPlayLift());
        autoPlay_->Redraw();
    }
    if (show) {
        ActPlayFrames(autoPlay_, 0, -1, 0, 0, nullptr);
        autoPlay_->Activate();
    } else {
        CancelObjectActions(autoPlay_->GetId());
        autoPlay_->Deactivate();
    }
    autoPlay_->Redraw();
}

void CXyGameFrame::CentreOnScene(PObject& object) const
{
    const Rect r = SceneRect();
    object.MoveTo(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2);
}

void CXyGameFrame::OnEvent80000086()
{
    if (mainGame_)
        mainGame_->OnEvent({0, EV_SCENE_SETTINGS, 0, 0});
}

void OnBtnRequest201161()
{
    IFrameApp* app = GetFrameApp();
    if (!app || !app->GetTableFlag())
        return;
    if (IFrameRequests* requests = app->GetRequests())
        requests->Request201161();
}
