#pragma once
// Where the MIDI player's channel messages go: a General MIDI synthesiser that renders
// samples, or a recorder for tests and silent machines.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class MidiSink {
public:
    virtual ~MidiSink() = default;
    // One channel message: status 0x80-0xEF and its data bytes (data2 unused for 0xC0-0xDF).
    virtual void ShortMessage(uint8_t status, uint8_t data1, uint8_t data2) = 0;
    // Every note off and every controller back to its default.
    virtual void Reset() = 0;
    // Appends frames of interleaved stereo at kAudioRate to what is in `stereo` (2 * frames values).
    virtual void Render(int16_t* stereo, int frames) = 0;
};

inline constexpr const char* kGeneralMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Null when the synthesiser or the sound font cannot be loaded.
std::unique_ptr<MidiSink> CreateSynthSink(const std::string& soundFont = kGeneralMidiSoundFont);

// Records messages with the frame at which they came; renders silence.
class RecordingMidiSink final : public MidiSink {
public:
    struct Message {
        uint64_t frame;
        uint8_t status, data1, data2;
    };
    void ShortMessage(uint8_t status, uint8_t data1, uint8_t data2) override
    {
        messages_.push_back({frame_, status, data1, data2});
    }
    void Reset() override { ++resets_; }
    void Render(int16_t*, int frames) override { frame_ += static_cast<uint64_t>(frames); }

    const std::vector<Message>& Messages() const { return messages_; }
    int Resets() const { return resets_; }
    uint64_t Frames() const { return frame_; }

private:
    std::vector<Message> messages_;
    uint64_t frame_ = 0;
    int resets_ = 0;
};

} // namespace platform
