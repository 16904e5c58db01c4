#include "text/language_module.h"

#include <utility>

#include "app/config_info.h"
#include "app/error_record.h"
#include "app/status.h"
#include "platform/errors.h"
#include "platform/platform.h"
#include "text/format.h"

namespace {

constexpr int32_t kFirstOwnTextId = 50;
constexpr int32_t kLastOwnTextId = 70;
constexpr int32_t kSystemTextId = 209;
constexpr int32_t kUnknownDeviceCodeTextId = 621;
constexpr int32_t kVersionLabelTextId = 626;
constexpr int32_t kSearchTitleTextId = 106;
constexpr int32_t kRecoveryTitleTextId = 107;
constexpr uint16_t kLangKorean = 0x12;
constexpr uint16_t kAboutIconId = 135;
const wchar_t kProgramVersion[] = L"1, 548, 10, 139";

uint16_t PrimaryLanguage(uint16_t langId) { return langId & 0x3FF; }
uint16_t SubLanguage(uint16_t langId) { return langId >> 10; }

// The LANGID of the module that serves langId (bvmp0804.dll speaks 0x0804, ...).
uint16_t ModuleLangId(uint16_t langId) {
    switch (PrimaryLanguage(langId)) {
        case 0x04: return SubLanguage(langId) == 1 ? 0x0404 : 0x0804;
        case 0x07: return 0x0407;
        case 0x0A: return 0x040A;
        case 0x0C: return 0x040C;
        case 0x11: return 0x0411;
        case 0x12: return 0x0412;
        default: return 0x0409;
    }
}

// Player error codes with consecutive text ids from 223, in the order of the ids; 0x0000
// (an error without a reason) sits between the flash memory codes.
const std::pair<uint16_t, uint16_t> kDeviceCodeRuns[] = {
    {0x0101, 0x010F}, {0x0200, 0x020D}, {0x0210, 0x0210}, {0x0301, 0x0303}, {0x0401, 0x0428},
    {0x0500, 0x0515}, {0x0000, 0x0000}, {0x0516, 0x051A}, {0x0600, 0x060D}, {0x0700, 0x0704},
    {0x0800, 0x0805}, {0x0810, 0x0813}, {0x0820, 0x0824}, {0x0830, 0x0849}, {0x0850, 0x0855},
    {0x0860, 0x0879}, {0x0880, 0x0885}};
constexpr int32_t kFirstDeviceTextId = 223;

// The text id of a progress task code, 0 for none; component is set for the two texts
// that name a component (171: erase, 196: write).
int32_t TaskTextId(int32_t code, uint8_t& component) {
    component = 0;
    if (code >= 7 && code <= 16) {
        component = static_cast<uint8_t>(code - 6);
        return 171;
    }
    if (code >= 18 && code <= 27) {
        component = static_cast<uint8_t>(code - 17);
        return 196;
    }
    if (code >= 34 && code <= 44) return code + 150;
    switch (code) {
        case 2: return 163;
        case 3: return 164;
        case 4: return 173;
        case 5: return 166;
        case 28: return 138;
        case 29: return 167;
        case 30: return 181;
        case 31: return 182;
        case 32: return 183;
        case 45: return 165;
        case 46: return 172;
        case 47: return 218;
        case 48: return 168;
        case 49: return 169;
        default: return 0;
    }
}

}  // namespace

CBvLanguageModule::CBvLanguageModule(CBvConfigInfo* config, CBvErrorRecord* errorRecord,
                                     uint16_t userLangId)
    : CBvResource("CBvResource"),
      m_statusTextIds(60),
      m_deviceTextIds(199),
      m_config(config),
      m_errorRecord(errorRecord),
      m_userLangId(userLangId),
      m_logLangId(userLangId) {
    for (int32_t i = 0; i < BvStatusTableSize(); ++i) {
        const BvStatusEntry& entry = BvStatusTable()[i];
        if (entry.textId != kBvNoTextId) m_statusTextIds[entry.code] = entry.textId;
    }
    int32_t textId = kFirstDeviceTextId;
    for (const auto& [first, last] : kDeviceCodeRuns)
        for (uint32_t code = first; code <= last; ++code) m_deviceTextIds[static_cast<uint16_t>(code)] = textId++;

    m_userModule = LoadModule(userLangId);
    m_logModule = m_userModule;
}

