// The Windows 95 family transport on a simulated Windows 98 with emulated players: ASPI
// loading, the search over host adapters and the drive letter through BIOS numbers or the
// registry, the VWIN32 requests, and SCSI commands through ASPI request blocks.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commands/media_commands.h"
#include "commands/standard_commands.h"
#include "device/issue_command.h"
#include "device/scsi_9x.h"
#include "platform/errors.h"
#include "sim/pc/sim_pc.h"
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
// SRB_ExecSCSICmd, byte-packed: SRB_BufPointer and SRB_PostProc are pointer-sized.
constexpr size_t kSenseLen = kWide ? 24 : 20;
constexpr size_t kCdbLen = kWide ? 25 : 21;
constexpr size_t kCdbAt = kWide ? 56 : 48;



sim::DiskSlot Slot(int letter, int hostAdapter, uint8_t aspiBios = 0xFF, sim::DriveMap map = sim::DriveMap()) {
    sim::DiskSlot slot;
    slot.letter = letter;
    slot.hostAdapter = hostAdapter;
    slot.aspiBiosDrive = aspiBios;
    slot.driveMap = map;
    return slot;
}

class Win9xTransport : public ::testing::Test {
protected:
    sim::SimPc& Pc() { return scope.Pc(); }
    sim::Player& AddPlayer(sim::DiskSlot slot = sim::DiskSlot()) {
        sim::Player& player = Pc().AddPlayer(sim::PlayerConfig(), slot);
        EXPECT_TRUE(bvtest::AllocateDataDrive(player));
        return player;
    }
    void Plan(sim::Player& player, const std::string& plan) {
        std::string error;
        ASSERT_TRUE(player.SetFaultPlan(plan, &error)) << error;
    }
    CBvScsi_9x& Transport() {
        if (!transport) transport = std::make_unique<CBvScsi_9x>(&rig.engine);
        return *transport;
    }
    // ECX of every VWIN32 request so far, then forgets them.
    std::vector<uint32_t> TakeRequests() {
        std::vector<uint32_t> ecx;
        for (const Bytes& block : watched.vwin32Blocks) ecx.push_back(Le32(block, 8));
        watched.vwin32Blocks.clear();
        return ecx;
    }

    sim::ScopedPc scope{sim::OsPreset::kWindows98};
    bvtest::WatchedPlatform watched{scope.Pc()};
    bvtest::EngineRig rig;
    std::unique_ptr<CBvScsi_9x> transport;
};

TEST_F(Win9xTransport, ConstructionReportsWhatAspiLacks) {
    const struct {
        sim::AspiState state;
        int32_t status;
        int32_t search;
    } cases[] = {
        {sim::AspiState::kAbsent, ERR_ASPI_MISSING, ERR_ASPI_NOT_READY},
        {sim::AspiState::kNoSupportInfoEntry, ERR_ASPI_ENTRY_POINT, ERR_ASPI_NOT_READY},
        {sim::AspiState::kNoSendCommandEntry, ERR_ASPI_ENTRY_POINT, ERR_ASPI_NOT_READY},
        {sim::AspiState::kNotReady, ERR_ASPI_NOT_READY, ERR_OK},
        {sim::AspiState::kReady, ERR_OK, ERR_OK},
    };
    AddPlayer();
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        Pc().SetAspi(c.state);
        CBvScsi_9x device(&rig.engine);
        EXPECT_EQ(device.GetObjectName(), "CBvScsi_9x");
        EXPECT_EQ(device.GetStatus(), c.status);
        EXPECT_EQ(device.GetHostAdapter(), CBvScsi_9x::kNoHostAdapter);
        // Only missing entry points stop the search; a manager that said it was not ready is
        // still asked.
        EXPECT_EQ(device.FindPlayer(), c.search);
    }
    EXPECT_EQ(Pc().OpenHandleCount(), 0u);  // the library is unloaded again
}

