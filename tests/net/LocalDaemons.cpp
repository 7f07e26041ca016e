#include "LocalDaemons.h"

#include "platform/Socket.h"
#include "platform/SocketListener.h"
#include "tests/support/RigRegistry.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace nettest {

namespace {

void EndGroup(int)
{
    ::signal(SIGTERM, SIG_IGN);
    ::kill(0, SIGTERM);
    ::_exit(0);
}

// Starts a program with its output in the log, under a watchdog that leads a process group of
// its own: the watchdog ends the whole group when it is told to (SIGTERM) or when the thread
// that started it dies, so a test process that dies (an assertion that aborts, a time-out)
// leaves no daemon behind, even one that changes its user (which clears its own death signal).
// Returns the watchdog, which exits when the program does.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& log)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t watchdog = ::fork();
    if (watchdog != 0) {
        // Here too, so that the group exists as soon as the caller may signal it.
        if (watchdog > 0) {
            ::setpgid(watchdog, watchdog);
            xltest::RigRegistry::AddProgram(watchdog, true);
        }
        return watchdog;
    }
    // Only async-signal-safe calls from here on: the parent has other threads.
    ::setpgid(0, 0);
    ::signal(SIGTERM, EndGroup);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        EndGroup(0);
    const pid_t program = ::fork();
    if (program == 0) {
        ::signal(SIGTERM, SIG_DFL);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (in < 0 || out < 0)
            ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execve(args[0], args.data(), environ);
        ::_exit(127);
    }
    int status = 0;
    while (program > 0 && ::waitpid(program, &status, 0) < 0 && errno == EINTR) {
    }
    ::signal(SIGTERM, SIG_IGN);
    ::kill(0, SIGTERM); // what the program left running goes with it
    ::_exit(program > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 127);
}

bool RunToEnd(const std::vector<std::string>& argv, const std::string& log)
{
    const pid_t pid = Spawn(argv, log);
    int status = 0;
    const bool ended = pid > 0 && waitpid(pid, &status, 0) == pid;
    xltest::RigRegistry::RemoveProgram(pid);
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

// Reads a small /proc file with plain system calls. A process may end between the open and the
// read (other tests start and stop processes all the time); the read then fails with ESRCH,
// which a stream turns into an exception, so the text simply comes back empty here.
std::string ReadProcFile(const std::string& path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            text.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            text.clear();
        break;
    }
    ::close(fd);
    return text;
}

// The inode of the socket listening on 127.0.0.1:port (or on any address), 0 when none.
unsigned long ListeningInode(uint16_t port)
{
    std::istringstream tcp(ReadProcFile("/proc/net/tcp"));
    std::string line;
    std::getline(tcp, line); // the header
    while (std::getline(tcp, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
        unsigned long inode = 0;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode;
        const size_t colon = local.find(':');
        if (state != "0A" || colon == std::string::npos)
            continue;
        const std::string address = local.substr(0, colon);
        if (std::stoul(local.substr(colon + 1), nullptr, 16) == port &&
            (address == "0100007F" || address == "00000000"))
            return inode;
    }
    return 0;
}

pid_t GroupOf(const std::string& pid)
{
    const std::string text = ReadProcFile("/proc/" + pid + "/stat");
    const size_t close = text.rfind(')'); // the command name may hold blanks
    if (close == std::string::npos)
        return 0;
    std::istringstream rest(text.substr(close + 1));
    std::string state;
    pid_t parent = 0, group = 0;
    rest >> state >> parent >> group;
    return group;
}

// The names in a folder of /proc. Folders there vanish with their process, even in the middle
// of a listing; what was listed so far is kept rather than thrown away with an exception.
std::vector<std::string> ProcNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

bool HoldsSocket(const std::string& pid, const std::string& socketLink)
{
    for (const std::string& fd : ProcNames("/proc/" + pid + "/fd")) {
        std::error_code linkError;
        if (std::filesystem::read_symlink("/proc/" + pid + "/fd/" + fd, linkError).string() == socketLink)
            return true;
    }
    return false;
}

// True when a process of the daemon's group holds the listening socket of the port.
bool ListensOn(pid_t group, uint16_t port)
{
    const unsigned long inode = ListeningInode(port);
    if (inode == 0)
        return false;
    const std::string link = "socket:[" + std::to_string(inode) + "]";
    for (const std::string& name : ProcNames("/proc")) {
        if (name.find_first_not_of("0123456789") == std::string::npos && GroupOf(name) == group &&
            HoldsSocket(name, link))
            return true;
    }
    return false;
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
    xltest::RigRegistry::AddFolder(folder_);
    ::chmod(folder_.c_str(), 0755); // workers that drop privileges still read their files
}

LocalDaemon::~LocalDaemon()
{
    // The whole group, watchdog and daemons, from here: a watchdog slow to act on its signal (a
    // sanitized test's fork takes its time) must not outlive the wait and leave the daemons.
    for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) {
        ::kill(-*it, SIGTERM);
        int status;
        for (int i = 0; i < 300 && waitpid(*it, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(*it, &status, WNOHANG) == 0) {
            ::kill(-*it, SIGKILL);
            waitpid(*it, &status, 0);
        }
        xltest::RigRegistry::RemoveProgram(*it);
    }
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
        xltest::RigRegistry::RemoveFolder(folder_);
    }
}

void LocalDaemon::Fail(const std::string& what)
{
    if (error_.empty())
        error_ = what;
}

