#pragma once
// The invisible object behind a run of linked characters in a chat box: it keeps the
// address, shows the hand cursor and an optional hover picture, and asks its box to open the
// address. The box finds it by id and releases it with the run's first element.
#include "engine/gui/CLumoraGui.h"

#include <string>

namespace Lumora {

class BITObject;
class PlaneObject;

// Where a link's address came from. Only the hall's and the game server's own notices may send
// the user to an address signed with his id and web sign; an address in a name or a player's
// line opens as written.
enum class LinkOrigin { Peer, Own };

// What a link needs of the box that owns it: the plane its text is drawn on, where the hover
// picture is placed.
class LinkOwner {
public:
    virtual PlaneObject* GetTextPlane() const = 0;

protected:
    ~LinkOwner() = default;
};

class CPglHighCharacter : public CLumoraGui {
public:
    ~CPglHighCharacter() override;

    // Virtual operations, in slot order.
    using PObject::Create;
    virtual void Create(const std::string& address, const char* hoverPicture, uint32_t ownerId);
    // Queues the open request to the owner box (nothing for an empty address).
    virtual void Open();
    virtual void OnHoverEnter();
    virtual void OnHoverLeave();
    virtual void OnHoverMove();

    const std::string& GetAddress() const { return address_; }
    uint32_t GetOwnerId() const { return owner_; }
    BITObject* GetHoverPicture() const { return hover_; }
    void SetOrigin(LinkOrigin origin) { origin_ = origin; }
    LinkOrigin GetOrigin() const { return origin_; }

private:
    std::string address_;
    LinkOrigin origin_ = LinkOrigin::Peer;
    BITObject* hover_ = nullptr;
    uint32_t owner_ = 0;
};

} // namespace Lumora
