#pragma once
// The handles the simulated platform opens: thin views on the shared bus.

#include <memory>
#include <string>

#include "hid/HidPlatform.h"
#include "hid/sim/SimBus.h"

namespace orvix::sim {

class SimSyncHandle final : public HidSyncHandle {
public:
    SimSyncHandle(std::shared_ptr<SimBus> bus, std::string path, HidAccess access);

    bool getAttributes(HidAttributes& attributes) override;
    std::unique_ptr<HidPreparsedData> getPreparsedData() override;
    bool write(const uint8_t* data, size_t size, size_t& written) override;

private:
    std::shared_ptr<SimBus> bus_;
    std::string path_;
    HidAccess access_;
};

class SimReadHandle final : public HidReadHandle {
public:
    SimReadHandle(std::shared_ptr<SimBus> bus, std::shared_ptr<ReadQueue> queue);
    ~SimReadHandle() override;

    HidReadResult read(uint8_t* buffer, size_t size) override;
    void stop() override;
    void pause(uint32_t milliseconds) override;

private:
    std::shared_ptr<SimBus> bus_;
    std::shared_ptr<ReadQueue> queue_;
};

}  // namespace orvix::sim
