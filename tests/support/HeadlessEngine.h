#pragma once
// The headless engine of the engine, widget and higher tests and of the benchmarks: resource,
// object and painting modules (and, unless left out, input and music modules) on a manual
// clock in a private program folder, a headless window behind the input module (it records the
// system cursor, the clipboard and the input-method point), skins built into a pack with the
// pack builder from synthetic pictures, synthetic mouse and key input through the input
// module, and objects that record what reaches them.
#include "tests/support/PatternGlyphSource.h"
#include "tests/support/ProgramFolder.h"

#include "engine/GameCore.h"
#include "engine/gui/CLumoraGui.h"
#include "engine/input/InputModule.h"
#include "engine/music/MusicModule.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/paint/Pps.h"
#include "engine/resource/PackWriter.h"
#include "engine/resource/ResourceModule.h"
#include "engine/senior/CClassSenior.h"
#include "platform/Clock.h"
#include "platform/GbkWalk.h"
#include "platform/HeadlessWindow.h"
#include "platform/SilentAudio.h"
#include "widgets/ChatDocument.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

using Lumora::EventRecord;

// Records every event record it receives; `inspect` runs during the dispatch, while pointers
// that a record carries are still valid.
class ProbeObject : public Lumora::CClassSenior {
public:
    int OnEvent(const EventRecord& r) override
    {
        records.push_back(r);
        if (inspect)
            inspect(r);
        return Lumora::PObject::OnEvent(r);
    }
    size_t Count(uint32_t code) const
    {
        size_t n = 0;
        for (const EventRecord& r : records)
            n += r.code == code;
        return n;
    }
    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const EventRecord& r : records)
            codes.push_back(r.code);
        return codes;
    }
    std::vector<EventRecord> records;
    std::function<void(const EventRecord&)> inspect;
};

// Stands in for the cursor object "object_cursor": records the cursor codes sent to it.
class FakeCursorObject : public ProbeObject {
public:
    static constexpr uint32_t kHand = Lumora::EV_CURSOR_HAND;
    static constexpr uint32_t kArrow = Lumora::EV_CURSOR_ARROW;
    std::vector<uint32_t> Shapes() const
    {
        std::vector<uint32_t> shapes;
        for (const EventRecord& r : records)
            if (r.code == kHand || r.code == kArrow)
                shapes.push_back(r.code);
        return shapes;
    }
};

// Starts actions; its least interval can be changed so that tests step on every pass.
class Actor : public Lumora::CClassSenior {
public:
    using CClassSenior::MakeAction;
    using CClassSenior::PostAction;
    uint32_t GetActionInterval() const override { return least; }
    uint32_t least = 30;
};

// Records the events and action ends it receives as text, with the engine time.
class Recorder : public Lumora::CClassSenior {
public:
    int OnEvent(const EventRecord& r) override
    {
        log.push_back("event " + std::to_string(r.code) + " @" + std::to_string(GetClock()));
        return Lumora::PObject::OnEvent(r);
    }
    int OnActionEnd(const EventRecord& r) override
    {
        log.push_back("end " + std::to_string(r.code) + " @" + std::to_string(GetClock()));
        return 1;
    }
    std::vector<std::string> log;
};

// The music module with a silent output that records every sound asked for by name.
class FakeMusic : public Lumora::MusicModule {
public:
    FakeMusic() : MusicModule(std::make_unique<platform::SilentAudio>()) {}
    Channel PlaySound(const char* name, int repeats, const EventRecord* endNotice) override
    {
        played.emplace_back(name ? name : "");
        return MusicModule::PlaySound(name, repeats, endNotice);
    }
    std::vector<std::string> played;
};

// Opens nothing: records the addresses a widget asks to open.
struct FakeLinkOpener {
    std::vector<std::string> opened;
    std::function<bool(const std::string&)> Opener()
    {
        return [this](const std::string& address) {
            opened.push_back(address);
            return true;
        };
    }
};

// A picture of `frames` frames stacked top to bottom; `colour(frame, x, y)` gives 0x00BBGGRR,
// drawn opaque.
inline Lumora::ImageRecord SyntheticPicture(int width, int height, int frames,
                                            const std::function<uint32_t(int, int, int)>& colour)
{
    Lumora::ImageRecord image;
    image.width = uint16_t(width);
    image.height = uint16_t(height);
    image.frames = uint32_t(frames);
    image.flags = Lumora::kImageAlpha | (frames > 1 ? uint32_t(Lumora::kImageAnimated) : 0u);
    if (frames > 1)
        image.delays.assign(size_t(frames), 100);
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t c = colour(f, x, y);
                image.pixels.insert(image.pixels.end(),
                                    {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(255)});
            }
    return image;
}

