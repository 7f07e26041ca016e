#pragma once
// The hand and the arrow over chat links: through the cursor object "object_cursor" when the
// game has one, else the system cursor of the input module.
namespace Lumora {

class CClassSenior;

void ShowChatCursor(CClassSenior& widget, bool hand);

} // namespace Lumora
