#pragma once
// The base of every widget, board and bar: an engine object that may stand on screen through a
// body, a child object that takes its children, flags, layer and enabling and (as the body's
// link flags say) answers for its geometry, so that the widget itself can stay an invisible
// container that receives events.
#include "engine/senior/CClassSenior.h"

namespace Lumora {

// The link bits by which a widget's body follows the widget's activation.
inline constexpr uint32_t LINK_ACTIVATION_FOLLOWS = LINK_ACTIVATE_ALWAYS | LINK_DEACTIVATE_ALWAYS;

class CLumoraGui : public CClassSenior {
public:
    int GetType() const override { return 4; }

    int AddChild(PObject* child, uint32_t linkFlags) override;
    uint32_t GetChildLinkFlags(uint32_t id) const override;
    void SetChildLinkFlags(uint32_t id, uint32_t flags) override;
    void RemoveChild(uint32_t id) override;
    void ReleaseChildren() override;
    void SetEnabled(bool on) override;
    void SetDraggable(bool on) override;
    void SetFlags(uint32_t flags) override;
    void AddFlags(uint32_t flags) override;
    void RemoveFlags(uint32_t flags) override;
    void SetLayer(uint32_t layer) override;
    void SetTopMost() override;
    int HitTest(double x, double y) const override;
    int IsActive() const override;
    int IsEnabled() const override;
    int CheckChildren() override;
    double GetX() const override;
    double GetY() const override;
    double GetZ() const override;
    double GetZAbove() const override;
    double GetWidth() const override;
    double GetHeight() const override;
    double GetAlpha() const override;
    double GetAngle() const override;
    void GetClipRect(Rect& out) const override;
    uint32_t GetFlags() const override;
    uint32_t GetLayer() const override;
    double GetLeft() const override;
    double GetTop() const override;
    double GetRight() const override;
    double GetBottom() const override;

    // Makes the object the widget's body, linked with the flags and the body bit; a body set
    // before is unlinked first. The caller has registered the object; the widget becomes
    // transparent to hit tests. A null object leaves the widget without a body.
    virtual void SetBody(PObject* object, uint32_t linkFlags);
    // Enables or disables the widget and tells the widget itself (19840355 / 19840356), so
    // that derived widgets restyle themselves in their OnEvent.
    virtual void Enable(bool on);
    // The body, or the widget itself without one.
    virtual PObject* GetBody();

private:
    // The body while it is still linked to the widget; a body that was destroyed or taken
    // away by another parent no longer counts.
    PObject* Body() const;
    // The body when the widget's link to it carries every bit of `flags`.
    PObject* BodyWith(uint32_t flags) const;

    PObject* body_ = nullptr;
};

} // namespace Lumora
