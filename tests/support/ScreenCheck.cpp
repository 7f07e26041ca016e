// The screen check: a fresh composition of the whole view against the window's pixels, and the
// object rules that pixels cannot see.
#include "tests/support/ScreenCheck.h"

#include "engine/GameCore.h"
#include "engine/gui/CLumoraGui.h"
#include "engine/gui/CLumoraMouse.h"
#include "engine/geometry/Geometry.h"
#include "engine/object/PObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PglPic.h"
#include "platform/Charset.h"
#include "platform/Clock.h"
#include "platform/DisplayWindow.h"
#include "platform/ScreenshotPng.h"
#include "widgets/CCyUserList.h"
#include "widgets/CPglChatBox.h"
#include "widgets/CXyListBlock.h"
#include "widgets/CXyStandDlg.h"
#include "widgets/WidgetSupport.h"

#include <cxxabi.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <typeinfo>

namespace testsupport {
namespace {

using Lumora::PObject;

// Drawn in a frame when it comes up: shown, with a picture that can be drawn, on the screen.
bool Drawable(PObject& o, const Lumora::Rect& viewport)
{
    const Lumora::ObjectGeometry& g = o.Geometry();
    if (!g.active || (g.flags & Lumora::OBJ_HIDDEN))
        return false;
    const Lumora::CPglPic* picture = o.GetDrawData();
    Lumora::Rect meet;
    return picture && picture->IsCurrent() && !picture->IsNotDrawable() &&
        Lumora::IntersectRect(meet, Lumora::ObjectModule::ScreenRect(g), viewport);
}

std::string Describe(PObject& o)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> type(abi::__cxa_demangle(typeid(o).name(), nullptr, nullptr, &status),
                                                     &std::free);
    // What it covers: a picture's pixels, or a widget's body.
    const Lumora::Rect r = o.GetDrawData()
        ? Lumora::ObjectModule::ScreenRect(o.Geometry())
        : Lumora::Rect{int(o.GetLeft()), int(o.GetTop()), int(o.GetRight()), int(o.GetBottom())};
    char text[256];
    std::snprintf(text, sizeof text, "%s #%u%s%s at (%d, %d, %d, %d)", status == 0 ? type.get() : typeid(o).name(),
                  o.GetId(), o.GetName().empty() ? "" : " ", o.GetName().c_str(), r.left, r.top, r.right, r.bottom);
    return text;
}

// Shows something of its own when open: a picture, or a widget's body. Holders that show nothing
// (the game object, a widget without a body) are never activated and close nothing.
bool ShowsItself(PObject& o)
{
    auto* widget = dynamic_cast<Lumora::CLumoraGui*>(&o);
    return o.GetDrawData() || (widget && widget->GetBody() != widget);
}

// A board or a list: what it holds must stay within it.
bool Holds(const PObject& o)
{
    return dynamic_cast<const Lumora::CXyStandDlg*>(&o) || dynamic_cast<const Lumora::CPglChatBox*>(&o) ||
        dynamic_cast<const Lumora::CCyUserList*>(&o);
}

// Why a pixel may differ: the objects over it that the fresh view draws and the frames no longer
// draw (or the other way round), else the top few that both draw.
std::string ObjectsAt(Lumora::ObjectModule& objects, int x, int y)
{
    Lumora::Rect viewport;
    objects.GetViewport(viewport);
    x += viewport.left;
    y += viewport.top;
    auto over = [&](PObject& o) { return Lumora::PointInRect(Lumora::ObjectModule::ScreenRect(o.Geometry()), x, y); };
    std::vector<PObject*> listed, fresh;
    objects.ForEachDrawn([&](PObject& o) {
        if (over(o))
            listed.push_back(&o);
    });
    objects.ForEachObject([&](PObject& o) {
        if (Drawable(o, viewport) && over(o))
            fresh.push_back(&o);
    });
    std::string text;
    for (PObject* o : fresh)
        if (std::find(listed.begin(), listed.end(), o) == listed.end())
            text += "; shown but left out of the frames: " + Describe(*o);
    for (PObject* o : listed)
        if (std::find(fresh.begin(), fresh.end(), o) == fresh.end())
            text += "; framed but not shown: " + Describe(*o) + (o->Geometry().active ? "" : " (inactive)");
    if (text.empty())
        for (size_t i = listed.size(); i-- > 0 && i + 3 >= listed.size();)
            text += "; under it: " + Describe(*listed[i]);
    return text;
}

// A pixel of slack: holders stand on half pixels.
bool Outside(const Lumora::Rect& box, const PObject& holder)
{
    return box.left < holder.GetLeft() - 1 || box.top < holder.GetTop() - 1 || box.right > holder.GetRight() + 1 ||
        box.bottom > holder.GetBottom() + 1;
}

RuleFault OutOf(PObject& o, PObject& holder)
{
    return {"outside " + std::to_string(o.GetId()) + " " + std::to_string(holder.GetId()),
            Describe(o) + " runs out of " + Describe(holder)};
}

// What a fresh composition draws, back to front.
std::vector<PObject*> DrawnInOrder(Lumora::ObjectModule& objects, const Lumora::Rect& viewport)
{
    std::vector<PObject*> drawn;
    objects.ForEachObject([&](PObject& o) {
        if (Drawable(o, viewport))
            drawn.push_back(&o);
    });
    std::sort(drawn.begin(), drawn.end(), [](PObject* a, PObject* b) {
        const Lumora::ObjectGeometry &ga = a->Geometry(), &gb = b->Geometry();
        if (ga.layer != gb.layer)
            return ga.layer < gb.layer;
        if (ga.z != gb.z)
            return ga.z < gb.z;
        return a->GetId() < b->GetId();
    });
    return drawn;
}

// The board an object stands on: the outermost flagged one it is linked under (a dialog's body
// carries its flag), or none.
const PObject* BoardOf(const PObject& o)
{
    const PObject* board = nullptr;
    for (const PObject* p = &o; p; p = p->GetParent())
        if (p->GetFlags() & Lumora::OBJ_BOARD)
            board = p;
    return board;
}

bool Overlap(const Lumora::Rect& a, const Lumora::Rect& b)
{
    return std::min(a.right, b.right) - std::max(a.left, b.left) > 1 &&
        std::min(a.bottom, b.bottom) - std::max(a.top, b.top) > 1;
}

// A text as the screen shows it.
struct ShownText {
    Lumora::Rect box;
    Lumora::PlaneObject* plane = nullptr;
    const std::string* text = nullptr;
    size_t order = 0; // of its plane among the drawn
};

std::string Corners(const Lumora::Rect& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
        std::to_string(r.bottom) + ")";
}

std::string Quoted(const std::string& text) { return "\"" + platform::GbkToUtf8(text) + "\""; }

// Opaque at the point: a plane where its pixel is, any other picture over its box, or where its
// pixel is when asked (`inked`).
bool HidesAt(const PObject& o, int x, int y, bool inked = false)
{
    const Lumora::Rect r = Lumora::ObjectModule::ScreenRect(o.Geometry());
    if (!Lumora::PointInRect(r, x, y) || o.Geometry().alpha < 0.5)
        return false;
    const auto* plane = dynamic_cast<const Lumora::PlaneObject*>(&o);
    if (const Lumora::CPglPic* picture = const_cast<PObject&>(o).GetDrawData(); !plane && inked && picture) {
        if (const double angle = o.Geometry().angle; angle != 0) {
            // Turned (the clock's hand): the point read back in the picture as the blitter turns it.
            const double th = angle * std::numbers::pi / 180.0, dx = x - o.GetX(), dy = y - o.GetY();
            const double c = std::cos(th), s = std::sin(th);
            return picture->IsOpaqueAt(int((picture->GetWidth() + 1) / 2 + dx * c - dy * s),
                                       int((picture->GetHeight() + 1) / 2 + dy * c + dx * s)) != 0;
        }
        const double sx = picture->GetWidth() / std::max(1.0, double(r.right - r.left));
        const double sy = picture->GetHeight() / std::max(1.0, double(r.bottom - r.top));
        return picture->IsOpaqueAt(int((x - r.left) * sx), int((y - r.top) * sy)) != 0;
    }
    if (!plane)
        return true;
    const double sx = plane->GetSurfaceWidth() / std::max(1.0, o.GetWidth());
    const double sy = plane->GetSurfaceHeight() / std::max(1.0, o.GetHeight());
    return plane->GetPixelAlpha(int((x - o.GetLeft()) * sx), int((y - o.GetTop()) * sy)) >= 128;
}

// The reader's rules on the planes' texts: none scaled, none partly painted over, none over
// another unless hidden between or on a board standing above it.
void TextRuleFaults(const std::vector<PObject*>& drawn, const Lumora::Rect& viewport, std::vector<RuleFault>& faults)
{
    std::vector<ShownText> texts;
    for (size_t order = 0; order < drawn.size(); ++order) {
        auto* plane = dynamic_cast<Lumora::PlaneObject*>(drawn[order]);
        if (!plane || plane->TextBoxes().empty() || plane->GetSurfaceWidth() <= 0 || plane->GetSurfaceHeight() <= 0 ||
            plane->Geometry().alpha < 0.5)
            continue;
        const Lumora::ObjectGeometry& g = plane->Geometry();
        const std::string id = std::to_string(plane->GetId());
        if (std::abs(g.width - plane->GetSurfaceWidth()) > 0.5 || std::abs(g.height - plane->GetSurfaceHeight()) > 0.5) {
            char scale[64];
            std::snprintf(scale, sizeof scale, " drawn at %.2f x %.2f", g.width / plane->GetSurfaceWidth(),
                          g.height / plane->GetSurfaceHeight());
            faults.push_back({"scaled " + id, "the text " + Quoted(plane->TextBoxes().back().text) + " of " +
                                  Describe(*drawn[order]) + scale});
        }
        const double sx = g.width / plane->GetSurfaceWidth(), sy = g.height / plane->GetSurfaceHeight();
        const double left = plane->GetLeft(), top = plane->GetTop();
        for (const Lumora::PlaneObject::TextBox& t : plane->TextBoxes()) {
            if (t.paintedOver)
                faults.push_back({"painted " + id,
                                  "a picture is drawn over part of the text " + Quoted(t.text) + " on " +
                                      Describe(*drawn[order])});
            Lumora::Rect box{int(left + t.box.left * sx), int(top + t.box.top * sy), int(left + t.box.right * sx),
                             int(top + t.box.bottom * sy)};
            if ((g.flags & Lumora::OBJ_CLIP) && !Lumora::IntersectRect(box, Lumora::Rect(box), g.clip))
                continue;
            if (Lumora::IntersectRect(box, Lumora::Rect(box), viewport))
                texts.push_back({box, plane, &t.text, order});
        }
    }
    std::sort(texts.begin(), texts.end(), [](const ShownText& a, const ShownText& b) { return a.box.left < b.box.left; });
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = i + 1; j < texts.size() && texts[j].box.left < texts[i].box.right - 1; ++j) {
            const ShownText& under = texts[i].order <= texts[j].order ? texts[i] : texts[j];
            const ShownText& over = &under == &texts[i] ? texts[j] : texts[i];
            if (!Overlap(under.box, over.box) || (under.box == over.box && *under.text == *over.text))
                continue;
            const PObject* board = BoardOf(*over.plane);
            if (board && board != BoardOf(*under.plane))
                continue;
            const int x = (std::max(under.box.left, over.box.left) + std::min(under.box.right, over.box.right)) / 2;
            const int y = (std::max(under.box.top, over.box.top) + std::min(under.box.bottom, over.box.bottom)) / 2;
            bool hidden = false;
            for (size_t k = under.order + 1; k < over.order && !hidden; ++k)
                hidden = HidesAt(*drawn[k], x, y);
            if (!hidden)
                faults.push_back({"texts " + std::to_string(over.plane->GetId()) + " " +
                                      std::to_string(under.plane->GetId()),
                                  "the text " + Quoted(*over.text) + " at " + Corners(over.box) + " of " +
                                      Describe(*over.plane) + " stands over the text " + Quoted(*under.text) + " at " +
                                      Corners(under.box) + " of " + Describe(*under.plane)});
        }
}

} // namespace

