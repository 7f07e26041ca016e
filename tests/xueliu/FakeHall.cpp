#include "FakeHall.h"

#include "framework/app/AppMessages.h"
#include "framework/app/HallCipher.h"
#include "framework/app/HallRecords.h"
#include "platform/LocalSocket.h"
#include "tests/support/TiedChild.h"

#include <chrono>
#include <ctime>
#include <pthread.h>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

std::vector<uint8_t> StartData(uint32_t roomId, uint32_t tableNumber)
{
    hall::RoomRecord room;
    room.SetU32(hall::RoomRecord::kRoomId, roomId);
    hall::TableRecord table;
    table.SetU32(hall::TableRecord::kTableNumber, tableNumber);
    table.SetI32(hall::TableRecord::kPlayerCount, 4);
    std::vector<uint8_t> out;
    out.reserve(room.bytes.size() + table.bytes.size() + 4 * 320 + hall::kTextBlockSize);
    out.insert(out.end(), room.bytes.begin(), room.bytes.end());
    out.insert(out.end(), table.bytes.begin(), table.bytes.end());
    for (int chair = 0; chair < 4; ++chair) {
        Lumora::GameUserRecord user;
        user.SetUserId(1001 + chair);
        user.SetChair(chair);
        out.insert(out.end(), user.Data(), user.Data() + 320);
    }
    out.resize(out.size() + hall::kTextBlockSize, 0);
    return out;
}

std::vector<uint8_t> TableStartData(bool withRoomList)
{
    const char* script = "import sys; sys.path.insert(0, sys.argv[1]); import xlhall, xltable; t = "
                         "xltable.load(); t.room.list = [] if sys.argv[2] == \"0\" else t.room.list; "
                         "sys.stdout.buffer.write(xlhall.start_data(t))";
    const xltest::Ran run =
        xltest::RunProgram({"/usr/bin/python3", "-c", script, XL_SOURCE_DIR "/tools/py", withRoomList ? "1" : "0"});
    return run.Ok() ? std::vector<uint8_t>(run.out.begin(), run.out.end()) : std::vector<uint8_t>();
}

FakeHall::FakeHall(std::string address) : address_(std::move(address))
{
    listener_ = platform::ListenLocal(address_, platform::LocalKind::Packets, 2);
    thread_ = std::thread([this] { Serve(); });
}

FakeHall::~FakeHall()
{
    stop_ = true;
    HangUp();
    thread_.join();
    ::close(listener_);
}

double FakeHall::CpuMs()
{
    clockid_t id;
    timespec t{};
    if (pthread_getcpuclockid(thread_.native_handle(), &id) != 0 || clock_gettime(id, &t) != 0)
        return 0;
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

void FakeHall::HangUp()
{
    std::lock_guard lock(mutex_);
    if (conn_ >= 0)
        ::shutdown(conn_, SHUT_RDWR);
}

std::vector<platform::HallFrame> FakeHall::Frames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

bool FakeHall::WaitFor(const std::function<bool(const platform::HallFrame&)>& match, int ms)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
        for (const auto& f : frames_)
            if (match(f))
                return true;
        return false;
    });
}

void FakeHall::Send(const platform::HallFrame& f)
{
    auto bytes = platform::EncodeHallFrame(f);
    ::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void FakeHall::Serve()
{
    pollfd p{listener_, POLLIN, 0};
    while (!stop_ && ::poll(&p, 1, 50) == 0) {
    }
    if (stop_)
        return;
    {
        std::lock_guard lock(mutex_);
        conn_ = ::accept(listener_, nullptr, nullptr);
    }
    accepted_ = true;
    uint32_t seq = 0;
    std::vector<uint8_t> buf(platform::HallFrame::kMaxSize);
    for (;;) {
        ssize_t n = ::recv(conn_, buf.data(), buf.size(), 0);
        if (n <= 0)
            break;
        auto f = platform::DecodeHallFrame(std::span(buf.data(), static_cast<size_t>(n)));
        if (!f)
            continue;
        if (f->kind == platform::HallFrameKind::CopyData) {
            platform::HallFrame ack;
            ack.kind = platform::HallFrameKind::Ack;
            ack.sequence = f->sequence;
            ack.lparam = 1;
            Send(ack);
        } else if (f->kind == platform::HallFrameKind::Post &&
                   (f->message == app_msg::kHallRegisterRoom || f->message == app_msg::kHallRegisterMatch) &&
                   !startData.empty()) {
            platform::HallFrame data;
            data.kind = platform::HallFrameKind::CopyData;
            data.sequence = ++seq;
            data.target = f->wparam;
            data.message = hall_data::kStartData;
            data.payload = hall::EncryptHallData(startData);
            Send(data);
        } else if (f->kind == platform::HallFrameKind::Post && f->message == app_msg::kHallWebSign) {
            if (holdWebSignUntil) {
                pollfd in{conn_, POLLIN, 0};
                for (int i = 0; i < 300 && !heldUntilTrue; ++i) {
                    heldUntilTrue = holdWebSignUntil();
                    if (::poll(&in, 1, 10) > 0)
                        sentWhileHeld = true;
                }
            }
            hall::WebSignAnswer answer;
            answer.SetU32(hall::WebSignAnswer::kUserId, webSignUser.load());
            answer.SetText(hall::WebSignAnswer::kSign, hall::WebSignAnswer::kSignSize, "sign-1001-1");
            answer.SetU32(hall::WebSignAnswer::kToken, f->lparam);
            platform::HallFrame data;
            data.kind = platform::HallFrameKind::CopyData;
            data.sequence = ++seq;
            data.target = f->wparam;
            data.message = hall_data::kWebSignAnswer;
            data.payload = hall::EncryptHallData(answer.bytes);
            Send(data);
        }
        std::lock_guard lock(mutex_);
        frames_.push_back(*f);
        changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    ::close(conn_);
    conn_ = -1;
}
