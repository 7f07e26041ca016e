#pragma once
// What the test rigs made that must not outlive the test process: the programs they started and
// the folders they made. Each rig adds them here while it owns them and takes them out when it
// has ended or removed them itself. A test process that is told to end (SIGHUP when its ctest
// goes, by PR_SET_PDEATHSIG; SIGTERM; Ctrl-C) ends these programs (TERM, waited for, KILL after a
// while), removes the folders and then dies of the signal: no destructor runs then. SIGHUP, as
// a test that runs the whole client in its own process hands SIGTERM and SIGINT to the client's
// quit watcher (platform/QuitSignals.h).
// InstallEndOnSignal is called once, before main (tests/support/TestEnvironment.cpp).
//
// The registry is fixed-size and lock-free, so that the signal handler may read it; Add and
// Remove may be called from any thread. A rig past the slots simply goes unregistered.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace xltest {

namespace rig_detail {
enum : int { kFree, kWriting, kHeld };
struct Program {
    std::atomic<pid_t> pid{0}; // negative: a process group
};
struct Folder {
    std::atomic<int> state{kFree};
    char path[512] = {};
};
// Zero-initialised before anything runs: the signal handler may read them at any time.
inline Program programs[64];
inline Folder folders[64];
} // namespace rig_detail

class RigRegistry {
public:
    static constexpr size_t kPathMax = sizeof(rig_detail::Folder::path);

    // `group`: the program leads a process group of its own, which is signalled whole.
    static void AddProgram(pid_t pid, bool group = false)
    {
        for (auto& slot : programs_) {
            pid_t free = 0;
            if (slot.pid.compare_exchange_strong(free, group ? -pid : pid))
                return;
        }
    }
    // Once the program was waited for (its pid may be reused).
    static void RemoveProgram(pid_t pid)
    {
        for (auto& slot : programs_)
            for (pid_t held : {pid, -pid})
                if (slot.pid.compare_exchange_strong(held, 0))
                    return;
    }
    static void AddFolder(const std::string& path)
    {
        if (path.empty() || path.size() >= kPathMax)
            return;
        for (auto& slot : folders_) {
            int state = kFree;
            if (!slot.state.compare_exchange_strong(state, kWriting))
                continue;
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state.store(kHeld);
            return;
        }
    }
    static void RemoveFolder(const std::string& path)
    {
        for (auto& slot : folders_) {
            int state = kHeld;
            if (slot.state.load() == kHeld && path == slot.path && slot.state.compare_exchange_strong(state, kFree))
                return;
        }
    }

    // The test process ends with its parent (ctest) and cleans up on the signals that end it.
    static void InstallEndOnSignal()
    {
        struct sigaction action = {};
        action.sa_handler = EndOnSignal;
        sigemptyset(&action.sa_mask);
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(sig, &action, nullptr);
        const pid_t parent = ::getppid();
        ::prctl(PR_SET_PDEATHSIG, SIGHUP);
        if (::getppid() != parent) // the parent went before the tie was made
            ::raise(SIGHUP);
    }

    // The handler's work, apart for tests: ends the programs, removes the folders.
    static void CleanUp()
    {
        for (int sig : {SIGTERM, SIGKILL}) {
            for (auto& slot : programs_)
                if (const pid_t pid = slot.pid.load())
                    ::kill(pid, sig);
            // Three seconds for the programs to go (async-signal-safe waiting: nanosleep).
            for (int tick = 0; tick < 300 && Running(); ++tick) {
                const timespec pause{0, 10'000'000};
                ::nanosleep(&pause, nullptr);
            }
            if (!Running())
                break;
        }
        for (auto& slot : folders_)
            if (slot.state.load() == kHeld) {
                RemoveTree(AT_FDCWD, slot.path);
                slot.state.store(kFree);
            }
    }

private:
    enum : int { kFree = rig_detail::kFree, kWriting = rig_detail::kWriting, kHeld = rig_detail::kHeld };

    static void EndOnSignal(int sig)
    {
        const int saved = errno;
        CleanUp();
        ::signal(sig, SIG_DFL);
        ::raise(sig);
        errno = saved;
    }

    // Whether a program (a child of this process) still runs; those that ended are collected.
    static bool Running()
    {
        bool running = false;
        for (auto& slot : programs_) {
            const pid_t pid = slot.pid.load();
            if (pid == 0)
                continue;
            const pid_t leader = pid < 0 ? -pid : pid;
            int status = 0;
            const pid_t got = ::waitpid(leader, &status, WNOHANG);
            if (got == leader || (got < 0 && errno == ECHILD))
                slot.pid.store(0);
            else
                running = true;
        }
        return running;
    }

    // rm -rf with system calls only (async-signal-safe); entries removed while the folder is
    // read may hide others, so it is read again until a pass removes nothing. True when gone.
    static bool RemoveTree(int at, const char* name)
    {
        const int fd = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return ::unlinkat(at, name, 0) == 0;
        for (bool removed = true; removed;) {
            removed = false;
            ::lseek(fd, 0, SEEK_SET);
            alignas(8) char buf[4096];
            for (long n; (n = ::syscall(SYS_getdents64, fd, buf, sizeof buf)) > 0;) {
                for (long at = 0; at < n;) {
                    // struct linux_dirent64: ino, off, reclen, type, name
                    const char* entry = buf + at;
                    unsigned short length;
                    std::memcpy(&length, entry + 16, sizeof length);
                    const unsigned char type = static_cast<unsigned char>(entry[18]);
                    const char* child = entry + 19;
                    at += length;
                    if (std::strcmp(child, ".") == 0 || std::strcmp(child, "..") == 0)
                        continue;
                    if (type == DT_DIR ? RemoveTree(fd, child) : ::unlinkat(fd, child, 0) == 0)
                        removed = true;
                }
            }
        }
        ::close(fd);
        return ::unlinkat(at, name, AT_REMOVEDIR) == 0;
    }

    static constexpr auto& programs_ = rig_detail::programs;
    static constexpr auto& folders_ = rig_detail::folders;
};

} // namespace xltest

namespace xltest {

// A folder made for a rig (mkdtemp `pattern`) and removed with the object, however the test ends;
// registered meanwhile, so a test ended by a signal removes it too. Path() is empty when the
// folder could not be made.
class TempFolder {
public:
    explicit TempFolder(std::string pattern)
    {
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
        RigRegistry::AddFolder(path_);
    }
    ~TempFolder()
    {
        if (path_.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        RigRegistry::RemoveFolder(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace xltest
