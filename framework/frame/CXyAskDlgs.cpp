// The question boxes built on the timed box: with an input box, and the two notice questions.
#include "framework/frame/CXyAskDlgs.h"

#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "framework/frame/FrameTexts.h"
#include "widgets/CXyInputBox.h"
#include "widgets/CXyStandButton.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cstring>

using namespace Lumora;
using namespace framework;

namespace {

constexpr uint32_t kInputBackground = 0xEAF2F2;
constexpr uint32_t kInputBorder = 0x5A5151;
constexpr uint32_t kRuleUpper = 0xBDD0B4;
constexpr uint32_t kRuleLower = 0xDEEED7;

// The red the headers' own "<c=255>%s" gives the name.
constexpr uint32_t kAskNameColour = 255;

// Width of the notice questions: by the name's bytes, never by the font's glyphs.
int NoticeTextWidth(size_t nameLength, int fs) { return std::max(12, int(nameLength + 10) / 2) * fs; }

// The bold header and the two-line rule under it. The header's format ("<c=255>%s<c=0> ...") is
// drawn in two calls: the name plain in the format's red, then the markup after "%s".
void DrawHeader(PlaneObject& plane, const Markup& format, const std::string& name, int fs)
{
    plane.SetPen(kAskNameColour, 1.0);
    plane.SetFont(fs, 700, kDialogFace);
    plane.DrawTextLine(0, 0, name);
    const size_t slot = format.Text().find("%s");
    plane.SetPen(0, 1.0);
    // After the name as drawn (plain), not as its bytes would lie in markup.
    if (slot != std::string_view::npos)
        plane.DrawTextLine(plane.TextWidth(name), 0, format.Cut(slot + 2));
    const int right = plane.GetSurfaceWidth() - 1;
    plane.SetPen(kRuleUpper, 1.0);
    plane.DrawLine(0, fs + 5, right, fs + 5);
    plane.SetPen(kRuleLower, 1.0);
    plane.DrawLine(0, fs + 6, right, fs + 6);
    plane.SetPen(0, 1.0);
    plane.SetFont(fs, 400, kDialogFace);
}

// The portrait frame behind a notice question's icon.
void FramePortrait(CXyTimerDlg& dlg, BITObject* icon)
{
    if (!icon)
        return;
    PictureInfo info;
    BITObject* frame = dlg.NewBitmapObject(dlg.GetPicture(info, kNoticePortraitFrame, 0));
    if (!frame)
        return;
    frame->SetTopMost();
    frame->MoveTo(icon->GetX(), icon->GetY());
    frame->SetZ(icon->GetZ() - 0.0000001);
    icon->AddChild(frame, kBodyLinks);
}

CXyStandButton* LabelledButton(CXyTimerDlg& dlg, const char* label, uint32_t code)
{
    auto* button = NewFaceButton(dlg, kNoticeButtonPicture, {dlg.GetId(), code, 0, 0}, 4, ButtonSounds::Game);
    if (button)
        button->SetCaption(label, 0, dlg.GetFontSize());
    return button;
}

} // namespace

// ---- CXyAskDlg

void CXyAskDlg::Ask(const Lumora::Markup& text, const EventRecord* ok, const EventRecord* cancel, int rows)
{
    rows_ = rows;
    Show(text, ok, cancel, 0, kAskFlags, nullptr, nullptr, nullptr);
}

void CXyAskDlg::SetMaxLength(int length)
{
    if (input_)
        input_->SetMaxLength(length);
}

int CXyAskDlg::MeasureText(PlaneObject* plane, const Lumora::Markup& text, int fs)
{
    const int width = GetTextColumns() * fs;
    const int wrapped = plane ? plane->MeasureText(text, width) : 0;
    SetTextSize(width, std::max(GetTextRows() * fs, wrapped) + rows_ * fs + 6);
    return 1;
}

void CXyAskDlg::PlaceText(PlaneObject* plane, const Lumora::Markup& text)
{
    if (!plane)
        return;
    plane->DrawTextWrapped(text, 0);
    plane->Redraw();
    const int fs = GetFontSize();
    input_ = NewChild<CXyInputBox>();
    if (!input_)
        return;
    const int height = rows_ * fs + 6;
    input_->Create(GetTextWidth() + 6, height, 0);
    input_->Layout(GetTextWidth(), rows_ * fs);
    input_->SetBackgroundColor(kInputBackground);
    input_->SetFontSize(fs);
    input_->MoveTo(plane->GetX(), plane->GetBottom() - height / 2.0);
    input_->SetTextColor(0);
    if (PlaneObject* back = input_->GetBackgroundPlane())
        back->DrawBorder(kInputBorder, 1);
    PlaceAtZ(*input_, plane->GetZ());
    AddChild(input_, kBodyLinks);
}

