#pragma once
// CBvResource: the language module as the rest of the program sees it. The configuration
// answers for the product's texts and the transports for the player's error codes through
// these two slots; the concrete module decides where the texts come from.
#include <cstdint>
#include <string>

#include "app/base.h"

class CBvResource : public CBvBase {
public:
    explicit CBvResource(std::string objectName = "CBvResource") : CBvBase(std::move(objectName)) {}

    // Text of an error code that the player reported (high byte group, low byte number).
    // forLog selects the log module and log language instead of the user's.
    virtual int32_t GetDeviceErrorText(uint16_t deviceCode, std::wstring& text, bool forLog) = 0;

    // One of the product's texts from the program's own string table, in the user language.
    virtual int32_t GetProductText(int32_t textId, std::wstring& text) = 0;
};
