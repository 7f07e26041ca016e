#pragma once
// The single cursor object, registered under the name "object_cursor": a table of cursors by
// id (0 the arrow, 1 the hand) that the input module and the widgets switch with engine events.
// The cursor in force reaches the screen through the host's cursor applier.
#include "engine/senior/CClassSenior.h"
#include "platform/Cursor.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace Lumora {

inline constexpr const char* kCursorObjectName = "object_cursor";

// Stock cursor ids.
inline constexpr int kSystemArrowCursor = 32512;
inline constexpr int kSystemHandCursor = 32649;

// Cursors the program ships as files in place of ones compiled into it:
// "assets/cursors/<resource id>.cur" under the program folder or beside the executable
// (platform::ShippedFile).
inline constexpr int kArrowCursorResource = 130;
inline constexpr int kHandCursorResource = 131;

using CursorApplier = std::function<void(const platform::Cursor&)>;

class CLumoraMouse : public CClassSenior {
public:
    CLumoraMouse();

    int OnEvent(const EventRecord& record) override;
    // Registered, it becomes the input module's cursor object.
    void Attach(GameCore* core, uint32_t id) override;

    // Each adds a cursor under an id not yet in the table; the result is the cursor stored, or
    // null when the id was taken or nothing could be loaded.
    virtual const platform::Cursor* AddCursorFromFile(const std::string& path, int32_t id);
    virtual const platform::Cursor* AddCursorFromResource(int32_t resourceId, int32_t id);
    virtual const platform::Cursor* AddSystemCursor(int32_t systemId, int32_t id);
    // Finds the id and remembers it; null when the id is not in the table.
    virtual const platform::Cursor* SelectCursor(int32_t id);
    virtual void ApplyCursor();
    void SetCursorHandle(const platform::Cursor& cursor) override;
    virtual void UseCursor(int32_t id);
    virtual void UseSystemCursor(int32_t systemId);
    virtual void UseResourceCursor(int32_t resourceId);

    const std::optional<platform::Cursor>& Current() const { return current_; }
    std::optional<int32_t> SelectedId() const;

    // The host window installs how a cursor is shown; without one nothing is shown.
    static void SetCursorApplier(CursorApplier applier);
    // The shipped cursor of a resource id, read from the program folder.
    static std::optional<platform::Cursor> LoadResourceCursor(int32_t resourceId);

private:
    // Loads and stores a cursor under an id not yet taken.
    const platform::Cursor* Store(int32_t id, const std::function<std::optional<platform::Cursor>()>& load);

    std::map<int32_t, platform::Cursor> cursors_;
    std::map<int32_t, platform::Cursor>::const_iterator selected_;
    std::optional<platform::Cursor> current_;
};

} // namespace Lumora
