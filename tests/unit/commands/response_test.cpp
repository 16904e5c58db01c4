// How commands turn an answer into values: the logical media table parsing and the readers.
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

// A command that has received `answer`.
template <typename Command, typename... Args>
std::unique_ptr<Command> Answered(const Bytes& answer, Args... args) {
    auto command = std::make_unique<Command>(args...);
    EXPECT_EQ(command->StoreResponse(*MakeByteArray(answer)), ERR_OK);
    return command;
}

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

TEST(Response, ChipRevisionReader) {
    uint16_t id = 0;
    EXPECT_EQ(Answered<CBvGetChipMajorRevId>({0x12, 0x34, 0x56})->GetValue(id), ERR_OK);
    EXPECT_EQ(id, 0x1234);
    EXPECT_EQ(Answered<CBvGetChipMajorRevId>({0x12})->GetValue(id), ERR_SHORT_BUFFER);
}

TEST(Response, MediaFlagReader) {
    const struct {
        uint32_t type;
        Bytes answer;
        int32_t status;
        bool flag;
    } cases[] = {
        {9, {0x80}, ERR_OK, true},
        {9, {0x00}, ERR_OK, false},
        {9, {}, ERR_SHORT_BUFFER, false},
        {5, {0x01}, ERR_BAD_MEDIA_INFO_TYPE, false},  // the flag belongs to type 9 alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.answer.size() << " bytes");
        bool flag = false;
        EXPECT_EQ(Answered<CBvGetLogicalMediaInfo>(c.answer, c.type, 0u)->GetFlag(flag), c.status);
        EXPECT_EQ(flag, c.flag);
    }
}

TEST(Response, SectorSizeReader) {
    const struct {
        uint32_t type;
        Bytes answer;
        int32_t status;
        uint32_t value;
    } cases[] = {
        {0, {0x00, 0x00, 0x08, 0x00}, ERR_OK, 2048},
        {0, {0x00, 0x00, 0x08}, ERR_SHORT_BUFFER, 0},
        {1, {0x00, 0x00, 0x00, 0x01}, ERR_BAD_MEDIA_INFO_TYPE, 0},  // a value of type 0 only
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.answer.size() << " bytes");
        uint32_t value = 0;
        EXPECT_EQ(Answered<CBvGetLogicalDriveInfo>(c.answer, uint8_t{1}, c.type, 0u)->GetValue(value), c.status);
        EXPECT_EQ(value, c.value);
    }
}

TEST(Response, VersionReaders) {
    // 48 bytes arrive; only the first 6 are the version.
    Bytes answer(48, 0xAA);
    const Bytes head = {0x01, 0x02, 0x00, 0x30, 0xFF, 0xFE};
    std::copy(head.begin(), head.end(), answer.begin());
    using Reader = int32_t (CBvGetLogicalDriveInfo::*)(CBvVersionInfo&) const;
    const Reader component = &CBvGetLogicalDriveInfo::GetComponentVersion;
    const Reader product = &CBvGetLogicalDriveInfo::GetProductVersion;
    const struct {
        const char* label;
        uint32_t type;
        Reader reader;
        Bytes answer;
        int32_t status;
        const wchar_t* version;  // the target starts as 1.0.0
    } cases[] = {
        {"component", kBvDriveInfoComponentVersion, component, answer, ERR_OK, L"258.048.65534"},
        {"product", kBvDriveInfoProductVersion, product, answer, ERR_OK, L"258.048.65534"},
        {"component reader, product type", kBvDriveInfoProductVersion, component, answer, ERR_BAD_MEDIA_INFO_TYPE,
         L"001.000.000"},
        {"product reader, component type", kBvDriveInfoComponentVersion, product, answer, ERR_BAD_MEDIA_INFO_TYPE,
         L"001.000.000"},
        // A version that cannot be read whole is left as it was.
        {"short answer", kBvDriveInfoComponentVersion, component, {0, 9, 0, 9, 0}, ERR_SHORT_BUFFER, L"001.000.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CBvVersionInfo version;
        version.SetMajor(1);
        auto command = Answered<CBvGetLogicalDriveInfo>(c.answer, uint8_t{1}, c.type, 0u);
        EXPECT_EQ(((*command).*c.reader)(version), c.status);
        EXPECT_EQ(version.ToText(), c.version);
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
