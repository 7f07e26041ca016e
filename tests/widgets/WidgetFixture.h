#pragma once
// The GoogleTest fixture over the headless widget engine: one engine per test, in a folder of
// its own, with the dialog box installed as the engine's message box.
#include "tests/widgets/WidgetEngine.h"
#include "widgets/CXyDialogBox.h"
#include "widgets/WidgetSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace widgettest {

class WidgetFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        engine_ = std::make_unique<WidgetEngine>(std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                                                 info->name());
        Lumora::InstallDialogBoxFactory();
    }
    void TearDown() override
    {
        engine_.reset();
    }
    WidgetEngine& E() { return *engine_; }

    std::unique_ptr<WidgetEngine> engine_;
};

} // namespace widgettest
