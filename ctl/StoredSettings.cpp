#include "ctl/StoredSettings.h"

#include <iostream>

#include "app/RegistrySettings.h"
#include "app/autostart/AutoStart.h"
#include "hidMain/ReceiverConnection.h"

namespace orvix {

StoredSettings readStoredSettings() {
    StoredSettings s{"EN", ReceiverConnection::defaultVid, ReceiverConnection::defaultPid};
    StoredSettings read = s;
    std::string problem;
    try {
        makeUserSettings()->readConfig(read.lang, read.vid, read.pid, problem);
    } catch (const SettingsError& e) {
        problem = e.what();
    }
    if (!problem.empty()) {
        std::cerr << "orvixctl: the stored settings cannot be read (" << problem << "); using the defaults\n";
        return s;
    }
    return read;
}

std::string programFolder() {
    // Kept as UTF-8 text: a path object would read it in the ANSI code page on Windows.
    std::string path = currentProgramPath();
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace orvix
