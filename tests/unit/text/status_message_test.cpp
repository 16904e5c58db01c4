// Every row of the composing table, with the texts of the English module on a simulated PC.
#include <gtest/gtest.h>

#include "app/config_info.h"
#include "app/error_record.h"
#include "app/status.h"
#include "sim/pc/sim_pc.h"
#include "text/format.h"
#include "text/language_module.h"
#include "text/status_message.h"

namespace {

class StatusMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scope.Pc().SetUserLangId(0x0409);
        m_module = std::make_unique<CBvLanguageModule>(&m_config, &m_record, 0x0409);
        m_config.SetResource(m_module.get());
    }
    std::wstring Text(int32_t id) {
        std::wstring text;
        EXPECT_EQ(m_module->GetText(id, text, false), 0) << id;
        return text;
    }
    void Compose(int32_t code, bool forLog = false) {
        m_message.clear();
        m_details.clear();
        ComposeStatusMessage(*m_module, code, m_message, m_details, forLog);
    }

    sim::ScopedPc m_scope;
    CBvConfigInfo m_config;
    CBvErrorRecord m_record;
    std::unique_ptr<CBvLanguageModule> m_module;
    std::wstring m_message, m_details;
};

// A stand-in that failed, so the record holds a name, a status and a system error.
class FailedObject : public CBvBase {
public:
    FailedObject(int32_t status, uint32_t systemError) : CBvBase("CBvScsi_Nt") {
        SetStatus(status);
        SetSystemError(systemError);
    }
};

TEST_F(StatusMessageTest, FileOpenNamesTheComponentFile) {
    m_record.RecordComponentFailure(FailedObject(ERR_FILE_OPEN, 2), 2);
    Compose(ERR_FILE_OPEN);
    EXPECT_EQ(m_message, BvFormatText(Text(119), {L"usbmsc.sb"}));
    EXPECT_NE(m_message.find(L"usbmsc.sb"), std::wstring::npos);
    EXPECT_TRUE(m_details.empty());
}

TEST_F(StatusMessageTest, FileOpenWithoutComponentGivesAnEmptyName) {
    Compose(ERR_FILE_OPEN);  // a fresh record: component 255
    EXPECT_EQ(m_message, BvFormatText(Text(119), {L""}));
}

TEST_F(StatusMessageTest, ScsiCommandPutsThePlayersReportInTheDetails) {
    m_record.RecordFailureDetail(FailedObject(ERR_SCSI_COMMAND, 0), L"Player error 0x0501: ...");
    Compose(ERR_SCSI_COMMAND);
    EXPECT_EQ(m_message, Text(131));
    EXPECT_EQ(m_details, Text(208) + L"Player error 0x0501: ...");
}

TEST_F(StatusMessageTest, DiskControlShowsOnlyTheSystemText) {
    m_record.RecordFailure(FailedObject(ERR_DISK_CONTROL, 5));
    Compose(ERR_DISK_CONTROL);
    EXPECT_EQ(m_message, L"Windows reports: Access is denied.\r\n");
    EXPECT_TRUE(m_details.empty());
}

TEST_F(StatusMessageTest, SomeCodesCarryTheSystemTextAsDetails) {
    for (int32_t code : {ERR_TEXT_LOAD, ERR_WRITE, ERR_ICON_LOAD, ERR_SETTINGS_DELETE}) {
        m_record.Set(code, 32);
        std::wstring statusText;
        ASSERT_EQ(m_module->GetStatusText(code, statusText, false), 0);
        Compose(code);
        EXPECT_EQ(m_message, statusText) << code;
        EXPECT_EQ(m_details,
                  L"Windows reports: The process cannot access the file because it is being used by another process.\r\n")
            << code;
    }
}

TEST_F(StatusMessageTest, OtherCodesGiveTheirTextOr159) {
    const struct {
        int32_t code;
        int32_t textId;
    } cases[] = {{0, 108}, {ERR_PLAYER_NOT_FOUND, 130}, {ERR_FORMAT_NEEDED, 210}, {ERR_VERIFY, 624},
                 {1, 159}, {ERR_NO_TEXT, 159}, {ERR_INSTANCE_EXISTS, 159}, {ERR_UNKNOWN_DEVICE_CODE, 159}};
    for (const auto& c : cases) {
        Compose(c.code);
        EXPECT_EQ(m_message, Text(c.textId)) << c.code;
        EXPECT_TRUE(m_details.empty()) << c.code;
    }
}

TEST_F(StatusMessageTest, MissingLanguageModuleIsToldWithoutAnyModule) {
    m_scope.Pc().SetUserLangId(0x0407);
    m_scope.Pc().SetLanguageModuleInstalled(L"bvmp0407.dll", false);
    CBvErrorRecord record;
    CBvLanguageModule module(&m_config, &record, 0x0407);
    ASSERT_EQ(module.GetStatus(), ERR_LANGUAGE_MODULE);
    std::wstring message, details;
    ComposeStatusMessage(module, ERR_LANGUAGE_MODULE, message, details, false);
    EXPECT_EQ(message, L"Ressource dll : bvmp0407.dll konnte nicht geladen werden");
    EXPECT_EQ(details, L"Das angegebene Modul wurde nicht gefunden.\r\n");  // system text alone
}

TEST_F(StatusMessageTest, LogFormIsComposedInTheLogLanguage) {
    m_scope.Pc().SetUserLangId(0x0407);
    CBvErrorRecord record;
    CBvLanguageModule module(&m_config, &record, 0x0407);
    ASSERT_EQ(module.SwitchLogLanguage(9), 0);
    record.Set(ERR_WRITE, 21);
    std::wstring screen, screenDetails, log, logDetails;
    ComposeStatusMessage(module, ERR_WRITE, screen, screenDetails, false);
    ComposeStatusMessage(module, ERR_WRITE, log, logDetails, true);
    EXPECT_EQ(screenDetails, L"Windows meldet: Das Ger\u00E4t ist nicht bereit.\r\n");
    EXPECT_EQ(logDetails, L"Windows reports: The device is not ready.\r\n");
    EXPECT_EQ(log, L"Writing to the player failed. Please disconnect the player, connect it again and try again.");
    EXPECT_NE(screen, log);
}

}  // namespace
