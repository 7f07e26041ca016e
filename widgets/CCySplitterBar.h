#pragma once
// The thin bar between the table and the side panel ("SplitterBar"): a click on its arrow folds
// the side panel away or brings it back, through the game frame's width mode.
#include "engine/gui/CLumoraGui.h"

#include <functional>

namespace Lumora {

class PlaneObject;

// What the splitter needs of the game frame; the framework installs its frame.
class SplitterFrame {
public:
    virtual ~SplitterFrame() = default;
    virtual int GetLayoutWidthMode() = 0;  // the width mode with the side panel shown
    virtual void SetWidthMode(int mode) = 0;  // 0: side panel collapsed
    virtual void OnSize() = 0;                // lays the frame out again
};

class CCySplitterBar : public CLumoraGui {
public:
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
    // The frame the splitter folds; null: the state changes but nothing is laid out.
    static void SetFrame(SplitterFrame* frame);

private:
    const char* ArrowName() const;
    void ShowArrow(int frame);

    int collapsed_ = 0;
    PlaneObject* arrow_ = nullptr;
    PlaneObject* plane_ = nullptr;
    int arrowFrame_ = 0;
};

} // namespace Lumora
