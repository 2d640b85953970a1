#pragma once
// From the hidraw nodes udev lists to the port's interface entries: path, identity and order.

#include <filesystem>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"

namespace orvix::linuxhid {

struct HidrawNode {
    std::filesystem::path sysPath;  // the hidraw entry in sysfs
    std::string devNode;            // /dev/hidrawN
};

// The interfaces of the nodes whose device node exists and whose HID device is found. A node lists
// one interface per top-level collection of its report descriptor, as Windows lists them: path
// and identity are the node's (/dev/hidrawN) and the HID device's sysfs name (BBBB:VVVV:PPPP.NNNN,
// its instance number new on every plug), followed by "&col01", "&col02", ... when it has several;
// a node with one collection, or whose descriptor cannot be read or parsed, lists one interface
// under its own names; a node whose descriptor has no collection at all lists none.
// Order: by HID device name, the instance number compared as a number, then the collections in
// descriptor order. hidraw numbers are reused and taken in probe order, so they would reorder
// interfaces across plugs; the HID name sorts one receiver's interfaces together, in the order
// the kernel probed them, and keeps that order on every scan.
std::vector<THidPnPInfo> interfaceEntries(const std::vector<HidrawNode>& nodes);

// The order above, for two HID device names.
bool hidNameLess(const std::string& a, const std::string& b);

}  // namespace orvix::linuxhid
