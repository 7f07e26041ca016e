#pragma once
// Event codes of the in-game frame and its dialogs, engine settings the frame keeps, and the
// style flags of the timed dialogs. Codes addressed to a dialog name its own object id; frame
// codes are sent to the frame object ("GameFrame") by its buttons, dialogs and timed actions.
#include <cstdint>

namespace framework {

// A timed dialog's own events: one second passed, accept, refuse.
enum TimerDlgEvent : uint32_t {
    EV_DLG_TICK = 80000001,
    EV_DLG_ACCEPT = 80000002,
    EV_DLG_REFUSE = 80000003,
};

// Events the frame handles. The typed exit reason travels with the application's text event
// (Lumora::EV_APP_TEXT_PAYLOAD, 80000008): its first parameter is a text payload token.
enum FrameEvent : uint32_t {
    EV_FRAME_REQUEST_201221 = 80000006,
    EV_FRAME_EXIT_ASK_CANCELLED = 80000009,
    EV_FRAME_REPLY_ASK_EXIT = 80000010,
    EV_FRAME_REQUEST_201161 = 80000024,
    EV_FRAME_MATCH_END = 80000027,
    EV_FRAME_MATCH_RESULT = 80000029,
    EV_FRAME_SIGN_UP = 80000039,
    EV_FRAME_GIVE_UP = 80000040,
    EV_SCENE_SETTINGS = 80000084,
    EV_FRAME_SETTINGS = 80000086,
    EV_FRAME_CLOSE = 80000089,
    EV_FRAME_EXIT_CONFIRMED = 80000090,
    EV_FRAME_EXIT_REFUSED = 80000091,
    // Decoration, boards and the match flow.
    EV_FRAME_TABLE_EVENT_3 = 80000003,
    EV_FRAME_SHOP_CLOTHES = 80000041,
    EV_FRAME_SHOP_CLOTHES_USER = 80000042,
    EV_FRAME_CLEAR_ZERO = 80000043,
    EV_FRAME_RECHARGE = 80000044,
    EV_FRAME_COUNTDOWN_TICK = 80000045,
    EV_FRAME_USER_CLICKED = 80000047,
    EV_FRAME_USER_HOVER_END = 80000048,
    EV_FRAME_BOARD_ENTER = 80000049,
    EV_FRAME_BOARD_LEAVE = 80000050,
    EV_FRAME_BOARD_CLOSE = 80000051,
    EV_FRAME_HELP = 80000087,
    EV_FRAME_SHOP = 80000088,
    EV_FRAME_HOLD_SET = 80000092,
    EV_FRAME_HOLD_CLEAR = 80000093,
    EV_FRAME_FIT = 80000094,
    EV_FRAME_MINIMISE = 80000095,
    EV_FRAME_DRAG = 80000096,
    EV_FRAME_DRAG_BEGIN = 80000097,
    EV_FRAME_DRAG_END = 80000098,
    EV_FRAME_ACTIVITY_AWARD = 80000099,
    EV_FRAME_ACTIVITY_DRAW = 80000100,
    EV_FRAME_ACTIVITY_BAR = 80000105,
};

// Timed dialog style bits.
enum TimerDlgFlags : uint32_t {
    DLG_TWO_BUTTONS = 0x01,
    DLG_REFUSE_AT_END = 0x04,
    DLG_ICON = 0x10,
    DLG_ICON_ANIMATED = 0x20,
    // The text names a player or a room: drawn and measured plain (no markup, no line breaks).
};
inline constexpr uint32_t kAskExitFlags = DLG_TWO_BUTTONS | DLG_REFUSE_AT_END | DLG_ICON;
static_assert(kAskExitFlags == 0x15);
inline constexpr uint32_t kAskFlags = DLG_TWO_BUTTONS | DLG_REFUSE_AT_END;
static_assert(kAskFlags == 0x05);
// The exit decision's boxes: "keep playing" (leaving is not offered) and the penalty question,
// which refuses when its time runs out.
inline constexpr uint32_t kKeepPlayingBoxFlags = DLG_TWO_BUTTONS | DLG_ICON | DLG_ICON_ANIMATED;
static_assert(kKeepPlayingBoxFlags == 49);
inline constexpr uint32_t kPenaltyBoxFlags = kKeepPlayingBoxFlags | DLG_REFUSE_AT_END;
static_assert(kPenaltyBoxFlags == 53);

// Engine integer setting under which the frame counts the boxes it opened (for their z).
inline constexpr uint32_t kBoxCounterSetting = 50012;
inline constexpr double kBoxBaseZ = 90000.0;

} // namespace framework
