#pragma once
// Appends bytes to a file in one write, so that lines from several writers (threads or
// loggers sharing one daily file) never interleave.
#include <mutex>
#include <string>
#include <string_view>

namespace platform {

// Creates the file when missing. True when every byte was written.
bool AppendToFile(const std::string& path, std::string_view bytes);

// The same for a file that one process appends to often: it stays open between appends (each
// append is still one write) and is opened again when the path changes or the file was removed.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool Append(const std::string& path, std::string_view bytes);
    void Close();

private:
    std::mutex mutex_;
    std::string path_;
    int fd_ = -1;
};

} // namespace platform
