#include "mahjong/frame/CMJGameFrame.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "framework/app/ClientUtils.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "framework/frame/PlayerDetailTexts.h"
#include "engine/util/HostServices.h"
#include "framework/connection/Record.h"
#include "mahjong/scene/CMJMainGame2.h"
#include "mahjong/scene/ClearPlace.h"
#include "widgets/CXyStandButton.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace framework;

namespace {

constexpr int kCornerInset = 13;
constexpr uint32_t kDetailColour = 0x385026;
constexpr uint32_t kCounterSetting = 50012;

} // namespace

size_t FormatFixedText(char (&buffer)[128], const char* format, ...)
{
    char whole[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(whole, sizeof whole, format, args);
    va_end(args);
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    const std::string_view text(whole, std::min<size_t>(size_t(n), sizeof whole - 1));
    const size_t keep = GbkPrefixLength(text, sizeof buffer - 1);
    std::memcpy(buffer, text.data(), keep);
    buffer[keep] = '\0';
    return keep;
}

namespace Lumora {

CMJGameFrame::CMJGameFrame() = default;
CMJGameFrame::~CMJGameFrame() = default;

int CMJGameFrame::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_FRAME_ACTIVITY_BAR:
        // The mahjong board has no report button.
        return 1;
    case EV_FRAME_CLEAR_ZERO:
        OpenShopPage();
        return 1;
    case EV_FRAME_RECHARGE:
        OpenPayPage();
        return 1;
    case EV_FRAME_BOARD_CLOSE:
        if (clearZero_) {
            clearZero_->Deactivate();
            clearZero_->Redraw();
        }
        return CXyGameFrame::OnEvent(record);
    default:
        return CXyGameFrame::OnEvent(record);
    }
}

void CMJGameFrame::LoadColours() { PublishSettings(25, false); }

void CMJGameFrame::CreateTableBackground()
{
    DrawTableHalo(kCornerInset);
    CreateFrameTop();
    CreateFrameLeft();
    CreateFrameRight();
    CreateFrameBottom();
    CreateSplitter();
}

void CMJGameFrame::CreateFrameTop()
{
    DrawFrameBorderTop();
    PlaceTitleButtons(12, 15, 18, 1);
}

void CMJGameFrame::CreateFrameLeft()
{
    CXyGameFrame::CreateFrameLeft();
    if (leftPlane_) {
        leftPlane_->MoveTo(1, GetViewHeight() / 2.0);
        leftPlane_->Redraw();
    }
}

void CMJGameFrame::UpdateClearZero(const GameUserRecord& user)
{
    if (!clearZero_)
        return;
    const IFrameApp* app = GetFrameApp();
    const bool show = app && !app->IsLookOn() && uint32_t(user.UserId()) == app->GetUserID() && user.Score() < 0;
    if (show)
        clearZero_->Activate();
    else
        clearZero_->Deactivate();
    clearZero_->Redraw();
}

void CMJGameFrame::ShowPlayerDetail(const GameUserRecord& user)
{
    SetDetailIds(user.UserId(), user.Character());
    PictureInfo picture;
    GetRes(picture, "bit_playerdetail", 0);
    PObject*& slot = DetailBoardSlot();
    auto* board = dynamic_cast<PlaneObject*>(slot);
    const IFrameApp* app = GetFrameApp();
    const bool silver = app && app->IsSilverRoom();
    if (!board) {
        board = NewPlane(std::max(1, picture.width), std::max(1, picture.height), 0xFF00FF);
        if (!board)
            return;
        board->SetTopMost();
        board->SetZ(70000.0);
        board->AddFlags(OBJ_BOARD);
        board->SetDraggable(true);
        board->AddEventHook(EV_RBUTTON_CLICK, GetId(), EV_FRAME_BOARD_CLOSE, 0, 0);
        slot = board;
        const double top = board->GetTop(), right = board->GetRight(), bottom = board->GetBottom();
        if (CXyStandButton* close = AddBoardButton(*board, "btn_redcrossEx", EV_FRAME_BOARD_CLOSE))
            close->MoveTo(right - 17, top + 17);
        clearZero_ = AddBoardButton(*board, "btn_clearzero", EV_FRAME_CLEAR_ZERO, true);
        recharge_ = AddBoardButton(*board, "btn_recharge", EV_FRAME_RECHARGE);
        if (clearZero_)
            clearZero_->MoveTo(right - 14 - clearZero_->GetWidth() / 2, top + (silver ? 131 : 90));
        if (recharge_)
            recharge_->MoveTo(right - 14 - recharge_->GetWidth() / 2, top + (silver ? 90 : 131));
        if (CXyStandButton* buy = AddBoardButton(*board, "btn_buycharacter", EV_FRAME_SHOP_CLOTHES))
            buy->MoveTo(board->GetX(), bottom - 22 - buy->GetHeight() / 2);
    }
    UpdateClearZero(user);
    RepaintDetailBoard(*board, user.Character(), 50, true, kDetailColour);
    board->DrawTextCentred(195, 61, user.Name());
    board->SetFont(12, 400, kDialogFace);
    const std::vector<std::string> lines = DetailLines(user, silver, GetWealthTitle(user.Silver()));
    for (size_t i = 0; i < lines.size(); ++i)
        board->DrawTextLine(145, 85 + int(i) * 20, lines[i]); // a level is the hall's text
    board->Redraw();
}

