// WNASPI32.DLL of the simulated Windows 98: loading, support information and request blocks
// (SRB_ExecSCSICmd is 80 bytes with 4-byte pointers at 32 bits, 88 with 8-byte ones at 64).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/aspi.h"
#include "platform/errors.h"
#include "raw.h"
#include "sim/pc/sim_pc.h"

namespace {

using namespace rawtest;

struct SrbLayout {
    uint32_t size, bufPointer, pointerSize, senseLen, cdbLen, haStat, targStat, postProc, cdb,
        sense;
};
constexpr SrbLayout kSrb = kWide ? SrbLayout{88, 16, 8, 24, 25, 26, 27, 28, 56, 72}
                                 : SrbLayout{80, 16, 4, 20, 21, 22, 23, 24, 48, 64};

void PutPointer(uint8_t* p, uintptr_t value) {
    if (kSrb.pointerSize == 8) {
        Put64(p, value);
    } else {
        Put32(p, uint32_t(value));
    }
}

class Aspi : public ::testing::Test {
protected:
    void SetUp() override {
        sim::DiskSlot slot;
        slot.aspiBiosDrive = 0x81;
        player = &scope.Pc().AddPlayer(sim::PlayerConfig(), slot);
        module = platform::Modules().LoadLibrary(L"WNASPI32.DLL");
        ASSERT_NE(module, platform::kNullHandle);
        support = reinterpret_cast<platform::AspiSupportInfoFn>(
            platform::Modules().GetProcAddress(module, "GetASPI32SupportInfo"));
        send = reinterpret_cast<platform::AspiSendCommandFn>(
            platform::Modules().GetProcAddress(module, "SendASPI32Command"));
        ASSERT_NE(support, nullptr);
        ASSERT_NE(send, nullptr);
        event = platform::Kernel().CreateEvent(true, false);
    }
    void TearDown() override {
        platform::Kernel().CloseHandle(event);
        platform::Modules().FreeLibrary(module);
    }

    // Sends one SC_EXEC_SCSI_CMD with event notification; returns what the call answered.
    uint32_t Exec(std::vector<uint8_t>& srb, uint8_t hostAdapter, const std::vector<uint8_t>& cdb,
                  uint8_t flags, std::vector<uint8_t>& buffer) {
        srb.assign(kSrb.size, 0);
        srb[0] = platform::aspi::kScExecScsiCmd;
        srb[2] = hostAdapter;
        srb[3] = flags;
        Put32(srb.data() + 12, uint32_t(buffer.size()));
        PutPointer(srb.data() + kSrb.bufPointer, reinterpret_cast<uintptr_t>(buffer.data()));
        srb[kSrb.senseLen] = 14;
        srb[kSrb.cdbLen] = uint8_t(cdb.size());
        PutPointer(srb.data() + kSrb.postProc, event);
        std::memcpy(srb.data() + kSrb.cdb, cdb.data(), cdb.size());
        platform::Kernel().ResetEvent(event);
        return send(srb.data());
    }

    sim::ScopedPc scope{sim::OsPreset::kWindows98};
    sim::Player* player = nullptr;
    platform::Handle module = platform::kNullHandle;
    platform::AspiSupportInfoFn support = nullptr;
    platform::AspiSendCommandFn send = nullptr;
    platform::Handle event = platform::kNullHandle;
};

TEST_F(Aspi, QueriesCountAdaptersAndBiosDrives) {
    EXPECT_EQ(support(), 0x0102u);  // SS_COMP, two host adapters (system disk, player)
    uint8_t inquiry[60] = {platform::aspi::kScHaInquiry};
    EXPECT_EQ(send(inquiry), platform::aspi::kSsComp);
    EXPECT_EQ(inquiry[8], 2);
    uint8_t diskInfo[24] = {platform::aspi::kScGetDiskInfo, 0, 1};
    EXPECT_EQ(send(diskInfo), platform::aspi::kSsComp);
    EXPECT_EQ(diskInfo[11], 0x81);
    diskInfo[2] = 0;
    EXPECT_EQ(send(diskInfo), platform::aspi::kSsComp);
    EXPECT_EQ(diskInfo[11], 0x80);
    diskInfo[2] = 2;
    EXPECT_EQ(send(diskInfo), platform::aspi::kSsInvalidHa);
}

TEST_F(Aspi, ExecCompletesThroughTheEvent) {
    std::vector<uint8_t> srb, data(96);
    EXPECT_EQ(Exec(srb, 1, {0x12, 0, 0, 0, 96, 0}, 0x48, data), platform::aspi::kSsPending);
    EXPECT_EQ(platform::Kernel().WaitForSingleObject(event, 0, false), platform::kWaitObject0);
    EXPECT_EQ(srb[1], platform::aspi::kSsComp);
    EXPECT_EQ(srb[kSrb.haStat], 0);
    EXPECT_EQ(srb[kSrb.targStat], 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data.data() + 8), 8), "ORV     ");

    Exec(srb, 0, {0x12, 0, 0, 0, 96, 0}, 0x48, data);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data.data() + 8), 8), "ATA     ");
}

