// The player detail board: drawn from a player record (ordinary rooms) or from the match record
// (match rooms), placed near the click point inside the scene, and its links to the shop.
#include "framework/frame/CXyGameFrame.h"

#include "engine/host/LumoraWnd.h"
#include "engine/object/PlaneObject.h"
#include "framework/app/ClientUtils.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "framework/frame/PlayerDetailTexts.h"
#include "platform/DisplayWindow.h"
#include "widgets/CXyStandButton.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace Lumora;
using namespace framework;

namespace {

constexpr double kDetailZ = 70000.0;
constexpr uint32_t kBoardKey = 0xFF00FF;
constexpr uint32_t kNameColour = 0x38D8E6;
constexpr uint32_t kFirstLinesColour = 0x5BE8D6;
constexpr uint32_t kLinesColour = 0xCDECD1;

} // namespace

namespace framework {

std::string FormatRate(int32_t part, int32_t wins, int32_t losses, int32_t draws, const char* noGames)
{
    const int64_t games = int64_t(wins) + losses + draws;
    if (games == 0)
        return noGames;
    const float rate = float(part) / float(games) * 100.0f;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f%%", double(rate));
    return text;
}

std::vector<std::string> DetailLines(const GameUserRecord& user, bool silverRoom, const std::string& wealthTitle)
{
    const DetailStats s = DetailStats::Of(user);
    char buf[5][96];
    std::snprintf(buf[0], sizeof buf[0], "   银 子 ： %d 两", user.Silver());
    std::snprintf(buf[1], sizeof buf[1], "财富等级 ： %s", wealthTitle.c_str());
    std::snprintf(buf[2], sizeof buf[2], "   积 分 ： %d", user.Score());
    const std::string level(user.Level());
    std::snprintf(buf[3], sizeof buf[3], "   级 别 ： %s", level.c_str());
    std::vector<std::string> lines;
    if (silverRoom)
        lines = {buf[0], buf[1], buf[2], buf[3]};
    else
        lines = {buf[2], buf[3], buf[0], buf[1]};
    auto line = [&](const char* format, auto value) {
        char text[96];
        std::snprintf(text, sizeof text, format, value);
        lines.emplace_back(text);
    };
    line("   经 验 ： %d", s.experience);
    line("断 线 率 ： %s", FormatRate(s.disconnections, s.wins, s.losses, s.draws, "0.00%").c_str());
    line("   网 速 ： %d", s.speed);
    line("   赢 局 ： %d", s.wins);
    line("   输 局 ： %d", s.losses);
    line("   和 局 ： %d", s.draws);
    line("   胜 率 ： %s", FormatRate(s.wins, s.wins, s.losses, s.draws, "100%").c_str());
    return lines;
}

DetailStats DetailStats::Of(const GameUserRecord& user)
{
    auto at = [&](size_t offset) {
        int32_t v = 0;
        std::memcpy(&v, user.Data() + offset, sizeof v);
        return v;
    };
    return {at(108), at(112), at(116), at(120), at(124), at(128)};
}

} // namespace framework

void CXyGameFrame::RepaintDetailBoard(PlaneObject& board, int character, int y, bool large, uint32_t nameColour)
{
    PictureInfo picture;
    GetRes(picture, "bit_playerdetail", 0);
    board.Clear();
    board.DrawPicture(picture, 0, 0, picture.width, picture.height);
    const std::string name = GetCharacterImagePath(character, 3);
    if (!name.empty()) {
        PictureInfo p;
        GetRes(p, name.c_str(), 0);
        board.DrawPicture(p, 10, y, large ? 135 : p.width, large ? 270 : p.height);
    }
    // The name's face; the caller draws it.
    board.SetFont(14, 700, kDialogFace);
    board.SetPen(nameColour, 1.0);
}

void CXyGameFrame::SetDetailIds(int userId, int clothesId)
{
    detailUserId_ = userId;
    detailClothesId_ = clothesId;
}

CXyStandButton* CXyGameFrame::AddBoardButton(PObject& board, const char* picture, uint32_t code, bool optional)
{
    auto* button = NewFaceButton(*this, picture, {GetId(), code, 0, 0}, 0, ButtonSounds::Game);
    if (!button)
        return nullptr;
    PlaceAtZ(*button, board.GetZ() + 0.1);
    board.AddChild(button, optional ? kOptionalBoardButtonLinks : kBoardButtonLinks);
    return button;
}

