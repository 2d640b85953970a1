#include <cstdlib>
#include <cstring>

#include "hid/HidPlatform.h"
#include "hid/sim/SimHidPlatform.h"

namespace orvix {

std::unique_ptr<HidPlatform> makeNativeHidPlatform(EventLoop& loop);

std::unique_ptr<HidPlatform> makeHidPlatform(EventLoop& loop) {
    const char* choice = std::getenv("ORVIX_HID");
    if (choice && std::strcmp(choice, "sim") == 0) return makeSimHidPlatform(loop);
    return makeNativeHidPlatform(loop);
}

}  // namespace orvix
