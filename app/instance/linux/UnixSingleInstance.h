#pragma once
// The instance mutex as a lock file and the broadcast as a datagram to a Unix socket, both in the
// user's private runtime folder. The lock goes with the process, so a killed copy never blocks
// the next start; the next first copy replaces the socket it left behind.

#include <string>
#include <vector>

#include "app/instance/SingleInstance.h"

namespace orvix {

class UnixSingleInstance final : public SingleInstance {
public:
    // folder: where the lock and the socket live (a folder only this user can enter).
    explicit UnixSingleInstance(std::string folder);
    ~UnixSingleInstance() override;

    bool createMutex() override;
    // A first copy listens on the socket: a datagram socket that can be connected to has one
    // (connecting sends nothing). Probing the lock would hold it for a moment and could send a
    // copy starting just then away as a second one.
    bool nameTaken() override;
    uint32_t registerWakeMessage() override;
    void broadcast(const PostedMessage& message) override;
    bool listen(EventLoop& loop, std::function<void(const PostedMessage&)> onMessage) override;

    const std::string& socketPath() const { return socketPath_; }

    // "$XDG_RUNTIME_DIR" when it is a private folder of this user's (see privateFolder), else a
    // folder of the user's own made private: ${TMPDIR:-/tmp}/orvix-mouse-UID, or when someone else
    // holds that name, ${XDG_CACHE_HOME:-$HOME/.cache}/orvix-mouse. Empty when none can be had.
    static std::string defaultFolder();
    // The same choice from the given places (runtimeDir may be null or empty).
    static std::string chooseFolder(const char* runtimeDir, const std::vector<std::string>& fallbacks);
    // Whether the folder is this user's own and closed to everyone else: a folder, not a link,
    // owned by this user, mode 0700. Another user's lock file there could silence this program.
    static bool privateFolder(const std::string& path);
    // The registered-message number for a name: stable across processes, in the range Windows uses.
    static uint32_t messageNumber(const std::string& name);
    // One datagram's text: "MSG WPARAM LPARAM" in decimal, then " TOKEN" on a token message. A copy
    // that reads only the three numbers drops a token message whole.
    static std::string format(const PostedMessage& message);
    // Parses one datagram; false for anything malformed, and for a token message whose token is
    // not acceptable.
    static bool parse(const std::string& text, PostedMessage& message);

private:
    // The longest datagram read: three 64-bit numbers, their blanks and the longest token.
    static constexpr size_t kMaxDatagram = 3 * 21 + 3 + kMaxActivationToken;

    void receive();

    std::string lockPath_;
    std::string socketPath_;
    int lockFd_ = -1;
    int socketFd_ = -1;
    std::unique_ptr<EventLoop::Watch> watch_;
    std::function<void(const PostedMessage&)> onMessage_;
};

}  // namespace orvix
