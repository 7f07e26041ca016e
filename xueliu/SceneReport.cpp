// The scene's report for tests that play through the real window: with XL_SCENE_REPORT naming a
// file, the scene appends one JSON line whenever what a player could see or click changes
// (looked at every 50 ms): the phase, the own turn, the open board, the own hand with each
// tile's screen rectangle, and the screen rectangles of the buttons shown. Off without the
// variable; nothing else reads it.
#include "xueliu/CMyGame.h"

#include "engine/object/CursorClipHost.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "mahjong/tiles/CMJCard2.h"
#include "widgets/CXyCheckButton.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyStandDlg.h"

#include <cstdlib>
#include <fstream>

using namespace Lumora;

namespace {

constexpr uint32_t kReportPeriodMs = 50;

std::string JoinTiles(const std::vector<int>& tiles)
{
    std::string out = "[";
    for (int tile : tiles)
        out += (out.size() > 1 ? "," : "") + std::to_string(tile);
    return out + "]";
}

} // namespace

void CMyGame::StartReport()
{
    const char* path = std::getenv("XL_SCENE_REPORT");
    if (!path || !*path)
        return;
    reportPath_ = path;
    const EventRecord tick{GetId(), kEvReportTick, 0, 0};
    ActRepeatEvent(kReportPeriodMs, -1, &tick);
}

// "[left,top,right,bottom]" on the screen.
std::string CMyGame::ReportRect(const PObject& object) const
{
    Rect viewport;
    CursorClipHost::Origin origin{};
    if (ObjectModule* module = GetObjectModule()) {
        module->GetViewport(viewport);
        if (CursorClipHost* host = module->GetCursorClipHost())
            origin = host->ClientOrigin();
    }
    const Rect r = ObjectModule::ScreenRect(object.Geometry());
    const int dx = origin.x - viewport.left, dy = origin.y - viewport.top;
    return "[" + std::to_string(r.left + dx) + "," + std::to_string(r.top + dy) + "," + std::to_string(r.right + dx) +
           "," + std::to_string(r.bottom + dy) + "]";
}

void CMyGame::WriteReport()
{
    auto shown = [](const PObject* o) { return o && o->IsActive() && o->IsVisible(); };
    auto field = [](const char* name, int value) { return ",\"" + std::string(name) + "\":" + std::to_string(value); };
    std::string line = "{\"phase\":" + std::to_string(phase_) + field("turn", IsOwnTurn() ? 1 : 0) +
                       field("locked", handLocked_ ? 1 : 0) + field("drawn", ownDrawnTile_) + field("mode", handMode) +
                       field("missing", MissingSuit(OwnChair())) + field("board", boardKind_) + ",\"hand\":[";
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
    static const std::pair<int, const char*> kNamed[] = {
        {kBtnStart, "start"}, {kBtnPass, "pass"}, {kBtnHu, "hu"}, {kBtnGang, "gang"}, {kBtnPeng, "peng"}};
    comma = "";
    for (const auto& [slot, name] : kNamed)
        if (const CXyStandButton* b = buttons[size_t(slot)]; shown(b)) {
            line += comma + ("\"" + std::string(name) + "\":") + ReportRect(*b);
            comma = ",";
        }
    // The open board's first button: OK, or "继续" on the result.
    if (shown(board_) && shown(boardFirstButton_) && boardFirstButton_->IsEnabled())
        line += comma + std::string("\"ok\":") + ReportRect(*boardFirstButton_);
    line += "},\"checks\":[";
    const std::vector<int> states = BoardCheckStates();
    for (size_t i = 0; i < boardChecks_.size(); ++i) {
        const auto* check = dynamic_cast<const CXyCheckButton*>(FindById(boardChecks_[i]));
        const PObject* face = check ? check->GetFace() : nullptr;
        line += (i ? ",{\"on\":" : "{\"on\":") + std::to_string(states[i]) +
                ",\"rect\":" + (face ? ReportRect(*face) : "[0,0,0,0]") + "}";
    }
    line += "]}";
    if (line == lastReport_)
        return;
    lastReport_ = line;
    std::ofstream(reportPath_, std::ios::app) << line + '\n' << std::flush;
}
