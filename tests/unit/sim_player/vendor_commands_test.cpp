// The vendor command set (C0 / C1) from raw bytes: answers, lengths and device codes.
#include "player_fixture.h"

namespace simtest {
namespace {

using VendorCommands = PlayerTest;

TEST_F(VendorCommands, ChipRevisionAndMediaInfoLengths) {
    const Answer chip = In(Cdb16({0xC0, 0x30}), 2);
    ASSERT_TRUE(chip.Good());
    EXPECT_EQ(GetBe(chip.data.data(), 2), 0x0003u);

    const struct { uint8_t type; uint32_t length; } kinds[] = {{0, 2}, {1, 8}, {5, 1}, {6, 4}, {7, 2}, {9, 1}};
    for (const auto& k : kinds) {
        const Answer a = In(Cdb16({0xC0, 0x02, k.type}), k.length);
        ASSERT_TRUE(a.Good()) << int(k.type);
        EXPECT_EQ(a.result.dataInBytes, k.length) << int(k.type);
        EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x02, k.type}), k.length - 1), 0x0103)) << int(k.type);
    }
    EXPECT_EQ(In(Cdb16({0xC0, 0x02, 9}), 1).data[0], 1);              // healthy player
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x02, 1}), 8).data.data(), 8), 256ull << 20);
    // Type 8 is as long as the host asks, also nothing at all.
    EXPECT_EQ(In(Cdb16({0xC0, 0x02, 8}), 5).result.dataInBytes, 5u);
    EXPECT_EQ(In(Cdb16({0xC0, 0x02, 8}), 0).result.dataInBytes, 0u);
    for (uint8_t type : {2, 3, 4, 10, 255})
        EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x02, type}), 8), 0x0102)) << int(type);
}

TEST_F(VendorCommands, UnknownFunctionsAndShortBlocks) {
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x07}), 0), 0x0101));   // a C1 function under C0
    EXPECT_TRUE(IsVendorError(None(Cdb16({0xC1, 0x05})), 0x0101));
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x99}), 4), 0x0101));
    EXPECT_TRUE(IsVendorError(In({0xC0, 0x30, 0, 0, 0, 0, 0, 0, 0, 0}, 2), 0x0102));  // 10-byte block
    EXPECT_TRUE(IsVendorError(Out(Cdb16({0xC1, 0x31}), Bytes(4)), 0x0103));           // data to a reset
}

TEST_F(VendorCommands, TableIsUnreadableUntilAllocated) {
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x05, 10}), 112), 0x0201));
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x12, 0, 0}), 4), 0x0201));
    EXPECT_TRUE(IsVendorError(In(SectorCdb(false, 0, 0, 1), 2048), 0x0201));
    EXPECT_TRUE(IsVendorError(None(Cdb16({0xC1, 0x2F, 0})), 0x0201));
}

TEST_F(VendorCommands, TableAnswerAndItsAllocationLength) {
    ASSERT_TRUE(AllocateStandard().Good());
    const Answer t = In(Cdb16({0xC0, 0x05, 10}), 112);
    ASSERT_TRUE(t.Good());
    EXPECT_EQ(t.result.dataInBytes, 2u + 11 * 5);
    EXPECT_EQ(GetBe(t.data.data(), 2), 5u);
    const uint8_t tags[] = {0x50, 0x0A, 0x01, 0x00, 0x02};
    const uint64_t sizes[] = {40960, 0, 180224, 600064, 1501184};
    for (int i = 0; i < 5; ++i) {
        const uint8_t* e = &t.data[2 + 11 * i];
        EXPECT_EQ(e[0], i);                       // numbered in table order
        EXPECT_EQ(e[1], i == 1 ? 0 : 1);
        EXPECT_EQ(e[2], tags[i]);
        if (i != 1) {
            EXPECT_EQ(GetBe(e + 3, 8), sizes[i]) << i;  // whole 2048-byte sectors
        }
    }
    EXPECT_EQ(GetBe(&t.data[2 + 11 + 3], 8), (256ull << 20) - 40960 - 180224 - 600064 - 1501184);

    // Asked for two entries: the count still tells five, two entries follow.
    const Answer cut = In(Cdb16({0xC0, 0x05, 2}), 24);
    ASSERT_TRUE(cut.Good());
    EXPECT_EQ(cut.result.dataInBytes, 24u);
    EXPECT_EQ(GetBe(cut.data.data(), 2), 5u);
}

