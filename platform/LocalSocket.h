#pragma once
// Local (Unix-domain) sockets named by text: a path, or "@name" for a name in Linux's abstract
// namespace. A path holds at most 107 bytes, so one under a long TMPDIR cannot be bound at all;
// an abstract name has no folder, needs no removal (it goes with its last socket, even when its
// owner is killed) and is as short as its maker chooses. It has no file permissions either:
// whoever listens on one checks each peer's user (SO_PEERCRED), and so does whoever connects.
// The hall link and the game-server stand-in's control socket take either form; the hall
// stand-in, the run script and the test rigs give abstract names (PrivateLocalName).
#include <string>

namespace platform {

enum class LocalKind { Stream, Packets };

// Longest name or path an address may carry (sun_path less its terminator or leading zero).
inline constexpr size_t kLocalAddressMax = 107;

// A connected socket (close-on-exec, blocking), or -1 with errno set (ENAMETOOLONG for an
// address too long, ENOENT for a path that is not there, ECONNREFUSED for a name nobody holds).
int ConnectLocal(const std::string& address, LocalKind kind);
// A socket listening on the address (a path's old socket file is replaced), or -1 with errno set.
int ListenLocal(const std::string& address, LocalKind kind, int backlog = 4);
// Whether the socket's peer runs as this process's user.
bool PeerIsOwnUser(int fd);
// A fresh abstract name for a private socket: "@xl-<tag>-<pid>-<16 random hex digits>".
std::string PrivateLocalName(const std::string& tag);

} // namespace platform
