// The object registry, event delivery, hit testing and the dirty rectangles of the frame build.
#include "tests/support/EngineFixtures.h"
#include "tests/support/PatternGlyphSource.h"
#include "tests/support/SceneSupport.h"

#include "engine/object/CursorClipHost.h"
#include "engine/object/DirtyRectList.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <tuple>

using namespace Lumora;

namespace {

class ObjectModuleTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
        objects_ = new ObjectModule(std::make_shared<testsupport::PatternGlyphSource>());
        compositor_ = new testsupport::Compositor(200, 100);
        ASSERT_EQ(core_->LoadModule(objects_, 1, 0), LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(compositor_, 1, 0), LUMORA_MSG_OK);
        objects_->SetViewportCentre(100, 50);
        objects_->SetViewportSize(200, 100);
        image_ = testsupport::MakeImage(10, 10, 1, 2, 3);
        objects_->BuildFrame();
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }

    // A drawable picture object of w x h centred at (x, y).
    BITObject* Picture(double x, double y, double w = 10, double h = 10)
    {
        BITObject* o = objects_->NewBitmapObject(testsupport::InfoOf(*image_), nullptr);
        o->SetSize(w, h);
        o->MoveTo(x, y);
        o->Activate();
        o->Redraw();
        return o;
    }
    void Tick()
    {
        clock_.Advance(20);
        core_->FrameTick();
    }

    std::unique_ptr<GameCore> core_;
    ObjectModule* objects_ = nullptr;
    testsupport::Compositor* compositor_ = nullptr;
    std::unique_ptr<ImageRecord> image_;
};

// Records what reaches it.
class Probe : public PObject {
public:
    explicit Probe(std::vector<std::string>* log = nullptr) : log_(log) {}
    ~Probe() override
    {
        if (log_)
            log_->push_back("deleted " + std::to_string(GetId()));
    }
    int OnEvent(const EventRecord& r) override
    {
        events.push_back(r.code);
        if (IsPayloadCode(r.code) && takes && GetObjectModule()) {
            if (auto text = GetObjectModule()->TakeTextPayload(r.param1))
                texts.push_back(*text);
            return 1;
        }
        return PObject::OnEvent(r);
    }
    int OnActionEnd(const EventRecord& r) override
    {
        actionEnds.push_back(r.code);
        return 1;
    }
    std::vector<uint32_t> events, actionEnds;
    std::vector<std::string> texts;
    bool takes = false;

private:
    std::vector<std::string>* log_;
};

TEST_F(ObjectModuleTest, RegistrationGivesIdsAndStackingZ)
{
    PObject* a = objects_->NewObject(nullptr);
    PObject* b = objects_->NewObject(nullptr);
    EXPECT_EQ(a->GetId(), 1u);
    EXPECT_EQ(a->GetZ(), -9999.0);
    EXPECT_EQ(b->GetId(), 2u);
    EXPECT_EQ(b->GetZ(), -9998.0);
    EXPECT_EQ(a->GetX(), -100000.0);
    EXPECT_EQ(a->GetAlpha(), 1.0);
    EXPECT_EQ(objects_->FindById(2), b);
    // A registered object is refused a second registration (it would be deleted twice).
    EXPECT_EQ(objects_->RegisterObject(a, nullptr), 0u);
    EXPECT_EQ(objects_->GetObjectCount(), 2u);
    objects_->UnregisterObject(2);
    EXPECT_EQ(objects_->FindById(2), nullptr);
    EXPECT_EQ(objects_->FindById(1), a);
    objects_->UnregisterObject(99); // unknown ids change nothing
    EXPECT_EQ(objects_->GetObjectCount(), 1u);
}

struct CountedObject : PObject {
    static inline int alive = 0;
    CountedObject() { ++alive; }
    ~CountedObject() override { --alive; }
};

TEST_F(ObjectModuleTest, NewChildRegistersOrDeletes)
{
    PObject* parent = objects_->NewObject(nullptr);
    CountedObject* child = parent->NewChild<CountedObject>();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->IsRegistered());
    EXPECT_EQ(CountedObject::alive, 1);
    PObject stranger; // not registered, so it cannot register children
    EXPECT_EQ(stranger.NewChild<CountedObject>(), nullptr);
    EXPECT_EQ(CountedObject::alive, 1);
}

TEST_F(ObjectModuleTest, FindByNameTakesTheFirstRegistered)
{
    PObject* a = objects_->NewObject(nullptr);
    PObject* b = objects_->NewObject(nullptr);
    objects_->NewObject(nullptr);
    b->SetName("bit_MatchEnd");
    a->SetName("bit_MatchEnd");
    a->SetName(""); // an empty name leaves the old one
    EXPECT_EQ(objects_->FindByName("bit_MatchEnd"), a);
    EXPECT_EQ(objects_->FindByName("bit_matchend"), nullptr);
    EXPECT_EQ(objects_->FindByName(nullptr), nullptr);
}

