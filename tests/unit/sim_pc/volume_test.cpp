// Volume and disk devices of the NT family: locks, geometry, the drive layout in the MBR and
// sector I/O relative to the partition.
#include <gtest/gtest.h>

#include <vector>

#include "platform/control_codes.h"
#include "platform/errors.h"
#include "raw.h"
#include "sim/pc/sim_pc.h"

namespace {

using namespace rawtest;

bool Control(platform::Handle h, uint32_t code, const void* in = nullptr, uint32_t inSize = 0,
             void* out = nullptr, uint32_t outSize = 0, uint32_t* returned = nullptr) {
    uint32_t count = 0;
    bool ok = platform::DeviceIo().DeviceIoControl(h, code, in, inSize, out, outSize, &count);
    if (returned != nullptr) *returned = count;
    return ok;
}

std::vector<uint8_t> ReadAt(platform::Handle h, uint64_t offset, uint32_t size) {
    std::vector<uint8_t> data(size);
    uint32_t done = 0;
    EXPECT_TRUE(platform::DeviceIo().SetFilePointer(h, int64_t(offset), platform::kFileBegin, nullptr));
    EXPECT_TRUE(platform::DeviceIo().ReadFile(h, data.data(), size, &done));
    EXPECT_EQ(done, size);
    return data;
}

bool WriteAt(platform::Handle h, uint64_t offset, const std::vector<uint8_t>& data) {
    uint32_t done = 0;
    return platform::DeviceIo().SetFilePointer(h, int64_t(offset), platform::kFileBegin, nullptr) &&
           platform::DeviceIo().WriteFile(h, data.data(), uint32_t(data.size()), &done) &&
           done == data.size();
}

class Volume : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(AllocateDataDrive(player)); }
    uint64_t DataSectors() { return player.Drives().at(0).sizeBytes / 512; }
    void Close(platform::Handle h) { platform::Kernel().CloseHandle(h); }

    sim::ScopedPc scope{sim::OsPreset::kWindowsXp};
    sim::Player& player = scope.Pc().AddPlayer();
};

TEST_F(Volume, LockIsHeldByOneHandleAtATime) {
    platform::Handle a = Open(L"\\\\.\\E:");
    platform::Handle b = Open(L"\\\\.\\E:");
    ASSERT_NE(a, platform::kInvalidHandle);
    ASSERT_NE(b, platform::kInvalidHandle);
    EXPECT_TRUE(Control(a, platform::kFsctlLockVolume));
    EXPECT_FALSE(Control(b, platform::kFsctlLockVolume));
    EXPECT_EQ(LastError(), platform::kErrorAccessDenied);
    EXPECT_FALSE(Control(b, platform::kFsctlUnlockVolume));
    EXPECT_EQ(LastError(), platform::kErrorNotLocked);
    EXPECT_EQ(Open(L"\\\\.\\E:"), platform::kInvalidHandle);  // a locked volume takes no opener
    EXPECT_TRUE(Control(a, platform::kFsctlDismountVolume));
    EXPECT_TRUE(Control(a, platform::kFsctlUnlockVolume));
    EXPECT_TRUE(Control(a, platform::kFsctlLockVolume));
    Close(a);  // closing lets go of the lock
    EXPECT_TRUE(Control(b, platform::kFsctlLockVolume));
    EXPECT_TRUE(Control(b, platform::kFsctlUnlockVolume));
    scope.Pc().SetVolumeBusy('E', true);
    EXPECT_FALSE(Control(b, platform::kFsctlLockVolume));
    Close(b);
}

