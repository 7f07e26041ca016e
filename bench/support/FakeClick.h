#pragma once
// Clicks as a person's mouse makes them, for the click benchmarks: the X server's test
// extension (XTest) from a connection of our own, found at run time so that the build needs no
// development files for it; and the latencies the clicks measured.
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <algorithm>
#include <vector>

namespace benchsupport {

struct FakeInput {
    using Button = int (*)(Display*, unsigned int, int, unsigned long);
    using Motion = int (*)(Display*, int, int, int, unsigned long);
    void* library = dlopen("libXtst.so.6", RTLD_NOW);
    Button button = library ? reinterpret_cast<Button>(dlsym(library, "XTestFakeButtonEvent")) : nullptr;
    Motion motion = library ? reinterpret_cast<Motion>(dlsym(library, "XTestFakeMotionEvent")) : nullptr;
    bool Ok() const { return button && motion; }
};

struct Latencies {
    std::vector<double> ms;
    int lost = 0; // clicks that brought nothing
    double Quantile(double q)
    {
        if (ms.empty())
            return 0;
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))];
    }
};

} // namespace benchsupport
