#include "hid/CollectionName.h"

#include <charconv>
#include <cstdio>

namespace orvix {

namespace {

constexpr const char* marker = "&col";
constexpr size_t markerLength = 4;
constexpr size_t maxNumber = 255;  // as many top-level collections as a descriptor may have

}  // namespace

std::string collectionName(const std::string& device, size_t collection) {
    char number[16];
    std::snprintf(number, sizeof number, "%02u", static_cast<unsigned>(collection + 1));
    return device + marker + number;
}

CollectionName splitCollectionName(const std::string& name) {
    size_t at = name.rfind(marker);
    if (at == std::string::npos) return {name, 0};
    const char* first = name.data() + at + markerLength;
    const char* last = name.data() + name.size();
    size_t number = 0;
    auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc{} || end != last || number == 0 || number > maxNumber) return {name, 0};
    CollectionName split{name.substr(0, at), number - 1};
    // Only names made by collectionName: "&col1" or "&col+1" are part of a device's own name.
    if (collectionName(split.device, split.collection) != name) return {name, 0};
    return split;
}

std::vector<THidPnPInfo> collectionEntries(const THidPnPInfo& device, size_t collections) {
    std::vector<THidPnPInfo> entries;
    if (collections == 1) entries.push_back(device);
    for (size_t i = 0; collections > 1 && i < collections; ++i)
        entries.push_back({collectionName(device.DevicePath, i), collectionName(device.DeviceID, i)});
    return entries;
}

}  // namespace orvix
