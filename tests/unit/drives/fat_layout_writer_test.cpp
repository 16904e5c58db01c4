#include "drives/fat_layout_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/status.h"
#include "drives/disk.h"
#include "recording_sink.h"

namespace {

std::vector<uint8_t> Image(const BvSectorImage& image, uint32_t sectorSize = 512) {
    std::vector<uint8_t> sector(image.begin(), image.end());
    sector.resize(sectorSize, 0);
    return sector;
}

std::vector<uint8_t> Zero(uint32_t sectorSize = 512) { return std::vector<uint8_t>(sectorSize, 0); }

// FAT16 on 30 MiB: disk sectors 0 MBR, 1-59 hidden, 60 boot sector, 61-298 FAT 1,
// 299-536 FAT 2, 537-568 root directory, 569-61439 data.
TEST(FatLayoutWriter, Fat16DiskSectorBySector) {
    const uint8_t label[] = {'P', 'L', 'A', 'Y'};
    CBvDisk disk(61440, 512, label, sizeof label, 0);
    RecordingSink sink(512);
    ASSERT_EQ(BvWriteFatLayout(disk, sink, BvLeftoverWrite::BeforeVolume), ERR_OK);

    EXPECT_EQ(sink.Sector(0), Image(disk.GetMbr()));
    EXPECT_EQ(sink.Sector(60), Image(disk.GetBootSector()));
    for (uint64_t fat : {61u, 299u}) {
        std::vector<uint8_t> first = Zero();
        first[0] = 0xF8;
        first[1] = first[2] = first[3] = 0xFF;
        EXPECT_EQ(sink.Sector(fat), first) << fat;
        EXPECT_EQ(sink.Sector(fat + 1), Zero());
    }
    std::vector<uint8_t> root = Zero();
    std::memcpy(root.data(), "PLAY       \x08", 12);
    EXPECT_EQ(sink.Sector(537), root);
    EXPECT_EQ(sink.nonZero.size(), 5u);  // MBR, boot sector, two FAT heads, label entry

    EXPECT_TRUE(sink.WrittenOnce(0, 569));
    EXPECT_EQ(sink.SectorsWritten(), 569u);  // the data area is left alone
}

TEST(FatLayoutWriter, Fat32ReservedAreaWithBackup) {
    CBvDisk disk(250007, 512, nullptr, 0, 0);
    ASSERT_EQ(disk.GetFatType(), BV_FAT32);
    RecordingSink sink(512);
    ASSERT_EQ(BvWriteFatLayout(disk, sink, BvLeftoverWrite::AfterVolume), ERR_OK);

    const uint64_t p = 57;  // partition start
    const std::vector<uint8_t> expected[] = {
        Image(disk.GetBootSector()), Image(disk.GetFsInfo()), Image(disk.GetThirdSector()),
        Zero(), Zero(), Zero(),
        Image(disk.GetBootSector()), Image(disk.GetFsInfo()), Image(disk.GetThirdSector()),
    };
    for (uint64_t i = 0; i < 9; ++i) EXPECT_EQ(sink.Sector(p + i), expected[i]) << i;
    const uint64_t fatStart = p + 32, fatSize = 973, rootStart = fatStart + 2 * fatSize;
    for (uint64_t fat : {fatStart, fatStart + fatSize}) {
        std::vector<uint8_t> first = Zero();
        const uint8_t head[] = {0xF8, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F};
        std::memcpy(first.data(), head, sizeof head);
        EXPECT_EQ(sink.Sector(fat), first);
    }
    std::vector<uint8_t> root = Zero();
    root[11] = 0x08;
    EXPECT_EQ(sink.Sector(rootStart), root);

    // Everything up to the end of the root directory's cluster, and the 5 leftover sectors.
    EXPECT_TRUE(sink.WrittenOnce(0, rootStart + 2));
    EXPECT_TRUE(sink.WrittenOnce(250002, 5));
    EXPECT_EQ(sink.SectorsWritten(), rootStart + 2 + 5);
}

// The Windows 2000/XP order writes the leftover sectors first and then addresses the volume
// from the partition start; the disk it leaves is the one the 9x order leaves.
TEST(FatLayoutWriter, BothLeftoverOrdersLeaveTheSameDisk) {
    for (uint64_t total : {250007ull, 65537ull, 16515072ull}) {
        CBvDisk disk(total, 512, nullptr, 0, 0);
        RecordingSink nt(512), win9x(512), other(512);
        ASSERT_EQ(BvWriteFatLayout(disk, nt, BvLeftoverWrite::BeforeVolume), ERR_OK);
        ASSERT_EQ(BvWriteFatLayout(disk, win9x, BvLeftoverWrite::AfterVolume), ERR_OK);
        ASSERT_EQ(BvWriteFatLayout(disk, other, BvLeftoverWrite::None), ERR_OK);
        EXPECT_EQ(nt.nonZero, win9x.nonZero) << total;
        EXPECT_EQ(other.nonZero, win9x.nonZero) << total;
        EXPECT_EQ(nt.SectorsWritten(), win9x.SectorsWritten()) << total;
        EXPECT_EQ(other.SectorsWritten() + disk.GetLeftoverSectors(), win9x.SectorsWritten());
        EXPECT_TRUE(nt.WrittenOnce(disk.GetGeometrySectors(), disk.GetLeftoverSectors()));
    }
}

TEST(FatLayoutWriter, ProgressTasksOfTheFormat) {
    CBvDisk disk(61440, 512, nullptr, 0, 0);
    RecordingSink sink(512);
    ASSERT_EQ(BvWriteFatLayout(disk, sink, BvLeftoverWrite::BeforeVolume), ERR_OK);
    using T = RecordingSink::Task;
    const std::vector<T> expected = {
        T{30, 2, -1},  // master boot record
        T{31, 2, -1},  // 59 hidden sectors: no full 128-sector chunk
        T{31, 2, -1},  // no leftover sectors
        T{-2, 60, -2}, // the volume from here on
        T{29, 2, -1},
        T{32, 2, -1},  // boot sector
        T{33, 4, 1},   // 238 FAT sectors: one full chunk and the rest
        T{33, 4, 2},
        T{44, 2, -1},  // root directory
    };
    EXPECT_EQ(sink.tasks, expected);
}

TEST(FatLayoutWriter, ChunksStayWithin64KiB) {
    for (uint32_t sectorSize : {512u, 4096u}) {
        CBvDisk disk(sectorSize == 512 ? 134217728ull : 16777216ull, sectorSize, nullptr, 0, 0);
        RecordingSink sink(sectorSize);
        ASSERT_EQ(BvWriteFatLayout(disk, sink, BvLeftoverWrite::AfterVolume), ERR_OK);
        for (const RecordingSink::Range& r : sink.ranges)
            EXPECT_LE(r.count * sectorSize, 65536u) << r.first;
    }
}

// The first failure ends the layout: nothing after it is written.
TEST(FatLayoutWriter, SinkFailureIsReturnedAtOnce) {
    CBvDisk disk(61440, 512, nullptr, 0, 0);
    RecordingSink counter(512);
    ASSERT_EQ(BvWriteFatLayout(disk, counter, BvLeftoverWrite::None), ERR_OK);
    for (int failAt : {0, 3, counter.writes - 1}) {
        RecordingSink sink(512);
        sink.failAtWrite = failAt;
        EXPECT_EQ(BvWriteFatLayout(disk, sink, BvLeftoverWrite::None), ERR_WRITE) << failAt;
        EXPECT_EQ(sink.writes, failAt);
    }
}

TEST(FatLayoutWriter, DiskWithoutLayoutWritesNothing) {
    CBvDisk disk(64, 512, nullptr, 0, 0);
    RecordingSink sink(512);
    EXPECT_EQ(BvWriteFatLayout(disk, sink, BvLeftoverWrite::BeforeVolume), ERR_FAT_TYPE);
    EXPECT_EQ(sink.writes, 0);
}

}  // namespace
