// Bytes from the game server: frames are cut, checked and reassembled, and whole messages
// unpacked through both stages, without ever reading outside what arrived.
#include "net/AesCryptBuffer.h"
#include "net/ConnectionKeys.h"
#include "net/FrameReceiver.h"
#include "net/Packager.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint32_t flags = data[0];
    net::FrameReceiver receiver(4000);
    // Feed in two parts, so that frames split across reads are exercised too.
    const size_t cut = size / 2;
    for (int part = 0; part < 2; ++part) {
        if (part == 0)
            receiver.Feed(data + 1, cut > 1 ? cut - 1 : 0);
        else
            receiver.Feed(data + (cut > 1 ? cut : 1), size - (cut > 1 ? cut : 1));
        for (int guard = 0; guard < 64; ++guard) {
            net::CBuffer message;
            const net::ReceiveEvent event = receiver.Next(message);
            if (event == net::ReceiveEvent::NeedMore)
                break;
            if (event == net::ReceiveEvent::Error)
                continue;
            net::SocketContextRecord context{};
            net::SocketMessageRecord record{};
            if (net::UnpackMessage(message.GetData(), message.GetSize(), context, record,
                                   net::ConnectionKeyBlock(net::kGameKeyBlock), net::kConnectionKeyBits,
                                   (flags & 1) ? net::kAesFlag : 0, (flags & 2) ? net::kZlibFlag : 0, 4000,
                                   size_t(1) << 20))
                net::FreeMessageData(record);
        }
    }
    return 0;
}
