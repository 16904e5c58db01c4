#include "tools/bvplayer/player_host.h"

#include <algorithm>
#include <cstdio>

#include "sim/player/device_codes.h"

namespace bvplayer {

namespace {

std::vector<uint8_t> Vendor(uint8_t op, uint8_t fn, uint8_t byte2 = 0) {
    std::vector<uint8_t> cdb(16, 0);
    cdb[0] = op;
    cdb[1] = fn;
    cdb[2] = byte2;
    return cdb;
}

void PutBe(uint8_t* p, uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

uint64_t GetBe(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
    return v;
}

constexpr uint32_t kChunkBytes = 64 * 1024;

}  // namespace

bool PlayerHost::Send(const char* what, const std::vector<uint8_t>& cdb, sim::DataDirection direction,
                      uint8_t* data, uint32_t length, std::string* error) {
    sim::ScsiRequest request;
    request.cdb = cdb.data();
    request.cdbLength = static_cast<uint32_t>(cdb.size());
    request.direction = direction;
    request.dataIn = direction == sim::DataDirection::In ? data : nullptr;
    request.dataOut = direction == sim::DataDirection::Out ? data : nullptr;
    request.transferLength = length;
    const sim::ScsiResult result = player_.Execute(request);
    if (result.outcome == sim::ScsiOutcome::Good) return true;
    char text[128];
    if (result.outcome == sim::ScsiOutcome::DeviceGone) {
        std::snprintf(text, sizeof text, "%s: the player is not on the bus as a disk", what);
    } else if (result.SenseKey() == 9 && sim::devcode::DeviceCodeMeaning(result.SenseCode()) != nullptr) {
        std::snprintf(text, sizeof text, "%s: the player refused: %s (device code 0x%04X)", what,
                      sim::devcode::DeviceCodeMeaning(result.SenseCode()), result.SenseCode());
    } else {
        std::snprintf(text, sizeof text, "%s: check condition, sense key %u, code 0x%04X", what,
                      result.SenseKey(), result.SenseCode());
    }
    *error = text;
    return false;
}

bool PlayerHost::EraseMedium(std::string* error) {
    return Send("erase medium", Vendor(0xC1, 0x07), sim::DataDirection::None, nullptr, 0, error);
}

bool PlayerHost::Allocate(const std::vector<TableEntry>& entries, std::string* error) {
    std::vector<uint8_t> data(11 * entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        data[10 * i] = entries[i].type;
        data[10 * i + 1] = entries[i].tag;
        PutBe(&data[10 * i + 2], entries[i].size, 8);
    }
    return Send("allocate", Vendor(0xC1, 0x06, static_cast<uint8_t>(entries.size())), sim::DataDirection::Out,
                data.data(), static_cast<uint32_t>(data.size()), error);
}

bool PlayerHost::ReadTable(std::vector<TableEntry>* entries, std::string* error) {
    std::vector<uint8_t> answer(2 + 11 * 10, 0);
    if (!Send("read table", Vendor(0xC0, 0x05, 10), sim::DataDirection::In, answer.data(),
              static_cast<uint32_t>(answer.size()), error))
        return false;
    const uint64_t count = std::min<uint64_t>(GetBe(answer.data(), 2), 10);
    entries->clear();
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* e = &answer[2 + 11 * i];
        entries->push_back(TableEntry{e[0], e[1], e[2], GetBe(e + 3, 8)});
    }
    return true;
}

bool PlayerHost::SectorSize(uint8_t drive, uint32_t* size, std::string* error) {
    std::vector<uint8_t> cdb = Vendor(0xC0, 0x12, drive);
    uint8_t answer[4] = {};
    if (!Send("drive information", cdb, sim::DataDirection::In, answer, 4, error)) return false;
    *size = static_cast<uint32_t>(GetBe(answer, 4));
    return true;
}

bool PlayerHost::EraseDrive(uint8_t drive, std::string* error) {
    return Send("erase drive", Vendor(0xC1, 0x2F, drive), sim::DataDirection::None, nullptr, 0, error);
}

bool PlayerHost::SetVersion(uint8_t drive, uint8_t infoType, const uint16_t version[3], std::string* error) {
    std::vector<uint8_t> cdb = Vendor(0xC1, 0x20, drive);
    cdb[3] = infoType;
    for (int i = 0; i < 3; ++i) PutBe(&cdb[4 + 2 * i], version[i], 2);
    return Send("set drive information", cdb, sim::DataDirection::None, nullptr, 0, error);
}

bool PlayerHost::WriteImage(const TableEntry& drive, const std::vector<uint8_t>& image, std::string* error) {
    uint32_t sectorSize = 0;
    if (!SectorSize(drive.number, &sectorSize, error)) return false;
    const uint64_t sectors = (drive.size + sectorSize - 1) / sectorSize;
    const uint64_t perChunk = std::max<uint64_t>(1, kChunkBytes / sectorSize);
    std::vector<uint8_t> chunk;
    for (uint64_t first = 0; first < sectors; first += perChunk) {
        const uint64_t count = std::min(perChunk, sectors - first);
        chunk.assign(static_cast<size_t>(count * sectorSize), 0xFF);
        const uint64_t offset = first * sectorSize;
        if (offset < image.size()) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), image.size() - offset));
            std::copy(image.begin() + static_cast<std::ptrdiff_t>(offset),
                      image.begin() + static_cast<std::ptrdiff_t>(offset + n), chunk.begin());
        }
        std::vector<uint8_t> cdb = Vendor(0xC1, 0x23, drive.number);
        PutBe(&cdb[3], first, 8);
        PutBe(&cdb[11], count, 4);
        if (!Send("write sectors", cdb, sim::DataDirection::Out, chunk.data(),
                  static_cast<uint32_t>(chunk.size()), error))
            return false;
    }
    return true;
}

}  // namespace bvplayer
