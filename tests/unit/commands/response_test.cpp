// How commands turn an answer into values: the logical media table parsing and the readers.
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

// Entry i of the tables below: drive i, data and system drives by turns, tag i + 1, and a
// size whose every byte is distinct so that byte order shows.
BvLogicalMediaEntry ExpectedEntry(uint32_t i) {
    BvLogicalMediaEntry entry;
    entry.driveNumber = static_cast<uint8_t>(i);
    entry.driveType = i % 2 ? kBvSystemDrive : kBvDataDrive;
    entry.driveTag = static_cast<uint8_t>(i + 1);
    entry.sizeInBytes = 0x0102030405060708ULL + (uint64_t{i} << 56);
    return entry;
}

// The wire form: count big-endian, then 11 bytes per entry, size big-endian at entry offset 3.
Bytes TableAnswer(uint16_t count, uint32_t entriesPresent, size_t answerSize) {
    Bytes answer(answerSize, 0);
    answer[0] = static_cast<uint8_t>(count >> 8);
    if (answerSize > 1) answer[1] = static_cast<uint8_t>(count);
    for (uint32_t i = 0; i < entriesPresent; ++i) {
        BvLogicalMediaEntry entry = ExpectedEntry(i);
        size_t at = 2 + 11 * i;
        Bytes wire = {entry.driveNumber, entry.driveType, entry.driveTag};
        for (int shift = 56; shift >= 0; shift -= 8) wire.push_back(static_cast<uint8_t>(entry.sizeInBytes >> shift));
        for (size_t k = 0; k < wire.size() && at + k < answer.size(); ++k) answer[at + k] = wire[k];
    }
    return answer;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void ExpectEntry(const BvLogicalMediaEntry& actual, const BvLogicalMediaEntry& expected) {
    EXPECT_EQ(actual.driveNumber, expected.driveNumber);
    EXPECT_EQ(actual.driveType, expected.driveType);
    EXPECT_EQ(actual.driveTag, expected.driveTag);
    EXPECT_EQ(actual.sizeInBytes, expected.sizeInBytes);
}

}  // namespace

TEST(LogicalTable, ParsesWhatTheAnswerHolds) {
    const struct {
        const char* label;
        uint8_t maxEntries;
        Bytes answer;
        int32_t status;
        uint16_t parsed;
    } cases[] = {
        {"ten entries, 112 bytes", 10, TableAnswer(10, 10, 112), ERR_OK, 10},
        {"count 0 reads no entry", 10, TableAnswer(0, 10, 112), ERR_OK, 0},
        {"count beyond the answer", 2, TableAnswer(3, 2, 24), ERR_INDEX_RANGE, 2},
        {"answer ends inside a size", 2, TableAnswer(2, 2, 18), ERR_SHORT_BUFFER, 1},
        {"eleventh entry of a ten-entry answer", 10, TableAnswer(11, 10, 112), ERR_INDEX_RANGE, 10},
        {"eleventh entry present but no room for it", 11, TableAnswer(11, 11, 123), ERR_INDEX_RANGE, 10},
        {"no room for the count", 10, Bytes{0}, ERR_SHORT_BUFFER, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CBvGetLogicalTable command(c.maxEntries);
        EXPECT_EQ(command.StoreResponse(*MakeByteArray(c.answer)), c.status);
        EXPECT_EQ(ToBytes(*command.GetResponse()), c.answer);
        BvLogicalMediaTable table;
        table.count = 99;
        ASSERT_EQ(command.GetTable(table), ERR_OK);
        ASSERT_EQ(table.count, c.parsed);
        for (uint32_t i = 0; i < c.parsed; ++i) {
            SCOPED_TRACE(i);
            ExpectEntry(table.entries[i], ExpectedEntry(i));
        }
        for (uint32_t i = c.parsed; i < kBvMaxLogicalDrives; ++i) ExpectEntry(table.entries[i], BvLogicalMediaEntry());
    }
}

TEST(LogicalTable, ANewAnswerReplacesTheOldTable) {
    CBvGetLogicalTable command(10);
    ASSERT_EQ(command.StoreResponse(*MakeByteArray(TableAnswer(10, 10, 112))), ERR_OK);
    ASSERT_EQ(command.StoreResponse(*MakeByteArray(TableAnswer(0, 0, 112))), ERR_OK);
    BvLogicalMediaTable table;
    command.GetTable(table);
    EXPECT_EQ(table.count, 0);
    ExpectEntry(table.entries[0], BvLogicalMediaEntry());
}

TEST(Response, StoreResponseKeepsACopyOfWhatArrived) {
    CBvScsiInquiry command;
    ASSERT_NE(command.GetResponse(), nullptr);  // held, zero-filled, from construction
    EXPECT_EQ(ToBytes(*command.GetResponse()), Bytes(96, 0));
    Bytes answer = {1, 2, 3};
    ASSERT_EQ(command.StoreResponse(*MakeByteArray(answer)), ERR_OK);
    EXPECT_EQ(command.GetResponseLength(), 3u);
    EXPECT_EQ(ToBytes(*command.GetResponse()), answer);
    EXPECT_EQ(command.GetResponse()->GetObjectName(), "CBvByteArray");
}

TEST(Response, StandardReaders) {
    CBvScsiInquiry inquiry;
    Bytes identity(96);
    for (size_t i = 0; i < identity.size(); ++i) identity[i] = static_cast<uint8_t>(i + 1);
    inquiry.StoreResponse(*MakeByteArray(identity));
    uint8_t buffer[kBvInquiryLength] = {};
    ASSERT_EQ(inquiry.GetInquiryData(buffer), ERR_OK);
    EXPECT_EQ(Bytes(buffer, buffer + kBvInquiryLength), identity);
    inquiry.StoreResponse(*MakeByteArray(Bytes(95, 0)));
    EXPECT_EQ(inquiry.GetInquiryData(buffer), ERR_SHORT_BUFFER);

    CBvReadCapacity capacity;
    capacity.StoreResponse(*MakeByteArray({0x00, 0x3F, 0xFF, 0xFF, 0x00, 0x00, 0x02, 0x00}));
    uint32_t values[2] = {};
    ASSERT_EQ(capacity.GetCapacity(values), ERR_OK);
    EXPECT_EQ(values[0], 0x003FFFFFu);
    EXPECT_EQ(values[1], 512u);
}

TEST(Response, SectorReadsCopyOnlyWhatBothArraysHold) {
    const struct {
        size_t targetSize;
        Bytes expected;
    } cases[] = {
        {4, {1, 2, 3, 4}},
        {2, {1, 2}},
        {6, {1, 2, 3, 4, 0xEE, 0xEE}},  // the part beyond the answer stays as it was
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.targetSize);
        CBvRead read(0, 2, 2);
        CBvReadLogicalDriveSector driveRead(1, 2, 0, 2);
        for (CBvScsiCommand* command : std::initializer_list<CBvScsiCommand*>{&read, &driveRead}) {
            command->StoreResponse(*MakeByteArray({1, 2, 3, 4}));
        }
        auto target = MakeByteArray(Bytes(c.targetSize, 0xEE));
        ASSERT_EQ(read.GetData(*target), ERR_OK);
        EXPECT_EQ(ToBytes(*target), c.expected);
        target = MakeByteArray(Bytes(c.targetSize, 0xEE));
        ASSERT_EQ(driveRead.GetData(*target), ERR_OK);
        EXPECT_EQ(ToBytes(*target), c.expected);
    }
}

