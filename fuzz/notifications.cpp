// Every notification comes from the server: any id (one of the dispatcher's or any other) with
// any bytes must be handled or refused without reading outside its data, with the application,
// the frame UI, the scene and the side panel present.
#include "tests/framework/FakeGameWinApp.h"

#include "engine/gui/CGameBase.h"
#include "framework/notify/CGameNotify.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/notify/NotifyFrame.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kIds[] = {60031, 201200, 201210, 201212, 201213, 210530, 211000, 211010, 211011, 211020,
                             211025, 211028, 211030, 211110, 211120, 211130, 211132, 211134, 211136, 211137,
                             211138, 211150, 211170, 211190, 211191, 211199, 211200, 211201, 211202, 211203,
                             211204, 211205, 211206, 211210, 211220, 211230, 211241, 211242, 211243, 211400,
                             211410, 211430, 211440, 211510, 211600, 211601, 211700, 211800, 211900, 211910,
                             211920, 211930, 211931, 214100, 214101, 214102, 214103, 214110};

// Reads what an event hands over, as the real receivers do, within the length it carries.
struct Target : Lumora::CGameBase {
    int OnEvent(const Lumora::EventRecord& r) override
    {
        if (r.code == framework::EV_CHAT_BOX_TEXT) {
            sum += std::strlen(reinterpret_cast<const char*>(r.param1));
            framework::FreeChatBoxText(r.param1);
        } else if (r.param1 > 0xFFFF) {
            const auto* data = reinterpret_cast<const uint8_t*>(r.param1);
            for (size_t i = 0; i < r.param2; ++i)
                sum += data[i];
        }
        return 1;
    }
    size_t sum = 0;
};

struct Frame : INotifyFrame {
    void ShowSystemBoard(const char* text, uint32_t, int) override { sum += std::strlen(text); }
    size_t sum = 0;
};

struct App : frametest::FakeGameWinApp {
    bool ApplyTableList(std::span<const uint8_t> data) override { return !data.empty(); }
    bool AcceptKnockoutRecord(std::span<const uint8_t> data) override { return data.size() > 4; }
    bool AcceptHallFeature(uint32_t, std::span<const uint8_t> data) override { return !data.empty(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size < 2)
        return 0;
    static App app;
    static Target scene, panel;
    static Frame frame;
    static CGameNotify notify;
    static bool once = [] {
        app.scene = &scene;
        app.panel = &panel;
        app.frame = &frame;
        for (int chair = 0; chair < 4; ++chair) {
            app.hall.players[size_t(chair)].SetUserId(1001 + chair);
            app.hall.players[size_t(chair)].SetChair(chair);
        }
        SetGameWinApp(&app);
        SetGameAppAccess(&app);
        return true;
    }();
    (void)once;
    app.boxes.clear();
    app.lines.clear();
    app.log.clear();
    app.tableArranged = bytes[1] & 1;
    const uint32_t id = kIds[bytes[0] % std::size(kIds)];
    // An exact copy, so a read past the data is a read past the allocation.
    std::vector<uint8_t> data(bytes + 2, bytes + size);
    try {
        notify.OnNotify(id, data.empty() ? nullptr : data.data(), uint32_t(data.size()));
    } catch (const NotifyRefused&) {
    }
    return 0;
}
