// Linux: text without a byte-order mark is UTF-8, or Windows-1252 when it is not valid UTF-8
// (a file written on a Western Windows); files are read with plain POSIX reads (there is no way
// to keep writers out of a file here).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lang/TextDecoding.h"

namespace orvix {

namespace {

bool fail(FileError& error, int code) {
    error.kind = code == ENOENT || code == ENOTDIR ? FileError::Missing
                 : code == EACCES || code == EPERM ? FileError::Denied
                 : code == EISDIR                  ? FileError::NotAFile
                                                   : FileError::Other;
    error.reason = std::strerror(code);
    return false;
}

}  // namespace

std::string decodeDefaultEncoding(const std::vector<uint8_t>& bytes) {
    if (isValidUtf8(bytes.data(), bytes.size())) return std::string(bytes.begin(), bytes.end());
    return decodeWindows1252(bytes.data(), bytes.size());
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, FileError& error, size_t limit) {
    bytes.clear();
    error = {};
    // Without O_NONBLOCK, opening a FIFO waits for a writer, for ever.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(error, errno);
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        int code = errno;
        close(fd);
        return fail(error, code);
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        error = {FileError::NotAFile, "Not a regular file"};
        return false;
    }
    if (static_cast<uint64_t>(st.st_size) > limit) {
        close(fd);
        error = {FileError::TooLarge, "File too large"};
        return false;
    }
    bytes.reserve(static_cast<size_t>(st.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int code = errno;
            close(fd);
            return fail(error, code);
        }
        if (bytes.size() + static_cast<size_t>(n) > limit) {  // it grew while we read
            close(fd);
            bytes.clear();
            error = {FileError::TooLarge, "File too large"};
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    close(fd);
    return true;
}

}  // namespace orvix
