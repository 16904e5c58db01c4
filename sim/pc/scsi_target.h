#pragma once
// What the simulated PC attaches to a drive: a SCSI target on the bus. The emulated player is
// one (through PlayerTarget); PlainDisk stands for the PC's other disks.
#include <cstdint>

#include "sim/player/player.h"

namespace sim {

class ScsiTarget {
public:
    virtual ~ScsiTarget() = default;
    virtual BusPresence Presence() = 0;
    virtual uint32_t BusGeneration() = 0;
    virtual ScsiResult Execute(const ScsiRequest& request) = 0;
    // The emulated player behind this target, or null for a plain disk.
    virtual Player* AsPlayer() = 0;
};

class PlayerTarget final : public ScsiTarget {
public:
    explicit PlayerTarget(Player& player) : m_player(player) {}
    BusPresence Presence() override { return m_player.Presence(); }
    uint32_t BusGeneration() override { return m_player.BusGeneration(); }
    ScsiResult Execute(const ScsiRequest& request) override { return m_player.Execute(request); }
    Player* AsPlayer() override { return &m_player; }

private:
    Player& m_player;
};

}  // namespace sim
