#include "app/instance/SingleInstance.h"

namespace orvix {

void wakeFirstInstance(SingleInstance& instance) {
    uint32_t wakeMsg = instance.registerWakeMessage();
    instance.broadcast({wakeMsg, kWakeSignature, kWakeOpen});  // the result is not looked at
}

}  // namespace orvix
