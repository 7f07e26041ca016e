#pragma once
// A standard MIDI file read into one list of timed channel and tempo events, every track
// merged in time order (ties keep track order). Fields of the file are big-endian.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Lumora {

struct MidiEvent {
    static constexpr uint8_t kTempo = 0xFF;  // status of a tempo change; `tempo` holds its value

    uint32_t tick = 0;   // from the start of the file
    uint8_t status = 0;  // 0x80-0xEF, or kTempo
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint32_t tempo = 0;  // microseconds per quarter note
};

struct MidiParseError {
    int track = -1;
    uint32_t tick = 0;  // where the track broke; no event at or after it is played
    std::string text;
};

struct MidiFile {
    uint16_t format = 0;
    uint16_t trackCount = 0;
    uint16_t division = 0;  // ticks per quarter note; bit 15 set: SMPTE frames and ticks per frame
    std::vector<MidiEvent> events;
    std::optional<MidiParseError> error;
};

// Nothing when the file is refused: no "MThd" with a header length of 6, a track that does not
// begin with "MTrk", or fewer tracks than the header counts. A broken event inside a track is
// not a refusal: the file plays up to it and `error` says what broke.
std::optional<MidiFile> ParseMidiFile(std::span<const uint8_t> bytes);

} // namespace Lumora
