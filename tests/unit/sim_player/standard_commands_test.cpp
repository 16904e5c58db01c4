// INQUIRY, TEST UNIT READY, READ CAPACITY(10), READ(10), WRITE(10) from raw bytes.
#include <cstring>

#include "player_fixture.h"

namespace simtest {
namespace {

using StandardCommands = PlayerTest;

TEST_F(StandardCommands, InquiryCarriesTheIdentity) {
    const Answer a = In({0x12, 0, 0, 0, 0x60, 0}, 96);
    ASSERT_TRUE(a.Good());
    EXPECT_EQ(a.result.dataInBytes, 96u);
    EXPECT_EQ(a.data[0], 0x00);                      // direct access
    EXPECT_EQ(a.data[1], 0x80);                      // removable
    EXPECT_EQ(std::string(a.data.begin() + 8, a.data.begin() + 16), "ORV     ");
    EXPECT_EQ(std::string(a.data.begin() + 16, a.data.begin() + 32), "KR-4471 Nova    ");
    EXPECT_EQ(std::string(a.data.begin() + 32, a.data.begin() + 36), "1.00");
}

TEST_F(StandardCommands, InquiryIsCutToTheAllocationLength) {
    const Answer a = In({0x12, 0, 0, 0, 36, 0}, 96);
    ASSERT_TRUE(a.Good());
    EXPECT_EQ(a.result.dataInBytes, 36u);
    EXPECT_EQ(a.data[36], 0xEE);  // the rest of the host buffer is not touched
}

TEST_F(StandardCommands, RefusalsGetStandardSense) {
    EXPECT_TRUE(IsStandardSense(In({0x12, 0x01, 0x80, 0, 0x60, 0}, 96), 5, 0x24));  // vital product data
    EXPECT_TRUE(IsStandardSense(In({0x12, 0, 0, 0, 0x60, 0}, 95), 5, 0x24));        // buffer too small
    EXPECT_TRUE(IsStandardSense(In({0x1A, 0, 0x3F, 0, 0xC0, 0}, 192), 5, 0x20));    // unknown opcode
    EXPECT_TRUE(IsStandardSense(None({0x00, 0, 0, 0, 0, 0}), 2, 0x3A));             // no data drive yet
    EXPECT_TRUE(IsStandardSense(In({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8), 2, 0x3A));
}

TEST_F(StandardCommands, RequestsWithoutBuffersCarryNoBytes) {
    const Bytes inquiry = {0x12, 0, 0, 0, 0x60, 0};
    sim::ScsiRequest r;
    r.cdb = inquiry.data();
    r.cdbLength = 6;
    r.direction = sim::DataDirection::In;
    r.transferLength = 96;  // but no buffer
    Answer a;
    a.result = player.Execute(r);
    EXPECT_TRUE(IsStandardSense(a, 5, 0x24));
    r.cdb = nullptr;
    a.result = player.Execute(r);
    EXPECT_TRUE(IsStandardSense(a, 5, 0x20));
    player.EnterRecoveryMode();
    EXPECT_EQ(player.RecoveryWrite(nullptr, 4096).acceptedBytes, 0u);
    EXPECT_EQ(player.RecoveryBytesReceived(), 0u);
}

TEST_F(StandardCommands, DataDriveReadsWritesAndCapacity) {
    ASSERT_TRUE(AllocateStandard().Good());
    EXPECT_TRUE(None({0x00, 0, 0, 0, 0, 0}).Good());

    // 256 MiB minus the system drives rounded to 2048-byte sectors, in 512-byte blocks.
    const uint64_t system = 40960 + 180224 + 600064 + 1501184;
    const uint64_t blocks = ((256ull << 20) - system) / 512;
    const Answer cap = In({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8);
    ASSERT_TRUE(cap.Good());
    EXPECT_EQ(GetBe(&cap.data[0], 4), blocks - 1);
    EXPECT_EQ(GetBe(&cap.data[4], 4), 512u);

    Bytes sectors(1024);
    for (size_t i = 0; i < sectors.size(); ++i) sectors[i] = static_cast<uint8_t>(i * 7);
    // WRITE(10) at block 0x00012345, 2 blocks.
    ASSERT_TRUE(Out({0x2A, 0, 0x00, 0x01, 0x23, 0x45, 0, 0x00, 0x02, 0}, sectors).Good());
    const Answer back = In({0x28, 0, 0x00, 0x01, 0x23, 0x44, 0, 0x00, 0x04, 0}, 2048);
    ASSERT_TRUE(back.Good());
    EXPECT_EQ(back.result.dataInBytes, 2048u);
    EXPECT_EQ(Bytes(back.data.begin(), back.data.begin() + 512), Bytes(512, 0xFF));  // erased flash
    EXPECT_EQ(Bytes(back.data.begin() + 512, back.data.begin() + 1536), sectors);
    EXPECT_EQ(Bytes(back.data.begin() + 1536, back.data.end()), Bytes(512, 0xFF));

    // The last block is reachable, one beyond it is not.
    Bytes last(4);
    PutBe32(last.data(), static_cast<uint32_t>(blocks - 1));
    EXPECT_TRUE(In({0x28, 0, last[0], last[1], last[2], last[3], 0, 0, 1, 0}, 512).Good());
    EXPECT_TRUE(IsStandardSense(In({0x28, 0, last[0], last[1], last[2], last[3], 0, 0, 2, 0}, 1024), 5, 0x21));
    // A host that thinks the blocks are 2048 bytes long is told so.
    EXPECT_TRUE(IsStandardSense(In({0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 2048), 5, 0x24));
    EXPECT_TRUE(IsStandardSense(Out({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, Bytes(2048)), 5, 0x24));
}

}  // namespace
}  // namespace simtest
