// Windows: the value "QuanoOrvixMouse" under the user's Run key.

#include <windows.h>

#include "app/autostart/AutoStart.h"
#include "app/settings/RegistryValues.h"
#include "core/windows/WinText.h"

namespace orvix {

namespace {

const char* const runKey = "SOFTWARE\\MicroSoft\\Windows\\CurrentVersion\\Run";
const char* const valueName = "QuanoOrvixMouse";

class RunKeyAutoStart final : public AutoStart {
public:
    explicit RunKeyAutoStart(Registry& registry) : registry_(registry) {}

    bool open() override { return registry_.openKey(runKey, key_).ok(); }

    bool present() override {
        RegValue value;
        return key_ && key_->query(valueName, value).ok();
    }

    bool write(const std::string& programPath, std::string& error) override {
        // A path with a blank is quoted: unquoted, Windows would try "C:\Program.exe" first.
        std::string command = programPath.find(' ') != std::string::npos ? "\"" + programPath + "\"" : programPath;
        RegStatus status =
            key_ ? key_->set(valueName, stringValue(command)) : RegStatus{RegStatus::Failed, 0, "not open"};
        if (!status.ok()) error = status.message;
        return status.ok();
    }

    void remove() override {
        if (key_) key_->remove(valueName);
    }

private:
    Registry& registry_;
    std::unique_ptr<RegKey> key_;
};

}  // namespace

std::unique_ptr<AutoStart> makeAutoStart(Registry& registry) { return std::make_unique<RunKeyAutoStart>(registry); }

std::string currentProgramPath() {
    wchar_t buffer[32768];
    DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    return n ? win::narrow(buffer, n) : std::string();
}

}  // namespace orvix
