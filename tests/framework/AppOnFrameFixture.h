#pragma once
// An application object over the frame fixture's frame (the application's GetFrameUI answers it).
#include "tests/framework/FrameFixture.h"

#include "platform/SystemScreen.h"

#include <type_traits>

namespace frametest {

template <typename App, typename FrameClass = TestFrame>
class AppOnFrameFixture : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        platform::SetScreenOverride(&screen_);
        app_.emplace();
        FrameClass& frame = StartAs<FrameClass>(1024, 768);
        app_->frame = &frame;
        if constexpr (std::is_same_v<FrameClass, TestFrame>)
            frame_ = &frame;
    }
    void TearDown() override
    {
        app_.reset();
        platform::SetScreenOverride(nullptr);
        FrameFixture::TearDown();
    }
    platform::ScreenFacts screen_;
    std::optional<App> app_;
};

} // namespace frametest
