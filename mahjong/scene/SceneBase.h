#pragma once
// The base the table scene derives from: the framework's scene.
#include "engine/gui/CGameBase.h"

namespace Lumora {

using CMJSceneBase = CGameBase;

} // namespace Lumora
