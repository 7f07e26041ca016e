// The engine's own pieces of UI: the message box, the system details box, the system note
// with its live counters and the centred system board.
#include "engine/senior/CClassSenior.h"

#include "engine/GameCore.h"
#include "engine/action/ActionParams.h"
#include "engine/action/ActionSteps.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModule.h"
#include "engine/senior/MessageText.h"
#include "engine/util/MemPool.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace Lumora {
namespace {

constexpr const char* kBoxFace = "宋体";
constexpr uint32_t kNoteRefreshMs = 1000;

MessageBoxFactory& BoxFactory()
{
    static MessageBoxFactory factory;
    return factory;
}

std::string Format(const char* format, auto... values)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

ObjectModule* ObjectsOf(GameCore* core)
{
    return core ? dynamic_cast<ObjectModule*>(core->GetModule(LUMORA_MODULE_OBJECT)) : nullptr;
}

double FrameRateOf(GameCore* core)
{
    auto* paint = core ? dynamic_cast<PaintModule*>(core->GetModule(LUMORA_MODULE_PAINT)) : nullptr;
    return paint ? paint->GetFrameRate() : 0.0;
}

// The note's refresh: every second, its counters drawn afresh. It never ends by itself.
int RefreshNoteStep(PObject* target, void*, GameCore* core, uint32_t)
{
    auto* note = static_cast<PlaneObject*>(target);
    ObjectModule* objects = ObjectsOf(core);
    note->Clear();
    note->BringToFront();
    note->DrawTextLine(0, 0, Format("实体:%ld", long(objects ? objects->GetObjectCount() : 0)));
    note->DrawTextLine(0, 20, Format("事件:%ld", long(objects ? objects->CountPendingActions() : 0)));
    note->DrawTextLine(0, 40, Format("FPS :%0.1f", FrameRateOf(core)));
    note->Redraw();
    return 0;
}

// Shown transparent in the middle of the view, then faded in.
void PresentCentred(CClassSenior& owner, PObject& box)
{
    box.MoveTo(owner.GetViewWidth() / 2, owner.GetViewHeight() / 2);
    box.SetAlpha(0);
    box.Activate();
    box.Redraw();
    owner.ActFadeTo(&box, 0.1, 1.0, 0, nullptr);
}

} // namespace

void CClassSenior::SetMessageBoxFactory(MessageBoxFactory factory) { BoxFactory() = std::move(factory); }

void CClassSenior::ShowMessage(const char* text, const EventRecord* ok, const EventRecord* cancel, int seconds)
{
    if (!BoxFactory())
        return;
    const MessageBoxParts parts = BoxFactory()(*this, 10, 10, ok, cancel, seconds);
    if (!parts.box || !parts.plane)
        return;
    PlaneObject& plane = *parts.plane;
    plane.SetPen(uint32_t(GetSetting(SETTING_BOX_TEXT_COLOUR)), 1.0);
    plane.SetFont(15, 400, kBoxFace);
    plane.SetMargins(10, 10);

    const std::vector<std::string_view> lines = SplitMessageLines(text ? text : "");
    // A blank line keeps the height of a line, so that paragraphs stay apart.
    auto measure = [&](std::string_view line, int width) { return plane.MeasureText(line.empty() ? " " : line, width); };
    const MessageBoxSize size = FitMessageBox(lines, measure);
    plane.ResizeSurface(size.width, size.height);
    plane.SetSize(size.width, size.height);

    plane.SetBackgroundColour(uint32_t(GetSetting(SETTING_BOX_FILL_COLOUR)));
    plane.Clear();
    plane.DrawBorder(0, 2);
    plane.DrawBorder(uint32_t(GetSetting(SETTING_BOX_FRAME_COLOUR)), 1);
    int y = 10;
    for (std::string_view line : lines) {
        plane.DrawTextWrapped(line, y);
        y += measure(line, size.width);
    }

    const double row = plane.GetY() + size.height / 2 - 20;
    const double centre = plane.GetX();
    if (parts.ok && parts.cancel) {
        parts.ok->MoveTo(centre - parts.ok->GetWidth() / 2 - 10, row);
        parts.cancel->MoveTo(centre + parts.cancel->GetWidth() / 2 + 10, row);
    } else if (parts.ok) {
        parts.ok->MoveTo(centre, row);
    }
    if (parts.countdown) {
        const PObject* beside = parts.ok ? parts.ok : parts.cancel;
        const double right = beside ? beside->GetLeft() - 10 : centre;
        parts.countdown->MoveTo(right - parts.countdown->GetWidth() / 2, row);
    }
    parts.box->SetZ(100000.0);
    PresentCentred(*this, *parts.box);
}

