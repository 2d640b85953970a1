#pragma once
// The device handles of the Windows backend: a synchronous one for the queries and writes, an
// overlapped one for the reader thread.

#include <memory>
#include <string>

#include "core/windows/WinText.h"
#include "hid/HidPlatform.h"
#include "hid/windows/HidLibraries.h"

namespace orvix::winhid {

using win::narrow;
using win::widen;

// A read that fails with one of these codes will never succeed again: the device has gone.
bool isGoneError(DWORD error);

// CreateFileW without overlapped I/O: read/write, or access 0 for the queries only.
std::unique_ptr<HidSyncHandle> openSyncHandle(std::shared_ptr<const HidLibraries> libs, const std::string& path,
                                              HidAccess access, uint32_t& error);
// CreateFileW for reading with FILE_FLAG_OVERLAPPED.
std::unique_ptr<HidReadHandle> openReadHandle(const std::string& path, uint32_t& error);

}  // namespace orvix::winhid
