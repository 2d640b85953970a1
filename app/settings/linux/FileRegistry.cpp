#include "app/settings/linux/FileRegistry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "app/settings/RegFile.h"
#include "core/AsciiText.h"

namespace orvix {

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".reg";
// A store holds a few short values; a file far larger than that is refused like one that cannot
// be parsed (and so never overwritten), before it costs the start time and memory.
constexpr off_t kMaxStoreSize = 1 << 20;

RegStatus success() { return {}; }
RegStatus notFound(const std::string& what) { return {RegStatus::NotFound, ENOENT, what}; }
RegStatus failed(const std::string& what, int code = 0) {
    return {RegStatus::Failed, static_cast<uint32_t>(code), code ? what + ": " + std::strerror(code) : what};
}

// The parts below "software", checked to be usable as file names.
bool splitPath(const std::string& path, std::vector<std::string>& parts, std::string& why) {
    parts.clear();
    size_t start = 0;
    for (;;) {
        size_t end = path.find('\\', start);
        parts.push_back(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    for (const auto& p : parts) {
        if (p.empty() || p == "." || p == ".." || p.find('/') != std::string::npos ||
            p.find('\0') != std::string::npos) {
            why = "the key path \"" + path + "\" has an empty or unusable part";
            return false;
        }
    }
    if (!equalsIgnoringAsciiCase(parts.front(), "software") || parts.size() < 2) {
        why = "only keys below software\\ are kept here, not \"" + path + "\"";
        return false;
    }
    parts.erase(parts.begin());
    return true;
}

// The entry of `folder` named `name` without regard to case (an exact match first); empty if none.
fs::path findEntry(const fs::path& folder, const std::string& name, bool wantFolder) {
    std::error_code ec;
    auto matches = [&](const fs::directory_entry& e) {
        return wantFolder ? e.is_directory(ec) : e.is_regular_file(ec);
    };
    fs::directory_entry exact(folder / name, ec);
    if (!ec && exact.exists(ec) && matches(exact)) return exact.path();
    fs::path found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsIgnoringAsciiCase(entry, name) && matches(*it) &&
            (found.empty() || entry < found.filename().string()))
            found = it->path();
    }
    return found;
}

// Reads an open file to its end.
bool readAll(int fd, std::string& text, int& error) {
    text.clear();
    char buffer[8192];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            return false;
        }
        if (n == 0) return true;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > static_cast<size_t>(kMaxStoreSize)) {  // it grew while we read
            error = EFBIG;
            return false;
        }
    }
}

// Temporary file beside the target, flushed to disk, then renamed over it: a reader sees the old
// file or the new one, never a part.
RegStatus writeAtomically(const fs::path& file, const std::string& text) {
    std::string temp = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(temp.data());
    if (fd < 0) return failed("cannot write " + file.string(), errno);
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int e = errno ? errno : EIO;
            close(fd);
            unlink(temp.c_str());
            return failed("cannot write " + file.string(), e);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        int e = errno;
        unlink(temp.c_str());
        return failed("cannot write " + file.string(), e);
    }
    if (rename(temp.c_str(), file.c_str()) != 0) {
        int e = errno;
        unlink(temp.c_str());
        return failed("cannot replace " + file.string(), e);
    }
    int dir = open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);  // the rename itself reaches the disk
        close(dir);
    }
    return success();
}

class FileRegKey final : public RegKey {
public:
    FileRegKey(fs::path file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    // Reads and parses the key's file (a missing file is a key without values) and points `key`
    // at what it holds. A file that reads as it did the last time is not parsed again.
    RegStatus load(const RegFileKey*& key) {
        static const RegFileKey none;
        key = &none;
        // Never waits: a FIFO in the file's place is refused, not opened for a writer.
        int fd = open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) {
            int error = errno;
            return error == ENOENT ? success() : failed("cannot read " + file_.string(), error);
        }
        std::string text;
        RegStatus read = readStore(fd, text);
        close(fd);
        if (!read.ok()) return read;
        if (!parsed_ || parsed_->text != text) parsed_ = parse(std::move(text));
        if (parsed_->status.ok()) key = &parsed_->key;
        return parsed_->status;
    }

    RegStatus query(const std::string& name, RegValue& value) override {
        const RegFileKey* key;
        if (RegStatus s = load(key); !s.ok()) return s;
        const RegFileValue* v = key->find(name);
        if (!v) return notFound("no value \"" + name + "\" in HKEY_CURRENT_USER\\" + path_);
        value = v->value;
        return success();
    }

    RegStatus set(const std::string& name, const RegValue& value) override {
        if (!storableValueName(name))
            return failed("the value name \"" + name + "\" cannot be stored (line break or not UTF-8)");
        const RegFileKey* loaded;
        if (RegStatus s = load(loaded); !s.ok()) return refuse(s);
        RegFileKey key = *loaded;
        if (RegFileValue* v = key.find(name))
            v->value = value;  // the name keeps its first spelling, as in the registry
        else
            key.values.push_back({name, value});
        return save(key);
    }

