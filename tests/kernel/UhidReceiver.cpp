#include "tests/kernel/UhidReceiver.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uhid.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hid/ReportDescriptor.h"

namespace orvix::test {

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The HID device whose uevent carries HID_UNIQ=uniq, with its hidraw node, once both exist.
bool findInstance(const std::string& uniq, UhidReceiver::Instance& found) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/bus/hid/devices", ec)) {
        std::string uevent = readText(entry.path() / "uevent");
        if (uevent.find("HID_UNIQ=" + uniq + "\n") == std::string::npos) continue;
        std::error_code ec2;
        for (const auto& raw : fs::directory_iterator(entry.path() / "hidraw", ec2)) {
            std::string node = "/dev/" + raw.path().filename().string();
            if (access(node.c_str(), F_OK) != 0) return false;
            found.hidName = entry.path().filename().string();
            found.node = node;
            return true;
        }
        return false;
    }
    return false;
}

bool writeEvent(int fd, const uhid_event& ev) {
    ssize_t n;
    do {
        n = write(fd, &ev, sizeof ev);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof ev);
}

}  // namespace

bool UhidReceiver::answerFor(const Bytes& output, bool linked, Bytes& answer) {
    answer.clear();
    // 04 02 01 A4 a0 a1 a2 ck, the checksum making a0 + a1 + a2 + ck = 5C.
    if (output.size() < 8 || output[0] != 0x04 || output[1] != 0x02 || output[2] != 0x01 || output[3] != 0xA4)
        return false;
    if (static_cast<uint8_t>(output[4] + output[5] + output[6] + output[7]) != 0x5C) return false;
    uint8_t a0 = output[4];
    if (a0 == 0x1F) {
        answer = {0x04, static_cast<uint8_t>(linked ? 0x80 : 0x81), 0, 0, 0, 0, 0, 0};
        return true;
    }
    if (!linked) return false;
    answer = {0x04, 0x89, 0x00, a0, 0, 0, 0, 0};
    return true;
}

UhidReceiver::UhidReceiver(Options options) : options_(options) {
    config_.fd = open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (config_.fd < 0) {
        fail(std::string("cannot open /dev/uhid: ") + std::strerror(errno));
        return;
    }
    if (options_.bootMouse) {
        mouse_.fd = open("/dev/uhid", O_RDWR | O_CLOEXEC);
        if (mouse_.fd < 0) {
            fail(std::string("cannot open /dev/uhid: ") + std::strerror(errno));
            return;
        }
    }
    stopFd_ = eventfd(0, EFD_CLOEXEC);
    if (stopFd_ < 0) {
        fail("eventfd failed");
        return;
    }
    thread_ = std::thread([this] { run(); });
}

UhidReceiver::~UhidReceiver() {
    unplug();
    if (thread_.joinable()) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(stopFd_, &one, sizeof one);
        thread_.join();
    }
    for (int fd : {config_.fd, mouse_.fd, stopFd_})
        if (fd >= 0) close(fd);
}

void UhidReceiver::fail(const std::string& what) {
    if (error_.empty()) error_ = what;
}

bool UhidReceiver::plug(std::chrono::milliseconds timeout) {
    std::lock_guard plugging(plugging_);
    if (!ok()) return false;
    if (plugged()) return true;
    {
        std::lock_guard lock(mutex_);
        vanished_ = false;
    }
    auto deadline = std::chrono::steady_clock::now() + timeout;
    ++generation_;
    bool made =
        (!options_.bootMouse || create(mouse_, "orvix test receiver (mouse)", bootMouseDescriptor(), deadline)) &&
        create(config_, "orvix test receiver (configuration)",
               options_.layout == Layout::Shared ? sharedReceiverDescriptor() : receiverConfigDescriptor(), deadline);
    if (!made) unplugLocked();  // half a receiver would make the next plug fail
    return made;
}

bool UhidReceiver::create(Interface& itf, const char* name, const std::vector<uint8_t>& descriptor,
                          std::chrono::steady_clock::time_point deadline) {
    uhid_event ev{};
    ev.type = UHID_CREATE2;
    auto& req = ev.u.create2;
    std::snprintf(reinterpret_cast<char*>(req.name), sizeof req.name, "%s", name);
    std::snprintf(reinterpret_cast<char*>(req.phys), sizeof req.phys, "orvix-test/uhid");
    // A uniq per interface and plug, so the test can tell this instance's sysfs entry apart.
    itf.uniq = std::string(&itf == &config_ ? "orvix-config-" : "orvix-mouse-") + std::to_string(generation_);
    std::snprintf(reinterpret_cast<char*>(req.uniq), sizeof req.uniq, "%s", itf.uniq.c_str());
    req.rd_size = static_cast<uint16_t>(descriptor.size());
    req.bus = BUS_USB;
    req.vendor = options_.vendor;
    req.product = options_.product;
    req.version = options_.version;
    req.country = 0;
    std::memcpy(req.rd_data, descriptor.data(), descriptor.size());
    if (!writeEvent(itf.fd, ev)) {
        fail(std::string("UHID_CREATE2 failed: ") + std::strerror(errno));
        return false;
    }
    itf.created = true;
    // The kernel binds a driver asynchronously; the interface counts as plugged in once its
    // hidraw node exists.
    for (;;) {
        Instance found;
        if (findInstance(itf.uniq, found)) {
            std::lock_guard lock(mutex_);
            itf.instance = found;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            fail(std::string("no hidraw node for ") + name);
            return false;
        }
        usleep(2000);
    }
}

