#include "tests/support/FakeHidPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace orvix::test {

namespace {

struct Queued {
    std::vector<uint8_t> report;
    uint32_t error = 0;  // non-zero: a failed read
};

}  // namespace

struct FakeHidPlatform::Shared {
    struct Entry {
        FakeInterface iface;
        bool present = true;
        std::deque<Queued> queue;
        std::vector<std::vector<uint8_t>> writes;
        int vanishAt = 0;  // see vanishAtWrite
        bool vanishTaken = false;
    };
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> order;
    std::map<std::string, Entry> entries;
    int openReads = 0;
    int readCalls = 0;
    int readOpens = 0;
    std::vector<std::string> waitedOpens;

    Entry* find(const std::string& deviceId) {
        auto it = entries.find(deviceId);
        return it == entries.end() ? nullptr : &it->second;
    }
};

namespace {

std::string idOfPath(const std::string& path) { return path.rfind("fake:", 0) == 0 ? path.substr(5) : ""; }

class FakePreparsed final : public HidPreparsedData {
public:
    explicit FakePreparsed(HidCaps caps) : caps_(caps) {}
    bool getCaps(HidCaps& caps) const override {
        caps = caps_;
        return true;
    }

private:
    HidCaps caps_;
};

class FakeReadHandle final : public HidReadHandle {
public:
    FakeReadHandle(std::shared_ptr<FakeHidPlatform::Shared> shared, std::string deviceId)
        : shared_(std::move(shared)), deviceId_(std::move(deviceId)) {
        std::lock_guard lock(shared_->mutex);
        ++shared_->openReads;
    }
    ~FakeReadHandle() override {
        std::lock_guard lock(shared_->mutex);
        --shared_->openReads;
    }

    HidReadResult read(uint8_t* buffer, size_t size) override {
        std::unique_lock lock(shared_->mutex);
        ++shared_->readCalls;
        auto* e = shared_->find(deviceId_);
        shared_->changed.wait(lock, [&] { return stopped_ || !e->present || !e->queue.empty(); });
        if (stopped_) return {HidReadResult::Stopped};
        if (!e->queue.empty()) {
            Queued q = std::move(e->queue.front());
            e->queue.pop_front();
            if (q.error) return {HidReadResult::Failed, 0, q.error};
            size_t n = std::min(size, q.report.size());
            if (n) std::memcpy(buffer, q.report.data(), n);  // an empty report has no data to copy from
            return {HidReadResult::Data, n, 0};
        }
        return {HidReadResult::Gone, 0, 1167};
    }

    void stop() override {
        std::lock_guard lock(shared_->mutex);
        stopped_ = true;
        shared_->changed.notify_all();
    }

    void pause(uint32_t milliseconds) override {
        std::unique_lock lock(shared_->mutex);
        shared_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return stopped_; });
    }

private:
    std::shared_ptr<FakeHidPlatform::Shared> shared_;
    std::string deviceId_;
    bool stopped_ = false;
};

}  // namespace

class FakeSyncHandle final : public HidSyncHandle {
public:
    FakeSyncHandle(FakeHidPlatform& platform, std::string deviceId, HidAccess access)
        : platform_(platform), deviceId_(std::move(deviceId)), access_(access) {
        ++platform_.openSync_;
    }
    ~FakeSyncHandle() override { --platform_.openSync_; }

    bool getAttributes(HidAttributes& attributes) override {
        std::lock_guard lock(platform_.shared_->mutex);
        auto* e = platform_.shared_->find(deviceId_);
        if (!e || !e->iface.identifiable) return false;
        attributes.VendorID = e->iface.vendor;
        attributes.ProductID = e->iface.product;
        attributes.VersionNumber = e->iface.version;
        return true;
    }

    std::unique_ptr<HidPreparsedData> getPreparsedData() override {
        std::lock_guard lock(platform_.shared_->mutex);
        auto* e = platform_.shared_->find(deviceId_);
        if (!e || !e->present) return nullptr;
        HidCaps caps;
        caps.InputReportByteLength = e->iface.inputLength;
        caps.OutputReportByteLength = e->iface.outputLength;
        return std::make_unique<FakePreparsed>(caps);
    }

    bool write(const uint8_t* data, size_t size, size_t& written) override {
        bool taken = false;
        {
            std::lock_guard lock(platform_.shared_->mutex);
            auto* e = platform_.shared_->find(deviceId_);
            if (!e || !e->present || !allowsWriting(access_) || platform_.failWrites_) return false;
            bool vanish = e->vanishAt > 0 && --e->vanishAt == 0;
            if (!vanish || e->vanishTaken) {
                e->writes.emplace_back(data, data + size);
                written = platform_.shortWrites_ && size > 0 ? size - 1 : size;
                taken = true;
            }
            if (!vanish) return true;
        }
        platform_.unplug(deviceId_);
        platform_.postChange();
        return taken;
    }

private:
    FakeHidPlatform& platform_;
    std::string deviceId_;
    HidAccess access_;
};

