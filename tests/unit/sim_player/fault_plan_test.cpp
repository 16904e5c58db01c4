// The fault plan: its syntax and each fault as the bus sees it.
#include "player_fixture.h"
#include "sim/player/fault_plan.h"

namespace simtest {
namespace {

class Faults : public PlayerTest {
protected:
    void SetUp() override { ASSERT_TRUE(AllocateStandard().Good()); }
    void Plan(const std::string& planText) {
        std::string error;
        ASSERT_TRUE(player.SetFaultPlan(planText, &error)) << error;
    }
};

TEST(FaultPlanSyntax, CanonicalTextParsesBackToItself) {
    const std::string planText =
        "fail op=0xC1 fn=0x23 drive=2 nth=3 code=0x501; fail times=0 transport;"
        "flip op=0x28 byte=17 bit=3; delay ms=250 times=0; recovery nth=2 short=100;"
        "recovery late=1500; recovery never; unplug after=65536; table-unreadable; media-flag-clear;"
        "identity vendor=\"AB CD\" product=X revision=2.00 chip=0x10";
    sim::FaultPlan plan;
    std::string error;
    ASSERT_TRUE(sim::FaultPlan::Parse(planText, &plan, &error)) << error;
    ASSERT_EQ(plan.rules.size(), 11u);
    EXPECT_EQ(plan.rules[0].match.drive, 2);
    EXPECT_EQ(plan.rules[0].code, 0x0501);
    EXPECT_EQ(plan.rules[10].vendor, "AB CD   ");
    sim::FaultPlan again;
    ASSERT_TRUE(sim::FaultPlan::Parse(plan.ToText(), &again, &error)) << error;
    EXPECT_EQ(again.ToText(), plan.ToText());
}

TEST(FaultPlanSyntax, BadSpecsAreRefusedAndChangeNothing) {
    const char* const bad[] = {
        "explode",                 // unknown kind
        "fail op=0xC1",            // no outcome
        "fail code=0x10000",       // too large
        "fail nth=0 code=1",       // counts from 1
        "flip bit=8",
        "delay ms=-1",
        "recovery short",          // needs a number
        "unplug",
        "identity vendor=TOOLONGVENDOR",
        "table-unreadable now",    // takes no words
        "fail op=0xC1 code=1 code",
    };
    sim::ManualClock clock;
    sim::Player player(clock);
    std::string error;
    ASSERT_TRUE(player.SetFaultPlan("delay ms=5", &error));
    for (const char* planText : bad) {
        error.clear();
        EXPECT_FALSE(player.SetFaultPlan(planText, &error)) << planText;
        EXPECT_FALSE(error.empty()) << planText;
        EXPECT_EQ(player.FaultPlanText(), "delay nth=1 times=1 ms=5") << planText;
    }
}

TEST_F(Faults, FailTheNthMatchingCommand) {
    Plan("fail op=0xC1 fn=0x23 drive=2 nth=2 times=2 code=0x0501");
    const Bytes sector(2048, 1);
    EXPECT_TRUE(Out(SectorCdb(true, 3, 0, 1), sector).Good());  // another drive: not counted
    EXPECT_TRUE(Out(SectorCdb(true, 2, 0, 1), sector).Good());  // first match
    EXPECT_TRUE(IsVendorError(Out(SectorCdb(true, 2, 1, 1), sector), 0x0501));
    EXPECT_TRUE(IsVendorError(Out(SectorCdb(true, 2, 2, 1), sector), 0x0501));
    EXPECT_TRUE(Out(SectorCdb(true, 2, 3, 1), sector).Good());
    // The failed writes stored nothing.
    EXPECT_EQ(In(SectorCdb(false, 2, 1, 1), 2048).data, Bytes(2048, 0xFF));
}

TEST_F(Faults, TransportFailureForOneCommand) {
    Plan("fail op=0x12 transport");
    EXPECT_EQ(In({0x12, 0, 0, 0, 0x60, 0}, 96).result.outcome, sim::ScsiOutcome::DeviceGone);
    EXPECT_EQ(player.Presence(), sim::BusPresence::Disk);
    EXPECT_TRUE(In({0x12, 0, 0, 0, 0x60, 0}, 96).Good());
}

TEST_F(Faults, FlipABitInAReadBackOnly) {
    ASSERT_TRUE(Out(SectorCdb(true, 2, 0, 1), Bytes(2048, 0x00)).Good());
    Plan("flip op=0xC0 fn=0x13 byte=100 bit=7");
    const Answer flipped = In(SectorCdb(false, 2, 0, 1), 2048);
    ASSERT_TRUE(flipped.Good());
    Bytes expected(2048, 0);
    expected[100] = 0x80;
    EXPECT_EQ(flipped.data, expected);
    EXPECT_EQ(In(SectorCdb(false, 2, 0, 1), 2048).data, Bytes(2048, 0));  // stored data intact
}

TEST_F(Faults, TableUnreadableUntilTheNextAllocation) {
    Plan("table-unreadable");
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x05, 10}), 112), 0x0201));
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x12, 0, 0}), 4), 0x0201));
    EXPECT_TRUE(IsStandardSense(None({0x00, 0, 0, 0, 0, 0}), 2, 0x3A));
    ASSERT_TRUE(None(Cdb16({0xC1, 0x07})).Good());
    ASSERT_TRUE(AllocateStandard().Good());
    EXPECT_TRUE(In(Cdb16({0xC0, 0x05, 10}), 112).Good());
}

