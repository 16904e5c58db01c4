#pragma once
// Everything a player is, in one record, so that loading can build a complete new state and
// swap it in only when the file was sound.
#include <cstdint>
#include <vector>

#include "sim/player/fault_plan.h"
#include "sim/player/medium.h"
#include "sim/player/player.h"

namespace sim {

struct Player::State {
    explicit State(const PlayerConfig& cfg)
        : config(Sane(cfg)), medium(config.capacityBytes, config.systemSectorSize, config.dataSectorSize) {}

    static constexpr uint32_t kMaxSectorSize = 1u << 20;

    // A medium or a sector size of 0 would leave the player unable to lay out a drive, and the
    // image file takes sectors up to 1 MiB: anything else becomes the default.
    static PlayerConfig Sane(PlayerConfig cfg) {
        const PlayerConfig defaults;
        if (cfg.capacityBytes == 0) cfg.capacityBytes = defaults.capacityBytes;
        if (cfg.systemSectorSize == 0 || cfg.systemSectorSize > kMaxSectorSize)
            cfg.systemSectorSize = defaults.systemSectorSize;
        if (cfg.dataSectorSize == 0 || cfg.dataSectorSize > kMaxSectorSize)
            cfg.dataSectorSize = defaults.dataSectorSize;
        return cfg;
    }

    PlayerConfig config;
    Medium medium;
    FaultPlan plan;
    uint64_t bytesWrittenSincePlan = 0;   // for the unplug rule

    bool recoveryMode = false;            // the role the player has when it is on the bus
    bool unplugged = false;
    bool transitionPending = false;       // off the bus after a reset or while booting
    uint64_t transitionDueMs = 0;
    uint32_t generation = 1;

    std::vector<uint8_t> stream;          // recovery image received so far
    bool streamBroken = false;
    std::vector<uint8_t> bootedImage;

    // Completes a reset or a boot whose time has come.
    void Settle(uint64_t now) {
        if (!transitionPending || now < transitionDueMs) return;
        transitionPending = false;
        if (!unplugged) ++generation;
    }
    bool OnBus() const { return !unplugged && !transitionPending; }
    void LeaveBusFor(uint64_t now, uint32_t delayMs) {
        transitionPending = true;
        transitionDueMs = now + delayMs;
    }
    void DropStream() {
        stream.clear();
        streamBroken = false;
    }
};

}  // namespace sim
