#pragma once
// The client's scene report (XL_SCENE_REPORT=FILE: one JSON line after a built frame whenever
// what a player could see or click changed) read back by programs that play through the real
// window: the phase, the own hand, the buttons and controls with their boxes on the screen, the
// result rows, whether the side panel and the skill bar are open, and the last chat lines.
#include "BuildPace.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace xltest {

// The scene's phases and boards (xueliu/CMyGame.h).
constexpr int kPhaseIdle = 0, kPhaseExchange = 1, kPhaseMissing = 3, kPhasePlay = 5, kPhaseEnded = 6;
constexpr int kBoardExchange = 1, kBoardMissing = 2, kBoardResult = 3, kBoardSettings = 4;
constexpr int kHandGangChoice = 2;

// A view must stand still this long before a player acts on it (tiles dealt, boards drawn). Not
// paced: a slower build shows each view longer, and a longer wait would find none standing (the
// table changes every few moments).
constexpr std::chrono::milliseconds kSettle{150};
// An action that changed nothing this long is tried again (the click was lost).
constexpr std::chrono::seconds kRetry = Paced(std::chrono::seconds(5));
// A view unchanged this long means the table stands still: the hand will not end.
constexpr std::chrono::seconds kStall = Paced(std::chrono::seconds(40));

inline int Suit(int tile) { return tile / 36; }
inline int Rank(int tile) { return tile % 9; }

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int X() const { return (left + right) / 2; }
    int Y() const { return (top + bottom) / 2; }
    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool Empty() const { return right <= left || bottom <= top; }
};

// One line of the scene's report.
struct View {
    struct Tile {
        int tile = 0, dim = 0;
        Box box;
    };
    struct Check {
        int on = 0;
        Box box;
    };
    struct Row {
        int lines = 0, open = 0;
        Box box;
    };
    int phase = -1, turn = 0, locked = 0, drawn = -1, mode = 0, missing = -1, board = 0;
    int panel = 0, skill = 0; // the side panel unfolded, the skill bar shown
    std::vector<Tile> hand;
    std::vector<int> own, chosen;
    std::map<std::string, Box> buttons;
    std::vector<Check> checks;
    std::vector<Row> rows; // the result's
    Box list; // the result list's box
    int scroll = 0, scrollMax = 0;
    std::vector<std::string> chat; // the side panel's last lines (GBK), emoticons as their codes
    std::vector<std::string> info; // the info boards' lines (GBK) while one shows

    // What an action depends on: everything but the places (a hovered tile lifts).
    std::string signature;

    bool Has(const std::string& button) const { return buttons.count(button) != 0; }
    bool ChatHas(const std::string& text) const
    {
        return std::any_of(chat.begin(), chat.end(), [&](const std::string& l) { return l.find(text) != l.npos; });
    }
};

// The JSON strings of a list that begins at `at` (just past its '['), unescaped.
inline std::vector<std::string> Strings(const std::string& line, size_t at)
{
    std::vector<std::string> out;
    while (at < line.size() && line[at] == '"') {
        std::string s;
        for (++at; at < line.size() && line[at] != '"'; ++at) {
            if (line[at] == '\\' && at + 1 < line.size()) {
                ++at;
                if (line[at] == 'u' && at + 4 < line.size()) {
                    s += char(std::stoi(line.substr(at + 1, 4), nullptr, 16));
                    at += 4;
                    continue;
                }
            }
            s += line[at];
        }
        out.push_back(s);
        at += line.compare(at + 1, 1, ",") == 0 ? 2 : 1;
    }
    return out;
}

inline int Int(const std::string& line, const std::string& key)
{
    const size_t at = line.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + key.size() + 3);
}

inline std::vector<int> Ints(const std::string& line, const std::string& key)
{
    std::vector<int> out;
    const size_t at = line.find("\"" + key + "\":[");
    if (at == std::string::npos)
        return out;
    std::istringstream in(line.substr(at + key.size() + 4, line.find(']', at) - at - key.size() - 4));
    for (std::string n; std::getline(in, n, ',');)
        out.push_back(std::atoi(n.c_str()));
    return out;
}

// The text between `from` and the next `to`.
inline std::string Section(const std::string& line, const std::string& from, const std::string& to)
{
    const size_t a = line.find(from);
    if (a == std::string::npos)
        return {};
    const size_t b = line.find(to, a + from.size());
    return line.substr(a + from.size(), b == std::string::npos ? std::string::npos : b - a - from.size());
}

