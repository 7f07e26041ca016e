#pragma once
// An object embedded in a chat box's text: a still picture, an animation or a link button
// whose click asks the owner box to open its address. Also the base of list rows of other
// widgets. The text is what a copied selection shows for it.
#include "engine/gui/CLumoraGui.h"
#include "engine/geometry/ObjectGeometry.h"
#include "widgets/CPglHighCharacter.h"

#include <string>

namespace Lumora {

class BITObject;
struct PictureInfo;

class CPglChatObject : public CLumoraGui {
public:
    CPglChatObject();
    ~CPglChatObject() override;

    // Virtual operations, in slot order.
    int OnEvent(const EventRecord& record) override;
    // A body of (width or the picture's, height or the picture's) showing the picture.
    virtual void CreatePicture(const PictureInfo& picture, int width, int height);
    // The named picture playing all its frames forever; 0 sizes take the picture's.
    virtual void CreateAnimation(const char* pictureName, int width, int height);
    // A four-frame button (normal, hover, pressed, disabled) whose click opens the address
    // through the box with `ownerId`.
    virtual void CreateButton(const char* pictureName, uint32_t ownerId, int width, int height);
    virtual void OnResize(int width, int height);  // rows of other widgets lay out here
    virtual void SetAddress(const std::string& address) { address_ = address; }
    virtual void Show();
    virtual void Hide();
    virtual void SetClip(const Rect& rect);
    virtual void SetText(const std::string& text) { text_ = text; }
    virtual const std::string& GetText() const { return text_; }
    virtual uint32_t GetBodyId();
    virtual int GetWidthPixels() const { return int(GetWidth()); }
    virtual int GetHeightPixels() const { return int(GetHeight()); }
    virtual void SpareObjectHook() {}

    const std::string& GetAddress() const { return address_; }
    // A link button's, as for a link (CPglHighCharacter).
    void SetOrigin(LinkOrigin origin) { origin_ = origin; }
    LinkOrigin GetOrigin() const { return origin_; }
    uint32_t GetOwnerId() const { return owner_; }
    BITObject* GetPictureBody() const { return body_; }

private:
    void SetBodyFrame(int frame);

    std::string text_;
    std::string address_;
    LinkOrigin origin_ = LinkOrigin::Peer;
    uint32_t owner_ = 0;
    BITObject* body_ = nullptr;
};

} // namespace Lumora