TEST_F(VendorCommands, DriveInformation) {
    ASSERT_TRUE(AllocateStandard().Good());
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x12, 0, 0}), 4).data.data(), 4), 2048u);
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x12, 1, 0}), 4).data.data(), 4), 512u);

    const struct { uint8_t type; uint32_t length; } kinds[] = {{0, 4}, {1, 4}, {2, 8}, {3, 4}, {4, 8}, {5, 4},
                                                                {6, 1}, {7, 48}, {8, 48}, {9, 1}, {10, 2}};
    for (const auto& k : kinds) {
        const Answer a = In(Cdb16({0xC0, 0x12, 2, k.type}), k.length);
        ASSERT_TRUE(a.Good()) << int(k.type);
        EXPECT_EQ(a.result.dataInBytes, k.length) << int(k.type);
    }
    EXPECT_EQ(In(Cdb16({0xC0, 0x12, 2, 11}), 6).result.dataInBytes, 6u);  // cut to the host's length
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x12, 2, 2}), 8).data.data(), 8), 180224u);
    // Drives lie in table order: drive 2 begins after the boot manager and the data drive.
    const uint64_t dataSize = GetBe(In(Cdb16({0xC0, 0x12, 1, 2}), 8).data.data(), 8);
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x12, 2, 4}), 8).data.data(), 8), 40960u + dataSize);

    // Versions: written from CDB bytes 4-9, read back in the first 6 of 48 bytes.
    ASSERT_TRUE(None(Cdb16({0xC1, 0x20, 2, 7, 0x00, 0x04, 0x00, 0x05, 0x01, 0x06})).Good());
    ASSERT_TRUE(None(Cdb16({0xC1, 0x20, 2, 8, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03})).Good());
    const Answer component = In(Cdb16({0xC0, 0x12, 2, 7}), 48);
    EXPECT_EQ(Bytes(component.data.begin(), component.data.begin() + 6), (Bytes{0, 4, 0, 5, 1, 6}));
    EXPECT_EQ(Bytes(component.data.begin() + 6, component.data.end()), Bytes(42, 0));
    const Answer product = In(Cdb16({0xC0, 0x12, 2, 8}), 48);
    EXPECT_EQ(Bytes(product.data.begin(), product.data.begin() + 6), (Bytes{0, 1, 0, 2, 0, 3}));

    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x12, 2, 12}), 4), 0x0102));
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x12, 5, 0}), 4), 0x0401));
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x12, 1, 7}), 48), 0x0403));   // versions of the data drive
    EXPECT_TRUE(IsVendorError(None(Cdb16({0xC1, 0x20, 1, 8})), 0x0403));
    EXPECT_TRUE(IsVendorError(None(Cdb16({0xC1, 0x20, 2, 0})), 0x0102));    // sector size is not set
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x12, 2, 7}), 47), 0x0103));
}

TEST_F(VendorCommands, SectorsByDriveNumber) {
    ASSERT_TRUE(AllocateStandard().Good());
    // Drive 2 (tag 0x01) holds 88 sectors of 2048 bytes.
    Bytes image(3 * 2048);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i ^ (i >> 8));
    ASSERT_TRUE(Out(SectorCdb(true, 2, 85, 3), image).Good());
    const Answer back = In(SectorCdb(false, 2, 84, 4), 4 * 2048);
    ASSERT_TRUE(back.Good());
    EXPECT_EQ(Bytes(back.data.begin(), back.data.begin() + 2048), Bytes(2048, 0xFF));
    EXPECT_EQ(Bytes(back.data.begin() + 2048, back.data.end()), image);

    EXPECT_TRUE(IsVendorError(In(SectorCdb(false, 2, 86, 3), 3 * 2048), 0x0402));
    // The 64-bit first sector is read whole: 2^32 + 2 is far beyond the drive, not sector 2.
    EXPECT_TRUE(IsVendorError(In(SectorCdb(false, 2, (1ull << 32) + 2, 1), 2048), 0x0402));
    EXPECT_TRUE(IsVendorError(In(SectorCdb(false, 9, 0, 1), 2048), 0x0401));
    EXPECT_TRUE(IsVendorError(In(SectorCdb(false, 2, 0, 1), 512), 0x0103));
    EXPECT_TRUE(IsVendorError(Out(SectorCdb(true, 2, 0, 2), Bytes(2048)), 0x0103));
    EXPECT_TRUE(In(SectorCdb(false, 2, 88, 0), 0).Good());  // nothing, at the very end
}

TEST_F(VendorCommands, EraseDriveAndEraseMedium) {
    ASSERT_TRUE(AllocateStandard().Good());
    ASSERT_TRUE(Out(SectorCdb(true, 3, 0, 1), Bytes(2048, 0x11)).Good());
    ASSERT_TRUE(Out(SectorCdb(true, 4, 0, 1), Bytes(2048, 0x22)).Good());
    ASSERT_TRUE(None(Cdb16({0xC1, 0x20, 3, 7, 0, 9, 0, 9, 0, 9})).Good());
    EXPECT_EQ(In(Cdb16({0xC0, 0x12, 3, 9}), 1).data[0], 0);   // written

    ASSERT_TRUE(None(Cdb16({0xC1, 0x2F, 3})).Good());
    EXPECT_EQ(In(SectorCdb(false, 3, 0, 1), 2048).data, Bytes(2048, 0xFF));
    EXPECT_EQ(In(SectorCdb(false, 4, 0, 1), 2048).data, Bytes(2048, 0x22));  // other drives stay
    EXPECT_EQ(In(Cdb16({0xC0, 0x12, 3, 7}), 48).data, Bytes(48, 0));          // versions go too
    EXPECT_EQ(In(Cdb16({0xC0, 0x12, 3, 9}), 1).data[0], 1);

    ASSERT_TRUE(None(Cdb16({0xC1, 0x07})).Good());
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x05, 10}), 112), 0x0201));
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x02, 0}), 2).data.data(), 2), 0u);
    ASSERT_TRUE(AllocateStandard().Good());
    EXPECT_EQ(In(SectorCdb(false, 4, 0, 1), 2048).data, Bytes(2048, 0xFF));  // nothing survives
}

TEST_F(VendorCommands, ChipResetLeavesTheBusForAWhile) {
    const uint32_t generation = player.BusGeneration();
    ASSERT_TRUE(None(Cdb16({0xC1, 0x31})).Good());
    EXPECT_EQ(player.Presence(), sim::BusPresence::Absent);
    EXPECT_EQ(In(Cdb16({0xC0, 0x30}), 2).result.outcome, sim::ScsiOutcome::DeviceGone);
    clock.AdvanceMs(player.Config().resetDelayMs - 1);
    EXPECT_EQ(player.Presence(), sim::BusPresence::Absent);
    clock.AdvanceMs(1);
    EXPECT_EQ(player.Presence(), sim::BusPresence::Disk);
    EXPECT_EQ(player.BusGeneration(), generation + 1);
    EXPECT_TRUE(In(Cdb16({0xC0, 0x30}), 2).Good());
}

}  // namespace
}  // namespace simtest
