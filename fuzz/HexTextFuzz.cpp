// The HID console's byte notation and the A4 frame: any text reads as bytes, the notation of any
// bytes reads back as those bytes, and the frame keeps only the argument's low three bytes.
#include <algorithm>
#include <cstring>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "hidMain/HexText.h"
#include "hidMain/ReceiverConnection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvix;
    std::string text(reinterpret_cast<const char*>(data), size);
    {
        fuzz::TimePerByte bound(size, 2);
        TByteDynArray bytes = hexToBytes(text);
        // One byte per blank-separated token at most, and one for a text without blanks.
        FUZZ_CHECK(bytes.size() <= size_t(std::count(text.begin(), text.end(), ' ')) + 1);
    }

    TByteDynArray raw(data, data + size);
    FUZZ_CHECK(hexToBytes(bytesToHex(raw)) == raw);

    if (size >= 4) {
        uint32_t argument;
        std::memcpy(&argument, data, 4);
        TByteDynArray frame = a4Frame(argument);
        FUZZ_CHECK(frame.size() == 7 && frame[0] == 0x02 && frame[1] == 0x01 && frame[2] == 0xA4);
        FUZZ_CHECK(frame == a4Frame(argument & 0xFFFFFF));
        FUZZ_CHECK(frame[3] == (argument & 0xFF) && frame[4] == ((argument >> 8) & 0xFF) &&
                   frame[5] == ((argument >> 16) & 0xFF));
        // The checksum makes the argument and check bytes sum to the constant the receiver expects.
        FUZZ_CHECK(uint8_t(frame[3] + frame[4] + frame[5] + frame[6]) == 0x5C);
    }
    return 0;
}
