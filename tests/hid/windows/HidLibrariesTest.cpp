// Loading the HID libraries at run time: all or nothing, and never a dialog box.

#include <gtest/gtest.h>

#include <cstring>

#include "hid/windows/HidLibraries.h"

namespace orvix::winhid {
namespace {

using CreateFileWFn = decltype(&::CreateFileW);
using GetTickCountFn = decltype(&::GetTickCount);

TEST(BoundLibrary, BindsEveryFunctionWhenAllArePresent) {
    BoundLibrary lib;
    CreateFileWFn createFile = nullptr;
    GetTickCountFn tickCount = nullptr;
    ASSERT_TRUE(lib.load(L"kernel32.dll", {BoundLibrary::bind("CreateFileW", createFile),
                                           BoundLibrary::bind("GetTickCount", tickCount)}));
    EXPECT_TRUE(lib.loaded());
    EXPECT_EQ(createFile, &::CreateFileW);
    ASSERT_NE(tickCount, nullptr);
    EXPECT_GT(tickCount(), 0u);
}

TEST(BoundLibrary, OneMissingFunctionLeavesTheLibraryUnloadedAndEverySlotEmpty) {
    BoundLibrary lib;
    CreateFileWFn createFile = nullptr;
    GetTickCountFn missing = nullptr;
    EXPECT_FALSE(lib.load(L"kernel32.dll", {BoundLibrary::bind("CreateFileW", createFile),
                                            BoundLibrary::bind("NoSuchFunctionAnywhere", missing)}));
    EXPECT_FALSE(lib.loaded());
    EXPECT_EQ(createFile, nullptr);  // not half bound
    EXPECT_EQ(missing, nullptr);
}

TEST(BoundLibrary, AMissingLibraryFailsAtOnceWithoutADialog) {
    UINT before = GetErrorMode();
    BoundLibrary lib;
    GetTickCountFn fn = nullptr;
    EXPECT_FALSE(lib.load(L"NoSuchLibrary-orvix.dll", {BoundLibrary::bind("GetTickCount", fn)}));
    EXPECT_FALSE(lib.loaded());
    EXPECT_EQ(fn, nullptr);
    EXPECT_EQ(GetErrorMode(), before);  // the dialog suppression was only around the load
}

TEST(HidLibraries, WineHasHidSupportAndItsGuidIsTheHidInterfaceClass) {
    HidLibraries libs;
    ASSERT_TRUE(libs.usable());
    EXPECT_EQ(std::memcmp(&libs.hidGuid(), &kHidInterfaceGuid, sizeof(GUID)), 0);
    for (void* fn : {reinterpret_cast<void*>(libs.getClassDevs), reinterpret_cast<void*>(libs.getAttributes),
                     reinterpret_cast<void*>(libs.getCaps), reinterpret_cast<void*>(libs.freePreparsedData)})
        EXPECT_NE(fn, nullptr);
}

}  // namespace
}  // namespace orvix::winhid