CBvLanguageModule::~CBvLanguageModule() {
    platform::IModules& modules = platform::Modules();
    for (platform::Handle module : m_earlierLogModules) modules.FreeLibrary(module);
    if (m_logModule != m_userModule && m_logModule != platform::kNullHandle) modules.FreeLibrary(m_logModule);
    if (m_userModule != platform::kNullHandle) modules.FreeLibrary(m_userModule);
}

std::wstring CBvLanguageModule::ModuleFileName(uint16_t langId) {
    static const wchar_t kHex[] = L"0123456789abcdef";
    const uint16_t id = ModuleLangId(langId);
    std::wstring name = L"bvmp";
    for (int shift = 12; shift >= 0; shift -= 4) name.push_back(kHex[(id >> shift) & 0xF]);
    return name + L".dll";
}

platform::Handle CBvLanguageModule::LoadModule(uint16_t langId) {
    const std::wstring fileName = ModuleFileName(langId);
    const platform::Handle module = platform::Modules().LoadLibrary(fileName);
    if (module == platform::kNullHandle) {
        SetStatus(ERR_LANGUAGE_MODULE);
        SetSystemError(platform::System().GetLastError());
        if (m_errorRecord != nullptr) m_errorRecord->RecordFailureDetail(*this, fileName);
    }
    return module;
}

void CBvLanguageModule::RecordFailure() {
    if (m_errorRecord != nullptr) m_errorRecord->RecordFailure(*this);
}

int32_t CBvLanguageModule::FailTextLoad(uint32_t loadError) {
    SetStatus(ERR_TEXT_LOAD);
    SetSystemError(loadError);
    RecordFailure();
    return ERR_TEXT_LOAD;
}

bool CBvLanguageModule::LoadOwnString(int32_t textId, std::wstring& text, uint32_t& loadError) {
    platform::IResources& resources = platform::Resources();
    const uint16_t id = static_cast<uint16_t>(textId);
    if (resources.LoadProgramString(id, m_userLangId, text)) return true;
    loadError = platform::System().GetLastError();
    // The own table holds the eight languages of the modules; a user language that only its
    // module covers (Chinese of Hong Kong or Singapore) speaks the module's language here too.
    const uint16_t moduleLangId = ModuleLangId(m_userLangId);
    if (moduleLangId != m_userLangId && resources.LoadProgramString(id, moduleLangId, text)) return true;
    return false;
}

int32_t CBvLanguageModule::GetText(int32_t textId, std::wstring& text, bool forLog) {
    text.clear();
    bool loaded = false;
    uint32_t loadError = 0;
    if (textId >= kFirstOwnTextId && textId <= kLastOwnTextId) {
        loaded = LoadOwnString(textId, text, loadError);
    } else {
        const platform::Handle module = forLog ? m_logModule : m_userModule;
        if (textId <= 0 || textId > 0xFFFF)
            loadError = platform::kErrorInvalidParameter;
        else if (platform::Resources().LoadModuleString(module, static_cast<uint16_t>(textId), 0, text))
            loaded = true;
        else
            loadError = platform::System().GetLastError();
    }

    // The system's text for the recorded failure follows its prefix, and stands alone when
    // the prefix is missing, so that a missing module still tells why it is missing.
    if (textId == kSystemTextId) {
        std::wstring systemText;
        const uint32_t systemError = m_errorRecord != nullptr ? m_errorRecord->GetSystemError() : 0;
        if (platform::Resources().FormatSystemMessage(systemError, forLog ? m_logLangId : 0, systemText))
            text += systemText;
    }

    if (!loaded) return FailTextLoad(loadError);

    if (textId == kSearchTitleTextId || textId == kRecoveryTitleTextId) {
        std::wstring name;
        if (m_config != nullptr) m_config->GetAppShortName(name, m_userLangId);
        text = PrimaryLanguage(m_userLangId) == kLangKorean ? name + L" " + text + L"..."
                                                             : text + L" " + name + L"...";
    }
    return 0;
}

