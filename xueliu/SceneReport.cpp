// The scene's report for tests that play through the real window: with XL_SCENE_REPORT naming a
// file, one JSON line is appended whenever a frame was built and what a player could see or
// click differs from the last line: the phase, the own turn, the open board, the own hand with
// each tile's box on the screen, the info boards' lines, the boxes of the buttons and controls shown (the table's, the
// open board's, the frame's settings button and splitter, the side panel's input line, emoticon
// button and picker), the result rows, whether the side panel, the skill bar and auto-play are on,
// the boxes the layout placed (ReportLayout) and the last chat lines. Written from the frame build,
// never on a timer: the engine sleeps between changes as a player's client does. Off without the
// variable; nothing else reads it.
#include "xueliu/SceneReport.h"

#include "xueliu/CMyGame.h"

#include "engine/object/CursorClipHost.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "framework/frame/CXyGameFrame.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/tiles/CMJCard2.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyChatFace.h"
#include "widgets/CXyCheckButton.h"
#include "widgets/CXyInputBox.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyStandDlg.h"
#include "widgets/SidePanelObjects.h"
#include "xueliu/CXyResultListXueliu.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>

using namespace Lumora;

namespace {

// The chat lines the report carries, the last ones.
constexpr size_t kReportedChatLines = 6;
// The info boards' lines the report carries: all of both.
constexpr size_t kReportedInfoLines = 16;

std::string JoinTiles(const std::vector<int>& tiles)
{
    std::string out = "[";
    for (int tile : tiles)
        out += (out.size() > 1 ? "," : "") + std::to_string(tile);
    return out + "]";
}

std::string BoxText(const Rect& r)
{
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
        std::to_string(r.bottom) + "]";
}

bool Shown(const PObject* o) { return o && o->IsActive() && o->IsVisible(); }

} // namespace

void CMyGame::StartReport()
{
    const char* path = std::getenv("XL_SCENE_REPORT");
    ObjectModule* module = GetObjectModule();
    if (!path || !*path || !module)
        return;
    reportPath_ = path;
    // The planes keep their texts for the report's info lines.
    PlaneObject::RecordTexts(true);
    // The layout's boxes change with every moving tile: a line a frame, for the walk that asks.
    const char* layout = std::getenv("XL_SCENE_LAYOUT");
    reportLayout_ = layout && *layout == '1';
    // By id: the scene may go before the module.
    module->SetFrameBuiltHook([module, id = GetId()] {
        if (auto* scene = dynamic_cast<CMyGame*>(module->FindById(id)))
            scene->WriteReport();
    });
}

// The object's box on the screen.
Rect CMyGame::ReportBox(const PObject& object) const { return ScreenBox(ObjectModule::ScreenRect(object.Geometry())); }