TEST_F(ObjectModuleTest, OwnedChildrenGoWithTheirParent)
{
    std::vector<std::string> log;
    auto* parent = new Probe(&log);
    auto* owned = new Probe(&log);
    auto* grandchild = new Probe(&log);
    auto* linked = new Probe; // outlives the log
    for (Probe* p : {parent, owned, grandchild, linked})
        objects_->RegisterObject(p, nullptr);
    parent->AddChild(owned, LINK_OWNED | LINK_MOVE);
    owned->AddChild(grandchild, LINK_OWNED);
    parent->AddChild(linked, LINK_MOVE);
    objects_->UnregisterObject(parent->GetId());
    EXPECT_EQ(log, (std::vector<std::string>{"deleted 1", "deleted 2", "deleted 3"}));
    EXPECT_EQ(linked->GetParent(), nullptr);
    EXPECT_EQ(objects_->GetObjectCount(), 1u);
}

TEST_F(ObjectModuleTest, EveryChildLinkedForAnOperationFollowsItHoweverMany)
{
    PObject parent;
    std::vector<std::unique_ptr<PObject>> children;
    for (int i = 0; i < 20; ++i) {
        children.push_back(std::make_unique<PObject>());
        parent.AddChild(children.back().get(), i % 4 == 3 ? LINK_MOVE : LINK_ALPHA);
    }
    parent.SetAlpha(0.25);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(children[size_t(i)]->GetAlpha(), i % 4 == 3 ? 1.0 : 0.25) << i;
    // Links changed later (none of them registered: id 0 names each), and children held back by
    // a deactivation, follow too.
    parent.SetChildLinkFlags(0, LINK_Z | LINK_ACTIVATION);
    parent.MoveZBy(5);
    for (auto& child : children)
        child->Activate();
    parent.Deactivate();
    EXPECT_FALSE(children[0]->IsActive());
    parent.Activate();
    for (auto& child : children)
        EXPECT_TRUE(child->IsActive() && child->GetZ() == 5);
    // One child alone, its link narrowed later: only what it is still linked for reaches it.
    PObject single, only;
    single.AddChild(&only, LINK_MOVE | LINK_ALPHA);
    single.SetChildLinkFlags(0, LINK_MOVE);
    single.SetAlpha(0.5);
    single.MoveBy(3, 0);
    EXPECT_TRUE(only.GetAlpha() == 1.0 && only.GetX() == single.GetX());
}

// Whoever keeps an object's count of geometry writes knows its geometry stands while the count
// does: every operation, on the object or reaching it through a link, that changes a byte of the
// geometry counts, whatever the object's kind; writing the same values may count or not.
TEST_F(ObjectModuleTest, NoGeometryChangesWithoutItsCountMoving)
{
    std::vector<std::unique_ptr<PObject>> objects;
    objects.push_back(std::make_unique<PObject>());
    objects.push_back(std::make_unique<BITObject>());
    objects.push_back(std::make_unique<PlaneObject>());
    objects[0]->AddChild(objects[1].get(), ~0u);
    objects[1]->AddChild(objects[2].get(), LINK_MOVE | LINK_ALPHA | LINK_ACTIVATION);
    std::mt19937 rng(5);
    const auto pick = [&](std::initializer_list<double> values) { return values.begin()[rng() % values.size()]; };
    for (int step = 0; step < 4000; ++step) {
        std::vector<std::pair<ObjectGeometry, uint32_t>> before;
        for (const auto& o : objects)
            before.emplace_back(o->Geometry(), o->GeometryWrites());
        PObject& o = *objects[rng() % objects.size()];
        const double a = pick({0, 0, 1, -2.5, 40}), b = pick({0, 3, 0.5, 40});
        const uint32_t flags = uint32_t(pick({0, OBJ_HIDDEN, OBJ_CLIP | OBJ_CLIP_FOLLOWS, OBJ_ENABLED}));
        const std::function<void()> operations[] = {
            [&] { o.MoveTo(a, b); }, [&] { o.MoveBy(a, b); }, [&] { o.Resize(a, b); }, [&] { o.SetZ(a); },
            [&] { o.MoveZBy(a); }, [&] { o.Activate(); }, [&] { o.Deactivate(); }, [&] { o.SetAlpha(b); },
            [&] { o.SetAngle(a); }, [&] { o.RotateBy(a); }, [&] { o.RotateAround(a, b, 90); },
            [&] { o.ScaleBy(b, b); }, [&] { o.SetSize(a, b); }, [&] { o.SetClipRect({0, 0, int(b), 9}); },
            [&] { o.SetVisible(a != 0); }, [&] { o.SetEnabled(a != 0); }, [&] { o.SetTopLevel(a != 0); },
            [&] { o.SetFlags(flags); }, [&] { o.AddFlags(flags); }, [&] { o.RemoveFlags(flags); },
            [&] { o.SetLayer(uint32_t(b)); }, [&] { o.SetTopMost(); },
            [&] { o.SetGeometry(objects[rng() % objects.size()]->Geometry()); },
        };
        operations[rng() % std::size(operations)]();
        for (size_t i = 0; i < objects.size(); ++i) {
            const bool changed = std::memcmp(&before[i].first, &objects[i]->Geometry(), sizeof(ObjectGeometry)) != 0;
            ASSERT_TRUE(!changed || before[i].second != objects[i]->GeometryWrites()) << "step " << step << ", object " << i;
        }
    }
}

