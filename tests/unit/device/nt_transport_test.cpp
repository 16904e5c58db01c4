// The NT transport on a simulated Windows XP with emulated players: discovery, volume requests,
// geometry and layout, sector I/O, and the pass-through request as the platform receives it.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commands/media_commands.h"
#include "commands/standard_commands.h"
#include "device/issue_command.h"
#include "device/scsi_nt.h"
#include "platform/control_codes.h"
#include "platform/errors.h"
#include "sim/pc/sim_pc.h"
#include "text/language_module.h"
#include "tests/fixtures/device_rig.h"
#include "tests/fixtures/raw_player.h"
#include "tests/fixtures/table_scsi_device.h"
#include "tests/fixtures/transfer_cases.h"
#include "tests/fixtures/watched_platform.h"

using bvtest::Bytes;
using bvtest::Le32;
using bvtest::Cdb16;
using bvtest::ToBytes;

namespace {

constexpr bool kWide = sizeof(void*) == 8;

// SCSI_PASS_THROUGH as Windows defines it: DataBufferOffset is a ULONG_PTR, which at 64 bits
// moves SenseInfoOffset and Cdb and pads the header to 56 bytes. The block puts its size word
// and a reserved word behind the header, then 18 sense bytes, then the data.
constexpr uint32_t kHeader = kWide ? 56 : 44;
constexpr uint32_t kSenseAt = kHeader + 8;
constexpr uint32_t kDataAt = kSenseAt + 18;
constexpr uint32_t kCdbAt = kWide ? 36 : 28;



// The transport with the drive letter settable, as the player search would leave it.
class OpenableNt : public CBvScsi_Nt {
public:
    using CBvScsi_Nt::CBvScsi_Nt;
    using CBvScsi_Nt::SetDriveLetter;
};

class NtTransport : public ::testing::Test {
protected:
    sim::SimPc& Pc() { return scope.Pc(); }
    sim::Player& AddPlayer(sim::DiskSlot slot = sim::DiskSlot(), uint64_t capacity = 256ull << 20) {
        sim::PlayerConfig config;
        config.capacityBytes = capacity;
        sim::Player& player = Pc().AddPlayer(config, slot);
        EXPECT_TRUE(bvtest::AllocateDataDrive(player));
        return player;
    }
    void Plan(sim::Player& player, const std::string& plan) {
        std::string error;
        ASSERT_TRUE(player.SetFaultPlan(plan, &error)) << error;
    }
    uint64_t Now() { return Pc().Time().NowMs(); }
    size_t Count(uint32_t code) {
        return std::count(watched.controlCodes.begin(), watched.controlCodes.end(), code);
    }

    sim::ScopedPc scope{sim::OsPreset::kWindowsXp};
    bvtest::WatchedPlatform watched{scope.Pc()};
    bvtest::EngineRig rig;
    std::unique_ptr<OpenableNt> nt = std::make_unique<OpenableNt>(&rig.engine);
};

TEST_F(NtTransport, FindsTheLowestPlayerLetterWithoutOpeningOtherDrives) {
    // A fixed disk that carries the player's identity: only removable drives are opened.
    sim::PlainDiskConfig lookalike;
    lookalike.vendor = "ORV     ";
    lookalike.product = "KR-4471 Nova    ";
    Pc().AddDisk(lookalike, platform::kDriveFixed);  // E:
    AddPlayer();                                     // F:
    AddPlayer();                                     // G:
    EXPECT_EQ(nt->GetObjectName(), "CBvScsi_Nt");
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    EXPECT_EQ(nt->GetDriveLetter(), L'F');
    EXPECT_FALSE(nt->IsOpen());
    EXPECT_EQ(watched.opened, std::vector<std::wstring>{L"\\\\.\\F:"});  // not A:, C:, D:, E:, G:
    EXPECT_EQ(Pc().OpenHandleCount(), 0u);
    EXPECT_EQ(nt->ListLogicalDrives(), L"ACDEFG");
}

TEST_F(NtTransport, SearchWithoutRemovableDrivesStillClosesAHandleLeftOpen) {
    Pc().AddDisk(sim::PlainDiskConfig(), platform::kDriveFixed);  // E:
    nt->SetDriveLetter(L'E');
    ASSERT_EQ(nt->Open(), ERR_OK);
    EXPECT_EQ(nt->FindPlayer(), ERR_PLAYER_NOT_FOUND);
    EXPECT_FALSE(nt->IsOpen());
    EXPECT_EQ(nt->GetDriveLetter(), 0);
    EXPECT_EQ(Pc().OpenHandleCount(), 0u);
}

TEST_F(NtTransport, IdentityIsComparedWithoutCaseOverAllSixteenProductBytes) {
    const struct {
        const char* plan;
        int32_t result;
    } cases[] = {
        {"identity vendor=orv product=\"kr-4471 nova\"", ERR_OK},
        {"identity product=\"KR-4471 Nova2\"", ERR_PLAYER_NOT_FOUND},  // differs in a padding blank
        {"identity vendor=ORW", ERR_PLAYER_NOT_FOUND},
        {"media-flag-clear", ERR_PLAYER_NOT_FOUND},  // the identity alone is not the player
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plan);
        sim::ScopedPc pc(sim::OsPreset::kWindowsXp);
        sim::PlayerConfig config;
        sim::Player& player = pc.Pc().AddPlayer(config);
        ASSERT_TRUE(bvtest::AllocateDataDrive(player));
        Plan(player, c.plan);
        CBvScsi_Nt device(&rig.engine);
        EXPECT_EQ(device.FindPlayer(), c.result);
        EXPECT_EQ(device.GetDriveLetter(), c.result == ERR_OK ? L'E' : 0);
    }
}

