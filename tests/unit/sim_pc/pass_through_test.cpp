// Buffered SCSI pass-through as a Windows caller builds it: the SCSI_PASS_THROUGH header of the
// build's width (44 bytes at 32 bits, 56 at 64 bits), then sense and data areas.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/control_codes.h"
#include "platform/errors.h"
#include "raw.h"
#include "sim/pc/sim_pc.h"

namespace {

using namespace rawtest;

struct SptLayout {
    uint32_t size, dataBufferOffset, senseInfoOffset, cdb;
};
constexpr SptLayout kNarrow{44, 20, 24, 28};
constexpr SptLayout kWideLayout{56, 24, 32, 36};
constexpr SptLayout kNative = kWide ? kWideLayout : kNarrow;
constexpr SptLayout kOther = kWide ? kNarrow : kWideLayout;

struct Spt {
    SptLayout layout;
    std::vector<uint8_t> block;
    uint32_t senseOffset() const { return layout.size + 4; }
    uint32_t dataOffset() const { return layout.size + 4 + 32; }
    uint8_t* data() { return block.data() + dataOffset(); }
    uint8_t* sense() { return block.data() + senseOffset(); }
};

Spt Build(const std::vector<uint8_t>& cdb, uint8_t dataIn, uint32_t length,
          const std::vector<uint8_t>& dataOut = {}, uint8_t senseLength = 18,
          SptLayout layout = kNative) {
    Spt spt{layout, {}};
    spt.block.assign(spt.dataOffset() + length, 0);
    uint8_t* h = spt.block.data();
    Put16(h, layout.size);
    h[6] = uint8_t(cdb.size());
    h[7] = senseLength;
    h[8] = dataIn;
    Put32(h + 12, length);
    Put32(h + 16, 120);
    if (layout.size == 56) {
        Put64(h + layout.dataBufferOffset, spt.dataOffset());
    } else {
        Put32(h + layout.dataBufferOffset, spt.dataOffset());
    }
    Put32(h + layout.senseInfoOffset, spt.senseOffset());
    std::memcpy(h + layout.cdb, cdb.data(), cdb.size());
    if (!dataOut.empty()) std::memcpy(spt.data(), dataOut.data(), dataOut.size());
    return spt;
}

bool Send(platform::Handle h, Spt& spt, uint32_t* returned = nullptr) {
    uint32_t count = 0;
    bool ok = platform::DeviceIo().DeviceIoControl(
        h, platform::kIoctlScsiPassThrough, spt.block.data(), uint32_t(spt.block.size()),
        spt.block.data(), uint32_t(spt.block.size()), &count);
    if (returned != nullptr) *returned = count;
    return ok;
}

class PassThrough : public ::testing::Test {
protected:
    sim::ScopedPc scope{sim::OsPreset::kWindowsXp};
    sim::Player& player = scope.Pc().AddPlayer();
};

TEST_F(PassThrough, InquiryDeliversTheIdentity) {
    platform::Handle volume = Open(L"\\\\.\\E:");
    ASSERT_NE(volume, platform::kInvalidHandle);
    Spt spt = Build({0x12, 0, 0, 0, 96, 0}, 1, 96);
    uint32_t returned = 0;
    ASSERT_TRUE(Send(volume, spt, &returned));
    EXPECT_EQ(spt.block[2], 0);  // ScsiStatus good
    EXPECT_EQ(Get32(spt.block.data() + 12), 96u);
    EXPECT_EQ(returned, spt.dataOffset() + 96);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(spt.data() + 8), 24),
              "ORV     KR-4471 Nova    ");
    platform::Kernel().CloseHandle(volume);
}

