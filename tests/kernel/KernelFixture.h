#pragma once
// A receiver on /dev/uhid and the project's receiver connection over the Linux backend, driven by
// the test loop: what the program does with a real receiver, minus the windows.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hid/HidPlatform.h"
#include "hidMain/ReceiverConnection.h"
#include "tests/hidMain/ConnectionFixture.h"
#include "tests/kernel/UhidReceiver.h"
#include "tests/support/TestLoop.h"

namespace orvix {
std::unique_ptr<HidPlatform> makeNativeHidPlatform(EventLoop& loop);
}

namespace orvix::test {

// Set in the child process that runs the query-only cases under an unprivileged user.
inline bool isQueryOnlyChild() { return std::getenv("ORVIX_KERNEL_CHILD") != nullptr; }

// Bounds every wait on the guest; TCG is slow but never this slow.
inline constexpr std::chrono::seconds kernelWait{10};

// The connection alone: what a process without access to /dev/uhid can run.
class KernelConnection : public ::testing::Test {
protected:
    void TearDown() override { conn.reset(); }

    void connect() {
        conn = std::make_unique<ReceiverConnection>(makeNativeHidPlatform(loop), loop, console);
        conn->setOnDevChange([this](bool on) { changes.push_back(on); });
        conn->setOnDevDataIn([this](const TByteDynArray& d) {
            received.push_back(d);
            receivedOn.push_back(std::this_thread::get_id());
        });
    }
    bool waitHeld(bool on) {
        return loop.runUntil([&] { return conn->devOn() == on; }, kernelWait);
    }
    bool waitReceived(size_t count) {
        return loop.runUntil([&] { return received.size() >= count; }, kernelWait);
    }
    std::string heldId() const { return conn->heldDevice() ? conn->heldDevice()->PnPInfo().DeviceID : ""; }
    THidDevice* listed(const std::string& deviceId) const {
        for (int i = 0; i < conn->chid.count(); ++i)
            if (conn->chid.device(i)->PnPInfo().DeviceID == deviceId) return conn->chid.device(i);
        return nullptr;
    }
    int linesStartingWith(const std::string& prefix) const {
        int n = 0;
        for (auto& line : console.lines) n += line.rfind(prefix, 0) == 0;
        return n;
    }

    TestLoop loop;
    RecordingConsole console;
    std::unique_ptr<ReceiverConnection> conn;
    std::vector<bool> changes;
    std::vector<TByteDynArray> received;
    std::vector<std::thread::id> receivedOn;
    const std::thread::id mainThread = std::this_thread::get_id();
};

// The connection and a receiver on /dev/uhid (not plugged in yet).
class KernelFixture : public KernelConnection {
protected:
    void SetUp() override { ASSERT_TRUE(receiver.ok()) << receiver.error(); }

    UhidReceiver receiver;  // TearDown ends the connection before the receiver goes
};

}  // namespace orvix::test
