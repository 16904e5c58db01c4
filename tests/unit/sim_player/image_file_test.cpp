// Save and load of a player's whole state; damaged and foreign files are refused.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "player_fixture.h"

namespace simtest {
namespace {

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class ImageFile : public PlayerTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(AllocateStandard().Good());
        ASSERT_TRUE(None(Cdb16({0xC1, 0x20, 3, 8, 0, 1, 0, 2, 0, 3})).Good());
        ASSERT_TRUE(Out(SectorCdb(true, 3, 7, 1), Bytes(2048, 0x77)).Good());
        ASSERT_TRUE(Out({0x2A, 0, 0, 0, 0x10, 0, 0, 0, 1, 0}, Bytes(512, 0x99)).Good());
        std::string error;
        ASSERT_TRUE(player.SetFaultPlan("fail op=0x28 nth=2 code=0x0503", &error)) << error;
        ASSERT_TRUE(player.Save(path, &error)) << error;
    }
    void TearDown() override { std::remove(path.c_str()); }

    const std::string path = "player.bvplayer";
};

TEST_F(ImageFile, RoundTrip) {
    sim::ManualClock otherClock;
    sim::Player copy(otherClock, sim::PlayerConfig());
    std::string error;
    ASSERT_TRUE(copy.Load(path, &error)) << error;
    EXPECT_EQ(copy.FaultPlanText(), player.FaultPlanText());
    const auto a = player.Drives();
    const auto b = copy.Drives();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].number, b[i].number);
        EXPECT_EQ(a[i].tag, b[i].tag);
        EXPECT_EQ(a[i].sizeBytes, b[i].sizeBytes);
        EXPECT_EQ(a[i].storedBytes, b[i].storedBytes);
        EXPECT_EQ(Bytes(a[i].productVersion, a[i].productVersion + 3),
                  Bytes(b[i].productVersion, b[i].productVersion + 3));
    }
    // The contents and the fault counters came along: the copy answers as the original does.
    sim::ScsiRequest r;
    const Bytes read = {0x28, 0, 0, 0, 0x10, 0, 0, 0, 1, 0};
    Bytes buffer(512);
    r.cdb = read.data();
    r.cdbLength = 10;
    r.direction = sim::DataDirection::In;
    r.dataIn = buffer.data();
    r.transferLength = 512;
    ASSERT_EQ(copy.Execute(r).outcome, sim::ScsiOutcome::Good);
    EXPECT_EQ(buffer, Bytes(512, 0x99));
    EXPECT_EQ(copy.Execute(r).SenseCode(), 0x0503);
    const Bytes sector = SectorCdb(false, 3, 7, 1);
    Bytes system(2048);
    r.cdb = sector.data();
    r.cdbLength = 16;
    r.dataIn = system.data();
    r.transferLength = 2048;
    ASSERT_EQ(copy.Execute(r).outcome, sim::ScsiOutcome::Good);
    EXPECT_EQ(system, Bytes(2048, 0x77));
}

TEST_F(ImageFile, RecoveryModeSurvives) {
    player.EnterRecoveryMode();
    std::string error;
    ASSERT_TRUE(player.Save(path, &error)) << error;
    sim::ManualClock otherClock;
    sim::Player copy(otherClock);
    ASSERT_TRUE(copy.Load(path, &error)) << error;
    EXPECT_EQ(copy.Presence(), sim::BusPresence::Recovery);
}

TEST_F(ImageFile, APendingResetContinuesOnTheLoadingClock) {
    ASSERT_EQ(None(Cdb16({0xC1, 0x31})).result.outcome, sim::ScsiOutcome::Good);
    clock.AdvanceMs(500);
    std::string error;
    ASSERT_TRUE(player.Save(path, &error)) << error;
    sim::ManualClock otherClock(100000);
    sim::Player copy(otherClock);
    ASSERT_TRUE(copy.Load(path, &error)) << error;
    EXPECT_EQ(copy.Presence(), sim::BusPresence::Absent);
    otherClock.AdvanceMs(player.Config().resetDelayMs - 501);
    EXPECT_EQ(copy.Presence(), sim::BusPresence::Absent);
    otherClock.AdvanceMs(1);
    EXPECT_EQ(copy.Presence(), sim::BusPresence::Disk);
}

TEST_F(ImageFile, DamagedOrForeignFilesAreRefusedAndChangeNothing) {
    const Bytes good = ReadFile(path);
    ASSERT_GT(good.size(), 100u);
    struct Case {
        const char* what;
        Bytes bytes;
    };
    Bytes flipped = good;
    flipped[good.size() / 2] ^= 0x10;
    Bytes version = good;
    version[8] = 2;
    Bytes longer = good;
    longer.push_back(0);
    const Case cases[] = {
        {"bit flipped in the contents", flipped},
        {"truncated", Bytes(good.begin(), good.end() - 1)},
        {"only the header", Bytes(good.begin(), good.begin() + 24)},
        {"trailing byte", longer},
        {"unknown format version", version},
        {"not a player image", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {"empty", Bytes()},
    };
    sim::ManualClock otherClock;
    sim::Player target(otherClock);
    std::string error;
    ASSERT_TRUE(target.Load(path, &error)) << error;
    const uint32_t generation = target.BusGeneration();
    for (const auto& c : cases) {
        WriteFile(path, c.bytes);
        error.clear();
        EXPECT_FALSE(target.Load(path, &error)) << c.what;
        EXPECT_NE(error.find(path), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(target.Drives().size(), 5u) << c.what;
        EXPECT_EQ(target.FaultPlanText(), player.FaultPlanText()) << c.what;
        EXPECT_EQ(target.BusGeneration(), generation) << c.what;
    }
    EXPECT_FALSE(target.Load("no-such-file.bvplayer", &error));
}

}  // namespace
}  // namespace simtest
