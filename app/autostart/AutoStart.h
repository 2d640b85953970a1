#pragma once
// Where the program is registered to start with the user's logon: the value "QuanoOrvixMouse"
// under the user's Run key on Windows, an autostart desktop entry on Linux. Its presence alone
// means "start with the logon".

#include <memory>
#include <string>

#include "app/settings/Registry.h"

namespace orvix {

class AutoStart {
public:
    virtual ~AutoStart() = default;
    // False when the place that holds the entry cannot be opened: nothing is read or stored then.
    virtual bool open() = 0;
    virtual bool present() = 0;
    // Points the entry at the program; false with the reason when it cannot be stored.
    virtual bool write(const std::string& programPath, std::string& error) = 0;
    // A failure (the entry already gone, say) is of no consequence.
    virtual void remove() = 0;
};

// This platform's auto-start place; the registry is the user's (Windows keeps the Run key there).
std::unique_ptr<AutoStart> makeAutoStart(Registry& registry);

// The full path of the running program file, links resolved.
std::string currentProgramPath();

}  // namespace orvix
