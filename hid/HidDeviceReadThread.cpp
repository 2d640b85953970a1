#include "hid/HidDeviceReadThread.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "hid/HidDevice.h"

namespace orvix {

THidDeviceReadThread::THidDeviceReadThread(THidDevice& device, std::unique_ptr<HidReadHandle> handle,
                                           uint32_t openError, Opener opener, size_t reportLength, uint32_t sleepTime,
                                           EventLoop& loop)
    : device_(&device),
      handle_(std::move(handle)),
      openError_(openError),
      opener_(std::move(opener)),
      loop_(loop),
      Report(reportLength),
      sleepTime_(sleepTime),
      handoff_(std::make_shared<Handoff>()) {
    handoff_->handle = handle_.get();
    thread_ = std::thread([this] { run(); });
}

THidDeviceReadThread::~THidDeviceReadThread() { stop(); }

bool THidDeviceReadThread::Handoff::runPending() {
    std::unique_lock lock(mutex);
    if (closed || running || !pending) return false;
    running = true;
    std::function<void()> call = std::move(pending);
    pending = nullptr;
    lock.unlock();
    call();
    lock.lock();
    running = false;
    changed.notify_all();
    return true;
}

bool THidDeviceReadThread::stopRequested() {
    std::lock_guard lock(handoff_->mutex);
    return handoff_->stopRequested;
}

void THidDeviceReadThread::handOver(std::function<void()> call) {
    auto h = handoff_;
    std::unique_lock lock(h->mutex);
    h->pending = std::move(call);
    h->changed.notify_all();  // a stop() waiting for the thread runs it at once
    lock.unlock();
    loop_.post([h] { h->runPending(); });
    lock.lock();
    // Wait until the main thread has run it. A stop() from inside that very call lets the thread
    // go on without waiting for the call to return.
    h->changed.wait(lock, [&] { return !h->pending && (!h->running || h->stopRequested); });
}

bool THidDeviceReadThread::openHandle() {
    THidDevice* device = device_;
    uint32_t error = openError_;
    for (;;) {
        handOver([device, error] { device->deliverDataError(error); });
        {
            std::unique_lock lock(handoff_->mutex);
            if (handoff_->changed.wait_for(lock, std::chrono::milliseconds(sleepTime_),
                                           [&] { return handoff_->stopRequested; }))
                return false;
        }
        auto handle = opener_ ? opener_(error) : nullptr;
        if (!handle) continue;
        std::lock_guard lock(handoff_->mutex);
        if (handoff_->stopRequested) return false;  // stop() has passed: it would not stop this one
        handle_ = std::move(handle);
        handoff_->handle = handle_.get();
        return true;
    }
}

void THidDeviceReadThread::run() {
    THidDevice* device = device_;
    bool opened = handle_ || openHandle();
    while (opened && !stopRequested()) {
        std::fill(Report.begin(), Report.end(), uint8_t{0});
        HidReadResult result = handle_->read(Report.data(), Report.size());
        if (result.kind == HidReadResult::Stopped) break;
        if (result.kind == HidReadResult::Data) {
            numBytesRead_ = std::min(result.bytes, Report.size());
            if (numBytesRead_ == 0) continue;  // an empty read delivers nothing
            // The call owns a copy: its handler may check the device in, which ends this reader.
            std::vector<uint8_t> report(Report.begin(), Report.begin() + static_cast<long>(numBytesRead_));
            handOver([device, report = std::move(report)] {
                device->deliverData(report[0], report.data() + 1, static_cast<uint16_t>(report.size() - 1));
            });
            continue;
        }
        lastError_ = result.error;
        uint32_t code = result.error;
        handOver([device, code] { device->deliverDataError(code); });
        if (result.kind == HidReadResult::Gone) {
            // Nothing more will come: wait for the holder to stop the reader, without spinning.
            while (!stopRequested()) handle_->pause(std::numeric_limits<uint32_t>::max());
            break;
        }
        handle_->pause(sleepTime_);  // a failing read is retried, but never in a tight loop
    }
    std::lock_guard lock(handoff_->mutex);
    handoff_->finished = true;
    handoff_->changed.notify_all();
}

void THidDeviceReadThread::stop() {
    if (stopped_) return;
    stopped_ = true;
    auto h = handoff_;
    HidReadHandle* handle;
    {
        std::lock_guard lock(h->mutex);
        h->stopRequested = true;
        h->changed.notify_all();
        handle = h->handle;  // the reader thread sets it only before a stop
    }
    if (handle) handle->stop();
    std::unique_lock lock(h->mutex);
    while (!h->finished) {
        if (h->pending && !h->running) {
            lock.unlock();
            h->runPending();  // a hand-over the thread is waiting on runs here, not in the loop
            lock.lock();
            continue;
        }
        h->changed.wait(lock);
    }
    h->closed = true;
    lock.unlock();
    thread_.join();
}

}  // namespace orvix
