#pragma once
// SetupApi.dll and HID.dll, loaded at run time so the program starts (and lists nothing) on a
// system without them.

#include <windows.h>
// windows.h first: these headers build on its types.
#include <hidsdi.h>
#include <setupapi.h>

#include <initializer_list>

namespace orvix::winhid {

// One library loaded at run time. It counts as loaded only when every bound function was found.
class BoundLibrary {
public:
    struct Binding {
        const char* name;
        void (*assign)(void* slot, FARPROC proc);
        void* slot;
    };

    // A binding that fills the function pointer `slot` with the library's function `name`.
    template <class F>
    static Binding bind(const char* name, F*& slot) {
        return {
            name,
            [](void* s, FARPROC proc) { *static_cast<F**>(s) = reinterpret_cast<F*>(reinterpret_cast<void*>(proc)); },
            &slot};
    }

    BoundLibrary() = default;
    BoundLibrary(const BoundLibrary&) = delete;
    BoundLibrary& operator=(const BoundLibrary&) = delete;
    ~BoundLibrary();

    // Loads the library without the system's file-error dialog and binds every function. When the
    // library or any function is missing, the library is released again, every slot is cleared
    // and the result is false.
    bool load(const wchar_t* fileName, std::initializer_list<Binding> bindings);
    bool loaded() const { return module_ != nullptr; }

private:
    HMODULE module_ = nullptr;
};

// The functions the device backend binds. Prototypes come from mingw-w64's headers.
class HidLibraries {
public:
    // HID.dll is loaded only when SetupApi.dll was.
    HidLibraries();

    // HID support is present: listing, attributes and capabilities work.
    bool usable() const { return hid_.loaded(); }
    // The HID interface class: from HidD_GetHidGuid, or GUID_DEVINTERFACE_HID when unusable.
    const GUID& hidGuid() const { return hidGuid_; }

    decltype(&::SetupDiGetClassDevsW) getClassDevs = nullptr;
    decltype(&::SetupDiEnumDeviceInterfaces) enumDeviceInterfaces = nullptr;
    decltype(&::SetupDiGetDeviceInterfaceDetailW) getDeviceInterfaceDetail = nullptr;
    decltype(&::SetupDiDestroyDeviceInfoList) destroyDeviceInfoList = nullptr;

    decltype(&::HidD_GetHidGuid) getHidGuid = nullptr;
    decltype(&::HidD_GetAttributes) getAttributes = nullptr;
    decltype(&::HidD_GetPreparsedData) getPreparsedData = nullptr;
    decltype(&::HidD_FreePreparsedData) freePreparsedData = nullptr;
    decltype(&::HidP_GetCaps) getCaps = nullptr;

private:
    BoundLibrary setupApi_;
    BoundLibrary hid_;
    GUID hidGuid_;
};

// {4D1E55B2-F16F-11CF-88CB-001111000030}
inline constexpr GUID kHidInterfaceGuid = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

}  // namespace orvix::winhid