// A box of the view on the screen.
Rect CMyGame::ScreenBox(const Rect& r) const
{
    Rect viewport;
    CursorClipHost::Origin origin{};
    if (ObjectModule* module = GetObjectModule()) {
        module->GetViewport(viewport);
        if (CursorClipHost* host = module->GetCursorClipHost())
            origin = host->ClientOrigin();
    }
    const int dx = origin.x - viewport.left, dy = origin.y - viewport.top;
    return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// "[left,top,right,bottom]" on the screen.
std::string CMyGame::ReportRect(const PObject& object) const { return BoxText(ReportBox(object)); }

void CMyGame::WriteReport()
{
    auto field = [](const char* name, int value) { return ",\"" + std::string(name) + "\":" + std::to_string(value); };
    IGameWinApp* app = GetGameWinApp();
    auto* frame = dynamic_cast<CXyGameFrame*>(app ? app->GetGameFrame() : nullptr);
    // The side panel by its name, as the emoticon picker finds it.
    auto* panel = dynamic_cast<CSubSystem*>(FindByName(kSubSystemName));
    const auto* splitter = dynamic_cast<const CCySplitterBar*>(FindByName(CCySplitterBar::kName));
    std::string line = "{\"phase\":" + std::to_string(phase_) + field("turn", IsOwnTurn() ? 1 : 0) +
        field("locked", handLocked_ ? 1 : 0) + field("drawn", ownDrawnTile_) + field("mode", handMode) +
        field("missing", MissingSuit(OwnChair())) + field("board", boardKind_) +
        field("panel", splitter && splitter->IsExpanded() ? 1 : 0) + field("skill", Shown(skillBar) ? 1 : 0) +
        field("auto", autoPlay) + ",\"hand\":[";
    const char* comma = "";
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot) {
        const CMJCard2* t = Slot(kOwnSeat, slot);
        const PObject* body = t ? t->GetBodyPicture() : nullptr;
        if (!body || !t->placed || !t->inHand || t->meldKind != kMeldNone)
            continue;
        line += comma + ("{\"tile\":" + std::to_string(t->tile)) + field("dim", t->dimmed6) +
                ",\"rect\":" + ReportRect(*body) + "}";
        comma = ",";
    }
    line += "],\"own\":" + JoinTiles(OwnHandTiles()) + ",\"chosen\":" + JoinTiles(exchangeChoice_) + ",\"buttons\":{";
    comma = "";
    // A stand button is drawn by its face: the button itself has no size.
    auto button = [&](const char* name, const PObject* object) {
        const auto* stand = dynamic_cast<const CXyStandButton*>(object);
        const PObject* drawn = stand && stand->GetFace() ? stand->GetFace() : object;
        if (!Shown(object) || !Shown(drawn))
            return;
        line += comma + ("\"" + std::string(name) + "\":") + ReportRect(*drawn);
        comma = ",";
    };
    static const std::pair<int, const char*> kNamed[] = {
        {kBtnStart, "start"},         {kBtnPass, "pass"},         {kBtnHu, "hu"},
        {kBtnGang, "gang"},           {kBtnPeng, "peng"},         {kBtnHideSkill, "skillHide"},
        {kBtnShowSkill, "skillShow"}, {kBtnAutoPlay, "autoplay"}, {kBtnVolume, "volume"},
        {kBtnSort, "sort"}};
    for (const auto& [slot, name] : kNamed)
        button(name, buttons[size_t(slot)]);
    // The open board's buttons: "ok" is its first (OK, or "继续" on the result), then the others.
    if (Shown(board_)) {
        int other = 0;
        for (const PObject* object : boardObjects_) {
            const auto* b = dynamic_cast<const CXyStandButton*>(object);
            if (!b || !b->IsEnabled())
                continue;
            const std::string name = b == boardFirstButton_ ? "ok" : "board" + std::to_string(++other);
            button(name.c_str(), b);
        }
    }
    if (frame) {
        button("settings", frame->GetSettingsButton());
        button("details", frame->GetDetailBoard()); // a player's details, open over the table
    }
    if (splitter)
        button("splitter", splitter->GetArrow());
    const CGameInputBar* bar = panel ? panel->GetInputBar() : nullptr;
    if (bar) {
        button("input", bar->GetInput());
        button("send", bar->GetSendButton());
        button("faces", bar->GetFacesButton());
        // The picker's first face.
        const CXyChatFace* picker = bar->GetPicker();
        if (Shown(picker) && Shown(picker->GetPanel()) && !picker->GetFaces().empty()) {
            const Rect grid = ReportBox(*picker->GetPanel());
            const FaceGrid& g = picker->GetGrid();
            line += comma + std::string("\"face\":") +
                BoxText({grid.left + g.margin, grid.top + g.margin, grid.left + g.margin + g.cellSize,
                         grid.top + g.margin + g.cellSize});
            comma = ",";
        }
    }
    line += "},\"checks\":[";
    const std::vector<int> states = BoardCheckStates();
    for (size_t i = 0; i < boardChecks_.size(); ++i) {
        const auto* check = dynamic_cast<const CXyCheckButton*>(FindById(boardChecks_[i]));
        const PObject* face = check ? check->GetFace() : nullptr;
        line += (i ? ",{\"on\":" : "{\"on\":") + std::to_string(states[i]) +
                ",\"rect\":" + (face ? ReportRect(*face) : "[0,0,0,0]") + "}";
    }
    // The result's rows: how many detail lines each holds, whether it is unfolded, its box.
    line += "],\"rows\":[";
    const CXyResultListXueliu* list = boardKind_ == kBoardResult && Shown(board_) ? ResultList() : nullptr;
    for (int i = 0; list && i < list->GetBlockCount(); ++i) {
        const CXyResultBlockXueLiu* row = list->GetChairRow(i);
        const PObject* face = row ? row->GetFace() : nullptr;
        if (!face)
            continue;
        line += (i ? ",{\"lines\":" : "{\"lines\":") + std::to_string(row->DetailLines().size()) +
            field("open", list->GetSelected() == row ? 1 : 0) + ",\"rect\":" + ReportRect(*face) + "}";
    }
    line += "]";
    if (list) {
        const ChatLayout& content = list->Content();
        line += ",\"list\":" + ReportRect(*list) + ",\"scroll\":[" + std::to_string(content.ScrollY()) + "," +
            std::to_string(std::max(0, content.ContentHeight() - content.viewHeight)) + "]";
    }
    if (reportLayout_)
        line += ReportLayout();
    // The info boards' lines as drawn, while one shows.
    std::string info;
    for (const PlaneObject* board : {infoBoardBig, infoBoardSmall})
        if (Shown(board))
            for (const PlaneObject::TextBox& t : board->TextBoxes())
                info += t.text + "\n";
    line += ",\"info\":" + xueliu::ReportLines(info, kReportedInfoLines);
    // The side panel's last chat lines, emoticons as their codes; only while the box shows.
    const CXyChatBox* chat = panel ? panel->GetChatBox() : nullptr;
    line += ",\"chat\":" +
            xueliu::ReportLines(Shown(chat) ? chat->TextOf(chat->GetElementAt(0), nullptr) : "", kReportedChatLines) + "}";
    if (line == lastReport_)
        return;
    lastReport_ = line;
    std::ofstream(reportPath_, std::ios::app) << line + '\n' << std::flush;
}

