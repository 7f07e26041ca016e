// The notice download: the address, the check of the body and the worker.
#include "framework/window/NoticeDownload.h"

#include "framework/connection/Record.h"
#include "platform/Http.h"
#include "platform/Window.h"

#include <cctype>
#include <thread>

std::string NoticeUrl(std::string_view host, uint32_t gameId)
{
    // One slash between host and path: "//notify" would name another resource.
    return "http://" + std::string(host) + "/notify/game/" + std::to_string(gameId) + ".txt";
}

namespace {
constexpr std::string_view kPrefix = "<notify>";
}

bool MayBeNotice(std::string_view bodySoFar)
{
    for (size_t i = 0; i < kPrefix.size() && i < bodySoFar.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(bodySoFar[i])) != kPrefix[i])
            return false;
    return true;
}

std::optional<std::string> AcceptNotice(std::string_view body)
{
    if (body.size() < kPrefix.size() || !MayBeNotice(body))
        return std::nullopt;
    return std::string(body.substr(0, GbkPrefixLength(body, kNoticeLimit)));
}

bool StartNoticeDownload(std::shared_ptr<NoticeJob> job, uint32_t message)
{
    try {
        std::thread([job = std::move(job), message]() mutable {
            platform::HttpOptions options;
            options.totalTimeoutMs = kNoticeTimeoutMs;
            // Only what is kept is read: a wrong start ends the download at its first block, a
            // long notice after 64 KiB.
            options.maxBodyBytes = kNoticeLimit;
            options.keepFirstBytes = true;
            options.acceptBody = MayBeNotice;
            const platform::HttpResult result = platform::HttpGet(job->url, options);
            // A notice longer than is kept is shown by its first bytes.
            if ((result.ok || result.cut) && result.status == 200 && !job->cancelled.load())
                if (std::optional<std::string> text = AcceptNotice(result.body)) {
                    job->text = std::move(*text);
                    job->done = true;
                }
            const platform::WindowId window = job->window;
            auto* share = new std::shared_ptr<NoticeJob>(std::move(job));
            if (!platform::PostToWindow(window, message, reinterpret_cast<uintptr_t>(share)))
                delete share;  // the window has gone
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

std::shared_ptr<NoticeJob> TakeNoticeJob(uintptr_t wparam)
{
    auto* share = reinterpret_cast<std::shared_ptr<NoticeJob>*>(wparam);
    if (!share)
        return nullptr;
    std::shared_ptr<NoticeJob> job = std::move(*share);
    delete share;
    return job;
}
