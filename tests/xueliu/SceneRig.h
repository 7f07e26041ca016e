#pragma once
// This game's scene (a CMyGame of the test's own type) on a headless engine with our skins,
// entered at chair 0 of a game application that holds its game data, with the program's folder
// in a private place and the notification gate installed; for tests of the scene without a
// connection. Everything goes with the object, the engine (and the scene it owns) first.
#include "tests/support/RigRegistry.h"
#include "framework/app/NotifyGate.h"
#include "tests/mahjong/TileRig.h"
#include "xueliu/CGameApp.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

template <typename Scene>
class SceneRig {
public:
    static constexpr auto kSurface = mahjongtest::kSurfaces[2];

    explicit SceneRig(const std::string& name, const mahjongtest::Surface& surface = kSurface)
    {
        dir = std::filesystem::temp_directory_path() / ("xl-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        xltest::RigRegistry::AddFolder(dir.string());
        setenv("XL_PROGRAM_DIR", (dir.string() + "/").c_str(), 1);
        app = std::make_unique<CGameApp>();
        app->OnEnteredAsPlayer(); // chair 0
        engine = std::make_unique<mahjongtest::TileEngine>(std::to_string(::getpid()) + "_" + name);
        SetNotifyGate(&gate);
        scene = new Scene;
        scene->SetGameData(app->GetMahjongGameInfo());
        engine->Register(scene);
        mahjongtest::FakeTileHost unused;
        engine->UseSurface(surface, unused);
        scene->SetBounds(surface.table);
        scene->OnTableEntered();
    }
    ~SceneRig()
    {
        engine.reset();
        SetNotifyGate(nullptr);
        app.reset();
        unsetenv("XL_PROGRAM_DIR");
        std::filesystem::remove_all(dir);
        xltest::RigRegistry::RemoveFolder(dir.string());
    }
    SceneRig(const SceneRig&) = delete;
    SceneRig& operator=(const SceneRig&) = delete;

    std::filesystem::path dir;
    std::unique_ptr<CGameApp> app;
    std::unique_ptr<mahjongtest::TileEngine> engine;
    NotifyGate gate;
    Scene* scene = nullptr; // the engine's
};