TEST_F(PassThrough, CheckConditionDeliversStatusAndSense) {
    platform::Handle volume = Open(L"\\\\.\\E:");
    struct Case {
        std::vector<uint8_t> cdb;
        uint8_t senseLength;
        uint8_t key, asc;
    };
    const Case cases[] = {
        {{0xFF, 0, 0, 0, 0, 0}, 18, 5, 0x20},            // unknown opcode
        {{0xFF, 0, 0, 0, 0, 0}, 14, 5, 0x20},            // fewer sense bytes asked for
        {{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 18, 2, 0x3A},  // no data drive yet
    };
    for (const Case& c : cases) {
        Spt spt = Build(c.cdb, 1, c.cdb[0] == 0x25 ? 8 : 0, {}, c.senseLength);
        ASSERT_TRUE(Send(volume, spt));
        EXPECT_EQ(spt.block[2], 2);  // CHECK CONDITION
        EXPECT_EQ(spt.block[7], c.senseLength);
        EXPECT_EQ(spt.sense()[0], 0x70);
        EXPECT_EQ(spt.sense()[2] & 0x0F, c.key);
        EXPECT_EQ(spt.sense()[12], c.asc);
    }
    platform::Kernel().CloseHandle(volume);
}

TEST_F(PassThrough, WrittenSectorsReadBackOnThePhysicalDrive) {
    ASSERT_TRUE(AllocateDataDrive(player));
    platform::Handle disk = Open(L"\\\\.\\PhysicalDrive1");
    ASSERT_NE(disk, platform::kInvalidHandle);
    std::vector<uint8_t> pattern(1024);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = uint8_t(i * 7 + 3);
    Spt write = Build({0x2A, 0, 0, 0, 0, 9, 0, 0, 2, 0}, 0, 1024, pattern);
    ASSERT_TRUE(Send(disk, write));
    EXPECT_EQ(write.block[2], 0);
    Spt read = Build({0x28, 0, 0, 0, 0, 9, 0, 0, 2, 0}, 1, 1024);
    ASSERT_TRUE(Send(disk, read));
    EXPECT_EQ(read.block[2], 0);
    EXPECT_TRUE(std::equal(pattern.begin(), pattern.end(), read.data()));
    platform::Kernel().CloseHandle(disk);
}

TEST_F(PassThrough, RefusesTheHeaderOfTheOtherWidth) {
    platform::Handle volume = Open(L"\\\\.\\E:");
    Spt spt = Build({0x12, 0, 0, 0, 96, 0}, 1, 96, {}, 18, kOther);
    EXPECT_FALSE(Send(volume, spt));
    EXPECT_EQ(LastError(), platform::kErrorInvalidParameter);
    // A data area that runs past the buffer is refused too.
    Spt longer = Build({0x12, 0, 0, 0, 96, 0}, 1, 96);
    Put32(longer.block.data() + 12, 4096);
    EXPECT_FALSE(Send(volume, longer));
    EXPECT_EQ(LastError(), platform::kErrorInvalidParameter);
    platform::Kernel().CloseHandle(volume);
}

TEST_F(PassThrough, FailsWithASystemErrorWhenThePlayerIsGone) {
    platform::Handle volume = Open(L"\\\\.\\E:");
    player.Unplug();
    Spt spt = Build({0x12, 0, 0, 0, 96, 0}, 1, 96);
    EXPECT_FALSE(Send(volume, spt));
    EXPECT_EQ(LastError(), platform::kErrorDeviceNotConnected);
    player.Plug();
    // The handle belongs to the earlier appearance; a new one works.
    EXPECT_FALSE(Send(volume, spt));
    platform::Kernel().CloseHandle(volume);
    volume = Open(L"\\\\.\\E:");
    EXPECT_TRUE(Send(volume, spt));
    platform::Kernel().CloseHandle(volume);
}

TEST_F(PassThrough, ACommandLongerThanTheTimeOutFails) {
    std::string error;
    ASSERT_TRUE(player.SetFaultPlan("delay op=0x12 ms=130000", &error)) << error;
    platform::Handle volume = Open(L"\\\\.\\E:");
    const uint32_t start = platform::Clock().TickCount();
    Spt spt = Build({0x12, 0, 0, 0, 96, 0}, 1, 96);  // 120-second time-out
    EXPECT_FALSE(Send(volume, spt));
    EXPECT_EQ(LastError(), platform::kErrorSemTimeout);
    EXPECT_EQ(platform::Clock().TickCount() - start, 130000u);
    platform::Kernel().CloseHandle(volume);
}

// The NT transport's pattern: the request runs on a worker thread while the caller polls.
struct WorkerRequest {
    platform::Handle device;
    Spt* spt;
    bool ok;
    uint32_t error;
};

uint32_t RunRequest(void* parameter) {
    auto* request = static_cast<WorkerRequest*>(parameter);
    request->ok = Send(request->device, *request->spt);
    request->error = request->ok ? 0 : LastError();
    return 0;
}

TEST_F(PassThrough, RequestsFromWorkerThreadsAreSerialised) {
    ASSERT_TRUE(AllocateDataDrive(player));
    platform::Handle volume = Open(L"\\\\.\\E:");
    for (int round = 0; round < 50; ++round) {
        Spt inquiry = Build({0x12, 0, 0, 0, 96, 0}, 1, 96);
        WorkerRequest request{volume, &inquiry, false, 0};
        platform::Handle worker = platform::Kernel().CreateThread(RunRequest, &request);
        ASSERT_NE(worker, platform::kNullHandle);
        while (platform::Kernel().WaitForSingleObject(worker, 0, false) == platform::kWaitTimeout) {
            // Meanwhile the caller's own thread uses the same player.
            Spt capacity = Build({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, 8);
            EXPECT_TRUE(Send(volume, capacity));
            EXPECT_EQ(capacity.block[2], 0);
        }
        platform::Kernel().CloseHandle(worker);
        EXPECT_TRUE(request.ok) << request.error;
        EXPECT_EQ(inquiry.block[2], 0);
        EXPECT_EQ(inquiry.data()[8], 'O');
    }
    platform::Kernel().CloseHandle(volume);
}

TEST(PassThroughAccess, DependsOnSystemAndUser) {
    {
        sim::ScopedPc scope(sim::OsPreset::kWindows2000);
        scope.Pc().AddPlayer();
        scope.Pc().SetAdministrator(false);
        EXPECT_EQ(Open(L"\\\\.\\E:"), platform::kInvalidHandle);
        EXPECT_EQ(LastError(), platform::kErrorAccessDenied);
        platform::Handle query = Open(L"\\\\.\\E:", 0);
        EXPECT_NE(query, platform::kInvalidHandle);
        platform::Kernel().CloseHandle(query);
    }
    {
        sim::ScopedPc scope(sim::OsPreset::kWindows98);
        scope.Pc().AddPlayer();
        EXPECT_EQ(Open(L"\\\\.\\E:"), platform::kInvalidHandle);
        EXPECT_EQ(LastError(), platform::kErrorFileNotFound);
    }
}

TEST(PassThroughTrace, EveryCommandIsOneLine) {
    char path[] = "/tmp/bvsim_trace_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    setenv("BVSIM_TRACE", path, 1);
    {
        sim::ScopedPc scope;
        unsetenv("BVSIM_TRACE");
        sim::Player& player = scope.Pc().AddPlayer();
        platform::Handle volume = Open(L"\\\\.\\E:");  // the disk driver reads capacity
        Spt inquiry = Build({0x12, 0, 0, 0, 96, 0}, 1, 96);
        ASSERT_TRUE(Send(volume, inquiry));
        Spt unknown = Build({0xFF, 0, 0, 0, 0, 0}, 0, 0);
        ASSERT_TRUE(Send(volume, unknown));
        platform::Kernel().CloseHandle(volume);
        // Recovery writes are traced too.
        player.EnterRecoveryMode();
        platform::Handle device = Open(L"\\\\.\\BvMp3RecDevice0", platform::kGenericWrite,
                                       platform::kFileShareRead, platform::kFileFlagOverlapped);
        std::vector<uint8_t> chunk(4096);
        platform::Overlapped overlapped;
        ASSERT_TRUE(platform::DeviceIo().WriteFileEx(
            device, chunk.data(), 4096, &overlapped, [](uint32_t, uint32_t, platform::Overlapped*) {}));
        platform::Kernel().CloseHandle(device);
    }
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    std::remove(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "disk E: cdb 25 00 00 00 00 00 00 00 00 00 in 8 -> sense key 2 code 0x3a00");
    EXPECT_EQ(lines[1], "pass-through E: cdb 12 00 00 00 60 00 in 96 -> good");
    EXPECT_EQ(lines[2], "pass-through E: cdb ff 00 00 00 00 00 none 0 -> sense key 5 code 0x2000");
    EXPECT_EQ(lines[3], "recovery E: write 4096 -> accepted 4096");
}

}  // namespace
