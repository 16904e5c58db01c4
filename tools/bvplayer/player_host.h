#pragma once
// bvplayer's side of the bus: it prepares a player with the same vendor commands, sent as raw
// CDBs, that a host would send, so a new image is what a host would have left behind.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/player/player.h"

namespace bvplayer {

struct TableEntry {
    uint8_t number = 0;
    uint8_t type = 0;
    uint8_t tag = 0;
    uint64_t size = 0;
};

class PlayerHost {
public:
    explicit PlayerHost(sim::Player& player) : player_(player) {}

    // Each returns false with *error naming the command and the player's answer.
    bool EraseMedium(std::string* error);
    bool Allocate(const std::vector<TableEntry>& entries, std::string* error);
    bool ReadTable(std::vector<TableEntry>* entries, std::string* error);
    bool SectorSize(uint8_t drive, uint32_t* size, std::string* error);
    bool EraseDrive(uint8_t drive, std::string* error);
    bool SetVersion(uint8_t drive, uint8_t infoType, const uint16_t version[3], std::string* error);
    // Writes the whole drive in chunks of at most 64 KiB: the image, then 0xFF up to its end.
    bool WriteImage(const TableEntry& drive, const std::vector<uint8_t>& image, std::string* error);

private:
    bool Send(const char* what, const std::vector<uint8_t>& cdb, sim::DataDirection direction,
              uint8_t* data, uint32_t length, std::string* error);

    sim::Player& player_;
};

}  // namespace bvplayer
