// This game's boards on the scene (exchange three, missing suit, result, settings, the QR
// picture), its events, and the result of a hand.
#include "xueliu/CMyGame.h"

#include "engine/host/LumoraWnd.h"
#include "engine/music/MusicModule.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "framework/app/CGameWinApp.h"
#include "framework/connection/Record.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/FrameSupport.h"
#include "framework/switchroom/CSwitchRoomDlg.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "platform/Message.h"
#include "platform/Window.h"
#include "platform/WindowTypes.h"
#include "widgets/ChatFormat.h"
#include "widgets/CXyCheckButton.h"
#include "widgets/CXyCheckGroup.h"
#include "widgets/CXyRadioButton.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyStandDlg.h"
#include "widgets/WidgetSupport.h"
#include "xueliu/CGameApp.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CXyResultListXueliu.h"
#include "xueliu/GameRecords.h"
#include "xueliu/ResultSummary.h"

#include <qrencode.h>

#include <algorithm>
#include <cstdio>
#include <set>

using namespace Lumora;

namespace {

constexpr int kLineHeight = 18;
constexpr int kBoardTextTop = 6;
constexpr int kButtonRow = 42;
constexpr int kCheckSize = 20;
constexpr int kCheckRow = 28;
constexpr int kCheckColumn = 80;
constexpr int kResultBoardWidth = 380;
constexpr int kQrBoardWidth = 160;
constexpr int kResultListHeight = 210;
constexpr const char* kCheckPicture = "CheckButton";
constexpr const char* kRadioPicture = "RadioButton";
constexpr const char* kButtonPicture = "btn_board";
constexpr const char* kSuitNames[CMyGame::kSuits] = {"万", "条", "筒"};
constexpr double kBoardZ = 80000;
// What stands on a board (its buttons, checks, list, picture) moves, rises and repaints with it.
constexpr uint32_t kOnBoardLinks = LINK_Z | LINK_MOVE | LINK_REDRAW;
constexpr uint32_t kBoardFill = 0x203A2A;
constexpr uint32_t kTextColour = 0xFFFFFF;
constexpr int kQrModulePixels = 4;
constexpr size_t kQrTextOffset = 32;
constexpr size_t kQrTextMax = 512;

std::string Printf(const char* format, auto... args)
{
    char line[512];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

} // namespace

// ---- the board shell ----

std::pair<double, double> CMyGame::ShowBoard(int kind, const char* title, const std::vector<std::string>& lines,
                                             const std::vector<std::pair<const char*, uint32_t>>& buttons,
                                             int contentHeight, int width)
{
    CloseBoard();
    auto* board = NewChild<CXyStandDlg>();
    if (!board)
        return {0, 0};
    Own(board);
    PictureInfo frame;
    GetRes(frame, framework::kNoticeTemplate, 0);
    const int linesHeight = int(lines.size()) * kLineHeight;
    const int height = kBoardTextTop + linesHeight + contentHeight + (buttons.empty() ? 0 : kButtonRow);
    board->CreateWithFill(&frame, kBoardFill, width, height);
    board->SetTitle(title);
    // Its activation raises it, with what stands on it, over a board open before it.
    board->SetZ(kBoardZ);
    board_ = board;
    boardKind_ = kind;
    const TablePoint at = BoardPlace(int(board->GetWidth()), int(board->GetHeight()));
    board->MoveTo(at.x, at.y);
    boardLines_ = lines;
    DrawBoardLines();
    Rect client;
    board->GetClientRect(client);
    const double left = board->GetX() - board->GetWidth() / 2 + client.left;
    const double top = board->GetY() - board->GetHeight() / 2 + client.top;
    PictureInfo face;
    GetRes(face, kButtonPicture, 0);
    const int n = int(buttons.size());
    for (int i = 0; i < n; ++i) {
        auto* button = Own(board->NewChild<CXyStandButton>());
        if (!button)
            continue;
        const EventRecord notify{GetId(), buttons[size_t(i)].second, uintptr_t(kind), uintptr_t(i)};
        button->Create(&face, &notify, 0, 4);
        button->SetHandCursor(1);
        button->SetCaption(buttons[size_t(i)].first, kTextColour, 12);
        button->MoveTo(left + (client.right - client.left) * (i + 1) / double(n + 1), top + client.bottom - client.top - 16);
        PutOnBoard(*button, 0.02);
        button->Enable(true);
        button->Activate();
        button->Redraw();
        if (!boardFirstButton_)
            boardFirstButton_ = button;
    }
    board->Activate();
    board->Redraw();
    SettingsFollowBoard();
    return {left, top + kBoardTextTop + linesHeight};
}

void CMyGame::SettingsFollowBoard()
{
    // One board at a time: over a step's or the result's board 设置 opens nothing, and shows so.
    IGameWinApp* app = GetGameWinApp();
    auto* frame = dynamic_cast<CXyGameFrame*>(app ? app->GetGameFrame() : nullptr);
    CXyStandButton* settings = frame ? frame->GetSettingsButton() : nullptr;
    const bool enable = !board_ || boardKind_ == kBoardSettings;
    if (settings && (settings->IsEnabled() != 0) != enable)
        settings->Enable(enable);
}

void CMyGame::OnSize()
{
    CMJMainGame2::OnSize();
    CentreBoardOnTable();
    // The seats' marks stand under their panels, which the layout may have moved.
    for (int chair = 0; chair < int(GameRecord::kChairs); ++chair)
        RefreshSeatMark(chair);
}

Rect CMyGame::OpenBoardBox() const
{
    return board_ && board_->IsActive() ? Rect{int(board_->GetLeft()), int(board_->GetTop()), int(board_->GetRight()),
                                               int(board_->GetBottom())}
                                        : Rect{};
}

void CMyGame::CentreBoardOnTable()
{
    if (!board_)
        return;
    const TablePoint at = BoardPlace(int(board_->GetWidth()), int(board_->GetHeight()));
    const double dx = at.x - board_->GetX(), dy = at.y - board_->GetY();
    if (dx == 0 && dy == 0)
        return;
    board_->MoveBy(dx, dy);
    board_->Redraw();
}

void CMyGame::PutOnBoard(PObject& object, double dz)
{
    // The board draws in the top-most layer: its content goes there too.
    object.SetTopMost();
    object.SetZ(board_->GetZ() + dz);
    board_->AddChild(&object, kOnBoardLinks);
    boardObjects_.push_back(&object);
}

void CMyGame::DrawBoardLines()
{
    auto* plane = board_ ? dynamic_cast<PlaneObject*>(board_->GetClientPlane()) : nullptr;
    if (!plane)
        return;
    plane->Clear();
    plane->SetFont(12, 400, "宋体");
    plane->SetPen(kTextColour, 1.0);
    int y = kBoardTextTop;
    for (const std::string& line : boardLines_) {
        plane->DrawTextLine(8, y, line);
        y += kLineHeight;
    }
    for (const BoardLabel& label : boardLabels_)
        plane->DrawTextLine(label.x, label.y, label.text);
    plane->Redraw();
}

void CMyGame::AddBoardCheck(CXyCheckGroup& group, const char* label, int checked, bool radio, double x, double y)
{
    CXyCheckButton* button = radio ? static_cast<CXyCheckButton*>(Own(board_->NewChild<CXyRadioButton>()))
                                   : Own(board_->NewChild<CXyCheckButton>());
    if (!button)
        return;
    PictureInfo skin;
    GetRes(skin, radio ? kRadioPicture : kCheckPicture, 0);
    button->Create(&skin, checked ? 1 : 0);
    group.AddMember(button);
    button->MoveTo(x + kCheckSize / 2.0, y + kCheckSize / 2.0);
    PutOnBoard(*button, 0.02);
    button->Activate();
    button->Redraw();
    boardChecks_.push_back(button->GetId());
    // The label beside the box, on the board's own text.
    Rect client;
    board_->GetClientRect(client);
    const double clientLeft = board_->GetX() - board_->GetWidth() / 2 + client.left;
    const double clientTop = board_->GetY() - board_->GetHeight() / 2 + client.top;
    boardLabels_.push_back({int(x - clientLeft) + kCheckSize + 4, int(y - clientTop) + (kCheckSize - 12) / 2, label});
    DrawBoardLines();
}

CXyCheckGroup* CMyGame::NewBoardGroup(int multiple)
{
    auto* group = board_ ? Own(board_->NewChild<CXyCheckGroup>()) : nullptr;
    if (!group)
        return nullptr;
    group->SetMultiple(multiple);
    boardObjects_.push_back(group);
    return group;
}

std::vector<int> CMyGame::BoardCheckStates() const
{
    std::vector<int> states;
    for (uint32_t id : boardChecks_) {
        auto* button = dynamic_cast<CXyCheckButton*>(FindById(id));
        states.push_back(button ? button->GetCheck() : 0);
    }
    return states;
}

CXyResultListXueliu* CMyGame::ResultList() const
{
    return resultListId_ ? dynamic_cast<CXyResultListXueliu*>(FindById(resultListId_)) : nullptr;
}

void CMyGame::CheckSwitchRoom()
{
    switchroom::CheckSwitchRoom();
}

void CMyGame::CloseBoard()
{
    // Hidden and repainted at once: a board opened meanwhile must not show the old one's texts
    // over its own. An object only deactivated is still drawn until it is repainted.
    for (PObject* object : boardObjects_) {
        object->Deactivate();
        object->Redraw();
        ActDelete(object, nullptr);
    }
    boardObjects_.clear();
    boardChecks_.clear();
    boardLines_.clear();
    boardLabels_.clear();
    resultListId_ = 0;
    boardFirstButton_ = nullptr;
    if (board_) {
        board_->Deactivate();
        board_->Redraw();
        ActDelete(board_, nullptr);
    }
    board_ = nullptr;
    boardKind_ = 0;
    SettingsFollowBoard();
    // The keys the board or its list took go back to what had them before (the input line) by
    // the input module's rule: their holder is deactivated here.
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
    for (int t : exchangeChoice_)
        chosen += Printf("%d%s ", t % 9 + 1, kSuitNames[(t / 36) % kSuits]);
    std::vector<std::string> lines{Printf("请选择同一花色的三张牌（%d秒）", missingSeconds_), "已选：" + chosen};
    // The count-down and a pick redraw the open board: made anew it would open over what opened
    // since (a player's details).
    if (boardKind_ == kBoardExchange && boardFirstButton_) {
        boardLines_ = std::move(lines);
        DrawBoardLines();
    } else {
        ShowBoard(kBoardExchange, "换三张", lines, {{"确定", kEvBoardOk}});
    }
    // OK waits for three tiles.
    if (boardFirstButton_) {
        boardFirstButton_->Enable(exchangeChoice_.size() == 3);
        boardFirstButton_->Redraw();
    }
}

// Three radio buttons, the recommended suit checked; the count-down runs on the board's text.
void CMyGame::ShowMissingBoard(int seconds)
{
    missingSeconds_ = seconds;
    const int suit = recommendedSuit_ >= 0 && recommendedSuit_ < kSuits ? recommendedSuit_ : 0;
    const auto [left, top] = ShowBoard(kBoardMissing, "定缺", MissingBoardLines(seconds), {{"确定", kEvBoardOk}},
                                       kCheckRow);
    if (CXyCheckGroup* group = NewBoardGroup(0))
        for (int s = 0; s < kSuits; ++s)
            AddBoardCheck(*group, kSuitNames[s], s == suit, true, left + 24 + s * kCheckColumn, top + 4);
    // Ticks of an earlier board carry an older serial and are dropped.
    ++missingSerial_;
    if (seconds > 0)
        PostAfter(1000, kEvMissingTick, uintptr_t(seconds - 1), missingSerial_);
}

std::vector<std::string> CMyGame::MissingBoardLines(int seconds) const
{
    const int suit = recommendedSuit_ >= 0 && recommendedSuit_ < kSuits ? recommendedSuit_ : 0;
    return {Printf("请选择缺的花色（推荐：%s）", kSuitNames[suit]), Printf("%d秒", seconds)};
}

// The suit whose radio button is checked; the recommendation when none is.
int CMyGame::CheckedMissingSuit() const
{
    const std::vector<int> states = BoardCheckStates();
    for (size_t s = 0; s < states.size(); ++s)
        if (states[s])
            return int(s);
    return recommendedSuit_;
}

void CMyGame::ShowSettingsBoard()
{
    auto* app = dynamic_cast<CGameApp*>(GetGameApp());
    if (!app)
        return;
    // One board at a time: a step's or the result's board is not thrown away for the settings.
    if (board_ && boardKind_ != kBoardSettings) {
        Log("settings: another board is open");
        return;
    }
    const GameSettings& s = app->Settings();
    // "取消" and Escape leave the settings as they were.
    const auto [left, top] =
        ShowBoard(kBoardSettings, "设置", {}, {{"确定", kEvBoardOk}, {"取消", kEvBoardClose}}, 3 * kCheckRow);
    if (CXyCheckGroup* group = NewBoardGroup(1)) {
        const std::pair<const char*, int> items[] = {
            {"关闭声音", s.keepSilence}, {"拒绝看牌", s.rejectKanPaiAsk}, {"背景音乐", s.musicOn}};
        for (size_t i = 0; i < std::size(items); ++i)
            AddBoardCheck(*group, items[i].first, items[i].second, false, left + 24, top + 4 + double(i) * kCheckRow);
    }
    TakeBoardKeys();
}

void CMyGame::TakeBoardKeys()
{
    if (!board_)
        return;
    std::set<PObject*> seen;
    std::vector<PObject*> next(boardObjects_.begin(), boardObjects_.end());
    next.push_back(board_);
    while (!next.empty()) {
        PObject* object = next.back();
        next.pop_back();
        if (!object || !seen.insert(object).second)
            continue;
        // What a press can hit: a widget never is itself, its body and the objects under it
        // are when they take input (a hook would make a caption take a button's clicks).
        if (auto* widget = dynamic_cast<CLumoraGui*>(object))
            next.push_back(widget->GetBody());
        else if (object->IsEnabled())
            object->AddEventHook(EV_KEY_DOWN, GetId(), kEvBoardKey, uintptr_t(boardKind_), 0);
        for (const PObject::ChildLink& link : object->Children())
            next.push_back(link.child);
    }
    // The body takes the focus, and so the presses on the board between its checks and buttons:
    // they must not reach the table under it.
    if (PObject* body = board_->GetBody()) {
        body->AddEventHook(EV_KEY_DOWN, GetId(), kEvBoardKey, uintptr_t(boardKind_), 0);
        body->SetTopLevel(true);
        SetFocusObject(body->GetId());
    }
}

// The checked boxes become the settings, written at once.
void CMyGame::ApplySettingsBoard()
{
    auto* app = dynamic_cast<CGameApp*>(GetGameApp());
    const std::vector<int> states = BoardCheckStates();
    if (!app || states.size() != 3)
        return;
    GameSettings s = app->Settings();
    s.keepSilence = states[0];
    s.rejectKanPaiAsk = states[1];
    s.musicOn = states[2];
    app->SetSettings(s);
    if (!app->SaveSettings())
        Log("settings: the game's ini could not be written");
    // The table's sound follows at once: silence mutes it all; the music stops or starts.
    SoundSettings().musicOn = s.musicOn != 0;
    if (s.keepSilence) {
        SetSoundOff();
    } else {
        if (auto* music = dynamic_cast<MusicModule*>(GetMusicModule()); music && musicChannel_ && !s.musicOn) {
            music->Stop(musicChannel_);
            musicChannel_ = 0;
        }
        SetSoundOn();
    }
    CloseBoard();
}

void CMyGame::ShowResultBoard()
{
    CMJGameData2* info = GetSceneGameInfo();
    const bool silverRoom = info && info->GetStartValue54() != 0;
    const auto rows = xueliu::BuildResultRows(result_.data(), result_.size(), handRecords_, silverRoom,
                                              [this](int chair) { return ChairName(chair); });
    if (rows.empty())
        return;
    const auto [left, top] = ShowBoard(kBoardResult, "结算", {}, {{"继续", kEvResultContinue}, {"离开", kEvResultLeave}},
                                       kResultListHeight + 8, kResultBoardWidth);
    auto* list = board_ ? Own(board_->NewChild<CXyResultListXueliu>()) : nullptr;
    if (!list)
        return;
    list->Create(kResultBoardWidth - 16, kResultListHeight, chat_style::kDefault | chat_style::kScrollBars, 0);
    list->SetBackgroundColor(kBoardFill);
    list->MoveTo(left + kResultBoardWidth / 2.0, top + 4 + kResultListHeight / 2.0);
    PutOnBoard(*list, 0.02);
    list->Enable(true);
    list->Activate();
    for (const xueliu::ResultRow& row : rows)
        list->AddChairRow(row);
    list->Redraw();
    resultListId_ = list->GetId();
}

void CMyGame::OnBoardOk()
{
    switch (boardKind_) {
    case kBoardExchange: SendExchange(); break;
    case kBoardMissing: SendMissingSuit(CheckedMissingSuit()); break;
    case kBoardSettings: ApplySettingsBoard(); break;
    default: break;
    }
}

// ---- events ----

int CMyGame::OnEvent(const EventRecord& record)
{
    if (record.code == EV_REPLACEMENT_GANG)
        ownDrawnTile_ = int(record.param1 & 0xFFFF); // the tile, by value (SceneInput)
    switch (record.code) {
    case kEvExchangeClick:
        for (CMJCard2* t : pool)
            if (t && reinterpret_cast<uintptr_t>(t) == record.param1 && t->seat == kOwnSeat)
                ToggleExchangeTile(*t);
        return 1;
    case kEvSettings: ShowSettingsBoard(); return 1;
    case kEvExchangeRetry:
        if (record.param2 == exchangeSerial_)
            BeginExchange(int(record.param1));
        return 1;
    case kEvLowerReceived:
        for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
            if (CMJCard2* t = Slot(kOwnSeat, slot); t && t->raised) {
                t->raised = 0;
                TileChanged(*t);
            }
        received_.clear();
        return 1;
    case kEvBoardOk:
        if (int(record.param1) == boardKind_)
            OnBoardOk();
        return 1;
    case kEvBoardClose:
        if (int(record.param1) == boardKind_)
            CloseBoard();
        return 1;
    case kEvBoardKey:
        // Only the settings take keys: Escape leaves them as they were.
        if (int(record.param1) == boardKind_ && InputDataOf(*this, record).key == platform::vk::kEscape)
            CloseBoard();
        return 1;
    case kEvWinLabelFade:
        if (winPicture && record.param1 == winSerial_)
            ActFadeTo(winPicture, -kWinLabelFadeStep, 0.0, GetActionInterval(), nullptr);
        return 1;
    case kEvExchangeTick:
        if (boardKind_ != kBoardExchange || phase_ != kPhaseExchange || record.param2 != exchangeSerial_)
            return 1;
        // At the end a complete choice goes; without one the server chooses.
        if (record.param1 == 0 && exchangeChoice_.size() == 3) {
            SendExchange();
            return 1;
        }
        ShowExchangeBoard(int(record.param1));
        if (record.param1 > 0)
            PostAfter(1000, kEvExchangeTick, record.param1 - 1, exchangeSerial_);
        return 1;
    // While the three are chosen a raised tile is a pick: hovering must not raise or lower any.
    case EV_TILE_ENTER:
    case EV_TILE_LEAVE:
        if (phase_ == kPhaseExchange)
            return 1;
        return CMJMainGame2::OnEvent(record);
    case kEvMissingTick:
        if (boardKind_ != kBoardMissing || phase_ != kPhaseMissing || record.param2 != missingSerial_)
            return 1;
        // The time ran out: the recommendation goes, as the server would take it.
        if (record.param1 == 0) {
            SendMissingSuit(recommendedSuit_);
            return 1;
        }
        missingSeconds_ = int(record.param1);
        boardLines_ = MissingBoardLines(missingSeconds_);
        DrawBoardLines();
        PostAfter(1000, kEvMissingTick, record.param1 - 1, missingSerial_);
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
    // A claim's label does not outlive the play it told of (a gang just before the wall ran out).
    RemoveActionImage();
    // The last tile thrown with the wall empty goes to its discards: the middle stays clear.
    for (int seat = 0; seat < kSeatCount; ++seat)
        ParkStaleThrown(seat);
    for (int chair = 0; chair < 4; ++chair) {
        const int seat = ChairToSeat(chair);
        if (!IsSeat(seat))
            continue;
        ShowResultHand(seat, StoredChairTiles(chair, [](int t) { return t >= 0 && t < kTiles; }));
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
    course_ = kCourseEnded;
    SetPlayModeIdle();
    MarkHandOver();
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
    // The picture and its quiet margin lie in the board's content, above the button.
    const int width = std::max(kQrBoardWidth, side + 24);
    const auto [left, top] = ShowBoard(kBoardQr, "二维码", {}, {{"关闭", kEvBoardClose}}, side + 16, width);
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
            picture->MoveTo(left + width / 2.0, top + (side + 16) / 2.0);
            PutOnBoard(*picture, 0.03);
            picture->Activate();
            picture->Redraw();
        }
    }
    QRcode_free(code);
}
