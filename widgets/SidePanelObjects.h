#pragma once
// The side panel's objects that widgets find by name and call: the panel itself, which
// receives emoticon picks and whose rectangle bounds the user list's menu, and the chat input
// bar, which takes text to insert at the caret of the line being typed. The side panel's
// classes implement these; the widgets know only the names and this small interface.
#include "engine/text/Markup.h"

#include <cstdint>
#include <string>

namespace Lumora {

inline constexpr const char* kSubSystemName = "SubSystem";
inline constexpr const char* kInputBarName = "InputBar";
inline constexpr const char* kAdvertBarName = "AdvertBar";
inline constexpr const char* kUserListBarName = "UserListBar";
inline constexpr const char* kActivityBarName = "ActivityBar";

// Pick events delivered at once to the "SubSystem" object's OnEvent: parameter 1 the face's
// code text, parameter 2 a pointer to the face index (an int), both valid only during the call.
enum SidePanelEventCode : uint32_t {
    EV_FACE_PICKED = 80000073,
    EV_FACE_PICKED_RESERVED = 80000074,
};

// Implemented by the object named "InputBar": hands the text to its chat input box, which
// inserts it at the caret.
class IInputBarText {
public:
    virtual ~IInputBarText() = default;
    virtual void AppendInputText(const Markup& text) = 0;
};

// Implemented by the object named "AdvertBar": its browser window, which lies over the engine's
// drawing, is hidden while the frame lays itself out.
class IAdvertWindow {
public:
    virtual ~IAdvertWindow() = default;
    virtual bool IsAdvertShown() const = 0;
    virtual void HideAdvertWindow() = 0;
    virtual void ShowAdvertWindow() = 0;
};

// Implemented by the object named "ActivityBar": opened for a player's activities (false with a
// text to show when it cannot), then turned to one of its pages.
class IActivityBar {
public:
    virtual ~IActivityBar() = default;
    virtual bool OpenFor(uint32_t userId, std::string& error) = 0;
    virtual void ShowPage(int page) = 0;
};

} // namespace Lumora
