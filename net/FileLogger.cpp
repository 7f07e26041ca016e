#include "net/FileLogger.h"

#include "platform/FileAppend.h"
#include "platform/Paths.h"
#include "platform/ThreadId.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace net {
namespace {

constexpr int kLowestLevel = kLogDebug;
constexpr const char* kTags[] = {"[TRC]", "[DBG]", "[INF]", "[WRN]", "[ERR]", "[FAIL]"};

// Constant-initialised, so logging works before OxtLogInit and after OxtLogExit.
std::mutex gLock;

struct State {
    std::string name = "OXTLog";
    uint32_t flags = kLogDefaultFlags;
};

State& LoggerState()
{
    static State state;
    return state;
}

struct LocalTime {
    std::tm tm;
    int ms;
};

LocalTime Now()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    LocalTime t{};
    localtime_r(&secs, &t.tm);
    t.ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    return t;
}

std::string PathFor(const State& state, const std::tm& tm)
{
    char date[48];
    std::snprintf(date, sizeof date, "%04d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return platform::ProgramFolder() + state.name + date + ".log";
}

} // namespace

void OxtLogInit(const char* name, uint32_t flags)
{
    std::lock_guard lock(gLock);
    State& state = LoggerState();
    if (name != nullptr) {
        state.name = name;
        if (state.name.size() > kLogNameLimit)
            state.name.resize(kLogNameLimit);
    }
    if (flags != 0)
        state.flags = flags;
}

void OxtLogExit()
{
    // Nothing to tear down: the lock is static and every line closes its file.
}

std::string OxtLogFilePath()
{
    std::lock_guard lock(gLock);
    return PathFor(LoggerState(), Now().tm);
}

void OxtLogWrite(int level, std::string_view message)
{
    if (level < kLowestLevel)
        return;
    if (level > kLogFail)
        level = kLogInfo;
    if (message.size() > kLogMessageLimit)
        message = message.substr(0, kLogMessageLimit);

    std::lock_guard lock(gLock);
    const State& state = LoggerState();
    const LocalTime t = Now();
    char head[160];
    const int n = std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d.%03d [%4d]%s ", t.tm.tm_year + 1900,
                                t.tm.tm_mon + 1, t.tm.tm_mday, t.tm.tm_hour, t.tm.tm_min, t.tm.tm_sec, t.ms,
                                static_cast<int>(platform::CurrentThreadId()), kTags[level]);
    std::string line(head, static_cast<size_t>(n));
    line.append(message);
    if (state.flags & kLogCrLf)
        line.append("\r\n");
    // One write per line: the engine's log shares the file. A file that cannot be opened
    // loses the line.
    if (state.flags & kLogToFile)
        platform::AppendToFile(PathFor(state, t.tm), line);
}

void OxtLog(const char* format, ...)
{
    char message[kLogMessageLimit + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (n < 0)
        return;
    const size_t length = static_cast<size_t>(n) < kLogMessageLimit ? static_cast<size_t>(n) : kLogMessageLimit;
    OxtLogWrite(kLogInfo, std::string_view(message, length));
}

} // namespace net