FakeHidPlatform::FakeHidPlatform(EventLoop& loop) : loop_(loop), shared_(std::make_shared<Shared>()) {}

FakeHidPlatform::~FakeHidPlatform() { *alive_ = false; }

void FakeHidPlatform::plug(FakeInterface iface) {
    std::lock_guard lock(shared_->mutex);
    shared_->order.push_back(iface.deviceId);
    Shared::Entry entry;
    entry.iface = iface;
    shared_->entries[iface.deviceId] = std::move(entry);
}

void FakeHidPlatform::unplug(const std::string& deviceId) {
    std::lock_guard lock(shared_->mutex);
    if (auto* e = shared_->find(deviceId)) e->present = false;
    shared_->order.erase(std::remove(shared_->order.begin(), shared_->order.end(), deviceId), shared_->order.end());
    shared_->changed.notify_all();
}

void FakeHidPlatform::vanishAtWrite(const std::string& deviceId, int count, bool taken) {
    std::lock_guard lock(shared_->mutex);
    if (auto* e = shared_->find(deviceId)) {
        e->vanishAt = count;
        e->vanishTaken = taken;
    }
}

void FakeHidPlatform::pushReport(const std::string& deviceId, std::vector<uint8_t> report) {
    std::lock_guard lock(shared_->mutex);
    if (auto* e = shared_->find(deviceId)) e->queue.push_back({std::move(report), 0});
    shared_->changed.notify_all();
}

void FakeHidPlatform::pushReadError(const std::string& deviceId, uint32_t error) {
    std::lock_guard lock(shared_->mutex);
    if (auto* e = shared_->find(deviceId)) e->queue.push_back({{}, error});
    shared_->changed.notify_all();
}

void FakeHidPlatform::setReadOpenError(const std::string& deviceId, uint32_t error) {
    std::lock_guard lock(shared_->mutex);
    if (auto* e = shared_->find(deviceId)) e->iface.readOpenError = error;
}

int FakeHidPlatform::readOpens() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->readOpens;
}

std::vector<std::string> FakeHidPlatform::waitedOpens() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->waitedOpens;
}

void FakeHidPlatform::postChange(int32_t trigger) {
    loop_.post([this, alive = alive_, trigger] {
        if (*alive && notify_) notify_(trigger);
    });
}

int FakeHidPlatform::openReadHandles() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->openReads;
}

int FakeHidPlatform::readCalls() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->readCalls;
}

size_t FakeHidPlatform::queued(const std::string& deviceId) const {
    std::lock_guard lock(shared_->mutex);
    auto* e = shared_->find(deviceId);
    return e ? e->queue.size() : 0;
}

std::vector<std::vector<uint8_t>> FakeHidPlatform::writes(const std::string& deviceId) const {
    std::lock_guard lock(shared_->mutex);
    auto* e = shared_->find(deviceId);
    return e ? e->writes : std::vector<std::vector<uint8_t>>{};
}

std::vector<THidPnPInfo> FakeHidPlatform::scanInterfaces() {
    std::lock_guard lock(shared_->mutex);
    std::vector<THidPnPInfo> found;
    for (auto& id : shared_->order) found.push_back({pathOf(id), id});
    return found;
}

std::unique_ptr<HidSyncHandle> FakeHidPlatform::openSync(const std::string& path, HidAccess access, uint32_t& error) {
    std::string id = idOfPath(path);
    {
        std::lock_guard lock(shared_->mutex);
        auto* e = shared_->find(id);
        if (!e || !e->present || !e->iface.openable) {
            error = 2;
            return nullptr;
        }
        if (access == HidAccess::ReadWriteWhenGranted) {
            shared_->waitedOpens.push_back(id);
            if (e->iface.grantedOnWait) e->iface.readWrite = true;
        }
        if (allowsWriting(access) && !e->iface.readWrite) {
            error = 5;
            return nullptr;
        }
    }
    return std::make_unique<FakeSyncHandle>(*this, id, access);
}

std::unique_ptr<HidReadHandle> FakeHidPlatform::openRead(const std::string& path, uint32_t& error) {
    std::string id = idOfPath(path);
    {
        std::lock_guard lock(shared_->mutex);
        ++shared_->readOpens;
        auto* e = shared_->find(id);
        if (!e || !e->present || !e->iface.readWrite) {
            error = 5;
            return nullptr;
        }
        if (e->iface.readOpenError) {
            error = e->iface.readOpenError;
            return nullptr;
        }
    }
    return std::make_unique<FakeReadHandle>(shared_, id);
}

void FakeHidPlatform::startNotifications(Notify notify) {
    notify_ = std::move(notify);
    postChange(-1);
}

void FakeHidPlatform::stopNotifications() { notify_ = nullptr; }

std::string FakeHidPlatform::writeAccessHint(const HidAttributes& attributes) const {
    char hint[40];
    std::snprintf(hint, sizeof hint, "write access for %04X:%04X", unsigned{attributes.VendorID},
                  unsigned{attributes.ProductID});
    return hint;
}

}  // namespace orvix::test
