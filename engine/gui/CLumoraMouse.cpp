#include "engine/gui/CLumoraMouse.h"

#include "engine/input/InputModule.h"
#include "platform/Paths.h"

namespace Lumora {
namespace {

CursorApplier& Applier()
{
    static CursorApplier applier;
    return applier;
}

} // namespace

void CLumoraMouse::SetCursorApplier(CursorApplier applier) { Applier() = std::move(applier); }

std::optional<platform::Cursor> CLumoraMouse::LoadResourceCursor(int32_t resourceId)
{
    const int id = resourceId & 0xFFFF;
    if (const std::string file = platform::ShippedFile("assets/cursors/" + std::to_string(id) + ".cur"); !file.empty())
        if (auto shipped = platform::Cursor::FromFile(file))
            return shipped;
    return platform::Cursor::FromProgramResource(id);
}

CLumoraMouse::CLumoraMouse() : selected_(cursors_.end()) { SetName(kCursorObjectName); }

const platform::Cursor* CLumoraMouse::Store(int32_t id, const std::function<std::optional<platform::Cursor>()>& load)
{
    if (cursors_.count(id))
        return nullptr;
    std::optional<platform::Cursor> cursor = load();
    if (!cursor)
        return nullptr;
    return &cursors_.emplace(id, *cursor).first->second;
}

const platform::Cursor* CLumoraMouse::AddCursorFromFile(const std::string& path, int32_t id)
{
    return Store(id, [&] { return platform::Cursor::FromFile(path); });
}

const platform::Cursor* CLumoraMouse::AddCursorFromResource(int32_t resourceId, int32_t id)
{
    return Store(id, [&] { return LoadResourceCursor(resourceId); });
}

const platform::Cursor* CLumoraMouse::AddSystemCursor(int32_t systemId, int32_t id)
{
    return Store(id, [&] { return std::optional<platform::Cursor>(platform::Cursor::System(systemId)); });
}

const platform::Cursor* CLumoraMouse::SelectCursor(int32_t id)
{
    selected_ = cursors_.find(id);
    return selected_ == cursors_.end() ? nullptr : &selected_->second;
}

std::optional<int32_t> CLumoraMouse::SelectedId() const
{
    if (selected_ == cursors_.end())
        return std::nullopt;
    return selected_->first;
}

void CLumoraMouse::ApplyCursor()
{
    if (current_ && Applier())
        Applier()(*current_);
}

void CLumoraMouse::SetCursorHandle(const platform::Cursor& cursor)
{
    current_ = cursor;
    ApplyCursor();
}

void CLumoraMouse::UseCursor(int32_t id)
{
    if (const platform::Cursor* cursor = SelectCursor(id))
        SetCursorHandle(*cursor);
}

void CLumoraMouse::UseSystemCursor(int32_t systemId) { SetCursorHandle(platform::Cursor::System(systemId)); }

void CLumoraMouse::UseResourceCursor(int32_t resourceId)
{
    if (std::optional<platform::Cursor> cursor = LoadResourceCursor(resourceId))
        SetCursorHandle(*cursor);
}

void CLumoraMouse::Attach(GameCore* core, uint32_t id)
{
    CClassSenior::Attach(core, id);
    if (auto* input = dynamic_cast<InputModule*>(GetInputModule()))
        input->SetCursorObject(id);
}

int CLumoraMouse::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_CURSOR_HAND:
        if (cursors_.count(1))
            UseCursor(1);
        else
            UseSystemCursor(kSystemHandCursor);
        return 1;
    case EV_CURSOR_ARROW:
        if (cursors_.count(0))
            UseCursor(0);
        else
            UseSystemCursor(kSystemArrowCursor);
        return 1;
    case EV_SET_CURSOR:
        ApplyCursor();
        return 1;
    default:
        return 0;
    }
}

} // namespace Lumora
