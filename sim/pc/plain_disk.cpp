#include "sim/pc/plain_disk.h"

#include <algorithm>
#include <cstring>

namespace sim {

namespace {

ScsiResult CheckCondition(uint8_t key, uint8_t asc) {
    ScsiResult result;
    result.outcome = ScsiOutcome::CheckCondition;
    result.sense[0] = 0x70;
    result.sense[2] = key;
    result.sense[7] = 10;
    result.sense[12] = asc;
    return result;
}

void PutPadded(uint8_t* out, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) out[i] = i < text.size() ? text[i] : ' ';
}

uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

}  // namespace

ScsiResult PlainDisk::Execute(const ScsiRequest& request) {
    if (request.cdbLength < 6) return CheckCondition(5, 0x24);
    switch (request.cdb[0]) {
    case 0x00: return ScsiResult();
    case 0x12: return Inquiry(request);
    case 0x25: return ReadCapacity(request);
    case 0x28: return Transfer(request, false);
    case 0x2A: return Transfer(request, true);
    default: return CheckCondition(5, 0x20);
    }
}

ScsiResult PlainDisk::Inquiry(const ScsiRequest& request) const {
    uint8_t data[96] = {};
    data[1] = m_config.removable ? 0x80 : 0x00;
    data[2] = 0x02;
    data[3] = 0x02;
    data[4] = 91;
    PutPadded(data + 8, m_config.vendor, 8);
    PutPadded(data + 16, m_config.product, 16);
    PutPadded(data + 32, m_config.revision, 4);
    uint32_t allocation = uint32_t(request.cdb[3]) << 8 | request.cdb[4];
    uint32_t length = std::min<uint32_t>({96, allocation, request.transferLength});
    if (request.direction != DataDirection::In) length = 0;
    ScsiResult result;
    if (length > 0) std::memcpy(request.dataIn, data, length);
    result.dataInBytes = length;
    return result;
}

ScsiResult PlainDisk::ReadCapacity(const ScsiRequest& request) const {
    if (request.direction != DataDirection::In || request.transferLength < 8) {
        return CheckCondition(5, 0x24);
    }
    uint64_t last = m_config.sectorCount - 1;
    PutBe32(request.dataIn, last > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(last));
    PutBe32(request.dataIn + 4, m_config.sectorSize);
    ScsiResult result;
    result.dataInBytes = 8;
    return result;
}

ScsiResult PlainDisk::Transfer(const ScsiRequest& request, bool write) {
    if (request.cdbLength < 10) return CheckCondition(5, 0x24);
    uint64_t lba = Be32(request.cdb + 2);
    uint32_t count = uint32_t(request.cdb[7]) << 8 | request.cdb[8];
    uint64_t bytes = uint64_t(count) * m_config.sectorSize;
    DataDirection wanted = write ? DataDirection::Out : DataDirection::In;
    if (count > 0 && (request.direction != wanted || request.transferLength != bytes)) {
        return CheckCondition(5, 0x24);
    }
    if (lba + count > m_config.sectorCount) return CheckCondition(5, 0x21);
    ScsiResult result;
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = size_t(i) * m_config.sectorSize;
        if (write) {
            m_sectors[lba + i].assign(request.dataOut + at,
                                      request.dataOut + at + m_config.sectorSize);
            continue;
        }
        auto found = m_sectors.find(lba + i);
        if (found == m_sectors.end()) {
            std::memset(request.dataIn + at, 0, m_config.sectorSize);
        } else {
            std::memcpy(request.dataIn + at, found->second.data(), m_config.sectorSize);
        }
    }
    if (!write) result.dataInBytes = uint32_t(bytes);
    return result;
}

}  // namespace sim
