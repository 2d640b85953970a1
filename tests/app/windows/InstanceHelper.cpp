// A second start for the single-instance tests:
//   instance_helper NAME second   as the program's second copy: prints "taken=T msg=N" and, when
//                                 the name was taken, broadcasts the wake request
//   instance_helper NAME probe    only prints "taken=T msg=N"

#include <cstdio>
#include <string>

#include "app/instance/windows/WindowsSingleInstance.h"
#include "tests/support/TestStart.h"

int main(int argc, char** argv) {
    orvix::test::markStarted();
    if (argc != 3) return 2;
    std::string mode = argv[2];
    orvix::WindowsSingleInstance instance(argv[1]);
    bool taken = instance.createMutex();
    unsigned msg = instance.registerWakeMessage();
    std::printf("taken=%d msg=%u\n", taken ? 1 : 0, msg);
    std::fflush(stdout);
    if (mode == "second" && taken) orvix::wakeFirstInstance(instance);
    return 0;
}
