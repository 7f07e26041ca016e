// The timed message box: building it around its text, its buttons and count-down, and ending it.
#include "framework/frame/CXyTimerDlg.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/util/EngineLog.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameSupport.h"
#include "platform/Shell.h"
#include "widgets/CXyStandButton.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cstdio>

using namespace Lumora;
using namespace framework;

namespace {

constexpr double kContentZ = 0.02;
constexpr uint32_t kFaceFlags = 4;
constexpr int kFontSizeSetting = 5;
constexpr int kDefaultFontSize = 14;

} // namespace

int CXyTimerDlg::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_DLG_TICK:
        OnTick();
        break;
    case EV_DLG_ACCEPT:
        OnOk();
        break;
    case EV_DLG_REFUSE:
        OnCancel();
        break;
    default:
        break;
    }
    return CLumoraGui::OnEvent(record);
}

void CXyTimerDlg::DrawTitle()
{
    PlaneObject* plane = GetTitlePlane();
    if (!plane)
        return;
    plane->Clear();
    plane->SetFont(12, 400, kDialogFace);
    plane->DrawTextLine(5, 6, GetTitleText()); // the game's name: plain
    plane->Redraw();
}

PictureInfo CXyTimerDlg::Picture(const char* name, int frame)
{
    PictureInfo info;
    return GetPicture(info, name ? name : "", frame);
}

void CXyTimerDlg::Show(const Lumora::Markup& text, const EventRecord* ok, const EventRecord* cancel, int seconds,
                       uint32_t flags, const char* icon, const char* okPicture, const char* cancelPicture)
{
    const Markup& body = text;
    flags_ = flags;
    const int fs = GetFontSize(), lh = GetLineHeight(), m = GetMargin();
    const int iw = (flags & DLG_ICON) && icon ? Picture(icon).width : 0;

    PlaneObject* plane = NewPlaneObject(10, 10, kColourKeyBackground);
    if (plane) {
        plane->SetPen(0, 1.0);
        plane->SetFont(fs, 400, kDialogFace);
        plane->SetSpacing(0, fs / 3);
        if (!MeasureText(plane, body, fs)) {
            const int w = GetTextColumns() * fs;
            SetTextSize(w, std::max(GetTextRows() * fs, plane->MeasureText(body, w)));
        }
        plane->SetSize(textWidth_, textHeight_);
        plane->ResizeSurface(textWidth_, textHeight_);
    }

    const int gap = (flags & DLG_ICON) ? lh / 2 : lh;
    const int clientWidth = textWidth_ + gap + iw + lh;
    const int clientHeight = GetButtonHeight() + 2 * m + textHeight_ + fs;
    std::string skin;
    GetSkinName(skin);
    const PictureInfo frame = Picture(skin.c_str(), 0);
    PictureInfo client = Picture(skin.c_str(), 1);
    if (!client.image || client.image->frames < 2)
        client = PictureInfo{};  // a one-frame template has no client picture
    Create(&frame, &client, clientWidth, clientHeight);
    std::string title;
    GetTitle(title);
    SetTitle(title.c_str());

    if (plane) {
        Rect area;
        GetClientRect(area);
        plane->MoveTo(GetLeft() + area.left + lh + iw + textWidth_ / 2, GetTop() + area.top + m + textHeight_ / 2);
        SetClientPlane(plane);
        PlaceText(plane, body);
    }
    CreateIcon(icon);
    Layout(ok, cancel, okPicture, cancelPicture);
    StartCountdown(seconds);
}

int CXyTimerDlg::MeasureText(PlaneObject*, const Markup&, int) { return 0; }

void CXyTimerDlg::PlaceText(PlaneObject* plane, const Lumora::Markup& text)
{
    if (!plane)
        return;
    const int y = std::max(0, (textHeight_ - plane->MeasureText(text, textWidth_)) / 2);
    plane->DrawTextWrapped(text, y);
    plane->Redraw();
}

void CXyTimerDlg::CreateIcon(const char* picture)
{
    if (!(flags_ & DLG_ICON) || !picture)
        return;
    icon_ = NewBitmapObject(Picture(picture));
    if (!icon_)
        return;
    Rect area;
    GetClientRect(area);
    icon_->SetTopMost();
    icon_->MoveTo(GetLeft() + area.left + GetLineHeight() / 2 + icon_->GetWidth() / 2,
                  GetTop() + area.top + GetMargin() + icon_->GetHeight() / 2);
    icon_->SetZ(GetZ() + kContentZ);
    AddChild(icon_, kBodyLinks);
    if (flags_ & DLG_ICON_ANIMATED)
        ActPlayFrames(icon_, 0, -1, 0, 0, nullptr);
}

int CXyTimerDlg::GetIconWidth() const { return icon_ ? int(icon_->GetWidth()) : 0; }

CXyStandButton* CXyTimerDlg::MakeButton(const char* picture, uint32_t code)
{
    return framework::NewFaceButton(*this, picture, {GetId(), code, 0, 0}, kFaceFlags, framework::ButtonSounds::Game);
}

CXyStandButton* CXyTimerDlg::CreateOkButton(const char* picture)
{
    return MakeButton(picture ? picture : kMsgOkPicture, EV_DLG_ACCEPT);
}

CXyStandButton* CXyTimerDlg::CreateCancelButton(const char* picture)
{
    return MakeButton(picture ? picture : kMsgCancelPicture, EV_DLG_REFUSE);
}

