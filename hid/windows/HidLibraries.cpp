#include "hid/windows/HidLibraries.h"

namespace orvix::winhid {

BoundLibrary::~BoundLibrary() {
    if (module_) FreeLibrary(module_);
}

bool BoundLibrary::load(const wchar_t* fileName, std::initializer_list<Binding> bindings) {
    if (module_) return true;
    // A missing library must not stop the start with a dialog box.
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    HMODULE module = LoadLibraryW(fileName);
    SetErrorMode(previous);
    bool complete = module != nullptr;
    for (const Binding& b : bindings) {
        FARPROC proc = complete ? GetProcAddress(module, b.name) : nullptr;
        if (!proc) complete = false;
        b.assign(b.slot, proc);
    }
    if (!complete) {
        for (const Binding& b : bindings) b.assign(b.slot, nullptr);
        if (module) FreeLibrary(module);
        return false;
    }
    module_ = module;
    return true;
}

HidLibraries::HidLibraries() : hidGuid_(kHidInterfaceGuid) {
    using B = BoundLibrary;
    bool setupApi =
        setupApi_.load(L"SetupApi.dll", {B::bind("SetupDiGetClassDevsW", getClassDevs),
                                         B::bind("SetupDiEnumDeviceInterfaces", enumDeviceInterfaces),
                                         B::bind("SetupDiGetDeviceInterfaceDetailW", getDeviceInterfaceDetail),
                                         B::bind("SetupDiDestroyDeviceInfoList", destroyDeviceInfoList)});
    if (!setupApi) return;
    bool hid =
        hid_.load(L"HID.dll", {B::bind("HidD_GetHidGuid", getHidGuid), B::bind("HidD_GetAttributes", getAttributes),
                               B::bind("HidD_GetPreparsedData", getPreparsedData),
                               B::bind("HidD_FreePreparsedData", freePreparsedData), B::bind("HidP_GetCaps", getCaps)});
    if (hid) getHidGuid(&hidGuid_);
}

}  // namespace orvix::winhid
