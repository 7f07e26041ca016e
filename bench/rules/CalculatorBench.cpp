// Speed of the hand calculator: the win check, the best-fan search and the ready-hand hint.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "rules/MyCalclator.h"

namespace {

using i32 = CMJCalclator::i32;
using Lumora::CMyCalclator;

TileId TileOfIndex(CardIndex i, int copy) { return (i / 10) * 36 + (i % 10 - 1) + 9 * copy; }

// A winning 14-tile lay built from four sets and a pair in the given suits.
CardLay WinningHand(std::mt19937& rng, int suits) {
  for (;;) {
    CardLay lay{};
    bool ok = true;
    auto face = [&](int high) {
      return std::uniform_int_distribution<int>(0, suits - 1)(rng) * 10 + std::uniform_int_distribution<int>(1, high)(rng);
    };
    for (int set = 0; set < 4; ++set) {
      if (rng() % 2) {
        const CardIndex f = face(9);
        ok = ok && (lay[f] += 3) <= 4;
      } else {
        const CardIndex f = face(7);
        for (int k = 0; k < 3; ++k) ok = ok && ++lay[f + k] <= 4;
      }
    }
    const CardIndex pair = face(9);
    ok = ok && (lay[pair] += 2) <= 4;
    if (ok) return lay;
  }
}

CardIndex HeldFace(std::mt19937& rng, const CardLay& lay) {
  for (;;) {
    const CardIndex i = std::uniform_int_distribution<int>(1, 29)(rng);
    if (lay[i] > 0) return i;
  }
}

struct Case {
  CardLay lay;  // without the tile
  TileId tile;
};

std::vector<Case> WinCheckCases() {
  std::mt19937 rng(1);
  std::vector<Case> cases;
  std::vector<TileId> wall(108);
  for (TileId id = 0; id < 108; ++id) wall[id] = id;
  for (int n = 0; n < 4096; ++n) {
    CardLay lay{};
    if (n % 2 == 0) {
      lay = WinningHand(rng, 3);
    } else {
      std::shuffle(wall.begin(), wall.end(), rng);
      for (int k = 0; k < 14; ++k) ++lay[(wall[k] / 36) * 10 + wall[k] % 9 + 1];
    }
    const CardIndex won = HeldFace(rng, lay);
    --lay[won];
    cases.push_back({lay, TileOfIndex(won, 3)});
  }
  return cases;
}

void BM_CanHuLay(benchmark::State& state) {
  CMJCalclator calc;
  const std::vector<Case> cases = WinCheckCases();
  HU_DETAIL detail{};
  std::size_t k = 0;
  i32 wins = 0;
  for (auto _ : state) {
    const Case& c = cases[k++ & 4095];
    i32 c1 = 0, c2 = 0, w = 0;
    wins += calc.CanHuLay(c.lay, c.tile, -1, -1, c1, c2, w, 0, 16, detail, 1) != 0;
    benchmark::DoNotOptimize(detail);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  state.counters["win_share"] = static_cast<double>(wins) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CanHuLay);

CMyCalclator& Table() {
  static CMyCalclator calc;
  calc.ResetGameState();
  calc.m_nAllowedHands = 16;
  calc.m_nMissingSuit[0] = 2;
  calc.m_nBanker = 1;
  return calc;
}

// Runs `call` once per iteration on the next hand and reports the median time of one call.
template <typename Call>
void TimePerCall(benchmark::State& state, std::size_t hands, Call call) {
  std::vector<double> us;
  std::size_t k = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    call(k++ % hands);
    us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(us.begin(), us.begin() + us.size() / 2, us.end());
  state.counters["median_us"] = us[us.size() / 2];
}

void BM_CalcBestHuFan(benchmark::State& state) {
  CMyCalclator& calc = Table();
  std::mt19937 rng(2);
  std::vector<Case> cases;
  for (int n = 0; n < 1024; ++n) {
    CardLay lay = WinningHand(rng, 2);
    const CardIndex won = HeldFace(rng, lay);
    if (n % 2) --lay[won];  // odd hands win on a discard, even ones self-drawn
    cases.push_back({lay, TileOfIndex(won, 3)});
  }
  HU_DETAIL detail{};
  TimePerCall(state, cases.size(), [&](std::size_t k) {
    calc.m_lays[0] = cases[k].lay;
    benchmark::DoNotOptimize(calc.CalcBestHuFan(0, cases[k].tile, detail, k % 2 ? 1 : 2));
  });
}
BENCHMARK(BM_CalcBestHuFan);

void BM_CalcTingMaxMultiple(benchmark::State& state) {
  CMyCalclator& calc = Table();
  std::mt19937 rng(3);
  std::vector<CardLay> hands;
  for (int n = 0; n < 1024; ++n) {
    CardLay lay = WinningHand(rng, 2);
    --lay[HeldFace(rng, lay)];
    hands.push_back(lay);
  }
  HU_DETAIL detail{};
  std::vector<TileId> tiles;
  TimePerCall(state, hands.size(), [&](std::size_t k) {
    calc.m_lays[0] = hands[k];
    tiles.clear();
    benchmark::DoNotOptimize(calc.CalcTingMaxMultiple(0, detail, &tiles, 0));
  });
}
BENCHMARK(BM_CalcTingMaxMultiple);

}  // namespace

