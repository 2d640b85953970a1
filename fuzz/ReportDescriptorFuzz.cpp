// Report descriptors of any bytes: parsed without fault, each top-level collection's report IDs
// its own, and no report length above what the descriptor's items can declare.
#include <algorithm>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "hid/ReportDescriptor.h"

namespace {

// The most bits the descriptor's Input, Output and Feature items could declare together, with
// every one taking the largest Report Size and Report Count the descriptor names anywhere.
unsigned __int128 declarableBits(const uint8_t* data, size_t size) {
    uint64_t maxSize = 0, maxCount = 0, mainItems = 0;
    for (size_t pos = 0; pos < size;) {
        uint8_t prefix = data[pos++];
        if (prefix == 0xFE) {  // long item
            if (size - pos < 2) break;
            pos += 2 + data[pos];
            continue;
        }
        size_t bytes = (prefix & 3) == 3 ? 4 : prefix & 3;
        uint32_t value = 0;
        for (size_t k = 0; k < bytes && pos + k < size; ++k) value |= uint32_t(data[pos + k]) << (8 * k);
        pos += bytes;
        uint8_t type = (prefix >> 2) & 3, tag = prefix >> 4;
        if (type == 0 && (tag == 0x8 || tag == 0x9 || tag == 0xB)) ++mainItems;
        if (type == 1 && tag == 0x7) maxSize = std::max<uint64_t>(maxSize, value);
        if (type == 1 && tag == 0x9) maxCount = std::max<uint64_t>(maxCount, value);
    }
    return (unsigned __int128)mainItems * maxSize * maxCount;  // up to 2^80: beyond 64 bits
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvix;
    ReportDescriptorInfo info;
    std::string error;
    bool ok = parseReportDescriptor(data, size, info, &error);
    FUZZ_CHECK(ok == error.empty());

    unsigned __int128 worth = declarableBits(data, size);
    ReportIdSet all;
    for (const TopLevelCollection& top : info.collections) {
        FUZZ_CHECK((top.reportIds & all).none());
        all |= top.reportIds;
        for (uint16_t length :
             {top.caps.InputReportByteLength, top.caps.OutputReportByteLength, top.caps.FeatureReportByteLength}) {
            if (length == 0) continue;
            FUZZ_CHECK(top.reportIds.any());
            FUZZ_CHECK((unsigned __int128)(length - 1) * 8 <= worth + 7);
        }
    }
    FUZZ_CHECK(info.collections.size() <= 255);

    // The preparsed data of each collection gives the same capabilities.
    std::vector<uint8_t> bytes(data, data + size);
    for (size_t c = 0; c <= info.collections.size(); ++c) {
        DescriptorPreparsedData preparsed(bytes, c);
        HidCaps caps;
        bool known = preparsed.getCaps(caps);
        FUZZ_CHECK(known == (ok && c < info.collections.size()));
        if (known) FUZZ_CHECK(caps.InputReportByteLength == info.collections[c].caps.InputReportByteLength);
    }
    return 0;
}
