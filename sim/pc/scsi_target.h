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
};

class PlayerTarget final : public ScsiTarget {
public:
    explicit PlayerTarget(Player& player) : m_player(player) {}
    BusPresence Presence() override { return m_player.Presence(); }
    uint32_t BusGeneration() override { return m_player.BusGeneration(); }
    ScsiResult Execute(const ScsiRequest& request) override { return m_player.Execute(request); }

private:
    Player& m_player;
};

}  // namespace sim
