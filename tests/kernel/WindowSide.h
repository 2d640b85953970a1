#pragma once
// The main window's part of the conversation over the real connection and a receiver on /dev/uhid,
// and what such a receiver takes from it.

#include "keys/StatusReport.h"
#include "tests/kernel/KernelFixture.h"
#include "tests/support/WindowSide.h"

namespace orvix::test {

// The five rows after RESET: device key index and function code (as the rows give it).
inline const KeyWrites resetRows{{{2, 0x0040}, {4, 0x0800}, {1, 0x0100}, {0, 0x0000}, {3, 0x4B10}}};

// A row's key write as the receiver takes it, report ID first.
inline Bytes keyWriteOutput(const KeyWrite& row) {
    Bytes out{0x04};
    for (uint8_t b : a4Frame(keyWriteArgument(row))) out.push_back(b);
    return out;
}
inline const Bytes statusQueryOutput{0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D};

class KernelWindowSide : public WindowSide<KernelConnection> {
protected:
    // Connects, sends the status query on arrival as the window does, and waits for the link.
    void connectAsTheWindow() {
        connect();
        actAsTheWindow();
        ASSERT_TRUE(waitHeld(true));
        ASSERT_TRUE(loop.runUntil([&] { return link.linked(); }, kernelWait));
    }
};

}  // namespace orvix::test