TEST_F(ObjectModuleTest, AnUnrotatedRectangleTakesTheBoundingBoxAndThePaintersBox)
{
    // centre, extent -> low, high edge, as the painter places a box from the truncated centre.
    const double rows[][4] = {{2.5, 10, -3, 8}, {4.5, 10, -1, 10}, {5, 10, 0, 10},
                              {-0.5, 3, -2, 1}, {100.25, 7.5, 96, 103}, {0.75, 0, 0, 0}};
    for (const auto& row : rows) {
        ObjectGeometry g;
        g.x = g.y = row[0];
        g.width = g.height = row[1];
        const Rect r{int(row[2]), int(row[2]), int(row[3]), int(row[3])};
        EXPECT_EQ(ObjectModule::ScreenRect(g), r) << row[0] << " " << row[1];
    }
}

TEST_F(ObjectModuleTest, AnObjectDeletedByMistakeLeavesNoDanglingEntry)
{
    BITObject* o = Picture(50, 50);
    const uint32_t id = o->GetId();
    objects_->BuildFrame();
    delete o; // against the rules: only the module deletes registered objects
    EXPECT_EQ(objects_->FindById(id), nullptr);
    EXPECT_EQ(objects_->GetDrawIndex(id), -1);
    objects_->BuildFrame(); // repaints where it was, without touching it
    EXPECT_EQ(compositor_->lastRecordCount, 0u);
}

TEST_F(ObjectModuleTest, ShutdownDeletesEveryObjectWhileThePoolsStillExist)
{
    // An object whose destructor posts an event and asks for an action during shutdown.
    struct Noisy : PObject {
        ~Noisy() override
        {
            EventRecord e{1, 80000001, 0, 0};
            if (GetObjectModule()) {
                GetObjectModule()->PostEvent(e);
                EXPECT_EQ(GetObjectModule()->NewAction(), nullptr);
            }
        }
    };
    for (int i = 0; i < 5; ++i) {
        auto* n = new Noisy;
        objects_->RegisterObject(n, nullptr);
        if (i > 0)
            objects_->FindById(1)->AddChild(n, LINK_OWNED);
    }
    core_.reset(); // unloads the module: Shutdown, then delete
    SUCCEED();
}

TEST_F(ObjectModuleTest, EventsReachTheirTargetNowOrOnTheNextStep)
{
    auto* probe = new Probe;
    objects_->RegisterObject(probe, nullptr);
    EventRecord e{probe->GetId(), 80000001, 0, 0};
    EXPECT_EQ(probe->SendEvent(e), 1);
    EXPECT_EQ(probe->SendEvent(EventRecord{0, 80000001, 0, 0}), 0);
    EXPECT_EQ(probe->SendEvent(EventRecord{probe->GetId(), 0, 0, 0}), 0);
    EXPECT_EQ(objects_->DispatchEvent(EventRecord{42, 80000001, 0, 0}), 0);
    probe->PostEvent(EventRecord{probe->GetId(), 80000002, 0, 0});
    EXPECT_EQ(probe->events.size(), 1u);
    Tick();
    EXPECT_EQ(probe->events, (std::vector<uint32_t>{80000001, 80000002}));
    // An unregistered object sends nothing.
    Probe loose;
    EXPECT_EQ(loose.SendEvent(e), 0);
}

