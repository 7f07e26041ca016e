#include "LocalDaemons.h"

#include "platform/Socket.h"
#include "platform/SocketListener.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace nettest {

namespace {

pid_t Spawn(const std::vector<std::string>& argv, const std::string& log)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool RunToEnd(const std::vector<std::string>& argv, const std::string& log)
{
    const pid_t pid = Spawn(argv, log);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), X_OK) == 0;
}

void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644)
{
    std::ofstream(path) << text;
    ::chmod(path.c_str(), mode);
}

std::string Log(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

uint16_t FreePort()
{
    platform::SocketListener l;
    return l.Port();
}

LocalDaemon::LocalDaemon()
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/xl_proxy_XXXXXX";
    if (::mkdtemp(pattern.data()))
        folder_ = pattern;
    ::chmod(folder_.c_str(), 0755); // workers that drop privileges still read their files
}

LocalDaemon::~LocalDaemon()
{
    for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) {
        ::kill(*it, SIGTERM);
        int status;
        for (int i = 0; i < 300 && waitpid(*it, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(*it, &status, WNOHANG) == 0) {
            ::kill(*it, SIGKILL);
            waitpid(*it, &status, 0);
        }
    }
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

void LocalDaemon::Fail(const std::string& what)
{
    if (error_.empty())
        error_ = what;
}

bool LocalDaemon::Start(const std::string& package, const std::vector<std::string>& argv, uint16_t port)
{
    if (!Exists(argv[0])) {
        Fail(argv[0] + " is missing: install the Debian package " + package + " (tools/setup/install.sh)");
        return false;
    }
    const std::string log = folder_ + "/" + std::filesystem::path(argv[0]).filename().string() + ".log";
    const pid_t pid = Spawn(argv, log);
    if (pid <= 0) {
        Fail("cannot start " + argv[0] + " (package " + package + ")");
        return false;
    }
    pids_.push_back(pid);
    for (int i = 0; i < 100; ++i) {
        platform::TcpSocket probe = platform::TcpSocket::Open();
        if (probe.Connect({platform::LoopbackAddress(), port}, 200) == 0)
            return true;
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pids_.pop_back();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Fail(argv[0] + " (package " + package + ") did not listen on 127.0.0.1:" + std::to_string(port) +
         "; its log: " + Log(log));
    return false;
}

std::unique_ptr<LocalDaemon> LocalDaemon::Microsocks(const std::string& user, const std::string& password)
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    p->port_ = FreePort();
    std::vector<std::string> argv{"/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(p->port_)};
    if (!user.empty())
        argv.insert(argv.end(), {"-u", user, "-P", password});
    p->Start("microsocks", argv, p->port_);
    return p;
}

std::unique_ptr<LocalDaemon> LocalDaemon::Danted()
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    p->port_ = FreePort();
    const std::string conf = p->folder_ + "/danted.conf";
    WriteFile(conf, "logoutput: stderr\n"
                    "internal: 127.0.0.1 port = " + std::to_string(p->port_) + "\n"
                    "external: 127.0.0.1\n"
                    "clientmethod: none\n"
                    "socksmethod: none\n"
                    "user.privileged: root\n"
                    "user.unprivileged: nobody\n"
                    "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 log: error }\n"
                    "socks pass  { from: 127.0.0.0/8 to: 127.0.0.0/8 log: error connect }\n"
                    "socks block { from: 0.0.0.0/0 to: 0.0.0.0/0 log: error connect }\n");
    p->Start("dante-server", {"/usr/sbin/danted", "-f", conf, "-p", p->folder_ + "/danted.pid"}, p->port_);
    return p;
}

std::unique_ptr<LocalDaemon> LocalDaemon::Tinyproxy(uint16_t allowedPort, const std::string& user,
                                                const std::string& password)
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    p->port_ = FreePort();
    std::string conf = "User nobody\nGroup nogroup\nPort " + std::to_string(p->port_) +
                       "\nListen 127.0.0.1\nTimeout 60\nLogLevel Info\nMaxClients 20\nAllow 127.0.0.1\n"
                       "ConnectPort " + std::to_string(allowedPort) + "\nDisableViaHeader Yes\n";
    if (!user.empty())
        conf += "BasicAuth " + user + " " + password + "\n";
    WriteFile(p->folder_ + "/tinyproxy.conf", conf);
    p->Start("tinyproxy", {"/usr/bin/tinyproxy", "-d", "-c", p->folder_ + "/tinyproxy.conf"}, p->port_);
    return p;
}

std::unique_ptr<LocalDaemon> LocalDaemon::SshDynamic()
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    const std::string& d = p->folder_;
    if (!Exists("/usr/sbin/sshd")) {
        p->Fail("/usr/sbin/sshd is missing: install the Debian package openssh-server (tools/setup/install.sh)");
        return p;
    }
    if (!Exists("/usr/bin/ssh") || !Exists("/usr/bin/ssh-keygen")) {
        p->Fail("ssh is missing: install the Debian package openssh-client (tools/setup/install.sh)");
        return p;
    }
    std::filesystem::create_directories("/run/sshd"); // sshd's privilege-separation folder
    const std::string keyLog = d + "/keygen.log";
    if (!RunToEnd({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", d + "/hostkey"}, keyLog) ||
        !RunToEnd({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", d + "/clientkey"}, keyLog)) {
        p->Fail("ssh-keygen (package openssh-client) failed: " + Log(keyLog));
        return p;
    }
    std::filesystem::copy_file(d + "/clientkey.pub", d + "/authorized_keys");
    const uint16_t sshPort = FreePort();
    WriteFile(d + "/sshd_config", "ListenAddress 127.0.0.1\nPort " + std::to_string(sshPort) +
                                      "\nHostKey " + d + "/hostkey\nPidFile " + d + "/sshd.pid\n"
                                      "AuthorizedKeysFile " + d + "/authorized_keys\n"
                                      "PermitRootLogin prohibit-password\nPasswordAuthentication no\n"
                                      "KbdInteractiveAuthentication no\nUsePAM no\nStrictModes no\n"
                                      "AllowTcpForwarding yes\nPermitOpen 127.0.0.1:* localhost:*\n");
    if (!p->Start("openssh-server", {"/usr/sbin/sshd", "-D", "-e", "-f", d + "/sshd_config"}, sshPort))
        return p;
    p->port_ = FreePort();
    const char* who = std::getenv("USER");
    p->Start("openssh-client",
             {"/usr/bin/ssh", "-N", "-D", "127.0.0.1:" + std::to_string(p->port_), "-p", std::to_string(sshPort),
              "-i", d + "/clientkey", "-o", "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null",
              "-o", "BatchMode=yes", "-o", "ExitOnForwardFailure=yes",
              std::string(who && *who ? who : "root") + "@127.0.0.1"},
             p->port_);
    return p;
}

std::unique_ptr<LocalDaemon> LocalDaemon::GamePeer(const std::string& settings, bool sendsGreeting)
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    p->port_ = FreePort();
    std::vector<std::string> argv{"/usr/bin/python3", std::string(XL_SOURCE_DIR) + "/tests/net/peers/game_peer.py",
                                  std::to_string(p->port_), settings};
    if (sendsGreeting)
        argv.push_back("--send-greeting");
    p->Start("python3-cryptography", argv, p->port_);
    return p;
}

} // namespace nettest
