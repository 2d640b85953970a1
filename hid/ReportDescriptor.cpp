#include "hid/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvix {

namespace {

// A device declares its descriptor length in 16 bits.
constexpr size_t maxDescriptorBytes = 0xFFFF;
// The bounds keep a hostile descriptor from growing memory; real ones nest a few levels.
constexpr size_t maxPushDepth = 64;
constexpr size_t maxCollectionDepth = 64;
// A report's bytes plus its ID byte must fit the 16-bit length fields.
constexpr uint64_t maxReportBytes = 0xFFFE;
constexpr uint64_t maxReportBits = maxReportBytes * 8;
constexpr uint32_t maxReportId = 0xFF;  // the ID travels as the report's first byte
// Each top-level collection becomes an interface of its own; real devices have a handful.
constexpr size_t maxTopLevelCollections = 255;
constexpr int noCollection = -1;

enum ReportKind { Input, Output, Feature, kindCount };
const char* const kindNames[kindCount] = {"Input", "Output", "Feature"};

enum ItemType : uint8_t { MainItem = 0, GlobalItem = 1, LocalItem = 2 };

namespace tag {
constexpr uint8_t input = 0x8, output = 0x9, collection = 0xA, feature = 0xB, endCollection = 0xC;
constexpr uint8_t usagePage = 0x0, reportSize = 0x7, reportId = 0x8, reportCount = 0x9, push = 0xA, pop = 0xB;
constexpr uint8_t usage = 0x0;
}  // namespace tag

constexpr uint8_t longItemPrefix = 0xFE;

constexpr std::array<int, maxReportId + 1> noOwners() {
    std::array<int, maxReportId + 1> owners{};
    owners.fill(noCollection);
    return owners;
}

struct Item {
    size_t offset = 0;  // of the prefix byte, for the error texts
    uint8_t type = 0;
    uint8_t tag = 0;
    size_t dataBytes = 0;
    // Every item read here is unsigned: the signed ones (logical and physical extents, unit
    // exponent) do not change a report's length, so none is sign-extended.
    uint32_t value = 0;
};

// The global items that Push and Pop save.
struct GlobalState {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;  // 0: no Report ID declared (yet)
};

std::string at(size_t offset) { return " at byte " + std::to_string(offset); }

class Parser {
public:
    Parser(const uint8_t* data, size_t size, ReportDescriptorInfo& info) : data_(data), size_(size), info_(info) {}

    // Returns the reason the descriptor is refused, empty when it is sound.
    std::string run() {
        std::string error = parseItems();
        // Unclosed collections are an error, not a tolerated end: both platforms' HID stacks refuse
        // such a descriptor, and a descriptor read cut short mostly ends that way, with lengths
        // too short.
        if (error.empty() && depth_ > 0)
            error = std::to_string(depth_) + " Collection(s) not closed at the end of the descriptor";
        storeLengths();
        return error;
    }

private:
    std::string parseItems() {
        if (size_ == 0) return "descriptor is empty";
        if (size_ > maxDescriptorBytes)
            return "descriptor of " + std::to_string(size_) + " bytes is longer than the " +
                   std::to_string(maxDescriptorBytes) + " a device can declare";
        size_t pos = 0;
        while (pos < size_) {
            Item item;
            item.offset = pos;
            uint8_t prefix = data_[pos++];
            if (prefix == longItemPrefix) {  // no long item tag is defined: skip it by its size
                if (size_ - pos < 2) return "long item" + at(item.offset) + " cut short";
                size_t length = data_[pos];
                pos += 2;
                if (size_ - pos < length) return "long item" + at(item.offset) + " cut short";
                pos += length;
                continue;
            }
            item.dataBytes = prefix & 0x03;
            if (item.dataBytes == 3) item.dataBytes = 4;
            if (size_ - pos < item.dataBytes) return "item" + at(item.offset) + " cut short";
            for (size_t k = 0; k < item.dataBytes; ++k) item.value |= static_cast<uint32_t>(data_[pos + k]) << (8 * k);
            pos += item.dataBytes;
            item.type = (prefix >> 2) & 0x03;
            item.tag = prefix >> 4;

            std::string error;
            if (item.type == MainItem)
                error = mainItem(item);
            else if (item.type == GlobalItem)
                error = globalItem(item);
            else if (item.type == LocalItem)
                localItem(item);
            // Reserved item types carry nothing a length depends on.
            if (!error.empty()) return error;
        }
        return {};
    }

    std::string mainItem(const Item& item) {
        std::string error;
        switch (item.tag) {
        case tag::input: error = addField(Input, item); break;
        case tag::output: error = addField(Output, item); break;
        case tag::feature: error = addField(Feature, item); break;
        case tag::collection: error = openCollection(item); break;
        case tag::endCollection:
            if (depth_ == 0)
                error = "End Collection" + at(item.offset) + " without an open Collection";
            else
                --depth_;
            break;
        default: break;
        }
        usage_.reset();  // local items apply to one Main item only
        return error;
    }

