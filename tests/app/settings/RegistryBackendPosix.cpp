#include <stdlib.h>

#include <filesystem>

#include "app/settings/linux/FileRegistry.h"
#include "tests/app/settings/RegistryBackend.h"

namespace orvix::test {

namespace {

class TempFolderBackend final : public RegistryBackend {
public:
    TempFolderBackend() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvix-registry-XXXXXX").string();
        if (mkdtemp(pattern.data())) root_ = pattern;
        registry_ = std::make_unique<FileRegistry>(root_);
    }
    ~TempFolderBackend() override {
        std::error_code ec;
        if (!root_.empty()) std::filesystem::remove_all(root_, ec);
    }
    Registry& registry() override { return *registry_; }
    std::string keyPath(const std::string& leaf) const override { return "software\\OrvixTest\\" + leaf; }
    std::string location() const override { return root_.string(); }

private:
    std::filesystem::path root_;
    std::unique_ptr<Registry> registry_;
};

}  // namespace

std::unique_ptr<RegistryBackend> makeRegistryBackend() { return std::make_unique<TempFolderBackend>(); }

std::unique_ptr<Registry> makeRegistryAt(const std::string& location) {
    return std::make_unique<FileRegistry>(location);
}

}  // namespace orvix::test
