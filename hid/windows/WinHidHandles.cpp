#include "hid/windows/WinHidHandles.h"

namespace orvix::winhid {

namespace {

// Frees the preparsed data with the library that made it; the library stays loaded meanwhile.
class WinPreparsedData final : public HidPreparsedData {
public:
    WinPreparsedData(std::shared_ptr<const HidLibraries> libs, PHIDP_PREPARSED_DATA data)
        : libs_(std::move(libs)), data_(data) {}
    ~WinPreparsedData() override { libs_->freePreparsedData(data_); }

    bool getCaps(HidCaps& caps) const override {
        HIDP_CAPS c{};
        if (libs_->getCaps(data_, &c) != HIDP_STATUS_SUCCESS) return false;
        caps.Usage = c.Usage;
        caps.UsagePage = c.UsagePage;
        caps.InputReportByteLength = c.InputReportByteLength;
        caps.OutputReportByteLength = c.OutputReportByteLength;
        caps.FeatureReportByteLength = c.FeatureReportByteLength;
        return true;
    }

private:
    std::shared_ptr<const HidLibraries> libs_;
    PHIDP_PREPARSED_DATA data_;
};

class WinSyncHandle final : public HidSyncHandle {
public:
    WinSyncHandle(std::shared_ptr<const HidLibraries> libs, HANDLE file) : libs_(std::move(libs)), file_(file) {}
    ~WinSyncHandle() override { CloseHandle(file_); }

    bool getAttributes(HidAttributes& attributes) override {
        HIDD_ATTRIBUTES a{};
        a.Size = sizeof a;
        if (!libs_->getAttributes(file_, &a)) return false;
        attributes.Size = a.Size;
        attributes.VendorID = a.VendorID;
        attributes.ProductID = a.ProductID;
        attributes.VersionNumber = a.VersionNumber;
        return true;
    }

    std::unique_ptr<HidPreparsedData> getPreparsedData() override {
        PHIDP_PREPARSED_DATA data = nullptr;
        if (!libs_->getPreparsedData(file_, &data)) return nullptr;
        return std::make_unique<WinPreparsedData>(libs_, data);
    }

    // Not overlapped: returns when the HID driver has taken the report.
    bool write(const uint8_t* data, size_t size, size_t& written) override {
        DWORD n = 0;
        BOOL ok = WriteFile(file_, data, static_cast<DWORD>(size), &n, nullptr);
        written = n;
        return ok != FALSE;
    }

private:
    std::shared_ptr<const HidLibraries> libs_;
    HANDLE file_;
};

// One overlapped read at a time; the reader waits on its completion and the stop event together,
// so an idle held device costs no wake-ups.
class WinReadHandle final : public HidReadHandle {
public:
    WinReadHandle(HANDLE file, HANDLE readDone, HANDLE stop) : file_(file), readDone_(readDone), stop_(stop) {}
    ~WinReadHandle() override {
        CloseHandle(file_);
        CloseHandle(readDone_);
        CloseHandle(stop_);
    }

    HidReadResult read(uint8_t* buffer, size_t size) override {
        if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return {HidReadResult::Stopped};
        OVERLAPPED ov{};
        ov.hEvent = readDone_;
        ResetEvent(readDone_);
        DWORD n = 0;
        if (!ReadFile(file_, buffer, static_cast<DWORD>(size), nullptr, &ov)) {
            DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) return failed(error);
            HANDLE waits[2] = {readDone_, stop_};
            DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (woke != WAIT_OBJECT_0) {
                DWORD waitError = woke == WAIT_FAILED ? GetLastError() : 0;
                // The buffer is the caller's: the cancelled read must have finished before we return.
                CancelIo(file_);
                GetOverlappedResult(file_, &ov, &n, TRUE);
                if (woke == WAIT_OBJECT_0 + 1) return {HidReadResult::Stopped};
                return {HidReadResult::Failed, 0, waitError};
            }
        }
        if (!GetOverlappedResult(file_, &ov, &n, FALSE)) return failed(GetLastError());
        return {HidReadResult::Data, n};
    }

    void stop() override { SetEvent(stop_); }

    void pause(uint32_t milliseconds) override { WaitForSingleObject(stop_, milliseconds); }

private:
    static HidReadResult failed(DWORD error) {
        return {isGoneError(error) ? HidReadResult::Gone : HidReadResult::Failed, 0, error};
    }

    HANDLE file_;
    HANDLE readDone_;  // manual reset, set by the driver when the pending read completes
    HANDLE stop_;      // manual reset: once stopped, every later read returns Stopped
};

HANDLE openFile(const std::string& path, DWORD access, DWORD flags) {
    return CreateFileW(widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                       nullptr);
}

}  // namespace

bool isGoneError(DWORD error) {
    constexpr DWORD kNoSuchDevice = 433;  // ERROR_NO_SUCH_DEVICE; not in mingw-w64's winerror.h
    switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:  // the usual answer for an unplugged HID device
    case kNoSuchDevice:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_COMMAND:  // some drivers answer this once their device is removed
        return true;
    default: return false;
    }
}

std::unique_ptr<HidSyncHandle> openSyncHandle(std::shared_ptr<const HidLibraries> libs, const std::string& path,
                                              HidAccess access, uint32_t& error) {
    DWORD rights = allowsWriting(access) ? GENERIC_READ | GENERIC_WRITE : 0;
    HANDLE file = openFile(path, rights, 0);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    return std::make_unique<WinSyncHandle>(std::move(libs), file);
}

std::unique_ptr<HidReadHandle> openReadHandle(const std::string& path, uint32_t& error) {
    HANDLE file = openFile(path, GENERIC_READ, FILE_FLAG_OVERLAPPED);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    HANDLE readDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!readDone || !stop) {
        error = GetLastError();
        if (readDone) CloseHandle(readDone);
        if (stop) CloseHandle(stop);
        CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<WinReadHandle>(file, readDone, stop);
}

}  // namespace orvix::winhid
