// Module access, view, clock, settings, resources, pictures and object factories of the
// object services: short forwarders to the modules of the object's core.
#include "engine/senior/CClassSenior.h"

#include "engine/GameCore.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModule.h"
#include "engine/paint/Pps.h"
#include "engine/resource/ResourceKey.h"
#include "engine/resource/ResourceModule.h"
#include "engine/util/EngineLog.h"
#include "engine/util/FileUtil.h"

#include <cstddef>
#include <fstream>
#include <string>
#include <typeinfo>

namespace Lumora {
namespace {

// A module cast to its kind, remembered by the module's dynamic type (a type always casts the
// same way): tiles ask for the view's size several times an update, and a dynamic_cast compares
// type names.
template <typename T>
T* ModuleAs(BaseModule* module)
{
    if (!module)
        return nullptr;
    thread_local const std::type_info* type = nullptr;
    thread_local bool castable = false;
    thread_local std::ptrdiff_t offset = 0;
    const std::type_info& own = typeid(*module);
    if (&own != type) {
        T* cast = dynamic_cast<T*>(module);
        castable = cast != nullptr;
        offset = cast ? reinterpret_cast<char*>(cast) - reinterpret_cast<char*>(module) : 0;
        type = &own;
    }
    return castable ? reinterpret_cast<T*>(reinterpret_cast<char*>(module) + offset) : nullptr;
}

} // namespace

BaseModule* CClassSenior::Module(uint32_t id) const
{
    return GetCore() ? GetCore()->GetModule(id) : nullptr;
}

PaintModule* CClassSenior::GetPaintModule() const
{
    return ModuleAs<PaintModule>(Module(LUMORA_MODULE_PAINT));
}

ResourceModule* CClassSenior::GetResourceModule() const
{
    return ModuleAs<ResourceModule>(Module(LUMORA_MODULE_RESOURCE));
}

BaseModule* CClassSenior::GetMusicModule() const { return Module(LUMORA_MODULE_MUSIC); }
BaseModule* CClassSenior::GetInputModule() const { return Module(LUMORA_MODULE_INPUT); }

void CClassSenior::LockCore()
{
    if (GameCore* core = GetCore())
        core->Lock();
}

void CClassSenior::UnlockCore()
{
    if (GameCore* core = GetCore())
        core->Unlock();
}

int CClassSenior::SendAppEvent(uintptr_t param1, uintptr_t param2)
{
    ObjectModule* objects = GetObjectModule();
    if (!objects || !IsRegistered())
        return 0;
    const int32_t target = GetSetting(SETTING_APP_EVENT_TARGET);
    const int32_t code = GetSetting(SETTING_APP_EVENT_CODE);
    if (target <= 0 || code <= 0)
        return 0;
    EventRecord record{uint32_t(target), uint32_t(code), param1, param2};
    return objects->ProcessMessage(OBJ_MSG_SEND_EVENT, reinterpret_cast<uintptr_t>(&record), 0);
}

int CClassSenior::GetViewWidth() const
{
    const PaintModule* paint = GetPaintModule();
    return paint ? paint->GetWidth() : 0;
}

int CClassSenior::GetViewHeight() const
{
    const PaintModule* paint = GetPaintModule();
    return paint ? paint->GetHeight() : 0;
}

Rect& CClassSenior::GetViewport(Rect& out) const
{
    if (const ObjectModule* objects = GetObjectModule())
        objects->GetViewport(out);
    else
        out = Rect{};
    return out;
}

uint32_t CClassSenior::GetClock() const { return GetCore() ? GetCore()->GetTime() : 0; }

void CClassSenior::SetSetting(uint32_t id, int32_t value)
{
    if (GameCore* core = GetCore())
        core->SetSetting(id, value);
}

int32_t CClassSenior::GetSetting(uint32_t id) const { return GetCore() ? GetCore()->GetSetting(id) : -2; }

void CClassSenior::SetSettingString(uint32_t id, const char* text)
{
    if (GameCore* core = GetCore())
        core->SetSettingString(id, text ? text : "");
}

const char* CClassSenior::GetSettingString(uint32_t id) const
{
    return GetCore() ? GetCore()->GetSettingString(id) : nullptr;
}

void CClassSenior::AddResourceFile(const char* path, const char* name)
{
    if (ResourceModule* resources = GetResourceModule(); resources && path)
        resources->AddFile(path, name);
}

void CClassSenior::AddResourceFolder(const char* path)
{
    if (GameCore* core = GetCore(); core && path)
        core->SendMessage(LUMORA_MODULE_RESOURCE, RESOURCE_MSG_ADD_FOLDER, reinterpret_cast<uintptr_t>(path), 0);
}

void CClassSenior::AddResourcePack(const char* path)
{
    if (GameCore* core = GetCore(); core && path)
        core->SendMessage(LUMORA_MODULE_RESOURCE, RESOURCE_MSG_ADD_PACK, reinterpret_cast<uintptr_t>(path), 0);
}

void CClassSenior::AddResourcePackFromMemory(const uint8_t* data, size_t size)
{
    MemPackImage image{data, size};
    if (GameCore* core = GetCore(); core && data)
        core->SendMessage(LUMORA_MODULE_RESOURCE, RESOURCE_MSG_ADD_MEM_PACK, reinterpret_cast<uintptr_t>(&image), 0);
}

PictureInfo& CClassSenior::GetPicture(PictureInfo& out, const char* name, int frame)
{
    PaintModule* paint = GetPaintModule();
    out = (paint && name) ? paint->GetImageFrame(name, frame) : PictureInfo{};
    if (!out.image) {
        out.key = 0;
        WriteRunLog("res \"%s\" does not exists!", name ? name : "");
    } else if (frame < 0 || uint32_t(frame) >= out.image->frames) {
        WriteRunLog("res \"%s\" invalid frame(%d)!", name, frame);
    }
    return out;
}

void CClassSenior::UnloadPicture(const char* name, bool resourceToo)
{
    PaintModule* paint = GetPaintModule();
    if (!paint || !name)
        return;
    if (resourceToo) {
        PictureInfo info;
        GetPicture(info, name, 0);
        if (ResourceModule* resources = GetResourceModule(); resources && info.image)
            resources->ReleaseData(info.resKey);
    }
    paint->RemoveImage(name);
}

bool CClassSenior::SavePicture(const char* name, const char* path)
{
    if (!name || !path)
        return false;
    PictureInfo info;
    GetPicture(info, name, 0);
    if (!info.image)
        return false;
    const std::vector<uint8_t> bytes = EncodePps(*info.image, 6);
    // Only a whole encoding (it starts with the format's mark) is written.
    if (bytes.size() < 3 || bytes[0] != 'p' || bytes[1] != 'p' || bytes[2] != 's')
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

void CClassSenior::LoadResource(const char* name)
{
    ResourceModule* resources = GetResourceModule();
    if (!resources || !name)
        return;
    const ResourceKey key = MakeResourceKey(name);
    if (resources->Exists(key))
        resources->Load(key);
}

void CClassSenior::DrawBackgroundImage(const PictureInfo& picture, int x, int y, int width, int height, double angle)
{
    PaintModule* paint = GetPaintModule();
    if (!paint)
        return;
    if (width < 1)
        width = GetViewWidth();
    if (height < 1)
        height = GetViewHeight();
    paint->DrawImageAt(picture, x, y, width, height, angle);
}

void CClassSenior::ClearBackground(uint32_t colour)
{
    if (PaintModule* paint = GetPaintModule())
        paint->ClearBackground(colour);
}

void CClassSenior::FullRedraw()
{
    // The next frame paints the whole view: a resize builds that frame once, after every part
    // has laid itself out, rather than one whole frame for each part that asks.
    if (ObjectModule* objects = GetObjectModule()) {
        Rect view;
        objects->GetViewport(view);
        objects->AddDirtyRect(view);
    }
}

PObject* CClassSenior::NewObject()
{
    ObjectModule* objects = GetObjectModule();
    return objects ? objects->NewObject(this) : nullptr;
}

BITObject* CClassSenior::NewBitmapObject(const PictureInfo& picture)
{
    ObjectModule* objects = GetObjectModule();
    return objects ? objects->NewBitmapObject(picture, this) : nullptr;
}

PlaneObject* CClassSenior::NewPlaneObject(int width, int height, uint32_t background)
{
    ObjectModule* objects = GetObjectModule();
    return objects ? objects->NewPlaneObject(width, height, background, this) : nullptr;
}

PObject* CClassSenior::FindByName(const char* name) const
{
    const ObjectModule* objects = GetObjectModule();
    return objects ? objects->FindByName(name) : nullptr;
}

PObject* CClassSenior::FindById(uint32_t id) const
{
    const ObjectModule* objects = GetObjectModule();
    return objects ? objects->FindById(id) : nullptr;
}

} // namespace Lumora
