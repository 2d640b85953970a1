#pragma once
// Where the registry port tests keep their keys: an area of their own, removed afterwards, that
// a helper process reaches as well. Per platform: RegistryBackendWindows.cpp (a key of its own
// under HKEY_CURRENT_USER\software) and RegistryBackendPosix.cpp (a temporary root folder).

#include <memory>
#include <string>

#include "app/settings/Registry.h"

namespace orvix::test {

class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;  // removes everything the test wrote

    virtual Registry& registry() = 0;
    // A key path of this test's own, below software\ (never the program's real key).
    virtual std::string keyPath(const std::string& leaf) const = 0;
    // What a helper process passes to makeRegistryAt to reach the same store.
    virtual std::string location() const = 0;
};

std::unique_ptr<RegistryBackend> makeRegistryBackend();
std::unique_ptr<Registry> makeRegistryAt(const std::string& location);

}  // namespace orvix::test
