#pragma once
// What a test program does when it crashes outside GoogleTest's reach (another thread, start-up):
// it must end at once with a failing exit code, never hang in a dialog nor exit 0.

namespace orvix::test {

// Per platform: CrashReportPosix.cpp, CrashReportWindows.cpp.
void installCrashReport();

}  // namespace orvix::test