void CMJGameFrame::ShowPlayerBoardSmall(uint32_t userId, int x, int y)
{
    CXyGameFrame::ShowPlayerBoardSmall(userId, x, y);
    const IFrameApp* app = GetFrameApp();
    if (!clearZero_ || !app)
        return;
    const GameUserRecord* user = app->GetUserRecordByID(userId);
    const bool show = !app->IsLookOn() && userId == app->GetUserID() && user && user->Score() < 0;
    if (show)
        clearZero_->Activate();
    else
        clearZero_->Deactivate();
    clearZero_->Redraw();
}

void CMJGameFrame::PlaceCharacter(PObject* object)
{
    if (!object)
        return;
    const int counter = std::max(0, GetSetting(kCounterSetting)) + 1;
    SetSetting(kCounterSetting, counter);
    object->SetZ((counter + 9000) * 10.0);
    // Flush on the bottom edge; placed again there on every resize.
    PlaceDialog(*object, DialogPlace::BottomRight, 0);
    FlashHostWindow();
}

std::span<const ReadItem> CMJGameFrame::TableReadItems() const
{
    const auto* table = dynamic_cast<const CMJMainGame2*>(GetMainGame());
    return table ? table->ReadItems().Items() : std::span<const ReadItem>{};
}

Spot CMJGameFrame::DialogRestOf(DialogPlace place, double width, double height, double bottomGap) const
{
    const Spot corner = CXyGameFrame::DialogRestOf(place, width, height, bottomGap);
    const std::span<const ReadItem> items = TableReadItems();
    if (place != DialogPlace::BottomRight || items.empty())
        return corner;
    const int w = int(std::ceil(width)), h = int(std::ceil(height));
    const Rect box{-w / 2, -h / 2, w - w / 2, h - h / 2};
    const Rect view{0, 0, GetViewWidth(), GetViewHeight()};
    constexpr int kStep = 8; // a dialog needs no finer place, and the search stays short
    // Clear of every tile where there is room; else over the other seats' tiles, which the player
    // reads less while answering than the own hand; else over any.
    enum class Tiles { All, Own, None };
    for (const Tiles tiles : {Tiles::All, Tiles::Own, Tiles::None}) {
        std::vector<Rect> keep;
        for (const ReadItem& item : items)
            if (const bool tile = item.kind == ReadKind::Hand || item.kind == ReadKind::Discards || item.kind == ReadKind::Wall;
                !tile || tiles == Tiles::All || (tiles == Tiles::Own && item.seat == kOwnSeat))
                keep.push_back(item.box);
        if (const auto at = NearestClearPlace({int(corner.x), int(corner.y)}, box, view, keep, kStep))
            return {double(at->x), double(at->y)};
    }
    return corner;
}

namespace {

void OpenPage(const std::string& url)
{
    IFrameApp* app = GetFrameApp();
    if (!app)
        return;
    if (app->IsTestMode())
        app->OpenWebPage(url);
    else
        app->SendTextToHall(url, 1);
}

} // namespace

void CMJGameFrame::OpenPayPage()
{
    if (const IFrameApp* app = GetFrameApp())
        OpenPage("http://" + app->GetPayHost() + "/");
}

void CMJGameFrame::OpenShopPage()
{
    if (const IFrameApp* app = GetFrameApp())
        OpenPage("http://" + app->GetShopHost() + "/props");
}

} // namespace Lumora
