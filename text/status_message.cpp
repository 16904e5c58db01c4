#include "text/status_message.h"

#include "app/error_record.h"
#include "app/status.h"
#include "text/format.h"
#include "text/language_module.h"

namespace {

constexpr int32_t kNoTextTextId = 159;
constexpr int32_t kScsiDetailsPrefixTextId = 208;
constexpr int32_t kSystemTextId = 209;
constexpr int32_t kModuleMissingTextId = 61;

}  // namespace

void ComposeStatusMessage(CBvLanguageModule& texts, int32_t code, std::wstring& message,
                          std::wstring& details, bool forLog) {
    const CBvErrorRecord* record = texts.GetErrorRecord();
    const uint8_t component = record != nullptr ? record->GetComponentIndex() : kBvNoComponent;
    const std::wstring detail = record != nullptr ? record->GetDetailText() : std::wstring();

    switch (code) {
        case ERR_FILE_OPEN:
            texts.ComposeDeviceErrorMessage(code, message, component, forLog);
            break;
        case ERR_SCSI_COMMAND:
            texts.GetStatusText(code, message, forLog);
            texts.GetText(kScsiDetailsPrefixTextId, details, forLog);
            details += detail;
            break;
        case ERR_DISK_CONTROL:
            texts.GetText(kSystemTextId, message, forLog);
            break;
        case ERR_TEXT_LOAD:
        case ERR_WRITE:
        case ERR_ICON_LOAD:
        case ERR_SETTINGS_DELETE:
            // The system text first: a text that fails to load records its own failure.
            texts.GetText(kSystemTextId, details, forLog);
            texts.GetStatusText(code, message, forLog);
            break;
        case ERR_LANGUAGE_MODULE: {
            std::wstring format;
            texts.GetText(kModuleMissingTextId, format, forLog);
            message = BvFormatText(format, {detail});
            texts.GetText(kSystemTextId, details, forLog);
            break;
        }
        default:
            if (texts.GetStatusText(code, message, forLog) == ERR_NO_TEXT)
                texts.GetText(kNoTextTextId, message, forLog);
            break;
    }
}
