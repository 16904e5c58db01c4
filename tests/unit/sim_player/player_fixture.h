#pragma once
// Drives an emulated player with raw CDB bytes, as a host adapter would.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "sim/player/clock.h"
#include "sim/player/player.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

// A 16-byte vendor CDB from its leading bytes.
inline Bytes Cdb16(std::initializer_list<uint8_t> head) {
    Bytes cdb(head);
    cdb.resize(16, 0);
    return cdb;
}

inline void PutBe64(uint8_t* p, uint64_t v) {
    for (int i = 7; i >= 0; --i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}
inline void PutBe32(uint8_t* p, uint32_t v) {
    for (int i = 3; i >= 0; --i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}
inline uint64_t GetBe(const uint8_t* p, int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

// CDB of the vendor sector commands: C0 13 / C1 23, drive, 64-bit first sector, 32-bit count.
inline Bytes SectorCdb(bool write, uint8_t drive, uint64_t first, uint32_t count) {
    Bytes cdb = Cdb16({static_cast<uint8_t>(write ? 0xC1 : 0xC0), static_cast<uint8_t>(write ? 0x23 : 0x13), drive});
    PutBe64(&cdb[3], first);
    PutBe32(&cdb[11], count);
    return cdb;
}

// Allocation data: 10 bytes per entry (type, tag, size) at a stride of 10, plus count zero bytes.
struct AllocEntry {
    uint8_t type;
    uint8_t tag;
    uint64_t size;
};
inline Bytes AllocationData(std::initializer_list<AllocEntry> entries) {
    Bytes data(11 * entries.size(), 0);
    size_t i = 0;
    for (const auto& e : entries) {
        data[10 * i] = e.type;
        data[10 * i + 1] = e.tag;
        PutBe64(&data[10 * i + 2], e.size);
        ++i;
    }
    return data;
}

struct Answer {
    sim::ScsiResult result;
    Bytes data;  // the host buffer after the command
    uint16_t Code() const { return result.SenseCode(); }
    bool Good() const { return result.outcome == sim::ScsiOutcome::Good; }
};

class PlayerTest : public ::testing::Test {
protected:
    explicit PlayerTest(const sim::PlayerConfig& config = sim::PlayerConfig()) : player(clock, config) {}

    Answer In(const Bytes& cdb, uint32_t length) {
        Answer a;
        a.data.assign(length, 0xEE);
        sim::ScsiRequest r;
        r.cdb = cdb.data();
        r.cdbLength = static_cast<uint32_t>(cdb.size());
        r.direction = sim::DataDirection::In;
        r.dataIn = a.data.data();
        r.transferLength = length;
        a.result = player.Execute(r);
        return a;
    }
    Answer Out(const Bytes& cdb, const Bytes& data) {
        Answer a;
        sim::ScsiRequest r;
        r.cdb = cdb.data();
        r.cdbLength = static_cast<uint32_t>(cdb.size());
        r.direction = sim::DataDirection::Out;
        r.dataOut = data.data();
        r.transferLength = static_cast<uint32_t>(data.size());
        a.result = player.Execute(r);
        return a;
    }
    Answer None(const Bytes& cdb) {
        Answer a;
        sim::ScsiRequest r;
        r.cdb = cdb.data();
        r.cdbLength = static_cast<uint32_t>(cdb.size());
        a.result = player.Execute(r);
        return a;
    }

    // The product's layout as the updater asks for it: boot manager, data drive (rest), then
    // the other three system drives.
    Answer AllocateStandard() {
        return Out(Cdb16({0xC1, 0x06, 5}), AllocationData({{1, 0x50, 40000},
                                                           {0, 0x0A, 0},
                                                           {1, 0x01, 180000},
                                                           {1, 0x00, 600000},
                                                           {1, 0x02, 1500000}}));
    }

    sim::ManualClock clock;
    sim::Player player;
};

// Vendor check condition with this device code.
inline ::testing::AssertionResult IsVendorError(const Answer& a, uint16_t code) {
    const auto& s = a.result.sense;
    if (a.result.outcome != sim::ScsiOutcome::CheckCondition)
        return ::testing::AssertionFailure() << "no check condition";
    if (s[0] != 0x70 || s[2] != 9 || s[7] != 10 || a.Code() != code)
        return ::testing::AssertionFailure() << "sense " << int(s[0]) << "/" << int(s[2]) << " code 0x"
                                             << std::hex << a.Code();
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult IsStandardSense(const Answer& a, uint8_t key, uint8_t asc) {
    const auto& s = a.result.sense;
    if (a.result.outcome != sim::ScsiOutcome::CheckCondition)
        return ::testing::AssertionFailure() << "no check condition";
    if (s[0] != 0x70 || s[2] != key || s[12] != asc || s[13] != 0)
        return ::testing::AssertionFailure() << "sense key " << int(s[2]) << " asc 0x" << std::hex << int(s[12]);
    return ::testing::AssertionSuccess();
}

}  // namespace simtest
