#include <cstdlib>
#include <cstring>

#include "hid/HidPlatform.h"
#include "hid/sim/SimHidPlatform.h"

namespace orvix {

std::unique_ptr<HidPlatform> makeNativeHidPlatform(EventLoop& loop);

namespace {

bool simulated() {
    const char* choice = std::getenv("ORVIX_HID");
    return choice && std::strcmp(choice, "sim") == 0;
}

}  // namespace

std::string hidPlatformProblem() {
    if (!simulated()) return {};
    const char* layout = std::getenv("ORVIX_SIM_LAYOUT");
    return simLayoutProblem(layout ? layout : "");
}

std::unique_ptr<HidPlatform> makeHidPlatform(EventLoop& loop) {
    if (simulated()) return makeSimHidPlatform(loop);
    return makeNativeHidPlatform(loop);
}

}  // namespace orvix
