#include "xueliu/CMyGameFrame.h"

#include "engine/util/EngineLog.h"
#include "framework/frame/FrameSupport.h"
#include "platform/Paths.h"
#include "services/panel/CSubSystem.h"

#include <filesystem>
#include <memory>

void CMyGameFrame::LoadSkinPacks()
{
    for (const char* pack : kSkinPacks) {
        const std::string path = platform::NativePath(platform::ProgramFolder() + pack);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            WriteDailyLog("skin pack %s is missing", pack);
            continue;
        }
        AddResourcePack(path.c_str());
    }
}

void CMyGameFrame::CreateGameParts()
{
    // Handed over unregistered: the frame registers, names and owns them.
    SetSubSystem(std::make_unique<Lumora::CMJSubSystem>().release());
    SetMainGame(std::make_unique<CMyGame>().release());
}
