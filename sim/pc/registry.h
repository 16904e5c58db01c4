#pragma once
// The simulated PC's registry: the HKCR, HKCU, HKLM and HKU trees with typed values. Keys and
// value names are compared without regard to case; subkeys enumerate in name order.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/registry_read.h"

namespace sim {

class Registry final : public platform::IRegistryRead {
public:
    Registry();
    ~Registry() override;

    // ---- set-up (creates the keys on the way)
    void CreateKey(platform::RegKey root, const std::wstring& path);
    void SetString(platform::RegKey root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& value);
    void SetDword(platform::RegKey root, const std::wstring& path, const std::wstring& name,
                  uint32_t value);
    void SetBinary(platform::RegKey root, const std::wstring& path, const std::wstring& name,
                   const std::vector<uint8_t>& value);
    bool KeyExists(platform::RegKey root, const std::wstring& path);
    size_t OpenKeyCount();

    // ---- platform::IRegistryRead
    std::int32_t OpenKey(platform::RegKey parent, const std::wstring& subKey,
                         std::uint32_t access, platform::RegKey* key) override;
    std::int32_t EnumKey(platform::RegKey key, std::uint32_t index, std::wstring* name) override;
    std::int32_t QueryValue(platform::RegKey key, const std::wstring& valueName,
                            std::uint32_t* type, void* data, std::uint32_t* size) override;
    std::int32_t CloseKey(platform::RegKey key) override;

    struct Node;

private:
    Node* Root(platform::RegKey root);
    Node* Resolve(platform::RegKey key);
    Node* Walk(Node* from, const std::wstring& path, bool create);
    void SetValue(platform::RegKey root, const std::wstring& path, const std::wstring& name,
                  uint32_t type, std::vector<uint8_t> data);

    std::mutex m_mutex;
    std::map<platform::RegKey, std::unique_ptr<Node>> m_roots;
    std::map<platform::RegKey, Node*> m_open;
    platform::RegKey m_nextKey = 0x1000;
};

}  // namespace sim
