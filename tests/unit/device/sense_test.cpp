// The sense data a device keeps from its last failed command.
#include <vector>

#include <gtest/gtest.h>

#include "tests/fixtures/device_rig.h"
#include "tests/fixtures/table_scsi_device.h"

using bvtest::Bytes;
using bvtest::TableScsiDevice;
using bvtest::ToBytes;

namespace {

// Fixed-format sense data with the given sense key byte and device code in bytes 12-13.
Bytes Sense(uint8_t keyByte, uint8_t high, uint8_t low, size_t size = 18) {
    Bytes sense(size, 0);
    sense[0] = 0x70;
    sense[2] = keyByte;
    if (size > 13) {
        sense[12] = high;
        sense[13] = low;
    }
    return sense;
}

}  // namespace

TEST(Sense, RecordSenseReplacesTheLastSense) {
    TableScsiDevice device;
    EXPECT_EQ(device.GetLastSense(), nullptr);
    Bytes first = Sense(9, 1, 2);
    device.RecordSense(first.data(), 18);
    EXPECT_EQ(ToBytes(*device.GetLastSense()), first);
    Bytes second = Sense(5, 0, 0, 14);
    device.RecordSense(second.data(), 14);
    EXPECT_EQ(ToBytes(*device.GetLastSense()), second);
}

TEST(Sense, CountIsTakenModulo256) {
    TableScsiDevice device;
    Bytes bytes(0x112, 0x5A);
    device.RecordSense(bytes.data(), 0x112);
    ASSERT_NE(device.GetLastSense(), nullptr);
    EXPECT_EQ(device.GetLastSense()->GetSize(), 0x12u);
}

TEST(Sense, VendorErrorCodeOnlyForSenseKeyNine) {
    const struct {
        const char* label;
        Bytes sense;
        bool vendor;
        uint16_t code;
    } cases[] = {
        {"sense key 9", Sense(9, 0x12, 0x34), true, 0x1234},
        {"ASPI's 14 bytes", Sense(9, 0xAB, 0xCD, 14), true, 0xABCD},
        {"sense key 9 with a flag bit", Sense(0x29, 0x12, 0x34), false, 0},
        {"another sense key", Sense(5, 0x12, 0x34), false, 0},
        {"too short for a code", Sense(9, 0, 0, 13), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TableScsiDevice device;
        device.RecordSense(c.sense.data(), static_cast<uint32_t>(c.sense.size()));
        uint16_t code = 0;
        EXPECT_EQ(device.GetVendorErrorCode(code), c.vendor);
        EXPECT_EQ(code, c.code);
    }
    TableScsiDevice none;
    uint16_t code = 0;
    EXPECT_FALSE(none.GetVendorErrorCode(code));
}

TEST(Sense, TextNamesTheDeviceCodeOrListsTheBytes) {
    using bvtest::DeviceTextResource;
    const std::wstring unknownBytes =
        L"0x70, 0x0, 0x9, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x7, 0x77, 0x0, 0x0, 0x0, 0x0";
    const struct {
        const char* label;
        Bytes sense;
        std::wstring text;
    } cases[] = {
        {"known device code", Sense(9, 0x05, 0x01), DeviceTextResource::kKnownText},
        {"unknown device code", Sense(9, 0x07, 0x77), std::wstring(DeviceTextResource::kGenericText) + L"\n" + unknownBytes},
        {"another sense key", Sense(5, 0x24, 0x00, 14), L"0x70, 0x0, 0x5, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x0, 0x24, 0x0"},
        {"sense key 9 with a flag bit", Sense(0x29, 0x05, 0x01, 3), L"0x70, 0x0, 0x29"},
    };
    bvtest::EngineRig rig;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TableScsiDevice device(&rig.engine);
        device.RecordSense(c.sense.data(), static_cast<uint32_t>(c.sense.size()));
        EXPECT_EQ(device.SenseText(), c.text);
    }
    TableScsiDevice none(&rig.engine);
    EXPECT_EQ(none.SenseText(), L"");
    // Without a language module the bytes are all there is.
    rig.engine.SetResource(nullptr);
    TableScsiDevice bare(&rig.engine);
    Bytes sense = Sense(9, 0x05, 0x01, 14);
    bare.RecordSense(sense.data(), 14);
    EXPECT_EQ(bare.SenseText().substr(0, 15), L"0x70, 0x0, 0x9,");
}
