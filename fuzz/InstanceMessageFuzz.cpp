// The single-instance wake datagram of any bytes: parsed without fault, and a message read back
// from its own text is itself; a token message's token only when it is acceptable.
#include <cstring>
#include <string>

#include "app/instance/linux/UnixSingleInstance.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using orvix::PostedMessage;
    using orvix::UnixSingleInstance;
    PostedMessage message;
    UnixSingleInstance::parse(std::string(reinterpret_cast<const char*>(data), size), message);

    if (size >= 20) {
        PostedMessage sent;
        uint64_t w;
        int64_t l;
        std::memcpy(&sent.msg, data, 4);
        std::memcpy(&w, data + 4, 8);
        std::memcpy(&l, data + 12, 8);
        sent.wParam = static_cast<uintptr_t>(w);
        sent.lParam = static_cast<intptr_t>(l);
        // The rest is a token: sent on a token message, as the second start sends one.
        sent.token.assign(reinterpret_cast<const char*>(data) + 20, size - 20);
        if (sent.lParam != orvix::kWakeToken) sent.token.clear();
        PostedMessage read;
        bool parsed = UnixSingleInstance::parse(UnixSingleInstance::format(sent), read);
        FUZZ_CHECK(parsed == (sent.token.empty() || orvix::activationTokenAcceptable(sent.token)));
        if (parsed)
            FUZZ_CHECK(read.msg == sent.msg && read.wParam == sent.wParam && read.lParam == sent.lParam &&
                       read.token == sent.token);
    }
    return 0;
}
