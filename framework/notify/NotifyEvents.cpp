// The heap text that travels with the chat-box event.
#include "framework/notify/NotifyEvents.h"

#include <cstring>

namespace framework {

char* MakeChatBoxText(const char* text, size_t length)
{
    // Two zero bytes end it, so a cut double-byte character still ends in a zero.
    char* copy = new char[length + 2];
    if (length)
        std::memcpy(copy, text, length);
    copy[length] = 0;
    copy[length + 1] = 0;
    return copy;
}

void FreeChatBoxText(uintptr_t parameter) { delete[] reinterpret_cast<char*>(parameter); }

} // namespace framework
