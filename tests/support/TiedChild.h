#pragma once
// Programs the test rigs start (the stand-ins, Xvfb) tied to the test: each is sent SIGTERM when
// the thread that started it ends, so a test stopped by a signal (Ctrl-C, ctest's time-out, an
// abort) leaves none running although no destructor ran; and each is registered (RigRegistry.h)
// until EndTied, so that a test told to end waits for them before it removes their folders.
// Start them from the thread that uses them to the end (the test's own), never from a
// short-lived worker. RunProgram runs a tool or a script to its end the same way.
// No shell ever sees a path: each argument is one argv entry, so a TMPDIR with a space or a quote
// in it stays one argument.
#include "tests/support/RigRegistry.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace xltest {

// Forks and runs argv[0] with the environment given (the process's own when null); `inChild`
// runs in the child first and may only make async-signal-safe calls (the test has threads).
// The child's pid, or -1.
inline pid_t SpawnTied(const std::vector<std::string>& argv, char* const* envp = nullptr,
                       const std::function<void()>& inChild = {})
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    char* const* env = envp ? envp : environ;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid > 0)
        RigRegistry::AddProgram(pid);
    if (pid != 0)
        return pid;
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) // the test ended before the tie was made
        ::_exit(127);
    if (inChild)
        inChild();
    ::execve(args[0], args.data(), env);
    ::_exit(127);
}

// Once the program was waited for: its pid may be another's now.
inline void Reaped(pid_t pid) { RigRegistry::RemoveProgram(pid); }

// Ends the program (SIGTERM) and waits for it.
inline void EndTied(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    Reaped(pid);
}

// How RunProgram wires the program: `env` ("NAME=value") added to this process's environment;
// standard input from the file `in` (else the test's); standard output into the file `out`, else
// captured; `quiet` sends both outputs to /dev/null, `joined` standard error where standard output
// goes (else it is the test's).
struct RunOptions {
    std::vector<std::string> env;
    std::string in, out;
    bool quiet = false;
    bool joined = false;

    static RunOptions To(std::string file, bool joined = false) { return {{}, {}, std::move(file), false, joined}; }
    static RunOptions Quiet() { return {{}, {}, {}, true, false}; }
};

// How a program run to its end ended: its exit status (128 + the signal that ended it, -1 when it
// could not start) and its captured standard output.
struct Ran {
    int status = -1;
    std::string out;
    bool Ok() const { return status == 0; }
};

// This process's environment with `given` ("NAME=value") in place of what it has by those names:
// a variable kept twice would be read as its first (getenv), the inherited one.
inline std::vector<std::string> EnvironmentWith(const std::vector<std::string>& given)
{
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        const size_t nameLength = eq ? size_t(eq - *e) + 1 : std::strlen(*e);
        bool replaced = false;
        for (const std::string& mine : given)
            replaced = replaced || mine.compare(0, nameLength, *e, nameLength) == 0;
        if (!replaced)
            envText.emplace_back(*e);
    }
    envText.insert(envText.end(), given.begin(), given.end());
    return envText;
}

// Runs argv (argv[0] a path, or a name looked up in PATH) to its end.
inline Ran RunProgram(const std::vector<std::string>& argv, const RunOptions& options = {})
{
    const std::vector<std::string> envText = EnvironmentWith(options.env);
    std::vector<char*> args, env;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : envText)
        env.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    env.push_back(nullptr);

    Ran ran;
    int fds[2] = {-1, -1};
    const bool capture = options.out.empty() && !options.quiet;
    if (argv.empty() || (capture && ::pipe2(fds, O_CLOEXEC) != 0))
        return ran;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.in.empty())
        posix_spawn_file_actions_addopen(&actions, 0, options.in.c_str(), O_RDONLY, 0);
    if (capture)
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, options.quiet ? "/dev/null" : options.out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (options.quiet)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    else if (options.joined)
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (capture)
        ::close(fds[1]);
    if (failed == 0) {
        RigRegistry::AddProgram(pid);
        char buffer[4096];
        for (ssize_t n; capture && (n = ::read(fds[0], buffer, sizeof buffer)) != 0;)
            if (n > 0)
                ran.out.append(buffer, size_t(n));
            else if (errno != EINTR)
                break;
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        Reaped(pid);
        ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (capture)
        ::close(fds[0]);
    return ran;
}

// A program whose standard output the test reads while it runs (tied as SpawnTied); Close waits
// for its end and gives its status as RunProgram does.
class ReadingProgram {
public:
    explicit ReadingProgram(const std::vector<std::string>& argv)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        pid_ = SpawnTied(argv, nullptr, [&] { ::dup2(fds[1], 1); });
        ::close(fds[1]);
        out_ = ::fdopen(fds[0], "r");
    }
    ~ReadingProgram() { Close(); }
    ReadingProgram(const ReadingProgram&) = delete;
    ReadingProgram& operator=(const ReadingProgram&) = delete;

    // Null when the pipe could not be made.
    FILE* Out() const { return out_; }
    int Close()
    {
        if (out_)
            std::fclose(out_), out_ = nullptr;
        if (pid_ <= 0)
            return status_;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        Reaped(pid_);
        pid_ = -1;
        return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
    int status_ = -1;
};

#ifdef XL_SOURCE_DIR
// python3 running a script of the tree (a path under the source folder) with its arguments.
inline std::vector<std::string> Python(const std::string& script, std::vector<std::string> args = {})
{
    args.insert(args.begin(), {"/usr/bin/python3", std::string(XL_SOURCE_DIR) + "/" + script});
    return args;
}
#endif

} // namespace xltest
