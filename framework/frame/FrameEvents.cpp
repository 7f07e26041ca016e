// The frame's own events beyond leaving: title buttons and title-bar drag, the detail board's
// buttons and hovers, the activity links, and the character pictures every board draws.
#include "framework/frame/CXyGameFrame.h"

#include "engine/host/LumoraWnd.h"
#include "engine/input/InputData.h"
#include "engine/object/PObject.h"
#include "engine/paint/PaintModule.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "platform/Paths.h"
#include "widgets/SidePanelObjects.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace Lumora;
using namespace framework;

namespace {

const InputData* PointOf(uintptr_t p) { return reinterpret_cast<const InputData*>(p); }

const char* CharacterFile(int size)
{
    switch (size) {
    case 1:
        return "32x32.png";
    case 2:
        return "48x48.png";
    default:
        return "135x270.png";
    }
}

} // namespace

int CXyGameFrame::OnFrameEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_FRAME_REQUEST_201221:
        if (IFrameApp* app = GetFrameApp())
            app->Request201221();
        return 1;
    case EV_FRAME_SHOP_CLOTHES:
        OpenShopClothes(detailClothesId_);
        return 1;
    case EV_FRAME_SHOP_CLOTHES_USER:
        return 1;
    case EV_FRAME_USER_CLICKED:
        if (const InputData* p = PointOf(record.param2))
            OnUserClicked(uint32_t(record.param1), p->x, p->y);
        else
            OnUserClicked(uint32_t(record.param1), 0, 0);
        return 1;
    case EV_FRAME_USER_HOVER_END: {
        const InputData* p = PointOf(record.param2);
        if (!p || !detailBoard_ || p->hovered != detailBoard_->GetId())
            HidePlayerDetail(int(record.param1));
        return 1;
    }
    case EV_FRAME_BOARD_ENTER:
        if (pinned_ == 0 && detailBoard_) {
            CancelActionsOf(detailBoard_->GetId());
            FadeAlpha(detailBoard_, 0.2, 1.0, GetActionInterval(), nullptr);
        }
        return 1;
    case EV_FRAME_BOARD_LEAVE:
        if (pinned_ == 0 && detailBoard_) {
            const InputData* p = PointOf(record.param2);
            if (!p || !detailBoard_->HitTest(p->x, p->y))
                HidePlayerDetail(detailUserId_);
        }
        return 1;
    case EV_FRAME_BOARD_CLOSE:
        pinned_ = 0;
        if (detailBoard_) {
            detailBoard_->Deactivate();
            detailBoard_->Redraw();
        }
        return 1;
    case EV_FRAME_HELP:
        return 1;
    case EV_FRAME_SHOP:
        GetShopHost();
        return 1;
    case EV_FRAME_HOLD_SET:
        holdFlag_ = 1;
        return 1;
    case EV_FRAME_HOLD_CLEAR:
        holdFlag_ = 0;
        return 1;
    case EV_FRAME_FIT:
        // The title's double click, unless on a title button that is disabled.
        if (const InputData* p = PointOf(record.param2); p && OnTitleButton(p->x, p->y))
            return 1;
        OnBtnFrameMax();
        return 1;
    case EV_FRAME_MINIMISE:
        MinimizeWindow();
        return 1;
    case EV_FRAME_DRAG:
        DragWindow();
        return 1;
    case EV_FRAME_DRAG_BEGIN:
        if (const InputData* p = PointOf(record.param2))
            BeginWindowDrag(p->x, p->y);
        return 1;
    case EV_FRAME_DRAG_END:
        EndWindowDrag();
        return 1;
    case EV_FRAME_ACTIVITY_AWARD:
        OpenActivityAwardPage();
        return 1;
    case EV_FRAME_ACTIVITY_DRAW:
        OpenActivityDrawPage();
        return 1;
    case EV_FRAME_ACTIVITY_BAR:
        ShowActivityBar();
        return 1;
    default:
        return OnMatchEvent(record);
    }
}

void CXyGameFrame::HidePlayerDetail(int userId)
{
    if (!detailBoard_ || detailUserId_ != userId)
        return;
    CancelActionsOf(detailBoard_->GetId());
    const EventRecord hide{detailBoard_->GetId(), EV_DEACTIVATE, 0, 0};
    FadeAlpha(detailBoard_, -0.2, 0.0, GetActionInterval(), &hide);
}

void CXyGameFrame::ShowActivityBar()
{
    auto* bar = dynamic_cast<IActivityBar*>(FindByName(kActivityBarName));
    if (!bar)
        return;
    std::string error;
    if (bar->OpenFor(uint32_t(detailUserId_), error))
        bar->ShowPage(7);
    else
        ShowMsgBox(Lumora::EscapeMarkup(error), nullptr, nullptr, 3, 0x30, "xyf抱歉");
}

std::string CXyGameFrame::GetCharacterImagePath(int character, int size)
{
    IFrameApp* app = GetFrameApp();
    if (!app)
        return {};
    char name[64];
    std::snprintf(name, sizeof name, "Character%dType%d", character, size);
    // Asked of the paint module directly: a picture not loaded yet is no missing picture.
    PaintModule* paint = GetPaintModule();
    if (paint && paint->GetImageFrame(name, 0).width > 0)
        return name;
    const std::string path = platform::NativePath(app->GetCharacterFolder(character) + CharacterFile(size));
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        LoadResFile(path.c_str(), name);
        return name;
    }
    return character == 0 ? std::string() : GetCharacterImagePath(0, size);
}

// Without the activity page's address a link would reach the hall as "&act=..." alone: none
// goes then.
void CXyGameFrame::OpenActivityAwardPage()
{
    IFrameApp* app = GetFrameApp();
    if (!app || app->GetActivityUrl().empty())
        return;
    int32_t award = 0;
    std::memcpy(&award, savedMatchResult_.data() + 36, sizeof award);
    char text[1024];
    std::snprintf(text, sizeof text, "%s&act=lj&awardid=%d", app->GetActivityUrl().c_str(), award);
    app->SendTextToHall(text, 1);
}

void CXyGameFrame::OpenActivityDrawPage()
{
    IFrameApp* app = GetFrameApp();
    if (!app || app->GetActivityUrl().empty())
        return;
    app->SendTextToHall(app->GetActivityUrl() + "&act=dj", 1);
}

std::string GetCharacterImagePath(int character, int size)
{
    IFrameApp* app = GetFrameApp();
    CLumoraWnd* wnd = app ? app->GetMainWnd() : nullptr;
    auto* frame = wnd ? dynamic_cast<CXyGameFrame*>(wnd->GetGameObject()) : nullptr;
    return frame ? frame->GetCharacterImagePath(character, size) : std::string();
}
