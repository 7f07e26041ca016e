#pragma once
// The scene's calculator of this game, reached through the few operations the scene needs (the
// calculator's own header and the scene's table types cannot share one file).
#include <array>
#include <memory>
#include <vector>

class CMJCalclator;
class IRoomTypeQuery;

namespace xueliu {

// This game's calculator; the room query may be null and must outlive it.
std::shared_ptr<CMJCalclator> MakeGameCalculator(const IRoomTypeQuery* room);
// A new deal: the state cleared, the banker, seven pairs allowed, no missing suit known yet.
void ResetCalculatorDeal(CMJCalclator* calc, int banker);
// The chosen missing suits (-1 none).
void SetCalculatorMissingSuits(CMJCalclator* calc, const std::array<int, 4>& suits);
// Whether the chair's concealed hand (tile among them) is a self-drawn win; the hand becomes the
// chair's hand in the calculator's state.
bool HandWinsSelfDrawn(CMJCalclator* calc, int chair, const std::vector<int>& hand, int tile);

} // namespace xueliu
