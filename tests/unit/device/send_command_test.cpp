// Issuing commands through a device: what reaches the transport's Execute, what comes back
// to the command, and the issuing steps that stop before anything is sent.
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "commands/drive_info_commands.h"
#include "commands/drive_sector_commands.h"
#include "commands/media_commands.h"
#include "commands/standard_commands.h"
#include "commands/table_commands.h"
#include "device/issue_command.h"
#include "tests/fixtures/table_scsi_device.h"

using bvtest::Bytes;
using bvtest::Cdb16;
using bvtest::MakeByteArray;
using bvtest::TableScsiDevice;
using bvtest::ToBytes;

TEST(SendCommand, HandsTheCommandToExecuteAndTheAnswerBack) {
    const struct {
        const char* label;
        std::function<std::unique_ptr<CBvScsiCommand>()> make;
        Bytes answer;         // what the device sends
        Bytes cdb;            // what Execute must see
        bool dataOut;
        uint32_t answerSize;  // the size of the array Execute must fill
        bool stored;          // whether the command keeps a response afterwards
        Bytes response;
    } cases[] = {
        // The device sends 36 bytes; the rest of the 96 stays zero.
        {"short inquiry answer", [] { return std::make_unique<CBvScsiInquiry>(); }, Bytes(36, 0x41),
         {0x12, 0, 0, 0, 0x60, 0}, false, 96, true,
         [] {
             Bytes b(96, 0);
             std::fill(b.begin(), b.begin() + 36, 0x41);
             return b;
         }()},
        {"media info with no data expected", [] { return std::make_unique<CBvGetLogicalMediaInfo>(8, 0); }, {1, 2},
         Cdb16({0xC0, 0x02, 0x08}), false, 0, true, {}},
        {"chip revision", [] { return std::make_unique<CBvGetChipMajorRevId>(); }, {0x00, 0x03, 0x77},
         Cdb16({0xC0, 0x30}), false, 2, true, {0x00, 0x03}},
        {"chip reset", [] { return std::make_unique<CBvChipReset>(); }, {9, 9}, Cdb16({0xC1, 0x31}), true, 0, false,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TableScsiDevice device;
        device.Answer({c.cdb[0]}, c.answer);
        std::unique_ptr<CBvScsiCommand> command = c.make();
        ASSERT_EQ(device.SendCommand(*command), ERR_OK);
        ASSERT_EQ(device.Calls().size(), 1u);
        const TableScsiDevice::Call& call = device.Calls()[0];
        EXPECT_EQ(call.cdb, c.cdb);
        EXPECT_TRUE(call.dataOut.empty());
        EXPECT_EQ(call.isDataOut, c.dataOut);
        EXPECT_EQ(call.responseSize, c.answerSize);
        EXPECT_TRUE(call.responseWasZero);
        ASSERT_EQ(command->GetResponse() != nullptr, c.stored);
        if (c.stored) {
            EXPECT_EQ(ToBytes(*command->GetResponse()), c.response);
        }
    }
}

TEST(SendCommand, PassesFailuresThrough) {
    const struct {
        const char* label;
        int32_t transportStatus;
        Bytes answer;
        int32_t result;
    } cases[] = {
        {"check condition", ERR_SCSI_COMMAND, {0x00, 0x01}, ERR_SCSI_COMMAND},
        {"pass-through failed", ERR_DISK_CONTROL, {}, ERR_DISK_CONTROL},
        {"open failed", ERR_DEVICE_OPEN, {}, ERR_DEVICE_OPEN},
        // The answer arrives but claims an eleventh entry the 112 bytes cannot hold.
        {"table the answer cannot hold", ERR_OK, {0x00, 0x0B}, ERR_INDEX_RANGE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TableScsiDevice device;
        device.Answer({0xC0, 0x05}, c.answer, c.transportStatus);
        CBvGetLogicalTable command(kBvMaxLogicalDrives);
        EXPECT_EQ(device.SendCommand(command), c.result);
        // A failed transport leaves the command without an answer.
        EXPECT_EQ(command.GetResponse() != nullptr, c.transportStatus == ERR_OK);
    }
}

// The issuing steps: a refused command, failed data or a failed send end the issue at once.
TEST(IssueCommand, StopsAtTheFirstFailingStep) {
    enum Step { kFill = 1, kRead = 2 };
    const struct {
        const char* label;
        std::function<std::unique_ptr<CBvScsiCommand>()> make;
        int32_t fillStatus;
        int32_t transportStatus;
        int32_t result;
        size_t sent;
        int stepsRun;
    } cases[] = {
        {"refused media info type", [] { return std::make_unique<CBvGetLogicalMediaInfo>(3, 0); }, ERR_OK, ERR_OK,
         ERR_BAD_MEDIA_INFO_TYPE, 0, 0},
        {"refused drive info type", [] { return std::make_unique<CBvGetLogicalDriveInfo>(1, 12, 0); }, ERR_OK, ERR_OK,
         ERR_BAD_SELECTOR, 0, 0},
        {"data that do not fit", [] { return std::make_unique<CBvGetChipMajorRevId>(); }, ERR_DATA_TOO_LARGE, ERR_OK,
         ERR_DATA_TOO_LARGE, 0, kFill},
        {"failed send", [] { return std::make_unique<CBvGetChipMajorRevId>(); }, ERR_OK, ERR_SCSI_COMMAND,
         ERR_SCSI_COMMAND, 1, kFill},
        {"every step", [] { return std::make_unique<CBvGetChipMajorRevId>(); }, ERR_OK, ERR_OK, ERR_SHORT_BUFFER, 1,
         kFill | kRead},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TableScsiDevice device;
        device.Answer({}, {0x12, 0x34}, c.transportStatus);
        std::unique_ptr<CBvScsiCommand> command = c.make();
        int stepsRun = 0;
        int32_t result = BvIssueCommand(
            device, *command,
            [&] {
                stepsRun |= kFill;
                return c.fillStatus;
            },
            [&] {
                stepsRun |= kRead;
                return ERR_SHORT_BUFFER;  // stands for a reader's result, passed on unchanged
            });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(device.Calls().size(), c.sent);
        EXPECT_EQ(stepsRun, c.stepsRun);
    }
}

TEST(IssueCommand, ReadsTheValueAfterASuccessfulSend) {
    TableScsiDevice device;
    device.Answer({0xC0, 0x30}, {0x00, 0x07});
    CBvGetChipMajorRevId command;
    uint16_t id = 0;
    EXPECT_EQ(BvIssueCommand(device, command, BvNoStep, [&] { return command.GetValue(id); }), ERR_OK);
    EXPECT_EQ(id, 7);
}

TEST(IssueCommand, AllocationSendsTheTableWithoutDriveNumbers) {
    BvLogicalMediaTable table;
    table.count = 3;
    table.entries[0] = {0x21, kBvSystemDrive, 1, 0x0000000000040000ULL};
    table.entries[1] = {0x22, kBvSystemDrive, 4, 0x0102030405060708ULL};
    table.entries[2] = {0x23, kBvDataDrive, kBvDataDriveTag, 0x0000000100000000ULL};
    TableScsiDevice device;
    device.Answer({0xC1, 0x06}, {});
    CBvAllocateLogicalMedia command(table);
    ASSERT_EQ(BvIssueCommand(device, command), ERR_OK);
    ASSERT_EQ(device.Calls().size(), 1u);
    EXPECT_EQ(device.Calls()[0].cdb, Cdb16({0xC1, 0x06, 0x03}));
    EXPECT_TRUE(device.Calls()[0].isDataOut);
    const Bytes expected = {
        0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00,  //
        0x01, 0x04, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,  //
        0x00, 0x0A, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,  //
        0x00, 0x00, 0x00,                                            // the last three stay 0
    };
    EXPECT_EQ(device.Calls()[0].dataOut, expected);
}

// SendCommand builds the CDB again; the version written before must still go out.
TEST(IssueCommand, VersionSurvivesTheSecondCdbBuild) {
    CBvVersionInfo version;
    version.SetMajor(0x0102);
    version.SetMinor(3);
    version.SetRevision(0xFFEE);
    TableScsiDevice device;
    device.Answer({0xC1, 0x20}, {});
    CBvSetLogicalDriveInfo command(5, kBvDriveInfoProductVersion);
    ASSERT_EQ(BvIssueCommand(device, command, [&] { return command.SetVersion(version); }, BvNoStep), ERR_OK);
    ASSERT_EQ(device.Calls().size(), 1u);
    EXPECT_EQ(device.Calls()[0].cdb, Cdb16({0xC1, 0x20, 0x05, 0x08, 0x01, 0x02, 0x00, 0x03, 0xFF, 0xEE}));
    EXPECT_TRUE(device.Calls()[0].isDataOut);
}

TEST(IssueCommand, DriveSectorWriteAndRead) {
    TableScsiDevice device;
    device.Answer({0xC1, 0x23}, {});
    device.Answer({0xC0, 0x13}, {5, 6, 7, 8});
    auto data = MakeByteArray({1, 2, 3});
    CBvWriteLogicalDriveSector write(2, 2, 4294967298ULL, 2);
    ASSERT_EQ(BvIssueCommand(device, write, [&] { return write.SetData(*data); }, BvNoStep), ERR_OK);
    EXPECT_EQ(device.Calls()[0].cdb, Cdb16({0xC1, 0x23, 0x02, 0, 0, 0, 0x01, 0, 0, 0, 0x02, 0, 0, 0, 0x02}));
    EXPECT_EQ(device.Calls()[0].dataOut, (Bytes{1, 2, 3, 0}));

    auto target = MakeByteArray(Bytes(4, 0));
    CBvReadLogicalDriveSector read(2, 2, 0, 2);
    ASSERT_EQ(BvIssueCommand(device, read, BvNoStep, [&] { return read.GetData(*target); }), ERR_OK);
    EXPECT_EQ(device.Calls()[1].responseSize, 4u);
    EXPECT_EQ(ToBytes(*target), (Bytes{5, 6, 7, 8}));
}

TEST(IssueCommand, TooMuchSectorDataSendsNothing) {
    TableScsiDevice device;
    device.Answer({}, {});
    auto data = MakeByteArray(Bytes(5, 1));
    CBvWriteLogicalDriveSector write(2, 2, 0, 2);
    EXPECT_EQ(BvIssueCommand(device, write, [&] { return write.SetData(*data); }, BvNoStep), ERR_DATA_TOO_LARGE);
    EXPECT_EQ(device.WriteSectors(*data, 2, 0, 2), ERR_DATA_TOO_LARGE);
    EXPECT_TRUE(device.Calls().empty());
}

// The base sector operations go out as WRITE(10) and READ(10).
TEST(DeviceSectors, WriteAndReadGoOutAsTenByteCommands) {
    TableScsiDevice device;
    device.Answer({0x2A}, {});
    device.Answer({0x28}, {9, 8, 7, 6, 5, 4});
    auto data = MakeByteArray({1, 2, 3, 4, 5, 6});
    ASSERT_EQ(device.WriteSectors(*data, 3, 0x00ABCDEF, 2), ERR_OK);
    auto target = MakeByteArray(Bytes(6, 0));
    ASSERT_EQ(device.ReadSectors(*target, 3, 0x01000000, 2), ERR_OK);

    ASSERT_EQ(device.Calls().size(), 2u);
    EXPECT_EQ(device.Calls()[0].cdb, (Bytes{0x2A, 0, 0x00, 0xAB, 0xCD, 0xEF, 0, 0, 3, 0}));
    EXPECT_EQ(device.Calls()[0].dataOut, ToBytes(*data));
    EXPECT_TRUE(device.Calls()[0].isDataOut);
    EXPECT_EQ(device.Calls()[1].cdb, (Bytes{0x28, 0, 0x01, 0x00, 0x00, 0x00, 0, 0, 3, 0}));
    EXPECT_EQ(device.Calls()[1].responseSize, 6u);
    EXPECT_EQ(ToBytes(*target), (Bytes{9, 8, 7, 6, 5, 4}));
}

TEST(DeviceSectors, AFailedReadLeavesTheCallersDataAlone) {
    TableScsiDevice device;
    device.Answer({0x28}, {9, 9}, ERR_SCSI_COMMAND);
    auto target = MakeByteArray(Bytes(2, 0xEE));
    EXPECT_EQ(device.ReadSectors(*target, 1, 0, 2), ERR_SCSI_COMMAND);
    EXPECT_EQ(ToBytes(*target), (Bytes{0xEE, 0xEE}));
}

TEST(DeviceSectors, AReadOfNoSectorsMovesNothing) {
    TableScsiDevice device;
    device.Answer({0x28}, {1, 2, 3, 4});
    auto target = MakeByteArray(Bytes(2, 0xEE));
    ASSERT_EQ(device.ReadSectors(*target, 0, 5, 512), ERR_OK);
    ASSERT_EQ(device.Calls().size(), 1u);
    EXPECT_EQ(device.Calls()[0].responseSize, 0u);
    EXPECT_EQ(ToBytes(*target), (Bytes{0xEE, 0xEE}));
}
