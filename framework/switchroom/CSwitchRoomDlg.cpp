#include "framework/switchroom/CSwitchRoomDlg.h"

#include "engine/object/PlaneObject.h"
#include "framework/app/CGameWinApp.h"
#include "framework/connection/CGameConnect.h"
#include "framework/frame/FrameSupport.h"
#include "framework/scene/GameWinApp.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CXyStandButton.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <ctime>
#include <memory>

using namespace Lumora;
using framework::kDialogFace;
using framework::kMsgTemplate;

namespace {

constexpr int kFontSizeSetting = 5;
constexpr int kDefaultFontSize = 14;
constexpr double kContentZ = 0.02;
constexpr uint32_t kFaceFlags = 4;
constexpr double kDialogZ = 80000.0;

} // namespace

CXyStandButton* CSwitchRoomDlg::MakeButton(const char* picture, const std::string& text, uint32_t code)
{
    auto* button = framework::NewFaceButton(*this, picture, {GetId(), code, 0, 0}, kFaceFlags,
                                            framework::ButtonSounds::Game);
    if (!button)
        return nullptr;
    button->SetCaption(text.c_str(), 0xFFFFFF, 12);
    framework::PlaceAtZ(*button, GetZ() + kContentZ);
    return button;
}

void CSwitchRoomDlg::Build(switchroom::SwitchRoom& owner, const switchroom::TipDescriptor& tip,
                           const switchroom::JumpStatus& status, const char* title)
{
    SetName(kName);
    owner_ = &owner;
    tip_ = tip;
    status_ = status;
    PictureInfo frame, client;
    GetPicture(frame, kMsgTemplate, 0);
    GetPicture(client, kMsgTemplate, 1);
    Create(&frame, &client, kWidth, kHeight);
    SetTitle(title ? title : "");

    const int32_t setting = GetSetting(kFontSizeSetting);
    const int fontSize = setting > 0 ? setting : kDefaultFontSize;
    const int textWidth = kWidth - 22;
    const int textHeight = kHeight - 90;
    if (PlaneObject* plane = NewPlaneObject(textWidth, textHeight, kColourKeyBackground)) {
        plane->SetFont(fontSize, 400, kDialogFace);
        plane->SetPen(0, 1.0);
        const int y = std::max(0, (textHeight - plane->MeasureText(tip_.text, textWidth)) / 2);
        plane->DrawTextWrapped(tip_.text, y);
        Rect area;
        GetClientRect(area);
        plane->MoveTo(GetLeft() + (area.left + area.right) / 2.0, GetTop() + area.top + 10 + textHeight / 2.0);
        SetClientPlane(plane);
        plane->Redraw();
    }
    ok_ = MakeButton("switchok", tip_.okText, kOkEvent);
    cancel_ = MakeButton("switchno", tip_.cancelText, kCancelEvent);
    // One row near the bottom, the OK button left and the cancel button right of the centre.
    const double row = GetTop() + GetHeight() - 30;
    for (CXyStandButton* button : {ok_, cancel_}) {
        if (!button)
            continue;
        const double half = button->GetWidth() / 2 + 8;
        button->MoveTo(button == ok_ ? GetX() - half : GetX() + half, row);
        button->Redraw();
        AddChild(button, kBodyLinks);
    }
}

CSwitchRoomDlg::~CSwitchRoomDlg()
{
    // Released without an answer (the scene reset, the window closing): the table works again.
    EnableControl();
}

void CSwitchRoomDlg::DisableWhileOpen(PObject& control)
{
    control.SetEnabled(false);
    control_ = control.GetId();
}

void CSwitchRoomDlg::EnableControl()
{
    if (PObject* control = control_ ? FindById(control_) : nullptr)
        control->SetEnabled(true);
    control_ = 0;
}

int CSwitchRoomDlg::OnEvent(const EventRecord& record)
{
    if (record.code != kOkEvent && record.code != kCancelEvent)
        return CXyStandDlg::OnEvent(record);
    EnableControl();
    if (owner_) {
        switchroom::SwitchRoom* owner = owner_;
        owner_ = nullptr;  // one answer only
        owner->RunAction(record.code == kOkEvent ? tip_.okAction : tip_.cancelAction, status_);
    }
    // Deferred: this handler still runs on the box.
    ReleaseObject(this, true);
    return 0;
}