int32_t CBvLanguageModule::GetStatusText(int32_t code, std::wstring& text, bool forLog) {
    const auto found = m_statusTextIds.find(code);
    if (found == m_statusTextIds.end()) {
        text.clear();
        return ERR_NO_TEXT;
    }
    return GetText(found->second, text, forLog);
}

int32_t CBvLanguageModule::GetDeviceErrorText(uint16_t deviceCode, std::wstring& text, bool forLog) {
    const auto found = m_deviceTextIds.find(deviceCode);
    const int32_t textId = found != m_deviceTextIds.end() ? found->second : kUnknownDeviceCodeTextId;
    const int32_t status = GetText(textId, text, forLog);
    return found == m_deviceTextIds.end() ? ERR_UNKNOWN_DEVICE_CODE : status;
}

int32_t CBvLanguageModule::GetProductText(int32_t textId, std::wstring& text) {
    return GetText(textId, text, false);
}

int32_t CBvLanguageModule::ComposeDeviceErrorMessage(int32_t code, std::wstring& text,
                                                     uint8_t componentIndex, bool forLog) {
    std::string fileName;
    if (m_config != nullptr) m_config->GetComponentFileName(componentIndex, fileName);
    std::wstring format;
    const int32_t status = GetStatusText(code, format, forLog);
    if (status != 0) return GetStatusText(status, text, forLog);
    text = BvFormatText(format, {std::wstring(fileName.begin(), fileName.end())});
    return 0;
}

int32_t CBvLanguageModule::GetTaskText(int32_t taskCode, std::wstring& text, bool forLog) {
    text.clear();
    uint8_t component = 0;
    const int32_t textId = TaskTextId(taskCode, component);
    if (textId == 0) return 0;
    if (component == 0) return GetText(textId, text, forLog);

    std::wstring displayName;
    const int32_t nameStatus = m_config != nullptr ? m_config->GetComponentDisplayName(component, displayName)
                                                   : ERR_NOT_CONFIGURED;
    if (nameStatus != 0) return nameStatus;
    std::wstring format;
    const int32_t status = GetText(textId, format, forLog);
    if (status != 0) return status;
    text = BvFormatText(format, {displayName});
    return 0;
}

int32_t CBvLanguageModule::GetVersionText(std::wstring& text) {
    const int32_t status = GetText(kVersionLabelTextId, text, false);
    text += kProgramVersion;
    return status;
}

int32_t CBvLanguageModule::SwitchLogLanguage(uint16_t langId) {
    m_logLangId = langId;
    const platform::Handle module = LoadModule(langId);
    if (module == platform::kNullHandle) return ERR_LANGUAGE_MODULE;  // the log keeps its module
    if (m_logModule != m_userModule && m_logModule != platform::kNullHandle)
        m_earlierLogModules.push_back(m_logModule);
    m_logModule = module;
    return 0;
}

int32_t CBvLanguageModule::LoadIconResource(uint16_t iconId, platform::Handle& icon) {
    const int size = iconId == kAboutIconId ? 32 : 16;
    const platform::Handle loaded = platform::Resources().LoadProgramIcon(iconId, size);
    if (loaded == platform::kNullHandle) {
        SetStatus(ERR_ICON_LOAD);
        SetSystemError(platform::System().GetLastError());
        RecordFailure();
        return ERR_ICON_LOAD;
    }
    icon = loaded;
    return 0;
}