TEST_F(Volume, GeometryIsThatOfRemovableMedia) {
    platform::Handle volume = Open(L"\\\\.\\E:");
    uint8_t geometry[24];
    uint32_t returned = 0;
    ASSERT_TRUE(Control(volume, platform::kIoctlDiskGetDriveGeometry, nullptr, 0, geometry, 24,
                        &returned));
    EXPECT_EQ(returned, 24u);
    EXPECT_EQ(Get64(geometry), DataSectors() / (64 * 32));
    EXPECT_EQ(Get32(geometry + 8), 11u);  // RemovableMedia
    EXPECT_EQ(Get32(geometry + 12), 64u);
    EXPECT_EQ(Get32(geometry + 16), 32u);
    EXPECT_EQ(Get32(geometry + 20), 512u);
    EXPECT_FALSE(Control(volume, platform::kIoctlDiskGetDriveGeometry, nullptr, 0, geometry, 20));
    EXPECT_EQ(LastError(), platform::kErrorInsufficientBuffer);
    Close(volume);
}

TEST_F(Volume, LayoutIsWrittenToTheMbrAndMovesTheVolume) {
    const uint64_t cylinders = DataSectors() / (64 * 32);
    const uint64_t diskBytes = cylinders * 64 * 32 * 512;
    uint8_t layout[136] = {};
    Put32(layout, 4);
    for (int i = 0; i < 4; ++i) {
        uint8_t* entry = layout + 8 + 32 * i;
        Put32(entry + 20, i + 1);
        entry[27] = 1;  // rewrite
    }
    Put64(layout + 8, 32 * 512);
    Put64(layout + 16, diskBytes - 32 * 512);
    Put32(layout + 24, 32);
    layout[32] = 6;
    layout[34] = 1;

    platform::Handle before = Open(L"\\\\.\\E:");
    platform::Handle disk = Open(L"\\\\.\\PhysicalDrive1");
    ASSERT_TRUE(Control(disk, platform::kIoctlDiskDeleteDriveLayout));
    ASSERT_TRUE(Control(disk, platform::kIoctlDiskSetDriveLayout, layout, sizeof layout));
    std::vector<uint8_t> mbr = ReadAt(disk, 0, 512);
    EXPECT_EQ(mbr[510], 0x55);
    EXPECT_EQ(mbr[511], 0xAA);
    EXPECT_EQ(mbr[446], 0x00);      // not bootable
    EXPECT_EQ(mbr[446 + 4], 6);     // FAT16
    EXPECT_EQ(Get32(mbr.data() + 446 + 8), 32u);
    EXPECT_EQ(Get32(mbr.data() + 446 + 12), uint32_t(diskBytes / 512 - 32));
    EXPECT_EQ(mbr[462 + 4], 0);     // entries 2-4 empty

    uint8_t read[168] = {};
    uint32_t returned = 0;
    ASSERT_TRUE(Control(disk, platform::kIoctlDiskGetDriveLayout, nullptr, 0, read, sizeof read,
                        &returned));
    EXPECT_EQ(returned, 136u);
    EXPECT_EQ(Get32(read), 4u);
    EXPECT_EQ(Get64(read + 8), 32u * 512);
    EXPECT_EQ(Get64(read + 16), diskBytes - 32 * 512);
    EXPECT_EQ(Get32(read + 24), 32u);
    EXPECT_EQ(Get32(read + 28), 1u);
    EXPECT_EQ(read[32], 6);
    EXPECT_EQ(read[34], 1);  // recognized
    EXPECT_EQ(read[40 + 24], 0);

    // The partition is found when a volume is opened: the new handle's sector 0 is sector 32.
    const std::vector<uint8_t> marker(512, 0xA5);
    platform::Handle after = Open(L"\\\\.\\E:");
    ASSERT_TRUE(WriteAt(after, 0, marker));
    EXPECT_EQ(ReadAt(disk, 32 * 512, 512), marker);
    ASSERT_TRUE(WriteAt(before, 512, marker));  // opened before: still the whole disk
    EXPECT_EQ(ReadAt(disk, 512, 512), marker);

    ASSERT_TRUE(Control(disk, platform::kIoctlDiskDeleteDriveLayout));
    mbr = ReadAt(disk, 0, 512);
    EXPECT_EQ(mbr[510], 0);
    EXPECT_EQ(mbr[446 + 4], 0);
    Close(before);
    Close(after);
    Close(disk);
}

