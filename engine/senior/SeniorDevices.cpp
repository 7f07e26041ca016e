// Sounds and input of the object services: forwarders to the music module (1004) and the
// input module (1005) of the object's core. Without the module nothing happens.
#include "engine/senior/CClassSenior.h"

#include "engine/GameCore.h"
#include "engine/input/InputModule.h"
#include "engine/music/MusicModule.h"
#include "engine/object/ObjectModule.h"

namespace Lumora {
namespace {

MusicModule* MusicOf(GameCore* core)
{
    return core ? dynamic_cast<MusicModule*>(core->GetModule(LUMORA_MODULE_MUSIC)) : nullptr;
}

InputModule* InputOf(GameCore* core)
{
    return core ? dynamic_cast<InputModule*>(core->GetModule(LUMORA_MODULE_INPUT)) : nullptr;
}

} // namespace

uint32_t CClassSenior::PlaySound(const char* name, int32_t repeats, const EventRecord* notice)
{
    MusicModule* music = MusicOf(GetCore());
    return music && name ? music->PlaySound(name, repeats, notice) : 0;
}

void CClassSenior::StopChannel(uint32_t channel)
{
    if (MusicModule* music = MusicOf(GetCore()))
        music->Stop(channel);
}

void CClassSenior::ResumeChannel(uint32_t channel, bool restart)
{
    if (MusicModule* music = MusicOf(GetCore()))
        music->Resume(channel, restart);
}

void CClassSenior::PauseChannel(uint32_t channel)
{
    if (MusicModule* music = MusicOf(GetCore()))
        music->Pause(channel);
}

void CClassSenior::StopSound(const char* name)
{
    if (MusicModule* music = MusicOf(GetCore()); music && name)
        music->StopSound(name);
}

void CClassSenior::StopAllChannels()
{
    if (MusicModule* music = MusicOf(GetCore()))
        music->StopAll();
}

void CClassSenior::SetMute(bool mute)
{
    if (MusicModule* music = MusicOf(GetCore()))
        music->SetMuted(mute);
}

void CClassSenior::HookEvent(uint32_t code, const EventRecord& hook)
{
    if (InputModule* input = InputOf(GetCore()))
        input->HookEvent(code, hook);
}

void CClassSenior::UnhookEvent(uint32_t code)
{
    if (InputModule* input = InputOf(GetCore()))
        input->UnhookEvent(code);
}

uint32_t CClassSenior::SetHookTarget(uint32_t objectId)
{
    InputModule* input = InputOf(GetCore());
    return input ? input->SetHookTarget(objectId) : 0;
}

void CClassSenior::SetInputSwitch(uint32_t value)
{
    if (InputModule* input = InputOf(GetCore()))
        input->SetInputSwitch(value);
}

void CClassSenior::RefreshHover()
{
    if (InputModule* input = InputOf(GetCore()))
        input->RefreshHover();
}

void CClassSenior::SetCursorHandle(const platform::Cursor& cursor)
{
    if (InputModule* input = InputOf(GetCore())) {
        input->ShowSystemCursor(true);
        input->SetCursorHandle(cursor);
    }
}

bool CClassSenior::SetCursorFile(const char* path)
{
    std::optional<platform::Cursor> cursor = path ? platform::Cursor::FromFile(path) : std::nullopt;
    if (cursor)
        SetCursorHandle(*cursor);
    return cursor.has_value();
}

void CClassSenior::ShowSystemCursor(bool show)
{
    if (InputModule* input = InputOf(GetCore()))
        input->ShowSystemCursor(show);
}

uint32_t CClassSenior::SetFocusObject(uint32_t objectId)
{
    InputModule* input = InputOf(GetCore());
    ObjectModule* objects = GetObjectModule();
    if (!input || !objects)
        return 0;
    return input->SetFocus(objects->GetTopLevelId(objectId));
}

InputData& CClassSenior::GetInputData(InputData& out) const
{
    if (const InputModule* input = InputOf(GetCore()))
        input->GetInputData(out);
    else
        out = InputData{};
    return out;
}

} // namespace Lumora
