// Two independent fan counts: every win of 200 robot hands played by the game-server stand-in's
// table (its own count, in Python) is counted again by the calculator, and both must give the
// same total and the same sixteen counters.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "rules/MyCalclator.h"
#include "tests/support/TiedChild.h"

namespace {

using i32 = CMJCalclator::i32;
using Lumora::CMyCalclator;

std::vector<i32> Ints(const std::string& text) {
  std::istringstream in(text);
  std::vector<i32> out;
  for (i32 v; in >> v;) out.push_back(v);
  return out;
}

CardIndex IndexOfTile(i32 tile) { return (tile / 36) * 10 + tile % 9 + 1; }

struct WinCase {
  std::vector<i32> head, hand, melds[4], counters;
  std::string line;
};

std::vector<WinCase> ReadCases(int hands, int seed) {
    const xltest::Ran run = xltest::RunProgram(xltest::Python(
        "tools/server/fan_cases.py", {"--hands", std::to_string(hands), "--seed", std::to_string(seed)}));
    std::vector<WinCase> out;
    std::string line;
    for (char ch : run.out) {
        if (ch != '\n') {
            line += char(ch);
            continue;
        }
        std::vector<std::string> parts(1);
        for (char c : line) {
            if (c == '|')
                parts.emplace_back();
            else
                parts.back().push_back(c);
        }
        if (parts.size() == 7) {
            WinCase w;
            w.head = Ints(parts[0]);
            w.hand = Ints(parts[1]);
            for (int k = 0; k < 4; ++k)
                w.melds[k] = Ints(parts[2 + k]);
            w.counters = Ints(parts[6]);
            w.line = line;
            out.push_back(w);
        }
        line.clear();
    }
    EXPECT_EQ(run.status, 0) << "fan_cases.py --hands " << hands << " --seed " << seed;
    return out;
}

TEST(FanAgreement, StandInCountEqualsTheCalculatorOnRobotWins) {
  const std::vector<WinCase> cases = ReadCases(200, 7);
  ASSERT_GT(cases.size(), 200u);
  int checked = 0;
  for (const WinCase& w : cases) {
    ASSERT_EQ(w.head.size(), 8u) << w.line;
    ASSERT_EQ(w.counters.size(), 16u) << w.line;
    const i32 chair = w.head[0], missing = w.head[1], winFlags = w.head[2], tile = w.head[3];
    CMyCalclator calc;
    calc.ResetGameState();
    calc.m_nAllowedHands = 16;
    calc.m_nBanker = (chair + 1) % 4;
    for (int c = 0; c < 4; ++c) calc.m_nMissingSuit[c] = c == chair ? missing : 0;
    for (i32 t : w.hand) ++calc.m_lays[chair][IndexOfTile(t)];
    calc.m_nWallFlag = 1;
    calc.m_nWallCountA = 108 - w.head[4];
    calc.m_nAfterKongDiscard = w.head[5];
    calc.m_nKongReplacement = w.head[6];
    // Pungs, gangs on a discard, concealed gangs, added gangs: meld kinds 0, 2, 3, 4.
    const int kinds[4] = {Lumora::kMeldPung, Lumora::kMeldKong2, Lumora::kMeldKong3, Lumora::kMeldKong4};
    for (int k = 0; k < 4; ++k) {
      const size_t size = k == 0 ? 3 : 4;
      for (size_t i = 0; i + size <= w.melds[k].size(); i += size) {
        _tagCARDS_UNIT u{{-1, -1, -1, -1}, {0, 0, 0}};
        for (size_t j = 0; j < size; ++j) u.nCards[j] = w.melds[k][i + j];
        calc.m_melds[kinds[k]][chair].push_back(u);
        if (k == 0)
          for (size_t j = 0; j < size; ++j) calc.m_unitRecords.push_back({{u.nCards[j], 0, 0, 10}, {0, 0, 0}});
      }
    }
    HU_DETAIL d{};
    const i32 fan = calc.CalcBestHuFan(chair, tile, d, winFlags);
    EXPECT_EQ(fan, w.head[7]) << w.line;
    for (int k = 0; k < 16; ++k) EXPECT_EQ(d.nFanCounters[k], w.counters[k]) << "counter " << k << ": " << w.line;
    ++checked;
  }
  EXPECT_EQ(checked, int(cases.size()));
}

}  // namespace
