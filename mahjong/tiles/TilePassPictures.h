#pragma once
// The pictures of one pass over a host's tiles (ITileHost.h): every tile of one look (state, seat,
// face or back, orientation, layout mode, opacity marks) shows the same picture at the same size,
// faces differing only by frame, so a pass chooses and finds each look's picture once rather than
// once a tile. It lives with its pass only: the next layout chooses its pictures anew.
#include "engine/paint/ImageRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Lumora {

class TilePassPictures {
public:
    // A look's picture as ChooseTilePicture chose it and the resources gave it, less its name.
    struct Chosen {
        PictureInfo info;          // found by name; its frame not applied
        PictureInfo ratio;         // the picture whose size it takes, if hasRatio
        int frame = 0;             // where frameIsFace is false
        bool frameIsFace = false;  // the frame is the tile's face index
        bool hasName = false, hasRatio = false, ratioByWidth = false, jokerKey = false;
        double alpha = 1.0, scale = 1.0;
    };
    // Keys are nonzero; a pass holds a few dozen looks at most.
    const Chosen* Find(uint32_t key) const
    {
        for (size_t slot = Slot(key);; slot = (slot + 1) % kSlots) {
            if (keys_[slot] == key)
                return &chosen_[at_[slot]];
            if (keys_[slot] == 0)
                return nullptr;
        }
    }
    // Null when the pass holds as many looks as it keeps.
    const Chosen* Keep(uint32_t key, const Chosen& chosen)
    {
        if (chosen_.size() >= kMostLooks)
            return nullptr;
        if (chosen_.empty())
            chosen_.reserve(kMostLooks);
        size_t slot = Slot(key);
        while (keys_[slot] != 0)
            slot = (slot + 1) % kSlots;
        keys_[slot] = key;
        at_[slot] = uint8_t(chosen_.size());
        chosen_.push_back(chosen);
        return &chosen_.back();
    }

private:
    static constexpr size_t kSlots = 128;
    static constexpr size_t kMostLooks = 64; // the table half empty at most: probes stay short
    static size_t Slot(uint32_t key) { return (key * 0x9E3779B1u) >> 25; }
    std::array<uint32_t, kSlots> keys_{};
    std::array<uint8_t, kSlots> at_{};
    std::vector<Chosen> chosen_;
};

} // namespace Lumora
