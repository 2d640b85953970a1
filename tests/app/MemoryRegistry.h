#pragma once
// A registry in memory: keys by lower-cased path, values by lower-cased name, types kept; and an
// auto-start entry in memory.

#include <algorithm>
#include <map>
#include <memory>

#include "app/autostart/AutoStart.h"
#include "app/settings/Registry.h"

namespace orvix::test {

class MemoryRegistry final : public Registry {
public:
    using Values = std::map<std::string, RegValue>;

    static std::string lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    }

    RegStatus openKey(const std::string& path, std::unique_ptr<RegKey>& key) override {
        if (broken) return {RegStatus::Failed, 13, "Config.reg, line 3: cannot be read"};
        auto it = keys.find(lower(path));
        if (it == keys.end()) return {RegStatus::NotFound, 2, "not found"};
        key = std::make_unique<Key>(*this, it->second);
        return {};
    }
    RegStatus createKey(const std::string& path, std::unique_ptr<RegKey>& key) override {
        if (broken || (readOnly && !keys.count(lower(path)))) return {RegStatus::Failed, 5, "access denied"};
        key = std::make_unique<Key>(*this, keys[lower(path)]);
        return {};
    }

    std::map<std::string, Values> keys;
    bool broken = false;    // the store cannot be parsed
    bool readOnly = false;  // keys open, changes fail

private:
    class Key final : public RegKey {
    public:
        Key(MemoryRegistry& r, Values& v) : registry_(r), values_(v) {}
        RegStatus query(const std::string& name, RegValue& value) override {
            auto it = values_.find(lower(name));
            if (it == values_.end()) return {RegStatus::NotFound, 2, "not found"};
            value = it->second;
            return {};
        }
        RegStatus set(const std::string& name, const RegValue& value) override {
            if (registry_.readOnly) return {RegStatus::Failed, 5, "access denied"};
            values_[lower(name)] = value;
            return {};
        }
        RegStatus remove(const std::string& name) override {
            return values_.erase(lower(name)) ? RegStatus{} : RegStatus{RegStatus::NotFound, 2, "not found"};
        }

    private:
        MemoryRegistry& registry_;
        Values& values_;
    };
};

// An auto-start entry held in a string: the command it runs, empty when there is none.
class FileLessAutoStart final : public AutoStart {
public:
    explicit FileLessAutoStart(std::string& command) : command_(command) {}
    bool open() override { return true; }
    bool present() override { return !command_.empty(); }
    bool write(const std::string& path, std::string&) override {
        command_ = path;
        return true;
    }
    void remove() override { command_.clear(); }

private:
    std::string& command_;
};

}  // namespace orvix::test
