#pragma once
// Opening what a link names with the desktop's opener (xdg-open). Addresses come from chat
// texts that other players and the server write, so only web addresses (http, https) and
// existing folders are ever opened, and the opener gets the address as one argument with no
// shell in between. The opener runs detached; its exit is collected in the background.
#include <string_view>

namespace platform {

// "http://..." or "https://..." (scheme in any case) with no control characters or spaces.
bool IsWebAddress(std::string_view gbk);
// The shape of a local path: absolute POSIX ("/tmp/x") or a drive path ("D:\temp").
bool IsLocalPathAddress(std::string_view gbk);

// False when the address is refused or the opener could not be started.
bool OpenUrl(std::string_view gbkUrl);
// Only an existing directory is opened, never a file (a file could be a program).
bool OpenFolder(std::string_view gbkPath);

} // namespace platform
