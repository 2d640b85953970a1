#pragma once
// A test program proves it started: wine now and then ends a process before its main() runs, and
// only a program that never started may be run again (tests/support/wine-run, ChildProcess).

namespace orvix::test {

// Creates the file named by ORVIX_TEST_STARTED, if that is set. First thing in main().
void markStarted();

}  // namespace orvix::test