namespace switchroom {

namespace {

// The application as the check sees it.
class AppHost final : public IHost {
public:
    AppHost(CGameWinApp& app, IGameWinApp& win) : app_(app), win_(win) {}

    bool RequestConfig(std::vector<uint8_t>& reply) override
    {
        CGameConnect* connect = win_.GetConnect();
        if (!connect)
            return false;
        std::string text;
        GameReply r;
        if (!connect->SendRequest(text, kConfigRequest, nullptr, 0, r, true))
            return false;
        reply.assign(r.data.get(), r.data.get() + (r.HasData() ? r.length : 0));
        return true;
    }
    void SendReport(const std::array<uint8_t, 28>& report) override
    {
        if (CGameConnect* connect = win_.GetConnect()) {
            std::string text;
            GameReply r;
            connect->SendRequest(text, kReportRequest, report.data(), uint32_t(report.size()), r, false);
        }
    }
    std::vector<RoomRange> Rooms() const override
    {
        std::vector<RoomRange> out;
        if (const hall::HallState* hall = win_.GetHallState())
            for (const hall::RoomListEntry& e : hall->roomList)
                out.push_back({e.I32(hall::RoomListEntry::kRoomId), e.I32(hall::RoomListEntry::kMinSilver),
                               e.I32(hall::RoomListEntry::kMaxSilver)});
        return out;
    }
    int32_t OwnRoomId() const override { return int32_t(app_.GetRoomID()); }
    uint32_t UserId() const override { return app_.GetUserID(); }
    int32_t CarriedSilver() const override
    {
        const int32_t chair = app_.GetChairNO();
        const auto players = app_.GetPlayerRecords();
        return chair >= 0 && size_t(chair) < players.size() ? players[size_t(chair)].Silver() : 0;
    }
    std::string IniPath() const override { return app_.GetGameIniPath(); }
    int64_t Now() const override { return int64_t(std::time(nullptr)); }
    void GotoOtherRoom(int32_t roomId) override { app_.GotoOtherRoom(uint32_t(roomId)); }
    void ShowDeposit(bool take, int32_t amount) override
    {
        auto* panel = dynamic_cast<CMJSubSystem*>(win_.GetSubSystem());
        if (!panel)
            return;
        if (take)
            panel->ShowTakeDeposit(amount);
        else
            panel->ShowSaveDeposit(amount);
    }
    void ShowDialog(const TipDescriptor& tip, const JumpStatus& status) override;
    bool DialogOpen() const override
    {
        const CGameBase* scene = win_.GetMainGame();
        return open_ && scene && scene->FindById(open_);
    }

    SwitchRoom* owner = nullptr;

private:
    CGameWinApp& app_;
    IGameWinApp& win_;
    uint32_t open_ = 0; // the box last opened, by id: it may have gone since
};

void AppHost::ShowDialog(const TipDescriptor& tip, const JumpStatus& status)
{
    CGameBase* scene = win_.GetMainGame();
    if (!scene || !owner)
        return;
    auto* dlg = scene->NewChild<CSwitchRoomDlg>();
    if (!dlg)
        return;
    open_ = dlg->GetId();
    dlg->SetZ(kDialogZ);
    dlg->Build(*owner, tip, status, app_.GetGameName().c_str());
    dlg->DisableWhileOpen(*scene);
    const Rect& r = scene->Bounds();
    dlg->MoveTo((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    dlg->SetDraggable(true);
    dlg->Enable(true);
    dlg->Activate();
    dlg->Redraw();
}

} // namespace

bool CheckSwitchRoom()
{
    CGameWinApp* app = GetGameApp();
    IGameWinApp* win = GetGameWinApp();
    if (!app || !win)
        return false;
    // The boxes answer after this returns, so the host and the check live as long as the
    // application they were made for.
    static CGameWinApp* madeFor = nullptr;
    static std::unique_ptr<AppHost> host;
    static std::unique_ptr<SwitchRoom> check;
    if (madeFor != app) {
        madeFor = app;
        host = std::make_unique<AppHost>(*app, *win);
        check = std::make_unique<SwitchRoom>(*host);
        host->owner = check.get();
    }
    return check->CheckSwitchRoom();
}

} // namespace switchroom
