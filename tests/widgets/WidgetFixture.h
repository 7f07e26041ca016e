#pragma once
// The GoogleTest fixture over the headless engine for widgets: one engine per test, in a folder
// of its own, with the dialog box installed as the engine's message box.
#include "tests/support/EngineFixtures.h"
#include "tests/support/HeadlessEngine.h"
#include "widgets/CXyDialogBox.h"
#include "widgets/WidgetSupport.h"

#include <gtest/gtest.h>

namespace widgettest {

using namespace testsupport;

class WidgetFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine_ = std::make_unique<HeadlessEngine>(TestTag());
        Lumora::InstallDialogBoxFactory();
    }
    void TearDown() override
    {
        engine_.reset();
    }
    HeadlessEngine& E() { return *engine_; }

    std::unique_ptr<HeadlessEngine> engine_;
};

} // namespace widgettest
