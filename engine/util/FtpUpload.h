#pragma once
// The upload worker: one FTP put of a local file on a thread of its own, which then posts its
// completion (owner window, completion message, job pointer, 1 on success else 0). The
// receiver of the completion owns the job and frees it (TakeUploadJob).
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

struct UploadJob {
    static constexpr size_t kServerMax = 64;   // field sizes, terminating zero included
    static constexpr size_t kPathMax = 260;
    static constexpr size_t kCredentialMax = 32;
    static constexpr size_t kLocalPathMax = 4096; // a folder here may lie that deep (PATH_MAX)

    uintptr_t ownerWindow = 0;
    uint32_t completionMessage = 0;
    uint32_t reserved = 0;
    std::atomic<uint32_t> done{0};
    char server[kServerMax] = {};       // host, or host:port (21 when absent)
    char remoteFolder[kPathMax] = {};
    char remoteName[kPathMax] = {};
    char localPath[kLocalPathMax] = {};
    char user[kCredentialMax] = {};     // empty: anonymous
    char password[kCredentialMax] = {};
    bool fieldsFit = true;              // false when an argument was too long: the put fails
};

// Starts the worker; false only when no thread could be started (the job is then freed).
// Arguments longer than their fields are refused: the worker reports failure.
bool StartWorkerThread(const std::string& localPath, const std::string& server, const std::string& remoteFolder,
                       const std::string& remoteName, const std::string& user, const std::string& password,
                       uintptr_t ownerWindow, uint32_t completionMessage);

// For the receiver of the completion message: takes ownership of the job it carries.
inline std::unique_ptr<UploadJob> TakeUploadJob(uintptr_t wparam)
{
    return std::unique_ptr<UploadJob>(reinterpret_cast<UploadJob*>(wparam));
}

// The put itself, on the calling thread; true when the server took the whole file.
bool RunUpload(const UploadJob& job);
