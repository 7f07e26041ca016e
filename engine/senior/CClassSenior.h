#pragma once
// The base of every engine object of the program's own code (widgets, boards, scenes, the
// cursor object): short access to the engine's modules, clock and settings, pictures and
// resources by name, object factories and lookup, timed actions and their groups, and the
// engine's own message box, system note and system board. Derived classes call these on
// themselves and on other objects; they do not override them.
#include "engine/action/ActionParams.h"
#include "engine/geometry/ObjectGeometry.h"
#include "engine/input/InputData.h"
#include "engine/object/ActionRecord.h"
#include "engine/object/PObject.h"
#include "engine/paint/ImageRecord.h"
#include "platform/Cursor.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace Lumora {

class BaseModule;
class BITObject;
class CClassSenior;
class PaintModule;
class PlaneObject;
class ResourceModule;

// Engine settings read by the object services.
enum SeniorSetting : uint32_t {
    SETTING_BOX_TEXT_COLOUR = 8,
    SETTING_BOX_FILL_COLOUR = 9,
    SETTING_BOX_FRAME_COLOUR = 10,
    SETTING_APP_EVENT_TARGET = 16,
    SETTING_APP_EVENT_CODE = 17,
};

inline constexpr const char* kSystemNoteName = "object_systemnote";
inline constexpr const char* kSystemBoardName = "object-systemboard";

// The pieces of a dialog box that the engine's message box draws on and places. The widget
// layer, which owns the dialog box class, installs a factory that makes one, registers it
// under the owner and creates it with the given size, records and countdown.
struct MessageBoxParts {
    PObject* box = nullptr;
    PlaneObject* plane = nullptr;
    PObject* ok = nullptr;        // null without an OK button
    PObject* cancel = nullptr;    // null without a Cancel button
    PObject* countdown = nullptr; // null without a countdown
};
using MessageBoxFactory = std::function<MessageBoxParts(CClassSenior& owner, int width, int height,
                                                        const EventRecord* ok, const EventRecord* cancel,
                                                        int seconds)>;

class CClassSenior : public PObject {
public:
    CClassSenior() = default;
    ~CClassSenior() override = default;

    // Modules of the object's core; null before registration or when not loaded.
    PaintModule* GetPaintModule() const;
    ResourceModule* GetResourceModule() const;
    BaseModule* GetMusicModule() const;
    BaseModule* GetInputModule() const;
    // The core's frame lock, for code outside the frame tick that changes engine objects.
    // Re-entrant on the UI thread.
    void LockCore();
    void UnlockCore();

    // The engine's own pieces of UI.
    virtual void ShowMessage(const char* text, const EventRecord* ok, const EventRecord* cancel, int seconds);
    virtual void ShowSystemDetails();
    virtual void ShowSystemNote(bool show);
    virtual void ShowSystemBoard(const char* text, int seconds);
    virtual int SendAppEvent(uintptr_t param1, uintptr_t param2);
    virtual void HideSystemBoard();
    virtual PObject* FindSystemBoard() const;
    static void SetMessageBoxFactory(MessageBoxFactory factory);

    // View, clock and settings.
    virtual int GetViewWidth() const;
    virtual int GetViewHeight() const;
    virtual Rect& GetViewport(Rect& out) const;
    virtual uint32_t GetClock() const;
    virtual void SetSetting(uint32_t id, int32_t value);
    virtual int32_t GetSetting(uint32_t id) const;  // -1 absent, -2 without a core
    virtual void SetSettingString(uint32_t id, const char* text);
    virtual const char* GetSettingString(uint32_t id) const;

    // Resources and pictures by name.
    virtual void AddResourceFile(const char* path, const char* name);
    virtual void AddResourceFolder(const char* path);
    virtual void AddResourcePack(const char* path);
    virtual void AddResourcePackFromMemory(const uint8_t* data, size_t size);
    virtual PictureInfo& GetPicture(PictureInfo& out, const char* name, int frame);
    virtual void UnloadPicture(const char* name, bool resourceToo);
    virtual bool SavePicture(const char* name, const char* path);
    virtual void LoadResource(const char* name);
    virtual void DrawBackgroundImage(const PictureInfo& picture, int x, int y, int width, int height, double angle);
    virtual void ClearBackground(uint32_t colour);
    virtual void FullRedraw();

    // Objects.
    virtual PObject* NewObject();
    virtual BITObject* NewBitmapObject(const PictureInfo& picture);
    virtual PlaneObject* NewPlaneObject(int width, int height, uint32_t background);
    virtual PlaneObject* CreateShadow(PObject* object);
    virtual PObject* FindByName(const char* name) const;
    virtual PObject* FindById(uint32_t id) const;
    virtual void ReleaseObject(PObject* object, bool deferred);

    // Sounds through the music module; channel 0 is the MIDI music.
    virtual uint32_t PlaySound(const char* name, int32_t repeats, const EventRecord* notice);
    virtual void StopChannel(uint32_t channel);
    virtual void ResumeChannel(uint32_t channel, bool restart);
    virtual void PauseChannel(uint32_t channel);
    virtual void StopSound(const char* name);
    virtual void StopAllChannels();
    virtual void SetMute(bool mute);

    // Input through the input module: hooks on its hook target, focus, cursor.
    virtual void HookEvent(uint32_t code, const EventRecord& hook);
    virtual void UnhookEvent(uint32_t code);
    virtual uint32_t SetHookTarget(uint32_t objectId);  // the previous target
    virtual void SetInputSwitch(uint32_t value);
    virtual void RefreshHover();
    virtual void SetCursorHandle(const platform::Cursor& cursor);
    virtual bool SetCursorFile(const char* path);
    virtual void ShowSystemCursor(bool show);
    // The focus goes to the object's top-level object; the previous focus is returned.
    virtual uint32_t SetFocusObject(uint32_t objectId);
    virtual InputData& GetInputData(InputData& out) const;

