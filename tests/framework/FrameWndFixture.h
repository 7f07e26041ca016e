#pragma once
// The game's main window over a headless window and a manual clock, with a scripted application
// and connection, for the frame window's tests.
#include "tests/framework/FakeGameWinApp.h"
#include "tests/framework/NotifyRecords.h"
#include "tests/support/EngineFixtures.h"

#include "engine/gui/CGameBase.h"
#include "framework/connection/CGameConnect.h"
#include "framework/notify/CGameNotify.h"
#include "framework/window/CGameFrameWnd.h"
#include "net/SocketClient.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace frametest {

struct ScriptedConnect : CGameConnect {
    explicit ScriptedConnect(FakeGameWinApp& app) : CGameConnect(nullptr, 0, 0, 0), app_(app) {}
    void CloseAll() override
    {
        connected = false;
        app_.log.push_back("close");
    }
    bool IsConnected() const override { return connected; }
    bool SendPulse() override
    {
        app_.log.push_back("pulse");
        return true;
    }
    bool Request201162(uint32_t id, const uint8_t*, int32_t length) override
    {
        uint32_t last[4] = {};
        if (notify)
            notify->GetLastNotifyRecord(last);
        app_.log.push_back("201162 " + std::to_string(id) + " " + std::to_string(length) + " last " +
                           std::to_string(last[0]) + " " + std::to_string(last[2]));
        return true;
    }
    bool LeaveGame(std::string& text, uint32_t userId, int32_t chair) override
    {
        app_.log.push_back("201125 " + std::to_string(userId) + " " + std::to_string(chair));
        text = refusal;
        return !refusal.empty();
    }
    FakeGameWinApp& app_;
    CGameNotify* notify = nullptr;
    bool connected = true;
    std::string refusal;
};

class FrameWndTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        loop_ = std::make_unique<platform::ManualLoop>(clock_);
        connect_.SetConnectionTag(7);
        connect_.notify = &notify_;
        app_.connect = &connect_;
        app_.notify = &notify_;
        wnd_ = std::make_unique<CGameFrameWnd>();
        ASSERT_TRUE(wnd_->Create(std::make_unique<platform::HeadlessWindow>(platform::Rect{0, 0, 320, 240})));
        wnd_->StartEngine(new Lumora::CGameBase);
        app_.mainWnd = wnd_.get();
    }
    void TearDown() override
    {
        wnd_.reset();
        loop_.reset();
        EngineFixture::TearDown();
    }
    // A pushed message as the relay posts it: heap context and message records.
    void Push(uint32_t id, int32_t tag, const Record& data = Record(0))
    {
        auto* context = new net::SocketContextRecord;
        context->tag = tag;
        auto* message = new net::SocketMessageRecord;
        message->head = net::MessageHead::WithId(id);
        message->length = int32_t(data.Size());
        if (data.Size()) {
            message->data = new uint8_t[data.Size()];
            std::memcpy(message->data, data.Data(), data.Size());
        }
        ASSERT_TRUE(platform::PostToWindow(wnd_->GetMessageWindow(), net::WM_SOCKET_NOTIFY,
                                           reinterpret_cast<uintptr_t>(context), reinterpret_cast<intptr_t>(message)));
        loop_->RunUntilIdle();
    }
    uint32_t LastNotifyId() const
    {
        uint32_t last[4] = {};
        notify_.GetLastNotifyRecord(last);
        return last[0];
    }

    FakeGameWinApp app_;
    frametest::Installed installed_{app_};
    ScriptedConnect connect_{app_};
    CGameNotify notify_;
    std::unique_ptr<platform::ManualLoop> loop_;
    std::unique_ptr<CGameFrameWnd> wnd_;
};

} // namespace frametest
