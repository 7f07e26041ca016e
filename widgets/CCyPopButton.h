#pragma once
// The item of the side panel's pop menus: a simple button with a coloured background per
// state, an optional icon left of the text and an optional separator line below it. The text is
// drawn plain: the user list's menu shows a player's name and level in it.
#include "widgets/CXySimpleButton.h"

namespace Lumora {

class CCyPopButton : public CXySimpleButton {
public:
    static constexpr int kMaxIcon = 24;

    void Draw(int state) override;

    virtual void SetTextColor(uint32_t colour);
    virtual void SetIcon(PictureInfo icon) { icon_ = icon; }
    virtual void SetSeparator(int on);
    // A value of 0 or less only reads.
    virtual int SetTextLeft(int left);
    virtual void SetBold(int bold) { bold_ = bold; }
    virtual void SetBackColors(uint32_t normal, uint32_t hover, uint32_t pressed);
    virtual void SetSeparatorColors(uint32_t upper, uint32_t lower);
    virtual void SetSeparatorInset(int inset) { inset_ = inset; }
    virtual int GetIconSize() const;

    CCyPopButton* GetNext() const { return next_; }
    void SetNext(CCyPopButton* next) { next_ = next; }
    int HasSeparator() const { return separator_; }
    uint32_t GetPressedColour() const { return pressedColour_; }

private:
    int inset_ = 4;
    uint32_t textColour_ = 0;
    uint32_t normalColour_ = 0xF0F0F0;
    uint32_t hoverColour_ = 0xCBDADC;
    uint32_t pressedColour_ = 0;
    uint32_t separatorUpper_ = 0xA0A0A0;
    uint32_t separatorLower_ = 0xFFFFFF;
    CCyPopButton* next_ = nullptr;
    int separator_ = 0;
    PictureInfo icon_{};
    int textLeft_ = 40;
    int bold_ = 0;
};

} // namespace Lumora
