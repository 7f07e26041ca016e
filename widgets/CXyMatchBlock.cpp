#include "widgets/CXyMatchBlock.h"

#include "engine/object/PlaneObject.h"
#include "widgets/ChatEvents.h"
#include "widgets/WidgetSupport.h"

#include <string>

namespace Lumora {

void CXyMatchBlock::Create(uint32_t listId, int width, int height, const MatchRowRecord* record, int32_t state)
{
    listId_ = listId;
    plane_ = NewPlaneObject(width, height, kColourKeyBackground);
    if (!plane_)
        return;
    plane_->SetPen(0, 1.0);
    SetBody(plane_, kBodyLinks);
    const uint32_t hooks[][2] = {{EV_LBUTTON_DOWN, EV_ROW_PRESS},
                                 {EV_RBUTTON_DOWN, EV_ROW_MENU},
                                 {EV_MOUSE_ENTER, EV_ROW_ENTER},
                                 {EV_MOUSE_LEAVE, EV_ROW_LEAVE}};
    // The row names itself by id: these records are queued and may outlive it.
    for (const auto& h : hooks)
        plane_->AddEventHook(h[0], listId, h[1], GetId(), 0);
    if (record)
        record_ = *record;
    name_ = std::string(record_.Name());
    state_ = state;
    Draw();
}

void CXyMatchBlock::Draw()
{
    if (!plane_)
        return;
    const int frame = highlighted_ ? 0 : (state_ == kOwnRowState ? 1 : state_);
    PictureInfo skin;
    GetPicture(skin, kRowSkin, frame);
    plane_->Clear();
    if (skin.image)
        plane_->DrawPicture(skin, 0, 0, 0, 0, 0, 1.0);
    plane_->SetPen(highlighted_ ? 0x407382 : 0x415928, 1.0);
    plane_->SetFont(12, state_ == kOwnRowState ? 700 : 400, "宋体");
    const int w = plane_->GetSurfaceWidth(), h = plane_->GetSurfaceHeight();
    plane_->DrawTextCentred(w / 8, h / 2, std::to_string(record_.Rank()));
    plane_->DrawTextCentred(w / 2, h / 2, name_); // a player's name: plain
    plane_->DrawTextCentred(7 * w / 8, h / 2, record_.ScoreText());
    plane_->Redraw();
}

void CXyMatchBlock::SetHighlight(int on)
{
    highlighted_ = on;
    Draw();
}

void CXyMatchBlock::OnResize(int width, int)
{
    if (!plane_ || width <= 0)
        return;
    const int height = plane_->GetSurfaceHeight();
    plane_->ResizeSurface(width, height);
    plane_->SetSize(width, height);
    Draw();
}

int CXyMatchBlock::OnEvent(const EventRecord& record)
{
    if (record.code == EV_OBJECT_RESIZE) {
        OnResize(int(record.param1), 0);
        return 1;
    }
    return CLumoraGui::OnEvent(record);
}

} // namespace Lumora
