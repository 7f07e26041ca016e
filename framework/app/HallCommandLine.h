#pragma once
// The hall's command line: one text of '|'-separated fields (game id, server host, user id, the
// hall's window id, chair, ... up to 15), at least 9 of them. No IO: the start-up joins the
// program's arguments, asks here for the test-mode argument, and parses the text.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HallCommandLine {
    static constexpr int kMinFields = 9;
    static constexpr int kMaxFields = 30;
    static constexpr size_t kHostSize = 32;
    static constexpr size_t kGameNameSize = 128;

    uint32_t gameId = 0;          // 0
    std::string serverHost;       // 1, at most 31 bytes
    int32_t field2 = 0;           // 2
    uint32_t hallWindow = 0;      // 3
    int32_t field4 = 0;           // 4
    uint32_t userId = 0;          // 5
    int32_t field6 = -1;          // 6
    int32_t chair = -1;           // 7
    int32_t lookOn = 0;           // 8
    int32_t relaunched = 0;       // 9
    std::string gameName;         // 10, at most 127 bytes
    uint16_t port = 0;            // 11; 0: the default port
    std::optional<uint32_t> roomType;    // 12
    std::optional<uint32_t> roomOptions; // 13
    std::optional<uint32_t> optionWord;  // 14
    int fieldCount = 0;
};

// The command line of the process: argv[1] when there is one argument, else argv[1..] joined
// by blanks (the hall's text may have been split at its blanks).
std::string JoinArguments(const std::vector<std::string>& arguments);

// "--test-mode=<kind>": the kind (nonzero) when it is the one argument. An argument that starts
// with "--" is never a hall command line.
std::optional<int> TestModeArgument(const std::vector<std::string>& arguments);
bool IsOptionArgument(const std::vector<std::string>& arguments);

// nullopt when fewer than 9 fields. A text wrapped in double quotes loses its first and last
// character first. Fields beyond the 30th stay unread.
std::optional<HallCommandLine> ParseHallCommandLine(std::string text);

// The 15-field command line of a relaunch (look-on 0, relaunched 1).
std::string BuildRelaunchCommandLine(const HallCommandLine& line, uint16_t port, uint32_t roomType,
                                     uint32_t roomOptions, uint32_t optionWord);
