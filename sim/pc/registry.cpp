#include "sim/pc/registry.h"

#include <cstring>
#include <cwctype>
#include <iterator>

#include "platform/errors.h"

namespace sim {

struct Registry::Node {
    struct Value {
        std::wstring name;
        uint32_t type = platform::kRegNone;
        std::vector<uint8_t> data;
    };
    std::wstring name;
    std::map<std::wstring, std::unique_ptr<Node>> children;  // by lower-case name
    std::map<std::wstring, Value> values;                    // by lower-case name
};

namespace {

std::wstring Lower(const std::wstring& text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

// UTF-16LE with the terminating null, as the wide registry calls deliver strings.
std::vector<uint8_t> Utf16Bytes(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        uint32_t unit = static_cast<uint32_t>(c) & 0xFFFF;
        bytes.push_back(uint8_t(unit));
        bytes.push_back(uint8_t(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

}  // namespace

Registry::Registry() {
    for (platform::RegKey root : {platform::kHkeyClassesRoot, platform::kHkeyCurrentUser,
                                  platform::kHkeyLocalMachine, platform::kHkeyUsers}) {
        m_roots[root].reset(new Node());
    }
}

Registry::~Registry() = default;

Registry::Node* Registry::Root(platform::RegKey root) {
    auto found = m_roots.find(root);
    return found == m_roots.end() ? nullptr : found->second.get();
}

Registry::Node* Registry::Resolve(platform::RegKey key) {
    if (Node* root = Root(key)) return root;
    auto found = m_open.find(key);
    return found == m_open.end() ? nullptr : found->second;
}

Registry::Node* Registry::Walk(Node* from, const std::wstring& path, bool create) {
    Node* node = from;
    size_t start = 0;
    while (node != nullptr && start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        auto found = node->children.find(Lower(part));
        if (found != node->children.end()) {
            node = found->second.get();
        } else if (create) {
            std::unique_ptr<Node>& child = node->children[Lower(part)];
            child.reset(new Node());
            child->name = part;
            node = child.get();
        } else {
            node = nullptr;
        }
    }
    return node;
}

void Registry::CreateKey(platform::RegKey root, const std::wstring& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Walk(Root(root), path, true);
}

void Registry::SetValue(platform::RegKey root, const std::wstring& path,
                        const std::wstring& name, uint32_t type, std::vector<uint8_t> data) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Node* node = Walk(Root(root), path, true);
    if (node == nullptr) return;
    Node::Value& value = node->values[Lower(name)];
    value.name = name;
    value.type = type;
    value.data = std::move(data);
}

void Registry::SetString(platform::RegKey root, const std::wstring& path,
                         const std::wstring& name, const std::wstring& value) {
    SetValue(root, path, name, platform::kRegSz, Utf16Bytes(value));
}

void Registry::SetDword(platform::RegKey root, const std::wstring& path,
                        const std::wstring& name, uint32_t value) {
    SetValue(root, path, name, platform::kRegDword,
             {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
}

void Registry::SetBinary(platform::RegKey root, const std::wstring& path,
                         const std::wstring& name, const std::vector<uint8_t>& value) {
    SetValue(root, path, name, platform::kRegBinary, value);
}

bool Registry::KeyExists(platform::RegKey root, const std::wstring& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return Walk(Root(root), path, false) != nullptr;
}

size_t Registry::OpenKeyCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open.size();
}

std::int32_t Registry::OpenKey(platform::RegKey parent, const std::wstring& subKey,
                               std::uint32_t /*access*/, platform::RegKey* key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    *key = 0;
    Node* from = Resolve(parent);
    if (from == nullptr) return platform::kErrorInvalidHandle;
    Node* node = Walk(from, subKey, false);
    if (node == nullptr) return platform::kErrorFileNotFound;
    m_nextKey += 4;
    m_open[m_nextKey] = node;
    *key = m_nextKey;
    return platform::kErrorSuccess;
}

std::int32_t Registry::EnumKey(platform::RegKey key, std::uint32_t index, std::wstring* name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Node* node = Resolve(key);
    if (node == nullptr) return platform::kErrorInvalidHandle;
    if (index >= node->children.size()) return platform::kErrorNoMoreItems;
    auto it = node->children.begin();
    std::advance(it, index);
    *name = it->second->name;
    return platform::kErrorSuccess;
}

std::int32_t Registry::QueryValue(platform::RegKey key, const std::wstring& valueName,
                                  std::uint32_t* type, void* data, std::uint32_t* size) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Node* node = Resolve(key);
    if (node == nullptr) return platform::kErrorInvalidHandle;
    auto found = node->values.find(Lower(valueName));
    if (found == node->values.end()) return platform::kErrorFileNotFound;
    const Node::Value& value = found->second;
    if (type != nullptr) *type = value.type;
    if (size == nullptr) return data == nullptr ? platform::kErrorSuccess
                                                : platform::kErrorInvalidParameter;
    uint32_t needed = static_cast<uint32_t>(value.data.size());
    uint32_t room = *size;
    *size = needed;
    if (data == nullptr) return platform::kErrorSuccess;
    if (room < needed) return platform::kErrorMoreData;
    std::memcpy(data, value.data.data(), needed);
    return platform::kErrorSuccess;
}

std::int32_t Registry::CloseKey(platform::RegKey key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Root(key) != nullptr) return platform::kErrorSuccess;
    return m_open.erase(key) == 1 ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
}

}  // namespace sim
