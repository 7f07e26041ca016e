#pragma once
// Servers the network tests talk to: real proxy servers from Debian and the Python game peer,
// started on free loopback ports with their own configuration in a temporary folder and
// stopped when the object goes away (TERM to each daemon's whole process group, then waited
// for). When a server cannot be started,
// Error() says which package is missing or what failed.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nettest {

// A free loopback port (bound once, then released).
uint16_t FreePort();

class LocalDaemon {
public:
    ~LocalDaemon();
    LocalDaemon(const LocalDaemon&) = delete;
    LocalDaemon& operator=(const LocalDaemon&) = delete;

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    uint16_t Port() const { return port_; }
    // The process group of the daemon last started (its watchdog leads it); 0 without one.
    pid_t Group() const { return pids_.empty() ? 0 : pids_.back(); }

    // microsocks (SOCKS5); with a user, RFC 1929 user and password are required.
    static std::unique_ptr<LocalDaemon> Microsocks(const std::string& user = "", const std::string& password = "");
    // danted (SOCKS4 and SOCKS5, no authentication).
    static std::unique_ptr<LocalDaemon> Danted();
    // tinyproxy (HTTP CONNECT to the allowed port only); with a user, Basic credentials are required.
    static std::unique_ptr<LocalDaemon> Tinyproxy(uint16_t allowedPort, const std::string& user = "",
                                                const std::string& password = "");
    // ssh -D against a loopback sshd (SOCKS4, SOCKS4A and SOCKS5 with host names).
    static std::unique_ptr<LocalDaemon> SshDynamic();
    // tests/net/peers/game_peer.py with "keyhex:encrypt:compress" settings.
    static std::unique_ptr<LocalDaemon> GamePeer(const std::string& settings, bool sendsGreeting = false);

private:
    LocalDaemon();
    // Starts the daemon that argvFor makes for a free port (writing its configuration), output
    // to a log in the folder, and waits until it listens there itself; sets port.
    bool Start(const std::string& package, const std::function<std::vector<std::string>(uint16_t)>& argvFor,
               uint16_t& port);
    void Fail(const std::string& what);

    std::string folder_;
    std::vector<pid_t> pids_;
    uint16_t port_ = 0;
    std::string error_;
};

} // namespace nettest
