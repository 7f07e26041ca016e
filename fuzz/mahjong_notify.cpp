// The table's notifications come from the server: any of the mahjong dispatcher's ids with any
// bytes goes through the dispatcher (which may refuse it) into a live headless table scene, which
// must drop what does not fit without reading outside the data, and after every message file
// each tile once (no tile in two arrays, none shown and filed nowhere) and leave the
// notification gate open.
#include "framework/notify/CGameNotify.h"
#include "tests/mahjong/DealtTable.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr uint32_t kIds[] = {201160, 211240, 211300, 222170, 229160, 229165, 229170, 229175, 229180, 229185,
                             229190, 229195, 229197, 229199, 229210, 229500, 229550, 229570, 229580};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size < 2)
        return 0;
    // Lives for the process, as the client's scene does; its program folder (the run log) goes
    // when the process ends.
    static std::filesystem::path folder;
    static auto* table = [] {
        auto* t = new mahjongtest::DealtTable("fuzz");
        folder = t->rig.engine.Folder();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        return t;
    }();
    const uint32_t id = kIds[bytes[0] % std::size(kIds)];
    // An exact copy, so a read past the data is a read past the allocation.
    std::vector<uint8_t> data(bytes + 1, bytes + size);
    try {
        table->notify.OnNotify(id, data.data(), uint32_t(data.size()));
    } catch (const NotifyRefused&) {
        // Refused before anything changed, as the frame window would report it.
    }
    table->rig.engine.Run(10);
    if (const int misfiled = table->rig.Misfiled(); misfiled != 0) {
        std::fprintf(stderr, "notification %u left %d tiles misfiled\n", unsigned(id), misfiled);
        std::abort();
    }
    if (table->rig.scene->HoldsNotifyLock()) {
        std::fprintf(stderr, "notification %u left the gate closed\n", unsigned(id));
        std::abort();
    }
    return 0;
}
