#pragma once
// The registry as a map, refusing what Windows 7 and later refuse: names compare without
// regard to case; a mask with both view flags fails; a value larger than the buffer cannot
// be read; a key cannot be read without KEY_QUERY_VALUE nor written without KEY_SET_VALUE.
// With `standardUser`, HKEY_LOCAL_MACHINE keys do not open for writing, as for a program
// without administrator rights. It records the mask of every HKEY_LOCAL_MACHINE open and
// counts the keys still open.
#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "utility/Registry.h"
#include "utility/RegistryAccess.h"

namespace fake {

using Bytes = std::vector<uint8_t>;
inline Bytes Text(const std::string& text) { return {text.begin(), text.end()}; }  // no NUL added
inline Bytes Dword(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

class FakeRegistry final : public utility::Registry {
public:
    void AddKey(const std::string& path) { m_keys[Lower(path)]; }
    void Set(const std::string& path, const std::string& name, Bytes b) { m_keys[Lower(path)][Lower(name)] = b; }
    // The same for HKEY_CURRENT_USER.
    void SetUser(const std::string& path, const std::string& name, Bytes b) { m_user[Lower(path)][Lower(name)] = b; }
    std::optional<Bytes> Get(const std::string& path, const std::string& name) const { return Find(m_keys, path, name); }
    std::optional<Bytes> GetUser(const std::string& path, const std::string& name) const {
        return Find(m_user, path, name);
    }
    bool HasUserKey(const std::string& path) const { return m_user.count(Lower(path)) != 0; }
    std::vector<uint32_t> masks;  // of every HKEY_LOCAL_MACHINE open, in order
    int openKeys = 0;
    bool standardUser = false;
    // A value HKEY_LOCAL_MACHINE keys fail to write, as a write that fails halfway.
    std::string refusedLocalMachineValue;

    std::unique_ptr<utility::RegistryKey> OpenLocalMachineKey(const std::string& path, uint32_t access) override {
        using namespace utility;
        masks.push_back(access);
        const auto key = m_keys.find(Lower(path));
        if (key == m_keys.end() || (access & kKeyWow64_32Key && access & kKeyWow64_64Key) ||
            (standardUser && access & kKeySetValue))
            return nullptr;
        return std::make_unique<Key>(*this, key->second, access, true);
    }
    std::unique_ptr<utility::RegistryKey> OpenUserKey(const std::string& path, bool create) override {
        using namespace utility;
        auto key = m_user.find(Lower(path));
        if (key == m_user.end() && create) key = m_user.emplace(Lower(path), Values{}).first;
        if (key == m_user.end()) return nullptr;
        return std::make_unique<Key>(*this, key->second, kKeyRead | kKeySetValue, false);
    }

private:
    using Values = std::map<std::string, Bytes>;
    static std::optional<Bytes> Find(const std::map<std::string, Values>& keys, const std::string& path,
                                     const std::string& name) {
        const auto key = keys.find(Lower(path));
        if (key == keys.end()) return std::nullopt;
        const auto value = key->second.find(Lower(name));
        return value == key->second.end() ? std::nullopt : std::optional<Bytes>(value->second);
    }
    static std::string Lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    }
    struct Key final : utility::RegistryKey {
        Key(FakeRegistry& r, Values& v, uint32_t a, bool machine)
            : registry(r), values(v), access(a), localMachine(machine) {
            ++registry.openKeys;
        }
        ~Key() override { --registry.openKeys; }
        std::optional<Bytes> QueryValue(const std::string& name, uint32_t bufferSize) const override {
            const auto found = values.find(Lower(name));
            if (!(access & utility::kKeyQueryValue) || found == values.end() || found->second.size() > bufferSize)
                return std::nullopt;
            return found->second;
        }
        bool SetDwordValue(const std::string& name, uint32_t value) override {
            const bool refused = localMachine && Lower(name) == Lower(registry.refusedLocalMachineValue);
            if (!(access & utility::kKeySetValue) || refused) return false;
            values[Lower(name)] = Dword(value);
            return true;
        }
        FakeRegistry& registry;
        Values& values;
        uint32_t access;
        bool localMachine;
    };
    std::map<std::string, Values> m_keys;
    std::map<std::string, Values> m_user;
};

}  // namespace fake
