#pragma once
// One FTP upload of a local file (binary transfer) through libcurl, on the calling thread: the
// platform's stand-in for the system's Internet connection and FTP put.
#include <string>

namespace platform {

// Puts `localPath` to remoteFolder/remoteName on `server` ("host" or "host:port", 21 when no
// port is given). An empty user logs in anonymously. True only when the server took the whole
// file. A server text that is not a plain host name or address is refused, so that no caller
// text can reshape the address.
bool FtpPutFile(const std::string& server, const std::string& remoteFolder, const std::string& remoteName,
                const std::string& localPath, const std::string& user, const std::string& password);

} // namespace platform
