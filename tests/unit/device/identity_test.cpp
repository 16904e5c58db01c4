// Which INQUIRY data are the player: vendor and product against the configured identity, with
// the partial-match switch off (the product) and on.
#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "device/player_identity.h"

namespace {

struct Inquiry {
    BvInquiryData bytes = {};
    Inquiry(const std::string& vendor, const std::string& product) {
        std::memcpy(bytes + 8, vendor.data(), std::min<size_t>(vendor.size(), 8));
        std::memcpy(bytes + 16, product.data(), std::min<size_t>(product.size(), sizeof bytes - 16));
    }
};

TEST(Identity, MatchesVendorAndProduct) {
    const struct {
        const char* label;
        Inquiry inquiry;
        bool exact;    // partial-match switch off
        bool partial;  // switch on
    } cases[] = {
        {"the player", {"ORV     ", "KR-4471 Nova    "}, true, true},
        {"other letter case", {"orv     ", "kr-4471 nova    "}, true, false},
        {"another vendor", {"ORW     ", "KR-4471 Nova    "}, false, false},
        {"differs in a padding blank", {"ORV     ", "KR-4471 Nova2   "}, false, true},
        {"product later in the text", {"ORV     ", "X KR-4471 Nova  "}, false, true},
        {"product cut short", {"ORV     ", "KR-4471 Nov"}, false, false},
        // The text ends at its first zero byte; the product text may run to byte 95.
        {"behind a zero byte", {"ORV     ", std::string("X\0KR-4471 Nova", 14)}, false, false},
        {"at the very end", {"ORV     ", std::string(68, 'x') + "KR-4471 Nova"}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BvPlayerIdentity identity{"ORV     ", "KR-4471 Nova    ", false};
        EXPECT_EQ(BvMatchesIdentity(c.inquiry.bytes, identity), c.exact);
        identity.partialProduct = true;
        EXPECT_EQ(BvMatchesIdentity(c.inquiry.bytes, identity), c.partial);
    }
}

}  // namespace
