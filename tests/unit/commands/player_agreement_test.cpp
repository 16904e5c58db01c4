// The updater's commands against the emulated player: every vendor command and the standard
// ones go to the player as they are built, and what comes back is read with the commands' own
// readers. Written from both sides independently, the two must agree on each CDB and answer.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "commands/drive_info_commands.h"
#include "commands/drive_sector_commands.h"
#include "commands/media_commands.h"
#include "commands/standard_commands.h"
#include "commands/table_commands.h"
#include "sim/player/player.h"

namespace {

constexpr uint8_t kBootTag = 0x50;
constexpr uint8_t kUsbTag = 0x01;

// What a transport does with a command: the CDB, then the data to send or a zero-filled
// buffer of the expected answer length, which the command keeps when the player answers Good.
class PlayerAgreement : public ::testing::Test {
protected:
    int32_t Send(CBvScsiCommand& command) {
        if (command.GetStatus() != ERR_OK) return command.GetStatus();
        command.BuildCdb();
        const CBvByteArray& bytes = command.GetCommandBytes();
        CBvByteArray answer(command.GetResponseLength());
        sim::ScsiRequest request;
        request.cdb = bytes.Bytes();
        request.cdbLength = command.GetCdbLength();
        if (command.IsDataOut()) {
            request.direction = sim::DataDirection::Out;
            request.dataOut = bytes.Bytes() + command.GetCdbLength();
            request.transferLength = command.GetDataOutLength();
        } else if (answer.GetSize() > 0) {
            request.direction = sim::DataDirection::In;
            request.dataIn = answer.Bytes();
            request.transferLength = answer.GetSize();
        }
        const sim::ScsiResult result = player_.Execute(request);
        delivered_ = result.dataInBytes;
        if (result.outcome != sim::ScsiOutcome::Good) return ERR_SCSI_COMMAND;
        return command.IsDataOut() ? ERR_OK : command.StoreResponse(answer);
    }

    // Two system drives and a data drive that takes the rest of the medium.
    void Allocate() {
        BvLogicalMediaTable table;
        table.count = 3;
        table.entries[0] = {kBvNoDrive, kBvSystemDrive, kBootTag, 0x10000};
        table.entries[1] = {kBvNoDrive, kBvSystemDrive, kUsbTag, 0x8000};
        table.entries[2] = {kBvNoDrive, kBvDataDrive, kBvDataDriveTag, 0};
        CBvAllocateLogicalMedia allocate(table);
        ASSERT_EQ(Send(allocate), ERR_OK);
    }

    uint32_t delivered_ = 0;  // answer bytes of the last command
    sim::ManualClock clock_;
    sim::PlayerConfig config_;
    sim::Player player_{clock_, config_};
};

TEST_F(PlayerAgreement, TableAllocatedAndReadBack) {
    Allocate();
    CBvGetLogicalTable read(kBvMaxLogicalDrives);
    ASSERT_EQ(Send(read), ERR_OK);
    BvLogicalMediaTable table;
    ASSERT_EQ(read.GetTable(table), ERR_OK);
    ASSERT_EQ(table.count, 3);
    const struct {
        uint8_t type, tag;
        uint64_t size;
    } expected[] = {
        {kBvSystemDrive, kBootTag, 0x10000},
        {kBvSystemDrive, kUsbTag, 0x8000},
        {kBvDataDrive, kBvDataDriveTag, config_.capacityBytes - 0x18000},
    };
    for (uint8_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(int{i});
        EXPECT_EQ(table.entries[i].driveNumber, i);
        EXPECT_EQ(table.entries[i].driveType, expected[i].type);
        EXPECT_EQ(table.entries[i].driveTag, expected[i].tag);
        EXPECT_EQ(table.entries[i].sizeInBytes, expected[i].size);
    }
}

TEST_F(PlayerAgreement, ChipMediaFlagAndIdentity) {
    Allocate();
    CBvGetChipMajorRevId chip;
    uint16_t id = 0;
    ASSERT_EQ(Send(chip), ERR_OK);
    ASSERT_EQ(chip.GetValue(id), ERR_OK);
    EXPECT_EQ(id, config_.identity.chipRevision);

    CBvGetLogicalMediaInfo media(kBvMediaInfoPlayerFlag, 0);
    bool flag = false;
    ASSERT_EQ(Send(media), ERR_OK);
    ASSERT_EQ(media.GetFlag(flag), ERR_OK);
    EXPECT_TRUE(flag);

    // Every media information type the updater can ask for is answered in the length it expects.
    for (uint32_t type : {0u, 1u, 5u, 6u, 7u, 8u, 9u}) {
        SCOPED_TRACE(type);
        CBvGetLogicalMediaInfo info(type, 4);
        ASSERT_EQ(Send(info), ERR_OK);
        EXPECT_EQ(delivered_, info.GetResponseLength());
    }

    CBvScsiInquiry inquiry;
    uint8_t data[kBvInquiryLength] = {};
    ASSERT_EQ(Send(inquiry), ERR_OK);
    ASSERT_EQ(inquiry.GetInquiryData(data), ERR_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data + 8), 8), "ORV     ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data + 16), 16), "KR-4471 Nova    ");

