#include "engine/util/FtpUpload.h"

#include "engine/util/EngineLog.h"
#include "engine/util/HostServices.h"
#include "platform/FtpPut.h"

#include <cstring>
#include <system_error>
#include <thread>

namespace {

// False (and the field left empty) when the text does not fit with its zero.
template <size_t N>
bool CopyField(char (&field)[N], const std::string& text)
{
    if (text.size() >= N || text.find('\0') != std::string::npos)
        return false;
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    return true;
}

void Worker(UploadJob* job)
{
    const bool ok = job->fieldsFit && RunUpload(*job);
    job->done = 1;
    if (!ok)
        WriteDailyLog("FTP upload of %s to %s failed", job->localPath, job->server);
    if (job->ownerWindow == 0 ||
        !PostToWindow(job->ownerWindow, job->completionMessage, reinterpret_cast<uintptr_t>(job), ok ? 1 : 0))
        delete job;
}

} // namespace

bool RunUpload(const UploadJob& job)
{
    return platform::FtpPutFile(job.server, job.remoteFolder, job.remoteName, job.localPath, job.user, job.password);
}

bool StartWorkerThread(const std::string& localPath, const std::string& server, const std::string& remoteFolder,
                       const std::string& remoteName, const std::string& user, const std::string& password,
                       uintptr_t ownerWindow, uint32_t completionMessage)
{
    auto job = std::make_unique<UploadJob>();
    job->ownerWindow = ownerWindow;
    job->completionMessage = completionMessage;
    bool fit = CopyField(job->localPath, localPath);
    fit = CopyField(job->server, server) && fit;
    fit = CopyField(job->remoteFolder, remoteFolder) && fit;
    fit = CopyField(job->remoteName, remoteName) && fit;
    fit = CopyField(job->user, user) && fit;
    fit = CopyField(job->password, password) && fit;
    job->fieldsFit = fit;
    try {
        std::thread(Worker, job.get()).detach();
    } catch (const std::system_error&) {
        return false;
    }
    job.release();
    return true;
}
