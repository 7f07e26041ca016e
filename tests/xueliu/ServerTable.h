#pragma once
// The game-server stand-in's table as tests read it: its control op "table" flattened by
// tests/xueliu/scripts/table_lines.py into plain lines of numbers.
#include "support/GameServerStandIn.h"
#include "tests/support/TiedChild.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// The server's table as tests/xueliu/scripts/table_lines.py prints it.
struct ServerTable {
    struct Seat {
        int missing = -1;
        bool locked = false;
        int drawn = -1; // the tile drawn this turn
        std::vector<int> hand, melds, shown, pungs, discards, final;
        std::vector<std::pair<int, int>> wins; // tile, flags
    };
    int phase = -1, handsPlayed = -1, tilesLeft = -1;
    int humanTimeOuts = -1; // decisions the server took for the own chair
    std::array<Seat, 4> seats;
    std::vector<int> silver, deltas, pigs, ready, reasons;
};

// The seat's tile list a line of `key` holds, or null.
inline std::vector<int> ServerTable::Seat::*SeatList(const std::string& key)
{
    using Seat = ServerTable::Seat;
    static const std::pair<const char*, std::vector<int> Seat::*> lists[] = {
        {"hand", &Seat::hand},   {"melds", &Seat::melds},       {"shown", &Seat::shown},
        {"pungs", &Seat::pungs}, {"discards", &Seat::discards}, {"final", &Seat::final},
    };
    for (const auto& [name, list] : lists)
        if (key == name)
            return list;
    return nullptr;
}

// `dir` is a folder for the state's file.
inline ServerTable ReadTable(const standin::GameServer& server, const std::string& dir)
{
    const std::string file = dir + "/table-state.json";
    std::ofstream(file) << server.Command(R"({"op":"table"})");
    ServerTable table;
    std::istringstream lines(xltest::RunProgram(xltest::Python("tests/xueliu/scripts/table_lines.py", {file})).out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string key;
        in >> key;
        std::vector<int> v;
        for (int x; in >> x;)
            v.push_back(x);
        const bool chaired = !v.empty() && v[0] >= 0 && v[0] < 4;
        ServerTable::Seat* seat = chaired ? &table.seats[size_t(v[0])] : nullptr;
        const std::vector<int> rest = v.empty() ? v : std::vector<int>(v.begin() + 1, v.end());
        if (key == "state" && v.size() == 4) {
            table.phase = v[0];
            table.handsPlayed = v[1];
            table.tilesLeft = v[2];
            table.humanTimeOuts = v[3];
        } else if (key == "seat" && seat && v.size() == 5) {
            seat->missing = v[1];
            seat->locked = v[2] != 0;
            seat->drawn = v[4];
        } else if (std::vector<int> ServerTable::Seat::*list = SeatList(key); seat && list) {
            seat->*list = rest;
        } else if (seat && key == "wins") {
            for (size_t i = 0; i + 1 < rest.size(); i += 2)
                seat->wins.emplace_back(rest[i], rest[i + 1]);
        } else if (key == "silver") {
            table.silver = v;
        } else if (key == "deltas") {
            table.deltas = v;
        } else if (key == "pigs") {
            table.pigs = v;
        } else if (key == "ready") {
            table.ready = v;
        } else if (key == "reasons") {
            table.reasons = v;
        }
    }
    return table;
}
