#include "drives/disk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/status.h"
#include "firmware/byte_array.h"

namespace {

uint32_t Le16(const BvSectorImage& s, size_t at) { return s[at] | s[at + 1] << 8; }
uint32_t Le32(const BvSectorImage& s, size_t at) { return Le16(s, at) | Le16(s, at + 2) << 16; }
std::string Text(const BvSectorImage& s, size_t at, size_t n) {
    return std::string(reinterpret_cast<const char*>(s.data() + at), n);
}

bool ZeroRange(const BvSectorImage& s, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (s[i]) return false;
    return true;
}

// What a reader derives from the boot sector alone: the data clusters of the volume.
uint64_t ClustersFromBootSector(const BvSectorImage& b) {
    const uint32_t bps = Le16(b, 0x0B);
    const uint64_t total = Le16(b, 0x13) ? Le16(b, 0x13) : Le32(b, 0x20);
    const uint64_t fat = Le16(b, 0x16) ? Le16(b, 0x16) : Le32(b, 0x24);
    const uint64_t rootSectors = (Le16(b, 0x11) * 32 + bps - 1) / bps;
    const uint64_t meta = Le16(b, 0x0E) + b[0x10] * fat + rootSectors;
    return b[0x0D] && total > meta ? (total - meta) / b[0x0D] : 0;
}

// The FAT type a reader infers from the cluster count, and the names the disk gives it.
void ExpectConsistentVolume(const CBvDisk& disk, const std::string& what) {
    const BvSectorImage& b = disk.GetBootSector();
    const uint64_t clusters = ClustersFromBootSector(b);
    const BvFatType byCount = clusters < 4085 ? BV_FAT12 : clusters < 65525 ? BV_FAT16 : BV_FAT32;
    EXPECT_GE(clusters, 1u) << what;
    const uint64_t fatSectors = Le16(b, 0x16) ? Le16(b, 0x16) : Le32(b, 0x24);
    const uint64_t entryBits = byCount == BV_FAT12 ? 12 : byCount == BV_FAT16 ? 16 : 32;
    EXPECT_GE(fatSectors * Le16(b, 0x0B) * 8 / entryBits, clusters + 2) << what << ": FAT too small";
    EXPECT_EQ(byCount, disk.GetFatType()) << what << ": " << clusters << " clusters";
    EXPECT_LE(uint64_t{b[0x0D]} * disk.GetSectorSize(), 32768u) << what;
    static const char* const kText[] = {"FAT12   ", "FAT16   ", "FAT32   "};
    static const uint8_t kPartitionType[] = {0x01, 0x06, 0x0B};
    EXPECT_EQ(Text(b, byCount == BV_FAT32 ? 0x52 : 0x36, 8), kText[byCount]) << what;
    EXPECT_EQ(disk.GetMbr()[0x1C2], kPartitionType[byCount]) << what;
}

CBvDisk MakeDisk(uint64_t sectors, int32_t fat16 = 0, uint32_t sectorSize = 512) {
    return CBvDisk(sectors, sectorSize, nullptr, 0, fat16);
}

struct LayoutCase {
    uint64_t total;
    int32_t fat16;
    BvFatType type;
    uint32_t cylinders;
    uint16_t heads;
    uint8_t sectorsPerTrack;
    uint64_t leftover;
    uint64_t volumeSectors;
    uint32_t sectorsPerCluster;
};

TEST(Disk, LayoutsOfTheKnownSizes) {
    const LayoutCase cases[] = {
        {61440, 0, BV_FAT16, 4, 256, 60, 0, 61380, 1},       // 30 MiB: exact position
        {250007, 0, BV_FAT32, 34, 129, 57, 5, 249945, 2},
        {8192, 0, BV_FAT12, 1, 256, 32, 0, 8160, 8},         // exactly 4 MiB
        {8193, 0, BV_FAT16, 1, 256, 32, 1, 8160, 1},         // one sector more
        {65536, 0, BV_FAT16, 8, 256, 32, 0, 65504, 1},       // exactly 32 MiB
        {131072, 1, BV_FAT16, 16, 256, 32, 0, 131040, 2},    // 64 MiB with the FAT16 option
        {131072, 0, BV_FAT32, 16, 256, 32, 0, 131040, 1},    // and without
        {16515072, 0, BV_FAT32, 1028, 255, 63, 252, 16514757, 8},
    };
    for (const LayoutCase& c : cases) {
        CBvDisk disk = MakeDisk(c.total, c.fat16);
        const std::string what = std::to_string(c.total) + (c.fat16 ? " fat16" : "");
        ASSERT_EQ(disk.GetStatus(), ERR_OK) << what;
        EXPECT_EQ(disk.GetObjectName(), "CBvDisk");
        EXPECT_EQ(disk.GetFatType(), c.type) << what;
        EXPECT_EQ(disk.GetCylinders(), c.cylinders) << what;
        EXPECT_EQ(disk.GetHeads(), c.heads) << what;
        EXPECT_EQ(disk.GetSectorsPerTrack(), c.sectorsPerTrack) << what;
        EXPECT_EQ(disk.GetGeometrySectors(), uint64_t{c.cylinders} * c.heads * c.sectorsPerTrack);
        EXPECT_EQ(disk.GetLeftoverSectors(), c.leftover) << what;
        EXPECT_EQ(disk.GetVolumeStart(), c.sectorsPerTrack) << what;
        EXPECT_EQ(disk.GetVolumeSectors(), c.volumeSectors) << what;
        EXPECT_EQ(disk.GetSectorsPerCluster(), c.sectorsPerCluster) << what;
        ExpectConsistentVolume(disk, what);
    }
}

TEST(Disk, EmptyDiskFailsWithBadChsLine) {
    testing::internal::CaptureStdout();
    CBvDisk disk = MakeDisk(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR - bad CHS solution\r\n");
    EXPECT_EQ(disk.GetStatus(), ERR_CHS);
}

// A 32-bit product makes 4 GiB + 1 sector look like 512 bytes: FAT12 on a 4 GiB disk.
TEST(Disk, FatTypeOfDisksBeyond4GiB) {
    EXPECT_EQ(BvFatTypeForDisk(8388609, 512, false), BV_FAT32);
    EXPECT_EQ(BvFatTypeForDisk(8388608 + 65536, 512, false), BV_FAT32);
    EXPECT_EQ(BvFatTypeForDisk(1048577, 4096, false), BV_FAT32);
    EXPECT_EQ(BvFatTypeForDisk(8388609, 512, true), BV_FAT16);
    EXPECT_EQ(BvFatTypeForDisk(1ull << 55, 512, false), BV_FAT32);  // 2^64 bytes
    EXPECT_EQ(BvFatTypeForDisk(UINT64_MAX, 4096, false), BV_FAT32);
    for (uint64_t sectors : {8388608ull, 8388609ull, 16777216ull + 8}) {
        CBvDisk disk = MakeDisk(sectors);
        ASSERT_EQ(disk.GetStatus(), ERR_OK);
        EXPECT_EQ(disk.GetFatType(), BV_FAT32) << sectors;
        ExpectConsistentVolume(disk, std::to_string(sectors));
    }
}

TEST(Disk, TotalSectorFieldWidth) {
    struct Case {
        uint64_t total;
        uint32_t sectorSize;
        bool sixteenBit;
    } cases[] = {
        {61440, 512, true},     // volume 61380
        {65568, 512, true},     // volume 65520
        {65598, 512, false},    // volume 65540: beyond 16 bits
        {8193, 2048, true},     // volume 8160 of 2 KiB: 16 MiB
        {20000, 2048, false},   // volume 19950 of 2 KiB: beyond 32 MiB, though below 65536
        {250007, 512, false},
    };
    for (const Case& c : cases) {
        CBvDisk disk = MakeDisk(c.total, 1, c.sectorSize);
        ASSERT_EQ(disk.GetStatus(), ERR_OK) << c.total;
        const BvSectorImage& b = disk.GetBootSector();
        EXPECT_EQ(Le16(b, 0x13), c.sixteenBit ? disk.GetVolumeSectors() : 0) << c.total;
        EXPECT_EQ(Le32(b, 0x20), c.sixteenBit ? 0 : disk.GetVolumeSectors()) << c.total;
    }
}

// Where the cluster-size tables give 0 or a cluster count the type does not allow, the
// nearest valid cluster size, else the type the count calls for.
TEST(Disk, InvalidTableChoicesMoveToTheNearestValidLayout) {
    struct Case {
        uint64_t total;
        int32_t fat16;
        uint32_t sectorSize;
        BvFatType type;
        uint32_t sectorsPerCluster;
    } cases[] = {
        {8193, 0, 512, BV_FAT16, 1},          // FAT16 table: 0 up to 8400 sectors
        {8400, 0, 512, BV_FAT16, 1},
        {65537, 0, 512, BV_FAT16, 2},         // FAT32 table 0, too few clusters at 1
        {66601, 0, 512, BV_FAT16, 2},         // FAT32 at 1 sector: 65474 clusters, too few
        {131073, 0, 512, BV_FAT32, 1},        // FAT32 table 2: 65015 clusters, too few
        {262145, 0, 512, BV_FAT32, 2},        // FAT32 table 4: too few
        {2048, 1, 512, BV_FAT12, 8},          // FAT16 asked for 1 MiB: too few clusters for FAT16
        {4194305, 1, 512, BV_FAT32, 8},       // FAT16 asked for beyond 2 GiB: table 0
        {134217728, 1, 512, BV_FAT32, 64},    // 64 GiB
        {8192, 0, 4096, BV_FAT16, 1},         // 32 MiB of 4 KiB sectors
        {16384, 0, 4096, BV_FAT16, 1},        // 64 MiB of 4 KiB sectors: too few for FAT32
        {536870912, 0, 4096, BV_FAT32, 8},    // 2 TiB of 4 KiB: table's 64 would be 256 KiB clusters
    };
    for (const Case& c : cases) {
        CBvDisk disk = MakeDisk(c.total, c.fat16, c.sectorSize);
        const std::string what = std::to_string(c.total) + " of " + std::to_string(c.sectorSize) +
                                 (c.fat16 ? " fat16" : "");
        ASSERT_EQ(disk.GetStatus(), ERR_OK) << what;
        EXPECT_EQ(disk.GetFatType(), c.type) << what;
        EXPECT_EQ(disk.GetSectorsPerCluster(), c.sectorsPerCluster) << what;
        EXPECT_EQ(disk.GetBootSector()[0x0D], c.sectorsPerCluster) << what;
        ExpectConsistentVolume(disk, what);
    }
}

// The FAT size formula forgets the two reserved entries: on these disks it leaves one more
// cluster than the FAT has entries for, and readers refuse the volume.
TEST(Disk, FatHasAnEntryForEveryCluster) {
    const struct {
        uint64_t total;
        int32_t fat16;
        uint32_t sectorsPerFat;
    } cases[] = {
        {8866, 0, 35},      // the formula gives 34 sectors for 8703 clusters + 2
        {200160, 1, 196},   // 4 sectors per cluster: 195 sectors for 49919 clusters + 2
        {61440, 0, 238},    // the formula's own result where it has room
    };
    for (const auto& c : cases) {
        CBvDisk disk = MakeDisk(c.total, c.fat16);
        ASSERT_EQ(disk.GetStatus(), ERR_OK);
        EXPECT_EQ(disk.GetSectorsPerFat(), c.sectorsPerFat) << c.total;
        ExpectConsistentVolume(disk, std::to_string(c.total));
    }
}

TEST(Disk, NoValidLayoutFailsWithoutImages) {
    const struct {
        uint64_t total;
        uint32_t sectorSize;
    } cases[] = {
        {1, 512},    // the hidden track is the whole disk
        {63, 512},
        {64, 512},   // 32 KiB: no room for root directory and FATs
        {16, 4096},
        {61440, 0},  // sector sizes FAT does not know
        {61440, 256},
        {61440, 520},
        {61440, 8192},
    };
    for (const auto& c : cases) {
        CBvDisk disk = MakeDisk(c.total, 0, c.sectorSize);
        EXPECT_EQ(disk.GetStatus(), ERR_FAT_TYPE) << c.total << " of " << c.sectorSize;
        EXPECT_EQ(disk.GetBootSector()[0x1FE], 0) << c.total;
        EXPECT_EQ(disk.GetMbr()[0x1FE], 0) << c.total;
    }
}

// Every row boundary of the cluster tables and every FAT type threshold, one sector either
// side, with and without the FAT16 option: a volume readers accept.
TEST(Disk, EveryBoundarySizeGivesAValidVolume) {
    const uint64_t boundaries[] = {128,     8192,     8400,     65536,    66600,     131072,
                                   262144,  524288,   532480,   1048576,  2097152,   4194304,
                                   8388608, 16515072, 16777216, 33554432, 67108864,  4294967295ull};
    for (uint64_t n : boundaries) {
        for (uint64_t total : {n - 1, n, n + 1}) {
            for (int32_t fat16 : {0, 1}) {
                CBvDisk disk = MakeDisk(total, fat16);
                const std::string what = std::to_string(total) + (fat16 ? " fat16" : "");
                ASSERT_EQ(disk.GetStatus(), ERR_OK) << what;
                ExpectConsistentVolume(disk, what);
                EXPECT_EQ(Le32(disk.GetMbr(), 0x1C6) + uint64_t{Le32(disk.GetMbr(), 0x1CA)} +
                              disk.GetLeftoverSectors(),
                          total)
                    << what;
            }
        }
    }
}

TEST(Disk, Fat16BootSectorBytes) {
    CBvDisk disk = MakeDisk(61440);
    ASSERT_EQ(disk.GetStatus(), ERR_OK);
    const BvSectorImage& b = disk.GetBootSector();
    EXPECT_EQ(b[0], 0xEB);
    EXPECT_EQ(b[1], 0x3E);
    EXPECT_EQ(b[2], 0x90);
    EXPECT_EQ(Text(b, 0x03, 8), "MSWIN4.1");
    EXPECT_EQ(Le16(b, 0x0B), 512u);
    EXPECT_EQ(b[0x0D], 1);
    EXPECT_EQ(Le16(b, 0x0E), 1u);
    EXPECT_EQ(b[0x10], 2);
    EXPECT_EQ(Le16(b, 0x11), 512u);
    EXPECT_EQ(Le16(b, 0x13), 61380u);
    EXPECT_EQ(b[0x15], 0xF8);
    // (61380 - 1 - 32) sectors over 258 entries of 2 FATs per 512-byte sector, rounded up.
    EXPECT_EQ(Le16(b, 0x16), 238u);
    EXPECT_EQ(Le16(b, 0x18), 60u);
    EXPECT_EQ(Le16(b, 0x1A), 256u);
    EXPECT_EQ(Le32(b, 0x1C), 60u);
    EXPECT_EQ(Le32(b, 0x20), 0u);
    EXPECT_EQ(b[0x24], 0x80);
    EXPECT_EQ(b[0x25], 0);
    EXPECT_EQ(b[0x26], 0x29);
    EXPECT_EQ(Le32(b, 0x27), 0u);
    EXPECT_EQ(Text(b, 0x2B, 11), "NO NAME    ");
    EXPECT_EQ(Text(b, 0x36, 8), "FAT16   ");
    EXPECT_TRUE(ZeroRange(b, 0x3E, 0x1FE));
    EXPECT_EQ(b[0x1FE], 0x55);
    EXPECT_EQ(b[0x1FF], 0xAA);
    EXPECT_EQ(disk.GetRootDirSectors(), 32u);
}

TEST(Disk, Fat32BootSectorAndReservedSectors) {
    CBvDisk disk = MakeDisk(250007);
    ASSERT_EQ(disk.GetStatus(), ERR_OK);
    const BvSectorImage& b = disk.GetBootSector();
    EXPECT_EQ(b[0x0D], 2);
    EXPECT_EQ(Le16(b, 0x0E), 32u);
    EXPECT_EQ(Le16(b, 0x11), 0u);
    EXPECT_EQ(Le16(b, 0x13), 0u);
    EXPECT_EQ(Le16(b, 0x16), 0u);
    EXPECT_EQ(Le16(b, 0x18), 57u);
    EXPECT_EQ(Le16(b, 0x1A), 129u);
    EXPECT_EQ(Le32(b, 0x1C), 57u);
    EXPECT_EQ(Le32(b, 0x20), 249945u);
    // (249945 - 32) sectors over (256 × 2 + 2) / 2 = 257, rounded up.
    EXPECT_EQ(Le32(b, 0x24), 973u);
    EXPECT_EQ(Le16(b, 0x28), 0u);
    EXPECT_EQ(Le16(b, 0x2A), 0u);
    EXPECT_EQ(Le32(b, 0x2C), 2u);
    EXPECT_EQ(Le16(b, 0x30), 1u);
    EXPECT_EQ(Le16(b, 0x32), 6u);
    EXPECT_EQ(b[0x40], 0x80);
    EXPECT_EQ(b[0x42], 0x29);
    EXPECT_EQ(Le32(b, 0x43), 0u);
    EXPECT_EQ(Text(b, 0x47, 11), "NO NAME    ");
    EXPECT_EQ(Text(b, 0x52, 8), "FAT32   ");
    EXPECT_TRUE(ZeroRange(b, 0x5A, 0x1FE));
    EXPECT_EQ(Le16(b, 0x1FE), 0xAA55u);
    EXPECT_EQ(disk.GetRootDirSectors(), 2u);

    const BvSectorImage& info = disk.GetFsInfo();
    EXPECT_EQ(Le32(info, 0), 0x41615252u);
    EXPECT_EQ(Le32(info, 0x1E4), 0x61417272u);
    // 123983 clusters, all free but the root directory's.
    EXPECT_EQ(Le32(info, 0x1E8), 123982u);
    EXPECT_EQ(Le32(info, 0x1EC), 0xFFFFFFFFu);
    EXPECT_EQ(Le32(info, 0x1FC), 0xAA550000u);
    EXPECT_TRUE(ZeroRange(info, 4, 0x1E4));

    const BvSectorImage& third = disk.GetThirdSector();
    EXPECT_TRUE(ZeroRange(third, 0, 0x1FE));
    EXPECT_EQ(Le16(third, 0x1FE), 0xAA55u);
}

TEST(Disk, MasterBootRecordBytes) {
    CBvDisk disk = MakeDisk(61440);
    const BvSectorImage& m = disk.GetMbr();
    EXPECT_TRUE(ZeroRange(m, 0, 0x1BE));
    const uint8_t entry[16] = {0x80, 0x01, 0x01, 0x00, 0x06, 0xFF, 0x3C, 0x03,
                               60,   0,    0,    0,    0xC4, 0xEF, 0x00, 0x00};  // 61380
    EXPECT_EQ(std::memcmp(&m[0x1BE], entry, sizeof entry), 0);
    EXPECT_TRUE(ZeroRange(m, 0x1CE, 0x1FE));
    EXPECT_EQ(Le16(m, 0x1FE), 0xAA55u);
}

// Past cylinder 1023 the CHS fields hold 1023/254/63; the LBA fields carry the truth.
TEST(Disk, LargeDiskPartitionEntry) {
    CBvDisk disk = MakeDisk(16515072);
    ASSERT_EQ(disk.GetStatus(), ERR_OK);
    const BvSectorImage& m = disk.GetMbr();
    const uint8_t entry[16] = {0x80, 0x01, 0x01, 0x00, 0x0B, 0xFE, 0xFF, 0xFF,
                               63,   0,    0,    0,    0};
    EXPECT_EQ(std::memcmp(&m[0x1BE], entry, 12), 0);
    EXPECT_EQ(Le32(m, 0x1CA), 16514757u);
    EXPECT_EQ(Le16(disk.GetBootSector(), 0x1A), 255u);
}

TEST(Disk, ReservedFatEntries) {
    const struct {
        uint64_t total;
        std::vector<uint8_t> header;
    } cases[] = {
        {8192, {0xF8, 0xFF, 0xFF, 0}},
        {61440, {0xF8, 0xFF, 0xFF, 0xFF, 0}},
        {250007, {0xF8, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0}},
    };
    for (const auto& c : cases) {
        CBvDisk disk = MakeDisk(c.total);
        CBvByteArray fat(512);
        ASSERT_EQ(disk.WriteFatHeader(fat), ERR_OK);
        EXPECT_EQ(std::vector<uint8_t>(fat.Bytes(), fat.Bytes() + c.header.size()), c.header)
            << c.total;
        CBvByteArray tiny(2);
        EXPECT_EQ(disk.WriteFatHeader(tiny), ERR_SHORT_BUFFER);
    }
}

TEST(Disk, LabelEntryAndBootSectorLabel) {
    const struct {
        const char* label;
        const char* entryName;  // 11 bytes
        const char* bootField;
    } cases[] = {
        {"", "\0\0\0\0\0\0\0\0\0\0\0", "NO NAME    "},   // first byte 0: an empty directory
        {"HELLO", "HELLO      ", "HELLO      "},
        {"LONGER THAN ELEVEN", "LONGER THAN", "LONGER THAN"},
    };
    for (const auto& c : cases) {
        CBvDisk disk(61440, 512, reinterpret_cast<const uint8_t*>(c.label),
                     static_cast<uint32_t>(std::strlen(c.label)), 0);
        ASSERT_EQ(disk.GetStatus(), ERR_OK);
        CBvByteArray root(512);
        ASSERT_EQ(disk.WriteLabelEntry(root), ERR_OK);
        EXPECT_EQ(std::memcmp(root.Bytes(), c.entryName, 11), 0) << c.label;
        EXPECT_EQ(root.Bytes()[11], 0x08) << c.label;
        EXPECT_EQ(root.Bytes()[12], 0) << c.label;
        EXPECT_EQ(Text(disk.GetBootSector(), 0x2B, 11), c.bootField);
    }
}

TEST(Disk, RootDirectorySectorsFollowSectorSize) {
    EXPECT_EQ(MakeDisk(8193, 0, 2048).GetRootDirSectors(), 8u);
    EXPECT_EQ(MakeDisk(16777217).GetRootDirSectors(), 16u);  // FAT32: one cluster
}

}  // namespace
