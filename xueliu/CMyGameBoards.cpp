// This game's boards on the scene (exchange three, missing suit, result, settings, the QR
// picture), its events, and the result of a hand.
#include "xueliu/CMyGame.h"

#include "engine/host/LumoraWnd.h"
#include "engine/object/PlaneObject.h"
#include "framework/app/CGameWinApp.h"
#include "framework/connection/Record.h"
#include "framework/frame/FrameSupport.h"
#include "framework/switchroom/CSwitchRoomDlg.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "platform/Message.h"
#include "platform/Window.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyStandDlg.h"
#include "xueliu/CGameApp.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/GameRecords.h"

#include <qrencode.h>

#include <cstdio>

using namespace Lumora;

namespace {

constexpr int kBoardWidth = 300;
constexpr int kLineHeight = 18;
constexpr double kBoardZ = 80000;
constexpr uint32_t kBoardFill = 0x203A2A;
constexpr uint32_t kTextColour = 0xFFFFFF;
constexpr int kQrModulePixels = 4;
constexpr size_t kQrTextOffset = 32;
constexpr size_t kQrTextMax = 512;
constexpr uint32_t kStartGameEx = 201165;

std::string Printf(const char* format, auto... args)
{
    char line[512];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

} // namespace

// ---- the board shell ----

void CMyGame::ShowBoard(int kind, const char* title, const std::vector<std::string>& lines,
                        const std::vector<std::pair<const char*, uint32_t>>& buttons)
{
    CloseBoard();
    auto* board = NewChild<CXyStandDlg>();
    if (!board)
        return;
    Own(board);
    PictureInfo frame;
    GetRes(frame, framework::kNoticeTemplate, 0);
    const int height = int(lines.size()) * kLineHeight + 48;
    board->CreateWithFill(&frame, kBoardFill, kBoardWidth, height);
    board->SetTitle(title);
    board->SetZ(kBoardZ);
    if (auto* plane = dynamic_cast<PlaneObject*>(board->GetClientPlane())) {
        plane->SetFont(12, 400, "宋体");
        plane->SetPen(kTextColour, 1.0);
        int y = 6;
        for (const std::string& line : lines) {
            plane->DrawTextLine(8, y, line);
            y += kLineHeight;
        }
        plane->Redraw();
    }
    Rect client;
    board->GetClientRect(client);
    PictureInfo face;
    GetRes(face, framework::kNoticeButtonPicture, 0);
    const int n = int(buttons.size());
    for (int i = 0; i < n; ++i) {
        auto* button = Own(board->NewChild<CXyStandButton>());
        if (!button)
            continue;
        const EventRecord notify{GetId(), buttons[size_t(i)].second, uintptr_t(kind), uintptr_t(i)};
        button->Create(&face, &notify, 0, 4);
        button->SetCaption(buttons[size_t(i)].first, 0, 12);
        const int x = int(client.left + (client.right - client.left) * (i + 1) / (n + 1));
        button->MoveTo(board->GetX() - board->GetWidth() / 2 + x, board->GetY() - board->GetHeight() / 2 + client.bottom - 16);
        button->SetZ(kBoardZ + 0.02);
        button->Activate();
        if (!boardFirstButton_)
            boardFirstButton_ = button;
        boardObjects_.push_back(button);
    }
    const Rect table = GetTableRect();
    const double dx = (table.left + table.right) / 2.0 - board->GetX(), dy = (table.top + table.bottom) / 2.0 - board->GetY();
    board->MoveTo(board->GetX() + dx, board->GetY() + dy);
    for (PObject* object : boardObjects_)
        object->MoveTo(object->GetX() + dx, object->GetY() + dy);
    board->Activate();
    board->Redraw();
    board_ = board;
    boardKind_ = kind;
}

void CMyGame::CheckSwitchRoom()
{
    switchroom::CheckSwitchRoom();
}

void CMyGame::CloseBoard()
{
    for (PObject* object : boardObjects_)
        ActDelete(object, nullptr);
    boardObjects_.clear();
    boardFirstButton_ = nullptr;
    if (board_)
        ActDelete(board_, nullptr);
    board_ = nullptr;
    boardKind_ = 0;
}

void CMyGame::ShowExchangeBoard(int seconds)
{
    if (seconds >= 0)
        missingSeconds_ = seconds;
    if (phase_ == kPhaseExchangeWait) {
        ShowBoard(kBoardExchange, "换三张", {"等待其他玩家…"}, {});
        return;
    }
    std::string chosen;
    static constexpr const char* kSuit[kSuits] = {"万", "条", "筒"};
    for (int t : exchangeChoice_)
        chosen += Printf("%d%s ", t % 9 + 1, kSuit[(t / 36) % kSuits]);
    ShowBoard(kBoardExchange, "换三张",
              {Printf("请选择同一花色的三张牌（%d秒）", missingSeconds_), "已选：" + chosen},
              {{"确定", kEvBoardOk}});
    if (boardFirstButton_ && exchangeChoice_.size() != 3)
        boardFirstButton_->Deactivate();
}

void CMyGame::ShowMissingBoard(int seconds)
{
    missingSeconds_ = seconds;
    static constexpr const char* kSuit[kSuits] = {"万", "条", "筒"};
    const int suit = recommendedSuit_ >= 0 && recommendedSuit_ < kSuits ? recommendedSuit_ : 0;
    boardChoice_ = suit;
    ShowBoard(kBoardMissing, "定缺", {Printf("请选择缺的花色（推荐：%s）", kSuit[suit]), Printf("%d秒", seconds)},
              {{"万", kEvBoardOk}, {"条", kEvBoardOk}, {"筒", kEvBoardOk}});
    if (seconds > 0)
        PostAfter(1000, kEvMissingTick, uintptr_t(seconds - 1));
}

void CMyGame::ShowSettingsBoard()
{
    auto* app = dynamic_cast<CGameApp*>(GetGameApp());
    if (!app)
        return;
    const GameSettings& s = app->Settings();
    auto mark = [](int on) { return on ? "√" : "  "; };
    ShowBoard(kBoardSettings, "设置",
              {Printf("%s 关闭声音", mark(s.keepSilence)), Printf("%s 拒绝看牌", mark(s.rejectKanPaiAsk)),
               Printf("%s 背景音乐", mark(s.musicOn))},
              {{"关闭声音", kEvBoardOk}, {"拒绝看牌", kEvBoardOk}, {"背景音乐", kEvBoardOk}, {"确定", kEvBoardClose}});
}

void CMyGame::ShowResultBoard()
{
    if (result_.size() < GameRecord::kResultSize)
        return;
    RecordReader r(result_.data(), result_.size());
    std::vector<std::string> lines;
    static constexpr const char* kReason[10] = {"", "点炮", "自摸", "抢杠", "刮风", "刮风", "下雨", "查花猪", "查大叫", "退税"};
    for (int chair = 0; chair < 4; ++chair) {
        const size_t at = 4 + size_t(chair) * GameRecord::kResultChairBlock;
        const int flags = r.I32(at + 92);
        std::string line = Printf("%s  %+d  胡%d次", ChairName(chair).c_str(), r.I32(at + 4), r.I32(at + 12));
        if (flags & 1)
            line += "  花猪";
        else if (flags & 2)
            line += "  未听牌";
        lines.push_back(line);
        int32_t counters[16];
        for (size_t i = 0; i < 16; ++i)
            counters[i] = r.I32(at + 24 + i * 4);
        if (r.I32(at + 12) > 0)
            lines.push_back("    " + FanLabels(counters, 0));
    }
    const int entries = std::clamp(r.I32(GameRecord::kResultSettlementCount), 0, int(GameRecord::kResultEntries));
    for (int i = 0; i < entries; ++i) {
        const size_t at = GameRecord::kResultEntriesOffset + size_t(i) * 16;
        const int reason = r.I32(at), from = r.I32(at + 4), to = r.I32(at + 8), amount = r.I32(at + 12);
        if (reason < 1 || reason > 9 || !ValidChairIndex(from) || !ValidChairIndex(to))
            continue;
        lines.push_back(Printf("  %s %s→%s %d", kReason[reason], ChairName(from).c_str(), ChairName(to).c_str(), amount));
    }
    ShowBoard(kBoardResult, "结算", lines, {{"继续", kEvResultContinue}, {"离开", kEvResultLeave}});
}

void CMyGame::OnBoardOk()
{
    switch (boardKind_) {
    case kBoardExchange: SendExchange(); break;
    case kBoardMissing: SendMissingSuit(boardChoice_); break;
    default: break;
    }
}

// ---- events ----

int CMyGame::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case kEvExchangeClick:
        for (CMJCard2* t : pool)
            if (t && reinterpret_cast<uintptr_t>(t) == record.param1 && t->seat == kOwnSeat)
                ToggleExchangeTile(*t);
        return 1;
    case kEvSettings: ShowSettingsBoard(); return 1;
    case kEvLowerReceived:
        for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
            if (CMJCard2* t = Slot(kOwnSeat, slot); t && t->raised) {
                t->raised = 0;
                TileChanged(*t);
            }
        received_.clear();
        return 1;
    case kEvBoardOk:
        if (int(record.param1) != boardKind_)
            return 1;
        if (boardKind_ == kBoardMissing) {
            boardChoice_ = int(record.param2);
            OnBoardOk();
        } else if (boardKind_ == kBoardSettings) {
            if (auto* app = dynamic_cast<CGameApp*>(GetGameApp())) {
                GameSettings s = app->Settings();
                int* field[3] = {&s.keepSilence, &s.rejectKanPaiAsk, &s.musicOn};
                if (record.param2 < 3)
                    *field[record.param2] = !*field[record.param2];
                app->SetSettings(s);
                app->SaveSettings();
                SoundSettings().keepSilence = s.keepSilence != 0;
                SoundSettings().musicOn = s.musicOn != 0;
                ShowSettingsBoard();
            }
        } else {
            OnBoardOk();
        }
        return 1;
    case kEvBoardClose: CloseBoard(); return 1;
    case kEvMissingTick:
        if (boardKind_ != kBoardMissing || phase_ != kPhaseMissing)
            return 1;
        if (record.param1 == 0) {
            SendMissingSuit(boardChoice_);
            return 1;
        }
        ShowMissingBoard(int(record.param1));
        return 1;
    case kEvResultContinue:
        CloseBoard();
        CheckSwitchRoom();
        OnBtnStartGame();
        return 1;
    case kEvResultLeave:
        CloseBoard();
        if (IGameWinApp* app = GetGameWinApp(); app && app->GetMainWnd())
            platform::PostToWindow(app->GetMainWnd()->GetMessageWindow(), platform::kMsgClose);
        return 1;
    default: return CMJMainGame2::OnEvent(record);
    }
}

