#include "app/config_info.h"

#include <gtest/gtest.h>

#include "text/resource.h"

namespace {

// Answers product texts as "text <id>", or fails with a chosen status.
class FakeResource : public CBvResource {
public:
    int32_t GetDeviceErrorText(uint16_t, std::wstring&, bool) override { return ERR_OK; }
    int32_t GetProductText(int32_t textId, std::wstring& text) override {
        if (failWith != ERR_OK) return failWith;
        text = L"text " + std::to_wstring(textId);
        return ERR_OK;
    }
    int32_t failWith = ERR_OK;
};

}  // namespace

TEST(ConfigInfo, ComponentTable) {
    struct Row { uint8_t index; const char* file; const wchar_t* display; uint8_t tag; };
    const Row rows[] = {
        {1, "bootmanager.sb", L"Boot Manager", 0x50},
        {2, "usbmsc.sb", L"USB Mass Storage", 0x01},
        {3, "bvmpsys.sb", L"Player", 0x00},
        {4, "resource.bin", L"Resource Manager", 0x02},
    };
    CBvConfigInfo config;
    for (const Row& row : rows) {
        std::string file;
        std::wstring display;
        uint8_t tag = 0xEE;
        int32_t encrypted = -1;
        uint32_t extra = 99;
        EXPECT_EQ(config.GetComponentFileName(row.index, file), ERR_OK);
        EXPECT_EQ(file, row.file);
        EXPECT_EQ(config.GetComponentDisplayName(row.index, display), ERR_OK);
        EXPECT_EQ(display, row.display);
        EXPECT_EQ(config.GetDriveTag(row.index, tag), ERR_OK);
        EXPECT_EQ(tag, row.tag);
        EXPECT_EQ(config.IsComponentEncrypted(row.index, encrypted), ERR_OK);
        EXPECT_EQ(encrypted, 1);
        EXPECT_EQ(config.GetSizeExtra(row.index, extra), ERR_OK);
        EXPECT_EQ(extra, 0u);
    }
    uint8_t count = 0;
    EXPECT_EQ(config.GetComponentCount(count), ERR_OK);
    EXPECT_EQ(count, 4);  // present flags, not the highest index (4 of 5 slots)
}

TEST(ConfigInfo, PlaceholderSlotAndIndicesOutOfRange) {
    CBvConfigInfo config;
    uint8_t tag = 0;
    EXPECT_EQ(config.GetDriveTag(0, tag), ERR_OK);
    EXPECT_EQ(tag, 0x0A);

    std::string file = "untouched";
    std::wstring display = L"untouched";
    int32_t encrypted = 7;
    EXPECT_EQ(config.GetComponentFileName(0, file), ERR_COMPONENT_ABSENT);
    EXPECT_EQ(config.GetComponentDisplayName(0, display), ERR_COMPONENT_ABSENT);
    EXPECT_EQ(config.IsComponentEncrypted(0, encrypted), ERR_COMPONENT_ABSENT);
    for (uint8_t index : {uint8_t{5}, uint8_t{255}}) {
        uint32_t extra = 7;
        EXPECT_EQ(config.GetComponentFileName(index, file), ERR_BAD_SELECTOR);
        EXPECT_EQ(config.GetComponentDisplayName(index, display), ERR_BAD_SELECTOR);
        EXPECT_EQ(config.IsComponentEncrypted(index, encrypted), ERR_BAD_SELECTOR);
        EXPECT_EQ(config.GetDriveTag(index, tag), ERR_BAD_SELECTOR);
        EXPECT_EQ(config.GetSizeExtra(index, extra), ERR_BAD_SELECTOR);
        EXPECT_EQ(extra, 7u);
    }
    EXPECT_EQ(file, "untouched");
    EXPECT_EQ(display, L"untouched");
    EXPECT_EQ(encrypted, 7);
    EXPECT_EQ(tag, 0x0A);
}

TEST(ConfigInfo, IdentityAndSwitches) {
    CBvConfigInfo config;
    std::string vendor, product;
    std::wstring program;
    uint8_t recovery = 0, player = 0, bootTag = 0;
    int32_t formatDefault = 0, chipDetails = 0, partial = 1;
    EXPECT_EQ(config.GetScsiVendor(vendor), ERR_OK);
    EXPECT_EQ(vendor, std::string("ORV     ", 8));
    EXPECT_EQ(config.GetScsiProduct(product), ERR_OK);
    EXPECT_EQ(product, std::string("KR-4471 Nova    ", 16));
    EXPECT_EQ(config.GetProgramFileName(program), ERR_OK);
    EXPECT_EQ(program, L"BvUpdaterApp.exe");
    config.GetRecoveryComponent(recovery);
    config.GetPlayerComponent(player);
    config.GetBootManagerTag(bootTag);
    config.GetFormatDefault(formatDefault);
    config.GetShowChipDetails(chipDetails);
    config.IsPartialProductMatch(partial);
    EXPECT_EQ(recovery, 2);
    EXPECT_EQ(player, 3);
    EXPECT_EQ(bootTag, 0x50);
    EXPECT_EQ(formatDefault, 1);
    EXPECT_EQ(chipDetails, 1);
    EXPECT_EQ(partial, 0);

    std::string formatterText = "x";
    EXPECT_EQ(config.GetFormatterText(formatterText), ERR_NOT_CONFIGURED);
    EXPECT_EQ(formatterText, "");
    EXPECT_EQ(config.GetStatus(), ERR_OK);  // getters never touch the status
}

TEST(ConfigInfo, ProductTextsGoThroughTheLanguageModule) {
    CBvConfigInfo config;
    std::wstring text = L"untouched";
    EXPECT_EQ(config.GetLegalNotice(text, 0x0409), ERR_TEXT_LOAD);
    EXPECT_EQ(config.GetAppTitle(text, 0x0409), ERR_TEXT_LOAD);
    EXPECT_EQ(text, L"untouched");

    FakeResource resource;
    config.SetResource(&resource);
    EXPECT_EQ(config.GetLegalNotice(text, 0), ERR_OK);
    EXPECT_EQ(text, L"text 52");
    EXPECT_EQ(config.GetAppShortName(text, 0), ERR_OK);
    EXPECT_EQ(text, L"text 53");
    EXPECT_EQ(config.GetAboutMenuText(text, 0), ERR_OK);
    EXPECT_EQ(text, L"text 54");
    EXPECT_EQ(config.GetAppTitle(text, 0), ERR_OK);
    EXPECT_EQ(text, L"text 55");

    resource.failWith = ERR_TEXT_LOAD;
    EXPECT_EQ(config.GetAppShortName(text, 0), ERR_TEXT_LOAD);
}
