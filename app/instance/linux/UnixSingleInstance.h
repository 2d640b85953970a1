#pragma once
// The instance mutex as a lock file and the broadcast as a datagram to a Unix socket, both in the
// user's private runtime folder. The lock goes with the process, so a killed copy never blocks
// the next start; the next first copy replaces the socket it left behind.

#include <string>

#include "app/instance/SingleInstance.h"

namespace orvix {

class UnixSingleInstance final : public SingleInstance {
public:
    // folder: where the lock and the socket live (a folder only this user can enter).
    explicit UnixSingleInstance(std::string folder);
    ~UnixSingleInstance() override;

    bool createMutex() override;
    uint32_t registerWakeMessage() override;
    void broadcast(const PostedMessage& message) override;
    bool listen(EventLoop& loop, std::function<void(const PostedMessage&)> onMessage) override;

    const std::string& socketPath() const { return socketPath_; }

    // "$XDG_RUNTIME_DIR", or a private folder under /tmp when it is not set.
    static std::string defaultFolder();
    // The registered-message number for a name: stable across processes, in the range Windows uses.
    static uint32_t messageNumber(const std::string& name);
    // Parses one datagram; false for anything malformed.
    static bool parse(const std::string& text, PostedMessage& message);

private:
    void receive();

    std::string lockPath_;
    std::string socketPath_;
    int lockFd_ = -1;
    int socketFd_ = -1;
    std::unique_ptr<EventLoop::Watch> watch_;
    std::function<void(const PostedMessage&)> onMessage_;
};

}  // namespace orvix