// ---- the result ----

void CMyGame::OnNotifyGameResult(const uint8_t* data, size_t length)
{
    if (!NeedRecord(GameRecord::kResultSize, length, GameRecord::kResultSize))
        return;
    result_.assign(data, data + GameRecord::kResultSize);
    RecordReader r(data, length);
    if (!IsLookOnClient())
        FlashHostWindow();
    PlayTableSound("SndTanPai");
    RefreshInfo();
    ShowBanker(0);
    CreateGameInfoBoardBig(0);
    HideArrow();
    ClearChoiceMarks();
    HideActionButtons(0);
    // The last tile thrown with the wall empty goes to its discards: the middle stays clear.
    for (int seat = 0; seat < kSeatCount; ++seat)
        ParkStaleThrown(seat);
    CMJGameData2* info = GetSceneGameInfo();
    for (int chair = 0; chair < 4; ++chair) {
        const int seat = ChairToSeat(chair);
        if (!IsSeat(seat))
            continue;
        TileArray list;
        ClearTileArray(list);
        if (info)
            info->GetChairTiles(chair, list.data());
        for (int32_t& t : list)
            if (t < 0 || t >= kTiles)
                t = kNoEntry;
        ShowResultHand(seat, list);
        const size_t at = 4 + size_t(chair) * GameRecord::kResultChairBlock;
        const int wins = r.I32(at + 12), last = r.I32(at + 104);
        winCounts_[size_t(chair)] = std::max(wins, 0);
        // Each winner shows its own last winning tile; no second win effect.
        if (wins > 0 && last >= 0 && last < kTiles)
            ShowWinTile(seat, last);
        RefreshHand(seat);
        RefreshSeatMark(chair);
    }
    handLocked_ = false;
    phase_ = kPhaseEnded;
    SetPlayModeIdle();
    ShowResultBoard();
}