std::vector<uint32_t> ComposeFresh(Lumora::ObjectModule& objects, const Lumora::PaintModuleGDI& paint)
{
    const int width = paint.GetWidth(), height = paint.GetHeight();
    Lumora::Rect viewport;
    objects.GetViewport(viewport);
    const std::vector<PObject*> drawn = DrawnInOrder(objects, viewport);
    // Geometry relative to the viewport's top-left, as the frame build hands it over.
    std::vector<Lumora::ObjectGeometry> geometry;
    geometry.reserve(drawn.size());
    std::vector<Lumora::FrameItem> items;
    for (PObject* o : drawn) {
        geometry.push_back(o->Geometry());
        geometry.back().x -= viewport.left;
        geometry.back().y -= viewport.top;
        items.push_back({&geometry.back(), o->GetDrawData()});
    }
    Lumora::PaintModuleGDI fresh;
    fresh.CreateBackBuffer(width, height);
    Lumora::Surface background;
    fresh.GetBackgroundSurface(background);
    if (paint.BackgroundBuffer().size() == size_t(width) * size_t(height))
        std::memcpy(background.buffer, paint.BackgroundBuffer().data(), paint.BackgroundBuffer().size() * 4);
    fresh.RenderFrame(objects.GetViewportCentreX(), objects.GetViewportCentreY(), {Lumora::Rect{0, 0, width, height}},
                      items);
    return fresh.PresentBuffer();
}

