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
    Draw();
    // An empty seat shows no panel.
    if (user_.present)
        Activate();
    else
        Deactivate();
    Redraw();
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

void CMJPlayer2::Draw()
{
    if (!plane_)
        return;
    plane_->Clear();
    PictureInfo back;
    GetRes(back, kPanelPicture, 0);
    if (back.image)
        plane_->DrawPicture(back, 0, 0, 0, 0);
    const int w = plane_->GetSurfaceWidth(), h = plane_->GetSurfaceHeight();
    int textLeft = 6;
    if (user_.present && !user_.characterPicture.empty()) {
        // Only when the game has a picture for the character: asked without a missing-picture line.
        PaintModule* paint = GetPaintModule();
        const PictureInfo character = paint ? paint->GetImageFrame(user_.characterPicture.c_str(), 0) : PictureInfo{};
        if (character.image) {
            plane_->DrawPicture(character, 4, (h - kCharacterSize) / 2, kCharacterSize, kCharacterSize);
            textLeft = kCharacterSize + 8;
        }
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
    const std::pair<bool, const char*> marks[] = {
        {banker_, "bit_banker"}, {ready_, "bit_ready"}, {offline_ != 0, "bit_offline"}, {autoPlay_, "bit_autoplay"}};
    for (auto [on, name] : marks) {
        if (!on)
            continue;
        PictureInfo mark;
        GetRes(mark, name, 0);
        if (mark.image) {
            plane_->DrawPicture(mark, w - mark.width - 2, y, mark.width, mark.height);
            y += mark.height + 1;
        }
    }
    plane_->Redraw();
}

} // namespace Lumora
