#include "hid/sim/SimHidPlatform.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <sstream>

#include "hid/ReportDescriptor.h"
#include "hid/sim/SimControlReader.h"

namespace orvix {

namespace {

using Clock = std::chrono::steady_clock;
using Report = std::vector<uint8_t>;

enum class Kind { Mouse, Config, Other };

// A keyboard of another make, for "unplug-other".
const std::vector<uint8_t>& otherKeyboardDescriptor() {
    static const std::vector<uint8_t> d{0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,
                                        0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x06,
                                        0x75, 0x08, 0x26, 0xFF, 0x00, 0x19, 0x00, 0x2A, 0xFF, 0x00, 0x81, 0x00, 0xC0};
    return d;
}

std::string hexLine(const char* direction, const Report& report) {
    std::string line = direction;
    char byte[4];
    for (uint8_t b : report) {
        std::snprintf(byte, sizeof byte, " %02X", b);
        line += byte;
    }
    return line;
}

}  // namespace

struct SimHidPlatform::State {
    struct Interface {
        std::string path;
        std::string deviceId;
        Kind kind = Kind::Config;
        uint16_t vendor = 0, product = 0, version = 0;
        bool present = true;
        std::deque<std::pair<Clock::time_point, Report>> input;  // reports the receiver sends
    };

    EventLoop& loop;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<Interface> interfaces;  // every interface ever made; the gone ones stay, not present
    int instance = 0;
    bool linked = true;
    int ackWrong = 0;
    int ackDrop = 0;
    int delayMs = 0;
    std::FILE* trace = nullptr;
    std::vector<std::string> record;
    Notify notify;  // main thread only
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    explicit State(EventLoop& l) : loop(l) {}

    Interface* find(const std::string& path) {
        for (auto& i : interfaces)
            if (i.path == path) return &i;
        return nullptr;
    }

    // The kernel numbers each new HID device; the sim does the same.
    void add(Kind kind) {
        ++instance;
        char id[48];
        uint16_t vendor = kind == Kind::Other ? 0x045E : 0x0E8F, product = kind == Kind::Other ? 0x0750 : 0x00A6;
        std::snprintf(id, sizeof id, "sim-0003:%04X:%04X.%04X", vendor, product, instance);
        const char* what = kind == Kind::Mouse ? "mouse" : kind == Kind::Config ? "config" : "other";
        Interface i;
        i.path = std::string("sim:/") + what + "/" + std::to_string(instance);
        i.deviceId = id;
        i.kind = kind;
        i.vendor = vendor;
        i.product = product;
        i.version = 0x0100;
        interfaces.push_back(std::move(i));
    }

    void log(const std::string& line) {
        record.push_back(line);
        if (trace) {
            std::fputs((line + "\n").c_str(), trace);
            std::fflush(trace);
        }
    }

    void send(Report report) {
        for (auto& i : interfaces) {
            if (i.kind != Kind::Config || !i.present) continue;
            i.input.emplace_back(Clock::now() + std::chrono::milliseconds(delayMs), std::move(report));
            changed.notify_all();
            return;
        }
    }

    // An output report taken by the configuration interface: answer A4 frames with a good checksum.
    void take(const Report& r) {
        log(hexLine("OUT", r));
        if (r[0] != 0x04 || r[1] != 0x02 || r[2] != 0x01 || r[3] != 0xA4) return;
        uint8_t a0 = r[4], a1 = r[5], a2 = r[6];
        if (static_cast<uint8_t>(0xA4 + a0 + a1 + a2 + r[7]) != 0) return;
        if (a0 == 0x1F && a1 == 0 && a2 == 0) {
            send({0x04, static_cast<uint8_t>(linked ? 0x80 : 0x81), 0, 0, 0, 0, 0, 0});
            return;
        }
        if (!linked) return;
        if (ackDrop > 0) {
            --ackDrop;
            return;
        }
        uint8_t index = a0;
        if (ackWrong > 0) {
            --ackWrong;
            index = static_cast<uint8_t>((a0 + 1) % 5);
        }
        send({0x04, 0x89, 0x00, index, 0, 0, 0, 0});
    }

