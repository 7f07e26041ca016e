#include "widgets/AppServices.h"

namespace Lumora {

namespace {
IAppServices* g_services = nullptr;
}

IAppServices* GetAppServices() { return g_services; }
void SetAppServices(IAppServices* services) { g_services = services; }

int32_t CallableChair(IAppServices& app, uint32_t user)
{
    const int32_t chair = app.GetUserChairByID(user);
    return chair == -1 || app.IsRoomOptionBit3() ? -1 : chair;
}

void SendCall(IAppServices& app, uint32_t user, int32_t chair)
{
    if (IGameConnect* connect = app.GetConnect())
        connect->SendAhoo(user);
    if (IGameNotify* notify = app.GetNotify()) {
        AhooRecord record;
        record.words = {int32_t(app.GetUserID()), int32_t(app.GetRoomID()), int32_t(app.GetTableNO()),
                        app.GetChairNO(), int32_t(user), chair, 0, 0, 0, 0};
        notify->OnAhoo(record);
    }
}

} // namespace Lumora
