#pragma once
// The numbers the application, its communication thread and the hall exchange: thread and window
// messages of the start-up and the wait dialog, the hall's posted messages, and the dwData codes
// of the records that travel both ways. Every number is named here once; the call sites use the
// names. The server-message relay's number is the transport's (net::WM_SOCKET_NOTIFY).
#include <cstdint>

namespace app_msg {

// To the communication thread.
inline constexpr uint32_t kCommSetTarget = 0x854D; // wparam: window id
inline constexpr uint32_t kCommQuit = 0x854E;
inline constexpr uint32_t kCommWaitText = 0x8550; // wparam: heap text or 0; lparam: seconds
// The wait dialog's skin path, sent to itself.
inline constexpr uint32_t kCommSkinPath = 0x85B4;

// To the main window.
inline constexpr uint32_t kStartTable = 0x85B1;  // start data applied: lay out and enter
inline constexpr uint32_t kNoticeLoaded = 0x8617; // a notice download ended
inline constexpr uint32_t kWebPageOpened = 0x8618; // wparam: the web-page job, freed by the window


// Posted to the hall.
inline constexpr uint32_t kHallRegisterRoom = 0x9105;  // wparam: game window, lparam: field 6
inline constexpr uint32_t kHallUserDetails = 0x9108;   // lparam: user id
inline constexpr uint32_t kHallWebSign = 0x910C;       // wparam: wait dialog, lparam: block token
inline constexpr uint32_t kHallRegisterMatch = 0x9118; // wparam: game window, lparam: user id

} // namespace app_msg

// dwData of the copy-data records.
namespace hall_data {
inline constexpr uint32_t kStartData = 1;
inline constexpr uint32_t kExitReport = 2;
inline constexpr uint32_t kLookOnJoin = 4;
inline constexpr uint32_t kExitReportLost = 5;
inline constexpr uint32_t kPlayerLeft = 6;
inline constexpr uint32_t kUserDetails = 7;
inline constexpr uint32_t kTextRecord = 11;
inline constexpr uint32_t kIgnored = 13;
inline constexpr uint32_t kWebSignAnswer = 14;
inline constexpr uint32_t kRoomMove = 15;
} // namespace hall_data
