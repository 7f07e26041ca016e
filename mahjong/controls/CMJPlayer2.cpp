// The player panel: one plane redrawn from the panel's state on every change.
#include "mahjong/controls/CMJPlayer2.h"

#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModule.h"
#include "framework/frame/FrameEvents.h"
#include "mahjong/MahjongEvents.h"
#include "widgets/AppServices.h"
#include "widgets/WidgetSupport.h"

#include <cstdio>

namespace Lumora {

namespace {

constexpr const char* kPanelPicture = "bit_playerpanel";
// Leaves room for "银子:" and seven digits beside the picture.
constexpr int kCharacterSize = 36;
// Three 12-pixel lines: name, amount, flowers.
constexpr int kLineTop = 4;
constexpr int kLineStep = 14;
constexpr const char* kFrameName = "GameFrame";
constexpr const char* kFace = "宋体";

} // namespace

void CMJPlayer2::Create(int seat)
{
    seat_ = seat;
    PictureInfo back;
    GetRes(back, kPanelPicture, 0);
    plane_ = NewPlaneObject(back.width > 0 ? back.width : 150, back.height > 0 ? back.height : 64, kColourKeyBackground);
    if (!plane_)
        return;
    SetBody(plane_, kBodyLinks);
    plane_->AddEventHook(EV_LBUTTON_CLICK, GetId(), EV_PANEL_CLICKED, 0, 0);
    Draw();
}

void CMJPlayer2::SetChair(int chair)
{
    chair_ = chair;
}

void CMJPlayer2::ShowReady(int flag)
{
    ready_ = flag != 0;
    Draw();
}

void CMJPlayer2::SetOffline(int flag)
{
    offline_ = flag ? 1 : 0;
    Draw();
}

void CMJPlayer2::AddFlower()
{
    ++flowers_;
    Draw();
}

void CMJPlayer2::HideAnimation2()
{
    autoPlay_ = false;
    Draw();
}

void CMJPlayer2::SetBanker(int flag)
{
    banker_ = flag != 0;
    Draw();
}

void CMJPlayer2::SetAutoPlay(int flag)
{
    autoPlay_ = flag != 0;
    Draw();
}

void CMJPlayer2::Refresh(const PanelUser& user)
{
    user_ = user;
    const ObjectGeometry before = plane_ ? plane_->Geometry() : ObjectGeometry{};
    Draw();
    // An empty seat shows no panel.
    if (user_.present)
        Activate();
    else
        Deactivate();
    // Draw repainted what it changed: what is left is whether the panel shows.
    if (plane_ && plane_->Geometry() == before)
        return;
    Redraw();
    if (plane_ && drawn_)
        drawn_->plane = plane_->Geometry();
}

void CMJPlayer2::ResetPanel()
{
    flowers_ = offline_ = 0;
    banker_ = ready_ = autoPlay_ = false;
    Draw();
}

int CMJPlayer2::OnEvent(const EventRecord& record)
{
    if (record.code == EV_PANEL_CLICKED) {
        // The frame asks for a user id and the click point (the input state the click carries);
        // the seat's user is looked up now, as the chair may have changed hands since the draw.
        const IAppServices* app = GetAppServices();
        PObject* frame = FindByName(kFrameName);
        if (!app || !frame || chair_ < 0)
            return 1;
        const auto records = app->GetPlayerRecords();
        if (size_t(chair_) >= records.size() || records[size_t(chair_)].IsEmpty())
            return 1;
        const auto userId = uint32_t(records[size_t(chair_)].UserId());
        frame->SendEvent(EventRecord{frame->GetId(), framework::EV_FRAME_USER_CLICKED, userId, record.param2});
        return 1;
    }
    return CLumoraGui::OnEvent(record);
}

CMJPlayer2::Look CMJPlayer2::LookNow()
{
    Look look;
    look.user = user_;
    look.flowers = flowers_;
    look.offline = offline_;
    look.banker = banker_;
    look.ready = ready_;
    look.autoPlay = autoPlay_;
    GetRes(look.back, kPanelPicture, 0);
    if (user_.present && !user_.characterPicture.empty()) {
        // Only when the game has a picture for the character: asked without a missing-picture line.
        PaintModule* paint = GetPaintModule();
        if (paint)
            look.character = paint->GetImageFrame(user_.characterPicture.c_str(), 0);
    }
    const std::pair<bool, const char*> marks[] = {
        {banker_, "bit_banker"}, {ready_, "bit_ready"}, {offline_ != 0, "bit_offline"}, {autoPlay_, "bit_autoplay"}};
    for (size_t i = 0; i < look.marks.size(); ++i)
        if (marks[i].first)
            GetRes(look.marks[i], marks[i].second, 0);
    look.surfaceWidth = plane_->GetSurfaceWidth();
    look.surfaceHeight = plane_->GetSurfaceHeight();
    look.plane = plane_->Geometry();
    return look;
}

void CMJPlayer2::Draw()
{
    if (!plane_)
        return;
    // The scene sets marks and counts over again on every notification: most change nothing.
    Look look = LookNow();
    if (drawn_ && *drawn_ == look)
        return;
    plane_->Clear();
    if (look.back.image)
        plane_->DrawPicture(look.back, 0, 0, 0, 0);
    const int w = look.surfaceWidth, h = look.surfaceHeight;
    int textLeft = 6;
    if (look.character.image) {
        plane_->DrawPicture(look.character, 4, (h - kCharacterSize) / 2, kCharacterSize, kCharacterSize);
        textLeft = kCharacterSize + 8;
    }
    if (user_.present) {
        plane_->SetFont(12, 400, kFace);
        // A line too long for the panel stops at its edge; wrapped, its tail would land on the picture.
        TextStyle style = plane_->Style();
        style.wrap = 0;
        plane_->SetTextStyle(style);
        plane_->SetPen(offline_ ? 0x808080 : 0xFFFFFF, 1.0);
        plane_->DrawTextLine(textLeft, kLineTop, user_.name);
        char amount[64];
        std::snprintf(amount, sizeof amount, user_.silver ? "银子:%lld" : "积分:%lld", static_cast<long long>(user_.amount));
        plane_->DrawTextLine(textLeft, kLineTop + kLineStep, amount);
        if (flowers_ > 0) {
            char flowers[32];
            std::snprintf(flowers, sizeof flowers, "花:%d", flowers_);
            plane_->DrawTextLine(textLeft, kLineTop + 2 * kLineStep, flowers);
        }
    }
    // Marks along the right edge, top down.
    int y = 2;
    for (const PictureInfo& mark : look.marks) {
        if (mark.image) {
            plane_->DrawPicture(mark, w - mark.width - 2, y, mark.width, mark.height);
            y += mark.height + 1;
        }
    }
    plane_->Redraw();
    look.plane = plane_->Geometry();
    drawn_ = std::move(look);
}

} // namespace Lumora
