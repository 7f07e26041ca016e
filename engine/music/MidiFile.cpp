#include "engine/music/MidiFile.h"

#include <algorithm>

namespace Lumora {
namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

class TrackReader {
public:
    TrackReader(std::span<const uint8_t> body, int track) : body_(body), track_(track) {}

    // Appends the track's events; an error stops the track where it broke.
    std::optional<MidiParseError> Read(std::vector<MidiEvent>& out)
    {
        uint32_t tick = 0;
        uint8_t running = 0;
        while (at_ < body_.size()) {
            uint32_t delta = 0;
            if (!Vlq(delta))
                return std::nullopt;  // a cut delta at the very end: the track simply ends
            tick += delta;
            if (at_ >= body_.size())
                return std::nullopt;
            uint8_t status = body_[at_];
            if (status < 0x80) {
                if (running == 0)
                    return Fail(tick, "Reference to missing running status.");
                status = running;
            } else {
                ++at_;
            }
            if (status == 0xF0 || status == 0xF7) {
                uint32_t length = 0;
                if (!Vlq(length))
                    return Fail(tick, "SysEx event truncated");
                if (length > body_.size() - at_)
                    return Fail(tick, "SysEx event truncated (length)");
                at_ += length;
                continue;
            }
            if (status == 0xFF) {
                if (at_ >= body_.size())
                    return Fail(tick, "Meta event truncated");
                const uint8_t type = body_[at_++];
                uint32_t length = 0;
                if (!Vlq(length))
                    return Fail(tick, "Meta event truncated");
                if (length > body_.size() - at_)
                    return Fail(tick, "Meta event truncated (length)");
                const uint8_t* data = body_.data() + at_;
                at_ += length;
                if (type == 0x2F)
                    return std::nullopt;
                if (type == 0x51 && length >= 3)
                    out.push_back({tick, MidiEvent::kTempo, 0, 0, uint32_t(data[0]) << 16 | uint32_t(data[1]) << 8 | data[2]});
                continue;
            }
            if (status >= 0xF0)
                continue;  // system common and real-time bytes carry nothing we play
            running = status;
            const size_t need = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (need > body_.size() - at_)
                return std::nullopt;
            MidiEvent e{tick, status, static_cast<uint8_t>(body_[at_] & 0x7F), 0, 0};
            if (need == 2)
                e.data2 = body_[at_ + 1] & 0x7F;
            at_ += need;
            out.push_back(e);
        }
        return std::nullopt;
    }

private:
    bool Vlq(uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (at_ >= body_.size())
                return false;
            const uint8_t b = body_[at_++];
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    }
    MidiParseError Fail(uint32_t tick, const char* text) const { return {track_, tick, text}; }

    std::span<const uint8_t> body_;
    int track_;
    size_t at_ = 0;
};

} // namespace

std::optional<MidiFile> ParseMidiFile(std::span<const uint8_t> b)
{
    if (b.size() < 14 || std::string_view(reinterpret_cast<const char*>(b.data()), 4) != "MThd" || Be32(b.data() + 4) != 6)
        return std::nullopt;
    MidiFile file;
    file.format = Be16(b.data() + 8);
    file.trackCount = Be16(b.data() + 10);
    file.division = Be16(b.data() + 12);
    if (file.division == 0)
        return std::nullopt;
    size_t at = 14;
    for (int t = 0; t < file.trackCount; ++t) {
        if (b.size() - at < 8 || std::string_view(reinterpret_cast<const char*>(b.data() + at), 4) != "MTrk")
            return std::nullopt;
        // A length past the end of the file is cut to what is there.
        const size_t length = std::min<size_t>(Be32(b.data() + at + 4), b.size() - at - 8);
        at += 8;
        std::vector<MidiEvent> events;
        auto error = TrackReader(b.subspan(at, length), t).Read(events);
        at += length;
        if (error && (!file.error || error->tick < file.error->tick))
            file.error = error;
        file.events.insert(file.events.end(), events.begin(), events.end());
    }
    std::stable_sort(file.events.begin(), file.events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    if (file.error) {
        const uint32_t stop = file.error->tick;
        std::erase_if(file.events, [stop](const MidiEvent& e) { return e.tick >= stop; });
    }
    return file;
}

} // namespace Lumora
