#include "keys/ApplySequence.h"

namespace orvix {

uint32_t keyWriteArgument(const KeyWrite& write) {
    return static_cast<uint32_t>(write.keyIndex) + static_cast<uint32_t>(write.code) * 256u;
}

ApplyStep ApplySequence::start(const KeyWrites& writes) {
    uSetKeys = writes;
    uSetStep = 0;
    uSetting = true;
    ApplyStep step;
    step.progress.push_back(0);
    return sendNextKey(std::move(step));
}

ApplyStep ApplySequence::acknowledge(int keyIndex) {
    if (!uSetting) return {};
    // An acknowledgement naming another key writes the current row again.
    if (uSetKeys[static_cast<size_t>(uSetStep)].keyIndex == keyIndex) ++uSetStep;
    return sendNextKey({});
}

ApplyStep ApplySequence::sendNextKey(ApplyStep step) {
    // Rows without a valid code are passed over, each showing its value for the moment of its step;
    // there is no timer: the next step waits for the receiver's acknowledgement.
    for (;;) {
        if (uSetStep < 0 || uSetStep > 4) {
            uSetting = false;
            step.finished = true;
            return step;
        }
        step.progress.push_back(uSetStep * 20 + 10);
        const KeyWrite& write = uSetKeys[static_cast<size_t>(uSetStep)];
        if (write.code < 0) {
            ++uSetStep;
            continue;
        }
        step.send = keyWriteArgument(write);
        return step;
    }
}

}  // namespace orvix
