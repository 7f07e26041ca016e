#pragma once
// The room-switch suggestion: a 320 x 140 skinned box with the tip text and two buttons. A button
// runs its action through the switch-room object, then the box goes. While it is open the table
// scene is disabled; it is enabled again when the box answers or goes any other way.
#include "framework/switchroom/SwitchRoom.h"
#include "widgets/CXyStandDlg.h"

namespace Lumora {
class CXyStandButton;
}

class CSwitchRoomDlg : public Lumora::CXyStandDlg {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 140;
    static constexpr uint32_t kOkEvent = 80000001;
    static constexpr uint32_t kCancelEvent = 80000002;
    // The built box's name: the frame keeps it on the table when the table is laid out again.
    static constexpr const char* kName = "SwitchRoomDlg";

    ~CSwitchRoomDlg() override;

    // Builds the box; `owner` runs the chosen action and must outlive the box.
    void Build(switchroom::SwitchRoom& owner, const switchroom::TipDescriptor& tip,
               const switchroom::JumpStatus& status, const char* title);
    int OnEvent(const Lumora::EventRecord& record) override;
    // Disables `control` until the box answers or goes; kept by id, so a control that goes
    // first is simply not found again.
    void DisableWhileOpen(Lumora::PObject& control);

    Lumora::CXyStandButton* GetOkButton() const { return ok_; }
    Lumora::CXyStandButton* GetCancelButton() const { return cancel_; }

private:
    Lumora::CXyStandButton* MakeButton(const char* picture, const std::string& text, uint32_t code);
    void EnableControl();

    switchroom::SwitchRoom* owner_ = nullptr;
    switchroom::TipDescriptor tip_;
    switchroom::JumpStatus status_;
    Lumora::CXyStandButton* ok_ = nullptr;
    Lumora::CXyStandButton* cancel_ = nullptr;
    uint32_t control_ = 0;
};

namespace switchroom {
// The check as the table calls it: with the application's rooms, silver, connection, hall and
// side panel; the box goes on the table scene. True when a box was shown.
bool CheckSwitchRoom();
} // namespace switchroom
