#pragma once
// How a drive is recognised as the player: its INQUIRY vendor and product identification
// match the configured identity and, for the player search, it reports a nonzero media flag.
#include <cstdint>
#include <string>

#include "commands/standard_commands.h"

class CBvScsiDevice;
class CBvUpdater;

struct BvPlayerIdentity {
    std::string vendor;           // 8 characters, blank-padded
    std::string product;          // 16 characters, blank-padded
    bool partialProduct = false;  // the product may occur anywhere in the product text
};

using BvInquiryData = uint8_t[kBvInquiryLength];

// Reads the identity from the engine's configuration, as every search does at its start.
int32_t BvReadPlayerIdentity(const CBvUpdater* engine, BvPlayerIdentity& identity);

// Vendor at byte 8 and product at byte 16, both compared without regard to letter case; with
// the partial switch the product without its trailing blanks may occur anywhere in the
// zero-terminated text from byte 16.
bool BvMatchesIdentity(const BvInquiryData& inquiry, const BvPlayerIdentity& identity);

// Sends INQUIRY through the device; true when it answered and the identity matches. The
// answer is left in `inquiry` (zero-filled when the device did not answer).
bool BvInquirePlayer(CBvScsiDevice& device, const BvPlayerIdentity& identity, BvInquiryData& inquiry);

// Media information type 9: true when the command succeeded and the flag is nonzero.
bool BvHasPlayerMediaFlag(CBvScsiDevice& device);