TEST_F(ObjectModuleTest, TextPayloadIsFreedExactlyOnce)
{
    auto* parent = new Probe;
    auto* first = new Probe;
    auto* second = new Probe;
    for (Probe* p : {parent, first, second})
        objects_->RegisterObject(p, nullptr);
    first->takes = second->takes = true;
    parent->AddChild(first, LINK_BROADCAST);
    parent->AddChild(second, LINK_BROADCAST);
    const uintptr_t token = objects_->NewTextPayload("你好");
    parent->BroadcastEvent(EventRecord{parent->GetId(), EV_TEXT_PAYLOAD, token, 0});
    EXPECT_EQ(first->texts, std::vector<std::string>{"你好"});
    EXPECT_TRUE(second->texts.empty());
    EXPECT_EQ(objects_->PendingPayloads(), 0u);
    // Undeliverable: the dispatcher frees it.
    objects_->PostEvent(EventRecord{999, EV_TEXT_PAYLOAD_2, objects_->NewTextPayload("x"), 0});
    Tick();
    EXPECT_EQ(objects_->PendingPayloads(), 0u);
    // The default handler frees it too.
    objects_->DispatchEvent(EventRecord{parent->GetId(), EV_TEXT_PAYLOAD, objects_->NewTextPayload("y"), 0});
    EXPECT_EQ(objects_->PendingPayloads(), 0u);
    // The application's text event carries the same kind of payload: a gone target, a target
    // that does not take it and a post after shutdown all free it.
    objects_->PostEvent(EventRecord{999, EV_APP_TEXT_PAYLOAD, objects_->NewTextPayload("z"), 0});
    Tick();
    EXPECT_EQ(objects_->PendingPayloads(), 0u);
    objects_->DispatchEvent(EventRecord{parent->GetId(), EV_APP_TEXT_PAYLOAD, objects_->NewTextPayload("w"), 0});
    EXPECT_EQ(objects_->PendingPayloads(), 0u);
}

TEST_F(ObjectModuleTest, ObjectAtPrefersLayerThenZThenDrawOrder)
{
    BITObject* low = Picture(50, 50);
    BITObject* same = Picture(50, 50);
    same->SetZ(low->GetZ());
    same->Redraw();
    low->SetEnabled(true);
    same->SetEnabled(true);
    EXPECT_EQ(objects_->ObjectAt(50, 50), low); // equal layer and z: the earlier one
    BITObject* top = Picture(50, 50);
    top->SetEnabled(true);
    top->SetLayer(5);
    top->Redraw();
    EXPECT_EQ(objects_->ObjectAt(50, 50), top);
    top->SetZ(low->GetZ() - 100); // the layer outranks z
    top->Redraw();
    EXPECT_EQ(objects_->ObjectAt(50, 50), top);
    top->AddFlags(OBJ_NO_HIT);
    EXPECT_EQ(objects_->ObjectAt(50, 50), low);
    low->SetEnabled(false);
    EXPECT_EQ(objects_->ObjectAt(50, 50), same);
    EXPECT_EQ(objects_->ObjectAt(150, 50), nullptr);
    same->Deactivate(); // closed, not yet drawn again: a board opened later at its depth takes the click
    EXPECT_EQ(objects_->ObjectAt(50, 50), nullptr);
    same->Activate();
    EXPECT_EQ(objects_->GetDrawIndex(low->GetId()), -1);
    EXPECT_EQ(objects_->GetDrawIndex(same->GetId()), 0);
    EXPECT_EQ(objects_->GetDrawIndex(12345), 2);
    EXPECT_EQ(objects_->IsDrawOrderSorted(), 1u);
    // A z that is not a number goes last in its layer and leaves the order of the rest whole.
    same->SetZ(std::nan(""));
    same->Redraw();
    low->SetZ(low->GetZ() + 50);
    low->Redraw();
    EXPECT_EQ(objects_->GetDrawIndex(low->GetId()), -1);
    EXPECT_EQ(objects_->GetDrawIndex(same->GetId()), 0);
    objects_->UnregisterObject(same->GetId());
    EXPECT_EQ(objects_->GetDrawIndex(low->GetId()), -1);
}