TEST_F(Volume, SectorIoUsesWholeSectorsAndStaysOnTheVolume) {
    platform::Handle volume = Open(L"\\\\.\\E:");
    std::vector<uint8_t> data(512, 1);
    uint32_t done = 0;
    ASSERT_TRUE(platform::DeviceIo().SetFilePointer(volume, 100, platform::kFileBegin, nullptr));
    EXPECT_FALSE(platform::DeviceIo().ReadFile(volume, data.data(), 512, &done));
    EXPECT_EQ(LastError(), platform::kErrorInvalidParameter);
    uint64_t end = 0;
    ASSERT_TRUE(platform::DeviceIo().SetFilePointer(volume, 0, platform::kFileEnd, &end));
    EXPECT_EQ(end, DataSectors() * 512);
    EXPECT_FALSE(platform::DeviceIo().ReadFile(volume, data.data(), 512, &done));
    EXPECT_EQ(LastError(), platform::kErrorSectorNotFound);
    EXPECT_FALSE(platform::DeviceIo().SetFilePointer(volume, -1, platform::kFileBegin, nullptr));
    EXPECT_EQ(LastError(), platform::kErrorNegativeSeek);
    Close(volume);

    platform::Handle readOnly = Open(L"\\\\.\\E:", platform::kGenericRead);
    EXPECT_FALSE(platform::DeviceIo().WriteFile(readOnly, data.data(), 512, &done));
    EXPECT_EQ(LastError(), platform::kErrorAccessDenied);
    Close(readOnly);
}

TEST(VolumeLarge, OffsetsBeyondFourGibReachTheRightSectors) {
    sim::ScopedPc scope;
    sim::PlayerConfig config;
    config.capacityBytes = 6ull << 30;
    sim::Player& player = scope.Pc().AddPlayer(config);
    ASSERT_TRUE(AllocateDataDrive(player));
    platform::Handle disk = Open(L"\\\\.\\PhysicalDrive1");
    std::vector<uint8_t> data(512);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    const uint64_t offset = 5ull << 30;
    ASSERT_TRUE(WriteAt(disk, offset, data));
    // Read it back with a READ(10) of its own at LBA 5 GiB / 512, not through the file pointer.
    const uint32_t lba = uint32_t(offset / 512);
    uint8_t cdb[10] = {0x28, 0, uint8_t(lba >> 24), uint8_t(lba >> 16), uint8_t(lba >> 8),
                       uint8_t(lba), 0, 0, 1, 0};
    std::vector<uint8_t> back(512);
    sim::ScsiRequest request;
    request.cdb = cdb;
    request.cdbLength = 10;
    request.direction = sim::DataDirection::In;
    request.dataIn = back.data();
    request.transferLength = 512;
    ASSERT_EQ(player.Execute(request).outcome, sim::ScsiOutcome::Good);
    EXPECT_EQ(back, data);
    platform::Kernel().CloseHandle(disk);
}

TEST(VolumeOtherDisks, PhysicalDrivesAreNumberedAndLettersSkipped) {
    sim::ScopedPc scope;
    sim::PlainDiskConfig reader;
    reader.vendor = "CARDRDR ";
    reader.removable = true;
    scope.Pc().AddDisk(reader, platform::kDriveRemovable);
    sim::Player& first = scope.Pc().AddPlayer();
    sim::Player& second = scope.Pc().AddPlayer();
    EXPECT_EQ(scope.Pc().SlotOf(first).letter, 'F');
    EXPECT_EQ(scope.Pc().SlotOf(first).physicalDrive, 2);
    EXPECT_EQ(scope.Pc().SlotOf(second).letter, 'G');
    EXPECT_EQ(scope.Pc().SlotOf(second).physicalDrive, 3);
    EXPECT_EQ(Open(L"\\\\.\\PhysicalDrive4"), platform::kInvalidHandle);
    EXPECT_EQ(LastError(), platform::kErrorFileNotFound);
    platform::Handle system = Open(L"\\\\.\\PhysicalDrive0");
    ASSERT_NE(system, platform::kInvalidHandle);
    platform::Kernel().CloseHandle(system);
}

}  // namespace
