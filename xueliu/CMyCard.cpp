// This game's tile view adds nothing yet to the generic one.
#include "xueliu/CMyCard.h"

namespace Lumora {

void CMyCard::Create() { CMJCard2::Create(); }

void CMyCard::Update() { CMJCard2::Update(); }

void CMyCard::Reset() { CMJCard2::Reset(); }

void CMyCard::DrawTile() { CMJCard2::DrawTile(); }

} // namespace Lumora
