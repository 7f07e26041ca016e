#include "engine/gui/CGameBase.h"

namespace Lumora {

void CGameBase::SetBounds(const Rect& bounds)
{
    bounds_ = bounds;
    OnSize();
}

} // namespace Lumora
