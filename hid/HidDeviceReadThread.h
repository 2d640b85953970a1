#pragma once
// Reads the input reports of one held device on a background thread and hands each to the main
// thread, waiting until the main thread has run it. Stopping keeps running such hand-overs while
// it waits for the thread, so the two threads never wait for each other.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/EventLoop.h"
#include "hid/HidPlatform.h"

namespace orvix {

class THidDevice;

class THidDeviceReadThread {
public:
    // Opens the device's read handle on the reader thread, from any thread.
    using Opener = std::function<std::unique_ptr<HidReadHandle>(uint32_t& error)>;

    // handle: opened already, or null when that failed with openError. A reader without a handle
    // reports the error as a failed read is reported and tries again after the pause, until the
    // handle opens or the reader is stopped: a device held while its node was still settling, or
    // while the process was out of descriptors, is read once it can be.
    THidDeviceReadThread(THidDevice& device, std::unique_ptr<HidReadHandle> handle, uint32_t openError, Opener opener,
                         size_t reportLength, uint32_t sleepTime, EventLoop& loop);
    THidDeviceReadThread(const THidDeviceReadThread&) = delete;
    THidDeviceReadThread& operator=(const THidDeviceReadThread&) = delete;
    // Stops the thread; see stop().
    ~THidDeviceReadThread();

    // Main thread: asks the thread to end and waits for it, running any hand-over it makes meanwhile.
    // No hand-over of this reader runs after stop() has returned.
    void stop();

    size_t NumBytesRead() const { return numBytesRead_; }

private:
    // The meeting point of the two threads; outlives the reader for calls still queued in the loop.
    struct Handoff {
        std::mutex mutex;
        std::condition_variable changed;
        std::function<void()> pending;    // set by the reader, run by the main thread
        bool running = false;             // the main thread is running `pending`
        bool finished = false;            // the reader thread has left its loop
        bool stopRequested = false;       // stop() was called
        HidReadHandle* handle = nullptr;  // once opened; stop() ends its reads
        bool closed = false;              // stop() returned: queued calls do nothing
        // Main thread: runs the pending call if there is one. Returns whether it ran one.
        bool runPending();
    };

    void run();
    // Reader thread: until the handle opens or a stop: report the error, pause, try again.
    bool openHandle();
    bool stopRequested();
    // Reader thread: hands call to the main thread and waits until it has run there (or was dropped).
    void handOver(std::function<void()> call);

    THidDevice* device_;
    std::unique_ptr<HidReadHandle> handle_;  // set by the reader thread when it opens it there
    uint32_t openError_;
    Opener opener_;
    EventLoop& loop_;
    std::vector<uint8_t> Report;
    size_t numBytesRead_ = 0;
    uint32_t lastError_ = 0;
    uint32_t sleepTime_;
    std::shared_ptr<Handoff> handoff_;
    std::thread thread_;
    bool stopped_ = false;
};

}  // namespace orvix
