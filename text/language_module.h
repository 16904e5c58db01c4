#pragma once
// CBvLanguageModule: every text of the updater by id. Texts 50 to 70 come from the program's
// own string table (so that the program can still say that its language module is missing);
// all others from the language module "bvmpXXXX.dll" of the user's language, or, for the
// log, from a second module the log language can be switched to.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/types.h"
#include "text/resource.h"

class CBvConfigInfo;
class CBvErrorRecord;

class CBvLanguageModule : public CBvResource {
public:
    // Loads the module of userLangId; on failure the status is ERR_LANGUAGE_MODULE, the
    // system error the load's, and the error record names the module's file. The record
    // (the engine's) may be null; failures are then only kept in this object.
    CBvLanguageModule(CBvConfigInfo* config, CBvErrorRecord* errorRecord, uint16_t userLangId);
    ~CBvLanguageModule() override;
    CBvLanguageModule(const CBvLanguageModule&) = delete;
    CBvLanguageModule& operator=(const CBvLanguageModule&) = delete;

    // forLog selects the log module and log language instead of the user's.
    int32_t GetText(int32_t textId, std::wstring& text, bool forLog);
    // Codes 0 to -59; any other code gives an empty text and ERR_NO_TEXT.
    int32_t GetStatusText(int32_t code, std::wstring& text, bool forLog);
    // A code without a text gets text 621 and ERR_UNKNOWN_DEVICE_CODE.
    int32_t GetDeviceErrorText(uint16_t deviceCode, std::wstring& text, bool forLog) override;
    int32_t GetProductText(int32_t textId, std::wstring& text) override;
    // The text of code used as a format with the file name of the component.
    int32_t ComposeDeviceErrorMessage(int32_t code, std::wstring& text, uint8_t componentIndex,
                                      bool forLog);
    // The one-line text of a progress task; empty for codes without a text.
    int32_t GetTaskText(int32_t taskCode, std::wstring& text, bool forLog);
    // Text 626 followed by the program version.
    int32_t GetVersionText(std::wstring& text);
    // Loads the module of langId for the log; the earlier log module stays loaded.
    int32_t SwitchLogLanguage(uint16_t langId);
    // Icon of the program's own resources: 32 x 32 pixels for 135, 16 x 16 for the others.
    int32_t LoadIconResource(uint16_t iconId, platform::Handle& icon);

    uint16_t GetUserLangId() const { return m_userLangId; }
    uint16_t GetLogLangId() const { return m_logLangId; }
    CBvErrorRecord* GetErrorRecord() const { return m_errorRecord; }

    // "bvmp0409.dll" and the others, by primary language and, for Chinese, sublanguage.
    static std::wstring ModuleFileName(uint16_t langId);

private:
    platform::Handle LoadModule(uint16_t langId);
    bool LoadOwnString(int32_t textId, std::wstring& text, uint32_t& loadError);
    int32_t FailTextLoad(uint32_t loadError);
    void RecordFailure();

    std::unordered_map<int32_t, int32_t> m_statusTextIds;
    std::unordered_map<uint16_t, int32_t> m_deviceTextIds;
    CBvConfigInfo* m_config;
    CBvErrorRecord* m_errorRecord;
    platform::Handle m_userModule = platform::kNullHandle;
    platform::Handle m_logModule = platform::kNullHandle;
    std::vector<platform::Handle> m_earlierLogModules;  // switched away from, still loaded
    uint16_t m_userLangId;
    uint16_t m_logLangId;
};
