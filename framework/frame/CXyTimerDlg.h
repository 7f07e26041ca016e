#pragma once
// The game client's message and question box: a stand dialog with a text, an optional icon,
// one or two buttons, a close button and an optional count-down that answers for the user when
// it runs out. The answer is an event record the caller chose, sent at once to the caller's
// object when a button is pressed or the time is up; the dialog then releases itself (hidden at
// once, deleted on a later tick). Nothing of it survives its end, and it answers only once.
//
// Callers construct it, register it under their object, call Show (or an Ask of a subclass),
// then place it, make it draggable, give it a z and play a sound. Records name objects by id,
// so an opener released meanwhile simply receives nothing.
#include "engine/text/Markup.h"
#include "engine/object/EventRecord.h"
#include "widgets/CXyStandDlg.h"

#include <string>

namespace Lumora {
class BITObject;
class CXyStandButton;
class PlaneObject;
} // namespace Lumora

class CXyTimerDlg : public Lumora::CXyStandDlg {
public:
    using EventRecord = Lumora::EventRecord;
    using PlaneObject = Lumora::PlaneObject;
    using CXyStandButton = Lumora::CXyStandButton;

    int OnEvent(const EventRecord& record) override;
    void DrawTitle() override;

    // Virtual operations, in slot order. Null records and pictures are allowed (no answer,
    // default pictures).
    virtual void Show(const Lumora::Markup& text, const EventRecord* ok, const EventRecord* cancel, int seconds, uint32_t flags,
                      const char* icon, const char* okPicture, const char* cancelPicture);
    virtual void Layout(const EventRecord* ok, const EventRecord* cancel, const char* okPicture,
                        const char* cancelPicture);
    virtual CXyStandButton* CreateOkButton(const char* picture);
    virtual CXyStandButton* CreateCancelButton(const char* picture);
    virtual void CreateCloseButton();
    virtual void StartCountdown(int seconds);
    virtual void CreateIcon(const char* picture);
    // Nonzero when it set the text size itself; the base leaves it to Show.
    virtual int MeasureText(PlaneObject* plane, const Lumora::Markup& text, int fontSize);
    virtual void PlaceText(PlaneObject* plane, const Lumora::Markup& text);
    virtual int GetButtonHeight();
    virtual int GetTextHeight() const { return textHeight_; }
    virtual int GetTextWidth() const { return textWidth_; }
    virtual int GetTextColumns() const { return 17; }
    virtual int GetTextRows() const { return 4; }
    virtual int GetIconWidth() const;
    virtual int GetFontSize() const;
    virtual int GetLineHeight() const { return GetFontSize() * 3 / 2; }
    virtual int GetMargin() const { return GetFontSize(); }
    virtual void GetSkinName(std::string& out) const;
    virtual void GetTitle(std::string& out) const;
    virtual void OnTick();
    virtual void OnOk();
    virtual void OnCancel();
    // The web address opened when the dialog is accepted; with `sign` the user's sign is
    // appended. Only http and https addresses are ever opened.
    virtual void SetLink(const char* link, int sign);

    int GetRemaining() const { return remaining_; }
    uint32_t GetStyleFlags() const { return flags_; }
    PlaneObject* GetDigitPlane() const { return digits_; }
    CXyStandButton* GetOkButton() const { return ok_; }
    CXyStandButton* GetCancelButton() const { return cancel_; }
    CXyStandButton* GetCloseButton() const { return close_; }
    Lumora::BITObject* GetIcon() const { return icon_; }
    const EventRecord& GetOkRecord() const { return okRecord_; }
    const EventRecord& GetCancelRecord() const { return cancelRecord_; }
    bool HasEnded() const { return ended_; }

protected:
    // A stand button under the dialog on frame 0 of the picture, sending {dialog, code}.
    CXyStandButton* MakeButton(const char* picture, uint32_t code);
    // Ends the dialog once: cancels its timed actions, sends the record, releases it.
    // False when it had already ended.
    bool BeginEnd();
    void FinishEnd(const EventRecord& record);
    void SetTextSize(int width, int height)
    {
        textWidth_ = width;
        textHeight_ = height;
    }
    void SetRemaining(int seconds) { remaining_ = seconds; }
    // The repeating tick, every second, seconds + 3 times.
    void StartTicks(int seconds);
    // Pictures of the dialog, by name.
    Lumora::PictureInfo Picture(const char* name, int frame = 0);
    void OpenLink();

private:
    void DrawDigits();

    int remaining_ = 0;
    PlaneObject* digits_ = nullptr;
    CXyStandButton* ok_ = nullptr;
    CXyStandButton* cancel_ = nullptr;
    CXyStandButton* close_ = nullptr;
    Lumora::BITObject* icon_ = nullptr;
    uint32_t flags_ = 0;
    int textWidth_ = 0;
    int textHeight_ = 0;
    EventRecord okRecord_;
    EventRecord cancelRecord_;
    std::string link_;
    int linkSigned_ = 0;
    bool ended_ = false;
};
