#pragma once
// The hand's lines for its log and the chat (the exchange, 刮风/下雨/查花猪/查大叫/退税, the wins):
// the plain text the scene keeps and the chat markup that shows it, in which every player's name
// is an unbroken run, so that the chat wraps between names and amounts and never inside a name.
// No engine here: the scene hands the markup to the chat.
#include "engine/text/Markup.h"

#include <cstdint>
#include <functional>
#include <string>

namespace xueliu {

struct GameLineText {
    std::string plain; // GBK
    Lumora::Markup markup; // chat markup, names and texts escaped

    GameLineText& Text(const std::string& text);
    GameLineText& Name(const std::string& name);
};

// "<chair> <reason>：" and, for each chair whose delta is not 0, "<name> <signed delta> ".
GameLineText ScoreChangeLine(int chair, const std::string& reason, const int32_t deltas[4],
                             const std::function<std::string(int chair)>& chairName);

} // namespace xueliu
