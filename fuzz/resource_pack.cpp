// A resource pack on disk may be damaged: opening it and reading every entry stays in bounds.
#include "engine/resource/XyFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Lumora::CXyMemFile pack(data, size);
    if (!pack.IsOpen())
        return 0;
    uint8_t small[64];
    for (uint32_t i = 0; i < pack.GetDirectoryCount() && i < 256; ++i) {
        pack.ReadEntryAlloc(i);
        pack.ReadEntry(i, small, sizeof small);
    }
    pack.Rewind();
    for (int guard = 0; guard < 256 && pack.NextEntry(); ++guard)
        pack.GetEntry();
    return 0;
}