PixelDifference ComparePixels(const uint32_t* shown, const uint32_t* fresh, int width, int height,
                              const std::vector<Lumora::Rect>& skipped)
{
    PixelDifference d;
    for (int y = 0; y < height; ++y) {
        const size_t row = size_t(y) * size_t(width);
        if (std::memcmp(shown + row, fresh + row, size_t(width) * 4) == 0)
            continue;
        for (int x = 0; x < width; ++x) {
            // The top byte is the screen's own (unused): only colours count.
            if (((shown[row + x] ^ fresh[row + x]) & 0xFFFFFF) == 0)
                continue;
            if (std::any_of(skipped.begin(), skipped.end(), [&](const Lumora::Rect& r) {
                    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                }))
                continue;
            if (d.count++ == 0) {
                d.x = x;
                d.y = y;
            }
        }
    }
    return d;
}

// A child that moves with its holder but is shown and hidden on its own (a bar's show button
// that stands while the bar is folded) does not close with it; one merely held does.
bool ShowsOnItsOwn(const PObject& holder, const PObject& child)
{
    for (const PObject::ChildLink& link : holder.Children())
        if (link.child == &child)
            return (link.flags & Lumora::LINK_MOVE) && !(link.flags & Lumora::LINK_DEACTIVATE_ALWAYS);
    return false;
}

