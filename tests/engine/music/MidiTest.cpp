#include "engine/music/MIDI.h"
#include "engine/music/MidiFile.h"
#include "engine/music/MidiSequencer.h"
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using Lumora::MidiEvent;
using platform::RecordingMidiSink;

// Files and their expected contents come from an independent script that builds them from
// event lists.
class MidiFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::filesystem::temp_directory_path() / ("xl-midi-" + std::to_string(::getpid()));
        ASSERT_EQ(0, xltest::RunProgram(xltest::Python("tests/engine/music/make_midi.py", {dir_.string()})).status);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }
    static std::vector<uint8_t> Bytes(const std::string& name)
    {
        std::ifstream in(dir_ / (name + ".mid"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::string Expected(const std::string& name)
    {
        std::ifstream in(dir_ / (name + ".expect"));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::string Describe(const std::optional<Lumora::MidiFile>& f)
    {
        if (!f)
            return "refused\n";
        std::ostringstream s;
        s << "head " << f->format << ' ' << f->trackCount << ' ' << f->division << '\n';
        for (const MidiEvent& e : f->events)
            s << e.tick << ' ' << int(e.status) << ' ' << int(e.data1) << ' ' << int(e.data2) << ' ' << e.tempo << '\n';
        if (f->error)
            s << "error " << f->error->track << ' ' << f->error->text << '\n';
        return s.str();
    }
    static inline std::filesystem::path dir_;
};

TEST_F(MidiFiles, ReaderFindsTheEventsTheFilesWereBuiltFrom)
{
    for (const char* name : {"simple", "multi", "smpte", "badheader", "badtrack", "missingtrack", "norunning",
                             "sysexlength", "metacut", "metalength"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Expected(name), Describe(Lumora::ParseMidiFile(Bytes(name))));
    }
}

TEST_F(MidiFiles, CutFilesNeverReadPastTheirEnd)
{
    const auto whole = Bytes("multi");
    for (size_t n = 0; n < whole.size(); ++n) {
        // An exact-size copy, so the sanitizer build catches any read past it.
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(n));
        auto f = Lumora::ParseMidiFile(cut);
        if (f) {
            EXPECT_LE(f->events.size(), 7u);
        }
    }
}

// Frames at which the recorder saw each message.
std::vector<uint64_t> Frames(const RecordingMidiSink& sink)
{
    std::vector<uint64_t> frames;
    for (auto& m : sink.Messages())
        frames.push_back(m.frame);
    return frames;
}

void RenderAll(Lumora::MidiSequencer& seq, RecordingMidiSink& sink, int seconds, int chunk = 1024)
{
    std::vector<int16_t> pcm(static_cast<size_t>(chunk) * 2);
    for (int done = 0; done < seconds * 44100; done += chunk)
        seq.Render(sink, pcm.data(), chunk);
}

TEST_F(MidiFiles, SequencerSendsEventsAtTheirSampleFrames)
{
    const auto simple = Lumora::ParseMidiFile(Bytes("simple"));
    ASSERT_TRUE(simple);
    RecordingMidiSink a;
    Lumora::MidiSequencer s1(*simple, 44100);
    RenderAll(s1, a, 1, 333);  // chunk size must not matter
    EXPECT_EQ((std::vector<uint64_t>{0, 0, 22050}), Frames(a));  // one beat at 120 bpm is 0.5 s
    EXPECT_TRUE(s1.Finished());

    RecordingMidiSink b;
    Lumora::MidiSequencer s2(*simple, 44100);
    s2.SetTempoPercent(200);
    RenderAll(s2, b, 1);
    EXPECT_EQ(11025u, Frames(b).back());

    // 960 ticks at 0.6 s a beat, then 960 more at 0.3 s a beat.
    const auto multi = Lumora::ParseMidiFile(Bytes("multi"));
    RecordingMidiSink c;
    Lumora::MidiSequencer s3(*multi, 44100);
    RenderAll(s3, c, 2, 4096);
    EXPECT_EQ((std::vector<uint64_t>{0, 13230, 52920, 52920, 79380}), Frames(c));

    const auto smpte = Lumora::ParseMidiFile(Bytes("smpte"));
    RecordingMidiSink d;
    Lumora::MidiSequencer s4(*smpte, 44100);
    RenderAll(s4, d, 2);
    EXPECT_EQ((std::vector<uint64_t>{0, 44100}), Frames(d));
}

TEST(MidiSequencer, FarOffEventsWaitWithoutOverflow)
{
    // The slowest tempo, one tick per beat, and deltas of the largest length: each event lies
    // hours of samples ahead of the one before.
    std::vector<uint8_t> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 1, 'M', 'T', 'r', 'k', 0, 0, 0, 0};
    const uint8_t events[] = {0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF, 0x00, 0x90, 60, 100};
    bytes.insert(bytes.end(), std::begin(events), std::end(events));
    for (int i = 0; i < 3000; ++i) {
        const uint8_t far[] = {0xFF, 0xFF, 0xFF, 0x7F, 0x80, 60, 0};
        bytes.insert(bytes.end(), std::begin(far), std::end(far));
    }
    const uint32_t length = static_cast<uint32_t>(bytes.size() - 22);
    bytes[18] = uint8_t(length >> 24);
    bytes[19] = uint8_t(length >> 16);
    bytes[20] = uint8_t(length >> 8);
    bytes[21] = uint8_t(length);
    auto file = Lumora::ParseMidiFile(bytes);
    ASSERT_TRUE(file);
    RecordingMidiSink sink;
    Lumora::MidiSequencer seq(*file, 44100);
    RenderAll(seq, sink, 2);
    EXPECT_EQ(1u, sink.Messages().size()) << "only the first note is due";
    EXPECT_FALSE(seq.Finished());
}

struct Player : CMIDI {
    using CMIDI::CMIDI;
    std::vector<std::string> parseErrors;
    void OnParseError(int track, const char* text) override { parseErrors.push_back(std::to_string(track) + " " + text); }
};

TEST_F(MidiFiles, PlayerPlaysPausesStopsAndEndsWithoutWaiting)
{
    RecordingMidiSink sink;
    Player midi(sink);
    std::vector<uint32_t> notices;
    EXPECT_FALSE(midi.Open(Bytes("badheader")));
    ASSERT_TRUE(midi.Open(Bytes("multi"), [&](CMIDI*, uint32_t v) { notices.push_back(v); }));
    EXPECT_FALSE(midi.Open(Bytes("simple"))) << "one file per player";
    std::vector<int16_t> pcm(2 * 4410);
    midi.Render(pcm.data(), 4410);
    EXPECT_TRUE(sink.Messages().empty()) << "nothing before Play";

    midi.Play(false);
    EXPECT_TRUE(midi.IsPlaying());
    midi.Render(pcm.data(), 4410);   // 0.1 s: the first note
    ASSERT_EQ(1u, sink.Messages().size());
    midi.Pause();
    EXPECT_EQ(17u, sink.Messages().size()) << "pause silences all 16 channels";
    for (int i = 0; i < 20; ++i)
        midi.Render(pcm.data(), 4410);
    EXPECT_EQ(17u, sink.Messages().size()) << "paused: time stands still";
    midi.Play(false);  // resumes where it was
    while (midi.IsPlaying())
        midi.Render(pcm.data(), 4410);
    EXPECT_EQ(CMIDI::kAtEnd, midi.GetState());
    EXPECT_EQ(17u + 4u, sink.Messages().size());
    EXPECT_EQ(50u, midi.ChannelVolume(1));              // controller 7 = 64 of 127
    EXPECT_EQ((std::vector<uint32_t>{50u << 16 | 1}), notices);

    midi.Play(false);  // from the start again
    midi.Render(pcm.data(), 100);
    EXPECT_EQ(0x91, sink.Messages().back().status);
    midi.Stop(true);
    EXPECT_FALSE(midi.IsPlaying());
    EXPECT_EQ(CMIDI::kStopped, midi.GetState());
    EXPECT_EQ(1, sink.Resets());

    Player broken(sink);
    ASSERT_TRUE(broken.Open(Bytes("norunning")));
    EXPECT_EQ((std::vector<std::string>{"1 Reference to missing running status."}), broken.parseErrors);
}

} // namespace
