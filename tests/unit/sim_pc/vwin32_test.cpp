// VWIN32 DOS IOCTL requests with the 28-byte register block (EBX, EDX, ECX, EAX, EDI, ESI,
// flags), answered through the carry flag.
#include <gtest/gtest.h>

#include "platform/control_codes.h"
#include "platform/errors.h"
#include "raw.h"
#include "sim/pc/sim_pc.h"

namespace {

using namespace rawtest;

struct Answer {
    bool called;
    bool carry;
    uint32_t ax;
};

Answer Ioctl(platform::Handle vwin32, uint32_t ebx, uint32_t ecx, uint32_t edx,
             uint32_t flags = 0) {
    uint8_t block[28] = {};
    Put32(block, ebx);
    Put32(block + 4, edx);
    Put32(block + 8, ecx);
    Put32(block + 12, 0x440D);
    Put32(block + 24, flags);
    uint32_t returned = 0;
    bool ok = platform::DeviceIo().DeviceIoControl(vwin32, platform::kVwin32DiocDosIoctl, block,
                                                   28, block, 28, &returned);
    return Answer{ok && returned == 28, (Get32(block + 24) & 1) != 0, Get32(block + 12) & 0xFFFF};
}

class Vwin32 : public ::testing::Test {
protected:
    void SetUp() override {
        vwin32 = platform::DeviceIo().CreateFile(L"\\\\.\\vwin32", 0, 0, 0,
                                                 platform::kFileFlagDeleteOnClose);
        ASSERT_NE(vwin32, platform::kInvalidHandle);
    }
    void TearDown() override { platform::Kernel().CloseHandle(vwin32); }

    sim::ScopedPc scope{sim::OsPreset::kWindows98};
    sim::Player& player = scope.Pc().AddPlayer();
    platform::Handle vwin32 = platform::kInvalidHandle;
};

TEST_F(Vwin32, LockAndUnlockAnswerThroughTheCarryFlag) {
    struct Case {
        uint32_t ebx, ecx, edx;
        bool carry;
        uint32_t ax;
    };
    const Case steps[] = {
        {5, 0x484A, 0, false, 0},      // lock E: (FAT32-aware category)
        {5, 0x084A, 4, false, 0},      // again, with the format permission, category 08h
        {5, 0x486A, 0, false, 0},      // unlock
        {5, 0x086A, 0, false, 0},      // unlock
        {5, 0x486A, 0, true, 0xB0},    // not locked any more
        {26, 0x484A, 0, true, 0x0F},   // Z: does not exist
        {5, 0x584A, 0, true, 0x01},    // no such category
        {5, 0x484B, 0, true, 0x0F},    // a physical lock names a BIOS unit, not a letter
        {0x80, 0x484B, 0, false, 0},   // the system disk's unit
        {0x80, 0x486B, 0, false, 0},
    };
    for (const Case& c : steps) {
        Answer answer = Ioctl(vwin32, c.ebx, c.ecx, c.edx);
        ASSERT_TRUE(answer.called);
        EXPECT_EQ(answer.carry, c.carry) << std::hex << c.ecx;
        if (c.carry) {
            EXPECT_EQ(answer.ax, c.ax) << std::hex << c.ecx;
        }
    }
}

TEST_F(Vwin32, DriveMapInformationDescribesTheLetter) {
    uint8_t info[16] = {16};
    Answer answer = Ioctl(vwin32, 5, 0x486F, platform::DeviceIo().Vwin32Address(info));
    ASSERT_TRUE(answer.called);
    EXPECT_FALSE(answer.carry);
    EXPECT_EQ(info[1], 16);
    EXPECT_EQ(info[2], 0x0F);
    EXPECT_EQ(info[3], 0xFF);
    EXPECT_EQ(Get32(info + 4), 1u << 4);

    uint8_t system[16] = {16};
    EXPECT_FALSE(Ioctl(vwin32, 3, 0x086F, platform::DeviceIo().Vwin32Address(system)).carry);
    EXPECT_EQ(system[3], 0x80);
    uint8_t cdrom[16] = {16};
    EXPECT_TRUE(Ioctl(vwin32, 4, 0x486F, platform::DeviceIo().Vwin32Address(cdrom)).carry);
}

TEST_F(Vwin32, DeviceParametersCarryTheGeometry) {
    ASSERT_TRUE(AllocateDataDrive(player));
    uint8_t block[64] = {};
    Answer answer = Ioctl(vwin32, 5, 0x0860, platform::DeviceIo().Vwin32Address(block), 1);
    ASSERT_TRUE(answer.called);
    EXPECT_FALSE(answer.carry);
    const uint64_t sectors = player.Drives().at(0).sizeBytes / 512;
    EXPECT_EQ(Get16(block + 4), sectors / (64 * 32));
    EXPECT_EQ(Get16(block + 7), 512u);
    EXPECT_EQ(Get16(block + 20), 32u);
    EXPECT_EQ(Get16(block + 22), 64u);
    EXPECT_EQ(Get32(block + 24), 0u);  // no partition table: the volume starts at sector 0
}

TEST_F(Vwin32, CylindersAreCappedAt65535) {
    sim::PlayerConfig big;
    big.capacityBytes = 80ull << 30;
    sim::DiskSlot slot;
    slot.heads = 1;
    slot.sectorsPerTrack = 1;
    sim::Player& large = scope.Pc().AddPlayer(big, slot);
    ASSERT_TRUE(AllocateDataDrive(large));
    uint8_t block[64] = {};
    Answer answer = Ioctl(vwin32, 6, 0x0860, platform::DeviceIo().Vwin32Address(block), 1);
    EXPECT_FALSE(answer.carry);
    EXPECT_EQ(Get16(block + 4), 0xFFFFu);
}

TEST(Vwin32Nt, ExistsOnlyOnTheWindows95Family) {
    sim::ScopedPc scope(sim::OsPreset::kWindowsXp);
    EXPECT_EQ(platform::DeviceIo().CreateFile(L"\\\\.\\vwin32", 0, 0, 0,
                                              platform::kFileFlagDeleteOnClose),
              platform::kInvalidHandle);
    EXPECT_EQ(LastError(), platform::kErrorFileNotFound);
}

}  // namespace