std::vector<RuleFault> ObjectRuleFaults(Lumora::ObjectModule& objects)
{
    std::vector<RuleFault> faults;
    Lumora::Rect viewport;
    objects.GetViewport(viewport);
    objects.ForEachObject([&](PObject& o) {
        // What a shown list shows as its lines (rows, faces) is its own, with all they hold.
        if (const auto* list = dynamic_cast<const Lumora::CPglChatBox*>(&o); list && o.IsActive() && o.IsVisible()) {
            std::vector<PObject*> held;
            for (const Lumora::ChatElement* e = list->Content().First(); e; e = e->next)
                if (e->Is(Lumora::chat_flag::kObject))
                    if (PObject* line = objects.FindById(e->code))
                        held.push_back(line);
            for (size_t i = 0; i < held.size(); ++i) {
                for (const PObject::ChildLink& link : held[i]->Children())
                    held.push_back(link.child);
                if (Drawable(*held[i], viewport) && Outside(Lumora::ObjectModule::ScreenRect(held[i]->Geometry()), o))
                    faults.push_back(OutOf(*held[i], o));
            }
        }
        if (!Drawable(o, viewport))
            return;
        const Lumora::Rect box = Lumora::ObjectModule::ScreenRect(o.Geometry());
        bool ownShowing = false; // below a link that follows its holder in all but showing and hiding
        for (const PObject* below = &o; PObject* up = below->GetParent(); below = up) {
            ownShowing = ownShowing || ShowsOnItsOwn(*up, *below);
            if (!ownShowing && (!up->IsVisible() || (!up->IsActive() && ShowsItself(*up)))) {
                faults.push_back({"closed " + std::to_string(o.GetId()) + " " + std::to_string(up->GetId()),
                                  Describe(o) + " shows under the closed " + Describe(*up)});
                break;
            }
            if (Holds(*up) && Outside(box, *up)) {
                faults.push_back(OutOf(o, *up));
                break;
            }
        }
    });
    TextRuleFaults(DrawnInOrder(objects, viewport), viewport, faults);
    return faults;
}

