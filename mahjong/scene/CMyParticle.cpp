// The sort button's particle emitter and its timed action.
#include "mahjong/scene/CMyParticle.h"

#include "engine/GameCore.h"
#include "engine/object/PictureObject.h"
#include "engine/senior/CClassSenior.h"
#include "mahjong/scene/CMJMainGame2.h"

#include <algorithm>
#include <cstdlib>

namespace Lumora {

namespace {

// The action step: the scene is the target; its emitter does the work.
int EmitterStep(PObject* target, void*, GameCore* core, uint32_t)
{
    auto* scene = dynamic_cast<CMJMainGame2*>(target);
    if (!scene || !core || !scene->Emitter())
        return 1;
    return scene->Emitter()->Tick(*scene, core->GetTime()) ? 0 : 1;
}

} // namespace

double ParticleAlpha(const ParticleRecord& p, uint32_t now, double cap)
{
    const uint32_t lifetime = std::max<uint32_t>(p.lifetime, 1);
    const uint32_t age = now - p.start;
    const double alpha = age >= lifetime ? 0.0 : 1.0 - double(age) / lifetime;
    return std::clamp(std::min(alpha, cap), 0.0, 1.0);
}

uint64_t CMyParticle::Start(CClassSenior& scene, uint32_t anchorId, const char* picture)
{
    if (!random)
        random = [] { return std::rand(); };
    anchorId_ = anchorId;
    picture_ = picture;
    stopped_ = false;
    lastTick_ = scene.GetClock();
    if (running_)
        return 1; // the running action goes on with the new anchor
    running_ = true;
    const uint64_t id = scene.ActCustom(&scene, EmitterStep, nullptr, 0, scene.GetActionInterval(), nullptr);
    if (!id)
        running_ = false;
    return id;
}

PObject* CMyParticle::Anchor(CClassSenior& owner) const
{
    return anchorId_ ? owner.FindById(anchorId_) : nullptr;
}

double CMyParticle::AnchorAlpha(CClassSenior& owner) const
{
    PObject* anchor = Anchor(owner);
    return anchor ? anchor->GetAlpha() : 1.0;
}

bool CMyParticle::Tick(CClassSenior& owner, uint32_t now)
{
    if (!stopped_)
        Emit(owner, now);
    Move(owner, now);
    Expire(owner, now);
    if (stopped_ && particles_.empty()) {
        running_ = false;
        return false;
    }
    return true;
}

void CMyParticle::Emit(CClassSenior& owner, uint32_t now)
{
    PObject* anchor = Anchor(owner);
    if (!anchor || AnchorAlpha(owner) < kStopAlpha) {
        stopped_ = true;
        return;
    }
    PictureInfo info;
    owner.GetRes(info, picture_, 0);
    const double alpha = anchor->GetAlpha();
    for (; now - lastTick_ >= kEmitEveryMs; lastTick_ += kEmitEveryMs) {
        ParticleRecord p;
        p.start = now;
        p.x = anchor->GetX() + random() % 50 - 25;
        p.y = anchor->GetY() + random() % 50 - 25;
        p.vx = 0;
        p.vy = (-100.0 - random() % 50) / 1000.0;
        p.lifetime = std::max<uint32_t>(uint32_t(random() % int(kMaxLifetimeMs + 1)), 1);
        BITObject* object = owner.NewBitmapObject(info);
        if (!object)
            continue;
        // Owned by the scene, so that a scene released mid-sparkle takes its particles along.
        owner.AddChild(object, LINK_OWNED);
        object->MoveTo(p.x, p.y);
        object->SetZ(kDepth);
        object->SetAlpha(alpha);
        object->Activate();
        object->Redraw();
        p.objectId = object->GetId();
        particles_[++counter_] = p;
    }
}

void CMyParticle::Move(CClassSenior& owner, uint32_t now)
{
    const double cap = AnchorAlpha(owner);
    for (auto& [key, p] : particles_) {
        PObject* object = owner.FindById(p.objectId);
        if (!object)
            continue;
        object->MoveTo(p.x + p.vx * (now - p.start), p.y + p.vy * (now - p.start));
        object->SetAlpha(ParticleAlpha(p, now, cap));
        object->Redraw();
    }
}

void CMyParticle::Expire(CClassSenior& owner, uint32_t now)
{
    for (auto it = particles_.begin(); it != particles_.end();) {
        const ParticleRecord& p = it->second;
        if (stopped_ || now - p.start > p.lifetime) {
            if (PObject* object = owner.FindById(p.objectId))
                owner.ReleaseObject(object, true);
            it = particles_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace Lumora
