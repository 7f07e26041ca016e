// Resource packs arrive as files of any quality: opening, walking and reading must stay inside.
#include <cstddef>
#include <cstdint>

#include "engine/resource/XyFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Lumora::CXyMemFile pack(data, size);
    if (!pack.IsOpen())
        return 0;
    pack.Rewind();
    do {
        (void)pack.GetEntry();
        (void)pack.ReadEntryAlloc(pack.GetIndex());
    } while (pack.NextEntry());
    pack.Rewind();
    while (pack.NextEntry(pack.GetEntry().typeHash)) {
    }
    return 0;
}