TEST_F(NtTransport, PhysicalDriveSearchTakesTheLowestNumberAndIgnoresTheMediaFlag) {
    EXPECT_EQ(nt->FindPhysicalDrive(), ERR_PLAYER_NOT_FOUND);
    EXPECT_FALSE(nt->IsOpen());

    sim::DiskSlot high;
    high.physicalDrive = 3;
    sim::DiskSlot low;
    low.physicalDrive = 2;
    AddPlayer(high);                      // E:, PhysicalDrive3
    sim::Player& second = AddPlayer(low);  // F:, PhysicalDrive2
    Plan(second, "media-flag-clear");
    watched.opened.clear();
    ASSERT_EQ(nt->FindPhysicalDrive(), ERR_OK);
    EXPECT_TRUE(nt->IsOpen());
    EXPECT_EQ(watched.opened.back(), L"\\\\.\\PhysicalDrive2");
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    EXPECT_EQ(nt->GetDriveLetter(), L'E');  // F: has no media flag
}

TEST_F(NtTransport, VolumeRequestsTryTenTimesAboutASecond) {
    AddPlayer();
    nt->SetDriveLetter(L'E');
    ASSERT_EQ(nt->Open(), ERR_OK);

    Pc().SetVolumeBusy('E', true);
    uint64_t start = Now();
    EXPECT_EQ(nt->Lock(false), ERR_LOCK);
    EXPECT_EQ(Count(platform::kFsctlLockVolume), 10u);
    EXPECT_GE(Now() - start, 900u);
    EXPECT_LE(Now() - start, 1000u);
    start = Now();
    EXPECT_EQ(nt->Unlock(false), ERR_UNLOCK);  // nothing is locked
    EXPECT_EQ(Count(platform::kFsctlUnlockVolume), 10u);
    EXPECT_GE(Now() - start, 900u);

    Pc().SetVolumeBusy('E', false);
    start = Now();
    EXPECT_EQ(nt->Lock(true), ERR_OK);
    EXPECT_EQ(nt->LockForFormat(true), ERR_OK);
    EXPECT_EQ(nt->Release(false), ERR_OK);  // dismounts
    EXPECT_EQ(nt->Unlock(false), ERR_OK);
    EXPECT_EQ(Now(), start);
    EXPECT_EQ(Count(platform::kFsctlDismountVolume), 1u);
    // These failures leave no trace in the device or the error record.
    EXPECT_EQ(nt->GetStatus(), ERR_OK);
    EXPECT_EQ(nt->GetSystemError(), 0);
    EXPECT_EQ(rig.Record().GetStatus(), ERR_OK);
}

