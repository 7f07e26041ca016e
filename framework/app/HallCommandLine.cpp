// Reading and writing the hall's command line.
#include "framework/app/HallCommandLine.h"

#include "framework/app/ClientUtils.h"

#include <algorithm>
#include <cstdint>

namespace {

// atoi: optional blanks, a sign and decimal digits; a non-number gives 0. Values beyond 32 bits
// are clamped (atoi's overflow is undefined).
int64_t ReadInteger(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    int64_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + (*text++ - '0');
        if (value > 0xFFFFFFFFll)
            value = 0xFFFFFFFFll;
    }
    return negative ? -value : value;
}

int32_t ReadInt32(const char* text)
{
    int64_t v = ReadInteger(text);
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Window ids and user ids are unsigned 32-bit values: the same bits for every valid input, and
// no overflow above 2^31 - 1.
uint32_t ReadUint32(const char* text)
{
    return static_cast<uint32_t>(ReadInteger(text));
}

} // namespace

std::string JoinArguments(const std::vector<std::string>& arguments)
{
    if (arguments.size() == 1)
        return arguments[0];
    std::string joined;
    for (size_t i = 0; i < arguments.size(); ++i)
        joined += (i ? " " : "") + arguments[i];
    return joined;
}

bool IsOptionArgument(const std::vector<std::string>& arguments)
{
    return arguments.size() == 1 && arguments[0].rfind("--", 0) == 0;
}

std::optional<int> TestModeArgument(const std::vector<std::string>& arguments)
{
    constexpr std::string_view kPrefix = "--test-mode=";
    if (arguments.size() != 1 || arguments[0].rfind(kPrefix, 0) != 0)
        return std::nullopt;
    int kind = ReadInt32(arguments[0].c_str() + kPrefix.size());
    if (kind == 0)
        return std::nullopt;
    return kind;
}

std::optional<HallCommandLine> ParseHallCommandLine(std::string text)
{
    if (!text.empty() && text.front() == '"')
        text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    char* fields[HallCommandLine::kMaxFields];
    char* rest = nullptr;
    int n = SplitOnBar(buffer.data(), fields, &rest);
    if (n < HallCommandLine::kMinFields)
        return std::nullopt;
    HallCommandLine line;
    line.fieldCount = n;
    line.gameId = ReadUint32(fields[0]);
    line.serverHost = std::string(fields[1]).substr(0, HallCommandLine::kHostSize - 1);
    line.field2 = ReadInt32(fields[2]);
    line.hallWindow = ReadUint32(fields[3]);
    line.field4 = ReadInt32(fields[4]);
    line.userId = ReadUint32(fields[5]);
    line.field6 = ReadInt32(fields[6]);
    line.chair = ReadInt32(fields[7]);
    line.lookOn = ReadInt32(fields[8]);
    if (n > 9)
        line.relaunched = ReadInt32(fields[9]);
    if (n > 10)
        line.gameName = std::string(fields[10]).substr(0, HallCommandLine::kGameNameSize - 1);
    if (n > 11) {
        int32_t port = ReadInt32(fields[11]);
        line.port = port > 0 && port <= 65535 ? static_cast<uint16_t>(port) : 0;
    }
    if (n > 12)
        line.roomType = ReadUint32(fields[12]);
    if (n > 13)
        line.roomOptions = ReadUint32(fields[13]);
    if (n > 14)
        line.optionWord = ReadUint32(fields[14]);
    return line;
}

std::string BuildRelaunchCommandLine(const HallCommandLine& l, uint16_t port, uint32_t roomType,
                                     uint32_t roomOptions, uint32_t optionWord)
{
    auto u = [](uint64_t v) { return std::to_string(v); };
    auto i = [](int64_t v) { return std::to_string(v); };
    return u(l.gameId) + "|" + l.serverHost + "|" + i(l.field2) + "|" + u(l.hallWindow) + "|" + i(l.field4) + "|" +
           u(l.userId) + "|" + i(l.field6) + "|" + i(l.chair) + "|0|1|" + l.gameName + "|" + u(port) + "|" +
           u(roomType) + "|" + u(roomOptions) + "|" + u(optionWord);
}
