#pragma once
// Application event codes of the mahjong table: one name per number.
#include <cstdint>

namespace Lumora {

enum MahjongEventCode : uint32_t {
    // A tile view clears its hover mark and updates itself.
    EV_TILE_CLEAR_HOVER = 80000126,
    // Tile mouse events sent to the scene: {scene, code, tile view, input data}.
    EV_TILE_WATCH_ENTER = 80001122,
    EV_TILE_WATCH_LEAVE = 80001123,
    EV_TILE_ENTER = 80001124,
    EV_TILE_LEAVE = 80001125,
    EV_TILE_DRAG_START = 80001130,
    EV_TILE_DRAG_MOVE = 80001131,
    EV_TILE_DRAG_END = 80001132,

    // The scene's own timed and animation events.
    EV_CLOCK_TICK = 80001110,
    EV_DICE_SOUND = 80001111,
    EV_DICE_DONE = 80001112,
    EV_DEAL_SEAT_SHOWN = 80001113,
    EV_PLAY_STARTS = 80001114,
    EV_CLOCK_EXPIRED = 80001115,
    EV_GATE_WATCHDOG = 80001116,
    // The replacement tile after the own gang (80001117) or flower (80001118), three words by
    // value so that nobody owns a record: p1 = tile | wall position << 16, p2 = claim flags.
    EV_REPLACEMENT_GANG = 80001117,
    EV_REPLACEMENT_FLOWER = 80001118,
    EV_DICE_ANIMATION_END = 80001119,
    // Click events of own hand tiles, by play state and hand mode.
    EV_TILE_FLOWER_MODE_CLICK = 80001126,
    EV_TILE_GANG_CHOICE = 80001127,
    EV_TILE_CHI_CHOICE = 80001128,
    EV_TILE_THROW_CLICK = 80001129,
    EV_TILE_IDLE_CLICK = 80001133,
    // Table buttons and sliders.
    EV_BTN_START = 80001134,
    EV_BTN_ASK_VIEW = 80001135,
    EV_BTN_CHI = 80001136,
    EV_BTN_PENG = 80001137,
    EV_BTN_GANG = 80001138,
    EV_BTN_HU = 80001139,
    EV_BTN_PASS = 80001140,
    EV_BTN_VOLUME = 80001141,
    EV_BTN_SOUND_ON = 80001142,
    EV_BTN_SOUND_OFF = 80001143,
    EV_BTN_SORT = 80001145,
    EV_BTN_AUTOPLAY = 80001146,
    EV_BTN_HIDE_SKILL = 80001147,
    EV_BTN_SHOW_SKILL = 80001148,
    EV_CMD_CLOSE = 80001149,
    EV_CMD_80001150 = 80001150,
    EV_CMD_80001151 = 80001151,
    EV_VOLUME_BOARD_FOCUS = 80001156,
    EV_VOLUME_EFFECT = 80001157,
    EV_VOLUME_MUSIC = 80001158,
    // Scene animation events.
    EV_TURN_INDICATOR = 80001161,
    EV_SKILL_REFRESH0 = 80001163,
    EV_SKILL_REFRESH1 = 80001164,
    EV_DRAWN_REFRESH = 80001165,
    EV_CLEAR_STATE_WORD = 80001167,
    EV_SORT_NOW = 80001168,
    EV_SORT_DONE = 80001170,

    // A player panel's own click; it raises the frame's EV_FRAME_USER_CLICKED (the player's details).
    EV_PANEL_CLICKED = 80001180,
    // The frame's and the scene's application events the scene handles.
    EV_CLICK_ANYWHERE = 80000114,
    EV_ASK_VIEW_ANSWER = 80000007,
    EV_SCENE_EVENT_111 = 80000111,
    // Table events the frame forwards (the scene gives them their meaning): the table entered
    // (210200) and refreshed, a player seated (211011, his record) or leaving (211010, his record,
    // cleared after the event), the table list (211028); the rest of the range refreshes.
    EV_TABLE_ENTERED = 80000011,
    EV_TABLE_REFRESHED = 80000012,
    EV_USER_ENTER = 80000014,
    EV_USER_LEAVE = 80000016,
    EV_TABLE_ARRANGED = 80000018,
    EV_TABLE_EVENTS_FIRST = 80000014,
    EV_TABLE_EVENTS_LAST = 80000021,

    // Ranges of the scene's event hook, tested in this order.
    EV_RANGE_MOUSE_FIRST = 80001160,
    EV_RANGE_MOUSE_LAST = 80001171,
    EV_RANGE_COMMAND_FIRST = 80001134,
    EV_RANGE_COMMAND_LAST = 80001159,
    EV_RANGE_KEY_FIRST = 80001110,
    EV_RANGE_KEY_LAST = 80001120,
    EV_RANGE_TILE_FIRST = 80001121,
    EV_RANGE_TILE_LAST = 80001133,
};

// The scene's object name.
inline constexpr const char* kMainGameName = "MainGame";

} // namespace Lumora