inline View Parse(const std::string& line)
{
    static const std::string box = R"(\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\])";
    static const std::regex tileRe(R"(\{"tile":(\d+),"dim":(\d+),"rect":)" + box);
    static const std::regex buttonRe(R"re("(\w+)":)re" + box);
    static const std::regex checkRe(R"(\{"on":(\d+),"rect":)" + box);
    static const std::regex rowRe(R"(\{"lines":(\d+),"open":(\d+),"rect":)" + box);
    static const std::regex listRe(R"("list":)" + box + R"(,"scroll":\[(-?\d+),(-?\d+)\])");
    auto boxOf = [](const std::smatch& m, size_t first) {
        return Box{std::stoi(m[first]), std::stoi(m[first + 1]), std::stoi(m[first + 2]), std::stoi(m[first + 3])};
    };
    View v;
    v.phase = Int(line, "phase");
    v.turn = Int(line, "turn");
    v.locked = Int(line, "locked");
    v.drawn = Int(line, "drawn");
    v.mode = Int(line, "mode");
    v.missing = Int(line, "missing");
    v.board = Int(line, "board");
    v.panel = Int(line, "panel");
    v.skill = Int(line, "skill");
    v.own = Ints(line, "own");
    v.chosen = Ints(line, "chosen");
    const std::string hand = Section(line, "\"hand\":[", "],\"own\"");
    for (std::sregex_iterator m(hand.begin(), hand.end(), tileRe), end; m != end; ++m)
        v.hand.push_back({std::stoi((*m)[1]), std::stoi((*m)[2]), boxOf(*m, 3)});
    const std::string buttons = Section(line, "\"buttons\":{", "}");
    for (std::sregex_iterator m(buttons.begin(), buttons.end(), buttonRe), end; m != end; ++m)
        v.buttons[(*m)[1]] = boxOf(*m, 2);
    const std::string checks = Section(line, "\"checks\":[", "],\"rows\"");
    for (std::sregex_iterator m(checks.begin(), checks.end(), checkRe), end; m != end; ++m)
        v.checks.push_back({std::stoi((*m)[1]), boxOf(*m, 2)});
    const std::string rows = Section(line, "\"rows\":[", "],\"");
    for (std::sregex_iterator m(rows.begin(), rows.end(), rowRe), end; m != end; ++m)
        v.rows.push_back({std::stoi((*m)[1]), std::stoi((*m)[2]), boxOf(*m, 3)});
    const size_t chat = line.find("\"chat\":[");
    const std::string head = line.substr(0, chat);
    if (std::smatch m; std::regex_search(head, m, listRe)) {
        v.list = boxOf(m, 1);
        v.scroll = std::stoi(m[5]);
        v.scrollMax = std::stoi(m[6]);
    }
    if (chat != std::string::npos)
        v.chat = Strings(line, chat + 8);
    if (const size_t info = head.find("\"info\":["); info != std::string::npos)
        v.info = Strings(head, info + 8);
    v.signature = std::regex_replace(head, std::regex(box), "") + line.substr(std::min(chat, line.size()));
    return v;
}

// The report file, read as it grows: the last whole line, and since when it stands.
class Report {
public:
    using Clock = std::chrono::steady_clock;

    explicit Report(std::string path) : since(Clock::now()), path_(std::move(path)) {}

    // True when a new line came.
    bool Read()
    {
        std::ifstream in(path_, std::ios::binary);
        if (!in)
            return false;
        in.seekg(std::streamoff(offset_));
        std::string more((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        offset_ += more.size();
        pending_ += more;
        const size_t end = pending_.rfind('\n');
        if (end == std::string::npos)
            return false; // half a line so far
        const std::string whole = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        const size_t start = whole.rfind('\n');
        const std::string line = start == std::string::npos ? whole : whole.substr(start + 1);
        if (line == last_)
            return false;
        last_ = line;
        view = Parse(line);
        text = line;
        since = Clock::now();
        return true;
    }

    View view;
    std::string text; // the line itself
    Clock::time_point since{};

private:
    std::string path_;
    size_t offset_ = 0;
    std::string pending_, last_;
};

} // namespace xltest
