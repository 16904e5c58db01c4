// bvprobe end to end: player images made on the device's side, the tool run as a program.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/player/player.h"
#include "tests/fixtures/raw_player.h"

namespace {

struct ProbeRun {
    int exitCode = -1;
    std::string out, err, trace;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs bvprobe in the test's working directory with a fresh trace file.
ProbeRun Probe(const std::string& arguments) {
    std::remove("probe.trace");
    const std::string command = "BVSIM_TRACE=probe.trace " BVPROBE " " + arguments + " >probe.out 2>probe.err";
    ProbeRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WEXITSTATUS(status);
    run.out = Slurp("probe.out");
    run.err = Slurp("probe.err");
    run.trace = Slurp("probe.trace");
    return run;
}

// A player with two system drives and a data drive, saved as an image; a fault plan travels
// with it.
std::string MakeImage(const std::string& name, const std::string& plan = "") {
    sim::ManualClock clock;
    sim::Player player(clock);
    // Allocate: entries of type, tag, 64-bit size (10 bytes each), then one zero byte each.
    std::vector<uint8_t> data = {1, 0x50, 0, 0, 0, 0, 0, 1, 0, 0,   // boot manager, 64 KiB
                                 0, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0,   // data drive: the rest
                                 1, 0x03, 0, 0, 0, 0, 0, 2, 0, 0,   // player, 128 KiB
                                 0, 0, 0};
    EXPECT_EQ(bvtest::RawCommand(player, {0xC1, 0x06, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, sim::DataDirection::Out,
                                 data.data(), static_cast<uint32_t>(data.size()))
                  .outcome,
              sim::ScsiOutcome::Good);
    std::string error;
    EXPECT_TRUE(player.SetFaultPlan(plan, &error)) << error;
    EXPECT_TRUE(player.Save(name, &error)) << error;
    return name;
}

std::string Entries(const std::string& image) {
    sim::ManualClock clock;
    sim::Player player(clock);
    std::string error;
    EXPECT_TRUE(player.Load(image, &error)) << error;
    std::string lines;
    int i = 0;
    for (const sim::DriveView& drive : player.Drives()) {
        char line[128];
        std::snprintf(line, sizeof line, "entry %d: number %u type %u tag 0x%02x size %llu\n", i++,
                      unsigned{drive.number}, unsigned{drive.type}, unsigned{drive.tag},
                      static_cast<unsigned long long>(drive.sizeBytes));
        lines += line;
    }
    return lines;
}

TEST(Bvprobe, ReportsTheFirstPlayerOnEachKindOfSystem) {
    const std::string first = MakeImage("first.img");
    const std::string second = MakeImage("second.img", "identity revision=2.50");
    const struct {
        const char* os;
        const char* transport;
    } cases[] = {{"xp", "CBvScsi_Nt"}, {"2000", "CBvScsi_Nt"}, {"98", "CBvScsi_9x"}, {"me", "CBvScsi_9x"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.os);
        const ProbeRun run = Probe(std::string("--os ") + c.os + " " + first + " " + second);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, std::string("transport: ") + c.transport +
                               "\ndrive letter: E\nvendor: ORV\nproduct: KR-4471 Nova\nrevision: 1.00\n"
                               "chip revision: 0x0003\n" +
                               Entries(first));
        // Every command the search and the report sent, in the trace of the simulated PC.
        const std::string path = std::string(c.transport) == "CBvScsi_Nt" ? "pass-through E: " : "aspi E: ";
        for (const char* cdb : {"cdb 12 00 00 00 60 00", "cdb c0 02 09", "cdb c0 30", "cdb c0 05 0a"}) {
            EXPECT_NE(run.trace.find(path + cdb), std::string::npos) << cdb << "\n" << run.trace;
        }
    }
}

TEST(Bvprobe, NoPlayerIsAFailure) {
    const std::string cleared = MakeImage("cleared.img", "media-flag-clear");
    const ProbeRun run = Probe("--os xp " + cleared);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "ERR_PLAYER_NOT_FOUND (-22)\n");

    EXPECT_EQ(Probe("--os vista " + cleared).exitCode, 2);
    EXPECT_EQ(Probe("--os xp missing.img").exitCode, 2);
}

}  // namespace
