#pragma once
// The interfaces of a device with several top-level collections. Windows lists each collection as
// an interface of its own, whose path and instance carry "&col" and the collection's number (01,
// 02, ...); the Linux backend and the simulated receiver name theirs the same way, after the
// device node's path and the HID device's name. A device with one collection keeps its own names.

#include <cstddef>
#include <string>
#include <vector>

#include "hid/HidPlatform.h"

namespace orvix {

struct CollectionName {
    std::string device;     // the device's own path or identity
    size_t collection = 0;  // position among its top-level collections
};

// "x&col02" for the collection at position 1 of x.
std::string collectionName(const std::string& device, size_t collection);

// What a name stands for. A name without a collection part stands for position 0 of itself.
CollectionName splitCollectionName(const std::string& name);

// The port's entries for a device with `collections` top-level collections, in collection order:
// one per collection when it has several, the device itself when it has one, none without any.
std::vector<THidPnPInfo> collectionEntries(const THidPnPInfo& device, size_t collections);

}  // namespace orvix
