#pragma once
// The engine's simple message box: a plane with an optional OK ("确定") and Cancel ("取消")
// button and an optional countdown that cancels the box when it runs out. Draggable, top-most,
// not modal; the owner draws the message on the plane. Its result reaches the owner as one of
// two owner-supplied records, and the box then fades out and deletes itself.
#include "engine/gui/CLumoraGui.h"

namespace Lumora {

class CXySimpleButton;
class PlaneObject;

class CXyDialogBox : public CLumoraGui {
public:
    static constexpr int kMaxSeconds = 99;
    static constexpr uint32_t kButtonColourSetting = 11;
    static constexpr uint32_t kDefaultButtonColour = 0xFF0080;

    int OnEvent(const EventRecord& record) override;

    using PObject::Create;
    virtual void Create(int width, int height, const EventRecord* ok, const EventRecord* cancel, int seconds);
    virtual PlaneObject* GetPlane() const { return plane_; }
    virtual CXySimpleButton* GetOkButton() const { return ok_; }
    virtual CXySimpleButton* GetCancelButton() const { return cancel_; }
    virtual uint32_t GetSpare() const { return spare_; }
    virtual PlaneObject* GetCountdownPlane() const { return countdown_; }
    virtual void DrawCountdown();
    virtual void Close();

    int GetSeconds() const { return seconds_; }
    bool IsClosing() const { return closing_; }

private:
    CXySimpleButton* MakeButton(const char* label, uint32_t code, uint32_t colour);
    void QueueTick();

    PlaneObject* plane_ = nullptr;
    CXySimpleButton* ok_ = nullptr;
    CXySimpleButton* cancel_ = nullptr;
    uint32_t spare_ = 0;
    PlaneObject* countdown_ = nullptr;
    int seconds_ = 0;
    EventRecord okRecord_;
    EventRecord cancelRecord_;
    // The box answers once: after the first choice (or the countdown's end) further clicks and
    // a tick already on its way are ignored, and the pending tick is cancelled by its id.
    bool closing_ = false;
    uint64_t tick_ = 0;
};

// Lets the engine's own message box (CClassSenior::ShowMessage) be a dialog box of this kind.
void InstallDialogBoxFactory();

} // namespace Lumora