// A solid picture of one colour per frame.
inline Lumora::ImageRecord SolidFrames(int width, int height, const std::vector<uint32_t>& colours)
{
    return SyntheticPicture(width, height, int(colours.size()),
                            [&](int f, int, int) { return colours[size_t(f)]; });
}

// What a headless engine is made of beyond the resource, object and painting modules. Module
// tests that load their own input or music module leave those out.
struct EngineParts {
    bool input = true;
    bool music = true;
    // The viewport centred on the view, so that engine pixels are client pixels; else centred
    // on the origin.
    bool clientPixels = true;
};

class HeadlessEngine {
public:
    static constexpr int kViewWidth = 800;
    static constexpr int kViewHeight = 600;
    static constexpr uint32_t kTickMs = 20;

    // The program folder is "xl_<folderTag>_<pid>" under the temporary folder.
    explicit HeadlessEngine(const std::string& folderTag, EngineParts parts = {})
        : folder_(folderTag), window_(platform::Rect{0, 0, kViewWidth, kViewHeight})
    {
        clock_.Advance(1000);  // the engine clock never reads 0 while actions run
        core_ = std::make_unique<Lumora::GameCore>();
        core_->Init(0);
        resources_ = new Lumora::ResourceModule;
        objects_ = new Lumora::ObjectModule(glyphs_);
        paint_ = new Lumora::PaintModuleGDI;
        std::vector<Lumora::BaseModule*> modules{resources_, objects_, paint_};
        if (parts.input)
            modules.push_back(input_ = new Lumora::InputModule);
        if (parts.music)
            modules.push_back(music_ = new FakeMusic);
        for (Lumora::BaseModule* m : modules)
            if (core_->LoadModule(m, 1, 0) != Lumora::LUMORA_MSG_OK)
                throw std::runtime_error("module did not load");
        paint_->CreateBackBuffer(kViewWidth, kViewHeight);
        objects_->SetViewportSize(kViewWidth, kViewHeight);
        if (parts.clientPixels)
            objects_->SetViewportCentre(kViewWidth / 2, kViewHeight / 2);
        if (input_)
            input_->SetWindow(&window_);
        owner_ = Register(new ProbeObject);
    }
    ~HeadlessEngine() { core_.reset(); }
    HeadlessEngine(const HeadlessEngine&) = delete;
    HeadlessEngine& operator=(const HeadlessEngine&) = delete;

    template <typename T = Recorder>
    T* Add()
    {
        return Register(new T);
    }

    template <typename T>
    T* Register(T* object)
    {
        objects_->RegisterObject(object, nullptr);
        return object;
    }
    // A widget made as owners make them: new, registered under the owner object.
    template <typename W>
    W* Make()
    {
        auto* widget = new W;
        owner_->RegisterChild(widget);
        return widget;
    }
    // What an owner does to show a widget: enable, activate, redraw, and let a frame pass.
    void Show(Lumora::PObject& widget)
    {
        if (auto* gui = dynamic_cast<Lumora::CLumoraGui*>(&widget))
            gui->Enable(true);
        else
            widget.SetEnabled(true);
        widget.Activate();
        widget.Redraw();
        Settle();
    }
    ProbeObject* MakeProbe() { return Register(new ProbeObject); }
    FakeCursorObject* MakeCursorObject()
    {
        auto* cursor = Register(new FakeCursorObject);
        cursor->SetName("object_cursor");
        input_->SetCursorObject(cursor->GetId());
        return cursor;
    }

    // Skins: synthetic pictures encoded in our picture format and built into one pack.
    void AddSkin(const std::string& gbkName, const Lumora::ImageRecord& picture)
    {
        skins_.push_back({gbkName + ".pps", Lumora::EncodePps(picture)});
    }
    void LoadSkins()
    {
        std::string error;
        packs_.push_back(std::make_unique<std::vector<uint8_t>>(Lumora::BuildPack(skins_, error)));
        if (packs_.back()->empty())
            throw std::runtime_error("pack: " + error);
        resources_->AddMemPack(packs_.back()->data(), packs_.back()->size());
        skins_.clear();
    }
    Lumora::PictureInfo Picture(const char* name, int frame = 0)
    {
        Lumora::PictureInfo info;
        return owner_->GetPicture(info, name, frame);
    }

