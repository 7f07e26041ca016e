// Cursor and animated cursor files shipped with the program or named by the skin.
#include <cstddef>
#include <cstdint>

#include "platform/Cursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto cursor = platform::Cursor::FromFileBytes({data, size});
    if (cursor)
        for (const platform::CursorFrame& f : cursor->Frames())
            if (f.bgra.size() != static_cast<size_t>(f.width) * f.height)
                __builtin_trap();
    return 0;
}