    // Groups of actions and cancelling. Group handles are group ids: a handle whose group has
    // finished or been replaced cancels nothing.
    virtual uint64_t BeginActionGroup();
    virtual uint64_t NextActionGroup();
    virtual void EndActionGroup();
    virtual void CancelGroup(uint64_t group);
    virtual void CancelObjectActions(uint32_t objectId);
    virtual void CancelAction(uint64_t actionId);

    // Timed actions: each returns the action id, or 0 when refused (nothing is posted then).
    virtual uint32_t GetActionInterval() const { return 30; }
    virtual uint64_t ActBlink(PObject* target, double step, int32_t count, uint32_t interval, double upper,
                              double lower, const EventRecord* event);
    virtual uint64_t ActRotateTo(PObject* target, double step, double angle, uint32_t interval, const EventRecord* event);
    virtual uint64_t ActFadeTo(PObject* target, double step, double alpha, uint32_t interval, const EventRecord* event);
    virtual uint64_t ActShow(PObject* target, bool show, const EventRecord* event);
    virtual uint64_t ActMoveTo(PObject* target, int32_t x, int32_t y, double speed, double acceleration,
                               double topSpeed, const EventRecord* event);
    virtual uint64_t ActWait(uint32_t durationMs, const EventRecord* event);
    virtual uint64_t ActWaitClock(uint32_t durationMs, const EventRecord* event);
    virtual uint64_t ActRepeatEvent(uint32_t periodMs, int32_t count, const EventRecord* event);
    virtual uint64_t ActPlayFrames(PObject* target, int32_t mode, int32_t n, int32_t frame, uint32_t interval,
                                   const EventRecord* event);
    virtual uint64_t ActPlaySound(const char* name, int32_t flags, const EventRecord* notice);
    virtual uint64_t ActDelete(PObject* object, const EventRecord* event);
    virtual uint64_t ActResize(PObject* target, int32_t width, int32_t height, int32_t finalWidth,
                               int32_t finalHeight, int32_t widthStep, int32_t heightStep, const EventRecord* event);
    virtual uint64_t ActFlip(BITObject* target, int32_t degreeStep, int32_t finalDegrees, const PictureInfo* otherFace,
                             uint32_t interval, const EventRecord* event);
    virtual uint64_t ActCall(CallFunction function, const void* data, size_t size);
    // An action with a step of the caller's own: up to 64 bytes of parameters are copied into
    // the record, the interval is taken as given and the target may be null (the step then
    // finds its objects itself). Refused without a step or with too many bytes.
    virtual uint64_t ActCustom(PObject* target, ActionStep step, const void* parameters, size_t size,
                               uint32_t interval, const EventRecord* event);

    // The names the game layers use for some of the operations above.
    uint64_t BeginGroup() { return BeginActionGroup(); }
    uint64_t NextGroup() { return NextActionGroup(); }
    void EndGroup() { EndActionGroup(); }
    void CancelActionsOf(uint32_t objectId) { CancelObjectActions(objectId); }
    PictureInfo& GetRes(PictureInfo& out, const char* name, int frame) { return GetPicture(out, name, frame); }
    void LoadResFile(const char* path, const char* name) { AddResourceFile(path, name); }
    PObject* FindObject(uint32_t id) const { return FindById(id); }
    PObject* FindObjectByName(const char* name) const { return FindByName(name); }
    BITObject* NewPicture(const PictureInfo& picture) { return NewBitmapObject(picture); }
    PlaneObject* NewPlane(int width, int height, uint32_t colour) { return NewPlaneObject(width, height, colour); }
    void DrawRes(const PictureInfo& picture, int x, int y, int width, int height, double angle)
    {
        DrawBackgroundImage(picture, x, y, width, height, angle);
    }
    uint64_t FadeAlpha(PObject* target, double step, double alpha, uint32_t interval, const EventRecord* event)
    {
        return ActFadeTo(target, step, alpha, interval, event);
    }
    uint64_t MoveObjectTo(PObject* target, int32_t x, int32_t y, double speed, double acceleration, double topSpeed,
                          const EventRecord* event)
    {
        return ActMoveTo(target, x, y, speed, acceleration, topSpeed, event);
    }
    uint64_t SetActiveAction(PObject* target, bool show, const EventRecord* event = nullptr)
    {
        return ActShow(target, show, event);
    }
    uint64_t PlayFrames(PObject* target, int32_t mode, int32_t n, int32_t frame, uint32_t interval,
                        const EventRecord* event)
    {
        return ActPlayFrames(target, mode, n, frame, interval, event);
    }
    uint64_t PostEventAfter(uint32_t ms, const EventRecord* event) { return ActWait(ms, event); }
    uint64_t PostEventEvery(uint32_t periodMs, int32_t count, const EventRecord* event)
    {
        return ActRepeatEvent(periodMs, count, event);
    }

protected:
    // A zeroed record from the object module with target, step, interval and completion
    // event filled; null before registration or when the pool gives nothing.
    ActionRecord* MakeAction(PObject* target, ActionStep step, uint32_t interval, const EventRecord* event);
    // Hands the record to the object module (message 1023) and returns its id.
    uint64_t PostAction(ActionRecord* action);
    // A requested interval raised to the least interval.
    uint32_t AtLeastLeast(uint32_t interval) const;

private:
    BaseModule* Module(uint32_t id) const;
    void PostToObjects(uint32_t message, uintptr_t wparam);
    // A new group record posted with the message; its id is the group's handle.
    uint64_t PostNewGroup(uint32_t message);
};

} // namespace Lumora