    // Tells the controller, from the event loop, that the set of devices may have changed; then
    // runs `after` (under the lock) once the rescan has seen the change.
    void postChange(std::function<void(State&)> after = nullptr) {
        std::weak_ptr<bool> token = alive;
        loop.post([this, token, after] {
            auto a = token.lock();
            if (!a || !*a) return;
            if (notify) notify(0);
            if (after) {
                {
                    std::lock_guard lock(mutex);
                    after(*this);
                }
                postChange();
            }
        });
    }
};

namespace {

class SimPreparsed final : public HidPreparsedData {
public:
    explicit SimPreparsed(std::vector<uint8_t> d) : data_(std::move(d)) {}
    bool getCaps(HidCaps& caps) const override { return data_.getCaps(caps); }

private:
    DescriptorPreparsedData data_;
};

class SimSyncHandle final : public HidSyncHandle {
public:
    SimSyncHandle(std::shared_ptr<SimHidPlatform::State> s, std::string path, HidAccess access)
        : state_(std::move(s)), path_(std::move(path)), access_(access) {}

    bool getAttributes(HidAttributes& a) override {
        std::lock_guard lock(state_->mutex);
        auto* i = state_->find(path_);
        if (!i || !i->present) return false;
        a.VendorID = i->vendor;
        a.ProductID = i->product;
        a.VersionNumber = i->version;
        return true;
    }

    std::unique_ptr<HidPreparsedData> getPreparsedData() override {
        std::lock_guard lock(state_->mutex);
        auto* i = state_->find(path_);
        if (!i || !i->present) return nullptr;
        const auto& d = i->kind == Kind::Mouse    ? bootMouseDescriptor()
                        : i->kind == Kind::Config ? receiverConfigDescriptor()
                                                  : otherKeyboardDescriptor();
        return std::make_unique<SimPreparsed>(d);
    }

    bool write(const uint8_t* data, size_t size, size_t& written) override {
        written = 0;
        std::lock_guard lock(state_->mutex);
        auto* i = state_->find(path_);
        // Only the configuration interface has an output report: exactly 8 bytes.
        if (!i || !i->present || access_ != HidAccess::ReadWrite || i->kind != Kind::Config || size != 8) return false;
        state_->take(Report(data, data + size));
        written = size;
        return true;
    }

private:
    std::shared_ptr<SimHidPlatform::State> state_;
    std::string path_;
    HidAccess access_;
};

class SimReadHandle final : public HidReadHandle {
public:
    SimReadHandle(std::shared_ptr<SimHidPlatform::State> s, std::string path)
        : state_(std::move(s)), path_(std::move(path)) {}

    HidReadResult read(uint8_t* buffer, size_t size) override {
        std::unique_lock lock(state_->mutex);
        for (;;) {
            auto* i = state_->find(path_);
            if (stopped_) return {HidReadResult::Stopped};
            if (!i || !i->present) return {HidReadResult::Gone, 0, 1167};
            if (!i->input.empty()) {
                auto due = i->input.front().first;
                if (Clock::now() >= due) {
                    Report r = std::move(i->input.front().second);
                    i->input.pop_front();
                    state_->log(hexLine("IN", r));
                    size_t n = std::min(size, r.size());
                    std::memcpy(buffer, r.data(), n);
                    return {HidReadResult::Data, n, 0};
                }
                state_->changed.wait_until(lock, due);
            } else {
                state_->changed.wait(lock);  // no wake-ups until something happens
            }
        }
    }

    void stop() override {
        std::lock_guard lock(state_->mutex);
        stopped_ = true;
        state_->changed.notify_all();
    }

    void pause(uint32_t ms) override {
        std::unique_lock lock(state_->mutex);
        state_->changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopped_; });
    }

private:
    std::shared_ptr<SimHidPlatform::State> state_;
    std::string path_;
    bool stopped_ = false;
};

}  // namespace