TEST_F(NtTransport, OpenKeepsAnOpenHandleAndFailsWithTheSystemError) {
    AddPlayer();
    nt->SetDriveLetter(L'Q');
    EXPECT_EQ(nt->Open(), ERR_DEVICE_OPEN);
    EXPECT_EQ(nt->GetSystemError(), static_cast<int32_t>(platform::kErrorFileNotFound));
    EXPECT_EQ(rig.Record().GetStatus(), ERR_OK);

    nt->SetDriveLetter(L'E');
    ASSERT_EQ(nt->Open(), ERR_OK);
    nt->SetDriveLetter(L'Q');
    EXPECT_EQ(nt->Open(), ERR_OK);
    EXPECT_EQ(watched.opened, (std::vector<std::wstring>{L"\\\\.\\Q:", L"\\\\.\\E:"}));
    EXPECT_EQ(Pc().OpenHandleCount(), 1u);
    nt.reset();  // destruction closes the handle
    EXPECT_EQ(Pc().OpenHandleCount(), 0u);
}

TEST_F(NtTransport, GeometryOfTheVolumeAndItsFailure) {
    sim::Player& player = AddPlayer();
    EXPECT_EQ(nt->GetGeometry(*std::make_unique<BvDiskGeometry>()), ERR_DISK_CONTROL);  // no handle
    EXPECT_EQ(rig.Record().GetObjectName(), "CBvScsi_Nt");
    EXPECT_EQ(rig.Record().GetStatus(), ERR_DISK_CONTROL);
    EXPECT_EQ(rig.Record().GetSystemError(), platform::kErrorInvalidHandle);
    EXPECT_EQ(nt->GetStatus(), ERR_OK);
    EXPECT_EQ(nt->GetSystemError(), 0);

    nt->SetDriveLetter(L'E');
    ASSERT_EQ(nt->Open(), ERR_OK);
    BvDiskGeometry geometry;
    ASSERT_EQ(nt->GetGeometry(geometry), ERR_OK);
    EXPECT_EQ(geometry.cylinders, player.Drives().at(0).sizeBytes / 512 / (64 * 32));
    EXPECT_EQ(geometry.mediaType, 11u);  // removable media
    EXPECT_EQ(geometry.tracksPerCylinder, 64u);
    EXPECT_EQ(geometry.sectorsPerTrack, 32u);
    EXPECT_EQ(geometry.bytesPerSector, 512u);
}

// Offsets of 4 GiB and more: the sector offset and the partition start are 64-bit products.
TEST_F(NtTransport, SectorsAndPartitionBeyondFourGiB) {
    sim::Player& player = AddPlayer(sim::DiskSlot(), 8ull << 30);
    const uint32_t far = 0x00900000;  // 4.5 GiB in 512-byte sectors
    const uint32_t wrapped = static_cast<uint32_t>(uint64_t{far} * 512) / 512;
    ASSERT_EQ(nt->FindPhysicalDrive(), ERR_OK);

    auto data = bvtest::MakeByteArray(Bytes(1024, 0x5A));
    for (uint32_t i = 0; i < 1024; ++i) data->SetAt(i, static_cast<uint8_t>(i * 7));
    ASSERT_EQ(nt->WriteSectors(*data, 2, far, 512), ERR_OK);
    EXPECT_EQ(bvtest::ReadDataSectors(player, far, 2), ToBytes(*data));
    EXPECT_NE(bvtest::ReadDataSectors(player, wrapped, 2), ToBytes(*data));
    auto back = bvtest::MakeByteArray(Bytes(1024, 0));
    ASSERT_EQ(nt->ReadSectors(*back, 2, far, 512), ERR_OK);
    EXPECT_EQ(ToBytes(*back), ToBytes(*data));

    // One partition of type 6 from the hidden sectors to the end of the last whole cylinder.
    BvDiskGeometry geometry;
    ASSERT_EQ(nt->GetGeometry(geometry), ERR_OK);
    ASSERT_EQ(nt->WritePartitionTable(geometry, far), ERR_OK);
    const Bytes mbr = bvtest::ReadDataSectors(player, 0, 1);
    ASSERT_EQ(mbr.size(), 512u);
    EXPECT_EQ(mbr[446 + 4], 6);
    EXPECT_EQ(Le32(mbr, 446 + 8), far);
    EXPECT_EQ(Le32(mbr, 446 + 12), geometry.cylinders * 64 * 32 - far);
    for (int entry = 1; entry < 4; ++entry) EXPECT_EQ(mbr[446 + 16 * entry + 4], 0) << entry;
    auto layout = bvtest::MakeByteArray(Bytes(kBvDriveLayoutLength, 0));
    ASSERT_EQ(nt->GetPartitionTable(*layout), ERR_OK);
    const Bytes answer = ToBytes(*layout);
    EXPECT_EQ(Le32(answer, 0), 4u);  // partition count
    EXPECT_EQ(Le32(answer, 8) | uint64_t{Le32(answer, 12)} << 32, uint64_t{far} * 512);  // starting offset

    // The volume now starts at the partition: its sector 1 is the disk's sector far + 1.
    ASSERT_EQ(nt->Close(), ERR_OK);
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    ASSERT_EQ(nt->Open(), ERR_OK);
    ASSERT_EQ(nt->WriteSectors(*data, 1, 1, 512), ERR_OK);
    EXPECT_EQ(bvtest::ReadDataSectors(player, far + 1, 1), Bytes(data->Bytes(), data->Bytes() + 512));
}

