#pragma once
// Engine event codes of the server's notifications: what the dispatcher hands to the table scene
// and the side panel (first parameter: the notification's data, valid only during the call,
// unless a code says otherwise), and the scene's own auto-leave event. The ids of the
// notifications themselves are named in NotifyIds.h.
#include <cstddef>
#include <cstdint>

namespace framework {

enum NotifyEvent : uint32_t {
    EV_MATCH_RANKS_SORTED = 80000022, // no parameter: the application re-sorted its match rank list
    EV_MATCH_PHASE_LATE = 80000026,  // no parameter
    EV_MATCH_WAIT_WORD = 80000028,   // parameter: the word at +8 of 211242
    EV_SYSTEM_LINE = 80000057,       // parameter: a Markup line (its address), valid during the call
    EV_CHAT_LINE = 80000058,
    EV_CHAT_LINE_EX = 80000059,
    EV_CHAT_BOX_TEXT = 80000060,     // parameter: a heap text the side panel frees (FreeChatBoxText)
    EV_AMULET_SKILL = 80000061,
    EV_QRCODE_INFO = 80000063,
    EV_NOTIFY_211430 = 80000064,
    EV_NOTIFY_211440 = 80000065,
    EV_NOTIFY_214100 = 80000066,
    EV_NOTIFY_214101 = 80000067,
    EV_NOTIFY_214102 = 80000068,
    EV_NOTIFY_214103 = 80000069,
    EV_SERVER_TEXT = 80000070,
    EV_NOTIFY_214110 = 80000071,
    EV_NOTICE_TEXT = 80000072,       // parameter: the downloaded notice (GBK), valid during the call
    EV_AUTO_LEAVE = 80000103,        // the scene's auto-leave timer ran out
};

// The heap copy of 211400's text that travels with EV_CHAT_BOX_TEXT: its receiver frees it.
char* MakeChatBoxText(const char* text, size_t length);
void FreeChatBoxText(uintptr_t parameter);

} // namespace framework
