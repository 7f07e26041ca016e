#pragma once
// A hall for the start-up tests: listens on a hall-link socket, records every frame the client
// sends, acknowledges its records, answers the registration (room or match) with start data and
// the web-sign request with a sign, and hangs up when told to.
#include "platform/HallFrame.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Start data of a table of four with the own user 1001 at chair 0 (users 1001-1004 by chair).
std::vector<uint8_t> StartData(uint32_t roomId = 3, uint32_t tableNumber = 9);
// The start data that the hall stand-in hands over for the stand-ins' table file: its users with
// their names, characters (portraits), silver and levels, and the room list unless told not to.
// Empty when the stand-in cannot be run.
std::vector<uint8_t> TableStartData(bool withRoomList = true);

class FakeHall {
public:
    // Listens on the address (LocalSocket.h), which the client finds in XL_HALL_SOCKET.
    explicit FakeHall(std::string address);
    ~FakeHall();

    // The start data sent (enciphered) after the registration post; empty sends none.
    std::vector<uint8_t> startData;
    // The user id the web-sign answers carry.
    std::atomic<uint32_t> webSignUser{1001};
    // When set, the web-sign answer waits until it is true (3 s at most); whether it came true,
    // and whether the client sent anything while the answer was held.
    std::function<bool()> holdWebSignUntil;
    std::atomic<bool> heldUntilTrue{false};
    std::atomic<bool> sentWhileHeld{false};

    // Frames received so far (a copy).
    std::vector<platform::HallFrame> Frames() const;
    bool Accepted() const { return accepted_.load(); }
    // Waits up to `ms` for a frame that matches.
    bool WaitFor(const std::function<bool(const platform::HallFrame&)>& match, int ms);
    void HangUp();
    // The processor time the hall's own thread has used, so benchmarks can leave it out.
    double CpuMs();

private:
    void Serve();
    void Send(const platform::HallFrame& f);

    std::string address_;
    int listener_ = -1;
    int conn_ = -1;
    std::atomic<bool> accepted_{false};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<platform::HallFrame> frames_;
    std::thread thread_;
};
