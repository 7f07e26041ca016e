#include "framework/frame/FrameApp.h"

namespace framework {

namespace {
IFrameApp* g_app = nullptr;
}

IFrameApp* GetFrameApp() { return g_app; }
void SetFrameApp(IFrameApp* app) { g_app = app; }

} // namespace framework