void CClassSenior::ShowSystemDetails()
{
    if (!BoxFactory())
        return;
    const MessageBoxParts parts = BoxFactory()(*this, 300, 200, nullptr, nullptr, -1);
    if (!parts.box || !parts.plane)
        return;
    PlaneObject& plane = *parts.plane;
    plane.SetBackgroundColour(0x8000);
    plane.Clear();
    plane.DrawBorder(0, 1);
    plane.SetPen(0xFFFFFF, 1.0);
    plane.SetFont(15, 400, kBoxFace);
    const ObjectModule* objects = GetObjectModule();
    plane.DrawTextLine(100, 0, "<size=20>系统详情");
    plane.DrawTextLine(10, 20, Format("实体:%d", int(objects ? objects->GetObjectCount() : 0)));
    plane.DrawTextLine(10, 40, Format("事件:%d", int(objects ? objects->CountPendingActions() : 0)));
    plane.DrawTextLine(10, 60, Format("内存申请:%ld Byte", long(CMemPool::RequestedBytes())));
    plane.DrawTextLine(10, 80, Format("内存使用:%ld Byte", long(CMemPool::InUseBytes())));
    plane.DrawTextLine(10, 100, Format("FPS:%.1f 帧", FrameRateOf(GetCore())));
    PresentCentred(*this, *parts.box);
}

void CClassSenior::ShowSystemNote(bool show)
{
    auto* note = dynamic_cast<PlaneObject*>(FindByName(kSystemNoteName));
    if (!note) {
        note = NewPlaneObject(100, 100, kColourKey);
        if (!note)
            return;
        note->SetTopMost();
        note->MoveTo(50.0, 50.0);
        note->SetName(kSystemNoteName);
        note->SetPen(0xFF, 1.0);
        note->SetFont(15, 400, kBoxFace);
        note->Redraw();
    }
    CancelObjectActions(note->GetId());
    if (!show) {
        note->Deactivate();
        note->Redraw();
        return;
    }
    note->BringToFront();
    note->Activate();
    note->Redraw();
    if (ActionRecord* refresh = MakeAction(note, RefreshNoteStep, kNoteRefreshMs, nullptr))
        PostAction(refresh);
}

void CClassSenior::ShowSystemBoard(const char* text, int seconds)
{
    auto* board = dynamic_cast<PlaneObject*>(FindSystemBoard());
    if (!board) {
        board = NewPlaneObject(10, 10, kColourKey);
        if (!board)
            return;
        board->SetTopMost();
        board->SetName(kSystemBoardName);
        board->SetPen(0, 1.0);
        board->SetFont(15, 400, kBoxFace);
        board->SetDraggable(true);
    }
    // A board shown again drops the fade and the hiding time of its previous showing, so that
    // an earlier time limit cannot hide the new notice.
    CancelObjectActions(board->GetId());
    if (text) {
        TextStyle style;
        board->GetTextStyle(style);
        const unsigned bytes = unsigned(std::strlen(text));
        unsigned width = unsigned(style.size) * bytes / 2;
        const unsigned limit = unsigned(GetViewWidth() / 2);
        if (width > limit)
            width = limit;
        const int height = board->MeasureText(text, int(width));
        width += 20;
        board->ResizeSurface(int(width), height + 20);
        board->SetSize(width, height + 20);
        board->SetBackgroundColour(0x8000);
        board->SetMargins(10, 10);
        board->Clear();
        board->DrawTextLine(0, 10, text);
        board->DrawBorder(0, 2);
        board->DrawBorder(0xFFFFFF, 1);
    }
    board->BringToFront();
    PresentCentred(*this, *board);
    if (seconds > 0) {
        const EventRecord hide{board->GetId(), EV_DEACTIVATE, 0, 0};
        // Aimed at the board, so that hiding or showing it again cancels the pending hide.
        if (ActionRecord* wait = MakeAction(board, WaitStep, uint32_t(seconds) * 1000, &hide)) {
            EmplaceParams<WaitParams>(*wait).duration = uint32_t(seconds) * 1000;
            PostAction(wait);
        }
    }
}

void CClassSenior::HideSystemBoard()
{
    PObject* board = FindSystemBoard();
    if (!board)
        return;
    CancelObjectActions(board->GetId());
    board->Deactivate();
    board->Redraw();
}

PObject* CClassSenior::FindSystemBoard() const { return FindByName(kSystemBoardName); }

} // namespace Lumora
