#include "hid/ReportDescriptor.h"

#include <map>
#include <utility>

namespace orvix {

namespace {

// The global items that Push and Pop save.
struct GlobalState {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

constexpr size_t maxPushDepth = 64;
constexpr size_t maxCollectionDepth = 64;
constexpr uint64_t maxReportBits = 0xFFFFull * 8;  // a report length must fit the 16-bit field

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool parseReportDescriptor(const uint8_t* data, size_t size, ReportDescriptorInfo& info, std::string* error) {
    info = ReportDescriptorInfo{};
    GlobalState global;
    std::vector<GlobalState> stack;
    uint32_t usage = 0;  // the first Usage of the current local items
    bool haveUsage = false;
    bool extendedUsage = false;  // a 4-byte Usage carries its own page
    size_t depth = 0;
    bool topLevelSeen = false;
    // Bits per (kind, report ID); kind 0 input, 1 output, 2 feature.
    std::map<std::pair<int, uint32_t>, uint64_t> bits;

    size_t i = 0;
    while (i < size) {
        uint8_t prefix = data[i++];
        if (prefix == 0xFE) {  // a long item: its size and tag follow
            if (i + 2 > size) return fail(error, "long item cut short");
            size_t length = data[i];
            i += 2;
            if (length > size - i) return fail(error, "long item cut short");
            i += length;
            continue;
        }
        size_t length = prefix & 0x03;
        if (length == 3) length = 4;
        if (length > size - i) return fail(error, "item cut short at byte " + std::to_string(i - 1));
        uint32_t value = 0;
        for (size_t k = 0; k < length; ++k) value |= static_cast<uint32_t>(data[i + k]) << (8 * k);
        i += length;
        int type = (prefix >> 2) & 0x03;
        int tag = prefix >> 4;

        if (type == 0) {  // main
            int kind = tag == 0x8 ? 0 : tag == 0x9 ? 1 : tag == 0xB ? 2 : -1;
            if (kind >= 0) {
                uint64_t& total = bits[{kind, global.reportId}];
                total += static_cast<uint64_t>(global.reportSize) * global.reportCount;
                if (total > maxReportBits) return fail(error, "report too long");
            } else if (tag == 0xA) {  // Collection
                if (++depth > maxCollectionDepth) return fail(error, "collections nested too deep");
                if (depth == 1 && !topLevelSeen && value == 0x01) {
                    topLevelSeen = true;
                    uint32_t page = extendedUsage ? usage >> 16 : global.usagePage;
                    info.caps.UsagePage = static_cast<uint16_t>(page);
                    info.caps.Usage = static_cast<uint16_t>(usage & 0xFFFF);
                }
            } else if (tag == 0xC) {  // End Collection
                if (depth == 0) return fail(error, "End Collection without a Collection");
                --depth;
            }
            usage = 0;
            haveUsage = false;
            extendedUsage = false;
        } else if (type == 1) {  // global
            switch (tag) {
            case 0x0: global.usagePage = value; break;
            case 0x7: global.reportSize = value; break;
            case 0x8:
                if (value == 0) return fail(error, "Report ID 0");
                global.reportId = value;
                info.usesReportIds = true;
                break;
            case 0x9: global.reportCount = value; break;
            case 0xA:
                if (stack.size() >= maxPushDepth) return fail(error, "Push nested too deep");
                stack.push_back(global);
                break;
            case 0xB:
                if (stack.empty()) return fail(error, "Pop without Push");
                global = stack.back();
                stack.pop_back();
                break;
            default: break;
            }
        } else if (type == 2) {  // local
            if (tag == 0x0 && !haveUsage) {
                usage = value;
                extendedUsage = length == 4;
                haveUsage = true;
            }
        }
    }
    // Unclosed collections are tolerated: the reports read so far are what the device sends.

    for (auto& [key, total] : bits) {
        uint64_t bytes = (total + 7) / 8 + 1;  // plus the report ID byte, counted also without IDs
        uint16_t& field = key.first == 0   ? info.caps.InputReportByteLength
                          : key.first == 1 ? info.caps.OutputReportByteLength
                                           : info.caps.FeatureReportByteLength;
        if (bytes > field) field = static_cast<uint16_t>(bytes);
    }
    return true;
}

DescriptorPreparsedData::DescriptorPreparsedData(std::vector<uint8_t> descriptor)
    : descriptor_(std::move(descriptor)) {
    valid_ = parseReportDescriptor(descriptor_.data(), descriptor_.size(), info_);
}

bool DescriptorPreparsedData::getCaps(HidCaps& caps) const {
    caps = valid_ ? info_.caps : HidCaps{};
    return valid_;
}

}  // namespace orvix