// What the layout placed, shown now: the side panel and its parts, each seat's panel and the
// union of its hand and meld tiles and of its discards, the claim arrow with the meld tile it points at, and each
// claim or win label by its seat.
std::string CMyGame::ReportLayout()
{
    std::string out = ",\"layout\":{";
    auto add = [&](const std::string& name, const Rect& box) {
        out += (out.back() == '{' ? "\"" : ",\"") + name + "\":" + BoxText(box);
    };
    // By its extent: a holder's (a list, a bar) is that of what it holds, not its own picture's.
    auto shown = [&](const std::string& name, const PObject* object) {
        if (Shown(object))
            add(name,
                ScreenBox(Rect{int(std::lround(object->GetLeft())), int(std::lround(object->GetTop())),
                               int(std::lround(object->GetRight())), int(std::lround(object->GetBottom()))}));
    };
    const auto* splitter = dynamic_cast<const CCySplitterBar*>(FindByName(CCySplitterBar::kName));
    if (const auto* panel = dynamic_cast<CSubSystem*>(FindByName(kSubSystemName))) {
        if (splitter && splitter->IsExpanded())
            add("side", ScreenBox(panel->Bounds()));
        shown("users", panel->GetUserList());
        shown("chatBox", panel->GetChatBox());
        if (const CGameInputBar* bar = panel->GetInputBar())
            shown("inputBar", bar);
    }
    for (int seat = 0; seat < kSeatCount; ++seat) {
        shown("seat" + std::to_string(seat), players[size_t(seat)] ? players[size_t(seat)]->GetPlane() : nullptr);
        std::optional<Rect> tiles;
        for (int slot = 0; slot < GetMaxHandSlots(); ++slot) {
            const CMJCard2* t = Slot(seat, slot);
            if (!t || !t->placed || !Shown(t->GetBodyPicture()))
                continue;
            const Rect b = ReportBox(*t->GetBodyPicture());
            tiles = tiles ? Rect{std::min(tiles->left, b.left), std::min(tiles->top, b.top),
                                 std::max(tiles->right, b.right), std::max(tiles->bottom, b.bottom)}
                          : b;
        }
        if (tiles)
            add("tiles" + std::to_string(seat), *tiles);
    }
    // Each seat's discards, laid or on their way.
    std::array<std::optional<Rect>, kSeatCount> discards;
    for (const CMJCard2* t : pool)
        if (t && t->state == kTileDiscard && IsSeat(t->seat) && Shown(t->GetBodyPicture())) {
            const Rect b = ReportBox(*t->GetBodyPicture());
            std::optional<Rect>& d = discards[size_t(t->seat)];
            d = d ? Rect{std::min(d->left, b.left), std::min(d->top, b.top), std::max(d->right, b.right),
                         std::max(d->bottom, b.bottom)}
                  : b;
        }
    for (int seat = 0; seat < kSeatCount; ++seat)
        if (discards[size_t(seat)])
            add("discards" + std::to_string(seat), *discards[size_t(seat)]);
    if (Shown(claimPointer)) {
        shown("arrow", claimPointer);
        if (CMJCard2* target = FindClaimedMeldTile(tableBlock[0], tableBlock[1]))
            shown("arrowAt", target->GetBodyPicture());
    }
    const std::pair<const PObject*, int> labels[] = {
        {lastActionImageId ? FindById(lastActionImageId) : nullptr, labelSeat_}, {winPicture, winSeat_}};
    // A label by its word: our art draws it in the picture's upper half, the rest is clear.
    for (const auto& [label, seat] : labels)
        if (Shown(label) && IsSeat(seat)) {
            Rect word = ReportBox(*label);
            word.bottom = (word.top + word.bottom) / 2 - kLabelLift;
            add("label" + std::to_string(seat), word);
        }
    return out + "}";
}

std::string xueliu::ReportLines(std::string_view text, size_t keep)
{
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::string out = "[";
    for (size_t i = lines.size() > keep ? lines.size() - keep : 0; i < lines.size(); ++i) {
        out += out.size() > 1 ? ",\"" : "\"";
        for (const char c : lines[i]) {
            if (c == '"' || c == '\\')
                out += '\\';
            if (static_cast<unsigned char>(c) < 0x20)
                out += "\\u00" + std::string{"0123456789abcdef"[(c >> 4) & 15], "0123456789abcdef"[c & 15]};
            else
                out += c;
        }
        out += '"';
    }
    return out + "]";
}
