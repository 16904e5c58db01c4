#pragma once
// CBvConfigInfo: everything that ties the program to one product, compiled in. Components
// are addressed 1 to 4; index 0 is a placeholder slot that is never present.
#include <cstdint>
#include <string>

#include "app/base.h"

class CBvResource;

constexpr uint8_t kBvComponentSlots = 5;  // entries 0 to 4 of the component table

class CBvConfigInfo : public CBvBase {
public:
    explicit CBvConfigInfo(std::string objectName = "CBvConfigInfo") : CBvBase(std::move(objectName)) {}

    // The language module, once it exists; the product texts need it. Not owned.
    void SetResource(CBvResource* resource) { m_resource = resource; }

    // Getters return a status and leave the out-parameter untouched on failure.
    int32_t GetComponentCount(uint8_t& count) const;
    int32_t GetDriveTag(uint8_t index, uint8_t& tag) const;
    int32_t IsComponentEncrypted(uint8_t index, int32_t& encrypted) const;
    int32_t GetSizeExtra(uint8_t index, uint32_t& sizeExtra) const;
    int32_t GetComponentFileName(uint8_t index, std::string& fileName) const;
    int32_t GetComponentDisplayName(uint8_t index, std::wstring& displayName) const;

    int32_t GetRecoveryComponent(uint8_t& index) const;
    int32_t GetPlayerComponent(uint8_t& index) const;
    int32_t GetBootManagerTag(uint8_t& tag) const;
    int32_t GetFormatDefault(int32_t& on) const;
    int32_t GetShowChipDetails(int32_t& on) const;
    // The product configures no formatter text: always ERR_NOT_CONFIGURED with an empty text.
    int32_t GetFormatterText(std::string& text) const;
    int32_t GetScsiVendor(std::string& vendor) const;
    int32_t GetScsiProduct(std::string& product) const;
    int32_t IsPartialProductMatch(int32_t& on) const;
    int32_t GetProgramFileName(std::wstring& fileName) const;

    // Product texts 52 to 55 through the language module; the language argument is not used
    // (the module answers in the user language chosen at start).
    int32_t GetLegalNotice(std::wstring& text, uint16_t langId) const;
    int32_t GetAppShortName(std::wstring& text, uint16_t langId) const;
    int32_t GetAboutMenuText(std::wstring& text, uint16_t langId) const;
    int32_t GetAppTitle(std::wstring& text, uint16_t langId) const;

private:
    int32_t GetProductText(int32_t textId, std::wstring& text) const;

    CBvResource* m_resource = nullptr;
};
