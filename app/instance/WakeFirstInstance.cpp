#include "app/instance/SingleInstance.h"

namespace orvix {

bool activationTokenAcceptable(std::string_view token) {
    if (token.empty() || token.size() > kMaxActivationToken) return false;
    for (char c : token)
        if (c <= ' ' || c > '~') return false;
    return true;
}

void wakeFirstInstance(SingleInstance& instance, const char* activationToken) {
    uint32_t wakeMsg = instance.registerWakeMessage();
    // The results are not looked at: a start never waits for the first copy.
    if (activationToken && activationTokenAcceptable(activationToken))
        instance.broadcast({wakeMsg, kWakeSignature, kWakeToken, activationToken});
    instance.broadcast({wakeMsg, kWakeSignature, kWakeOpen});
}

}  // namespace orvix
