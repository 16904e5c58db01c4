// Allocation rules of the logical media table.
#include "player_fixture.h"

namespace simtest {
namespace {

using Allocation = PlayerTest;

TEST_F(Allocation, RefusedTablesChangeNothing) {
    ASSERT_TRUE(AllocateStandard().Good());
    ASSERT_TRUE(Out(SectorCdb(true, 0, 0, 1), Bytes(2048, 0x5A)).Good());
    const Answer before = In(Cdb16({0xC0, 0x05, 10}), 112);

    const uint64_t capacity = 256ull << 20;
    struct Case {
        const char* what;
        uint8_t count;
        Bytes data;
        uint16_t code;
    };
    const Case cases[] = {
        {"no entries", 0, Bytes(), 0x0205},
        {"eleven entries", 11, Bytes(121, 0), 0x0205},
        {"unknown type", 2, AllocationData({{1, 0x50, 4096}, {2, 0x0A, 0}}), 0x0202},
        {"two data drives", 2, AllocationData({{0, 0x0A, 0}, {0, 0x0B, 4096}}), 0x0204},
        {"system drives too big", 2, AllocationData({{1, 0x50, capacity}, {1, 0x01, 2048}}), 0x0203},
        {"nothing left for data", 2, AllocationData({{1, 0x50, capacity}, {0, 0x0A, 0}}), 0x0203},
        {"size beyond 64 bits", 1, AllocationData({{1, 0x50, ~0ull}}), 0x0203},
        {"data length short", 2, Bytes(21, 0), 0x0103},
        {"data length long", 1, Bytes(12, 0), 0x0103},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(IsVendorError(Out(Cdb16({0xC1, 0x06, c.count}), c.data), c.code)) << c.what;
        EXPECT_EQ(In(Cdb16({0xC0, 0x05, 10}), 112).data, before.data) << c.what;
    }
    EXPECT_EQ(In(SectorCdb(false, 0, 0, 1), 2048).data, Bytes(2048, 0x5A));
}

TEST_F(Allocation, SizesAndTheDataDrive) {
    // A fixed-size data drive keeps its size (in whole blocks); a table may fill the medium exactly.
    const uint64_t capacity = 256ull << 20;
    ASSERT_TRUE(Out(Cdb16({0xC1, 0x06, 3}),
                    AllocationData({{1, 0x50, 1}, {0, 0x0A, 2000}, {1, 0x01, capacity - 4096}}))
                    .Good());
    const Answer t = In(Cdb16({0xC0, 0x05, 10}), 112);
    EXPECT_EQ(GetBe(&t.data[2 + 3], 8), 2048u);
    EXPECT_EQ(GetBe(&t.data[13 + 3], 8), 2048u);
    EXPECT_EQ(GetBe(&t.data[24 + 3], 8), capacity - 4096);

    // Only system drives: allowed, but there is no disk for the PC.
    ASSERT_TRUE(Out(Cdb16({0xC1, 0x06, 1}), AllocationData({{1, 0x50, 0}})).Good());
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x05, 10}), 112).data.data(), 2), 1u);
    EXPECT_TRUE(IsStandardSense(None({0x00, 0, 0, 0, 0, 0}), 2, 0x3A));
}

class SmallPlayer : public PlayerTest {
protected:
    static sim::PlayerConfig Small() {
        sim::PlayerConfig c;
        c.capacityBytes = 1 << 20;
        return c;
    }
    SmallPlayer() : PlayerTest(Small()) {}
};

TEST_F(SmallPlayer, DataDriveTakesTheRestInWholeBlocks) {
    // 1 MiB - 3 x 2048 (the 5000-byte drive rounds up) - 1 byte that no block can use.
    ASSERT_TRUE(Out(Cdb16({0xC1, 0x06, 2}), AllocationData({{0, 0x0A, 0}, {1, 0x50, 5000}})).Good());
    const Answer cap = In({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8);
    EXPECT_EQ(GetBe(cap.data.data(), 4) + 1, ((1u << 20) - 6144) / 512);
}

}  // namespace
}  // namespace simtest