// Changes of layer and z, comings and goings, in batches large and small between walks of the
// list: the list is always the drawable objects sorted by layer, z and id.
TEST_F(ObjectModuleTest, TheDrawOrderAfterManyKeyChangesIsASort)
{
    std::mt19937 rng(17);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    std::vector<BITObject*> scene;
    for (int i = 0; i < 150; ++i)
        scene.push_back(Picture(pick(200), pick(100)));
    for (int round = 0; round < 60; ++round) {
        for (int n = pick(round % 3 == 0 ? 300 : 12); n > 0; --n) {
            BITObject*& o = scene[size_t(pick(int(scene.size())))];
            switch (pick(6)) {
            case 0:
                o->SetZ(pick(8)); // ties, decided by id
                break;
            case 1:
                o->SetLayer(uint32_t(pick(3)));
                break;
            case 2:
                o->IsActive() ? o->Deactivate() : o->Activate();
                break;
            case 3:
                objects_->UnregisterObject(o->GetId());
                o = Picture(pick(200), pick(100));
                break;
            default:
                o->MoveTo(pick(200), pick(100)); // keeps its place
                break;
            }
            o->Redraw();
        }
        std::vector<std::tuple<uint32_t, double, uint32_t>> expected, drawn;
        for (BITObject* o : scene)
            if (o->IsActive())
                expected.emplace_back(o->GetLayer(), o->GetZ(), o->GetId());
        std::sort(expected.begin(), expected.end());
        objects_->ForEachDrawn([&](PObject& o) { drawn.emplace_back(o.GetLayer(), o.GetZ(), o.GetId()); });
        ASSERT_EQ(drawn, expected) << "round " << round;
    }
}

TEST_F(ObjectModuleTest, HitTestEdges)
{
    PObject o;
    o.SetSize(10, 10);
    o.MoveTo(0, 0);
    EXPECT_TRUE(o.HitTest(-5, 0));
    EXPECT_TRUE(o.HitTest(4, 0));
    EXPECT_FALSE(o.HitTest(5, 0)); // the right edge is outside
    o.SetSize(10, 7);
    o.SetAngle(90);
    EXPECT_TRUE(o.HitTest(3, 0));  // turned onto the bottom edge (ly = height): inside
    EXPECT_FALSE(o.HitTest(4, 0));
    o.SetAngle(0);
    o.SetClipRect(Rect{-5, -5, 0, 5});
    EXPECT_FALSE(o.HitTest(2, 0));
    EXPECT_TRUE(o.HitTest(-2, 0));
}

TEST_F(ObjectModuleTest, TopLevelAndStacking)
{
    PObject* root = objects_->NewObject(nullptr);
    PObject* child = objects_->NewObject(nullptr);
    root->AddChild(child, LINK_Z);
    EXPECT_EQ(objects_->GetTopLevelId(child->GetId()), 0u);
    root->SetTopLevel(true);
    EXPECT_EQ(objects_->GetTopLevelId(child->GetId()), root->GetId());
    root->BringToFront();
    EXPECT_EQ(root->GetZ(), 1.0);
    EXPECT_EQ(child->GetZ(), -9998.0 + 1.0 + 9999.0); // followed by the same difference
    PObject* other = objects_->NewObject(nullptr);
    other->BringToFront();
    EXPECT_EQ(other->GetZ(), child->GetZ() + 1.0);
    root->SetZ(999988.0);
    child->SetZ(999985.0);
    root->MoveZBy(5.0);
    EXPECT_EQ(root->GetZ(), 999989.0);
    EXPECT_EQ(child->GetZ(), 999989.0);
    root->SetLayer(2000000);
    EXPECT_EQ(root->GetLayer(), 1000000u);
    root->SetTopMost();
    EXPECT_EQ(root->GetLayer(), 1000100u);
    EXPECT_EQ(child->GetLayer(), 1000100u);
    EXPECT_EQ(root->AddChild(child, LINK_MOVE), 0);
    EXPECT_EQ(root->GetChildLinkFlags(child->GetId()), static_cast<uint32_t>(LINK_MOVE));
}

TEST_F(ObjectModuleTest, DragAndCursorConfinement)
{
    struct Host : CursorClipHost {
        Rect clip{0, 0, 1920, 1080};
        Rect GetCursorClip() const override { return clip; }
        void SetCursorClip(const Rect& r) override { clip = r; }
        Origin ClientOrigin() const override { return {100, 200}; }
    } host;
    objects_->SetCursorClipHost(&host);
    BITObject* o = Picture(50, 50);
    o->SetDraggable(true);
    ASSERT_NE(o->FindEventHook(EV_LBUTTON_DRAG), nullptr);
    EXPECT_EQ(o->FindEventHook(EV_LBUTTON_DRAG)->code, static_cast<uint32_t>(EV_DRAG_MOVE));
    EXPECT_TRUE(o->IsEnabled()); // hooking an input code enables the object
    InputMotion motion{0, 0, 7, -3};
    o->OnEvent(EventRecord{o->GetId(), EV_DRAG_MOVE, 0, reinterpret_cast<uintptr_t>(&motion)});
    EXPECT_EQ(o->GetX(), 57.0);
    EXPECT_EQ(o->GetY(), 47.0);
    o->SetDraggable(false);
    EXPECT_EQ(o->FindEventHook(EV_LBUTTON_DRAG), nullptr);
    EXPECT_NE(o->FindEventHook(EV_LBUTTON_DOWN), nullptr);

    o->SetClipRect(Rect{10, 20, 30, 40});
    o->AddFlags(OBJ_CONFINE_CURSOR);
    o->OnEvent(EventRecord{o->GetId(), EV_LBUTTON_DOWN, 0, 0});
    EXPECT_EQ(host.clip, (Rect{110, 220, 130, 240}));
    o->OnEvent(EventRecord{o->GetId(), EV_LBUTTON_UP, 0, 0});
    EXPECT_EQ(host.clip, (Rect{0, 0, 1920, 1080}));
    objects_->SetCursorClipHost(nullptr);
}

