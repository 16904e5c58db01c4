// Kernel services of the simulated PC: versions, user, drives, clock, events, threads.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/errors.h"
#include "platform/kernel.h"
#include "raw.h"
#include "sim/pc/sim_pc.h"

namespace {

using sim::OsPreset;

TEST(SimPcSystem, PresetsReportWindowsVersions) {
    struct Case {
        OsPreset preset;
        uint32_t major, minor, platformId;
    };
    const Case cases[] = {
        {OsPreset::kWindows98, 4, 10, 1},    {OsPreset::kWindowsMe, 4, 90, 1},
        {OsPreset::kWindows2000, 5, 0, 2},   {OsPreset::kWindowsXp, 5, 1, 2},
        {OsPreset::kWindowsVista, 6, 0, 2},  {OsPreset::kWindows7, 6, 1, 2},
        {OsPreset::kWindows10, 10, 0, 2},    {OsPreset::kUnsupported, 4, 50, 1},
    };
    for (const Case& c : cases) {
        sim::ScopedPc scope(c.preset);
        platform::OsVersion version = platform::System().GetVersion();
        EXPECT_EQ(version.major, c.major);
        EXPECT_EQ(version.minor, c.minor);
        EXPECT_EQ(version.platformId, c.platformId);
    }
}

TEST(SimPcSystem, ScopedPcRestoresThePreviousPlatform) {
    sim::ScopedPc outer(OsPreset::kWindows2000);
    {
        sim::ScopedPc inner(OsPreset::kWindowsMe);
        EXPECT_EQ(platform::System().GetVersion().minor, 90u);
    }
    EXPECT_EQ(platform::System().GetVersion().minor, 0u);
    EXPECT_EQ(&platform::Current(), static_cast<platform::IPlatform*>(&outer.Pc()));
}

TEST(SimPcSystem, DriveMaskAndTypesFollowTheAttachedDisks) {
    sim::ScopedPc scope;
    EXPECT_EQ(platform::System().GetLogicalDrives(), 0xDu);  // A: C: D:
    sim::Player& player = scope.Pc().AddPlayer();
    EXPECT_EQ(scope.Pc().SlotOf(player).letter, 'E');
    EXPECT_EQ(platform::System().GetLogicalDrives(), 0x1Du);
    EXPECT_EQ(platform::System().GetDriveType(L"E:\\"), platform::kDriveRemovable);
    EXPECT_EQ(platform::System().GetDriveType(L"c:\\"), platform::kDriveFixed);
    EXPECT_EQ(platform::System().GetDriveType(L"D:\\"), platform::kDriveCdrom);
    EXPECT_EQ(platform::System().GetDriveType(L"F:\\"), platform::kDriveNoRootDir);
    EXPECT_EQ(platform::System().GetDriveType(L"E:\\x"), platform::kDriveNoRootDir);

    // A chip reset takes the player off the bus for a while: its letter goes and comes back.
    uint8_t reset[16] = {0xC1, 0x31};
    sim::ScsiRequest request;
    request.cdb = reset;
    request.cdbLength = 16;
    ASSERT_EQ(player.Execute(request).outcome, sim::ScsiOutcome::Good);
    EXPECT_EQ(platform::System().GetLogicalDrives(), 0xDu);
    platform::Clock().Sleep(player.Config().resetDelayMs);
    EXPECT_EQ(platform::System().GetLogicalDrives(), 0x1Du);
}

TEST(SimPcSystem, UserAndLanguageAreSetUp) {
    sim::ScopedPc scope;
    EXPECT_EQ(platform::System().GetUserDefaultLangId(), 0x0409);
    scope.Pc().SetUserLangId(0x0416);
    EXPECT_EQ(platform::System().GetUserDefaultLangId(), 0x0416);
}

TEST(SimPcClock, SleepsAndTimeOutsAdvanceVirtualTimeExactly) {
    sim::ScopedPc scope;
    platform::IClock& clock = platform::Clock();
    const uint32_t start = clock.TickCount();
    const int64_t seconds = clock.Time();
    clock.Sleep(120000);  // costs no real time
    EXPECT_EQ(clock.TickCount() - start, 120000u);
    EXPECT_EQ(clock.Time() - seconds, 120);

    platform::Handle event = platform::Kernel().CreateEvent(true, false);
    ASSERT_NE(event, platform::kNullHandle);
    EXPECT_EQ(platform::Kernel().WaitForSingleObject(event, 1000, false), platform::kWaitTimeout);
    EXPECT_EQ(clock.TickCount() - start, 121000u);
    EXPECT_EQ(platform::Kernel().WaitForSingleObject(event, 0, false), platform::kWaitTimeout);
    EXPECT_EQ(clock.TickCount() - start, 121000u);
    EXPECT_TRUE(platform::Kernel().CloseHandle(event));
}

TEST(SimPcKernel, EventsResetManuallyOrOnWait) {
    sim::ScopedPc scope;
    platform::IKernel& kernel = platform::Kernel();
    platform::Handle manual = kernel.CreateEvent(true, false);
    platform::Handle automatic = kernel.CreateEvent(false, true);
    EXPECT_EQ(kernel.WaitForSingleObject(automatic, 0, false), platform::kWaitObject0);
    EXPECT_EQ(kernel.WaitForSingleObject(automatic, 0, false), platform::kWaitTimeout);
    ASSERT_TRUE(kernel.SetEvent(manual));
    EXPECT_EQ(kernel.WaitForSingleObject(manual, 0, false), platform::kWaitObject0);
    EXPECT_EQ(kernel.WaitForSingleObject(manual, 0, false), platform::kWaitObject0);
    ASSERT_TRUE(kernel.ResetEvent(manual));
    EXPECT_EQ(kernel.WaitForSingleObject(manual, 0, false), platform::kWaitTimeout);
    EXPECT_TRUE(kernel.CloseHandle(manual));
    EXPECT_TRUE(kernel.CloseHandle(automatic));
    EXPECT_FALSE(kernel.SetEvent(manual));
    EXPECT_EQ(rawtest::LastError(), platform::kErrorInvalidHandle);
    EXPECT_EQ(scope.Pc().OpenHandleCount(), 0u);
}

std::atomic<int> g_workerRuns{0};

uint32_t Worker(void* parameter) {
    platform::Handle event = *static_cast<platform::Handle*>(parameter);
    // The last error is the thread's own.
    platform::System().SetLastError(77);
    g_workerRuns++;
    platform::Kernel().WaitForSingleObject(event, platform::kInfinite, false);
    return 0;
}

TEST(SimPcKernel, WorkerThreadIsPolledAndJoined) {
    sim::ScopedPc scope;
    platform::IKernel& kernel = platform::Kernel();
    platform::Handle go = kernel.CreateEvent(true, false);
    platform::System().SetLastError(5);
    platform::Handle thread = kernel.CreateThread(Worker, &go);
    ASSERT_NE(thread, platform::kNullHandle);
    while (g_workerRuns.load() == 0) {
    }
    EXPECT_EQ(kernel.WaitForSingleObject(thread, 0, false), platform::kWaitTimeout);
    kernel.SetEvent(go);
    EXPECT_EQ(kernel.WaitForSingleObject(thread, platform::kInfinite, false), platform::kWaitObject0);
    EXPECT_EQ(kernel.WaitForSingleObject(thread, 0, false), platform::kWaitObject0);
    EXPECT_EQ(rawtest::LastError(), 5u);
    kernel.CloseHandle(thread);
    kernel.CloseHandle(go);
}

}  // namespace
