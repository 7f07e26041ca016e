#pragma once
// The room's notice: a text file on the room's notice host ("http://<host>/notify/game/<game
// id>.txt") that begins with "<notify>" (any case). The frame window starts one download per
// period of its notice timer, at most one at a time, on a worker thread; the job is shared by
// the worker and the window, so neither frees what the other still uses. The worker posts the
// job back to the window when it ends; a post to a window that has gone fails and the worker
// drops its share. The window cancels the job when it is destroyed.
//
// Threads: Start and the job's result fields after the post on the UI thread; the worker
// writes the result before it posts.
#include "platform/Message.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct NoticeJob {
    std::string url;
    platform::WindowId window = 0;
    std::atomic<bool> cancelled{false};
    // Set by the worker before its post.
    bool done = false;
    std::string text;
};

inline constexpr size_t kNoticeLimit = 64 * 1024;
inline constexpr uint32_t kNoticeTimeoutMs = 5000;

// The notice's address.
std::string NoticeUrl(std::string_view host, uint32_t gameId);
// False once the first bytes of a body show that it is not a notice.
bool MayBeNotice(std::string_view bodySoFar);
// The notice text of a downloaded body: nullopt unless it begins with "<notify>" (any case);
// cut to kNoticeLimit bytes on a character boundary.
std::optional<std::string> AcceptNotice(std::string_view body);

// Starts the worker with a share of the job; it posts `message` (wparam: a heap
// std::shared_ptr<NoticeJob>*, taken with TakeNoticeJob) to the job's window. False when no
// thread could start.
bool StartNoticeDownload(std::shared_ptr<NoticeJob> job, uint32_t message);
std::shared_ptr<NoticeJob> TakeNoticeJob(uintptr_t wparam);
