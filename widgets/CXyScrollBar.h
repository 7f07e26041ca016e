#pragma once
// The toolkit's scroll bar: a track with a draggable thumb and two optional arrow buttons,
// vertical or horizontal. It keeps a position, a page and a range in the owner's units, places
// the thumb from them and tells the owner (19840362) when a drag or a track press moves it; the
// arrows send their own records straight to the owner.
#include "engine/gui/CLumoraGui.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

class BITObject;
class CXyStandButton;
class PlaneObject;

class CXyScrollBar : public CLumoraGui {
public:
    static constexpr double kDefaultMinThumb = 15.0;

    void SetSize(double width, double height) override;
    int OnEvent(const EventRecord& record) override;

    using PObject::Create;
    virtual void Create(uint32_t owner, int width, int height, int orientation, int extra);
    virtual void SetThumbGrip(PictureInfo picture);
    virtual void SetUpArrow(PictureInfo picture);
    virtual void SetDownArrow(PictureInfo picture);
    virtual void SetLeftArrow(PictureInfo picture);
    virtual void SetRightArrow(PictureInfo picture);
    virtual void SetTrackSkin(PictureInfo picture);
    virtual void SetThumbSkin(PictureInfo picture);
    virtual int GetTotalLength() const;
    virtual int GetThumbLength() const;
    virtual void SetStep(double step);
    virtual void SetRange(double position, double page, double range, double step);
    virtual void NotifyOwner();
    virtual void DrawSkins();
    virtual void SetMinThumbLength(double length) { minThumb_ = length; }

    bool IsVertical() const { return orientation_ == 1; }
    double GetPositionValue() const { return position_; }
    double GetPage() const { return page_; }
    double GetRange() const { return range_; }
    double GetStepValue() const { return step_; }
    int GetExtra() const { return extra_; }
    uint32_t GetOwnerId() const { return owner_; }
    PlaneObject* GetThumb() const { return thumb_; }
    PlaneObject* GetTrack() const { return track_; }
    BITObject* GetGrip() const { return grip_; }
    CXyStandButton* GetFirstArrow() const { return first_; }
    CXyStandButton* GetSecondArrow() const { return second_; }
    // The largest position the bar allows; never negative, even with a page beyond the range.
    double MaxPosition() const { return range_ > page_ ? range_ - page_ : 0.0; }

protected:
    // Sends {owner, 19840362, &{position, page, range}, p2} now.
    void NotifyOwnerWith(uintptr_t param2);

private:
    CXyStandButton* MakeArrow(const PictureInfo& picture, uint32_t code);
    void PlaceArrows();
    double Along(const PObject& o) const { return IsVertical() ? o.GetHeight() : o.GetWidth(); }
    double Start(const PObject& o) const { return IsVertical() ? o.GetTop() : o.GetLeft(); }
    double End(const PObject& o) const { return IsVertical() ? o.GetBottom() : o.GetRight(); }
    void ResizeAlong(PlaneObject& plane, int length);
    void SetThumbState(int state);

    PlaneObject* thumb_ = nullptr;
    int orientation_ = 1;
    int extra_ = 0;
    uint32_t owner_ = 0;
    double position_ = 0.0;
    double page_ = 0.0;
    double range_ = 0.0;
    double minThumb_ = kDefaultMinThumb;
    double step_ = 1.0;
    CXyStandButton* first_ = nullptr;
    CXyStandButton* second_ = nullptr;
    PictureInfo thumbSkin_{};
    PictureInfo trackSkin_{};
    PlaneObject* track_ = nullptr;
    BITObject* grip_ = nullptr;
};

// Skins a list's bar with the scroll-bar pictures by name ("ScrollBar_Vert..." or
// "ScrollBar_Horz..."), looked up through `lookup`; a missing picture leaves that part as it is.
void SkinScrollBarByName(CXyScrollBar& bar, CClassSenior& lookup, bool horizontal);

} // namespace Lumora