    // Items of a report ID declared before the first Report ID count as a report without ID. An
    // item outside every collection belongs to no interface.
    std::string addField(ReportKind kind, const Item& item) {
        if (depth_ == 0) return {};
        const uint32_t id = global_.reportId;
        const int collection = static_cast<int>(info_.collections.size()) - 1;
        std::string report = id ? "report " + std::to_string(id) : "report without ID";
        if (owner_[id] == noCollection) owner_[id] = collection;
        if (owner_[id] != collection)
            return std::string(kindNames[kind]) + " " + report + at(item.offset) + " is in top-level collection " +
                   std::to_string(collection + 1) + ", its other reports in collection " +
                   std::to_string(owner_[id] + 1);
        uint64_t bits = static_cast<uint64_t>(global_.reportSize) * global_.reportCount;
        uint64_t& total = bits_[kind][id];
        if (bits > maxReportBits - total)
            return std::string(kindNames[kind]) + " " + report + at(item.offset) + " is longer than " +
                   std::to_string(maxReportBytes) + " bytes";
        total += bits;
        present_[kind][id] = true;
        return {};
    }

    // Every collection nested in no other is a top-level collection, whatever its type; the
    // first Usage before it names it.
    std::string openCollection(const Item& item) {
        if (depth_ == maxCollectionDepth)
            return "Collection" + at(item.offset) + " nested deeper than " + std::to_string(maxCollectionDepth);
        if (depth_ == 0) {
            if (info_.collections.size() == maxTopLevelCollections)
                return "Collection" + at(item.offset) + " is one more than the " +
                       std::to_string(maxTopLevelCollections) + " top-level collections a device may have";
            TopLevelCollection top;
            uint32_t page = usage_.extended ? usage_.value >> 16 : global_.usagePage;
            top.caps.UsagePage = static_cast<uint16_t>(page);
            top.caps.Usage = static_cast<uint16_t>(usage_.value & 0xFFFF);
            info_.collections.push_back(top);
        }
        ++depth_;
        return {};
    }

    std::string globalItem(const Item& item) {
        switch (item.tag) {
        case tag::usagePage: global_.usagePage = item.value; break;
        case tag::reportSize: global_.reportSize = item.value; break;
        case tag::reportCount: global_.reportCount = item.value; break;
        case tag::reportId:
            if (item.value == 0) return "Report ID 0" + at(item.offset) + " is reserved";
            if (item.value > maxReportId)
                return "Report ID " + std::to_string(item.value) + at(item.offset) + " does not fit in one byte";
            global_.reportId = item.value;
            info_.usesReportIds = true;
            break;
        case tag::push:
            if (stack_.size() == maxPushDepth)
                return "Push" + at(item.offset) + " nests the global items deeper than " + std::to_string(maxPushDepth);
            stack_.push_back(global_);
            break;
        case tag::pop:
            if (stack_.empty()) return "Pop" + at(item.offset) + " without a Push";
            global_ = stack_.back();
            stack_.pop_back();
            break;
        default: break;
        }
        return {};
    }

    void localItem(const Item& item) {
        // A collection is named by the first Usage before it; a 4-byte one carries its own page.
        if (item.tag == tag::usage && !usage_.declared) {
            usage_.declared = true;
            usage_.value = item.value;
            usage_.extended = item.dataBytes == 4;
        }
    }

    void storeLengths() {
        for (size_t c = 0; c < info_.collections.size(); ++c) {
            TopLevelCollection& top = info_.collections[c];
            uint16_t* fields[kindCount] = {&top.caps.InputReportByteLength, &top.caps.OutputReportByteLength,
                                           &top.caps.FeatureReportByteLength};
            for (uint32_t id = 0; id <= maxReportId; ++id) {
                if (owner_[id] != static_cast<int>(c)) continue;
                top.reportIds.set(id);
                for (int kind = 0; kind < kindCount; ++kind) {
                    if (!present_[kind][id]) continue;
                    // addField keeps it within 16 bits
                    uint16_t length = static_cast<uint16_t>((bits_[kind][id] + 7) / 8 + 1);
                    *fields[kind] = std::max(*fields[kind], length);
                }
            }
        }
    }

    struct PendingUsage {
        bool declared = false;
        bool extended = false;
        uint32_t value = 0;
        void reset() { *this = PendingUsage{}; }
    };

    const uint8_t* data_;
    size_t size_;
    ReportDescriptorInfo& info_;
    GlobalState global_;
    std::vector<GlobalState> stack_;
    PendingUsage usage_;
    size_t depth_ = 0;
    uint64_t bits_[kindCount][maxReportId + 1] = {};  // per kind and report ID
    bool present_[kindCount][maxReportId + 1] = {};
    std::array<int, maxReportId + 1> owner_ = noOwners();  // the top-level collection of each report ID
};

}  // namespace

bool parseReportDescriptor(const uint8_t* data, size_t size, ReportDescriptorInfo& info, std::string* error) {
    info = ReportDescriptorInfo{};
    std::string reason = Parser(data, size, info).run();
    if (reason.empty()) return true;
    if (error) *error = std::move(reason);
    return false;
}

DescriptorPreparsedData::DescriptorPreparsedData(std::vector<uint8_t> descriptor, size_t collection)
    : descriptor_(std::move(descriptor)), collection_(collection) {
    valid_ = parseReportDescriptor(descriptor_.data(), descriptor_.size(), info_);
}

bool DescriptorPreparsedData::getCaps(HidCaps& caps) const {
    bool known = valid_ && collection_ < info_.collections.size();
    caps = known ? info_.collections[collection_].caps : HidCaps{};
    return known;
}

}  // namespace orvix
