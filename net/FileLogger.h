#pragma once
// The transport's file logger, which the whole game also uses for its operational lines:
// "YYYY-MM-DD HH:MM:SS.mmm [tid][TAG] message" appended to <program folder><name>YYYYMMDD.log,
// the same daily file the engine's log writes to.
#include <cstdint>
#include <string>
#include <string_view>

namespace net {

inline constexpr uint32_t kLogCrLf = 0x8;
inline constexpr uint32_t kLogToFile = 0x80000;
inline constexpr uint32_t kLogDefaultFlags = 0x80008;
inline constexpr uint32_t kGameLogFlags = 0xA001D;
inline constexpr size_t kLogNameLimit = 259;
inline constexpr size_t kLogMessageLimit = 3999;

enum LogLevel { kLogTrace = 0, kLogDebug, kLogInfo, kLogWarn, kLogError, kLogFail };

// Null name keeps the current one (default "OXTLog"); zero flags keep the current flags.
// Safe to call at any time; logging before it uses the defaults.
void OxtLogInit(const char* name, uint32_t flags);
void OxtLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void OxtLogExit();

// One line at a level; levels below the lowest written level (debug) are dropped, and a level
// outside trace..fail counts as info. The message is cut to kLogMessageLimit bytes.
void OxtLogWrite(int level, std::string_view message);

// The file the next line of today goes to.
std::string OxtLogFilePath();

} // namespace net