    RegStatus remove(const std::string& name) override {
        const RegFileKey* loaded;
        if (RegStatus s = load(loaded); !s.ok()) return refuse(s);
        RegFileKey key = *loaded;
        RegFileValue* v = key.find(name);
        if (!v) return notFound("no value \"" + name + "\" in HKEY_CURRENT_USER\\" + path_);
        key.values.erase(key.values.begin() + (v - key.values.data()));
        return save(key);
    }

private:
    struct Parsed {
        std::string text;
        RegStatus status;
        RegFileKey key;
    };

    RegStatus readStore(int fd, std::string& text) const {
        struct stat st {};
        if (fstat(fd, &st) != 0) return failed("cannot read " + file_.string(), errno);
        if (!S_ISREG(st.st_mode)) return failed(file_.string() + ": not a regular file");
        int error = 0;
        if (st.st_size > kMaxStoreSize || !readAll(fd, text, error)) {
            if (st.st_size > kMaxStoreSize || error == EFBIG)
                return failed(file_.string() + ": larger than " + std::to_string(kMaxStoreSize) +
                              " bytes, far more than any settings store holds");
            return failed("cannot read " + file_.string(), error);
        }
        return success();
    }

    Parsed parse(std::string text) const {
        Parsed result{std::move(text), success(), {}};
        RegFileError bad;
        if (!parseRegFile(result.text, result.key, bad)) {
            result.status = failed(file_.string() + ", line " + std::to_string(bad.line) + ": " + bad.what);
        } else if (result.key.pathLine && !equalsIgnoringAsciiCase(result.key.path, path_)) {
            result.status = failed(file_.string() + ", line " + std::to_string(result.key.pathLine) +
                                   ": the key HKEY_CURRENT_USER\\" + result.key.path +
                                   " does not belong in the file of HKEY_CURRENT_USER\\" + path_);
        }
        return result;
    }

    static RegStatus refuse(RegStatus s) {
        s.message += "; the file is left as it is";
        return s;
    }

    RegStatus save(RegFileKey& key) {
        if (key.path.empty()) key.path = path_;
        return writeAtomically(file_, formatRegFile(key));
    }

    fs::path file_;
    std::string path_;              // as the caller spelled it
    std::optional<Parsed> parsed_;  // the file as last read, and what it held
};

}  // namespace

FileRegistry::FileRegistry(fs::path root) : root_(std::move(root)) {}

RegStatus FileRegistry::openKey(const std::string& path, std::unique_ptr<RegKey>& key) {
    key.reset();
    std::vector<std::string> parts;
    std::string why;
    if (!splitPath(path, parts, why)) return failed(why);
    fs::path folder = root_;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        folder = findEntry(folder, parts[i], true);
        if (folder.empty()) return notFound("no key HKEY_CURRENT_USER\\" + path);
    }
    fs::path file = findEntry(folder, parts.back() + kExtension, false);
    if (file.empty() && findEntry(folder, parts.back(), true).empty())
        return notFound("no key HKEY_CURRENT_USER\\" + path);
    auto opened = std::make_unique<FileRegKey>(file.empty() ? folder / (parts.back() + kExtension) : file, path);
    const RegFileKey* contents;
    if (RegStatus s = opened->load(contents); !s.ok()) return s;  // a broken file is reported at once
    key = std::move(opened);
    return success();
}

RegStatus FileRegistry::createKey(const std::string& path, std::unique_ptr<RegKey>& key) {
    key.reset();
    std::vector<std::string> parts;
    std::string why;
    if (!splitPath(path, parts, why)) return failed(why);
    std::error_code ec;
    fs::create_directories(root_, ec);
    if (ec) return failed("cannot create " + root_.string(), ec.value());
    fs::path folder = root_;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        fs::path next = findEntry(folder, parts[i], true);
        if (next.empty()) {
            next = folder / parts[i];
            if (mkdir(next.c_str(), 0700) != 0 && errno != EEXIST)
                return failed("cannot create " + next.string(), errno);
        }
        folder = next;
    }
    fs::path file = findEntry(folder, parts.back() + kExtension, false);
    if (file.empty()) {
        file = folder / (parts.back() + kExtension);
        RegFileKey empty;
        empty.path = path;
        if (RegStatus s = writeAtomically(file, formatRegFile(empty)); !s.ok()) return s;
    }
    auto opened = std::make_unique<FileRegKey>(file, path);
    const RegFileKey* contents;
    if (RegStatus s = opened->load(contents); !s.ok()) return s;
    key = std::move(opened);
    return success();
}

fs::path userConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : "/";
    }
    return fs::path(home) / ".config";
}

std::unique_ptr<Registry> makeUserRegistry() { return std::make_unique<FileRegistry>(userConfigFolder()); }

}  // namespace orvix
