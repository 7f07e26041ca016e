#include "widgets/AppServices.h"

namespace Lumora {

namespace {
IAppServices* g_services = nullptr;
}

IAppServices* GetAppServices() { return g_services; }
void SetAppServices(IAppServices* services) { g_services = services; }

} // namespace Lumora
