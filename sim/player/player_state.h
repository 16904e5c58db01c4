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
        : config(cfg), medium(cfg.capacityBytes, cfg.systemSectorSize, cfg.dataSectorSize) {}

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
