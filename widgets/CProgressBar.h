#pragma once
// Shows a fraction 0.0-1.0 as the left part of a fill picture over a background picture, with
// an optional caption and a knob at the fill's end. It can move smoothly to a target and then
// send a completion record, and with dragging on it works as a slider that tells its owner of
// every drag and press.
#include "engine/gui/CLumoraGui.h"

namespace Lumora {

class BITObject;
class PlaneObject;

class CProgressBar : public CLumoraGui {
public:
    enum InternalCode : uint32_t {
        EV_KNOB_DRAG = 80000001,
        EV_ANIMATION_TICK = 80000002,
        EV_KNOB_RELEASE = 80000003,
        EV_BAR_PRESS = 80000004,
    };
    static constexpr uint32_t kCaptionFontSetting = 5;
    static constexpr int kDefaultCaptionFont = 14;

    void Activate() override;
    void Deactivate() override;
    int OnEvent(const EventRecord& record) override;

    using PObject::Create;
    virtual void Create(PictureInfo background, PictureInfo fill, double fraction);
    virtual void SetKnob(PictureInfo knob, uint32_t owner);
    // Ignored while the knob is dragged.
    virtual void SetPos(double fraction);
    virtual void AnimateTo(double target, double step, int intervalMs, const EventRecord* completion);
    virtual void Draw();
    virtual PlaneObject* GetCaptionPlane();
    virtual void SetCaption(const char* text, uint32_t colour, int size);
    virtual void EnableDrag(bool on);
    virtual double GetPos() const { return fraction_; }
    virtual void CreateCaptionPlane();

    PlaneObject* GetFillPlane() const { return fill_; }
    BITObject* GetKnob() const { return knob_; }
    BITObject* GetBackground() const { return background_; }
    bool IsDragging() const { return dragging_ != 0; }
    double GetTarget() const { return target_; }
    double GetStep() const { return step_; }

private:
    // The fraction at a point along the fill plane, clamped to its edges; 0 for an empty fill.
    double FractionAt(double x, double* pixels) const;
    void QueueTick();
    void StartKnobAnimation();

    PictureInfo fillSkin_{};
    PlaneObject* caption_ = nullptr;
    PlaneObject* fill_ = nullptr;
    BITObject* knob_ = nullptr;
    BITObject* background_ = nullptr;
    EventRecord completion_;
    uint64_t serial_ = 0;
    uint32_t owner_ = 0;
    int dragging_ = 0;
    double fraction_ = 0.0;
    double target_ = 0.0;
    double step_ = 0.01;
    int interval_ = 100;
};

} // namespace Lumora