void CXyTimerDlg::CreateCloseButton()
{
    // Closing a one-button box accepts it; closing a question refuses.
    close_ = MakeButton(kMsgClosePicture, (flags_ & DLG_TWO_BUTTONS) ? EV_DLG_REFUSE : EV_DLG_ACCEPT);
    if (!close_)
        return;
    close_->MoveTo(GetRight() - 7 - close_->GetWidth() / 2, GetTop() + 1 + close_->GetHeight() / 2);
    PlaceAtZ(*close_, GetZ() + kContentZ);
    close_->Redraw();
    AddChild(close_, kBodyLinks);
}

void CXyTimerDlg::Layout(const EventRecord* ok, const EventRecord* cancel, const char* okPicture,
                         const char* cancelPicture)
{
    Rect area;
    GetClientRect(area);
    const int fs = GetFontSize();
    const double y = GetTop() + area.top + fs + textHeight_ + GetMargin() + GetButtonHeight() / 2;
    const bool two = (flags_ & DLG_TWO_BUTTONS) != 0;
    ok_ = CreateOkButton(okPicture);
    if (ok_) {
        ok_->MoveTo(two ? GetX() - ok_->GetWidth() / 2 - 10 : GetX(), y);
        PlaceAtZ(*ok_, GetZ() + kContentZ);
        ok_->Redraw();
        AddChild(ok_, kBodyLinks);
    }
    if (ok)
        okRecord_ = *ok;
    if (two) {
        cancel_ = CreateCancelButton(cancelPicture);
        if (cancel_) {
            cancel_->MoveTo(GetX() + cancel_->GetWidth() / 2 + 10, y);
            PlaceAtZ(*cancel_, GetZ() + kContentZ);
            cancel_->Redraw();
            AddChild(cancel_, kBodyLinks);
        }
        if (cancel)
            cancelRecord_ = *cancel;
    }
    CreateCloseButton();
}

int CXyTimerDlg::GetButtonHeight() { return Picture(kMsgOkPicture).height; }

int CXyTimerDlg::GetFontSize() const
{
    const int32_t size = GetSetting(kFontSizeSetting);
    return size > 0 ? size : kDefaultFontSize;
}

void CXyTimerDlg::GetSkinName(std::string& out) const { out = kMsgTemplate; }

void CXyTimerDlg::GetTitle(std::string& out) const
{
    const IFrameApp* app = GetFrameApp();
    out = app ? app->GetGameName() : std::string();
}

void CXyTimerDlg::StartTicks(int seconds)
{
    const EventRecord tick{GetId(), EV_DLG_TICK, 0, 0};
    ActRepeatEvent(1000, seconds + 3, &tick);
}

void CXyTimerDlg::StartCountdown(int seconds)
{
    remaining_ = seconds;
    if (seconds <= 0)
        return;
    const int fs = GetFontSize();
    const std::string first = std::to_string(seconds);
    digits_ = NewPlaneObject(int(first.size()) * fs / 2, fs, kColourKeyBackground);
    PObject* client = PeekClientPlane();
    if (digits_) {
        digits_->SetTopMost();
        digits_->SetFont(fs, 400, kDialogFace);
        digits_->SetPen(0, 1.0);
        if (client) {
            digits_->SetZ(client->GetZ() + 0.01);
            digits_->MoveTo(client->GetRight() - digits_->GetWidth(),
                            client->GetBottom() + fs + GetButtonHeight() / 2);
        }
        AddChild(digits_, kBodyLinks);
        DrawDigits();
    }
    StartTicks(seconds);
}

void CXyTimerDlg::DrawDigits()
{
    if (!digits_ || remaining_ < 0)
        return;
    digits_->Clear();
    digits_->DrawTextCentred(digits_->GetSurfaceWidth() / 2, digits_->GetSurfaceHeight() / 2,
                             std::to_string(remaining_));
    digits_->Redraw();
}

void CXyTimerDlg::OnTick()
{
    if (ended_)
        return;
    --remaining_;
    DrawDigits();
    if (remaining_ < 0) {
        if (flags_ & DLG_REFUSE_AT_END)
            OnCancel();
        else
            OnOk();
    }
}

void CXyTimerDlg::SetLink(const char* link, int sign)
{
    link_ = link ? link : "";
    linkSigned_ = sign;
}

void CXyTimerDlg::OpenLink()
{
    if (link_.empty())
        return;
    const IFrameApp* app = GetFrameApp();
    const std::string address = app ? app->GetSignedUrlSimple(link_, linkSigned_ != 0) : link_;
    // The link comes from the server: only a web address is handed to the desktop's opener,
    // as one argument and with no shell, so it can never start a local program.
    if (!platform::IsWebAddress(address) || !platform::OpenUrl(address))
        WriteDailyLog("link refused or not opened: %s", address.c_str());
}

bool CXyTimerDlg::BeginEnd()
{
    if (ended_)
        return false;
    ended_ = true;
    CancelObjectActions(GetId());
    return true;
}

void CXyTimerDlg::FinishEnd(const EventRecord& record)
{
    // The release is deferred: this handler is still running on the dialog.
    ReleaseObject(this, true);
    SendEvent(record);
}

void CXyTimerDlg::OnOk()
{
    if (ended_)
        return;
    OpenLink();
    if (BeginEnd())
        FinishEnd(okRecord_);
}

void CXyTimerDlg::OnCancel()
{
    if (BeginEnd())
        FinishEnd(cancelRecord_);
}