TEST(DirtyRectList, MergesAsRectanglesArrive)
{
    const Rect viewport{0, 0, 200, 100};
    DirtyRectList list;
    list.Add(Rect{10, 10, 20, 20}, viewport);
    list.Add(Rect{20, 10, 30, 20}, viewport); // same top and bottom: one rectangle
    ASSERT_EQ(list.Rects().size(), 1u);
    EXPECT_EQ(list.Rects()[0], (Rect{10, 10, 30, 20}));
    list.Add(Rect{12, 12, 14, 14}, viewport); // inside: nothing added
    EXPECT_EQ(list.Rects().size(), 1u);
    list.Add(Rect{0, 0, 50, 50}, viewport);   // contains it: replaces it
    EXPECT_EQ(list.Rects()[0], (Rect{0, 0, 50, 50}));
    list.Add(Rect{190, 90, 260, 160}, viewport); // cut to the viewport
    EXPECT_EQ(list.Rects()[1], (Rect{190, 90, 200, 100}));
    list.Add(Rect{300, 300, 310, 310}, viewport); // wholly outside
    EXPECT_EQ(list.Rects().size(), 2u);
    // Rectangles of the same columns or rows join only when they touch or overlap: apart,
    // their union would repaint the gap.
    struct Pair {
        Rect first, second;
        size_t kept;
    };
    for (const Pair& p : {Pair{{60, 10, 70, 20}, {60, 20, 70, 30}, 1}, Pair{{60, 10, 70, 20}, {60, 70, 70, 80}, 2},
                          Pair{{60, 10, 70, 20}, {65, 10, 90, 20}, 1}, Pair{{60, 10, 70, 20}, {150, 10, 160, 20}, 2}}) {
        DirtyRectList pair;
        pair.Add(p.first, viewport);
        pair.Add(p.second, viewport);
        EXPECT_EQ(pair.Rects().size(), p.kept) << p.second.left << "," << p.second.top;
    }
    // Many disjoint rectangles join their nearest instead of piling up or giving up to a
    // whole redraw: each stays covered, and the list far from the whole viewport.
    std::vector<Rect> added;
    for (int i = 0; i < 100; ++i)
        added.push_back(Rect{i * 2, (i * 7) % 90, i * 2 + 1, (i * 7) % 90 + 1});
    for (const Rect& r : added)
        list.Add(r, viewport);
    EXPECT_EQ(list.Rects().size(), DirtyRectList::kCollapseLimit);
    int64_t area = 0;
    for (const Rect& r : list.Rects())
        area += int64_t(r.right - r.left) * (r.bottom - r.top);
    EXPECT_LT(area, 200 * 100 / 4);
    for (const Rect& r : added)
        EXPECT_TRUE(std::any_of(list.Rects().begin(), list.Rects().end(), [&](const Rect& e) {
            return e.left <= r.left && e.top <= r.top && e.right >= r.right && e.bottom >= r.bottom;
        }));
    // The whole view (a re-layout) stands for every rectangle, before and after it.
    list.Add(Rect{-5, -5, 205, 105}, viewport);
    list.Add(added[3], viewport);
    EXPECT_EQ(list.Rects(), std::vector<Rect>{viewport});
}

// Overlapping rectangles join when their box repaints little that neither covers: a sprite moved
// a few pixels, not two bars crossing.
TEST(DirtyRectList, JoinsOverlapsWhoseBoxAddsLittle)
{
    struct Case {
        std::vector<Rect> rects;
        size_t kept;
    };
    for (const Case& c : {Case{{{10, 10, 30, 30}, {13, 12, 33, 32}}, 1},             // moved by (3, 2)
                          Case{{{0, 40, 100, 50}, {45, 0, 55, 100}}, 2},             // a cross
                          Case{{{10, 10, 30, 30}, {30, 10, 50, 30}}, 2},             // touching, not overlapping
                          Case{{{0, 0, 20, 20}, {15, 15, 40, 40}}, 2}}) {            // a box of 1,600 for 1,000
        std::vector<Rect> rects = c.rects;
        DirtyRectList::JoinOverlapping(rects);
        EXPECT_EQ(rects.size(), c.kept) << c.rects[1].left;
    }
}

