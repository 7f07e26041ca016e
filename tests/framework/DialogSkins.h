#pragma once
// Synthetic pictures for the frame's dialogs and boxes, built into a pack with the pack builder:
// two-frame templates with a transparent hole, button faces of four state frames, icons.
#include "framework/frame/FrameSupport.h"
#include "tests/support/HeadlessEngine.h"

namespace frametest {

// A template of w x h: frame 0 an opaque ring of `border` pixels around a transparent hole,
// frame 1 a plain client picture.
inline Lumora::ImageRecord TemplatePicture(int w, int h, int border)
{
    Lumora::ImageRecord image = testsupport::SolidFrames(w, h, {0x204080, 0xE0E0E0});
    for (int y = border; y < h - border; ++y)
        for (int x = border; x < w - border; ++x)
            image.pixels[(size_t(y) * w + x) * 4 + 3] = 0;
    return image;
}

inline constexpr int kButtonWidth = 60;
inline constexpr int kButtonHeight = 24;
inline constexpr int kCloseSize = 16;
inline constexpr int kIconSize = 40;

// Every picture the timed dialogs name, plus the faces the frame's boxes use; `add` takes a GBK
// name and a picture.
template <typename Add>
void AddDialogSkins(Add&& add)
{
    using testsupport::SolidFrames;
    add(framework::kMsgTemplate, TemplatePicture(40, 40, 8));
    add(framework::kNoticeTemplate, TemplatePicture(30, 30, 5));
    const std::vector<uint32_t> states{0x00A000, 0x00C000, 0x008000, 0x808080};
    for (const char* name : {framework::kMsgOkPicture, framework::kMsgCancelPicture, framework::kAgreePicture,
                             framework::kRefusePicture, framework::kNoticeButtonPicture})
        add(name, SolidFrames(kButtonWidth, kButtonHeight, states));
    add(framework::kMsgClosePicture, SolidFrames(kCloseSize, kCloseSize, states));
    add(framework::kNoticePortraitFrame, SolidFrames(kIconSize + 4, kIconSize + 4, {0x333333}));
    for (const char* face : {"xyf疑问", "xyf打牌", "xyf抱歉", "char3"})
        add(face, SolidFrames(kIconSize, kIconSize, {0x0000FF, 0x00FFFF}));
}

inline void AddDialogSkins(testsupport::HeadlessEngine& e)
{
    AddDialogSkins([&e](const std::string& name, const Lumora::ImageRecord& picture) { e.AddSkin(name, picture); });
}

// The frame's own pictures: match room objects, the auto-play animation, the sure-quit board.
template <typename Add>
void AddFrameSkins(Add&& add)
{
    using testsupport::SolidFrames;
    AddDialogSkins(add);
    add("animation_WaitArrangeTable", SolidFrames(120, 60, {0x101010, 0x202020}));
    add("animation_autoplaying", SolidFrames(90, 30, {0x303030, 0x404040}));
    add("btn_signup", SolidFrames(80, 30, {0x1, 0x2, 0x3, 0x4}));
    add("btn_giveup", SolidFrames(70, 28, {0x1, 0x2, 0x3, 0x4}));
    add("bit_systemboard", SolidFrames(300, 200, {0x505050}));
    add("bit_SureQuit", SolidFrames(100, 40, {0x606060}));
    add("btn_gameset_ok", SolidFrames(50, 24, {0x1, 0x2, 0x3, 0x4}));
    add("btn_gameset_cancel", SolidFrames(50, 24, {0x1, 0x2, 0x3, 0x4}));
}

} // namespace frametest
