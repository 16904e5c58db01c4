// Throughput of the emulated player for 64 KiB sector transfers through its command interface,
// so that the emulator is never what a test of the updater measures.
#include <chrono>
#include <cstdio>
#include <vector>

#include "sim/player/clock.h"
#include "sim/player/player.h"

namespace {

constexpr uint32_t kChunk = 64 * 1024;
constexpr uint64_t kRegion = 128ull << 20;   // the part of the drive the passes cover
constexpr int kPasses = 16;

struct Bench {
    sim::ManualClock clock;
    sim::Player player;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kChunk, 0x5A);

    Bench() : player(clock, Config()) {}
    static sim::PlayerConfig Config() {
        sim::PlayerConfig c;
        c.capacityBytes = 1ull << 30;
        return c;
    }

    bool Send(const uint8_t* cdb, uint32_t cdbLength, bool write) {
        sim::ScsiRequest r;
        r.cdb = cdb;
        r.cdbLength = cdbLength;
        r.direction = write ? sim::DataDirection::Out : sim::DataDirection::In;
        r.dataOut = buffer.data();
        r.dataIn = buffer.data();
        r.transferLength = kChunk;
        return player.Execute(r).outcome == sim::ScsiOutcome::Good;
    }
    // READ(10) / WRITE(10) of 128 blocks of 512 bytes on the data drive.
    bool Standard(uint64_t offset, bool write) {
        const uint32_t lba = static_cast<uint32_t>(offset / 512);
        const uint8_t cdb[10] = {static_cast<uint8_t>(write ? 0x2A : 0x28), 0, static_cast<uint8_t>(lba >> 24),
                                 static_cast<uint8_t>(lba >> 16), static_cast<uint8_t>(lba >> 8),
                                 static_cast<uint8_t>(lba), 0, 0, 128, 0};
        return Send(cdb, sizeof cdb, write);
    }
    // Vendor sector read / write of 128 sectors by drive number (the data drive is drive 1).
    bool Vendor(uint64_t offset, bool write) {
        const uint64_t first = offset / 512;
        uint8_t cdb[16] = {static_cast<uint8_t>(write ? 0xC1 : 0xC0), static_cast<uint8_t>(write ? 0x23 : 0x13), 1};
        for (int i = 0; i < 8; ++i) cdb[3 + i] = static_cast<uint8_t>(first >> (56 - 8 * i));
        cdb[14] = 128;
        return Send(cdb, sizeof cdb, write);
    }

    template <typename Op>
    void Measure(const char* what, int passes, Op op) {
        const auto start = std::chrono::steady_clock::now();
        uint64_t bytes = 0;
        for (int pass = 0; pass < passes; ++pass) {
            for (uint64_t offset = 0; offset < kRegion; offset += kChunk) {
                if (!op(offset)) {
                    std::printf("%s: command failed at offset %llu\n", what, static_cast<unsigned long long>(offset));
                    return;
                }
                bytes += kChunk;
            }
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-40s %8.0f MB/s  (%llu MiB in %.3f s)\n", what, bytes / seconds / 1e6,
                    static_cast<unsigned long long>(bytes >> 20), seconds);
    }
};

// A player whose data drive takes all of 1 GiB but a 32 KiB system drive.
bool Allocate(sim::Player& player) {
    const uint8_t layout[] = {1, 0x50, 0, 0, 0, 0, 0, 0, 0x80, 0,   // system drive of 32 KiB
                              0, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0,      // data drive: the rest
                              0, 0};
    const uint8_t allocate[16] = {0xC1, 0x06, 2};
    sim::ScsiRequest r;
    r.cdb = allocate;
    r.cdbLength = 16;
    r.direction = sim::DataDirection::Out;
    r.dataOut = layout;
    r.transferLength = sizeof layout;
    return player.Execute(r).outcome == sim::ScsiOutcome::Good;
}

}  // namespace

int main() {
    std::printf("64 KiB transfers over a %llu MiB region of the data drive\n",
                static_cast<unsigned long long>(kRegion >> 20));
    // First writes take their memory from the system; measured on fresh players.
    for (int round = 0; round < 4; ++round) {
        Bench fresh;
        if (!Allocate(fresh.player)) return 1;
        fresh.Measure("WRITE(10), first write (memory taken)", 1, [&](uint64_t o) { return fresh.Standard(o, true); });
    }
    Bench b;
    if (!Allocate(b.player)) return 1;
    b.Measure("WRITE(10), first write (memory taken)", 1, [&](uint64_t o) { return b.Standard(o, true); });
    b.Measure("WRITE(10), overwrite", kPasses, [&](uint64_t o) { return b.Standard(o, true); });
    b.Measure("READ(10)", kPasses, [&](uint64_t o) { return b.Standard(o, false); });
    b.Measure("vendor sector write (C1 23)", kPasses, [&](uint64_t o) { return b.Vendor(o, true); });
    b.Measure("vendor sector read (C0 13)", kPasses, [&](uint64_t o) { return b.Vendor(o, false); });
    return 0;
}
