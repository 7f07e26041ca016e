#pragma once
// This game's tile view: the scene's pool holds these. Creation, update, reset and drawing
// override the generic ones and call them first, so that this game's additions have a place.
#include "mahjong/tiles/CMJCard2.h"

namespace Lumora {

class CMyCard : public CMJCard2 {
public:
    using CMJCard2::CMJCard2;

    void Create() override;
    void Update() override;
    void Reset() override;
    void DrawTile() override;
};

} // namespace Lumora
