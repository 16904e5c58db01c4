// bvplayer as its users meet it: the files it writes, the show format, errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "sim/player/clock.h"
#include "sim/player/player.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ToolRun Bvplayer(const std::string& args) {
    const std::string command = std::string(BVPLAYER_PATH) + " " + args + " >out.txt 2>err.txt";
    ToolRun r;
    r.status = std::system(command.c_str());
    r.out = ReadText("out.txt");
    r.err = ReadText("err.txt");
    return r;
}

Bytes Image(size_t size, uint8_t seed) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(i * 31 + seed);
    return b;
}

class BvplayerTool : public ::testing::Test {
protected:
    void SetUp() override {
        mkdir("fw", 0755);
        Write("fw/bootmanager.sb", "Product Version: 1.2.3\r\nComponent Version: 4.5.6\r\n", Image(40000, 1));
        Write("fw/usbmsc.sb", "Component Version: 2.0\nProduct Version: 1.2.3\n", Image(180000, 2));
        Write("fw/bvmpsys.sb", "Product Version: 1.2.3\nComponent Version: 7.8.9\n", Image(5000, 3));
        std::ofstream("fw/resource.bin", std::ios::binary).write("plain image, no header", 22);
        std::remove("p.img");
    }
    static void Write(const std::string& path, const std::string& header, const Bytes& image) {
        std::ofstream f(path, std::ios::binary);
        f << header << '\x1A' << "BVMP";
        f.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
};

TEST_F(BvplayerTool, NewWithFirmwareThenShow) {
    const ToolRun made = Bvplayer("new p.img --capacity 64M --firmware fw");
    ASSERT_EQ(made.status, 0) << made.err;
    const ToolRun shown = Bvplayer("show p.img");
    ASSERT_EQ(shown.status, 0) << shown.err;
    const uint64_t dataSize = (64ull << 20) - 40960 - 180224 - 6144 - 2048;
    EXPECT_EQ(shown.out,
              "vendor: ORV\n"
              "product: KR-4471 Nova\n"
              "revision: 1.00\n"
              "chip revision: 0x0003\n"
              "mode: disk\n"
              "capacity: 67108864\n"
              "entry 0: number 0 type 1 tag 0x50 size 40960 sector 2048\n"
              "entry 1: number 1 type 0 tag 0x0A size " + std::to_string(dataSize) + " sector 512\n"
              "entry 2: number 2 type 1 tag 0x01 size 180224 sector 2048\n"
              "entry 3: number 3 type 1 tag 0x00 size 6144 sector 2048\n"
              "entry 4: number 4 type 1 tag 0x02 size 2048 sector 2048\n"
              "versions 0x50: product 001.002.003 component 004.005.006\n"
              "versions 0x01: product 001.002.003 component 002.000.000\n"
              "versions 0x00: product 001.002.003 component 007.008.009\n"
              "versions 0x02: product 000.000.000 component 000.000.000\n"
              "data in use: 0\n"
              "faults: none\n");

    // The drive holds the image and erased flash after it, as an update leaves it.
    sim::ManualClock clock;
    sim::Player player(clock);
    std::string error;
    ASSERT_TRUE(player.Load("p.img", &error)) << error;
    Bytes drive(180224);
    ASSERT_TRUE(player.ReadDrive(2, 0, drive.data(), drive.size()));
    EXPECT_EQ(Bytes(drive.begin(), drive.begin() + 180000), Image(180000, 2));
    EXPECT_EQ(Bytes(drive.begin() + 180000, drive.end()), Bytes(224, 0xFF));
}

TEST_F(BvplayerTool, BrickFaultAndExport) {
    ASSERT_EQ(Bvplayer("new p.img --capacity 8M").status, 0);
    ASSERT_EQ(Bvplayer("fault p.img 'fail op=0xC1 fn=0x23 code=0x501;identity vendor=\"A B\"'").status, 0);
    ASSERT_EQ(Bvplayer("brick p.img").status, 0);
    const ToolRun shown = Bvplayer("show p.img");
    EXPECT_NE(shown.out.find("vendor: A B\n"), std::string::npos);
    EXPECT_NE(shown.out.find("mode: recovery\n"), std::string::npos);
    EXPECT_NE(shown.out.find("faults: fail op=0xC1 fn=0x23 nth=1 times=1 code=0x0501; identity vendor=\"A B     \"\n"),
              std::string::npos) << shown.out;

    ASSERT_EQ(Bvplayer("export-data p.img data.img").status, 0);
    const std::string data = ReadText("data.img");
    EXPECT_EQ(data.size(), (8u << 20) - 65536 - 262144 - (1u << 20) - (2u << 20));
    EXPECT_EQ(data.find_first_not_of('\xFF'), std::string::npos);
    std::remove("data.img");
}

TEST_F(BvplayerTool, ErrorsLeaveTheFileUntouched) {
    ASSERT_EQ(Bvplayer("new p.img --capacity 8M").status, 0);
    const std::string before = ReadText("p.img");
    const char* const bad[] = {
        "fault p.img 'fail op=0xC1'",                 // no outcome
        "new p.img --capacity 200K --firmware fw",    // images do not fit
        "new p.img --capacity 12Q",
        "new p.img --firmware no-such-dir",
        "show",
        "frobnicate p.img",
    };
    for (const char* args : bad) {
        const ToolRun r = Bvplayer(args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(r.err.rfind("bvplayer: ", 0), 0u) << args << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args;
        EXPECT_TRUE(ReadText("p.img") == before) << args;
    }
    std::ofstream("junk.img") << "not a player";
    EXPECT_NE(Bvplayer("brick junk.img").status, 0);
    EXPECT_EQ(ReadText("junk.img"), "not a player");
}

TEST_F(BvplayerTool, HelpDocumentsShowAndSpec) {
    const ToolRun help = Bvplayer("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* key : {"entry I: number N type T tag 0xTT size BYTES sector SECTORSIZE", "table: unreadable",
                            "data in use: BYTES", "fail     [op=N]", "unplug   after=N", "media-flag-clear"})
        EXPECT_NE(help.out.find(key), std::string::npos) << key;
}

}  // namespace
