#include "xueliu/GameCalculator.h"

#include "rules/MyCalclator.h"

namespace xueliu {

namespace {
constexpr int kSevenPairsAllowed = 16;
}

std::shared_ptr<CMJCalclator> MakeGameCalculator(const IRoomTypeQuery* room)
{
    return std::make_shared<Lumora::CMyCalclator>(room);
}

void ResetCalculatorDeal(CMJCalclator* calc, int banker)
{
    auto* my = dynamic_cast<Lumora::CMyCalclator*>(calc);
    if (!my)
        return;
    my->ResetGameState();
    my->m_nBanker = banker;
    my->m_nAllowedHands = kSevenPairsAllowed;
    for (auto& suit : my->m_nMissingSuit)
        suit = -1;
}

void SetCalculatorMissingSuits(CMJCalclator* calc, const std::array<int, 4>& suits)
{
    if (auto* my = dynamic_cast<Lumora::CMyCalclator*>(calc))
        for (size_t c = 0; c < suits.size(); ++c)
            my->m_nMissingSuit[c] = suits[c];
}

bool HandWinsSelfDrawn(CMJCalclator* calc, int chair, const std::vector<int>& hand, int tile)
{
    auto* my = dynamic_cast<Lumora::CMyCalclator*>(calc);
    if (!my || chair < 0 || chair >= Lumora::kChairs)
        return false;
    CardLay lay{};
    for (int t : hand) {
        const CardIndex index = my->GetCardIndex(t, 0);
        if (!IsTileIdValid(t) || index <= 0 || !IsLayIndex(index))
            return false;
        ++lay[size_t(index)];
    }
    my->m_lays[chair] = lay;
    HU_DETAIL detail{};
    return my->CalcBestHuFan(chair, tile, detail, WinFlag::kSelfDrawn) > 0;
}

} // namespace xueliu