PlaneObject* CXyGameFrame::BuildDetailBoard(bool match)
{
    if (auto* existing = dynamic_cast<PlaneObject*>(detailBoard_))
        return existing;
    PictureInfo picture;
    GetRes(picture, "bit_playerdetail", 0);
    PlaneObject* board = NewPlane(std::max(1, picture.width), std::max(1, picture.height), kBoardKey);
    if (!board)
        return nullptr;
    board->SetTopMost();
    board->SetZ(kDetailZ);
    board->AddFlags(OBJ_BOARD);
    board->SetDraggable(true);
    board->AddEventHook(EV_RBUTTON_CLICK, GetId(), EV_FRAME_BOARD_CLOSE, 0, 0);
    if (match) {
        board->AddEventHook(EV_MOUSE_ENTER, GetId(), EV_FRAME_BOARD_ENTER, 0, 0);
        board->AddEventHook(EV_MOUSE_LEAVE, GetId(), EV_FRAME_BOARD_LEAVE, 0, 0);
    }
    detailBoard_ = board;
    const double left = board->GetLeft(), top = board->GetTop(), right = board->GetRight(), cx = board->GetX();
    if (CXyStandButton* close = AddBoardButton(*board, "btn_redcrossEx", EV_FRAME_BOARD_CLOSE))
        close->MoveTo(right - 10 - close->GetWidth() / 2, top + 19);
    if (CXyStandButton* buy = AddBoardButton(*board, "btn_buycharacter", EV_FRAME_SHOP_CLOTHES))
        buy->MoveTo(match ? left + 75 : cx - 70, top + 290);
    if (!match)
        if (CXyStandButton* report = AddBoardButton(*board, "btn_report_personal", EV_FRAME_ACTIVITY_BAR, true)) {
            report->MoveTo(cx + 70, top + 290);
            reportButton_ = report;
        }
    return board;
}

void CXyGameFrame::ShowPlayerDetail(const GameUserRecord& user)
{
    SetDetailIds(user.UserId(), user.Character());
    PlaneObject* board = BuildDetailBoard(false);
    if (!board)
        return;
    RepaintDetailBoard(*board, user.Character(), 10, false, kNameColour);
    board->DrawTextCentred(195, 46, user.Name());
    IFrameApp* app = GetFrameApp();
    const std::vector<std::string> lines = DetailLines(user, app && app->IsSilverRoom(), GetWealthTitle(user.Silver()));
    board->SetFont(12, 400, kDialogFace);
    for (size_t i = 0; i < lines.size(); ++i) {
        board->SetPen(i < 2 ? kFirstLinesColour : kLinesColour, 1.0);
        board->DrawTextLine(145, 70 + int(i) * 18, lines[i]); // a level is the hall's text
    }
    board->Redraw();
}

void CXyGameFrame::ShowMatchPlayerDetail(const framework::MatchPlayerDetail& d)
{
    SetDetailIds(d.userId, d.character);
    PlaneObject* board = BuildDetailBoard(true);
    if (!board)
        return;
    RepaintDetailBoard(*board, d.character, 10, false, kNameColour);
    board->DrawTextCentred(190, 45, d.name);
    board->SetFont(12, 400, kDialogFace);
    board->SetPen(kLinesColour, 1.0);
    PictureInfo duan;
    GetRes(duan, "bit_Duan", d.rankLevel);
    board->DrawTextLine(155, 70, "段位");
    if (duan.width > 0)
        board->DrawPicture(duan, 205, 65, duan.width, duan.height);
    board->DrawTextLine(155, 100, "段位分");
    board->DrawTextLine(205, 100, std::to_string(d.rankPoints) + "/" + std::to_string(d.nextLevelPoints));
    const struct {
        Markup label;
        int y;
        int32_t value;
    } counts[] = {{"赢", 130, d.wins}, {"输", 150, d.losses}, {"和", 170, d.draws}};
    for (const auto& c : counts) {
        board->DrawTextLine(155, c.y, c.label);
        board->DrawTextLine(205, c.y, std::to_string(c.value));
    }
    board->DrawTextLine(155, 190, "胜率");
    board->DrawTextLine(205, 190, FormatRate(d.wins, d.wins, d.losses, d.draws, "100%"));
    const Markup text = FormatMarkup("<c=%d>%d胜<c=%d>%d负<c=%d>%d平", 255, d.matchWins, 65280, d.matchLosses,
                                     1892862, d.matchDraws);
    board->DrawTextLine(155, 220, "本场");
    board->DrawMarkupText(text, 205, int(board->GetWidth()) - 205, 20);
    board->Redraw();
}

