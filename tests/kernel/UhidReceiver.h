#pragma once
// A receiver made with the kernel's /dev/uhid, for tests inside the test guest: a configuration
// interface (report ID 4, 8-byte reports) and, created first, a boot-mouse interface with the same
// identifiers. In the shared layout the configuration interface is one HID device with a keyboard
// (report ID 1), a consumer control (ID 3) and the configuration collection (ID 4), as many
// receivers are. It answers A4 frames as the simulated receiver does, on a thread of its own, and
// the test can unplug it, plug it again (a new instance) and make it give wrong or no
// acknowledgements.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvix::test {

using Bytes = std::vector<uint8_t>;

class UhidReceiver {
public:
    enum class Layout { Default, Shared };

    struct Options {
        Layout layout = Layout::Default;
        bool bootMouse = true;
        uint16_t vendor = 0x0E8F;
        uint16_t product = 0x00A6;
        uint16_t version = 0x0100;
    };

    // One interface as the kernel shows it while plugged in.
    struct Instance {
        std::string hidName;  // the HID device's sysfs name, BBBB:VVVV:PPPP.NNNN
        std::string node;     // /dev/hidrawN
    };

    // Opens /dev/uhid (one descriptor per interface) and starts the thread; nothing is plugged yet.
    // ok() turns false at the first failure, here or in plug(); error() says what it was.
    explicit UhidReceiver(Options options);
    UhidReceiver() : UhidReceiver(Options{}) {}
    ~UhidReceiver();
    UhidReceiver(const UhidReceiver&) = delete;
    UhidReceiver& operator=(const UhidReceiver&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // Creates the interfaces (the mouse first) and waits until the kernel shows each with its
    // hidraw node. False (with error()) when that does not happen within the timeout.
    bool plug(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Destroys the interfaces, the configuration interface first.
    void unplug();
    bool plugged() const;

    void setLinked(bool linked);
    // Each answer goes out this long after the report it answers, as from a slow receiver.
    void setAnswerDelay(std::chrono::milliseconds delay);
    void ackWrong(int count);  // the next `count` acknowledgements name key index a0 + 1 mod 5
    void ackDrop(int count);   // the next `count` key writes get no answer
    // The receiver goes as it takes the `count`-th key write from now: its own thread destroys the
    // interfaces instead of answering, while the writer may still be inside its write. 0: never.
    void vanishAtKeyWrite(int count);
    // The interfaces the receiver's thread destroyed by itself; plug() may follow once it is true.
    bool vanished() const;
    // Sends an input report on the configuration interface by itself (report ID first); in the
    // shared layout also the keyboard's and the consumer control's reports.
    bool sendInput(const Bytes& report);

    Instance config() const;
    Instance mouse() const;

    // Every output report taken on the configuration interface (report ID first), in order; in the
    // shared layout without the keyboard's LED reports, which the kernel may send by itself.
    std::vector<Bytes> outputs() const;
    bool waitForOutputs(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // Forgets the output reports taken so far, so that a long run does not grow with them.
    void clearOutputs();

private:
    // The answer to one output report, or none: the simulated receiver's table.
    static bool answerFor(const Bytes& output, bool linked, Bytes& answer);

    struct Interface {
        int fd = -1;
        std::atomic<bool> created{false};  // the receiver's own thread may destroy it
        std::string uniq;
        Instance instance;
    };

    bool create(Interface& itf, const char* name, const std::vector<uint8_t>& descriptor,
                std::chrono::steady_clock::time_point deadline);
    void destroy(Interface& itf);
    void unplugLocked();
    void run();
    void handleEvent(Interface& itf);
    void handleOutput(Interface& itf, const uint8_t* data, size_t size);
    bool writeInput(Interface& itf, const Bytes& report);
    void fail(const std::string& what);

    Options options_;
    std::string error_;
    int stopFd_ = -1;
    Interface config_;
    Interface mouse_;
    unsigned generation_ = 0;
    std::mutex plugging_;  // plug() and unplug(), from the test or from the receiver's thread

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool linked_ = true;
    int ackWrong_ = 0;
    int ackDrop_ = 0;
    int vanishAt_ = 0;
    bool vanished_ = false;
    std::chrono::milliseconds answerDelay_{0};
    std::vector<Bytes> outputs_;

    std::thread thread_;
};

}  // namespace orvix::test
