#include "platform/FileAppend.h"

#include "platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int OpenForAppend(const std::string& path)
{
    return ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

bool WriteAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool AppendToFile(const std::string& path, std::string_view bytes)
{
    const int fd = OpenForAppend(path);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, bytes);
    ::close(fd);
    return ok;
}

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Append(const std::string& path, std::string_view bytes)
{
    std::lock_guard lock(mutex_);
    struct stat st {};
    if (fd_ >= 0 && (path != path_ || ::fstat(fd_, &st) != 0 || st.st_nlink == 0)) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0) {
        fd_ = OpenForAppend(path);
        path_ = path;
    }
    return fd_ >= 0 && WriteAll(fd_, bytes);
}

void AppendFile::Close()
{
    std::lock_guard lock(mutex_);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace platform