TEST_F(NtTransport, FailedSectorIoIsRecordedWithTheSystemError) {
    auto data = bvtest::MakeByteArray(Bytes(512, 1));
    EXPECT_EQ(nt->WriteSectors(*data, 1, 0, 512), ERR_WRITE);
    EXPECT_EQ(rig.Record().GetStatus(), ERR_WRITE);
    EXPECT_EQ(rig.Record().GetSystemError(), platform::kErrorInvalidHandle);
    EXPECT_EQ(nt->ReadSectors(*data, 1, 0, 512), ERR_READ);
    EXPECT_EQ(rig.Record().GetStatus(), ERR_READ);
    EXPECT_EQ(ToBytes(*data), Bytes(512, 1));
    EXPECT_EQ(nt->GetStatus(), ERR_OK);
    EXPECT_EQ(nt->GetSystemError(), 0);
}

// L is the larger direction; the block carries it, the size word and the direction flag.
TEST_F(NtTransport, PassThroughBlockCarriesTheLargerDirection) {
    AddPlayer();
    nt->SetDriveLetter(L'E');
    for (const auto& c : bvtest::kTransferCases) {
        SCOPED_TRACE(c.label);
        watched.passThroughBlocks.clear();
        auto bytes = bvtest::MakeByteArray(c.commandBytes);
        CBvByteArray response(c.responseSize);
        nt->Execute(*bytes, c.cdbLength, c.dataOut, response);
        ASSERT_EQ(watched.passThroughBlocks.size(), 1u);
        const Bytes& block = watched.passThroughBlocks[0];
        ASSERT_EQ(block.size(), kDataAt + c.length + 1);
        EXPECT_EQ(block[0] | block[1] << 8, static_cast<int>(kHeader));
        EXPECT_EQ(block[6], c.cdbLength);
        EXPECT_EQ(block[7], 18);
        EXPECT_EQ(block[8], c.dataOut ? 0 : 1);
        EXPECT_EQ(Le32(block, 12), c.length);
        EXPECT_EQ(Le32(block, 16), 120u);
        EXPECT_EQ(Le32(block, kWide ? 24 : 20), kDataAt);
        if (kWide) {
            EXPECT_EQ(Le32(block, 28), 0u);  // high half of the data offset
        }
        EXPECT_EQ(Le32(block, kWide ? 32 : 24), kSenseAt);
        EXPECT_EQ(Le32(block, kHeader), block.size());
        EXPECT_EQ(Bytes(block.begin() + kCdbAt, block.begin() + kCdbAt + c.cdbLength),
                  Bytes(c.commandBytes.begin(), c.commandBytes.begin() + c.cdbLength));
        Bytes data(c.commandBytes.begin() + c.cdbLength, c.commandBytes.end());
        data.resize(c.length + 1, 0);
        EXPECT_EQ(Bytes(block.begin() + kDataAt, block.end()), data);
    }
    if (!kWide) {
        EXPECT_EQ(kDataAt + 1, 71u);
    }
}

