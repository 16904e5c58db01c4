// What each command puts on the wire: CDB bytes, lengths, direction, name; and what its
// constructor refuses.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commands/drive_info_commands.h"
#include "commands/drive_sector_commands.h"
#include "commands/media_commands.h"
#include "commands/standard_commands.h"
#include "commands/table_commands.h"
#include "tests/fixtures/table_scsi_device.h"

using bvtest::Bytes;
using bvtest::MakeByteArray;
using bvtest::ToBytes;

namespace {

using Factory = std::function<std::unique_ptr<CBvScsiCommand>()>;

Bytes Cdb16(std::initializer_list<uint8_t> leading) {
    Bytes cdb(leading);
    cdb.resize(16, 0);
    return cdb;
}

BvLogicalMediaTable ThreeEntryTable() {
    BvLogicalMediaTable table;
    table.count = 3;
    table.entries[0] = {0, kBvSystemDrive, 1, 0x40000};
    table.entries[1] = {1, kBvSystemDrive, 2, 0x80000};
    table.entries[2] = {2, kBvDataDrive, kBvDataDriveTag, 0x1'0000'0000ULL};
    return table;
}

struct CdbCase {
    const char* label;
    Factory make;
    const char* objectName;
    Bytes cdb;
    uint32_t responseLength;
    uint32_t dataOutLength;
    bool dataOut;
};

}  // namespace

TEST(CommandBytes, EveryClassBuildsItsCdb) {
    static const BvLogicalMediaTable table = ThreeEntryTable();
    const std::vector<CdbCase> cases = {
        {"inquiry", [] { return std::make_unique<CBvScsiInquiry>(); }, "CBvScsiInquiry",
         {0x12, 0, 0, 0, 0x60, 0}, 96, 0, false},
        {"read capacity", [] { return std::make_unique<CBvReadCapacity>(); }, "CBvReadCapacity",
         {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8, 0, false},
        // Only the low 16 bits of the count go out; the length uses all of it.
        {"read, count above 16 bits", [] { return std::make_unique<CBvRead>(0x01020304, 0x12345, 2); }, "CBvRead",
         {0x28, 0, 0x01, 0x02, 0x03, 0x04, 0, 0x23, 0x45, 0}, 0x2468A, 0, false},
        {"read of no sectors", [] { return std::make_unique<CBvRead>(7, 0, 512); }, "CBvRead",
         {0x28, 0, 0, 0, 0, 7, 0, 0, 0, 0}, 0, 0, false},
        {"write, count above 16 bits", [] { return std::make_unique<CBvWrite>(0xFFFFFFFF, 0x10001, 1); }, "CBvWrite",
         {0x2A, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x00, 0x01, 0}, 0, 0x10001, true},
        {"chip revision", [] { return std::make_unique<CBvGetChipMajorRevId>(); }, "CBvGetChipMajorRevId",
         Cdb16({0xC0, 0x30}), 2, 0, false},
        {"media info flag", [] { return std::make_unique<CBvGetLogicalMediaInfo>(9, 0); }, "CBvGetLogicalMediaInfo",
         Cdb16({0xC0, 0x02, 0x09}), 1, 0, false},
        {"media info, caller length", [] { return std::make_unique<CBvGetLogicalMediaInfo>(8, 300); },
         "CBvGetLogicalMediaInfo", Cdb16({0xC0, 0x02, 0x08}), 300, 0, false},
        {"logical table", [] { return std::make_unique<CBvGetLogicalTable>(10); }, "CBvGetLogicalTable",
         Cdb16({0xC0, 0x05, 0x0A}), 112, 0, false},
        {"drive info", [] { return std::make_unique<CBvGetLogicalDriveInfo>(3, 7, 0); }, "CBvGetLogicalDriveInfo",
         Cdb16({0xC0, 0x12, 0x03, 0x07}), 48, 0, false},
        // First sector 2^32 + 2: most significant byte first in bytes 3-10.
        {"drive sector read", [] { return std::make_unique<CBvReadLogicalDriveSector>(2, 512, 4294967298ULL, 3); },
         "CBvReadLogicalDriveSector",
         Cdb16({0xC0, 0x13, 0x02, 0, 0, 0, 0x01, 0, 0, 0, 0x02, 0, 0, 0, 0x03}), 1536, 0, false},
        {"allocate", [] { return std::make_unique<CBvAllocateLogicalMedia>(table); }, "CBvAllocateLogicalMedia",
         Cdb16({0xC1, 0x06, 0x03}), 0, 33, true},
        {"erase medium", [] { return std::make_unique<CBvEraseLogicalMedia>(); }, "CBvEraseLogicalMedia",
         Cdb16({0xC1, 0x07}), 0, 0, true},
        {"set drive info", [] { return std::make_unique<CBvSetLogicalDriveInfo>(4, 8); }, "CBvSetLogicalDriveInfo",
         Cdb16({0xC1, 0x20, 0x04, 0x08}), 0, 0, true},
        {"drive sector write",
         [] { return std::make_unique<CBvWriteLogicalDriveSector>(5, 2, 0x0102030405060708ULL, 0x00010002); },
         "CBvWriteLogicalDriveSector",
         Cdb16({0xC1, 0x23, 0x05, 1, 2, 3, 4, 5, 6, 7, 8, 0x00, 0x01, 0x00, 0x02}), 0, 2u * 0x00010002u, true},
        {"erase drive", [] { return std::make_unique<CBvEraseLogicalDrive>(6); }, "CBvEraseLogicalDrive",
         Cdb16({0xC1, 0x2F, 0x06}), 0, 0, true},
        {"chip reset", [] { return std::make_unique<CBvChipReset>(); }, "CBvChipReset", Cdb16({0xC1, 0x31}), 0, 0,
         true},
    };
    for (const CdbCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::unique_ptr<CBvScsiCommand> command = c.make();
        ASSERT_EQ(command->GetStatus(), ERR_OK);
        command->BuildCdb();
        Bytes bytes = ToBytes(command->GetCommandBytes());
        EXPECT_EQ(command->GetObjectName(), c.objectName);
        EXPECT_EQ(command->GetCdbLength(), c.cdb.size());
        ASSERT_EQ(bytes.size(), c.cdb.size() + c.dataOutLength);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + c.cdb.size()), c.cdb);
        EXPECT_EQ(command->GetResponseLength(), c.responseLength);
        EXPECT_EQ(command->GetDataOutLength(), c.dataOutLength);
        EXPECT_EQ(command->IsDataOut(), c.dataOut);
    }
}