TEST_F(Faults, MediaFlagClear) {
    Plan("media-flag-clear");
    EXPECT_EQ(In(Cdb16({0xC0, 0x02, 9}), 1).data[0], 0);
    EXPECT_TRUE(In({0x12, 0, 0, 0, 0x60, 0}, 96).Good());  // still answers its identity
    EXPECT_TRUE(IsVendorError(In(Cdb16({0xC0, 0x05, 10}), 112), 0x0601));
    EXPECT_TRUE(IsStandardSense(In({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8), 2, 0x3A));
}

TEST_F(Faults, ChangedIdentity) {
    Plan("identity vendor=OTHER product=\"Some Disk\" revision=9.1 chip=0x0101");
    const Answer a = In({0x12, 0, 0, 0, 0x60, 0}, 96);
    EXPECT_EQ(std::string(a.data.begin() + 8, a.data.begin() + 36), "OTHER   Some Disk       9.1 ");
    EXPECT_EQ(GetBe(In(Cdb16({0xC0, 0x30}), 2).data.data(), 2), 0x0101u);
    Plan("");
    EXPECT_EQ(player.Identity().vendor, "ORV     ");
}

TEST_F(Faults, UnplugAfterBytesWritten) {
    Plan("unplug after=5000");
    Bytes chunk(4 * 2048, 0x33);
    ASSERT_TRUE(Out(SectorCdb(true, 2, 0, 1), Bytes(2048, 0x44)).Good());  // 2048 written
    // 2048 + 8192 passes 5000: the one whole sector below the limit is stored, then it leaves.
    EXPECT_EQ(Out(SectorCdb(true, 2, 1, 4), chunk).result.outcome, sim::ScsiOutcome::DeviceGone);
    EXPECT_EQ(player.Presence(), sim::BusPresence::Absent);
    clock.AdvanceMs(600000);
    EXPECT_EQ(player.Presence(), sim::BusPresence::Absent);
    player.Plug();
    const Answer back = In(SectorCdb(false, 2, 0, 4), 4 * 2048);
    EXPECT_EQ(Bytes(back.data.begin(), back.data.begin() + 2048), Bytes(2048, 0x44));
    EXPECT_EQ(Bytes(back.data.begin() + 2048, back.data.begin() + 4096), Bytes(2048, 0x33));
    EXPECT_EQ(Bytes(back.data.begin() + 4096, back.data.end()), Bytes(4096, 0xFF));
    // Spent: the player stays on the bus now.
    EXPECT_TRUE(Out(SectorCdb(true, 2, 8, 4), chunk).Good());
}

TEST_F(Faults, DelayCommands) {
    Plan("delay op=0xC1 fn=0x07 ms=4000; delay op=0xC1 ms=5 times=0");
    EXPECT_EQ(None(Cdb16({0xC1, 0x07})).result.durationMs, 4005u);
    EXPECT_EQ(None(Cdb16({0xC1, 0x07})).result.durationMs, 5u);
    EXPECT_EQ(In(Cdb16({0xC0, 0x30}), 2).result.durationMs, 0u);
}

}  // namespace
}  // namespace simtest
