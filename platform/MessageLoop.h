#pragma once
// Taking messages from the calling thread's queue and running a thread's message loop.
#include "platform/Message.h"

namespace platform {

// Blocks until a message is there (sent calls run meanwhile) and takes it. False when it is the
// quit message (then `message` holds it, wparam = exit code). The sleep lasts until the next
// timer is due, so an idle thread uses no processor time.
bool GetNextMessage(Message& message);

// Takes (or with remove = false only looks at) the next message without blocking.
bool PeekNextMessage(Message& message, bool remove = true);

// Makes the calling thread's next GetNextMessage return false once the posted messages before it
// are taken.
void PostQuit(int exitCode = 0);

// Get and dispatch until quit; returns the exit code.
int RunMessageLoop();

} // namespace platform
