// The single-instance wake datagram of any bytes: parsed without fault, and a message read back
// from its own text is itself.
#include <cinttypes>
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
        // As broadcast() writes it.
        char text[80];
        std::snprintf(text, sizeof text, "%" PRIu32 " %llu %lld", sent.msg,
                      static_cast<unsigned long long>(sent.wParam), static_cast<long long>(sent.lParam));
        PostedMessage read;
        FUZZ_CHECK(UnixSingleInstance::parse(text, read));
        FUZZ_CHECK(read.msg == sent.msg && read.wParam == sent.wParam && read.lParam == sent.lParam);
    }
    return 0;
}
