#include "drives/disk_geometry.h"

#include <gtest/gtest.h>

#include "app/status.h"

namespace {

struct GeometryCase {
    uint64_t total;
    uint32_t cylinders;
    uint16_t heads;
    uint8_t sectorsPerTrack;
};

TEST(DiskGeometry, SearchFindsExactOrClosestPositionBelow) {
    const GeometryCase cases[] = {
        {61440, 4, 256, 60},             // exact
        {250007, 34, 129, 57},           // 250002, 5 left over
        {65537, 8, 256, 32},             // 65536, 1 left over
        {1, 1, 1, 1},
        {128, 1, 4, 32},                 // first exact position in enumeration order
        {16515071, 1024, 256, 62},       // the search's worst case: no exact position
    };
    for (const GeometryCase& c : cases) {
        BvGeometry g;
        ASSERT_EQ(BvSearchGeometry(c.total, g), ERR_OK) << c.total;
        EXPECT_EQ(g.cylinders, c.cylinders) << c.total;
        EXPECT_EQ(g.heads, c.heads) << c.total;
        EXPECT_EQ(g.sectorsPerTrack, c.sectorsPerTrack) << c.total;
        EXPECT_LE(g.Sectors(), c.total);
    }
}

TEST(DiskGeometry, EmptyDiskHasNoPosition) {
    BvGeometry g;
    testing::internal::CaptureStdout();
    EXPECT_EQ(BvSearchGeometry(0, g), ERR_CHS);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR - bad CHS solution\r\n");
}

// Beyond what 1024 × 256 × 63 addresses, whole 255 × 63 cylinders, no more than the
// partition table's 32-bit sector fields reach.
TEST(DiskGeometry, LargeDisksGetWholeTranslatedCylinders) {
    const GeometryCase cases[] = {
        {16515072, 1028, 255, 63},
        {134217728, 8354, 255, 63},          // 64 GiB
        {4294967296ull, 267349, 255, 63},    // 2 TiB: 4294961685 sectors, below 2^32
        {8589934592ull, 267349, 255, 63},    // 4 TiB: the rest cannot be partitioned
    };
    for (const GeometryCase& c : cases) {
        BvGeometry g;
        ASSERT_EQ(BvSearchGeometry(c.total, g), ERR_OK);
        EXPECT_EQ(g.cylinders, c.cylinders) << c.total;
        EXPECT_EQ(g.heads, c.heads);
        EXPECT_EQ(g.sectorsPerTrack, c.sectorsPerTrack);
        EXPECT_LE(g.Sectors(), 0xFFFFFFFFull);
    }
}

struct ChsCase {
    BvGeometry geometry;
    uint64_t sector;
    uint8_t head, sectorByte, cylinderLow;
};

TEST(DiskGeometry, ChsTriplePacksCylinderHighBitsIntoSectorByte) {
    const ChsCase cases[] = {
        {{4, 256, 60}, 60, 1, 1, 0},                    // first sector of the 61440 partition
        {{4, 256, 60}, 61439, 255, 60, 3},              // its last
        {{1024, 16, 63}, (300 * 16 + 5) * 63 + 9, 5, 10 | 0x40, 0x2C},  // cylinder 300
        {{1024, 256, 62}, 16252927, 255, 62 | 0xC0, 0xFF},              // cylinder 1023
        {{1028, 255, 63}, 1024ull * 255 * 63, 254, 0xFF, 0xFF},         // cylinder 1024: clamped
        {{267349, 255, 63}, 4294961684ull, 254, 0xFF, 0xFF},
    };
    for (const ChsCase& c : cases) {
        uint8_t triple[3] = {0xEE, 0xEE, 0xEE};
        ASSERT_EQ(BvEncodeChs(c.geometry, c.sector, triple), ERR_OK) << c.sector;
        EXPECT_EQ(triple[0], c.head) << c.sector;
        EXPECT_EQ(triple[1], c.sectorByte) << c.sector;
        EXPECT_EQ(triple[2], c.cylinderLow) << c.sector;
    }
}

TEST(DiskGeometry, ChsPastTheLastCylinderFails) {
    uint8_t triple[3] = {};
    EXPECT_EQ(BvEncodeChs({4, 256, 60}, 61440, triple), ERR_CHS_RANGE);
    EXPECT_EQ(BvEncodeChs({}, 0, triple), ERR_CHS_RANGE);
}

}  // namespace
