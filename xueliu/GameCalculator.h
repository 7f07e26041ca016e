#pragma once
// The scene's calculator of this game, reached through the few operations the scene needs (the
// calculator's own header and the scene's table types cannot share one file).
#include <array>
#include <memory>

class CMJCalclator;
class IRoomTypeQuery;

namespace xueliu {

// This game's calculator; the room query may be null and must outlive it.
std::shared_ptr<CMJCalclator> MakeGameCalculator(const IRoomTypeQuery* room);
// A new deal: the state cleared, the banker, seven pairs allowed, no missing suit known yet.
void ResetCalculatorDeal(CMJCalclator* calc, int banker);
// The chosen missing suits (-1 none).
void SetCalculatorMissingSuits(CMJCalclator* calc, const std::array<int, 4>& suits);

} // namespace xueliu