void CXyGameFrame::ShowPlayerBoardSmall(uint32_t userId, int x, int y)
{
    if (!detailBoard_)
        return;
    const Rect r = SceneRect();
    const double hw = detailBoard_->GetWidth() / 2, hh = detailBoard_->GetHeight() / 2;
    const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    detailBoard_->SetZ(kDetailZ);
    detailBoard_->Activate();
    detailBoard_->SetAlpha(1.0);
    MoveDetailBoardWithin(x > cx ? x - hw : x + hw, y > cy ? y - hh : y + hh);
    detailBoard_->Redraw();
    ShowReportButtonFor(userId);
}

void CXyGameFrame::MoveDetailBoardWithin(double x, double y)
{
    const Rect r = SceneRect();
    const double hw = detailBoard_->GetWidth() / 2, hh = detailBoard_->GetHeight() / 2;
    PictureInfo small;
    GetRes(small, "PlayerBoardSmall", 0);
    const double margin = std::max(0, small.width);
    // The left and top win in a scene too small.
    x = std::max(std::min(x, r.right - hw - margin), r.left + hw + margin);
    y = std::max(std::min(y, r.bottom - hh - margin), r.top + hh + margin);
    detailBoard_->MoveTo(x, y);
}

void CXyGameFrame::OnUserClicked(uint32_t userId, int x, int y)
{
    IFrameApp* app = GetFrameApp();
    if (!app)
        return;
    if (app->IsRoomOptionBit3() && !app->IsLookOn() && userId != app->GetUserID())
        return;
    if (app->IsMatch()) {
        const std::optional<MatchPlayerDetail> detail = app->GetMatchPlayerDetail(userId);
        if (!detail) {
            SetDetailIds(-1, -1);
            if (detailBoard_) {
                detailBoard_->Deactivate();
                detailBoard_->Redraw();
            }
            return;
        }
        ShowMatchPlayerDetail(*detail);
        // Shown at the click point like the ordinary board; drawn alone it would stay hidden.
        ShowPlayerBoardSmall(userId, x, y);
        return;
    }
    ShowUserDetail(userId, 1);
}

namespace {

// The mouse in the main window's client coordinates; (0, 0) without a window.
platform::Point CursorInMainWindow(IFrameApp& app)
{
    if (CLumoraWnd* wnd = app.GetMainWnd(); wnd && wnd->GetWindow())
        return wnd->GetWindow()->CursorPos();
    return {0, 0};
}

} // namespace

void CXyGameFrame::ShowUserDetail(uint32_t userId, int hidePrevious)
{
    IFrameApp* app = GetFrameApp();
    if (!app)
        return;
    if (app->IsTestMode()) {
        if (const GameUserRecord* user = app->GetUserRecordByID(userId)) {
            ShowPlayerDetail(*user);
            const platform::Point p = CursorInMainWindow(*app);
            ShowPlayerBoardSmall(userId, p.x, p.y);
        }
        return;
    }
    if (hidePrevious && detailBoard_) {
        detailBoard_->Deactivate();
        detailBoard_->Redraw();
    }
    app->AskHallForUserDetail(userId);
}

void CXyGameFrame::ShowHallUserDetail(const GameUserRecord& user)
{
    // A board already showing this user is redrawn where it stands (a refresh); any other is
    // placed at the mouse, where the click that asked for it was.
    const bool shown = detailBoard_ && detailBoard_->IsActive() && detailUserId_ == user.UserId();
    ShowPlayerDetail(user);
    IFrameApp* app = GetFrameApp();
    if (shown || !app)
        return;
    const platform::Point p = CursorInMainWindow(*app);
    ShowPlayerBoardSmall(uint32_t(user.UserId()), p.x, p.y);
}

void CXyGameFrame::RefreshUserDetail()
{
    if (detailBoard_ && detailBoard_->IsActive() && detailUserId_ >= 0)
        ShowUserDetail(uint32_t(detailUserId_), 0);
}

void CXyGameFrame::OpenShopClothes(int clothesId)
{
    IFrameApp* app = GetFrameApp();
    if (clothesId < 0 || !app)
        return;
    char url[512];
    std::snprintf(url, sizeof url, "http://%s/?clothesid=%d", app->GetShopHost().c_str(), clothesId);
    if (app->IsTestMode())
        app->OpenWebPage(url);
    else
        app->SendTextToHall(url, 1);
}

void CXyGameFrame::GetShopHost()
{
    if (IFrameApp* app = GetFrameApp())
        app->SendTextToHall(app->GetShopHost(), 1);
}

void CXyGameFrame::SendRequest201230()
{
    IFrameApp* app = GetFrameApp();
    if (app && detailBoard_ && detailBoard_->IsActive())
        app->Request201230(uint32_t(detailUserId_));
}