TEST_F(Win9xTransport, TakesTheLowestHostAdapterAndItsBiosDriveLetter) {
    sim::DiskSlot first = Slot('G', 1, 0x81, sim::DriveMap{0x0F, 0x81});
    first.registryEnum = false;  // the letter must come from the BIOS drive number
    AddPlayer(first);
    AddPlayer(Slot('E', 2, 0x82, sim::DriveMap{0x0F, 0x82}));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    EXPECT_EQ(Transport().GetHostAdapter(), 1);
    EXPECT_EQ(Transport().GetDriveLetter(), L'G');
    EXPECT_EQ(Transport().IsPlayerFound(), 1);
    EXPECT_FALSE(Transport().IsOpen());
    EXPECT_EQ(Pc().OpenHandleCount(), 1u);  // only the ASPI library
    // The drive map is asked for letter after letter from A on, with the FAT32-aware category
    // first and the old one after it.
    ASSERT_FALSE(watched.vwin32Blocks.empty());
    EXPECT_EQ(Le32(watched.vwin32Blocks[0], 0), 1u);  // EBX: drive A
    EXPECT_EQ(Le32(watched.vwin32Blocks[0], 12), 0x440Du);
    const std::vector<uint32_t> ecx = TakeRequests();
    ASSERT_GE(ecx.size(), 3u);
    EXPECT_EQ(ecx[0], 0x486Fu);  // A: answered at once
    EXPECT_EQ(ecx[1], 0x486Fu);  // B: no drive, so the old category is tried as well
    EXPECT_EQ(ecx[2], 0x086Fu);
}

