#include "engine/util/EngineLog.h"

#include "platform/FileAppend.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

std::optional<std::tm> LocalNow()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    if (t == static_cast<std::time_t>(-1) || !localtime_r(&t, &tm))
        return std::nullopt;
    return tm;
}

std::string FormatMessage(const char* format, va_list args)
{
    char buffer[kLogMessageMax + 1];
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0)
        return {};
    return std::string(buffer, std::min<size_t>(static_cast<size_t>(n), kLogMessageMax));
}

std::string Line(int year, int month, int day, int hour, int minute, int second, std::string_view gap,
                 std::string_view message)
{
    char head[96];
    std::snprintf(head, sizeof head, "%02d/%02d/%02d     %02d:%02d:%02d", year, month, day, hour, minute, second);
    std::string line(head);
    line += gap;
    line += message;
    line += "\r\n";
    return line;
}

// This process's own file, made anew at each start and written often (every missing picture):
// it stays open. Never destroyed, so that a thread still logging at exit finds it.
platform::AppendFile& RunLogFile()
{
    static auto& file = *new platform::AppendFile;
    return file;
}

void WriteRunLine(std::string_view message) { RunLogFile().Append(RunLogPath(), RunLogLine(LocalNow(), message)); }

} // namespace

std::string DailyLogFileName(const std::tm& t)
{
    char name[64];
    std::snprintf(name, sizeof name, "Game%d%02d%02d.log", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return name;
}

std::string DailyLogPath()
{
    std::tm t{};
    if (auto now = LocalNow())
        t = *now;
    return platform::ProgramFolder() + DailyLogFileName(t);
}

std::string RunLogPath()
{
    return platform::ProgramFolder() + "GameRun.log";
}

std::string DailyLogLine(const std::tm& t, std::string_view message)
{
    return Line(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, "      ", message);
}

std::string RunLogLine(const std::optional<std::tm>& t, std::string_view message)
{
    if (!t)
        return Line(0, 0, 0, -1, -1, -1, "     ", message);
    return Line(t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec, "     ", message);
}

void WriteDailyLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string message = FormatMessage(format, args);
    va_end(args);
    std::tm t{};
    if (auto now = LocalNow())
        t = *now;
    platform::AppendToFile(platform::ProgramFolder() + DailyLogFileName(t), DailyLogLine(t, message));
}

void StartRunLog()
{
    // Recreated at every start; a folder that cannot be written to simply gets no log.
    RunLogFile().Close();
    if (std::FILE* f = std::fopen(RunLogPath().c_str(), "wb"))
        std::fclose(f);
    WriteRunLine("GameCore Start");
}

void WriteRunLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string message = FormatMessage(format, args);
    va_end(args);
    WriteRunLine(message);
}
