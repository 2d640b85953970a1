#pragma once
// The main window's part of the conversation with a receiver (TfmMain's devChanged, devDataIn and
// sendNextKey) over a fixture's ReceiverConnection: the status query on arrival, every report fed
// to LinkStatus, and the apply sequence's steps performed as the window performs them. Fixture is
// anything with a `conn` and the `changes` and `received` records.

#include <functional>
#include <vector>

#include "keys/LinkStatus.h"
#include "keys/StatusReport.h"

namespace orvix::test {

template <class Fixture>
class WindowSide : public Fixture {
protected:
    // Replaces the fixture's recording callbacks with the window's (they still record).
    void actAsTheWindow() {
        this->conn->setOnDevChange([this](bool on) {
            this->changes.push_back(on);
            if (on)
                this->conn->uSendA4(statusQuery);
            else
                link.removed();
        });
        this->conn->setOnDevDataIn([this](const TByteDynArray& d) {
            this->received.push_back(d);
            if (auto effect = link.onReport(d)) {
                if (onEffect) onEffect();
                perform(effect->step);
            }
        });
    }

    void perform(const ApplyStep& step) {
        gauge.insert(gauge.end(), step.progress.begin(), step.progress.end());
        if (step.send) sendResults.push_back(this->conn->uSendA4(*step.send));
        if (step.finished) finished = true;
    }

    LinkStatus link;
    std::vector<int> gauge;
    std::vector<bool> sendResults;  // each key write's result, in order
    bool finished = false;
    std::function<void()> onEffect;  // runs before a status report's effect is performed
};

}  // namespace orvix::test
