#pragma once
// The sparkles of the sort button: an emitter that, while it runs, makes one particle for every
// 5 ms since its last tick at a random spot round an anchor picture ("bit_SortHand"), lets each
// rise slowly and fade over its own lifetime, and releases it when that lifetime is over (or
// all of them once it is told to stop). It runs as one custom timed action of the scene, whose
// step calls Tick with the engine time; the action ends when the emitter has stopped and let
// every particle go.
//
// Lifetimes are at least 1 ms (a lifetime of 0 would divide by zero) and opacities stay within
// [0, 1] and never above the anchor's. The emitter keeps object ids, not pointers: a particle
// whose object is gone is just forgotten.
#include <cstdint>
#include <functional>
#include <map>

namespace Lumora {

class CClassSenior;
class PObject;

// One particle: its picture's id, its start and lifetime in engine ms, where it started and how
// fast it moves (pixels per ms).
struct ParticleRecord {
    uint32_t objectId = 0;
    uint32_t start = 0;
    uint32_t lifetime = 1;
    double x = 0, y = 0;
    double vx = 0, vy = 0;
};

// The particle's opacity at a time: 1 - age / lifetime, within [0, 1] and not above the cap.
double ParticleAlpha(const ParticleRecord& p, uint32_t now, double cap);

class CParticle {
public:
    virtual ~CParticle() = default;
    virtual void Emit(CClassSenior& owner, uint32_t now) = 0;
    virtual void Move(CClassSenior& owner, uint32_t now) = 0;
    virtual void Expire(CClassSenior& owner, uint32_t now) = 0;
};

class CMyParticle : public CParticle {
public:
    static constexpr uint32_t kEmitEveryMs = 5;
    static constexpr uint32_t kMaxLifetimeMs = 999;
    static constexpr double kDepth = 1000000.0;
    // Below this anchor opacity the emitter stops.
    static constexpr double kStopAlpha = 0.9;

    // Starts emitting round the anchor with the picture of that name; returns the action id
    // (0 when the engine refused it). A running emitter is restarted.
    uint64_t Start(CClassSenior& scene, uint32_t anchorId, const char* picture);
    void Stop() { stopped_ = true; }
    bool IsRunning() const { return running_; }
    size_t LiveCount() const { return particles_.size(); }
    const std::map<uint32_t, ParticleRecord>& Particles() const { return particles_; }

    // One tick: emit, move, expire. False once the emitter has stopped and released everything.
    bool Tick(CClassSenior& owner, uint32_t now);

    void Emit(CClassSenior& owner, uint32_t now) override;
    void Move(CClassSenior& owner, uint32_t now) override;
    void Expire(CClassSenior& owner, uint32_t now) override;

    // The random source (the runtime's rand by default); tests replace it.
    std::function<int()> random;

private:
    double AnchorAlpha(CClassSenior& owner) const;
    PObject* Anchor(CClassSenior& owner) const;

    std::map<uint32_t, ParticleRecord> particles_;
    uint32_t counter_ = 0;
    uint32_t lastTick_ = 0;
    uint32_t anchorId_ = 0;
    const char* picture_ = nullptr;
    bool stopped_ = false;
    bool running_ = false;
};

} // namespace Lumora
