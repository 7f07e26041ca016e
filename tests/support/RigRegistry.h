#pragma once
// What the test rigs made that must not outlive the test process: the programs they started and
// the folders they made, registered while a rig owns them. A test process told to end (SIGHUP
// when its ctest goes, by PR_SET_PDEATHSIG; SIGTERM; Ctrl-C) ends these programs (TERM, then KILL
// after a while), removes the folders and dies of the signal: no destructor runs then.
// InstallEndOnSignal runs before main (tests/support/TestEnvironment.cpp).
// Fixed-size and lock-free, so the signal handler may read it; a rig past the slots goes
// unregistered.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
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
enum : int { kFree };
struct Folder {
    std::atomic<int> state{kFree};
    char path[512] = {};
};
} // namespace rig_detail

class RigRegistry {
public:
    // `group`: the program leads a process group of its own, which is signalled whole.
    static void AddProgram(pid_t pid, bool group = false)
    {
        for (auto& slot : programs_)
            if (pid_t free = 0; slot.compare_exchange_strong(free, group ? -pid : pid))
                return;
    }
    // Once the program was waited for (its pid may be reused).
    static void RemoveProgram(pid_t pid)
    {
        for (auto& slot : programs_)
            for (pid_t held : {pid, -pid})
                if (slot.compare_exchange_strong(held, 0))
                    return;
    }
    static void AddFolder(const std::string& path)
    {
        if (path.empty() || path.size() >= sizeof(rig_detail::Folder::path))
            return;
        for (auto& slot : folders_)
            if (int state = kFree; slot.state.compare_exchange_strong(state, kWriting)) {
                std::memcpy(slot.path, path.c_str(), path.size() + 1);
                slot.state.store(kHeld);
                return;
            }
    }
    static void RemoveFolder(const std::string& path)
    {
        for (auto& slot : folders_)
            if (int state = kHeld;
                slot.state.load() == kHeld && path == slot.path && slot.state.compare_exchange_strong(state, kFree))
                return;
    }

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

private:
    using Folder = rig_detail::Folder;
    enum : int { kFree = rig_detail::kFree, kWriting, kHeld };
    // Zero-initialised before anything runs; a negative pid is a process group.
    static inline std::atomic<pid_t> programs_[64];
    static inline Folder folders_[64];

    static void EndOnSignal(int sig)
    {
        const int saved = errno;
        for (int end : {SIGTERM, SIGKILL}) {
            for (auto& slot : programs_)
                if (const pid_t pid = slot.load())
                    ::kill(pid, end);
            for (int tick = 0; tick < 300 && Running(); ++tick) { // three seconds to go
                const timespec pause{0, 10'000'000};
                ::nanosleep(&pause, nullptr);
            }
            if (!Running())
                break;
        }
        for (auto& slot : folders_)
            if (slot.state.load() == kHeld)
                RemoveTree(AT_FDCWD, slot.path);
        ::signal(sig, SIG_DFL);
        ::raise(sig);
        errno = saved;
    }

    // Whether a program (a child of this process) still runs; those that ended are collected.
    static bool Running()
    {
        bool running = false;
        for (auto& slot : programs_) {
            const pid_t pid = slot.load(), leader = pid < 0 ? -pid : pid;
            int status = 0;
            if (pid == 0)
                continue;
            if (const pid_t got = ::waitpid(leader, &status, WNOHANG); got == leader || (got < 0 && errno == ECHILD))
                slot.store(0);
            else
                running = true;
        }
        return running;
    }

    // rm -rf with async-signal-safe calls; entries removed while the folder is read may hide
    // others, so it is read again until a pass removes nothing.
    static bool RemoveTree(int at, const char* name)
    {
        const int fd = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return ::unlinkat(at, name, 0) == 0;
        for (bool removed = true; removed;) {
            removed = false;
            ::lseek(fd, 0, SEEK_SET);
            alignas(8) char buf[4096];
            for (long n; (n = ::syscall(SYS_getdents64, fd, buf, sizeof buf)) > 0;)
                for (long i = 0; i < n;) {
                    // struct linux_dirent64: ino, off, reclen, type, name
                    unsigned short length;
                    std::memcpy(&length, buf + i + 16, sizeof length);
                    const bool dir = static_cast<unsigned char>(buf[i + 18]) == DT_DIR;
                    const char* child = buf + i + 19;
                    i += length;
                    if (std::strcmp(child, ".") != 0 && std::strcmp(child, "..") != 0 &&
                        (dir ? RemoveTree(fd, child) : ::unlinkat(fd, child, 0) == 0))
                        removed = true;
                }
        }
        ::close(fd);
        return ::unlinkat(at, name, AT_REMOVEDIR) == 0;
    }
};

// Where the rigs make their files: TMPDIR (tools/test.sh gives the suite a folder of its own and
// judges what is left in it), else /tmp. A `pattern` that names no folder ("xl-gs-XXXXXX") is
// placed there; a path stays as it is.
inline std::string TempPattern(const std::string& pattern)
{
    if (pattern.find('/') != std::string::npos)
        return pattern;
    const char* root = std::getenv("TMPDIR");
    return std::string(root && *root ? root : "/tmp") + "/" + pattern;
}

// A folder made for a rig (mkdtemp TempPattern(`pattern`)), registered and removed with the
// object; Path() is empty when it could not be made.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
    {
        if (std::string pattern = TempPattern(name); ::mkdtemp(pattern.data()))
            path_ = pattern;
        RigRegistry::AddFolder(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored), RigRegistry::RemoveFolder(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace xltest