ScreenCheck::ScreenCheck(std::string name, std::string artifacts)
    : name_(std::move(name)), artifacts_(std::move(artifacts)), recordedTexts_(Lumora::PlaneObject::RecordingTexts())
{
    Lumora::PlaneObject::RecordTexts(true);
}

ScreenCheck::~ScreenCheck()
{
    if (installed_)
        Lumora::CLumoraWnd::SetFrameWatcher(nullptr);
    Lumora::PlaneObject::RecordTexts(recordedTexts_);
}

void ScreenCheck::Install()
{
    Lumora::CLumoraWnd::SetFrameWatcher(this);
    installed_ = true;
}

void ScreenCheck::Check(Lumora::CLumoraWnd& window)
{
    auto* objects = static_cast<Lumora::ObjectModule*>(window.GetCore().GetModule(Lumora::LUMORA_MODULE_OBJECT));
    auto* paint = static_cast<Lumora::PaintModuleGDI*>(window.GetCore().GetModule(Lumora::LUMORA_MODULE_PAINT));
    if (!objects || !paint)
        return;
    // The window's own pixels where it lends them; else the frame it was given.
    const platform::PixelStore store = window.GetWindow() ? window.GetWindow()->LendPixels() : platform::PixelStore{};
    const bool lent = store.pixels && store.width == paint->GetWidth() && store.height == paint->GetHeight();
    Check(*objects, *paint, lent ? store.pixels : paint->PresentBuffer().data());
}

void ScreenCheck::Check(Lumora::ObjectModule& objects, const Lumora::PaintModuleGDI& paint, const uint32_t* shown)
{
    const int width = paint.GetWidth(), height = paint.GetHeight();
    if (width <= 0 || height <= 0 || !shown)
        return;
    ++frames_;
    // Changes since the frame was composed are painted by the next one.
    Lumora::Rect viewport;
    objects.GetViewport(viewport);
    std::vector<Lumora::Rect> pending = objects.DirtyRects();
    for (Lumora::Rect& r : pending)
        r = {r.left - viewport.left, r.top - viewport.top, r.right - viewport.left, r.bottom - viewport.top};
    const std::vector<uint32_t> fresh = ComposeFresh(objects, paint);
    const PixelDifference d = ComparePixels(shown, fresh.data(), width, height, pending);
    if (d.count > 0) {
        ++differing_;
        char text[160];
        std::snprintf(text, sizeof text, "frame %d: %zu pixels differ from a fresh composition, the first at %d,%d",
                      frames_, d.count, d.x, d.y);
        // One fault for each cause, however many frames show it, pictured when first seen.
        const std::string cause = ObjectsAt(objects, d.x, d.y);
        if (Fault("pixels" + (cause.empty() ? std::to_string(d.x) + "," + std::to_string(d.y) : cause), text + cause) &&
            pictures_.size() < 3 * kPicturedCauses)
            SavePictures(shown, fresh, width, height);
    }
    for (const RuleFault& f : ObjectRuleFaults(objects))
        Fault(f.key, "frame " + std::to_string(frames_) + ": " + f.text);
    CheckCaptions(objects);
    CheckBoards(objects);
    CheckCoveredTexts(objects);
}

