#include "hid/linux/HidInterfaceList.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <tuple>

#include "hid/CollectionName.h"
#include "hid/ReportDescriptor.h"
#include "hid/linux/SysfsHid.h"

namespace orvix::linuxhid {

namespace {

// "0003:0E8F:00A6.0001" -> ("0003:0E8F:00A6", 1). Names without a hex instance keep it unset.
std::pair<std::string_view, std::optional<unsigned long>> splitInstance(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {name, std::nullopt};
    std::string_view digits = name.substr(dot + 1);
    unsigned long instance = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), instance, 16);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size()) return {name, std::nullopt};
    return {name.substr(0, dot), instance};
}

// A node lists one interface per top-level collection; one whose descriptor cannot be read or
// parsed lists one, whose capabilities then read as zero.
size_t listedCollections(const std::filesystem::path& hidDevice) {
    auto descriptor = readReportDescriptor(hidDevice);
    if (!descriptor) return 1;
    ReportDescriptorInfo info;
    if (!parseReportDescriptor(descriptor->data(), descriptor->size(), info)) return 1;
    return info.collections.size();
}

}  // namespace

bool hidNameLess(const std::string& a, const std::string& b) {
    // Names with a readable instance first, so that the order stays a strict weak ordering.
    auto key = [](const std::string& name) {
        auto [head, instance] = splitInstance(name);
        return std::make_tuple(head, !instance.has_value(), instance.value_or(0), std::string_view(name));
    };
    return key(a) < key(b);
}

std::vector<THidPnPInfo> interfaceEntries(const std::vector<HidrawNode>& nodes) {
    struct Listed {
        THidPnPInfo node;
        size_t collections;
    };
    std::vector<Listed> listed;
    for (const auto& node : nodes) {
        std::error_code ec;
        if (node.devNode.empty() || !std::filesystem::exists(node.devNode, ec)) continue;
        auto hidDevice = hidDeviceOfHidraw(node.sysPath);
        if (!hidDevice) continue;
        listed.push_back({{node.devNode, hidDevice->filename().string()}, listedCollections(*hidDevice)});
    }
    std::stable_sort(listed.begin(), listed.end(), [](const auto& x, const auto& y) {
        if (x.node.DeviceID != y.node.DeviceID) return hidNameLess(x.node.DeviceID, y.node.DeviceID);
        return x.node.DevicePath < y.node.DevicePath;
    });
    std::vector<THidPnPInfo> entries;
    for (const auto& l : listed)
        for (auto& entry : collectionEntries(l.node, l.collections)) entries.push_back(std::move(entry));
    return entries;
}

}  // namespace orvix::linuxhid
