#include "xueliu/GameLines.h"

#include "widgets/ChatMarkup.h"

namespace xueliu {

GameLineText& GameLineText::Text(const std::string& text)
{
    plain += text;
    markup += Lumora::EscapeMarkup(text);
    return *this;
}

GameLineText& GameLineText::Name(const std::string& name)
{
    plain += name;
    markup += Lumora::UnbrokenMarkup(name);
    return *this;
}

GameLineText ScoreChangeLine(int chair, const std::string& reason, const int32_t deltas[4],
                             const std::function<std::string(int chair)>& chairName)
{
    GameLineText line;
    line.Name(chairName(chair)).Text(" " + reason + "：");
    for (int c = 0; c < 4; ++c)
        if (deltas[c])
            line.Name(chairName(c)).Text((deltas[c] > 0 ? " +" : " ") + std::to_string(deltas[c]) + " ");
    return line;
}

} // namespace xueliu