TEST(Response, DriveSectorReadOfAFailedCommandReportsItsStatus) {
    CBvReadLogicalDriveSector command(1, 0x10000, 0, 0x10000);  // cannot be buffered
    auto target = MakeByteArray(Bytes(4, 0xEE));
    EXPECT_EQ(command.GetData(*target), ERR_NO_MEMORY);
    EXPECT_EQ(ToBytes(*target), Bytes(4, 0xEE));
}

TEST(Response, VendorValueReaders) {
    const Bytes version48 = [] {
        Bytes b(48, 0xAA);
        Bytes head = {0x01, 0x02, 0x00, 0x30, 0xFF, 0xFE};
        std::copy(head.begin(), head.end(), b.begin());
        return b;
    }();
    const struct {
        const char* label;
        std::function<std::unique_ptr<CBvScsiCommand>()> make;
        Bytes answer;
        std::function<int32_t(const CBvScsiCommand&, std::string&)> read;  // renders the value
        int32_t status;
        std::string value;
    } cases[] = {
        {"chip revision", [] { return std::make_unique<CBvGetChipMajorRevId>(); }, {0x12, 0x34},
         [](const CBvScsiCommand& c, std::string& v) {
             uint16_t id = 0;
             int32_t s = static_cast<const CBvGetChipMajorRevId&>(c).GetValue(id);
             v = std::to_string(id);
             return s;
         },
         ERR_OK, "4660"},
        {"chip revision, short answer", [] { return std::make_unique<CBvGetChipMajorRevId>(); }, {0x12},
         [](const CBvScsiCommand& c, std::string&) {
             uint16_t id = 0;
             return static_cast<const CBvGetChipMajorRevId&>(c).GetValue(id);
         },
         ERR_SHORT_BUFFER, ""},
        {"flag set", [] { return std::make_unique<CBvGetLogicalMediaInfo>(9, 0); }, {0x80},
         [](const CBvScsiCommand& c, std::string& v) {
             bool flag = false;
             int32_t s = static_cast<const CBvGetLogicalMediaInfo&>(c).GetFlag(flag);
             v = flag ? "1" : "0";
             return s;
         },
         ERR_OK, "1"},
        {"flag clear", [] { return std::make_unique<CBvGetLogicalMediaInfo>(9, 0); }, {0x00},
         [](const CBvScsiCommand& c, std::string& v) {
             bool flag = true;
             int32_t s = static_cast<const CBvGetLogicalMediaInfo&>(c).GetFlag(flag);
             v = flag ? "1" : "0";
             return s;
         },
         ERR_OK, "0"},
        {"flag of an empty answer", [] { return std::make_unique<CBvGetLogicalMediaInfo>(9, 0); }, {},
         [](const CBvScsiCommand& c, std::string&) {
             bool flag = false;
             return static_cast<const CBvGetLogicalMediaInfo&>(c).GetFlag(flag);
         },
         ERR_SHORT_BUFFER, ""},
        {"flag of another media type", [] { return std::make_unique<CBvGetLogicalMediaInfo>(5, 0); }, {0x01},
         [](const CBvScsiCommand& c, std::string&) {
             bool flag = false;
             return static_cast<const CBvGetLogicalMediaInfo&>(c).GetFlag(flag);
         },
         ERR_BAD_MEDIA_INFO_TYPE, ""},
        {"sector size", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 0, 0); }, {0x00, 0x00, 0x08, 0x00},
         [](const CBvScsiCommand& c, std::string& v) {
             uint32_t value = 0;
             int32_t s = static_cast<const CBvGetLogicalDriveInfo&>(c).GetValue(value);
             v = std::to_string(value);
             return s;
         },
         ERR_OK, "2048"},
        {"sector size, short answer", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 0, 0); },
         {0x00, 0x00, 0x08},
         [](const CBvScsiCommand& c, std::string&) {
             uint32_t value = 0;
             return static_cast<const CBvGetLogicalDriveInfo&>(c).GetValue(value);
         },
         ERR_SHORT_BUFFER, ""},
        {"value of another drive info type", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 1, 0); },
         {0, 0, 0, 1},
         [](const CBvScsiCommand& c, std::string&) {
             uint32_t value = 0;
             return static_cast<const CBvGetLogicalDriveInfo&>(c).GetValue(value);
         },
         ERR_BAD_MEDIA_INFO_TYPE, ""},
        // 48 bytes arrive; only the first 6 are the version.
        {"component version", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 7, 0); }, version48,
         [](const CBvScsiCommand& c, std::string& v) {
             CBvVersionInfo version;
             int32_t s = static_cast<const CBvGetLogicalDriveInfo&>(c).GetComponentVersion(version);
             v = Narrow(version.ToText());
             return s;
         },
         ERR_OK, "258.048.65534"},
        {"product version", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 8, 0); }, version48,
         [](const CBvScsiCommand& c, std::string& v) {
             CBvVersionInfo version;
             int32_t s = static_cast<const CBvGetLogicalDriveInfo&>(c).GetProductVersion(version);
             v = Narrow(version.ToText());
             return s;
         },
         ERR_OK, "258.048.65534"},
        {"component reader on the product type", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 8, 0); },
         version48,
         [](const CBvScsiCommand& c, std::string&) {
             CBvVersionInfo version;
             return static_cast<const CBvGetLogicalDriveInfo&>(c).GetComponentVersion(version);
         },
         ERR_BAD_MEDIA_INFO_TYPE, ""},
        {"product reader on the component type", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 7, 0); },
         version48,
         [](const CBvScsiCommand& c, std::string&) {
             CBvVersionInfo version;
             return static_cast<const CBvGetLogicalDriveInfo&>(c).GetProductVersion(version);
         },
         ERR_BAD_MEDIA_INFO_TYPE, ""},
        // A version that cannot be read in full is left as it was.
        {"version, short answer", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 7, 0); },
         {0, 9, 0, 9, 0},
         [](const CBvScsiCommand& c, std::string& v) {
             CBvVersionInfo version;
             version.SetMajor(1);
             int32_t s = static_cast<const CBvGetLogicalDriveInfo&>(c).GetComponentVersion(version);
             v = Narrow(version.ToText());
             return s;
         },
         ERR_SHORT_BUFFER, "001.000.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::unique_ptr<CBvScsiCommand> command = c.make();
        ASSERT_EQ(command->StoreResponse(*MakeByteArray(c.answer)), ERR_OK);
        std::string value;
        EXPECT_EQ(c.read(*command, value), c.status);
        EXPECT_EQ(value, c.value);
    }
}

TEST(Response, VendorReadersBeforeAnyAnswerReportAShortBuffer) {
    uint16_t id = 0;
    EXPECT_EQ(CBvGetChipMajorRevId().GetValue(id), ERR_SHORT_BUFFER);
    bool flag = false;
    EXPECT_EQ(CBvGetLogicalMediaInfo(9, 0).GetFlag(flag), ERR_SHORT_BUFFER);
    uint32_t value = 0;
    EXPECT_EQ(CBvGetLogicalDriveInfo(1, 0, 0).GetValue(value), ERR_SHORT_BUFFER);
    CBvVersionInfo version;
    EXPECT_EQ(CBvGetLogicalDriveInfo(1, 7, 0).GetComponentVersion(version), ERR_SHORT_BUFFER);
}
