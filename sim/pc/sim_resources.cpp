// The simulated PC's resources: the language modules built from resources/lang are
// installed next to the program, the program's own string table comes from
// resources/own_strings.rc, and the system has a small message table.
#include <cwctype>

#include "platform/errors.h"
#include "sim/pc/sim_pc_objects.h"
#include "sim/pc/string_lookup.h"
#include "sim/pc/system_messages.h"

namespace sim {

namespace {

constexpr uint32_t kErrorMessageNotFound = 317;
constexpr uint32_t kErrorResourceTypeNotFound = 1813;

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

}  // namespace

void SimPc::SetLanguageModuleInstalled(const std::wstring& fileName, bool installed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (installed) m_removedLanguageModules.erase(Upper(fileName));
    else m_removedLanguageModules.insert(Upper(fileName));
}

void SimPc::InstallLanguageModule(const std::wstring& fileName, const ModuleStringTables& strings) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_removedLanguageModules.erase(Upper(fileName));
    m_customLanguageModules[Upper(fileName)] = &strings;
}

void SimPc::SetProgramIcon(uint16_t id, bool present) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (present) m_programIcons.insert(id);
    else m_programIcons.erase(id);
}

const ModuleStringTables* SimPc::InstalledLanguageModule(const std::wstring& upperFileName) const {
    if (m_removedLanguageModules.count(upperFileName) != 0) return nullptr;
    const auto custom = m_customLanguageModules.find(upperFileName);
    if (custom != m_customLanguageModules.end()) return custom->second;
    return FindBuiltLanguageModule(upperFileName);
}

bool SimPc::LoadModuleString(platform::Handle module, std::uint16_t id, std::uint16_t langId,
                             std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    text.clear();
    std::shared_ptr<Object> object = FindObject(module);
    if (!object || object->kind != Object::Kind::kModule) return Fail(platform::kErrorInvalidHandle);
    const ModuleStringTables* strings = static_cast<ModuleObject&>(*object).strings;
    if (strings == nullptr) return Fail(kErrorResourceTypeNotFound);  // a module without strings
    uint32_t error = 0;
    const StringResource* found = FindString(*strings, id, langId, m_langId, &error);
    if (found == nullptr || found->length == 0) return Fail(found == nullptr ? error : 1814);
    text = ToWide(*found);
    return true;
}

bool SimPc::LoadProgramString(std::uint16_t id, std::uint16_t langId, std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    text.clear();
    uint32_t error = 0;
    const StringResource* found = FindString(BuiltProgramStrings(), id, langId, m_langId, &error);
    if (found == nullptr || found->length == 0) return Fail(found == nullptr ? error : 1814);
    text = ToWide(*found);
    return true;
}

bool SimPc::FormatSystemMessage(std::uint32_t error, std::uint16_t langId, std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    text.clear();
    if (!SystemMessageText(error, langId == 0 ? m_langId : langId, text)) return Fail(kErrorMessageNotFound);
    return true;
}

platform::Handle SimPc::LoadProgramIcon(std::uint16_t id, int size) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_programIcons.count(id) == 0) {
        Fail(kErrorResourceTypeNotFound);
        return platform::kNullHandle;
    }
    // Shared icons are never closed, so they are not kernel objects of the PC: one fixed
    // handle per icon and size, far above the numbers the PC gives its objects.
    return platform::Handle{0x40000000} + (platform::Handle{id} << 8) + static_cast<platform::Handle>(size & 0xFF);
}

}  // namespace sim
