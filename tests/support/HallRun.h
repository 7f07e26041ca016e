#pragma once
// The real client started by the hall stand-in (tools/hall/hall.py) against a game-server
// stand-in, in a private folder with the hall's record; the hall's process (tied to the test, see
// TiedChild.h: it ends its client when it goes) is stopped, whatever is left of the client's process
// group (the client leads one) ended, and the folder removed with the object.
#include "tests/support/GameServerStandIn.h"
#include "tests/support/TableFile.h"
#include "tests/support/TiedChild.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace xltest {

class HallRun {
public:
    using Clock = std::chrono::steady_clock;
    // A session-bus address that fails at once, with no launcher forked.
    static constexpr const char* kNoBus = "disabled:";

    // Without a display by default (SDL's dummy video); `env` replaces the environment, except
    // for the sanitizers' options (their suppressions) and TMPDIR, which the client gets as this
    // process has them, and a message bus that is not there: with no bus address the display
    // library's start forks a launcher for one, which hangs a sanitized client. `program` is the
    // client's executable in the build folder (xueliu_checked: the client with the screen check,
    // tests/support/CheckedClient.cpp).
    HallRun(const standin::GameServer& server, std::vector<std::string> hallArgs,
            std::vector<std::string> env = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "PATH=/usr/bin:/bin"},
            const std::string& program = "xueliu")
    {
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "TMPDIR",
                                 "DBUS_SESSION_BUS_ADDRESS"}) {
            const std::string prefix = std::string(name) + "=";
            const char* value = std::getenv(name);
            if (!value && prefix.starts_with("DBUS"))
                value = kNoBus;
            const bool given =
                std::any_of(env.begin(), env.end(), [&](const std::string& e) { return e.starts_with(prefix); });
            if (value && !given)
                env.push_back(prefix + value);
        }
        std::string pattern = TempPattern("xl-e2e-XXXXXX");
        dir_ = mkdtemp(pattern.data());
        RigRegistry::AddFolder(dir_);
        record_ = dir_ + "/record.jsonl";
        std::vector<std::string> args{"/usr/bin/python3", std::string(XL_SOURCE_DIR) + "/tools/hall/hall.py",
                                      std::string(XL_BINARY_DIR) + "/" + program, "--table",
                                      TableFileFor(server.Port(), dir_), "--run-dir", dir_ + "/run",
                                      "--record", record_};
        args.insert(args.end(), hallArgs.begin(), hallArgs.end());
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_ = std::max<pid_t>(SpawnTied(args, envp.data()), 0);
    }
    ~HallRun()
    {
        const pid_t client = ClientPid();
        EndTied(pid_);
        if (client > 0)
            ::kill(-client, SIGKILL);
        std::filesystem::remove_all(dir_);
        RigRegistry::RemoveFolder(dir_);
    }
    HallRun(const HallRun&) = delete;
    HallRun& operator=(const HallRun&) = delete;

    pid_t HallPid() const { return pid_; }
    // The hall's folder: the client's program folder is run/game in it.
    const std::string& Folder() const { return dir_; }
    std::string Record() const
    {
        std::ifstream in(record_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool WaitForRecord(const std::string& needle, int seconds = 30) const
    {
        const auto deadline = Clock::now() + std::chrono::seconds(PacedSeconds(seconds));
        while (Clock::now() < deadline) {
            if (Record().find(needle) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    pid_t ClientPid() const
    {
        const std::string all = Record();
        const size_t start = all.find("client-started");
        const size_t at = start == std::string::npos ? start : all.find("\"pid\": ", start);
        return at == std::string::npos ? 0 : pid_t(std::stol(all.substr(at + 7)));
    }
    // The hall goes now (it shuts its links down).
    void HangUp() const
    {
        if (pid_ > 0)
            kill(pid_, SIGUSR1);
    }
    // The hall's exit status (its client's), -2 for a signal, or -1 after the time-out.
    int Wait(int seconds = 30)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(PacedSeconds(seconds));
        int status = 0;
        while (Clock::now() < deadline) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                Reaped(pid_);
                pid_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

private:
    std::string dir_;
    std::string record_;
    pid_t pid_ = 0;
};

} // namespace xltest
