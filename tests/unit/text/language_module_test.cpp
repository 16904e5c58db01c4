// The language module against the simulated PC, which serves the texts of the real .rc files.
#include <gtest/gtest.h>

#include "app/config_info.h"
#include "app/error_record.h"
#include "app/status.h"
#include "platform/platform.h"
#include "sim/pc/sim_pc.h"
#include "text/format.h"
#include "text/language_module.h"

namespace {

class LanguageModuleTest : public ::testing::Test {
protected:
    // A module for userLangId on a PC whose user speaks the same language.
    std::unique_ptr<CBvLanguageModule> Make(uint16_t userLangId) {
        m_scope.Pc().SetUserLangId(userLangId);
        auto module = std::make_unique<CBvLanguageModule>(&m_config, &m_record, userLangId);
        m_config.SetResource(module.get());
        return module;
    }
    std::wstring Text(CBvLanguageModule& module, int32_t id, bool forLog = false) {
        std::wstring text;
        EXPECT_EQ(module.GetText(id, text, forLog), 0) << "text " << id;
        return text;
    }

    sim::ScopedPc m_scope;
    CBvConfigInfo m_config;
    CBvErrorRecord m_record;
};

TEST(LanguageModuleFileName, FollowsPrimaryLanguageAndChineseSublanguage) {
    const struct {
        uint16_t langId;
        const wchar_t* file;
    } cases[] = {
        {0x0404, L"bvmp0404.dll"}, {0x0804, L"bvmp0804.dll"}, {0x0C04, L"bvmp0804.dll"},
        {0x1004, L"bvmp0804.dll"}, {0x0407, L"bvmp0407.dll"}, {0x0807, L"bvmp0407.dll"},
        {0x0409, L"bvmp0409.dll"}, {9, L"bvmp0409.dll"},      {0x0416, L"bvmp0409.dll"},
        {0x0C0A, L"bvmp040a.dll"}, {0x080C, L"bvmp040c.dll"}, {0x0411, L"bvmp0411.dll"},
        {0x0412, L"bvmp0412.dll"},
    };
    for (const auto& c : cases) EXPECT_EQ(CBvLanguageModule::ModuleFileName(c.langId), c.file) << c.langId;
}

TEST_F(LanguageModuleTest, LoadsTheModuleOfTheUserLanguage) {
    auto german = Make(0x0407);
    EXPECT_EQ(german->GetStatus(), 0);
    EXPECT_EQ(Text(*german, 632), L"Abbrechen");
    EXPECT_EQ(Text(*german, 67), L"Fehler");  // own table, German neutral

    auto english = Make(9);  // the value start-up uses for unsupported languages
    EXPECT_EQ(Text(*english, 632), L"Cancel");
    EXPECT_EQ(Text(*english, 67), L"Error");
}

// The system's string block search alone finds no own text for Chinese of Hong Kong: the
// own table holds 0x0404 and 0x0804 only.
TEST_F(LanguageModuleTest, ProgramStringSearchFollowsTheSystem) {
    m_scope.Pc().SetUserLangId(0x040C);
    platform::IResources& resources = platform::Resources();
    std::wstring text;
    EXPECT_TRUE(resources.LoadProgramString(67, 0x0407, text));  // neutral sublanguage
    EXPECT_EQ(text, L"Fehler");
    EXPECT_TRUE(resources.LoadProgramString(67, 0, text));  // neutral: the user's language
    EXPECT_EQ(text, L"Erreur");
    EXPECT_FALSE(resources.LoadProgramString(67, 0x0C04, text));
    EXPECT_EQ(platform::System().GetLastError(), 1815u);
    EXPECT_FALSE(resources.LoadProgramString(71, 0x0409, text));
    EXPECT_EQ(platform::System().GetLastError(), 1814u);
}

TEST_F(LanguageModuleTest, ChineseOfHongKongSpeaksSimplifiedChineseAlsoInTheOwnTexts) {
    auto module = Make(0x0C04);
    EXPECT_EQ(module->GetStatus(), 0);
    EXPECT_EQ(Text(*module, 632), L"\u53D6\u6D88");
    EXPECT_EQ(Text(*module, 67), L"\u9519\u8BEF");  // "错误" of the 0x0804 own table
    auto traditional = Make(0x0404);
    EXPECT_EQ(Text(*traditional, 67), L"\u932F\u8AA4");  // "錯誤"
}

TEST_F(LanguageModuleTest, MissingModuleIsRecordedWithItsFileName) {
    m_scope.Pc().SetLanguageModuleInstalled(L"bvmp0407.dll", false);
    auto module = Make(0x0407);
    EXPECT_EQ(module->GetStatus(), ERR_LANGUAGE_MODULE);
    EXPECT_EQ(module->GetSystemError(), 126);
    EXPECT_EQ(m_record.GetStatus(), ERR_LANGUAGE_MODULE);
    EXPECT_EQ(m_record.GetDetailText(), L"bvmp0407.dll");
    EXPECT_EQ(m_record.GetObjectName(), "CBvResource");
    // The own texts still answer.
    EXPECT_EQ(Text(*module, 61), L"Ressource dll : %s konnte nicht geladen werden");
}

TEST_F(LanguageModuleTest, DeviceCodesMapToTheirTextsAndUnknownOnesTo621) {
    auto module = Make(0x0409);
    std::wstring text;
    EXPECT_EQ(module->GetDeviceErrorText(0x0000, text, false), 0);
    EXPECT_EQ(text, Text(*module, 318));
    EXPECT_NE(text.find(L"0x0000"), std::wstring::npos);
    EXPECT_EQ(module->GetDeviceErrorText(0x0501, text, false), 0);
    EXPECT_EQ(text, Text(*module, 297));
    EXPECT_EQ(module->GetDeviceErrorText(0x0885, text, false), 0);
    EXPECT_EQ(text, Text(*module, 421));
    EXPECT_EQ(module->GetDeviceErrorText(0x0211, text, false), ERR_UNKNOWN_DEVICE_CODE);
    EXPECT_EQ(text, Text(*module, 621));
}

TEST_F(LanguageModuleTest, StatusTextsExistFor0ToMinus59Only) {
    auto module = Make(0x0409);
    std::wstring text = L"old";
    for (int32_t code : {1, -60, -61, -63}) {
        EXPECT_EQ(module->GetStatusText(code, text, false), ERR_NO_TEXT) << code;
        EXPECT_TRUE(text.empty());
    }
    EXPECT_EQ(module->GetStatusText(0, text, false), 0);
    EXPECT_EQ(text, Text(*module, 108));
    EXPECT_EQ(module->GetStatusText(-59, text, false), 0);
    EXPECT_EQ(text, Text(*module, 634));
    EXPECT_EQ(module->GetStatusText(-31, text, false), 0);
    EXPECT_EQ(text, Text(*module, 150));
}

TEST_F(LanguageModuleTest, AMissingTextIsRecordedAsTextLoadFailure) {
    auto module = Make(0x0409);
    std::wstring text = L"old";
    EXPECT_EQ(module->GetText(999, text, false), ERR_TEXT_LOAD);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(m_record.GetStatus(), ERR_TEXT_LOAD);
    EXPECT_EQ(m_record.GetSystemError(), 1814u);
    EXPECT_EQ(module->GetStatus(), ERR_TEXT_LOAD);
}

TEST_F(LanguageModuleTest, SystemTextFollowsText209AndStandsAloneWithoutIt) {
    auto module = Make(0x0409);
    m_record.Set(ERR_DEVICE_OPEN, 5);
    EXPECT_EQ(Text(*module, 209), L"Windows reports: Access is denied.\r\n");

    // A module of its own texts that lacks 209.
    static const sim::StringResource kStrings[] = {{632, u"Cancel", 6}};
    static const sim::StringTable kTables[] = {{0x0409, kStrings, 1}};
    static const sim::ModuleStringTables kModule = {"bvmp0409.dll", kTables, 1};
    m_scope.Pc().InstallLanguageModule(L"bvmp0409.dll", kModule);
    auto lacking = Make(0x0409);
    m_record.Set(ERR_DEVICE_OPEN, 5);
    std::wstring text;
    EXPECT_EQ(lacking->GetText(209, text, false), ERR_TEXT_LOAD);
    EXPECT_EQ(text, L"Access is denied.\r\n");
}

TEST_F(LanguageModuleTest, SearchTitlesNameTheApplicationKoreanFirst) {
    auto english = Make(0x0409);
    EXPECT_EQ(Text(*english, 106), L"Searching for the player - Update...");
    auto korean = Make(0x0412);
    EXPECT_EQ(Text(*korean, 106), L"Update \uD50C\uB808\uC774\uC5B4 \uAC80\uC0C9 \uC911...");
    EXPECT_EQ(Text(*korean, 107), L"Update \uD50C\uB808\uC774\uC5B4 \uBCF5\uAD6C \uC911...");
}

TEST_F(LanguageModuleTest, EnglishLogModuleSpeaksEnglishWhileTheUserModuleSpeaksGerman) {
    const size_t handlesBefore = m_scope.Pc().OpenHandleCount();
    {
        auto module = Make(0x0407);
        ASSERT_EQ(module->SwitchLogLanguage(9), 0);
        EXPECT_EQ(module->GetLogLangId(), 9);
        EXPECT_EQ(Text(*module, 632, false), L"Abbrechen");
        EXPECT_EQ(Text(*module, 632, true), L"Cancel");
        m_record.Set(ERR_DISK_CONTROL, 5);
        EXPECT_EQ(Text(*module, 209, false), L"Windows meldet: Zugriff verweigert\r\n");
        EXPECT_EQ(Text(*module, 209, true), L"Windows reports: Access is denied.\r\n");

        // A second switch keeps the earlier log module loaded until the end.
        ASSERT_EQ(module->SwitchLogLanguage(0x040C), 0);
        EXPECT_EQ(Text(*module, 632, true), L"Annuler");
        EXPECT_EQ(m_scope.Pc().OpenHandleCount(), handlesBefore + 3);
    }
    EXPECT_EQ(m_scope.Pc().OpenHandleCount(), handlesBefore);  // every module released
}

TEST_F(LanguageModuleTest, FailedLogSwitchKeepsTheLogSpeaking) {
    auto module = Make(0x0407);
    m_scope.Pc().SetLanguageModuleInstalled(L"bvmp0409.dll", false);
    EXPECT_EQ(module->SwitchLogLanguage(9), ERR_LANGUAGE_MODULE);
    EXPECT_EQ(module->GetStatus(), ERR_LANGUAGE_MODULE);
    EXPECT_EQ(m_record.GetDetailText(), L"bvmp0409.dll");
    EXPECT_EQ(Text(*module, 632, true), L"Abbrechen");
}

TEST_F(LanguageModuleTest, TaskTextsFollowTheTaskTable) {
    auto module = Make(0x0409);
    const struct {
        int32_t code;
        int32_t textId;             // 0: empty text
        const wchar_t* formatted;  // for the component texts
    } cases[] = {
        {2, 163, nullptr},  {3, 164, nullptr},  {4, 173, nullptr},  {5, 166, nullptr},
        {7, 0, L"Erasing Boot Manager..."},     {9, 0, L"Erasing Player..."},
        {21, 0, L"Writing Resource Manager..."}, {19, 0, L"Writing USB Mass Storage..."},
        {28, 138, nullptr}, {29, 167, nullptr}, {30, 181, nullptr}, {31, 182, nullptr},
        {32, 183, nullptr}, {34, 184, nullptr}, {36, 186, nullptr}, {37, 187, nullptr},
        {44, 194, nullptr}, {45, 165, nullptr}, {46, 172, nullptr}, {47, 218, nullptr},
        {48, 168, nullptr}, {49, 169, nullptr}, {0, 0, nullptr},    {1, 0, nullptr},
        {6, 0, nullptr},    {17, 0, nullptr},   {33, 0, nullptr},   {50, 0, nullptr},
        {-1, 0, nullptr},
    };
    for (const auto& c : cases) {
        std::wstring text = L"old";
        EXPECT_EQ(module->GetTaskText(c.code, text, false), 0) << c.code;
        const std::wstring expected = c.formatted ? c.formatted : c.textId ? Text(*module, c.textId) : L"";
        EXPECT_EQ(text, expected) << c.code;
    }
    // Component 5 does not exist: its status, and no text.
    std::wstring text = L"old";
    EXPECT_EQ(module->GetTaskText(11, text, false), ERR_BAD_SELECTOR);
    EXPECT_TRUE(text.empty());
}

TEST_F(LanguageModuleTest, VersionTextAndProductTexts) {
    auto module = Make(0x0407);
    std::wstring text;
    EXPECT_EQ(module->GetVersionText(text), 0);
    EXPECT_EQ(text, L"Version 1, 548, 10, 139");
    EXPECT_EQ(m_config.GetAppShortName(text, 0), 0);
    EXPECT_EQ(text, L"Update");
    EXPECT_EQ(m_config.GetAboutMenuText(text, 0), 0);
    EXPECT_EQ(text, L"Info Update");
}

TEST_F(LanguageModuleTest, IconsComeFromTheProgramAndAMissingOneIsRecorded) {
    auto module = Make(0x0409);
    platform::Handle about = platform::kNullHandle, app = platform::kNullHandle;
    EXPECT_EQ(module->LoadIconResource(135, about), 0);
    EXPECT_EQ(module->LoadIconResource(128, app), 0);
    EXPECT_NE(about, platform::kNullHandle);
    EXPECT_NE(app, platform::kNullHandle);
    EXPECT_NE(about, app);
    // Shared icons: the same id at the same size is the same icon, so the sizes show here.
    platform::IResources& resources = platform::Resources();
    EXPECT_EQ(about, resources.LoadProgramIcon(135, 32));
    EXPECT_EQ(app, resources.LoadProgramIcon(128, 16));
    EXPECT_NE(app, resources.LoadProgramIcon(128, 32));

    m_scope.Pc().SetProgramIcon(128, false);
    platform::Handle none = platform::kNullHandle;
    EXPECT_EQ(module->LoadIconResource(128, none), ERR_ICON_LOAD);
    EXPECT_EQ(none, platform::kNullHandle);
    EXPECT_EQ(m_record.GetStatus(), ERR_ICON_LOAD);
    EXPECT_NE(m_record.GetSystemError(), 0u);
}

}  // namespace
