#pragma once
// Runs the game-server stand-in (tools/server/game_server.py) on a loopback port it binds itself
// (and tells through its control socket, a fresh abstract name: a path under a long TMPDIR could
// not be bound), with its log in a temporary folder, for tests of the connection and the requests. Command sends one JSON line to the control socket and returns
// the answer line; the helpers below pick the few fields tests read. The process is stopped
// (TERM, then waited for) with the object, and is tied to the test (TiedChild.h).
#include "platform/LocalSocket.h"
#include "tests/support/BuildPace.h"
#include "tests/support/TiedChild.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace standin {

class GameServer {
public:
    // Extra arguments go to the stand-in (--fault, --scenario, --version ...). With `logged`, its
    // output goes to Log() rather than the test's, for a test that keeps it when it fails.
    explicit GameServer(std::vector<std::string> extra = {}, bool logged = false)
    {
        std::string folder = xltest::TempPattern("xl-gs-XXXXXX");
        if (!mkdtemp(folder.data()))
            return;
        folder_ = folder;
        xltest::RigRegistry::AddFolder(folder_);
        control_ = platform::PrivateLocalName("gs");
        // Port 0: a port picked here and let go could be taken by another process first.
        std::vector<std::string> args{"/usr/bin/python3", std::string(XL_SOURCE_DIR) + "/tools/server/game_server.py",
                                      "--port",           "0",
                                      "--control",        control_};
        args.insert(args.end(), extra.begin(), extra.end());
        const std::string log = Log();
        pid_ = std::max<pid_t>(xltest::SpawnTied(args, nullptr,
                                                 [&] {
                                                     if (!logged)
                                                         return;
                                                     const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT, 0600);
                                                     ::dup2(fd, 1);
                                                     ::dup2(fd, 2);
                                                 }),
                               0);
        if (pid_ == 0)
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(xltest::PacedSeconds(10));
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string state = Command(R"({"op":"state"})");
            const size_t at = state.find("\"port\": ");
            if (state.find("\"ok\": true") != std::string::npos && at != std::string::npos)
                port_ = static_cast<uint16_t>(std::strtoul(state.c_str() + at + 8, nullptr, 10));
            if (port_ != 0 && Listening())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~GameServer()
    {
        xltest::EndTied(pid_);
        if (!folder_.empty()) {
            std::filesystem::remove_all(folder_);
            xltest::RigRegistry::RemoveFolder(folder_);
        }
    }
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    uint16_t Port() const { return port_; }
    // The temporary folder of its log.
    const std::string& Folder() const { return folder_; }
    // Its output, when logged.
    std::string Log() const { return folder_ + "/server.log"; }
    // The stand-in's process, so benchmarks can read its processor time.
    pid_t Pid() const { return pid_; }

    // One command line in, one answer line out (empty when the socket is not there).
    std::string Command(const std::string& json) const
    {
        const int fd = platform::ConnectLocal(control_, platform::LocalKind::Stream);
        std::string answer;
        if (fd >= 0) {
            const std::string line = json + "\n";
            if (send(fd, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size())) {
                char chunk[4096];
                ssize_t n;
                while (answer.find('\n') == std::string::npos && (n = read(fd, chunk, sizeof chunk)) > 0)
                    answer.append(chunk, size_t(n));
                answer.resize(std::min(answer.size(), answer.find('\n')));
            }
            close(fd);
        }
        return answer;
    }

    // The layout problems the stand-in found; "[]" when there are none.
    std::string Errors() const { return Field(Command(R"({"op":"state"})"), "\"errors\": ", ']'); }

    // Hex of every request of that id so far, in order.
    std::vector<std::string> Requests(uint32_t id) const
    {
        const std::string a = Command(R"({"op":"requests","id":)" + std::to_string(id) + "}");
        std::vector<std::string> out;
        for (size_t p = a.find('[') + 1; (p = a.find('"', p)) != std::string::npos;) {
            const size_t e = a.find('"', p + 1);
            out.push_back(a.substr(p + 1, e - p - 1));
            p = e + 1;
        }
        return out;
    }

    // Waits for `count` requests of `id`; the deadline is generous, for a loaded machine, grows
    // with the build's slowness (BuildPace.h), and costs nothing when they come.
    std::vector<std::string> AwaitRequests(uint32_t id, size_t count, int seconds = 30) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(xltest::PacedSeconds(seconds));
        auto got = Requests(id);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            got = Requests(id);
        }
        return got;
    }

    static std::vector<uint8_t> FromHex(const std::string& hex)
    {
        std::vector<uint8_t> out;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
        return out;
    }

private:
    static std::string Field(const std::string& json, const std::string& name, char end)
    {
        const size_t p = json.find(name);
        if (p == std::string::npos)
            return "<no answer>";
        return json.substr(p + name.size(), json.find(end, p) - p - name.size() + 1);
    }

    bool Listening() const
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port_);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // A bare connect that closes at once is taken by the stand-in as a session that ended.
        const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
        close(fd);
        return ok;
    }

    std::string folder_;
    std::string control_;
    uint16_t port_ = 0;
    pid_t pid_ = 0;
};

} // namespace standin