TEST_F(NtTransport, CheckConditionKeepsTheSenseAndRecordsItsText) {
    sim::Player& player = AddPlayer();
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    const struct {
        uint16_t code;
        std::wstring text;
    } cases[] = {
        {bvtest::DeviceTextResource::kKnownCode, bvtest::DeviceTextResource::kKnownText},
        {0x0777, std::wstring(bvtest::DeviceTextResource::kGenericText) + L"\n0x70, 0x0, 0x9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        // The player fails the chip revision twice: once for the updater, once for the raw check.
        Plan(player, "fail op=0xC0 fn=0x30 times=2 code=" + std::to_string(c.code));
        CBvGetChipMajorRevId command;
        EXPECT_EQ(BvIssueCommand(*nt, command), ERR_SCSI_COMMAND);
        uint8_t unused[2];
        const sim::ScsiResult raw = bvtest::RawCommand(player, Cdb16({0xC0, 0x30}), sim::DataDirection::In, unused, 2);
        ASSERT_NE(nt->GetLastSense(), nullptr);
        EXPECT_EQ(ToBytes(*nt->GetLastSense()), Bytes(raw.sense, raw.sense + sim::kSenseLength));
        EXPECT_EQ(rig.Record().GetObjectName(), "CBvScsi_Nt");
        EXPECT_EQ(rig.Record().GetStatus(), ERR_SCSI_COMMAND);
        EXPECT_EQ(rig.Record().GetDetailText().substr(0, c.text.size()), c.text);
        EXPECT_EQ(nt->SenseText(), rig.Record().GetDetailText());
        EXPECT_EQ(nt->GetStatus(), ERR_OK);
    }
}

// The language module of the user's language names the device codes it knows; for the others
// its generic text is followed by the sense bytes.
TEST_F(NtTransport, SenseTextComesFromTheLanguageModule) {
    sim::Player& player = AddPlayer();
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    CBvLanguageModule module(&rig.config, rig.engine.GetErrorRecord(), 0x0409);
    ASSERT_EQ(module.GetStatus(), ERR_OK);
    rig.engine.SetResource(&module);
    const struct {
        uint16_t code;
        bool known;
    } cases[] = {{0x0501, true}, {0x0211, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        std::wstring expected;
        EXPECT_EQ(module.GetDeviceErrorText(c.code, expected, false) == ERR_OK, c.known);
        ASSERT_FALSE(expected.empty());
        Plan(player, "fail op=0xC0 fn=0x30 code=" + std::to_string(c.code));
        CBvGetChipMajorRevId command;
        EXPECT_EQ(BvIssueCommand(*nt, command), ERR_SCSI_COMMAND);
        if (!c.known) expected += L"\n" + nt->GetLastSense()->ToHexText();
        EXPECT_EQ(rig.Record().GetDetailText(), expected);
    }
    rig.engine.SetResource(&rig.resource);
}

// The request itself fails (here it outlasts its 120-second time-out) although the player
// answers with a check condition: that answer is never looked at.
TEST_F(NtTransport, FailedRequestIsADiskControlFailure) {
    sim::Player& player = AddPlayer();
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    Plan(player, "fail op=0x12 code=0x0501; delay op=0x12 ms=130000");
    CBvScsiInquiry command;
    EXPECT_EQ(BvIssueCommand(*nt, command), ERR_DISK_CONTROL);
    EXPECT_EQ(nt->GetLastSense(), nullptr);
    EXPECT_EQ(rig.Record().GetStatus(), ERR_DISK_CONTROL);
    EXPECT_EQ(rig.Record().GetSystemError(), platform::kErrorSemTimeout);
    EXPECT_EQ(nt->GetStatus(), ERR_OK);
    EXPECT_EQ(nt->GetSystemError(), 0);
}

TEST_F(NtTransport, WorkerThatCannotBeStartedIsAFailedRequest) {
    AddPlayer();
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    Pc().FailNextThreads(1);
    CBvScsiInquiry command;
    EXPECT_EQ(BvIssueCommand(*nt, command), ERR_DISK_CONTROL);
    EXPECT_EQ(rig.Record().GetStatus(), ERR_DISK_CONTROL);
    EXPECT_EQ(rig.Record().GetSystemError(), platform::kErrorNotEnoughMemory);
    EXPECT_EQ(BvIssueCommand(*nt, command), ERR_OK);  // the next command runs again
}

// The worker holds the request until the window has been pumped: the caller must keep
// calling Step(0) while it waits, and the command still completes on the same call.
TEST_F(NtTransport, WindowIsPumpedWhileTheCommandRuns) {
    AddPlayer();
    ASSERT_EQ(nt->FindPlayer(), ERR_OK);
    bool pumped = false;
    watched.beforePassThrough = [&] { pumped = rig.progress.WaitForPumps(3); };
    CBvScsiInquiry command;
    uint8_t inquiry[kBvInquiryLength] = {};
    EXPECT_EQ(BvIssueCommand(*nt, command, BvNoStep, [&] { return command.GetInquiryData(inquiry); }), ERR_OK);
    EXPECT_TRUE(pumped);
    EXPECT_GE(rig.progress.Pumps(), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry + 8), 8), "ORV     ");
}

}  // namespace
