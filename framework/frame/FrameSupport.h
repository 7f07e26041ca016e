#pragma once
// The pictures, sounds and face the frame and its dialogs name, placing a widget in z, and the
// push buttons the frame and its dialogs make.
#include "engine/object/PObject.h"

#include <cstdint>

namespace Lumora {
class CClassSenior;
class CXyStandButton;
struct EventRecord;
} // namespace Lumora

namespace framework {

// Puts what the object shows (a widget's body) at z; SetZ on a widget sets the widget's own z,
// which its body follows at its own distance.
inline void PlaceAtZ(Lumora::PObject& object, double z) { object.MoveZBy(z - object.GetZ()); }

// Pictures of the timed dialogs.
inline constexpr const char* kMsgTemplate = "系统信息框模板";
inline constexpr const char* kMsgOkPicture = "系统信息框_确定";
inline constexpr const char* kMsgCancelPicture = "系统信息框_取消";
inline constexpr const char* kMsgClosePicture = "系统信息框_关闭";
inline constexpr const char* kNoticeTemplate = "系统通知框模板";
inline constexpr const char* kNoticeButtonPicture = "系统通知框_按钮";
inline constexpr const char* kNoticePortraitFrame = "系统通知框_头像背景";
inline constexpr const char* kAgreePicture = "同意";
inline constexpr const char* kRefusePicture = "拒绝";
// Faces of the exit boxes.
inline constexpr const char* kFacePlaying = "xyf打牌";
inline constexpr const char* kFaceQuestion = "xyf疑问";
// Sounds.
inline constexpr const char* kSoundTouchButton = "SndTouchButton";
inline constexpr const char* kSoundHitButton = "SndHitButton";
inline constexpr const char* kSoundMessage = "Snd_msg";
inline constexpr const char* kSoundHi = "SndHi";
// The dialogs' face.
inline constexpr const char* kDialogFace = "宋体";

// A button on a board: moves, redraws and stacks with it, and shows and hides with it, so a
// shown board can always be closed. One that shows only for some users (clear-zero, report)
// hides with the board and is shown by its own rule after the board.
inline constexpr uint32_t kBoardButtonLinks = Lumora::LINK_OWNED | Lumora::LINK_ROTATE | Lumora::LINK_REDRAW |
    Lumora::LINK_RESIZE | Lumora::LINK_Z | Lumora::LINK_MOVE | Lumora::LINK_ACTIVATE_ALWAYS |
    Lumora::LINK_DEACTIVATE_ALWAYS;
static_assert(kBoardButtonLinks == 0x1980A3);
inline constexpr uint32_t kOptionalBoardButtonLinks = kBoardButtonLinks & ~uint32_t(Lumora::LINK_ACTIVATE_ALWAYS);

// A push button made under `owner` on frame 0 of `picture`, style 0, sending `notify` when
// clicked; with ButtonSounds::Game it plays the hover and press sounds above. Null when the
// engine made none (nothing leaks); the caller places it.
enum class ButtonSounds { None, Game };
Lumora::CXyStandButton* NewFaceButton(Lumora::CClassSenior& owner, const char* picture,
                                      const Lumora::EventRecord& notify, uint32_t faceFlags, ButtonSounds sounds);

} // namespace framework
