#pragma once
// This game's in-game frame: it loads the game's skin packs and makes the two game parts, the
// table scene (CMyGame) and the side panel, which it hands to the generic frame.
#include "mahjong/frame/CMJGameFrame.h"
#include "xueliu/CMyGame.h"

#include <array>


class CMyGameFrame : public Lumora::CMJGameFrame {
public:
    // Program-relative paths of the packs, loaded in this order.
    static constexpr std::array<const char*, 4> kSkinPacks{"skins\\frame.xyr", "skins\\table.xyr",
                                                           "skins\\tiles.xyr", "skins\\sound.xyr"};

    // A pack that is missing is logged and left out; the others still load.
    void LoadSkinPacks() override;
    void CreateGameParts() override;
    // The rest is the mahjong frame's.
    void Create() override { CMJGameFrame::Create(); }
    void OnSize() override { CMJGameFrame::OnSize(); }
    void CreateTableBackground() override { CMJGameFrame::CreateTableBackground(); }
    void CreateFrameTop() override { CMJGameFrame::CreateFrameTop(); }
    void ShowPlayerDetail(const Lumora::GameUserRecord& user) override { CMJGameFrame::ShowPlayerDetail(user); }
    int OnEvent(const EventRecord& record) override { return CMJGameFrame::OnEvent(record); }
};