// The list merges as the plain rule reads, one listed rectangle after the other: the first
// that c covers, that covers c, or that shares a whole edge length with it takes c; a full list
// joins c to the one it grows least.
TEST(DirtyRectList, KeepsWhatTheRuleReadInOrderKeeps)
{
    auto plainAdd = [](std::vector<Rect>& list, const Rect& rect, const Rect& viewport) {
        Rect c;
        if (!IntersectRect(c, rect, viewport))
            return;
        auto unite = [](const Rect& a, const Rect& b) {
            return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                        std::max(a.bottom, b.bottom)};
        };
        auto area = [](const Rect& r) { return int64_t(r.right - r.left) * (r.bottom - r.top); };
        for (Rect& e : list) {
            const Rect u = unite(c, e);
            if (u == c ||
                ((c.left == e.left && c.right == e.right && c.top <= e.bottom && e.top <= c.bottom) ||
                 (c.top == e.top && c.bottom == e.bottom && c.left <= e.right && e.left <= c.right))) {
                e = u;
                return;
            }
            if (u == e)
                return;
        }
        if (list.size() < DirtyRectList::kCollapseLimit) {
            list.push_back(c);
            return;
        }
        auto grows = [&](const Rect& e) { return area(unite(c, e)) - area(e); };
        Rect& best = *std::min_element(list.begin(), list.end(),
                                       [&](const Rect& a, const Rect& b) { return grows(a) < grows(b); });
        best = unite(c, best);
    };
    const Rect viewport{0, 0, 120, 90};
    std::mt19937 rng(3);
    auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(rng); };
    DirtyRectList list; // one list throughout: what a cleared list held must not count
    std::vector<Rect> plain;
    for (int round = 0; round < 40; ++round) {
        list.Clear();
        plain.clear();
        // Coarse coordinates, so that shared edges, covers and equal rectangles are common; in
        // odd rounds small equal squares, so that the list fills and joins meet equal growths.
        for (int i = 0; i < 150; ++i) {
            const int l = pick(-2, 24) * 5, t = pick(-2, 18) * 5;
            const Rect r = round % 2 ? Rect{l, t, l + 2, t + 2} : Rect{l, t, l + pick(0, 4) * 5, t + pick(0, 4) * 5};
            list.Add(r, viewport);
            plainAdd(plain, r, viewport);
            ASSERT_EQ(list.Rects(), plain) << "round " << round << ", rectangle " << i;
        }
    }
}

TEST_F(ObjectModuleTest, ChangesDirtyTheRightRectangles)
{
    BITObject* o = Picture(50, 50);
    objects_->BuildFrame();
    o->MoveBy(10, 0);
    o->Redraw();
    ASSERT_EQ(objects_->DirtyRects().size(), 1u);
    EXPECT_EQ(objects_->DirtyRects()[0], (Rect{45, 45, 65, 55}));
    objects_->BuildFrame();
    EXPECT_TRUE(objects_->DirtyRects().empty());
    // A change of z alone dirties the current rectangle only.
    o->SetZ(5);
    o->Redraw();
    EXPECT_EQ(objects_->DirtyRects(), std::vector<Rect>{(Rect{55, 45, 65, 55})});
    objects_->BuildFrame();
    // A clip change alone repaints where the object was visible before.
    o->SetClipRect(Rect{55, 45, 58, 55});
    o->Redraw();
    EXPECT_EQ(objects_->DirtyRects(), std::vector<Rect>{(Rect{55, 45, 65, 55})});
    objects_->BuildFrame();
    // Hiding dirties the rectangle and takes the object out of the draw list.
    o->SetVisible(false);
    EXPECT_EQ(objects_->GetDrawIndex(o->GetId()), -1);
    EXPECT_EQ(objects_->DirtyRects().size(), 1u);
    objects_->BuildFrame();
    EXPECT_EQ(compositor_->lastRecordCount, 0u);
}

TEST_F(ObjectModuleTest, TheFrameBuiltHookRunsAfterEachFrameThePainterHadAndNotWhenNothingChanged)
{
    int calls = 0;
    size_t painted = 0;
    objects_->SetFrameBuiltHook([&] {
        ++calls;
        painted = compositor_->lastRecordCount;
    });
    BITObject* o = Picture(50, 50);
    objects_->BuildFrame();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(painted, 1u);
    objects_->BuildFrame();
    Tick();
    EXPECT_EQ(calls, 1);
    o->MoveBy(5, 0);
    o->Redraw();
    Tick();
    EXPECT_EQ(calls, 2);
}