TEST(CommandBytes, ResponseLengthFollowsTheMediaInfoType) {
    constexpr int64_t kRefused = -1;
    // 0x109 has the flag type in its low byte and is refused all the same.
    const std::pair<uint32_t, int64_t> cases[] = {
        {0, 2}, {1, 8}, {2, kRefused}, {3, kRefused}, {4, kRefused}, {5, 1}, {6, 4},
        {7, 2}, {8, 77}, {9, 1}, {10, kRefused}, {0x109, kRefused},
    };
    for (const auto& [type, length] : cases) {
        SCOPED_TRACE(type);
        CBvGetLogicalMediaInfo command(type, 77);
        EXPECT_EQ(command.GetStatus(), length == kRefused ? ERR_BAD_MEDIA_INFO_TYPE : ERR_OK);
        EXPECT_EQ(command.GetResponseLength(), length == kRefused ? 0u : static_cast<uint32_t>(length));
    }
}

TEST(CommandBytes, ResponseLengthFollowsTheDriveInfoType) {
    const uint32_t expected[] = {4, 4, 8, 4, 8, 4, 1, 48, 48, 1, 2, 77};
    for (uint32_t type = 0; type < 12; ++type) {
        SCOPED_TRACE(type);
        CBvGetLogicalDriveInfo command(1, type, 77);
        EXPECT_EQ(command.GetStatus(), ERR_OK);
        EXPECT_EQ(command.GetResponseLength(), expected[type]);
    }
    CBvGetLogicalDriveInfo refused(1, 12, 77);
    EXPECT_EQ(refused.GetStatus(), ERR_BAD_SELECTOR);
    EXPECT_EQ(refused.GetResponseLength(), 0u);
}

// count × sectorSize beyond 32 bits cannot be buffered; the command must not wrap to a small length.
TEST(CommandBytes, SectorDataBeyondFourGibIsRefused) {
    const std::vector<std::pair<const char*, Factory>> cases = {
        {"read", [] { return std::make_unique<CBvRead>(0, 0x10000, 0x10000); }},
        {"write", [] { return std::make_unique<CBvWrite>(0, 0x10000, 0x10000); }},
        {"drive read", [] { return std::make_unique<CBvReadLogicalDriveSector>(1, 0x10000, 0, 0x10000); }},
        {"drive write", [] { return std::make_unique<CBvWriteLogicalDriveSector>(1, 0x10000, 0, 0x10000); }},
    };
    for (const auto& [label, make] : cases) {
        SCOPED_TRACE(label);
        std::unique_ptr<CBvScsiCommand> command = make();
        EXPECT_EQ(command->GetStatus(), ERR_NO_MEMORY);
        EXPECT_EQ(command->GetResponseLength(), 0u);
        EXPECT_EQ(command->GetDataOutLength(), 0u);
    }
}

TEST(CommandBytes, AllocationRefusesATableBeyondTenEntries) {
    BvLogicalMediaTable table;
    table.count = 11;
    CBvAllocateLogicalMedia command(table);
    EXPECT_EQ(command.GetStatus(), ERR_INDEX_RANGE);
    EXPECT_EQ(command.GetDataOutLength(), 0u);
}

TEST(CommandBytes, SectorWritesTakeDataThatFitsBehindTheCdb) {
    struct WriteCase {
        const char* label;
        std::function<std::unique_ptr<CBvScsiCommand>()> make;
        std::function<int32_t(CBvScsiCommand&, const CBvByteArray&)> setData;
    };
    const std::vector<WriteCase> writers = {
        {"write", [] { return std::make_unique<CBvWrite>(0, 2, 4); },
         [](CBvScsiCommand& c, const CBvByteArray& d) { return static_cast<CBvWrite&>(c).SetData(d); }},
        {"drive write", [] { return std::make_unique<CBvWriteLogicalDriveSector>(1, 4, 0, 2); },
         [](CBvScsiCommand& c, const CBvByteArray& d) { return static_cast<CBvWriteLogicalDriveSector&>(c).SetData(d); }},
    };
    const struct {
        Bytes source;
        int32_t status;
        Bytes dataOut;
    } sizes[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8}, ERR_OK, {1, 2, 3, 4, 5, 6, 7, 8}},
        {{9, 8, 7}, ERR_OK, {9, 8, 7, 0, 0, 0, 0, 0}},  // padded with zeros
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, ERR_DATA_TOO_LARGE, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const WriteCase& writer : writers) {
        for (const auto& size : sizes) {
            SCOPED_TRACE(std::string(writer.label) + ", " + std::to_string(size.source.size()) + " bytes");
            std::unique_ptr<CBvScsiCommand> command = writer.make();
            EXPECT_EQ(writer.setData(*command, *MakeByteArray(size.source)), size.status);
            Bytes bytes = ToBytes(command->GetCommandBytes());
            EXPECT_EQ(Bytes(bytes.begin() + command->GetCdbLength(), bytes.end()), size.dataOut);
        }
    }
}
