// A second process for the registry port tests. Data go as hex, so any text survives the
// command line whatever its code page:
//   registry_helper LOCATION set KEY NAME TYPE HEX   writes the value (creating the key)
//   registry_helper LOCATION get KEY NAME            prints "type=T data=HEX"
// Exit code 0 on success; 1 with the error printed otherwise.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/app/settings/RegistryBackend.h"
#include "tests/support/TestStart.h"

using namespace orvix;

namespace {

bool fromHex(const std::string& hex, std::vector<uint8_t>& data) {
    if (hex.size() % 2) return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        char* end = nullptr;
        std::string pair = hex.substr(i, 2);
        unsigned long b = std::strtoul(pair.c_str(), &end, 16);
        if (*end) return false;
        data.push_back(static_cast<uint8_t>(b));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    orvix::test::markStarted();
    std::string verb = argc > 2 ? argv[2] : "";
    if (!((verb == "set" && argc == 7) || (verb == "get" && argc == 5))) {
        std::fprintf(stderr, "usage: registry_helper LOCATION set KEY NAME TYPE HEX | get KEY NAME\n");
        return 2;
    }
    auto registry = test::makeRegistryAt(argv[1]);
    std::unique_ptr<RegKey> key;
    RegStatus s;
    if (verb == "set") {
        RegValue value;
        value.type = static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10));
        if (!fromHex(argv[6] == std::string("-") ? "" : argv[6], value.data)) return 2;
        s = registry->createKey(argv[3], key);
        if (s.ok()) s = key->set(argv[4], value);
    } else {
        RegValue value;
        s = registry->openKey(argv[3], key);
        if (s.ok()) s = key->query(argv[4], value);
        if (s.ok()) {
            std::printf("type=%u data=", static_cast<unsigned>(value.type));
            for (uint8_t b : value.data) std::printf("%02x", b);
            std::printf("\n");
        }
    }
    if (!s.ok()) {
        std::printf("error %u: %s\n", static_cast<unsigned>(s.code), s.message.c_str());
        return 1;
    }
    return 0;
}