SimHidPlatform::SimHidPlatform(EventLoop& loop, SimOptions options) : state_(std::make_shared<State>(loop)) {
    if (!options.tracePath.empty()) state_->trace = std::fopen(options.tracePath.c_str(), "a");
    state_->add(Kind::Mouse);
    state_->add(Kind::Config);
    if (!options.controlPath.empty())
        control_ = std::make_unique<ControlReader>(options.controlPath, [this](const std::string& line) { command(line); });
}

SimHidPlatform::~SimHidPlatform() {
    control_.reset();
    std::lock_guard lock(state_->mutex);
    *state_->alive = false;
    if (state_->trace) std::fclose(state_->trace);
    state_->trace = nullptr;
    state_->changed.notify_all();
}

void SimHidPlatform::command(const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    int n = 0;
    words >> verb;
    bool hasNumber = static_cast<bool>(words >> n) && n >= 0;
    std::lock_guard lock(state_->mutex);
    State& s = *state_;
    if (verb == "unplug") {
        bool any = false;
        for (auto& i : s.interfaces) {
            if (i.kind == Kind::Other || !i.present) continue;
            i.present = false;
            any = true;
        }
        s.changed.notify_all();
        if (any) s.postChange();
    } else if (verb == "plug") {
        bool present = false;
        for (auto& i : s.interfaces) present |= i.kind == Kind::Config && i.present;
        if (present) return;
        s.add(Kind::Mouse);
        s.add(Kind::Config);
        s.postChange();
    } else if (verb == "unplug-other") {
        s.add(Kind::Other);
        std::string path = s.interfaces.back().path;
        s.postChange([path](State& st) {
            if (auto* i = st.find(path)) i->present = false;
        });
    } else if (verb == "link" || verb == "unlink") {
        s.linked = verb == "link";
        s.send({0x04, static_cast<uint8_t>(s.linked ? 0x80 : 0x81), 0, 0, 0, 0, 0, 0});
    } else if (verb == "ack-wrong" && hasNumber) {
        s.ackWrong = n;
    } else if (verb == "ack-drop" && hasNumber) {
        s.ackDrop = n;
    } else if (verb == "delay" && hasNumber) {
        s.delayMs = n;
    }
}

std::vector<std::string> SimHidPlatform::record() const {
    std::lock_guard lock(state_->mutex);
    return state_->record;
}

std::vector<HidInterfaceEntry> SimHidPlatform::scanInterfaces() {
    std::lock_guard lock(state_->mutex);
    std::vector<HidInterfaceEntry> found;
    for (auto& i : state_->interfaces)
        if (i.present) found.push_back({i.path, i.deviceId});
    return found;
}

std::unique_ptr<HidSyncHandle> SimHidPlatform::openSync(const std::string& path, HidAccess access, uint32_t& error) {
    std::lock_guard lock(state_->mutex);
    auto* i = state_->find(path);
    if (!i || !i->present) {
        error = 2;  // not found
        return nullptr;
    }
    return std::make_unique<SimSyncHandle>(state_, path, access);
}

std::unique_ptr<HidReadHandle> SimHidPlatform::openRead(const std::string& path, uint32_t& error) {
    std::lock_guard lock(state_->mutex);
    auto* i = state_->find(path);
    if (!i || !i->present) {
        error = 2;
        return nullptr;
    }
    return std::make_unique<SimReadHandle>(state_, path);
}

void SimHidPlatform::startNotifications(Notify notify) {
    state_->notify = std::move(notify);
    std::weak_ptr<bool> token = state_->alive;
    State* s = state_.get();
    s->loop.post([s, token] {
        auto a = token.lock();
        if (a && *a && s->notify) s->notify(-1);
    });
}

void SimHidPlatform::stopNotifications() { state_->notify = nullptr; }

std::unique_ptr<HidPlatform> makeSimHidPlatform(EventLoop& loop) {
    SimOptions options;
    if (const char* trace = std::getenv("ORVIX_SIM_TRACE")) options.tracePath = trace;
    if (const char* control = std::getenv("ORVIX_SIM_CONTROL")) options.controlPath = control;
    return std::make_unique<SimHidPlatform>(loop, std::move(options));
}

}  // namespace orvix