bool LocalDaemon::Start(const std::string& package, const std::function<std::vector<std::string>(uint16_t)>& argvFor,
                        uint16_t& port)
{
    // A port found free may be taken by another test before the daemon binds it; the daemon
    // then fails (or a stranger answers). Only a listening socket that the daemon itself holds
    // counts, and another port is tried otherwise.
    std::string log;
    for (int attempt = 0; attempt < 5; ++attempt) {
        port = FreePort();
        const std::vector<std::string> argv = argvFor(port);
        if (!Exists(argv[0])) {
            Fail(argv[0] + " is missing: install the Debian package " + package + " (tools/setup/install.sh)");
            return false;
        }
        log = folder_ + "/" + std::filesystem::path(argv[0]).filename().string() + ".log";
        const pid_t pid = Spawn(argv, log);
        if (pid <= 0) {
            Fail("cannot start " + argv[0] + " (package " + package + ")");
            return false;
        }
        pids_.push_back(pid);
        // Generous: a machine busy with parallel tests (or sanitizers) starts daemons slowly.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            if (ListensOn(pid, port))
                return true;
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                xltest::RigRegistry::RemoveProgram(pid);
                pids_.pop_back();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    Fail(package + " did not listen on 127.0.0.1 (port " + std::to_string(port) + "); its log: " + Log(log));
    return false;
}

std::unique_ptr<LocalDaemon> LocalDaemon::Microsocks(const std::string& user, const std::string& password)
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    p->Start("microsocks", [&](uint16_t port) {
        std::vector<std::string> argv{"/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(port)};
        if (!user.empty())
            argv.insert(argv.end(), {"-u", user, "-P", password});
        return argv;
    }, p->port_);
    return p;
}

std::unique_ptr<LocalDaemon> LocalDaemon::Danted()
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    const std::string conf = p->folder_ + "/danted.conf";
    p->Start("dante-server", [&](uint16_t port) {
        WriteFile(conf, "logoutput: stderr\n"
                        "internal: 127.0.0.1 port = " + std::to_string(port) + "\n"
                        "external: 127.0.0.1\n"
                        "clientmethod: none\n"
                        "socksmethod: none\n"
                        "user.privileged: root\n"
                        "user.unprivileged: nobody\n"
                        "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 log: error }\n"
                        "socks pass  { from: 127.0.0.0/8 to: 127.0.0.0/8 log: error connect }\n"
                        "socks block { from: 0.0.0.0/0 to: 0.0.0.0/0 log: error connect }\n");
        return std::vector<std::string>{"/usr/sbin/danted", "-f", conf, "-p", p->folder_ + "/danted.pid"};
    }, p->port_);
    return p;
}

std::unique_ptr<LocalDaemon> LocalDaemon::Tinyproxy(uint16_t allowedPort, const std::string& user,
                                                    const std::string& password)
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    const std::string conf = p->folder_ + "/tinyproxy.conf";
    p->Start("tinyproxy", [&](uint16_t port) {
        std::string text = "User nobody\nGroup nogroup\nPort " + std::to_string(port) +
                           "\nListen 127.0.0.1\nTimeout 60\nLogLevel Info\nMaxClients 20\nAllow 127.0.0.1\n"
                           "ConnectPort " + std::to_string(allowedPort) + "\nDisableViaHeader Yes\n";
        if (!user.empty())
            text += "BasicAuth " + user + " " + password + "\n";
        WriteFile(conf, text);
        return std::vector<std::string>{"/usr/bin/tinyproxy", "-d", "-c", conf};
    }, p->port_);
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
    uint16_t sshPort = 0;
    const bool serving = p->Start("openssh-server", [&](uint16_t port) {
        // Paths quoted: the folder may hold a space (TMPDIR "my tmp").
        const std::string q = "\"" + d;
        WriteFile(d + "/sshd_config", "ListenAddress 127.0.0.1\nPort " + std::to_string(port) + "\nHostKey " + q +
                                          "/hostkey\"\nPidFile " + q + "/sshd.pid\"\n"
                                          "AuthorizedKeysFile " + q + "/authorized_keys\"\n"
                                          "PermitRootLogin prohibit-password\nPasswordAuthentication no\n"
                                          "KbdInteractiveAuthentication no\nUsePAM no\nStrictModes no\n"
                                          "AllowTcpForwarding yes\nPermitOpen 127.0.0.1:* localhost:*\n");
        return std::vector<std::string>{"/usr/sbin/sshd", "-D", "-e", "-f", d + "/sshd_config"};
    }, sshPort);
    if (!serving)
        return p;
    const char* who = std::getenv("USER");
    const std::string login = std::string(who && *who ? who : "root") + "@127.0.0.1";
    p->Start("openssh-client", [&](uint16_t port) {
        return std::vector<std::string>{
            "/usr/bin/ssh", "-N", "-D", "127.0.0.1:" + std::to_string(port), "-p", std::to_string(sshPort),
            "-i", d + "/clientkey", "-o", "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null",
            "-o", "BatchMode=yes", "-o", "ExitOnForwardFailure=yes", login};
    }, p->port_);
    return p;
}

std::unique_ptr<LocalDaemon> LocalDaemon::GamePeer(const std::string& settings, bool sendsGreeting)
{
    std::unique_ptr<LocalDaemon> p(new LocalDaemon);
    p->Start("python3-cryptography", [&](uint16_t port) {
        std::vector<std::string> argv{"/usr/bin/python3", std::string(XL_SOURCE_DIR) + "/tests/net/peers/game_peer.py",
                                      std::to_string(port), settings};
        if (sendsGreeting)
            argv.push_back("--send-greeting");
        return argv;
    }, p->port_);
    return p;
}

} // namespace nettest
