#include "app/config_info.h"

#include "text/resource.h"

namespace {

struct ComponentEntry {
    char fileName[260];
    wchar_t displayName[260];
    uint8_t present;  // 1 = in use; any other value = slot unused
    uint8_t driveTag;
    uint8_t encrypted;
    uint32_t sizeExtra;
};

const ComponentEntry kComponents[kBvComponentSlots] = {
    {"", L"", 0, 0x0A, 0, 0},
    {"bootmanager.sb", L"Boot Manager", 1, 0x50, 1, 0},
    {"usbmsc.sb", L"USB Mass Storage", 1, 0x01, 1, 0},
    {"bvmpsys.sb", L"Player", 1, 0x00, 1, 0},
    {"resource.bin", L"Resource Manager", 1, 0x02, 1, 0},
};

constexpr uint8_t kRecoveryComponent = 2;
constexpr uint8_t kPlayerComponent = 3;
constexpr int32_t kFormatDefault = 1;
constexpr int32_t kShowChipDetails = 1;
constexpr int32_t kPartialProductMatch = 0;
const char kScsiVendor[] = "ORV     ";
const char kScsiProduct[] = "KR-4471 Nova    ";
const wchar_t kProgramFileName[] = L"BvUpdaterApp.exe";

constexpr int32_t kLegalNoticeText = 52;
constexpr int32_t kAppShortNameText = 53;
constexpr int32_t kAboutMenuText = 54;
constexpr int32_t kAppTitleText = 55;

bool InTable(uint8_t index) { return index < kBvComponentSlots; }
bool Present(uint8_t index) { return kComponents[index].present == 1; }

// Range first, then the present flag: the order in which the failures are told apart.
int32_t CheckPresent(uint8_t index) {
    if (!InTable(index)) return ERR_BAD_SELECTOR;
    return Present(index) ? ERR_OK : ERR_COMPONENT_ABSENT;
}

}  // namespace

int32_t CBvConfigInfo::GetComponentCount(uint8_t& count) const {
    uint8_t present = 0;
    for (uint8_t i = 0; i < kBvComponentSlots; ++i) present += Present(i) ? 1 : 0;
    count = present;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetDriveTag(uint8_t index, uint8_t& tag) const {
    if (!InTable(index)) return ERR_BAD_SELECTOR;
    tag = kComponents[index].driveTag;
    return ERR_OK;
}

int32_t CBvConfigInfo::IsComponentEncrypted(uint8_t index, int32_t& encrypted) const {
    int32_t status = CheckPresent(index);
    if (status == ERR_OK) encrypted = kComponents[index].encrypted != 0 ? 1 : 0;
    return status;
}

int32_t CBvConfigInfo::GetSizeExtra(uint8_t index, uint32_t& sizeExtra) const {
    if (!InTable(index)) return ERR_BAD_SELECTOR;
    sizeExtra = kComponents[index].sizeExtra;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetComponentFileName(uint8_t index, std::string& fileName) const {
    int32_t status = CheckPresent(index);
    if (status == ERR_OK) fileName = kComponents[index].fileName;
    return status;
}

int32_t CBvConfigInfo::GetComponentDisplayName(uint8_t index, std::wstring& displayName) const {
    int32_t status = CheckPresent(index);
    if (status == ERR_OK) displayName = kComponents[index].displayName;
    return status;
}

int32_t CBvConfigInfo::GetRecoveryComponent(uint8_t& index) const {
    index = kRecoveryComponent;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetPlayerComponent(uint8_t& index) const {
    index = kPlayerComponent;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetBootManagerTag(uint8_t& tag) const {
    tag = kComponents[1].driveTag;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetFormatDefault(int32_t& on) const {
    on = kFormatDefault;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetShowChipDetails(int32_t& on) const {
    on = kShowChipDetails;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetFormatterText(std::string& text) const {
    text.clear();
    return ERR_NOT_CONFIGURED;
}

int32_t CBvConfigInfo::GetScsiVendor(std::string& vendor) const {
    vendor = kScsiVendor;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetScsiProduct(std::string& product) const {
    product = kScsiProduct;
    return ERR_OK;
}

int32_t CBvConfigInfo::IsPartialProductMatch(int32_t& on) const {
    on = kPartialProductMatch;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetProgramFileName(std::wstring& fileName) const {
    fileName = kProgramFileName;
    return ERR_OK;
}

int32_t CBvConfigInfo::GetProductText(int32_t textId, std::wstring& text) const {
    if (!m_resource) return ERR_TEXT_LOAD;
    return m_resource->GetProductText(textId, text);
}

int32_t CBvConfigInfo::GetLegalNotice(std::wstring& text, uint16_t) const {
    return GetProductText(kLegalNoticeText, text);
}

int32_t CBvConfigInfo::GetAppShortName(std::wstring& text, uint16_t) const {
    return GetProductText(kAppShortNameText, text);
}

int32_t CBvConfigInfo::GetAboutMenuText(std::wstring& text, uint16_t) const {
    return GetProductText(kAboutMenuText, text);
}

int32_t CBvConfigInfo::GetAppTitle(std::wstring& text, uint16_t) const {
    return GetProductText(kAppTitleText, text);
}
