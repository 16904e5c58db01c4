#pragma once
// A disk of the PC that is not a player (the system disk, a card reader, another stick): it
// answers the standard commands a disk driver and an INQUIRY scan send, and nothing else.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/pc/scsi_target.h"

namespace sim {

struct PlainDiskConfig {
    std::string vendor = "GENERIC ";          // blank-padded to 8
    std::string product = "DISK            "; // blank-padded to 16
    std::string revision = "1.00";            // blank-padded to 4
    bool removable = false;
    uint64_t sectorCount = 2u << 20;          // 1 GiB of 512-byte sectors
    uint32_t sectorSize = 512;
};

class PlainDisk final : public ScsiTarget {
public:
    explicit PlainDisk(const PlainDiskConfig& config) : m_config(config) {}

    BusPresence Presence() override { return BusPresence::Disk; }
    uint32_t BusGeneration() override { return 1; }
    ScsiResult Execute(const ScsiRequest& request) override;
    Player* AsPlayer() override { return nullptr; }

private:
    ScsiResult Inquiry(const ScsiRequest& request) const;
    ScsiResult ReadCapacity(const ScsiRequest& request) const;
    ScsiResult Transfer(const ScsiRequest& request, bool write);

    PlainDiskConfig m_config;
    std::map<uint64_t, std::vector<uint8_t>> m_sectors;  // written sectors only
};

}  // namespace sim
