#pragma once
// A headless engine for the tests of timed actions, object services and widget bases: the
// resource, object and painting modules on a manual clock, an actor that starts actions, and
// objects that record what reaches them.
#include "EngineTestSupport.h"
#include "PatternGlyphSource.h"
#include "SceneSupport.h"

#include "engine/GameCore.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/resource/ResourceModule.h"
#include "engine/senior/CClassSenior.h"

#include <memory>
#include <string>
#include <vector>

namespace enginetest {

// Starts actions; its least interval can be changed so that tests step on every pass.
class Actor : public Lumora::CClassSenior {
public:
    using CClassSenior::MakeAction;
    using CClassSenior::PostAction;
    uint32_t GetActionInterval() const override { return least; }
    uint32_t least = 30;
};

// Records the events and action ends it receives, with the engine time.
class Recorder : public Lumora::CClassSenior {
public:
    int OnEvent(const Lumora::EventRecord& r) override
    {
        log.push_back("event " + std::to_string(r.code) + " @" + std::to_string(GetClock()));
        return Lumora::PObject::OnEvent(r);
    }
    int OnActionEnd(const Lumora::EventRecord& r) override
    {
        log.push_back("end " + std::to_string(r.code) + " @" + std::to_string(GetClock()));
        return 1;
    }
    std::vector<std::string> log;
};

class SeniorFixture : public EngineFixture {
protected:
    static constexpr uint32_t kTickMs = 20;

    void SetUp() override
    {
        EngineFixture::SetUp();
        clock_.Advance(1000); // the engine clock never reads 0 while actions run
        core_ = std::make_unique<Lumora::GameCore>();
        core_->Init(0);
        resources_ = new Lumora::ResourceModule;
        objects_ = new Lumora::ObjectModule(std::make_shared<PatternGlyphSource>());
        paint_ = new Lumora::PaintModuleGDI;
        ASSERT_EQ(core_->LoadModule(resources_, 1, 0), Lumora::LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(objects_, 1, 0), Lumora::LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(paint_, 1, 0), Lumora::LUMORA_MSG_OK);
        paint_->CreateBackBuffer(800, 600);
        objects_->SetViewportSize(800, 600);
        actor_ = new Actor;
        objects_->RegisterObject(actor_, nullptr);
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }

    template <typename T = Recorder>
    T* Add()
    {
        auto* object = new T;
        objects_->RegisterObject(object, nullptr);
        return object;
    }
    // One frame tick after `ms` milliseconds; every tick of kTickMs runs the object module.
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
    uint32_t Now() const { return core_->GetTime(); }
    static Lumora::EventRecord Event(const Lumora::PObject* target, uint32_t code)
    {
        return Lumora::EventRecord{target->GetId(), code, 0, 0};
    }

    std::unique_ptr<Lumora::GameCore> core_;
    Lumora::ResourceModule* resources_ = nullptr;
    Lumora::ObjectModule* objects_ = nullptr;
    Lumora::PaintModuleGDI* paint_ = nullptr;
    Actor* actor_ = nullptr;
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

} // namespace enginetest