// A text stands whole or is hidden whole by what stands above it: no picture of the table (a tile,
// a label, the dice, another plane) drawn over part of a plane's text, wherever its centre lies.
// The planes' own "painted over" marks see only what is drawn into the plane; this sees what is
// drawn over it on the screen (a turned picture read as the blitter turns it). Judged once the
// picture has stood still over it for a while: a tile or a spark flying past is no fault.
void ScreenCheck::CheckCoveredTexts(Lumora::ObjectModule& objects)
{
    constexpr uint64_t kAtRestMs = 400;
    const uint64_t now = platform::CurrentClock().NowMs();
    Lumora::Rect viewport;
    objects.GetViewport(viewport);
    const std::vector<PObject*> drawn = DrawnInOrder(objects, viewport);
    std::map<std::string, uint64_t> seen;
    for (size_t order = 0; order < drawn.size(); ++order) {
        auto* plane = dynamic_cast<Lumora::PlaneObject*>(drawn[order]);
        if (!plane || plane->TextBoxes().empty() || plane->GetSurfaceWidth() <= 0 || plane->Geometry().alpha < 0.5)
            continue;
        const Lumora::ObjectGeometry& g = plane->Geometry();
        const double sx = g.width / plane->GetSurfaceWidth(), sy = g.height / std::max(1, plane->GetSurfaceHeight());
        const PObject* board = BoardOf(*plane);
        for (const Lumora::PlaneObject::TextBox& t : plane->TextBoxes()) {
            Lumora::Rect box{int(plane->GetLeft() + t.box.left * sx), int(plane->GetTop() + t.box.top * sy),
                             int(plane->GetLeft() + t.box.right * sx), int(plane->GetTop() + t.box.bottom * sy)};
            if ((g.flags & Lumora::OBJ_CLIP) && !Lumora::IntersectRect(box, Lumora::Rect(box), g.clip))
                continue;
            for (size_t k = order + 1; k < drawn.size(); ++k) {
                PObject& over = *drawn[k];
                const PObject* overBoard = BoardOf(over);
                if ((overBoard && overBoard != board) || over.GetName() == Lumora::kCursorObjectName)
                    continue;
                const Lumora::Rect at = Lumora::ObjectModule::ScreenRect(over.Geometry());
                Lumora::Rect meet;
                if (!Lumora::IntersectRect(meet, box, at) || meet.right - meet.left <= 1 || meet.bottom - meet.top <= 1)
                    continue;
                // Hidden whole, or a board standing over the plane (as wide and high as it, or more).
                // Anything else, wherever it stands (a word centred on a panel, the dice on the info
                // board), is judged by its drawn pixels on the text's box.
                const Lumora::Rect planeBox = Lumora::ObjectModule::ScreenRect(g);
                if ((at.left <= box.left + 2 && at.top <= box.top + 2 && at.right >= box.right - 2 &&
                     at.bottom >= box.bottom - 2) ||
                    (at.right - at.left >= planeBox.right - planeBox.left &&
                     at.bottom - at.top >= planeBox.bottom - planeBox.top))
                    continue;
                bool hides = false;
                for (int y = meet.top; y < meet.bottom && !hides; y += 2)
                    for (int x = meet.left; x < meet.right && !hides; x += 2)
                        hides = HidesAt(over, x, y, true);
                if (!hides)
                    continue;
                const std::string key = std::to_string(plane->GetId()) + " " + t.text + " " +
                    std::to_string(over.GetId()) + Corners(at);
                const auto before = covers_.find(key);
                const uint64_t since = seen[key] = before == covers_.end() ? now : before->second;
                if (now >= since + kAtRestMs)
                    Fault("covered " + std::to_string(plane->GetId()) + " " + std::to_string(over.GetId()),
                          "frame " + std::to_string(frames_) + ": " + Describe(over) + " stands over the text " +
                              Quoted(t.text) + " at " + Corners(box) + " of " + Describe(*plane));
            }
        }
    }
    covers_ = std::move(seen);
}

