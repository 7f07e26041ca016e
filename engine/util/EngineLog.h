#pragma once
// The engine's two text logs in the program's folder: the daily log "Game<yyyymmdd>.log"
// (shared with the transport's file logger, so each line goes out in one append) and the run
// log "GameRun.log", recreated at every engine start.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// Longest message kept; longer ones are cut.
inline constexpr size_t kLogMessageMax = 1023;

// Appends one line "yyyy/mm/dd     hh:mm:ss      message\r\n" to today's daily log.
// A file that does not open loses the line.
void WriteDailyLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Empties "GameRun.log" and writes the line "GameCore Start".
void StartRunLog();
// Appends one line "yyyy/mm/dd     hh:mm:ss     message\r\n" to "GameRun.log".
void WriteRunLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The pieces above, exposed for callers that need the exact names and lines.
std::string DailyLogFileName(const std::tm& localTime);   // "Game20180919.log" style, no folder
std::string DailyLogPath();                               // today's file in the program folder
std::string RunLogPath();
std::string DailyLogLine(const std::tm& localTime, std::string_view message);
// Without a time (the local time could not be read) the date prints as 0 and the time as -1.
std::string RunLogLine(const std::optional<std::tm>& localTime, std::string_view message);
