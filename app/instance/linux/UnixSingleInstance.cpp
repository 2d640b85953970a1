#include "app/instance/linux/UnixSingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvix {

namespace {

// File names from the instance name: blanks become dashes.
std::string fileStem() {
    std::string stem = kInstanceName;
    for (char& c : stem)
        if (c == ' ') c = '-';
    return stem;
}

bool fillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;  // none, or would be cut
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

UnixSingleInstance::UnixSingleInstance(std::string folder) {
    if (folder.empty()) return;  // nowhere private to meet: every start runs as a first copy
    lockPath_ = folder + "/" + fileStem() + ".lock";
    socketPath_ = folder + "/" + fileStem() + ".sock";
}

UnixSingleInstance::~UnixSingleInstance() {
    watch_.reset();
    if (socketFd_ >= 0) {
        close(socketFd_);
        unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) close(lockFd_);  // releases the lock
}

std::string UnixSingleInstance::defaultFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
    // No session folder: a private one, used only when it is ours and closed to others.
    std::string folder = "/tmp/orvix-mouse-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077))
        return {};
    return folder;
}

uint32_t UnixSingleInstance::messageNumber(const std::string& name) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    return 0xC000u + hash % 0x4000u;
}

bool UnixSingleInstance::parse(const std::string& text, PostedMessage& message) {
    uint32_t msg;
    unsigned long long wParam;
    long long lParam;
    int used = 0;
    if (std::sscanf(text.c_str(), "%" SCNu32 " %llu %lld%n", &msg, &wParam, &lParam, &used) != 3) return false;
    if (static_cast<size_t>(used) != text.size()) return false;
    message = {msg, static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam)};
    return true;
}

bool UnixSingleInstance::createMutex() {
    if (lockFd_ >= 0 || lockPath_.empty()) return false;
    int fd = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool taken = errno == EWOULDBLOCK;
        close(fd);
        return taken;
    }
    lockFd_ = fd;
    return false;
}

uint32_t UnixSingleInstance::registerWakeMessage() { return messageNumber(kInstanceName); }

void UnixSingleInstance::broadcast(const PostedMessage& message) {
    sockaddr_un addr;
    if (!fillAddress(socketPath_, addr)) return;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    char text[96];
    int n = std::snprintf(text, sizeof text, "%" PRIu32 " %llu %lld", message.msg,
                          static_cast<unsigned long long>(message.wParam), static_cast<long long>(message.lParam));
    // Posting never waits: a first copy that does not read cannot hold up this start.
    sendto(fd, text, static_cast<size_t>(n), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    close(fd);
}

bool UnixSingleInstance::listen(EventLoop& loop, std::function<void(const PostedMessage&)> onMessage) {
    sockaddr_un addr;
    if (socketFd_ >= 0 || !fillAddress(socketPath_, addr)) return false;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    unlink(socketPath_.c_str());  // we hold the lock: whatever is there was left by a copy that died
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return false;
    }
    chmod(socketPath_.c_str(), 0600);
    socketFd_ = fd;
    onMessage_ = std::move(onMessage);
    watch_ = loop.watchReadable(fd, [this] { receive(); });
    return true;
}

void UnixSingleInstance::receive() {
    char buffer[128];
    for (;;) {
        ssize_t n = recv(socketFd_, buffer, sizeof buffer - 1, 0);
        if (n < 0) break;  // drained
        PostedMessage message;
        if (parse(std::string(buffer, static_cast<size_t>(n)), message) && onMessage_) onMessage_(message);
    }
}

std::unique_ptr<SingleInstance> makeSingleInstance() {
    return std::make_unique<UnixSingleInstance>(UnixSingleInstance::defaultFolder());
}

}  // namespace orvix
