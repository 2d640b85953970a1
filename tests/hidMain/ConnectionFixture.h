#pragma once
// A receiver connection over the scripted platform, with a console view that records its lines.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hidMain/ReceiverConnection.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/TestLoop.h"

namespace orvix::test {

class RecordingConsole final : public ConsoleView {
public:
    bool showing() const override { return shown; }
    void appendLine(const std::string& s) override { lines.push_back(s); }
    void setCaption(const std::string& s) override { caption = s; }
    void setAccessHint(const std::string& s) override { accessHint = s; }

    bool shown = true;
    std::vector<std::string> lines;
    std::string caption = "fmHid";
    std::string accessHint;
};

class ConnectionFixture : public ::testing::Test {
protected:
    // Builds the connection over the interfaces given; the first scan runs with settle().
    void create(const std::vector<FakeInterface>& interfaces, uint16_t vid = ReceiverConnection::defaultVid,
                uint16_t pid = ReceiverConnection::defaultPid) {
        auto platform = std::make_unique<FakeHidPlatform>(loop);
        fake = platform.get();
        for (auto& iface : interfaces) fake->plug(iface);
        conn = std::make_unique<ReceiverConnection>(std::move(platform), loop, console);
        conn->vid = vid;
        conn->pid = pid;
        conn->setOnDevChange([this](bool on) { changes.push_back(on); });
        conn->setOnDevDataIn([this](const TByteDynArray& d) { received.push_back(d); });
    }
    void settle() { loop.processPending(); }
    std::string heldId() const { return conn->heldDevice() ? conn->heldDevice()->PnPInfo().DeviceID : ""; }

    static FakeInterface receiver(const std::string& id, uint16_t vendor = 0x0E8F, uint16_t product = 0x00A6) {
        FakeInterface f{id};
        f.vendor = vendor;
        f.product = product;
        return f;
    }

    TestLoop loop;
    RecordingConsole console;
    FakeHidPlatform* fake = nullptr;
    std::unique_ptr<ReceiverConnection> conn;
    std::vector<bool> changes;
    std::vector<TByteDynArray> received;
};

}  // namespace orvix::test