// Boards open in turn: each shown board counts as opened in the first frame it showed in since it
// last closed, and where two overlap, nothing of the later one is drawn under the earlier one.
void ScreenCheck::CheckBoards(Lumora::ObjectModule& objects)
{
    Lumora::Rect viewport;
    objects.GetViewport(viewport);
    const std::vector<PObject*> drawn = DrawnInOrder(objects, viewport);
    std::map<const PObject*, std::vector<size_t>> boards; // each board's drawn objects
    for (size_t i = 0; i < drawn.size(); ++i)
        if (const PObject* board = BoardOf(*drawn[i]))
            boards[board].push_back(i);
    std::map<uint32_t, int> open;
    for (const auto& [board, parts] : boards) {
        const auto was = boardsOpen_.find(board->GetId());
        open[board->GetId()] = was == boardsOpen_.end() ? frames_ : was->second;
    }
    boardsOpen_ = std::move(open);
    for (const auto& [earlier, under] : boards)
        for (const auto& [later, over] : boards) {
            if (boardsOpen_[earlier->GetId()] >= boardsOpen_[later->GetId()])
                continue;
            const auto drawnOver = [&](size_t a, size_t b) {
                return a > b && Overlap(Lumora::ObjectModule::ScreenRect(drawn[a]->Geometry()),
                                        Lumora::ObjectModule::ScreenRect(drawn[b]->Geometry()));
            };
            for (size_t b : over)
                if (const auto a = std::find_if(under.begin(), under.end(), [&](size_t a) { return drawnOver(a, b); });
                    a != under.end()) {
                    Fault("board " + std::to_string(later->GetId()) + " " + std::to_string(earlier->GetId()),
                          "frame " + std::to_string(frames_) + ": the board " + Describe(*drawn[b]) + " stands under " +
                              Describe(*drawn[*a]) + " of a board opened before it");
                    break;
                }
        }
}

// A list row's caption is text it drew for itself, which a fresh composition can only copy: each
// time a row's width changes (a list's scroll bar comes or goes), its caption is drawn anew and
// must equal what the row shows.
void ScreenCheck::CheckCaptions(Lumora::ObjectModule& objects)
{
    objects.ForEachObject([&](PObject& o) {
        auto* row = dynamic_cast<Lumora::CXyListBlock*>(&o);
        Lumora::PlaneObject* plane = row ? row->GetCaptionPlane() : nullptr;
        if (!plane || !row->IsActive() || row->GetCaption().empty() || !plane->GetPixels())
            return;
        int& seenWidth = captionWidths_[o.GetId()];
        if (seenWidth == plane->GetSurfaceWidth())
            return;
        seenWidth = plane->GetSurfaceWidth();
        const size_t bytes = size_t(plane->GetSurfaceWidth()) * size_t(plane->GetSurfaceHeight()) * 4;
        const std::vector<uint8_t> shown(plane->GetPixels(), plane->GetPixels() + bytes);
        if (row->IsCaptionPlain())
            row->DrawCaption(row->GetCaption(), Lumora::kColourKeyBackground, row->GetCaptionSize());
        else
            row->DrawCaption(Lumora::Markup::FromSkin(row->GetCaption()), Lumora::kColourKeyBackground,
                             row->GetCaptionSize());
        if (!std::equal(shown.begin(), shown.end(), plane->GetPixels()))
            Fault("caption " + std::to_string(o.GetId()),
                  "frame " + std::to_string(frames_) + ": the caption of " + Describe(o) +
                      " differs from its text drawn anew");
    });
}

bool ScreenCheck::Fault(const std::string& key, const std::string& text)
{
    if (!seen_.insert(key).second)
        return false;
    faults_.push_back(text);
    if (!faultFile_.empty())
        std::ofstream(faultFile_, std::ios::app) << name_ << " " << text << "\n";
    return true;
}

void ScreenCheck::SavePictures(const uint32_t* shown, const std::vector<uint32_t>& fresh, int width, int height)
{
    std::filesystem::create_directories(artifacts_);
    std::vector<uint32_t> diff(fresh.size());
    for (size_t i = 0; i < diff.size(); ++i)
        diff[i] = ((shown[i] ^ fresh[i]) & 0xFFFFFF) ? 0xFFFF0000u : 0xFF000000u | ((shown[i] >> 2) & 0x3F3F3F);
    const std::string stem = artifacts_ + "/screen-" + name_ + "-" + std::to_string(frames_) + "-";
    const std::pair<const char*, const uint32_t*> pictures[] = {
        {"shown", shown}, {"fresh", fresh.data()}, {"diff", diff.data()}};
    for (const auto& [part, pixels] : pictures)
        if (platform::WriteBgraPng(stem + part + ".png", pixels, width, height))
            pictures_.push_back(stem + part + ".png");
}

} // namespace testsupport
