// Linux: text without a byte-order mark is UTF-8; files are read with plain POSIX reads (there
// is no way to keep writers out of a file here).

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lang/TextDecoding.h"

namespace orvix {

std::string decodeDefaultEncoding(const std::vector<uint8_t>& bytes) {
    return sanitizeUtf8(std::string(bytes.begin(), bytes.end()));
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    uint8_t buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            close(fd);
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > maxTextFileSize) {
            error = "File too large";
            close(fd);
            return false;
        }
    }
    close(fd);
    return true;
}

}  // namespace orvix