void UhidReceiver::destroy(Interface& itf) {
    if (!itf.created) return;
    uhid_event ev{};
    ev.type = UHID_DESTROY;
    writeEvent(itf.fd, ev);
    itf.created = false;
    std::lock_guard lock(mutex_);
    itf.instance = {};
}

void UhidReceiver::unplug() {
    std::lock_guard plugging(plugging_);
    unplugLocked();
}

void UhidReceiver::unplugLocked() {
    destroy(config_);
    destroy(mouse_);
}

bool UhidReceiver::plugged() const { return config_.created; }

void UhidReceiver::setLinked(bool linked) {
    std::lock_guard lock(mutex_);
    linked_ = linked;
}

void UhidReceiver::setAnswerDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    answerDelay_ = delay;
}

void UhidReceiver::ackWrong(int count) {
    std::lock_guard lock(mutex_);
    ackWrong_ = count;
}

void UhidReceiver::ackDrop(int count) {
    std::lock_guard lock(mutex_);
    ackDrop_ = count;
}

void UhidReceiver::vanishAtKeyWrite(int count) {
    std::lock_guard lock(mutex_);
    vanishAt_ = count;
}

bool UhidReceiver::vanished() const {
    std::lock_guard lock(mutex_);
    return vanished_;
}

bool UhidReceiver::sendInput(const Bytes& report) { return writeInput(config_, report); }

UhidReceiver::Instance UhidReceiver::config() const {
    std::lock_guard lock(mutex_);
    return config_.instance;
}

UhidReceiver::Instance UhidReceiver::mouse() const {
    std::lock_guard lock(mutex_);
    return mouse_.instance;
}

std::vector<Bytes> UhidReceiver::outputs() const {
    std::lock_guard lock(mutex_);
    return outputs_;
}

void UhidReceiver::clearOutputs() {
    std::lock_guard lock(mutex_);
    outputs_.clear();
}

bool UhidReceiver::waitForOutputs(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return outputs_.size() >= count; });
}

bool UhidReceiver::writeInput(Interface& itf, const Bytes& report) {
    uhid_event ev{};
    ev.type = UHID_INPUT2;
    ev.u.input2.size = static_cast<uint16_t>(report.size());
    std::memcpy(ev.u.input2.data, report.data(), report.size());
    return writeEvent(itf.fd, ev);  // fails once the interface is destroyed
}

void UhidReceiver::run() {
    for (;;) {
        pollfd fds[3] = {{stopFd_, POLLIN, 0}, {config_.fd, POLLIN, 0}, {mouse_.fd, POLLIN, 0}};
        int n = poll(fds, mouse_.fd >= 0 ? 3 : 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || fds[0].revents) return;
        if (fds[1].revents & POLLIN) handleEvent(config_);
        if (mouse_.fd >= 0 && (fds[2].revents & POLLIN)) handleEvent(mouse_);
    }
}

void UhidReceiver::handleEvent(Interface& itf) {
    uhid_event ev{};
    ssize_t n = read(itf.fd, &ev, sizeof ev);
    if (n <= 0) return;
    switch (ev.type) {
    case UHID_OUTPUT: handleOutput(itf, ev.u.output.data, ev.u.output.size); break;
    case UHID_GET_REPORT: {
        // Answered at once with an error, so the kernel does not wait for a reply.
        uhid_event reply{};
        reply.type = UHID_GET_REPORT_REPLY;
        reply.u.get_report_reply.id = ev.u.get_report.id;
        reply.u.get_report_reply.err = EIO;
        writeEvent(itf.fd, reply);
        break;
    }
    case UHID_SET_REPORT: {
        uhid_event reply{};
        reply.type = UHID_SET_REPORT_REPLY;
        reply.u.set_report_reply.id = ev.u.set_report.id;
        reply.u.set_report_reply.err = EIO;
        writeEvent(itf.fd, reply);
        break;
    }
    default: break;
    }
}

void UhidReceiver::handleOutput(Interface& itf, const uint8_t* data, size_t size) {
    if (&itf != &config_) return;
    if (options_.layout == Layout::Shared && size > 0 && data[0] == kKeyboardReportId) return;  // LEDs
    Bytes output(data, data + size);
    Bytes answer;
    std::chrono::milliseconds delay{0};
    bool vanish = false;
    {
        std::lock_guard lock(mutex_);
        outputs_.push_back(output);
        changed_.notify_all();
        if (!answerFor(output, linked_, answer)) return;
        bool keyWrite = output[4] != 0x1F;
        vanish = keyWrite && vanishAt_ > 0 && --vanishAt_ == 0;
        if (keyWrite && !vanish && ackDrop_ > 0) {
            --ackDrop_;
            return;
        }
        if (keyWrite && ackWrong_ > 0) {
            --ackWrong_;
            answer[3] = static_cast<uint8_t>((answer[3] + 1) % 5);
        }
        delay = answerDelay_;
    }
    if (vanish) {
        {
            std::lock_guard plugging(plugging_);
            unplugLocked();
        }
        std::lock_guard lock(mutex_);
        vanished_ = true;
        changed_.notify_all();
        return;
    }
    if (delay.count() > 0) std::this_thread::sleep_for(delay);  // the receiver's thread answers nothing else meanwhile
    writeInput(itf, answer);
}

}  // namespace orvix::test
