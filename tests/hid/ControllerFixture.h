#pragma once
// A controller over the scripted platform, with every event it raises written down in order.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hid/HidDeviceController.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/TestLoop.h"

namespace orvix::test {

class ControllerFixture : public ::testing::Test {
protected:
    void TearDown() override {
        if (held) chid->CheckIn(held);
        chid.reset();
    }

    // Builds the controller over the devices plugged so far; the first scan is only posted.
    void create(THidDeviceController::Events events) {
        auto platform = std::make_unique<FakeHidPlatform>(loop);
        fake = platform.get();
        for (auto& iface : pending) fake->plug(iface);
        pending.clear();
        chid = std::make_unique<THidDeviceController>(std::move(platform), loop, std::move(events));
    }
    void create() { create(recordingEvents()); }

    THidDeviceController::Events recordingEvents() {
        THidDeviceController::Events events;
        events.OnDeviceChange = [this](THidDeviceController&) { log.push_back("change"); };
        events.OnDeviceUnplug = [this](THidDevice& d) { log.push_back("unplug " + d.PnPInfo().DeviceID); };
        events.OnDeviceData = [this](THidDevice&, uint8_t id, const uint8_t* data, uint16_t size) {
            data_.push_back({id, std::vector<uint8_t>(data, data + size)});
        };
        return events;
    }

    void plug(const std::string& id, FakeInterface iface = {}) {
        iface.deviceId = id;
        if (fake)
            fake->plug(iface);
        else
            pending.push_back(iface);
    }

    // Runs what the loop holds now (the posted scans among it).
    void settle() { loop.processPending(); }

    // The listed devices' identities, a gone one marked with "!".
    std::vector<std::string> listed() const {
        std::vector<std::string> ids;
        for (int i = 0; i < chid->count(); ++i) {
            THidDevice* d = chid->device(i);
            ids.push_back(d->PnPInfo().DeviceID + (d->IsPluggedIn() ? "" : "!"));
        }
        return ids;
    }

    int indexOf(const std::string& id) const {
        for (int i = 0; i < chid->count(); ++i)
            if (chid->device(i)->PnPInfo().DeviceID == id) return i;
        return -1;
    }

    struct Delivered {
        uint8_t reportId;
        std::vector<uint8_t> data;
    };

    TestLoop loop;
    FakeHidPlatform* fake = nullptr;
    std::vector<FakeInterface> pending;
    std::unique_ptr<THidDeviceController> chid;
    std::vector<std::string> log;
    std::vector<Delivered> data_;
    THidDevice* held = nullptr;
};

}  // namespace orvix::test
