#include "device/player_identity.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "app/config_info.h"
#include "commands/media_commands.h"
#include "device/issue_command.h"
#include "device/scsi_device.h"
#include "engine/updater.h"

namespace {

constexpr uint32_t kVendorOffset = 8;
constexpr uint32_t kProductOffset = 16;

bool EqualIgnoringCase(const uint8_t* bytes, uint32_t available, const std::string& text) {
    if (text.size() > available) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

bool ContainsProduct(const BvInquiryData& inquiry, std::string product) {
    product.erase(product.find_last_not_of(' ') + 1);
    // The product text ends at its first zero byte or at the end of the INQUIRY data.
    const uint8_t* begin = inquiry + kProductOffset;
    const uint8_t* end = std::find(begin, inquiry + kBvInquiryLength, 0);
    return std::string(begin, end).find(product) != std::string::npos;
}

}  // namespace

int32_t BvReadPlayerIdentity(const CBvUpdater* engine, BvPlayerIdentity& identity) {
    const CBvConfigInfo* config = engine ? engine->GetConfig() : nullptr;
    if (!config) return ERR_NOT_CONFIGURED;
    int32_t partial = 0;
    int32_t status = config->GetScsiVendor(identity.vendor);
    if (status == ERR_OK) status = config->GetScsiProduct(identity.product);
    if (status == ERR_OK) status = config->IsPartialProductMatch(partial);
    identity.partialProduct = partial != 0;
    return status;
}

bool BvMatchesIdentity(const BvInquiryData& inquiry, const BvPlayerIdentity& identity) {
    const bool product = identity.partialProduct
                             ? ContainsProduct(inquiry, identity.product)
                             : EqualIgnoringCase(inquiry + kProductOffset, kBvInquiryLength - kProductOffset,
                                                 identity.product);
    return product && EqualIgnoringCase(inquiry + kVendorOffset, kBvInquiryLength - kVendorOffset, identity.vendor);
}

bool BvInquirePlayer(CBvScsiDevice& device, const BvPlayerIdentity& identity, BvInquiryData& inquiry) {
    std::memset(inquiry, 0, kBvInquiryLength);
    CBvScsiInquiry command;
    if (BvIssueCommand(device, command, BvNoStep, [&] { return command.GetInquiryData(inquiry); }) != ERR_OK) {
        return false;
    }
    return BvMatchesIdentity(inquiry, identity);
}

bool BvHasPlayerMediaFlag(CBvScsiDevice& device) {
    CBvGetLogicalMediaInfo command(kBvMediaInfoPlayerFlag, 0);
    bool flag = false;
    return BvIssueCommand(device, command, BvNoStep, [&] { return command.GetFlag(flag); }) == ERR_OK && flag;
}
