#pragma once
// What the test rigs made that must not outlive the test process: the programs they started and
// the folders they made, registered while a rig owns them. A test process told to end (SIGHUP
// when its ctest goes, by PR_SET_PDEATHSIG; SIGTERM; Ctrl-C) ends these programs (TERM, then KILL
// after a while), removes the folders and dies of the signal: no destructor runs then.
// InstallEndOnSignal runs before main (tests/support/TestEnvironment.cpp).
// Fixed-size and lock-free, so the signal handler may read it; a rig past the slots goes
// unregistered.
// A test process may also be killed outright: ctest's time-out sends SIGKILL to the test and every
// program under it, and no handler runs. So each test process works in a folder of its own in
// TMPDIR (OwnTemporaryFolder: it becomes the process's TMPDIR, and every rig folder stands in it),
// and a keeper outside the process tree removes that folder once the process is gone, however it
// went.
#include <dirent.h>
#include <poll.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

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

    // Makes a folder in TMPDIR this process's TMPDIR (before main, while it has one thread) and
    // ties the folder to the process: it goes at exit (after the programs still running under the
    // process are ended), on a signal above, and, when the process is killed, by the keeper.
    static void OwnTemporaryFolder()
    {
        const char* root = std::getenv("TMPDIR");
        std::string pattern = std::string(root && *root ? root : "/tmp") + "/xl-XXXXXX";
        if (pattern.size() >= sizeof processFolder_ || !::mkdtemp(pattern.data()))
            return; // the rigs work in TMPDIR itself
        std::memcpy(processFolder_, pattern.c_str(), pattern.size() + 1);
        folderOwner_ = ::getpid();
        ::setenv("TMPDIR", processFolder_, 1);
        StartKeeper();
        std::atexit([] {
            if (::getpid() != folderOwner_)
                return;
            EndChildrenBut({});
            RemoveTree(AT_FDCWD, processFolder_);
        });
    }

    // The programs `parent` started that still run or wait to be collected, read from /proc (the
    // kernel may list no children per task).
    static std::vector<pid_t> Children(pid_t parent = ::getpid())
    {
        std::vector<pid_t> children;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::string stat;
            std::getline(std::ifstream(entry.path() / "stat"), stat);
            const size_t end = stat.rfind(')'); // the name in parentheses may hold anything
            char state = 0;
            int ppid = 0;
            if (end != std::string::npos && std::sscanf(stat.c_str() + end + 1, " %c %d", &state, &ppid) == 2 &&
                ppid == parent)
                children.push_back(static_cast<pid_t>(std::stol(name)));
        }
        return children;
    }

    // Ends the programs this process started that are not `kept` (TERM to each, and to the group it
    // leads with whatever it started; KILL after three seconds) and waits until each has ended, so
    // that none writes into a folder after the folder went. Their collection is left to whoever
    // started them.
    static void EndChildrenBut(const std::vector<pid_t>& kept)
    {
        std::vector<std::pair<pid_t, int>> ending; // pid, pidfd
        for (const pid_t pid : Children()) {
            if (std::find(kept.begin(), kept.end(), pid) != kept.end())
                continue;
            if (const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); fd >= 0)
                ending.emplace_back(pid, fd);
        }
        for (int end : {SIGTERM, SIGKILL}) {
            for (const auto& [pid, fd] : ending) {
                if (::getpgid(pid) == pid)
                    ::kill(-pid, end);
                ::syscall(SYS_pidfd_send_signal, fd, end, nullptr, 0);
            }
            bool all = true;
            for (const auto& [pid, fd] : ending) {
                pollfd ended{fd, POLLIN, 0};
                all = ::poll(&ended, 1, 3000) == 1 && all;
            }
            if (all)
                break;
        }
        for (const auto& [pid, fd] : ending)
            ::close(fd);
    }

private:
    using Folder = rig_detail::Folder;
    enum : int { kFree = rig_detail::kFree, kWriting, kHeld };
    // Zero-initialised before anything runs; a negative pid is a process group.
    static inline std::atomic<pid_t> programs_[64];
    static inline Folder folders_[64];
    static inline char processFolder_[512] = {};
    static inline pid_t folderOwner_ = 0;

    // The keeper: a grandchild whose parent ends at once, so that it stands outside the test's
    // process tree, waits on a pipe that only this process (its writing end closes on exec) holds
    // open, and removes the process's folder once the pipe says the process is gone. A program
    // still writing there then is retried for a few seconds.
    static void StartKeeper()
    {
        int link[2];
        if (::pipe2(link, O_CLOEXEC) != 0)
            return;
        const pid_t middle = ::fork();
        if (middle == 0) {
            ::setsid();
            if (::fork() != 0)
                ::_exit(0);
            const int quiet = ::open("/dev/null", O_RDWR);
            for (int fd : {0, 1, 2})
                ::dup2(quiet, fd); // ctest reads the test's output until every writer is gone
            ::dup2(link[0], 3);
            ::close_range(4, ~0u, 0);
            char byte;
            while (::read(3, &byte, 1) < 0 && errno == EINTR) {
            }
            for (int tries = 0; tries < 50 && ::access(processFolder_, F_OK) == 0; ++tries) {
                if (RemoveTree(AT_FDCWD, processFolder_))
                    break;
                const timespec pause{0, 100'000'000};
                ::nanosleep(&pause, nullptr);
            }
            ::_exit(0);
        }
        ::close(link[0]);
        if (middle > 0)
            ::waitpid(middle, nullptr, 0);
    }

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
        if (::getpid() == folderOwner_)
            RemoveTree(AT_FDCWD, processFolder_);
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

// Where the rigs make their files: TMPDIR (the test process's own folder, OwnTemporaryFolder, in
// the folder tools/test.sh gives the suite and judges what is left in), else /tmp. A `pattern` that names no folder ("xl-gs-XXXXXX") is
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
