#include "sim/player/player.h"

#include <cstring>

#include "sim/player/command_set.h"
#include "sim/player/device_codes.h"
#include "sim/player/player_state.h"
#include "sim/player/sense.h"

namespace sim {

namespace {

constexpr uint32_t kRecoveryWriteMax = 4096;

bool Matches(const CommandMatch& match, const ScsiRequest& request) {
    const uint8_t op = request.cdbLength > 0 ? request.cdb[0] : 0;
    const bool vendor = request.cdbLength >= kVendorCdbLength &&
                        (op == opcode::kVendorIn || op == opcode::kVendorOut);
    if (match.op >= 0 && match.op != op) return false;
    if (match.fn >= 0 && (!vendor || match.fn != request.cdb[1])) return false;
    if (match.drive >= 0 &&
        (!vendor || !CarriesDriveNumber(op, request.cdb[1]) || match.drive != request.cdb[2]))
        return false;
    return true;
}

ScsiResult Gone(uint32_t durationMs) {
    ScsiResult r;
    r.outcome = ScsiOutcome::DeviceGone;
    r.durationMs = durationMs;
    return r;
}

}  // namespace

Player::Player(const Clock& clock, const PlayerConfig& config)
    : clock_(clock), state_(new State(config)) {}

Player::~Player() = default;

// ---------------------------------------------------------------- bus

BusPresence Player::Presence() {
    state_->Settle(clock_.NowMs());
    if (!state_->OnBus()) return BusPresence::Absent;
    return state_->recoveryMode ? BusPresence::Recovery : BusPresence::Disk;
}

uint32_t Player::BusGeneration() {
    state_->Settle(clock_.NowMs());
    return state_->generation;
}

void Player::Unplug() {
    state_->Settle(clock_.NowMs());
    state_->unplugged = true;
    state_->DropStream();
}

void Player::Plug() {
    state_->Settle(clock_.NowMs());
    if (!state_->unplugged) return;
    state_->unplugged = false;
    if (!state_->transitionPending) ++state_->generation;
}

// ---------------------------------------------------------------- identity and views

PlayerIdentity Player::Identity() const {
    PlayerIdentity identity = state_->config.identity;
    for (const auto& rule : state_->plan.rules) {
        if (rule.kind != FaultRule::Kind::Identity) continue;
        if (rule.hasVendor) identity.vendor = rule.vendor;
        if (rule.hasProduct) identity.product = rule.product;
        if (rule.hasRevision) identity.revision = rule.revision;
        if (rule.hasChip) identity.chipRevision = rule.chip;
    }
    return identity;
}

void Player::InquiryData(uint8_t out[96]) const { BuildInquiryData(Identity(), out); }

bool Player::IsRecoveryMode() const { return state_->recoveryMode; }

const PlayerConfig& Player::Config() const { return state_->config; }

bool Player::TableReadable() const { return state_->medium.TableReadable(); }

std::vector<DriveView> Player::Drives() const {
    std::vector<DriveView> views;
    for (const auto& drive : state_->medium.Drives()) {
        DriveView v;
        v.number = drive.number;
        v.type = drive.type;
        v.tag = drive.tag;
        v.sizeBytes = drive.sizeBytes;
        v.sectorSize = drive.sectorSize;
        std::memcpy(v.componentVersion, drive.componentVersion, sizeof v.componentVersion);
        std::memcpy(v.productVersion, drive.productVersion, sizeof v.productVersion);
        v.storedBytes = drive.contents.StoredBytes();
        views.push_back(v);
    }
    return views;
}

uint64_t Player::StoredBytes() const { return state_->medium.StoredBytes(); }

bool Player::ReadDrive(uint8_t number, uint64_t offset, uint8_t* out, size_t length) const {
    for (const auto& drive : state_->medium.Drives()) {
        if (drive.number != number) continue;
        if (offset > drive.sizeBytes || length > drive.sizeBytes - offset) return false;
        drive.contents.Read(offset, out, length);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- fault plan

static bool HasRule(const FaultPlan& plan, FaultRule::Kind kind) {
    for (const auto& rule : plan.rules)
        if (rule.kind == kind) return true;
    return false;
}

bool Player::SetFaultPlan(const std::string& planText, std::string* error) {
    FaultPlan plan;
    std::string ignored;
    if (!FaultPlan::Parse(planText, &plan, error != nullptr ? error : &ignored)) return false;
    state_->plan = plan;
    state_->bytesWrittenSincePlan = 0;
    if (HasRule(plan, FaultRule::Kind::TableUnreadable)) state_->medium.DamageTable();
    return true;
}

std::string Player::FaultPlanText() const { return state_->plan.ToText(); }

// Bytes the player still takes before the unplug rule pulls it off the bus.
static uint64_t WriteBudget(const Player::State& s) {
    uint64_t budget = UINT64_MAX;
    for (const auto& rule : s.plan.rules) {
        if (rule.kind != FaultRule::Kind::Unplug || rule.matched != 0) continue;
        const uint64_t left = rule.afterBytes > s.bytesWrittenSincePlan ? rule.afterBytes - s.bytesWrittenSincePlan : 0;
        if (left < budget) budget = left;
    }
    return budget;
}

static void PullPlug(Player::State& s) {
    for (auto& rule : s.plan.rules)
        if (rule.kind == FaultRule::Kind::Unplug && rule.afterBytes <= s.bytesWrittenSincePlan) rule.matched = 1;
    s.unplugged = true;
    s.DropStream();
}

// ---------------------------------------------------------------- mass-storage mode

ScsiResult Player::Execute(const ScsiRequest& hostRequest) {
    // A missing buffer carries no bytes, whatever length the host claims.
    ScsiRequest request = hostRequest;
    if (request.cdb == nullptr) request.cdbLength = 0;
    if ((request.direction == DataDirection::In && request.dataIn == nullptr) ||
        (request.direction == DataDirection::Out && request.dataOut == nullptr))
        request.transferLength = 0;
    State& s = *state_;
    const uint64_t now = clock_.NowMs();
    s.Settle(now);
    if (!s.OnBus() || s.recoveryMode) return Gone(0);

    // What the plan does to this command: counted before the command runs.
    uint32_t delayMs = 0;
    const FaultRule* failure = nullptr;
    std::vector<const FaultRule*> flips;
    for (auto& rule : s.plan.rules) {
        const bool commandRule = rule.kind == FaultRule::Kind::Fail || rule.kind == FaultRule::Kind::Flip ||
                                 rule.kind == FaultRule::Kind::Delay;
        if (!commandRule || !Matches(rule.match, request) || !rule.CountAndCheck()) continue;
        if (rule.kind == FaultRule::Kind::Delay) delayMs += rule.ms;
        if (rule.kind == FaultRule::Kind::Fail && failure == nullptr) failure = &rule;
        if (rule.kind == FaultRule::Kind::Flip) flips.push_back(&rule);
    }
    if (failure != nullptr) {
        if (failure->transport) return Gone(delayMs);
        ScsiResult r = VendorError(failure->code);
        r.durationMs = delayMs;
        return r;
    }

    CommandEnvironment env;
    // The identity is asked for by INQUIRY and the chip revision only; it is not copied for
    // every sector transfer.
    if (request.cdbLength > 0 && (request.cdb[0] == opcode::kInquiry || request.cdb[0] == opcode::kVendorIn))
        env.identity = Identity();
    env.mediaFlagClear = HasRule(s.plan, FaultRule::Kind::MediaFlagClear);
    env.writeBudget = WriteBudget(s);
    ScsiResult result = RunCommand(s.medium, request, env);
    result.durationMs = delayMs;

    if (request.direction == DataDirection::Out) s.bytesWrittenSincePlan += request.transferLength;
    if (env.leftBus) {
        PullPlug(s);
        return Gone(delayMs);
    }
    if (result.outcome == ScsiOutcome::Good) {
        for (const FaultRule* flip : flips)
            if (flip->byteOffset < result.dataInBytes)
                request.dataIn[flip->byteOffset] ^= static_cast<uint8_t>(1u << flip->bit);
        if (env.chipReset) s.LeaveBusFor(now, s.config.resetDelayMs);
    }
    return result;
}

// ---------------------------------------------------------------- recovery mode

void Player::EnterRecoveryMode() {
    State& s = *state_;
    s.Settle(clock_.NowMs());
    s.transitionPending = false;
    s.recoveryMode = true;
    s.DropStream();
    if (!s.unplugged) ++s.generation;
}

static void Boot(Player::State& s, uint64_t now) {
    s.bootedImage.swap(s.stream);
    s.DropStream();
    s.recoveryMode = false;
    s.LeaveBusFor(now, s.config.bootDelayMs);
}

RecoveryWriteResult Player::RecoveryWrite(const uint8_t* data, uint32_t length) {
    State& s = *state_;
    const uint64_t now = clock_.NowMs();
    s.Settle(now);
    RecoveryWriteResult result;
    if (!s.OnBus() || !s.recoveryMode) {
        result.deviceGone = true;
        return result;
    }
    if (s.streamBroken || (data == nullptr && length > 0)) {
        result.deviceCode = devcode::kRecoveryImage;
        return result;
    }
    if (WriteBudget(s) < length) {
        s.bytesWrittenSincePlan += length;
        PullPlug(s);
        result.deviceGone = true;
        return result;
    }
    s.bytesWrittenSincePlan += length;

    // The plan may make this write short, late or lost.
    const FaultRule* fault = nullptr;
    for (auto& rule : s.plan.rules)
        if (rule.kind == FaultRule::Kind::Recovery && rule.CountAndCheck() && fault == nullptr) fault = &rule;

    if (length > kRecoveryWriteMax) {
        s.streamBroken = true;
        s.stream.clear();
        result.deviceCode = devcode::kRecoveryImage;
        return result;
    }
    uint32_t accepted = length;
    if (fault != nullptr) {
        switch (fault->recovery) {
        case FaultRule::RecoveryFault::Never:
            // The packet is lost inside the player: its stream can no longer be trusted.
            s.streamBroken = true;
            s.stream.clear();
            result.completion = RecoveryCompletion::Never;
            return result;
        case FaultRule::RecoveryFault::Late:
            result.completion = RecoveryCompletion::Late;
            result.delayMs = fault->ms;
            break;
        case FaultRule::RecoveryFault::Short:
            if (fault->shortBytes < accepted) accepted = fault->shortBytes;
            break;
        }
    }
    if (accepted < length) {
        // A hole in the stream: whatever follows cannot make a sound image.
        s.streamBroken = true;
        s.stream.clear();
        result.acceptedBytes = accepted;
        result.deviceCode = devcode::kRecoveryImage;
        return result;
    }
    s.stream.insert(s.stream.end(), data, data + length);
    result.acceptedBytes = length;
    if (length < kRecoveryWriteMax) {
        if (s.stream.empty()) {
            result.deviceCode = devcode::kRecoveryImage;  // empty stream: nothing to boot
        } else {
            Boot(s, now);
        }
    }
    return result;
}

void Player::RecoveryCancel() {
    State& s = *state_;
    s.Settle(clock_.NowMs());
    if (!s.OnBus() || !s.recoveryMode) return;
    s.streamBroken = true;
    s.stream.clear();
}

void Player::RecoveryClose() {
    State& s = *state_;
    const uint64_t now = clock_.NowMs();
    s.Settle(now);
    if (!s.OnBus() || !s.recoveryMode) return;
    if (!s.streamBroken && !s.stream.empty()) {
        Boot(s, now);
        return;
    }
    s.DropStream();
}

uint64_t Player::RecoveryBytesReceived() {
    state_->Settle(clock_.NowMs());
    return state_->stream.size();
}

const std::vector<uint8_t>& Player::BootedImage() const { return state_->bootedImage; }

}  // namespace sim
