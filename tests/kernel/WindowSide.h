#pragma once
// The main window's part of the conversation (devChanged, devDataIn, sendNextKey) over the real
// connection and a receiver on /dev/uhid, with LinkStatus and the apply sequence driving it.

#include <functional>
#include <vector>

#include "keys/LinkStatus.h"
#include "keys/StatusReport.h"
#include "tests/kernel/KernelFixture.h"

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

class KernelWindowSide : public KernelConnection {
protected:
    // Connects, sends the status query on arrival as the window does, and waits for the link.
    void connectAsTheWindow() {
        connect();
        conn->setOnDevChange([this](bool on) {
            changes.push_back(on);
            if (on)
                conn->uSendA4(statusQuery);
            else
                link.removed();
        });
        conn->setOnDevDataIn([this](const TByteDynArray& d) {
            received.push_back(d);
            if (auto effect = link.onReport(d)) {
                if (onEffect) onEffect();
                perform(effect->step);
            }
        });
        ASSERT_TRUE(waitHeld(true));
        ASSERT_TRUE(loop.runUntil([&] { return link.linked(); }, kernelWait));
    }

    void perform(const ApplyStep& step) {
        gauge.insert(gauge.end(), step.progress.begin(), step.progress.end());
        if (step.send) sendResults.push_back(conn->uSendA4(*step.send));
        if (step.finished) finished = true;
    }

    LinkStatus link;
    std::vector<int> gauge;
    std::vector<bool> sendResults;  // each key write's result, in order
    bool finished = false;
    std::function<void()> onEffect;  // runs before a status report's effect is performed
};

}  // namespace orvix::test
