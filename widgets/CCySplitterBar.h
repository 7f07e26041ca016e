#pragma once
// The thin bar between the table and the side panel ("SplitterBar"): a click on its arrow folds
// the side panel away or brings it back, through the width mode of the application's game frame.
#include "engine/gui/CLumoraGui.h"

namespace Lumora {

class PlaneObject;

class CCySplitterBar : public CLumoraGui {
public:
    static constexpr const char* kName = "SplitterBar";

    enum InternalCode : uint32_t {
        EV_ARROW_ENTER = 80000002,
        EV_ARROW_LEAVE = 80000003,
        EV_ARROW_PRESS = 80000004,
    };

    // Made from the skin; no arguments.
    void Create() override;
    int OnEvent(const EventRecord& record) override;

    virtual void Layout();
    virtual void Refresh();
    virtual void SetCollapsed(int collapsed) { collapsed_ = collapsed; }
    virtual int IsCollapsed() const { return collapsed_; }
    virtual bool IsExpanded() const { return collapsed_ == 0; }

    PlaneObject* GetArrow() const { return arrow_; }
    PlaneObject* GetPlane() const { return plane_; }

private:
    const char* ArrowName() const;
    void ShowArrow(int frame);

    int collapsed_ = 0;
    PlaneObject* arrow_ = nullptr;
    PlaneObject* plane_ = nullptr;
    int arrowFrame_ = 0;
};

} // namespace Lumora