TEST_F(Aspi, CheckConditionLeavesSenseInTheBlock) {
    std::vector<uint8_t> srb, none;
    EXPECT_EQ(Exec(srb, 1, {0xFF, 0, 0, 0, 0, 0}, 0x48, none), platform::aspi::kSsPending);
    EXPECT_EQ(srb[1], platform::aspi::kSsErr);
    EXPECT_EQ(srb[kSrb.targStat], platform::aspi::kStatusCheckCondition);
    EXPECT_EQ(srb[kSrb.sense], 0x70);
    EXPECT_EQ(srb[kSrb.sense + 2], 5);
    EXPECT_EQ(srb[kSrb.sense + 12], 0x20);
    EXPECT_EQ(srb[kSrb.sense + 14], 0);  // 14 bytes asked for, 14 delivered
}

TEST_F(Aspi, DataOutAndInFollowTheDirectionFlags) {
    ASSERT_TRUE(AllocateDataDrive(*player));
    std::vector<uint8_t> srb, out(512, 0x5A), in(512);
    Exec(srb, 1, {0x2A, 0, 0, 0, 0, 7, 0, 0, 1, 0}, 0x50, out);
    ASSERT_EQ(srb[1], platform::aspi::kSsComp);
    Exec(srb, 1, {0x28, 0, 0, 0, 0, 7, 0, 0, 1, 0}, 0x48, in);
    ASSERT_EQ(srb[1], platform::aspi::kSsComp);
    EXPECT_EQ(in, out);
}

TEST_F(Aspi, MayAnswerCompletedAtOnce) {
    scope.Pc().SetAspiCompletesAtOnce(true);
    std::vector<uint8_t> srb, data(96);
    EXPECT_EQ(Exec(srb, 1, {0x12, 0, 0, 0, 96, 0}, 0x48, data), platform::aspi::kSsComp);
}

TEST(AspiModule, MayBeAbsentIncompleteOrNotReady) {
    {
        sim::ScopedPc scope(sim::OsPreset::kWindowsXp);
        EXPECT_EQ(platform::Modules().LoadLibrary(L"WNASPI32.DLL"), platform::kNullHandle);
        EXPECT_EQ(LastError(), platform::kErrorModNotFound);
    }
    {
        sim::ScopedPc scope(sim::OsPreset::kWindows98);
        scope.Pc().SetAspi(sim::AspiState::kNoSendCommandEntry);
        platform::Handle module = platform::Modules().LoadLibrary(L"wnaspi32.dll");
        ASSERT_NE(module, platform::kNullHandle);
        EXPECT_NE(platform::Modules().GetProcAddress(module, "GetASPI32SupportInfo"), nullptr);
        EXPECT_EQ(platform::Modules().GetProcAddress(module, "SendASPI32Command"), nullptr);
        EXPECT_EQ(LastError(), platform::kErrorProcNotFound);
        platform::Modules().FreeLibrary(module);
    }
    {
        sim::ScopedPc scope(sim::OsPreset::kWindows98);
        scope.Pc().SetAspi(sim::AspiState::kNotReady);
        platform::Handle module = platform::Modules().LoadLibrary(L"WNASPI32.DLL");
        auto support = reinterpret_cast<platform::AspiSupportInfoFn>(
            platform::Modules().GetProcAddress(module, "GetASPI32SupportInfo"));
        ASSERT_NE(support, nullptr);
        EXPECT_NE((support() >> 8) & 0xFF, platform::aspi::kSsComp);
        platform::Modules().FreeLibrary(module);
    }
}

}  // namespace
