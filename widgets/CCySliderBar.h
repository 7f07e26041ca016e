#pragma once
// A slider with a track, a thumb and a value tip, value 0 to 100 (the table's volume slider
// derives from it). Drags set the value, presses on the track step it by 20, and the owner's
// record is sent with a pointer to the value whenever the user changes it.
#include "engine/gui/CLumoraGui.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

class PlaneObject;

class CCySliderBar : public CLumoraGui {
public:
    static constexpr int kTrackStep = 20;

    int OnEvent(const EventRecord& record) override;

    using PObject::Create;
    virtual void Create(PictureInfo trackSkin, PictureInfo thumbSkin, int orientation, const EventRecord* notify,
                        int position, int interactive);
    virtual void Layout();
    // Values above 100 (negative ones too) are ignored; no notification.
    virtual void SetPosition(uint32_t value);
    virtual void FireChange();

    double GetRatio() const { return position_ / 100.0; }
    int GetPosition() const { return position_; }
    bool IsVertical() const { return orientation_ == 1; }
    PlaneObject* GetTrack() const { return track_; }
    PlaneObject* GetThumb() const { return thumb_; }
    PlaneObject* GetTip() const { return tip_; }
    int IsHot() const { return hot_; }

private:
    void DrawThumb(bool tinted);
    void ShowTip(bool show);
    void DrawTip();

    PlaneObject* track_ = nullptr;
    PlaneObject* thumb_ = nullptr;
    int hot_ = 0;
    int interactive_ = 1;
    int position_ = 0;
    PictureInfo trackSkin_{};
    PictureInfo thumbSkin_{};
    EventRecord notify_;
    PlaneObject* tip_ = nullptr;
    int orientation_ = 1;
};

} // namespace Lumora