    // Time.
    void Tick(uint32_t ms = kTickMs)
    {
        clock_.Advance(ms);
        core_->FrameTick();
    }
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += kTickMs)
            Tick();
    }
    // Enough ticks for posted input records to be delivered and their queued results to land.
    void Settle() { Run(3 * kTickMs); }

    // Input, as the host window hands it to the input module, in client pixels.
    void MoveMouse(int x, int y)
    {
        input_->OnMouseMove(x, y, 0);
        Settle();
    }
    void Press(int x, int y)
    {
        input_->OnMouseMove(x, y, 0);
        input_->OnLButtonDown(x, y, 0);
        Settle();
    }
    void DragTo(int x, int y)
    {
        input_->OnMouseMove(x, y, 0);
        Settle();
    }
    void Release(int x, int y)
    {
        input_->OnLButtonUp(x, y, 0);
        Settle();
    }
    // Press and release at one point, far enough in time from the last press not to double.
    void Click(int x, int y)
    {
        Run(600);
        Press(x, y);
        Release(x, y);
    }
    // Two presses within the double-click time at one point.
    void DoubleClick(int x, int y)
    {
        Run(600);
        Press(x, y);
        Release(x, y);
        input_->OnLButtonDown(x, y, 0);
        Settle();
        Release(x, y);
    }
    void RightClick(int x, int y)
    {
        Run(600);
        input_->OnMouseMove(x, y, 0);
        input_->OnRButtonDown(x, y, 0);
        Settle();
        input_->OnRButtonUp(x, y, 0);
        Settle();
    }
    // Positive: forward (away from the user); the focused object receives it.
    void Wheel(int delta)
    {
        input_->OnMouseWheel(0, 0, delta, 0);
        Settle();
    }
    // Typed GBK text, byte by byte as the window hands it over (pairs are joined by the module).
    void Type(std::string_view gbk)
    {
        for (unsigned char c : gbk)
            input_->OnChar(c, 1, 0);
        Settle();
    }
    void Key(uint32_t vk)
    {
        input_->OnKeyDown(vk, 1, 0);
        input_->OnKeyUp(vk, 1, 0);
        Settle();
    }
    void Character(uint32_t c)
    {
        input_->OnChar(c, 1, 0);
        Settle();
    }

    uint32_t Now() const { return core_->GetTime(); }

    Lumora::GameCore& Core() { return *core_; }
    Lumora::ResourceModule& Resources() { return *resources_; }
    Lumora::ObjectModule& Objects() { return *objects_; }
    Lumora::InputModule& Input() { return *input_; }
    Lumora::PaintModuleGDI& Paint() { return *paint_; }
    platform::HeadlessWindow& Window() { return window_; }
    // Sounds played by name, in order (none without the music module).
    const std::vector<std::string>& Sounds() const
    {
        static const std::vector<std::string> none;
        return music_ ? music_->played : none;
    }
    platform::ManualClock& Clock() { return clock_; }
    ProbeObject& Owner() { return *owner_; }
    // The glyph source, which records every glyph asked for.
    PatternGlyphSource& Glyphs() { return *glyphs_; }
    // The program folder, where the engine writes its run log ('res "%s" does not exists!' and
    // the like).
    const std::filesystem::path& Folder() const { return folder_.Path(); }
    std::string DailyLogText() const { return folder_.DailyLogText(); }

private:
    ProgramFolder folder_;
    platform::ManualClock clock_{0};
    // Installed before anything else is made and put back even when the constructor throws.
    platform::ScopedClock clockInstalled_{clock_};
    platform::HeadlessWindow window_;
    std::shared_ptr<PatternGlyphSource> glyphs_ = std::make_shared<PatternGlyphSource>();
    std::unique_ptr<Lumora::GameCore> core_;
    Lumora::ResourceModule* resources_ = nullptr;
    Lumora::ObjectModule* objects_ = nullptr;
    Lumora::PaintModuleGDI* paint_ = nullptr;
    Lumora::InputModule* input_ = nullptr;
    FakeMusic* music_ = nullptr;
    ProbeObject* owner_ = nullptr;
    std::vector<Lumora::PackSource> skins_;
    std::vector<std::unique_ptr<std::vector<uint8_t>>> packs_;
};

// An animated picture of `frames` frames of `delay` ms each.
inline std::unique_ptr<Lumora::ImageRecord> AnimatedImage(int frames, uint32_t delay, int w = 4, int h = 4)
{
    auto image = std::make_unique<Lumora::ImageRecord>();
    image->width = uint16_t(w);
    image->height = uint16_t(h);
    image->frames = uint32_t(frames);
    image->flags = Lumora::kImageAlpha | (frames > 1 ? uint32_t(Lumora::kImageAnimated) : 0u);
    image->transparent = Lumora::kColourKey;
    image->pixels.assign(size_t(w) * h * 4 * frames, 255);
    if (frames > 1)
        image->delays.assign(size_t(frames), delay);
    return image;
}