void CXyAskDlg::OnOk()
{
    if (!BeginEnd())
        return;
    EventRecord record = GetOkRecord();
    ObjectModule* objects = GetObjectModule();
    // A record that names nobody would drop the copy: none is made then.
    uintptr_t token = 0;
    if (IsDeliverable(record) && objects) {
        token = objects->NewTextPayload(input_ ? input_->GetText() : std::string());
        record.param1 = token;
    }
    FinishEnd(record);
    // The receiver took the text; what it left (a code the dispatcher does not free) goes here.
    if (token && !IsPayloadCode(record.code))
        objects->TakeTextPayload(token);
}

// ---- CXyAskExitDlg

void CXyAskExitDlg::Ask(const char* name, const char* reason, const char* icon, const EventRecord* ok,
                        const EventRecord* cancel, int seconds)
{
    name_ = PlainCharacters(name ? name : "");
    reason_ = reason ? reason : "";
    Show(kAskExitHeader, ok, cancel, seconds, kAskExitFlags, icon, kAgreePicture, kRefusePicture);
}

CXyStandButton* CXyAskExitDlg::CreateAgreeButton() { return LabelledButton(*this, kAgreeLabel, EV_DLG_ACCEPT); }
CXyStandButton* CXyAskExitDlg::CreateRefuseButton() { return LabelledButton(*this, kRefuseLabel, EV_DLG_REFUSE); }

int CXyAskExitDlg::MeasureText(PlaneObject* plane, const Markup&, int fs)
{
    const int width = NoticeTextWidth(name_.size(), fs);
    // The reason is the asking player's own text: plain, as the name.
    SetTextSize(width, (plane ? plane->MeasureText(reason_, width) : 0) + 2 * fs);
    return 1;
}

void CXyAskExitDlg::PlaceText(PlaneObject* plane, const Lumora::Markup& text)
{
    if (!plane)
        return;
    const int fs = GetFontSize();
    DrawHeader(*plane, text, name_, fs);
    plane->DrawTextWrapped(reason_, 2 * fs);
    plane->Redraw();
}

void CXyAskExitDlg::StartCountdown(int seconds)
{
    SetRemaining(seconds);
    if (seconds > 0)
        StartTicks(seconds);
}

void CXyAskExitDlg::CreateIcon(const char* picture)
{
    CXyTimerDlg::CreateIcon(picture);
    FramePortrait(*this, GetIcon());
}

void CXyAskExitDlg::GetSkinName(std::string& out) const { out = kNoticeTemplate; }

// ---- CXyAskKanPaiDlg

void CXyAskKanPaiDlg::Ask(const char* name, const char* icon, const EventRecord* ok, const EventRecord* cancel)
{
    name_ = PlainCharacters(name ? name : "");
    Show(kAskKanPaiHeader, ok, cancel, 0, kAskExitFlags, icon, kAgreePicture, kRefusePicture);
}

CXyStandButton* CXyAskKanPaiDlg::CreateAcceptButton() { return LabelledButton(*this, kAcceptLabel, EV_DLG_ACCEPT); }
CXyStandButton* CXyAskKanPaiDlg::CreateRefuseButton() { return LabelledButton(*this, kRefuseLabel, EV_DLG_REFUSE); }

int CXyAskKanPaiDlg::MeasureText(PlaneObject*, const Markup&, int fs)
{
    SetTextSize(NoticeTextWidth(name_.size(), fs), 2 * fs);
    return 1;
}

void CXyAskKanPaiDlg::PlaceText(PlaneObject* plane, const Lumora::Markup& text)
{
    if (!plane)
        return;
    DrawHeader(*plane, text, name_, GetFontSize());
    plane->Redraw();
}

void CXyAskKanPaiDlg::CreateIcon(const char* picture)
{
    CXyTimerDlg::CreateIcon(picture);
    FramePortrait(*this, GetIcon());
}

void CXyAskKanPaiDlg::GetSkinName(std::string& out) const { out = kNoticeTemplate; }
