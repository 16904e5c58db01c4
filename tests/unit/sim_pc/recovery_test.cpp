// Recovery devices: overlapped writes whose completion routines run in the writer's
// alertable waits, and the player's return as a disk after the image has gone over.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "platform/kernel.h"
#include "raw.h"
#include "sim/pc/sim_pc.h"

namespace {

using namespace rawtest;

struct Completion {
    int calls = 0;
    uint32_t error = 0;
    uint32_t bytes = 0;
    std::thread::id thread;
};
Completion g_done;

void OnWritten(uint32_t error, uint32_t bytes, platform::Overlapped* overlapped) {
    g_done.calls++;
    g_done.error = error;
    g_done.bytes = bytes;
    g_done.thread = std::this_thread::get_id();
    overlapped->offset = bytes;
}

class Recovery : public ::testing::Test {
protected:
    void SetUp() override {
        g_done = Completion();
        player.EnterRecoveryMode();
        event = platform::Kernel().CreateEvent(true, false);
    }
    void TearDown() override { platform::Kernel().CloseHandle(event); }

    platform::Handle OpenDevice(int number) {
        return Open(L"\\\\.\\BvMp3RecDevice" + std::to_wstring(number),
                    platform::kGenericRead | platform::kGenericWrite, platform::kFileShareRead,
                    platform::kFileFlagOverlapped);
    }
    bool Write(platform::Handle device, uint32_t length) {
        chunk.assign(length, 0x3C);
        overlapped = platform::Overlapped();
        return platform::DeviceIo().WriteFileEx(device, chunk.data(), length, &overlapped,
                                                OnWritten);
    }
    uint32_t Wait(uint32_t ms) { return platform::Kernel().WaitForSingleObject(event, ms, true); }

    sim::ScopedPc scope;
    sim::Player& player = scope.Pc().AddPlayer();
    platform::Handle event = platform::kNullHandle;
    std::vector<uint8_t> chunk;
    platform::Overlapped overlapped;
};

TEST_F(Recovery, ImageGoesOverAndThePlayerComesBackAsADisk) {
    const uint32_t mask = platform::System().GetLogicalDrives();
    EXPECT_EQ(mask & (1u << 4), 0u);  // no E: while in recovery mode
    EXPECT_EQ(OpenDevice(1), platform::kInvalidHandle);
    EXPECT_EQ(LastError(), platform::kErrorFileNotFound);
    platform::Handle device = OpenDevice(0);
    ASSERT_NE(device, platform::kInvalidHandle);

    ASSERT_TRUE(Write(device, 4096));
    EXPECT_EQ(g_done.calls, 0);  // nothing runs before the writer waits alertably
    EXPECT_EQ(Wait(1000), platform::kWaitIoCompletion);
    EXPECT_EQ(g_done.calls, 1);
    EXPECT_EQ(g_done.error, 0u);
    EXPECT_EQ(g_done.bytes, 4096u);
    EXPECT_EQ(g_done.thread, std::this_thread::get_id());
    EXPECT_EQ(overlapped.offset, 4096u);

    ASSERT_TRUE(Write(device, 100));  // a short write ends the stream
    EXPECT_EQ(Wait(1000), platform::kWaitIoCompletion);
    EXPECT_EQ(g_done.bytes, 100u);
    platform::Kernel().CloseHandle(device);
    EXPECT_EQ(player.BootedImage().size(), 4196u);

    platform::Clock().Sleep(player.Config().bootDelayMs);
    EXPECT_EQ(platform::System().GetLogicalDrives(), mask | (1u << 4));
    EXPECT_EQ(OpenDevice(0), platform::kInvalidHandle);
}

TEST_F(Recovery, CompletionRunsOnlyOnTheWritersThread) {
    platform::Handle device = OpenDevice(0);
    ASSERT_TRUE(Write(device, 4096));
    uint32_t elsewhere = 0;
    std::thread other([&] { elsewhere = Wait(0); });
    other.join();
    EXPECT_EQ(elsewhere, platform::kWaitTimeout);
    EXPECT_EQ(g_done.calls, 0);
    EXPECT_EQ(Wait(0), platform::kWaitIoCompletion);
    EXPECT_EQ(g_done.calls, 1);
    platform::Kernel().CloseHandle(device);
}

TEST_F(Recovery, FaultsShapeTheCompletion) {
    std::string error;
    ASSERT_TRUE(player.SetFaultPlan("recovery late=300; recovery nth=2 short=100", &error))
        << error;
    platform::Handle device = OpenDevice(0);
    const uint32_t start = platform::Clock().TickCount();
    ASSERT_TRUE(Write(device, 4096));
    EXPECT_EQ(Wait(1000), platform::kWaitIoCompletion);
    EXPECT_EQ(platform::Clock().TickCount() - start, 300u);
    EXPECT_EQ(g_done.bytes, 4096u);

    ASSERT_TRUE(Write(device, 4096));
    EXPECT_EQ(Wait(1000), platform::kWaitIoCompletion);
    EXPECT_EQ(g_done.bytes, 100u);
    EXPECT_EQ(platform::Clock().TickCount() - start, 300u);
    platform::Kernel().CloseHandle(device);
}

TEST_F(Recovery, AWriteThatNeverCompletesTimesOutAndIsCancelled) {
    std::string error;
    ASSERT_TRUE(player.SetFaultPlan("recovery never", &error)) << error;
    platform::Handle device = OpenDevice(0);
    const uint32_t start = platform::Clock().TickCount();
    ASSERT_TRUE(Write(device, 4096));
    EXPECT_EQ(Wait(1000), platform::kWaitTimeout);
    EXPECT_EQ(platform::Clock().TickCount() - start, 1000u);
    EXPECT_EQ(g_done.calls, 0);
    ASSERT_TRUE(platform::DeviceIo().CancelIo(device));
    EXPECT_EQ(Wait(0), platform::kWaitIoCompletion);
    EXPECT_EQ(g_done.error, platform::kErrorOperationAborted);
    EXPECT_EQ(g_done.bytes, 0u);
    platform::Kernel().CloseHandle(device);
}

TEST_F(Recovery, DeviceTakesOneWriterAndOnlyOverlappedWrites) {
    platform::Handle device = OpenDevice(0);
    EXPECT_EQ(OpenDevice(0), platform::kInvalidHandle);
    EXPECT_EQ(LastError(), platform::kErrorSharingViolation);
    uint8_t byte = 0;
    uint32_t done = 0;
    EXPECT_FALSE(platform::DeviceIo().WriteFile(device, &byte, 1, &done));
    uint32_t returned = 0;
    EXPECT_FALSE(platform::DeviceIo().DeviceIoControl(device, 0x4D004, nullptr, 0, nullptr, 0,
                                                      &returned));
    platform::Kernel().CloseHandle(device);
}

}  // namespace
