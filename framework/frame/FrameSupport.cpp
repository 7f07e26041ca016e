// The push buttons the frame and its dialogs make.
#include "framework/frame/FrameSupport.h"

#include "engine/senior/CClassSenior.h"
#include "widgets/CXyStandButton.h"

namespace framework {

using Lumora::CXyStandButton;

CXyStandButton* NewFaceButton(Lumora::CClassSenior& owner, const char* picture, const Lumora::EventRecord& notify,
                              uint32_t faceFlags, ButtonSounds sounds)
{
    auto* button = owner.NewChild<CXyStandButton>();
    if (!button)
        return nullptr;
    Lumora::PictureInfo face;
    owner.GetPicture(face, picture ? picture : "", 0);
    button->Create(&face, &notify, 0, faceFlags);
    button->SetHandCursor(1);
    if (sounds == ButtonSounds::Game) {
        button->SetSound(CXyStandButton::SOUND_ENTER, kSoundTouchButton);
        button->SetSound(CXyStandButton::SOUND_PRESS, kSoundHitButton);
    }
    return button;
}

} // namespace framework
