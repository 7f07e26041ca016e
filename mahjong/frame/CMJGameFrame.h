#pragma once
// CMJGameFrame: the mahjong layer of the in-game frame UI. For now it only places the table's
// character dialogs (the ask to see the hand): centred on the scene's rectangle, above every box
// shown so far.
#include "framework/frame/CXyGameFrame.h"

namespace Lumora {

class CMJGameFrame : public CXyGameFrame {
public:
    // Centres the dialog on `scene` and gives it the next box depth.
    virtual void PlaceCharacter(PObject& dialog, const Rect& scene);
};

} // namespace Lumora