// Colour of a plane pixel as 0x00BBGGRR, read from its raw blue, green, red bytes.
inline uint32_t PixelOf(Lumora::PlaneObject& plane, int x, int y)
{
    const uint8_t* p = plane.GetPixels() + (size_t(y) * plane.GetSurfaceWidth() + x) * 4;
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}
// Colours equal within `tolerance` in each byte (picture blits at full opacity round down by one).
inline bool NearColour(uint32_t a, uint32_t b, int tolerance = 1)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}
inline uint8_t AlphaOf(Lumora::PlaneObject& plane, int x, int y)
{
    return plane.GetPixels()[(size_t(y) * plane.GetSurfaceWidth() + x) * 4 + 3];
}

// Laid-out chat text that shows the name as written (what is no character dropped), then
// `after`, the name in the style of the character behind it: no tag of the name applied; and, in a
// chat line, one run that a wrap keeps whole (a box's text is the engine's, which has no such run).
inline ::testing::AssertionResult ShowsName(const Lumora::ChatLayout& layout, std::string_view name,
                                            std::string_view after, bool chatLine = true)
{
    const std::string want = Lumora::PlainCharacters(name);
    std::string shown;
    std::vector<const Lumora::ChatElement*> at;  // the element of each byte shown
    for (const Lumora::ChatElement* e = layout.First(); e; e = e->next)
        for (char c : e->Text().empty() ? std::string("\x01") : e->Text())
            shown += c, at.push_back(e);
    const size_t from = shown.find(want + std::string(after));
    if (after.empty() || from == std::string::npos)
        return ::testing::AssertionFailure() << "shows \"" << shown << "\"";
    const Lumora::ChatElement& b = *at[from + want.size()];
    for (size_t i = from; i < from + want.size(); ++i)
        if (at[i]->colour != b.colour || at[i]->fontHeight != b.fontHeight || at[i]->Is(Lumora::chat_flag::kLink) ||
            (chatLine && !at[i]->Is(Lumora::chat_flag::kUnbroken)))
            return ::testing::AssertionFailure() << "byte " << i - from << " apart in \"" << shown << "\"";
    return ::testing::AssertionSuccess();
}

// The same of a line of markup, read as the side panel's chat box reads it (links on).
inline ::testing::AssertionResult ShowsName(const Lumora::Markup& markup, std::string_view name, std::string_view after,
                                            bool chatLine = true)
{
    Lumora::ChatDocument doc;
    doc.rules.chatBoxExtensions = true;
    doc.style |= Lumora::chat_style::kLinks;
    doc.Append(markup);
    return ShowsName(doc.layout, name, after, chatLine);
}
// The same of a line a fake kept of the markup it was given.
inline ::testing::AssertionResult ShowsName(const std::string& kept, std::string_view name, std::string_view after,
                                            bool chatLine = true)
{
    return ShowsName(Lumora::Markup::FromSkin(kept), name, after, chatLine);
}

// Names other players may choose, as the server sends them (GBK): each tag kind the engine and
// the chat read, a link, lone brackets, a format, a backslash, a lone lead byte at the end and a
// name of the field's whole 31 bytes. Wherever a name is drawn it reads as written (the lone lead
// byte dropped), in the style of the place that shows it.
inline constexpr std::string_view kHostileNames[] = {
    "<size=40>大字",
    "<c=255>红名",
    "<color=255>红",
    "<script>隐身",
    "<break>断行",
    "<z=zu系统通知>图",
    "<url_text=http://e.cn/?,二>",
    "<url=http://e.cn/>链",
    "#r<>##张三",
    "a<b>c%s%d\\n",
    "尾字\x81",
    "一二三四五六七八九十一二三四五A",
    "a\x81<b\r\n\x80\xFF\x7F" "c\x81", // stray bytes: a lead byte before '<', breaks, no characters
};

// Empty when a text shows the name plain on a line of that size and colour, whole or cut with "…" after a character.
inline std::string DrawnNameFault(const Lumora::PlaneObject::TextBox& t, std::string_view name, int size, uint32_t rgb)
{
    const std::string plain = Lumora::PlainCharacters(name);
    const std::string_view shown(t.text.data(), t.text.size() - (t.text != plain && t.text.ends_with("…") ? 2 : 0));
    size_t whole = 0;
    while (whole < shown.size())
        whole += platform::GbkCharLength(plain, whole);
    const bool ok = t.box.bottom - t.box.top == size && t.colour == rgb; // a line
    return ok && whole == shown.size() && plain.starts_with(shown) ? "" : "\"" + t.text + "\" for " + plain;
}

// Planes keep the boxes of their texts while one stands.
struct RecordingTexts {
    RecordingTexts() { Lumora::PlaneObject::RecordTexts(true); }
    ~RecordingTexts() { Lumora::PlaneObject::RecordTexts(false); }
};

} // namespace testsupport