// ---- the QR picture ----

void CMyGame::OnQRCodeNotify(const uint8_t* data)
{
    if (!data)
        return;
    // The text at +32, zero-terminated within its field.
    std::string text;
    for (size_t i = kQrTextOffset; i < kQrTextOffset + kQrTextMax && data[i]; ++i)
        text.push_back(char(data[i]));
    if (text.empty())
        return;
    QRcode* code = QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M);
    if (!code) {
        Log("QR code: the text could not be encoded");
        return;
    }
    const int side = code->width * kQrModulePixels;
    ShowBoard(kBoardQr, "二维码", {}, {{"关闭", kEvBoardClose}});
    if (board_) {
        PlaneObject* picture = Own(NewPlaneObject(side + 8, side + 8, 0xFFFFFF));
        if (picture) {
            picture->SetName("QRCode_Image");
            picture->SetPen(0x000000, 1.0);
            for (int y = 0; y < code->width; ++y)
                for (int x = 0; x < code->width; ++x)
                    if (code->data[y * code->width + x] & 1)
                        picture->FillRect(4 + x * kQrModulePixels, 4 + y * kQrModulePixels,
                                          4 + (x + 1) * kQrModulePixels, 4 + (y + 1) * kQrModulePixels);
            picture->SetZ(kBoardZ + 0.03);
            picture->MoveTo(board_->GetX(), board_->GetY());
            picture->Activate();
            picture->Redraw();
            boardObjects_.push_back(picture);
        }
    }
    QRcode_free(code);
}
