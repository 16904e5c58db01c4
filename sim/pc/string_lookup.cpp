#include "sim/pc/string_lookup.h"

#include <cwctype>
#include <vector>

namespace sim {

namespace {

constexpr uint32_t kErrorResourceNameNotFound = 1814;
constexpr uint32_t kErrorResourceLangNotFound = 1815;

uint16_t Neutral(uint16_t langId) { return langId & 0x3FF; }

const StringTable* TableIn(const ModuleStringTables& module, uint16_t langId) {
    for (size_t i = 0; i < module.count; ++i)
        if (module.tables[i].langId == langId) return &module.tables[i];
    return nullptr;
}

}  // namespace

const ModuleStringTables* FindBuiltLanguageModule(const std::wstring& fileName) {
    for (size_t i = 0; i < BuiltLanguageModuleCount(); ++i) {
        const char* name = BuiltLanguageModules()[i].fileName;
        size_t k = 0;
        while (name[k] != '\0' && k < fileName.size() &&
               std::towlower(static_cast<wint_t>(fileName[k])) == static_cast<wint_t>(name[k]))
            ++k;
        if (name[k] == '\0' && k == fileName.size()) return &BuiltLanguageModules()[i];
    }
    return nullptr;
}

const StringResource* FindString(const ModuleStringTables& module, uint16_t id, uint16_t langId,
                                 uint16_t userLangId, uint32_t* error) {
    std::vector<uint16_t> order = {langId, Neutral(langId), 0};
    if (Neutral(langId) == 0) order.insert(order.end(), {userLangId, Neutral(userLangId), 0x0409});
    const StringTable* table = nullptr;
    for (uint16_t candidate : order)
        if ((table = TableIn(module, candidate)) != nullptr) break;
    if (table == nullptr && Neutral(langId) == 0 && module.count > 0) table = &module.tables[0];
    if (table == nullptr) {
        *error = kErrorResourceLangNotFound;
        return nullptr;
    }
    for (size_t i = 0; i < table->count; ++i)
        if (table->strings[i].id == id) return &table->strings[i];
    *error = kErrorResourceNameNotFound;
    return nullptr;
}

std::wstring ToWide(const StringResource& resource) {
    std::wstring out;
    for (size_t i = 0; i < resource.length; ++i) {
        const char16_t c = resource.text[i];
        if (sizeof(wchar_t) == 4 && c >= 0xD800 && c < 0xDC00 && i + 1 < resource.length) {
            const char16_t low = resource.text[++i];
            out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00)));
        } else {
            out.push_back(static_cast<wchar_t>(c));
        }
    }
    return out;
}

}  // namespace sim
