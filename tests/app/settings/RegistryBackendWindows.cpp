#include <windows.h>

#include <atomic>
#include <string>

#include "app/settings/windows/WindowsRegistry.h"
#include "tests/app/settings/RegistryBackend.h"

namespace orvix::test {

namespace {

// Tests running at the same time share wine's registry: each gets a key named after its process.
class OwnKeyBackend final : public RegistryBackend {
public:
    OwnKeyBackend() {
        static std::atomic<int> counter{0};
        base_ = "software\\OrvixTest\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    }
    ~OwnKeyBackend() override {
        std::wstring base(base_.begin(), base_.end());  // ASCII
        RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, base.c_str());
    }
    Registry& registry() override { return registry_; }
    std::string keyPath(const std::string& leaf) const override { return base_ + "\\" + leaf; }
    std::string location() const override { return "HKCU"; }

private:
    std::string base_;
    WindowsRegistry registry_;
};

}  // namespace

std::unique_ptr<RegistryBackend> makeRegistryBackend() { return std::make_unique<OwnKeyBackend>(); }

std::unique_ptr<Registry> makeRegistryAt(const std::string&) { return std::make_unique<WindowsRegistry>(); }

}  // namespace orvix::test
