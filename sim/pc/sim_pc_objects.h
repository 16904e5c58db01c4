#pragma once
// The simulated PC's own records: its disks and the kernel objects behind handles. Shared by
// the PC's source files only.
#include <limits>

#include "sim/pc/sim_pc.h"

namespace sim {

struct SimPc::Disk {
    DiskSlot slot;
    uint32_t driveType = platform::kDriveFixed;
    std::string label;                      // names the drive in the trace
    std::unique_ptr<Player> player;         // set for players
    std::unique_ptr<ScsiTarget> target;
    platform::Handle volumeLockOwner = platform::kNullHandle;
    bool busy = false;
    int dosLocks = 0;
};

struct SimPc::Object {
    enum class Kind : uint8_t { kEvent, kThread, kDevice, kModule };
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
};

struct SimPc::EventObject final : Object {
    EventObject(bool manual, bool initially)
        : Object(Kind::kEvent), manualReset(manual), signalled(initially) {}
    bool manualReset;
    bool signalled;
};

struct SimPc::ThreadObject final : Object {
    ThreadObject() : Object(Kind::kThread) {}
    std::thread thread;
    bool done = false;
};

struct SimPc::DeviceObject final : Object {
    enum class Type : uint8_t { kVolume, kPhysical, kVwin32, kRecovery };
    explicit DeviceObject(Type t) : Object(Kind::kDevice), type(t) {}
    Type type;
    Disk* disk = nullptr;         // null for VWIN32 and for drive letters without a disk
    int letter = 0;               // volumes
    uint32_t access = 0;
    uint32_t shareMode = 0;
    uint32_t flags = 0;
    uint32_t generation = 0;      // the disk's bus generation when opened
    platform::Handle handle = platform::kNullHandle;
    uint64_t position = 0;        // byte offset of the next read or write
    uint64_t partitionStart = 0;  // sectors: where the volume's sector 0 lies on the disk
    uint64_t partitionSectors = 0;
    uint32_t sectorSize = 512;
    bool sizeKnown = false;
};

struct SimPc::ModuleObject final : Object {
    explicit ModuleObject(const ModuleStringTables* s = nullptr) : Object(Kind::kModule), strings(s) {}
    const ModuleStringTables* strings;  // a language module's texts; null for WNASPI32.DLL
};

// A completion routine waiting for the writer's next alertable wait.
struct SimPc::Apc {
    static constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
    std::thread::id thread;
    platform::Handle device = platform::kNullHandle;
    uint64_t readyAtMs = kNever;
    platform::CompletionRoutine routine = nullptr;
    platform::Overlapped* overlapped = nullptr;
    uint32_t error = 0;
    uint32_t bytes = 0;
};

// Windows' error for a SCSI failure of a disk request, as its class driver maps sense data.
uint32_t SystemErrorOf(const ScsiResult& result, bool stillOnBus);

}  // namespace sim
