// A large data drive costs memory only where it was written.
#include <cstdio>

#include "player_fixture.h"

namespace simtest {
namespace {

class BigPlayer : public PlayerTest {
protected:
    static sim::PlayerConfig Big() {
        sim::PlayerConfig c;
        c.capacityBytes = 32ull << 30;
        return c;
    }
    BigPlayer() : PlayerTest(Big()) {}
};

TEST_F(BigPlayer, ThirtyTwoGibDriveWrittenInAFewPlacesStaysSmall) {
    ASSERT_TRUE(Out(Cdb16({0xC1, 0x06, 2}), AllocationData({{1, 0x50, 65536}, {0, 0x0A, 0}})).Good());
    const Answer cap = In({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8);
    const uint64_t blocks = GetBe(cap.data.data(), 4) + 1;
    EXPECT_EQ(blocks, ((32ull << 30) - 65536) / 512);

    // Vendor writes by drive number reach beyond what READ(10) can address (2^32 blocks would),
    // and READ(10) reaches the last block of the drive.
    const uint64_t places[] = {0, 12345, blocks / 2, blocks - 128};
    Bytes data(65536);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i % 251);
    for (uint64_t place : places) ASSERT_TRUE(Out(SectorCdb(true, 1, place, 128), data).Good()) << place;

    EXPECT_LE(player.StoredBytes(), 8u * 65536);  // a 12345-block write straddles two chunks
    for (uint64_t place : places) EXPECT_EQ(In(SectorCdb(false, 1, place, 128), 65536).data, data) << place;
    Bytes lba(4);
    PutBe32(lba.data(), static_cast<uint32_t>(blocks - 1));
    const Answer last = In({0x28, 0, lba[0], lba[1], lba[2], lba[3], 0, 0, 1, 0}, 512);
    EXPECT_EQ(Bytes(last.data.begin(), last.data.end()), Bytes(data.end() - 512, data.end()));
    EXPECT_EQ(In(SectorCdb(false, 1, blocks / 4, 1), 512).data, Bytes(512, 0xFF));

    // The image file holds only the written chunks as well.
    std::string error;
    ASSERT_TRUE(player.Save("big.bvplayer", &error)) << error;
    FILE* f = std::fopen("big.bvplayer", "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    EXPECT_LT(std::ftell(f), 1L << 20);
    std::fclose(f);
    std::remove("big.bvplayer");
}

}  // namespace
}  // namespace simtest