TEST_F(ObjectModuleTest, AnObjectChangedTwiceInAStepRepaintsWhereItWasAndWhereItIs)
{
    BITObject* o = Picture(50, 50);
    objects_->BuildFrame();
    o->MoveBy(10, 0);
    o->Redraw();
    o->SetAlpha(0.5);
    o->Redraw();
    EXPECT_EQ(objects_->DirtyRects(), std::vector<Rect>{(Rect{45, 45, 65, 55})});
    objects_->BuildFrame();
    o->SetAlpha(0.7); // the next step's change of the same rectangle
    o->Redraw();
    EXPECT_EQ(objects_->DirtyRects(), std::vector<Rect>{(Rect{55, 45, 65, 55})});
    // Hidden, moved while hidden, and shown in the same step: where it is now is repainted.
    o->SetVisible(false);
    o->MoveBy(30, 0);
    o->Redraw();
    o->SetVisible(true);
    EXPECT_EQ(objects_->DirtyRects(), (std::vector<Rect>{{55, 45, 65, 55}, {85, 45, 95, 55}}));
}

TEST_F(ObjectModuleTest, AFrameDrawsAnObjectChangedSinceItsLastUpdateOnlyWhereItIsNow)
{
    BITObject* moved = Picture(50, 50);
    BITObject* faded = Picture(52, 52);
    objects_->BuildFrame();
    moved->MoveTo(150, 50); // not redrawn yet: where it was is dirtied by the other one
    faded->SetAlpha(0.5);
    faded->Redraw();
    objects_->BuildFrame();
    EXPECT_EQ(compositor_->lastRecordCount, 1u);
}

TEST_F(ObjectModuleTest, NoFramesWhileMinimisedAndFullFramesOnRequest)
{
    BITObject* a = Picture(20, 20);
    Picture(150, 80);
    objects_->BuildFrame();
    const int frames = compositor_->frames;
    objects_->BuildFrame(); // nothing dirty: no frame
    EXPECT_EQ(compositor_->frames, frames);
    objects_->SetHostMinimised(true);
    a->MoveBy(1, 0);
    a->Redraw();
    objects_->BuildFrame();
    EXPECT_EQ(compositor_->frames, frames);
    objects_->SetHostMinimised(false);
    objects_->BuildFrame();
    EXPECT_EQ(compositor_->frames, frames + 1);
    EXPECT_EQ(compositor_->lastRecordCount, 1u);
    objects_->SetFullRedraw(1);
    a->Redraw();
    objects_->BuildFrame();
    EXPECT_EQ(compositor_->lastRects, std::vector<Rect>{(Rect{0, 0, 200, 100})});
    EXPECT_EQ(compositor_->lastRecordCount, 2u);
}

TEST_F(ObjectModuleTest, MessagesOfTheQueue)
{
    auto* probe = new Probe;
    objects_->RegisterObject(probe, nullptr);
    auto* heap = new EventRecord{probe->GetId(), 80000005, 0, 0};
    core_->PostMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_EVENT_RELEASE, reinterpret_cast<uintptr_t>(heap), 0);
    EventRecord now{probe->GetId(), 80000006, 0, 0};
    EXPECT_EQ(core_->SendMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_SEND_EVENT, reinterpret_cast<uintptr_t>(&now), 0), 0);
    core_->PostMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_UNREGISTER, reinterpret_cast<uintptr_t>(probe), 0);
    core_->PostMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_UNREGISTER, reinterpret_cast<uintptr_t>(probe), 0); // twice
    EXPECT_EQ(probe->events, std::vector<uint32_t>{80000006});
    Tick();
    EXPECT_EQ(objects_->GetObjectCount(), 0u);
}

} // namespace

namespace {

TEST(BITObject, FrameDelaysCountRoundTheEnd)
{
    ImageRecord image;
    image.width = image.height = 2;
    image.frames = 3;
    image.flags = kImageAlpha | kImageAnimated;
    image.delays = {10, 20, 30};
    image.pixels.assign(2 * 2 * 3 * 4, 255);
    BITObject o;
    o.LoadPicture(testsupport::InfoOf(image), 1);
    EXPECT_EQ(o.GetWidth(), 2.0);
    EXPECT_EQ(o.GetFrameCount(), 3u);
    EXPECT_EQ(o.GetFramesDelay(0, 2), 30u);
    EXPECT_EQ(o.GetFramesDelay(2, 1), 40u);
    EXPECT_EQ(o.GetFramesDelay(1, 1), 0u);
    EXPECT_EQ(o.GetFramesDelay(-2000000000, 2000000000), 60u); // one pass at most
    EXPECT_EQ(o.GetTotalDelay(), 60u);
}

} // namespace