TEST_F(Win9xTransport, FallsBackToTheRegistry) {
    const struct {
        const char* label;
        std::vector<sim::DiskSlot> players;  // same identity: one registry key, one subkey each
        int32_t result;
        wchar_t letter;
    } cases[] = {
        {"no BIOS drive number", {Slot('F', 1)}, ERR_OK, L'F'},
        {"a BIOS drive number no letter carries", {Slot('F', 1, 0x83)}, ERR_OK, L'F'},
        // Several candidates: only a protected-mode drive without a BIOS number qualifies.
        {"several candidates", {Slot('E', 1, 0xFF, {0x0F, 0x81}), Slot('F', 2, 0xFF, {0x0F, 0xFF})}, ERR_OK, L'F'},
        {"several, none qualifies",
         {Slot('E', 1, 0xFF, {0x0F, 0x81}), Slot('F', 2, 0xFF, {0x03, 0xFF})},
         ERR_NO_DRIVE_LETTER,
         0},
        {"LUN other than 0", {[] {
              sim::DiskSlot slot = Slot('F', 1);
              slot.scsiLun = "1";
              return slot;
          }()},
         ERR_NO_DRIVE_LETTER,
         0},
        {"no registry key", {[] {
              sim::DiskSlot slot = Slot('F', 1);
              slot.registryEnum = false;
              return slot;
          }()},
         ERR_NO_DRIVE_LETTER,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        sim::ScopedPc pc(sim::OsPreset::kWindows98);
        for (const sim::DiskSlot& slot : c.players) {
            ASSERT_TRUE(bvtest::AllocateDataDrive(pc.Pc().AddPlayer(sim::PlayerConfig(), slot)));
        }
        CBvScsi_9x device(&rig.engine);
        EXPECT_EQ(device.FindPlayer(), c.result);
        EXPECT_EQ(device.GetDriveLetter(), c.letter);
        EXPECT_EQ(device.IsPlayerFound(), c.result == ERR_OK ? 1 : 0);
        EXPECT_EQ(device.GetHostAdapter(), 1);  // the player itself was found
    }
}

// ASPI's FFh means "no BIOS drive number": it must not pick the first letter whose drive map
// has none, here a card reader in front of the player.
TEST_F(Win9xTransport, NoBiosDriveNumberIsNotTakenAsOne) {
    sim::PlainDiskConfig reader;
    reader.removable = true;
    Pc().AddDisk(reader, platform::kDriveRemovable, Slot('E', 1, 0xFF, {0x0F, 0xFF}));
    AddPlayer(Slot('F', 2, 0xFF, {0x0F, 0xFF}));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    EXPECT_EQ(Transport().GetHostAdapter(), 2);
    EXPECT_EQ(Transport().GetDriveLetter(), L'F');
}

TEST_F(Win9xTransport, RegistrySearchKeepsRemovableLunZeroLetters) {
    AddPlayer(Slot('F', 1));
    Pc().Reg().SetString(platform::kHkeyLocalMachine, L"ENUM\\SCSI\\ORV_____KR-4471_Nova____1\\OTHER&1", L"SCSILUN",
                         L"0");
    Pc().Reg().SetString(platform::kHkeyLocalMachine, L"ENUM\\SCSI\\ORV_____KR-4471_Nova____1\\OTHER&1",
                         L"CurrentDriveLetterAssignment", L"C");  // fixed: not a candidate
    std::wstring candidates = L"stale";
    EXPECT_EQ(Transport().FindRegistryDriveLetters("ORV_____KR-4471_Nova____1", candidates), ERR_OK);
    EXPECT_EQ(candidates, L"F");
    EXPECT_EQ(Transport().FindRegistryDriveLetters("ORV_____KR-4471_Nova____2", candidates), ERR_REGISTRY_KEY);
    EXPECT_EQ(Pc().Reg().OpenKeyCount(), 0u);

    wchar_t letter = 0;
    EXPECT_EQ(Transport().ChooseDriveLetter(L"", letter), ERR_NO_DRIVE_LETTER);
    EXPECT_EQ(Transport().ChooseDriveLetter(L"Q", letter), ERR_OK);  // one is taken untested
    EXPECT_EQ(letter, L'Q');
}

TEST_F(Win9xTransport, HostAdapterFailuresAndTheMediaFlag) {
    sim::Player& player = AddPlayer(Slot('E', 1));
    Plan(player, "media-flag-clear");
    EXPECT_EQ(Transport().FindPlayer(), ERR_PLAYER_NOT_FOUND);
    EXPECT_EQ(Transport().GetHostAdapter(), CBvScsi_9x::kNoHostAdapter);
    EXPECT_EQ(Transport().GetDriveLetter(), 0);

    uint8_t unit = 0;
    EXPECT_EQ(Transport().QueryBiosDriveNumber(1, unit), ERR_DISK_INFO);  // ASPI gives none
    EXPECT_EQ(unit, 0xFF);
    EXPECT_EQ(Transport().QueryBiosDriveNumber(0, unit), ERR_OK);  // the system disk
    EXPECT_EQ(unit, 0x80);
    EXPECT_EQ(Transport().QueryBiosDriveNumber(9, unit), ERR_SCSI_COMMAND);  // no such adapter
    EXPECT_EQ(unit, 0xFF);
    uint8_t count = 0;
    EXPECT_EQ(Transport().QueryHostAdapterCount(count), ERR_OK);
    EXPECT_EQ(count, 2);
}

TEST_F(Win9xTransport, VolumeRequestsTryBothCategories) {
    AddPlayer(Slot('E', 1));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    ASSERT_EQ(Transport().Open(), ERR_OK);
    TakeRequests();
    Pc().SetVolumeBusy('E', true);
    EXPECT_EQ(Transport().Lock(false), ERR_LOCK);
    EXPECT_EQ(TakeRequests(), (std::vector<uint32_t>{0x484A, 0x084A}));
    EXPECT_EQ(Transport().LockForFormat(false), ERR_LOCK);
    ASSERT_EQ(watched.vwin32Blocks.size(), 2u);
    EXPECT_EQ(Le32(watched.vwin32Blocks[0], 0), 5u);       // EBX: E is drive 5
    EXPECT_EQ(Le32(watched.vwin32Blocks[0], 4), 4u);       // EDX: format permission
    EXPECT_EQ(Le32(watched.vwin32Blocks[0], 12), 0x440Du);  // EAX
    TakeRequests();

    Pc().SetVolumeBusy('E', false);
    EXPECT_EQ(Transport().Lock(false), ERR_OK);
    EXPECT_EQ(Transport().Release(false), ERR_OK);  // unlocks
    EXPECT_EQ(Transport().Unlock(false), ERR_UNLOCK);  // no lock left
    EXPECT_EQ(Transport().Dismount(), ERR_OK);
    EXPECT_EQ(TakeRequests(), (std::vector<uint32_t>{0x484A, 0x486A, 0x486A, 0x086A}));
    EXPECT_EQ(Transport().Close(), ERR_OK);
    EXPECT_EQ(Pc().OpenHandleCount(), 1u);  // the ASPI library
}

TEST_F(Win9xTransport, GeometryFromTheDeviceParameters) {
    sim::DiskSlot tiny = Slot('E', 1);
    tiny.heads = 1;
    tiny.sectorsPerTrack = 1;  // one sector per cylinder: more cylinders than 16 bits hold
    AddPlayer(tiny);
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    BvDiskGeometry geometry;
    EXPECT_EQ(Transport().GetGeometry(geometry), ERR_DISK_CONTROL);  // VWIN32 not open
    EXPECT_EQ(rig.Record().GetStatus(), ERR_DISK_CONTROL);
    EXPECT_EQ(rig.Record().GetObjectName(), "CBvScsi_9x");
    ASSERT_EQ(Transport().Open(), ERR_OK);
    ASSERT_EQ(Transport().GetGeometry(geometry), ERR_OK);
    EXPECT_EQ(geometry.cylinders, 65535u);
    EXPECT_EQ(geometry.bytesPerSector, 512u);
    EXPECT_EQ(geometry.sectorsPerTrack, 1u);
    EXPECT_EQ(geometry.tracksPerCylinder, 1u);
    EXPECT_EQ(Transport().GetStatus(), ERR_OK);
    EXPECT_EQ(Transport().GetSystemError(), 0);
}

TEST_F(Win9xTransport, SectorsTravelAsScsiCommands) {
    sim::Player& player = AddPlayer(Slot('E', 1));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    auto data = bvtest::MakeByteArray(Bytes(1024, 0));
    for (uint32_t i = 0; i < 1024; ++i) data->SetAt(i, static_cast<uint8_t>(i * 13));
    ASSERT_EQ(Transport().WriteSectors(*data, 2, 100, 512), ERR_OK);
    EXPECT_EQ(bvtest::ReadDataSectors(player, 100, 2), ToBytes(*data));
    auto back = bvtest::MakeByteArray(Bytes(1024, 0));
    ASSERT_EQ(Transport().ReadSectors(*back, 2, 100, 512), ERR_OK);
    EXPECT_EQ(ToBytes(*back), ToBytes(*data));
}

TEST_F(Win9xTransport, RequestBlockCarriesTheLargerDirection) {
    AddPlayer(Slot('E', 1));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    for (const auto& c : bvtest::kTransferCases) {
        SCOPED_TRACE(c.label);
        watched.aspiRequests.clear();
        auto bytes = bvtest::MakeByteArray(c.commandBytes);
        CBvByteArray response(c.responseSize);
        Transport().Execute(*bytes, c.cdbLength, c.dataOut, response);
        ASSERT_EQ(watched.aspiRequests.size(), 1u);
        const Bytes& srb = watched.aspiRequests[0];
        EXPECT_EQ(srb[0], 2);  // SC_EXEC_SCSI_CMD
        EXPECT_EQ(srb[2], 1);  // host adapter
        EXPECT_EQ(srb[3], c.dataOut ? 0x50 : 0x48);
        EXPECT_EQ(Le32(srb, 12), c.length);
        EXPECT_EQ(srb[kSenseLen], 14);
        EXPECT_EQ(srb[kCdbLen], c.cdbLength);
        EXPECT_EQ(Bytes(srb.begin() + kCdbAt, srb.begin() + kCdbAt + c.cdbLength),
                  Bytes(c.commandBytes.begin(), c.commandBytes.begin() + c.cdbLength));
    }
}

TEST_F(Win9xTransport, CheckConditionKeepsFourteenSenseBytes) {
    sim::Player& player = AddPlayer(Slot('E', 1));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    Plan(player, "fail op=0xC0 fn=0x30 times=2 code=0x0501");
    CBvGetChipMajorRevId command;
    EXPECT_EQ(BvIssueCommand(Transport(), command), ERR_SCSI_COMMAND);
    uint8_t unused[2];
    const sim::ScsiResult raw = bvtest::RawCommand(player, Cdb16({0xC0, 0x30}), sim::DataDirection::In, unused, 2);
    ASSERT_NE(Transport().GetLastSense(), nullptr);
    EXPECT_EQ(ToBytes(*Transport().GetLastSense()), Bytes(raw.sense, raw.sense + 14));
    EXPECT_EQ(rig.Record().GetObjectName(), "CBvScsi_9x");
    EXPECT_EQ(rig.Record().GetStatus(), ERR_SCSI_COMMAND);
    EXPECT_EQ(rig.Record().GetSystemError(), 4u);  // SRB_Status: completed with error
    EXPECT_EQ(rig.Record().GetDetailText(), bvtest::DeviceTextResource::kKnownText);
    EXPECT_EQ(Transport().GetStatus(), ERR_OK);
    EXPECT_EQ(Transport().GetSystemError(), 0);
}

// A manager that answers "completed" at once instead of "pending": the answer is copied, yet
// the command counts as failed and nothing is recorded.
TEST_F(Win9xTransport, CommandCompletedAtOnceCountsAsFailed) {
    AddPlayer(Slot('E', 1));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    Pc().SetAspiCompletesAtOnce(true);
    auto inquiry = bvtest::MakeByteArray({0x12, 0, 0, 0, 0x60, 0});
    CBvByteArray response(96);
    EXPECT_EQ(Transport().Execute(*inquiry, 6, false, response), ERR_SCSI_COMMAND);
    EXPECT_EQ(Bytes(response.Bytes() + 8, response.Bytes() + 16), Bytes({'O', 'R', 'V', ' ', ' ', ' ', ' ', ' '}));
    EXPECT_EQ(Transport().GetLastSense(), nullptr);
    EXPECT_EQ(rig.Record().GetStatus(), ERR_OK);
}

TEST_F(Win9xTransport, WindowIsPumpedWhileTheEventIsAwaited) {
    AddPlayer(Slot('E', 1));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    const int before = rig.progress.Pumps();
    watched.eventPollsTimingOut = 3;
    uint16_t id = 0;
    CBvGetChipMajorRevId command;
    EXPECT_EQ(BvIssueCommand(Transport(), command, BvNoStep, [&] { return command.GetValue(id); }), ERR_OK);
    EXPECT_EQ(id, 3);
    EXPECT_EQ(rig.progress.Pumps() - before, 3);
}

TEST_F(Win9xTransport, EventThatCannotBeCreated) {
    AddPlayer(Slot('E', 1));
    ASSERT_EQ(Transport().FindPlayer(), ERR_OK);
    Pc().FailNextEvents(1);
    CBvScsiInquiry command;
    EXPECT_EQ(BvIssueCommand(Transport(), command), ERR_DEVICE_CONTROL);
    EXPECT_EQ(rig.Record().GetStatus(), ERR_DEVICE_CONTROL);
    EXPECT_EQ(rig.Record().GetSystemError(), 8u);
    EXPECT_EQ(Transport().GetSystemError(), 0);
}

}  // namespace
