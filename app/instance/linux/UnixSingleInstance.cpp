#include "app/instance/linux/UnixSingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
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

bool UnixSingleInstance::privateFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 0777) == 0700;
}

std::string UnixSingleInstance::chooseFolder(const char* runtimeDir, const std::vector<std::string>& fallbacks) {
    if (runtimeDir && *runtimeDir && privateFolder(runtimeDir)) return runtimeDir;
    for (const std::string& folder : fallbacks) {
        if (folder.empty()) continue;
        // Made private if it is new (its parent too: a fresh home has no ~/.cache yet); one that is
        // someone else's, or open to others, is not used.
        if (size_t slash = folder.rfind('/'); slash != std::string::npos && slash > 0)
            mkdir(folder.substr(0, slash).c_str(), 0700);
        mkdir(folder.c_str(), 0700);
        if (privateFolder(folder)) return folder;
    }
    return {};
}

std::string UnixSingleInstance::defaultFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp == '/' ? tmp : "/tmp";
    std::vector<std::string> fallbacks{base + "/orvix-mouse-" + std::to_string(geteuid())};
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
        cache = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* user = getpwuid(geteuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (home && *home == '/') cache = std::string(home) + "/.cache";
    }
    // Made only when it is used: a start with a private runtime folder makes nothing in the home.
    if (!cache.empty()) fallbacks.push_back(cache + "/orvix-mouse");
    return chooseFolder(std::getenv("XDG_RUNTIME_DIR"), fallbacks);
}

uint32_t UnixSingleInstance::messageNumber(const std::string& name) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    return 0xC000u + hash % 0x4000u;
}

std::string UnixSingleInstance::format(const PostedMessage& message) {
    char text[64];
    std::snprintf(text, sizeof text, "%" PRIu32 " %llu %lld", message.msg,
                  static_cast<unsigned long long>(message.wParam), static_cast<long long>(message.lParam));
    std::string out = text;
    if (!message.token.empty()) out += " " + message.token;
    return out;
}

bool UnixSingleInstance::parse(const std::string& text, PostedMessage& message) {
    uint32_t msg;
    unsigned long long wParam;
    long long lParam;
    int used = 0;
    if (std::sscanf(text.c_str(), "%" SCNu32 " %llu %lld%n", &msg, &wParam, &lParam, &used) != 3) return false;
    std::string token;
    if (static_cast<size_t>(used) != text.size()) {
        // Only the token message has more: one blank and the token, whole.
        if (lParam != kWakeToken || text[static_cast<size_t>(used)] != ' ') return false;
        token = text.substr(static_cast<size_t>(used) + 1);
        if (!activationTokenAcceptable(token)) return false;
    }
    message = {msg, static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam), std::move(token)};
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

bool UnixSingleInstance::nameTaken() {
    if (socketFd_ >= 0 || lockFd_ >= 0) return true;  // this copy holds it
    sockaddr_un addr;
    if (!fillAddress(socketPath_, addr)) return false;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // A socket left by a copy that died refuses the connection.
    bool taken = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return taken;
}

uint32_t UnixSingleInstance::registerWakeMessage() { return messageNumber(kInstanceName); }

void UnixSingleInstance::broadcast(const PostedMessage& message) {
    sockaddr_un addr;
    if (!fillAddress(socketPath_, addr)) return;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    std::string text = format(message);
    // Posting never waits: a first copy that does not read cannot hold up this start.
    sendto(fd, text.data(), text.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
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
    char buffer[kMaxDatagram];
    for (;;) {
        // MSG_TRUNC: the datagram's whole length, so one longer than any message is refused, not cut.
        ssize_t n = recv(socketFd_, buffer, sizeof buffer, MSG_TRUNC);
        if (n < 0) break;  // drained
        if (static_cast<size_t>(n) > sizeof buffer) continue;
        PostedMessage message;
        if (parse(std::string(buffer, static_cast<size_t>(n)), message) && onMessage_) onMessage_(message);
    }
}

std::unique_ptr<SingleInstance> makeSingleInstance() {
    return std::make_unique<UnixSingleInstance>(UnixSingleInstance::defaultFolder());
}

}  // namespace orvix
