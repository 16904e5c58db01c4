#pragma once
// A sector sink that remembers what was written where, in disk sector numbers, keeping the
// contents of non-zero sectors only (so a 2 TiB layout fits in memory).
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "drives/sector_sink.h"
#include "firmware/byte_array.h"

class RecordingSink : public CBvSectorSink {
public:
    struct Range {
        uint64_t first;
        uint64_t count;
    };
    // (code or kind, total, index; -1 for BeginTask), and -2 for EnterPartition.
    using Task = std::tuple<int, int, int>;

    explicit RecordingSink(uint32_t sectorSize) : m_sectorSize(sectorSize) {}

    void BeginTask(int code, int total) override { tasks.emplace_back(code, total, -1); }
    void BeginIndexedTask(int kind, int total, int index) override {
        tasks.emplace_back(kind, total, index);
    }

    int32_t WriteSectors(uint64_t firstSector, uint32_t count, const CBvByteArray& data) override {
        if (failAtWrite == writes) return ERR_WRITE;
        ++writes;
        if (data.GetSize() != count * m_sectorSize) return ERR_SHORT_BUFFER;
        const uint64_t first = origin + firstSector;
        ranges.push_back({first, count});
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* bytes = data.Bytes() + uint64_t{i} * m_sectorSize;
            std::vector<uint8_t> sector(bytes, bytes + m_sectorSize);
            if (sector != std::vector<uint8_t>(m_sectorSize, 0)) nonZero[first + i] = sector;
        }
        return ERR_OK;
    }

    int32_t EnterPartition(uint64_t partitionStart) override {
        origin = partitionStart;
        tasks.emplace_back(-2, static_cast<int>(partitionStart), -2);
        return ERR_OK;
    }

    // The sector as a reader of the disk sees it: unwritten and zero-written sectors read 0.
    std::vector<uint8_t> Sector(uint64_t sector) const {
        auto it = nonZero.find(sector);
        return it == nonZero.end() ? std::vector<uint8_t>(m_sectorSize, 0) : it->second;
    }

    // Whether the sectors [first, first + count) were each written exactly once.
    bool WrittenOnce(uint64_t first, uint64_t count) const {
        for (uint64_t s = first; s < first + count; ++s) {
            int times = 0;
            for (const Range& r : ranges) times += s >= r.first && s < r.first + r.count;
            if (times != 1) return false;
        }
        return true;
    }

    uint64_t SectorsWritten() const {
        uint64_t total = 0;
        for (const Range& r : ranges) total += r.count;
        return total;
    }

    std::vector<Range> ranges;
    std::map<uint64_t, std::vector<uint8_t>> nonZero;
    std::vector<Task> tasks;
    uint64_t origin = 0;
    int writes = 0;
    int failAtWrite = -1;

private:
    uint32_t m_sectorSize;
};
