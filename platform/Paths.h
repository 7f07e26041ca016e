#pragma once
// Folders the program keeps its files in, and the translation of the program's own
// backslash-separated relative paths ("skins\frame.xyr") to this system's form.
#include <string>
#include <string_view>

namespace platform {

// The folder of the running executable, ending in '/'. XL_PROGRAM_DIR in the environment, or
// SetProgramFolder (tests), takes its place.
std::string ProgramFolder();
void SetProgramFolder(std::string folder); // empty restores the default
// The folder of the running executable itself, ending in '/', whatever the program folder is:
// where the files the program ships with stand (the hall runs it with another program folder).
std::string ExecutableFolder();
// A file the program ships with (`relative` to a folder, with slashes): under the program
// folder, else beside the executable (the hall runs the program in a folder of its own, which
// holds the skins but not these files), else under XL_SOURCE_DIR (a build tree run from its
// source checkout). Empty when none holds it.
std::string ShippedFile(std::string_view relative);

// The folder for temporary files (TMPDIR or /tmp), ending in '/'.
std::string TempFolder();

// A per-machine folder in place of the system directory (XL_MACHINE_DIR, else
// $XDG_DATA_HOME/xueliu, else ~/.local/share/xueliu), ending in '/'; created when missing.
// Without HOME: $TMPDIR/xueliu-machine, else the account's home folder; never a folder in /tmp
// that every user of the machine shares. A home that is not there is not made. When the folder
// cannot be made or written (a read-only or missing home), or there is no place at all, there is
// none: the program keeps nothing of the machine's rather than write it where it was started.
enum class MachineFolderProblem { None, NoPlace, Unusable };
struct MachineFolderChoice {
    std::string folder; // ending in '/'; empty with a problem
    MachineFolderProblem problem = MachineFolderProblem::None;
    std::string tried; // the folder that could not be made or written (Unusable)
};
MachineFolderChoice ChooseMachineFolder();
std::string MachineFolder(); // ChooseMachineFolder().folder

// Backslashes become slashes (not the trail byte of a two-byte character); nothing else changes.
std::string NativePath(std::string_view path);

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

} // namespace platform
