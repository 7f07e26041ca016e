#pragma once
// Whole-file reads and writes, folder chains and the path helpers of the engine. Paths may use
// the program's backslashes or this system's slashes; they are taken by value and never changed.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The whole file, or nothing for an empty path or a file that does not open (logged).
std::optional<std::string> ReadWholeFile(std::string path);
// Creates or empties the file and writes the bytes; false when it does not open or the write fails.
bool WriteFileBytes(std::string path, const void* bytes, size_t size);
// Makes sure every folder before the last separator exists; creates the missing ones when
// `create` is set (a failure shows a box), else reports false for the first missing one.
// Fewer than two separators: nothing to do, true.
bool CreateDirectoryChain(std::string path, bool create);

// The extension with its dot, lower-cased ("" when the name has none).
std::string GetFileExtensionLower(std::string_view path);
// The file name without folder and extension.
std::string GetFileTitle(std::string_view path);
// The file name with its extension.
std::string GetFileNameFromPath(std::string_view path);

// The program's folder, ending in a separator.
std::string GetProgramFolder();
std::string MakeProgramPath(std::string relative);
bool FileExists(std::string path);
bool ProgramFileExists(std::string relative);