    CBvReadCapacity capacity;
    uint32_t values[2] = {};
    ASSERT_EQ(Send(capacity), ERR_OK);
    ASSERT_EQ(capacity.GetCapacity(values), ERR_OK);
    EXPECT_EQ(values[1], config_.dataSectorSize);
    EXPECT_EQ(uint64_t{values[0]} + 1, (config_.capacityBytes - 0x18000) / config_.dataSectorSize);
}

TEST_F(PlayerAgreement, DriveInformationAndVersions) {
    Allocate();
    for (uint32_t type = 0; type <= 11; ++type) {
        SCOPED_TRACE(type);
        CBvGetLogicalDriveInfo info(1, type, 8);
        ASSERT_EQ(Send(info), ERR_OK);
        EXPECT_EQ(delivered_, info.GetResponseLength());
    }
    CBvGetLogicalDriveInfo sectorSize(0, kBvDriveInfoSectorSize, 0);
    uint32_t size = 0;
    ASSERT_EQ(Send(sectorSize), ERR_OK);
    ASSERT_EQ(sectorSize.GetValue(size), ERR_OK);
    EXPECT_EQ(size, config_.systemSectorSize);

    CBvVersionInfo component, product;
    component.SetMajor(0x0102);
    component.SetMinor(3);
    component.SetRevision(0xFFEE);
    product.SetMajor(2);
    product.SetMinor(0x0506);
    product.SetRevision(7);
    CBvSetLogicalDriveInfo setComponent(1, kBvDriveInfoComponentVersion);
    ASSERT_EQ(setComponent.SetVersion(component), ERR_OK);
    ASSERT_EQ(Send(setComponent), ERR_OK);
    CBvSetLogicalDriveInfo setProduct(1, kBvDriveInfoProductVersion);
    ASSERT_EQ(setProduct.SetVersion(product), ERR_OK);
    ASSERT_EQ(Send(setProduct), ERR_OK);

    CBvGetLogicalDriveInfo getComponent(1, kBvDriveInfoComponentVersion, 0);
    CBvGetLogicalDriveInfo getProduct(1, kBvDriveInfoProductVersion, 0);
    CBvVersionInfo readComponent, readProduct;
    ASSERT_EQ(Send(getComponent), ERR_OK);
    ASSERT_EQ(getComponent.GetComponentVersion(readComponent), ERR_OK);
    ASSERT_EQ(Send(getProduct), ERR_OK);
    ASSERT_EQ(getProduct.GetProductVersion(readProduct), ERR_OK);
    EXPECT_EQ(readComponent.ToText(), L"258.003.65518");
    EXPECT_EQ(readProduct.ToText(), L"002.1286.007");
}

TEST_F(PlayerAgreement, SectorsWrittenReadAndErased) {
    Allocate();
    const uint32_t sector = config_.systemSectorSize;
    CBvByteArray data(2 * sector);
    for (uint32_t i = 0; i < data.GetSize(); ++i) data.SetAt(i, static_cast<uint8_t>(i * 13 + 5));
    CBvWriteLogicalDriveSector write(1, sector, 3, 2);
    ASSERT_EQ(write.SetData(data), ERR_OK);
    ASSERT_EQ(Send(write), ERR_OK);

    CBvReadLogicalDriveSector read(1, sector, 3, 2);
    CBvByteArray back(2 * sector);
    ASSERT_EQ(Send(read), ERR_OK);
    ASSERT_EQ(read.GetData(back), ERR_OK);
    EXPECT_EQ(back.IsEqual(data), 1);

    CBvEraseLogicalDrive erase(1);
    ASSERT_EQ(Send(erase), ERR_OK);
    CBvReadLogicalDriveSector again(1, sector, 3, 1);
    CBvByteArray erased(sector);
    ASSERT_EQ(Send(again), ERR_OK);
    ASSERT_EQ(again.GetData(erased), ERR_OK);
    for (uint32_t i = 0; i < sector; ++i) ASSERT_EQ(erased.Bytes()[i], 0xFF) << i;

    CBvChipReset reset;
    EXPECT_EQ(Send(reset), ERR_OK);
    EXPECT_EQ(player_.Presence(), sim::BusPresence::Absent);
}

TEST_F(PlayerAgreement, ErasedMediumHasNoTable) {
    Allocate();
    CBvEraseLogicalMedia erase;
    ASSERT_EQ(Send(erase), ERR_OK);
    CBvGetLogicalTable read(kBvMaxLogicalDrives);
    EXPECT_EQ(Send(read), ERR_SCSI_COMMAND);
}

}  // namespace
