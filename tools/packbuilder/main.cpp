// xyrpack: writes a resource pack from a manifest and the artwork beside it, then checks it.
//   xyrpack MANIFEST.ini OUT.xyr
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/pack/PackManifest.h"
#include "engine/resource/XyFile.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: xyrpack MANIFEST.ini OUT.xyr\n");
        return 2;
    }
    std::vector<uint8_t> pack;
    std::string error;
    if (!Lumora::BuildPackFromManifest(argv[1], pack, error)) {
        std::fprintf(stderr, "xyrpack: %s\n", error.c_str());
        return 1;
    }
    {
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(pack.data()), std::streamsize(pack.size()));
        if (!out) {
            std::fprintf(stderr, "xyrpack: cannot write %s\n", argv[2]);
            return 1;
        }
    }
    const Lumora::CXyFile written(argv[2]);  // read back from disk: every entry inside the file
    if (!written.IsOpen() || written.GetEntryCount() != written.GetDirectoryCount()) {
        std::fprintf(stderr, "xyrpack: %s does not read back\n", argv[2]);
        return 1;
    }
    std::printf("%s: %u resources, %zu bytes\n", argv[2], written.GetEntryCount(), pack.size());
    return 0;
}
