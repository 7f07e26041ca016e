#pragma once
// What the object model needs of the host window to confine the cursor while an object is
// held: the current confinement, a new one, and where the client area starts on the screen.
// The host window installs one on the object module; without it nothing is confined.
#include "engine/geometry/ObjectGeometry.h"

#include <cstdint>

namespace Lumora {

class CursorClipHost {
public:
    struct Origin {
        int32_t x = 0, y = 0;
    };
    virtual ~CursorClipHost() = default;
    virtual Rect GetCursorClip() const = 0;       // screen coordinates
    virtual void SetCursorClip(const Rect& screenRect) = 0;
    virtual Origin ClientOrigin() const = 0;      // the client area's top-left on the screen
};

// The leading fields of the input module's input state, which drag events carry in param2.
struct InputMotion {
    int32_t x = 0, y = 0;   // pointer, client pixels less the viewport origin
    int32_t dx = 0, dy = 0; // movement since the last update
};

} // namespace Lumora
