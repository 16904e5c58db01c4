// 64-bit file offsets on 32-bit glibc builds.
#define _FILE_OFFSET_BITS 64

#include "drives/disk_image_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "app/status.h"
#include "drives/disk.h"

namespace {

std::vector<uint8_t> ReadAt(const char* path, uint64_t offset, size_t size) {
    std::vector<uint8_t> bytes(size);
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return {};
    if (fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, size, f) != size)
        bytes.clear();
    std::fclose(f);
    return bytes;
}

uint64_t FileSize(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    fseeko(f, 0, SEEK_END);
    uint64_t size = static_cast<uint64_t>(ftello(f));
    std::fclose(f);
    return size;
}

// 4 GiB + 1 sector: the file's size and its last sector need 64-bit offsets at every width.
TEST(DiskImageWriter, ImageBeyond4GiB) {
    const char* path = "image_4g.img";
    CBvDisk disk(8388609, 512, nullptr, 0, 0);
    ASSERT_EQ(disk.GetStatus(), ERR_OK);
    ASSERT_EQ(BvWriteDiskImage(disk, path), ERR_OK);
    EXPECT_EQ(FileSize(path), 8388609ull * 512);
    EXPECT_EQ(ReadAt(path, 0, 512), std::vector<uint8_t>(disk.GetMbr().begin(), disk.GetMbr().end()));
    const uint64_t boot = disk.GetVolumeStart() * 512;
    EXPECT_EQ(ReadAt(path, boot, 512),
              std::vector<uint8_t>(disk.GetBootSector().begin(), disk.GetBootSector().end()));
    EXPECT_EQ(ReadAt(path, boot + 6 * 512, 512), ReadAt(path, boot, 512));
    EXPECT_EQ(ReadAt(path, 8388608ull * 512, 512), std::vector<uint8_t>(512, 0));
    std::remove(path);
}

TEST(DiskImageWriter, LargerSectorsArePaddedAfterTheImage) {
    const char* path = "image_2k.img";
    CBvDisk disk(8193, 2048, nullptr, 0, 0);
    ASSERT_EQ(BvWriteDiskImage(disk, path), ERR_OK);
    EXPECT_EQ(FileSize(path), 8193ull * 2048);
    std::vector<uint8_t> boot(disk.GetBootSector().begin(), disk.GetBootSector().end());
    boot.resize(2048, 0);
    EXPECT_EQ(ReadAt(path, disk.GetVolumeStart() * 2048, 2048), boot);
    std::remove(path);
}

TEST(DiskImageWriter, NoLayoutLeavesTheFileAlone) {
    const char* path = "image_none.img";
    std::remove(path);
    testing::internal::CaptureStdout();
    CBvDisk disk(0, 512, nullptr, 0, 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(BvWriteDiskImage(disk, path), ERR_CHS);
    EXPECT_EQ(std::fopen(path, "rb"), nullptr);
}

// 2^55 sectors of 512 bytes: 2^64 bytes, which wrapped round to an empty file.
TEST(DiskImageWriter, DiskBeyondAnyFileSizeFails) {
    const char* path = "image_huge.img";
    std::remove(path);
    CBvDisk disk(1ull << 55, 512, nullptr, 0, 0);
    ASSERT_EQ(disk.GetStatus(), ERR_OK);
    EXPECT_EQ(BvWriteDiskImage(disk, path), ERR_WRITE);
    EXPECT_EQ(std::fopen(path, "rb"), nullptr);
}

TEST(DiskImageWriter, UnwritableFileFails) {
    CBvDisk disk(61440, 512, nullptr, 0, 0);
    EXPECT_EQ(BvWriteDiskImage(disk, "no_such_folder/disk.img"), ERR_FILE_OPEN);
}

}  // namespace
