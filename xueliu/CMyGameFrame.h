#pragma once
// This game's in-game frame: it loads the game's skin packs and makes the two game parts, the
// table scene and the side panel, which it hands to the generic frame. Until the table and the
// side panel are filled in, both are bare game parts that take their rectangles.
#include "framework/frame/CXyGameFrame.h"
#include "xueliu/CMyGame.h"

#include <array>


class CMyGameFrame : public CXyGameFrame {
public:
    // Program-relative paths of the packs, loaded in this order.
    static constexpr std::array<const char*, 4> kSkinPacks{"skins\\frame.xyr", "skins\\table.xyr",
                                                           "skins\\tiles.xyr", "skins\\sound.xyr"};

    // A pack that is missing is logged and left out; the others still load.
    void LoadSkinPacks() override;
    void CreateGameParts() override;
};
