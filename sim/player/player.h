#pragma once
// The emulated player: the device side of the product's USB mass-storage player, as a SCSI
// target with the standard and vendor command set, a sparse flash medium divided into logical
// drives, a recovery mode that takes a firmware image as a stream of writes, a fault plan, and
// save/load of its whole state.
//
// How the owner (the simulated PC) uses it
// ----------------------------------------
// - Calls are serialised by the owner (it may call from any thread, one call at a time); the
//   player takes no locks and keeps no thread-local or mutable global state.
// - Time comes from the owner's Clock, given at construction and kept by reference (it must
//   outlive the player). Transitions happen lazily: every call first looks at the clock and
//   completes what is due (a reset or a boot whose delay has passed).
// - Bus presence: Presence() tells whether the player is on the bus, and as what:
//     Disk      a USB mass-storage disk: Execute() serves SCSI commands;
//     Recovery  the recovery-mode device ("\\.\BvMp3RecDevice%d"): RecoveryWrite()/RecoveryClose();
//     Absent    off the bus: after a chip reset (for resetDelayMs), while it boots a received
//               recovery image (for bootDelayMs, then it comes back as a Disk), or unplugged
//               (until Plug()).
//   BusGeneration() grows by one each time the player (re)appears on the bus, so the owner
//   can tell that handles opened on an earlier appearance are stale.
// - Execute() runs one SCSI command. A player that is not a Disk answers DeviceGone; a command
//   that makes it leave (the unplug fault) answers DeviceGone as well. Chip reset answers Good
//   and the player is Absent from the next call on.
// - Recovery stream (only while Presence() is Recovery), see RecoveryWrite() below.
//
// Command set (all multi-byte fields big-endian)
//   0x00 TEST UNIT READY, 0x12 INQUIRY (96 bytes, cut to the allocation length in CDB 3-4),
//   0x25 READ CAPACITY(10), 0x28 READ(10), 0x2A WRITE(10): on the data drive.
//   0xC0 (data to host) / 0xC1 (changes the player), function in CDB byte 1:
//     C0 02 media info (type in byte 2)   C0 05 logical table (max entries in byte 2)
//     C0 12 drive info (drive 2, type 3)  C0 13 sector read (drive 2, first 3-10, count 11-14)
//     C0 30 chip major revision           C1 06 allocate (entry count in byte 2, 11 x count bytes)
//     C1 07 erase medium                  C1 20 set drive info (drive 2, type 3, version 4-9)
//     C1 23 sector write (as C0 13)       C1 2F erase drive (drive 2)     C1 31 chip reset
// Failures are check conditions with fixed-format sense data:
//   - vendor errors: sense key 9, the 16-bit device code in bytes 12 (high) and 13 (low);
//   - unknown opcode: ILLEGAL REQUEST (5), ASC 0x20; bad field or wrong transfer length of a
//     standard command: 5 / 0x24; block address out of range: 5 / 0x21; no data drive (medium
//     erased, table unreadable, media flag cleared): NOT READY (2) / 0x3A.
// Transfer lengths: a data-out command needs exactly the bytes its CDB describes; a data-in
// command needs a host buffer at least as long as its answer (exactly count x sector size for
// sector reads); variable answers (media info 8, drive info 11) are cut to the host's length.
//
// The medium
//   - A new or erased medium has no table: the table commands answer 0x0201, the data-drive
//     commands NOT READY. Erase medium (C1 07) erases every drive and the table.
//   - Allocate (C1 06) takes 10-byte entries (type, tag, 64-bit size) at a stride of 11 bytes,
//     as many as CDB byte 2 says (1-10, else 0x0205; data length not 11 x count: 0x0103).
//     Types other than 0 and 1: 0x0202; a second data drive: 0x0204; more than the medium
//     holds: 0x0203. Drives are numbered 0, 1, ... in table order and laid out in that order;
//     each size is rounded up to whole sectors (2048 bytes on system drives, 512 on the data
//     drive) and the table reports the rounded size. A data drive of size 0 takes what the
//     others leave, in whole sectors (nothing left: 0x0203). A table without a data drive is
//     accepted (the PC then sees no medium). A refused table changes nothing; an accepted one
//     replaces the old table and starts every drive erased.
//   - Erased flash reads 0xFF. Erase drive (C1 2F) erases its contents and its versions
//     (back to 0.0.0). Writes replace what a sector held (the firmware remaps flash pages).
//   - The table answer (C0 05) always carries the whole count; its entries are cut to the
//     allocation length 2 + 11 x (CDB byte 2).
// Media information (C0 02, type in byte 2): 0 drive count (2 bytes), 1 capacity in bytes (8),
//   5 kind of medium, 1 = NAND flash (1), 6 flash page size (4), 7 number of flash chips (2),
//   8 serial number text (as long as the host asks), 9 media flag, 1 on a healthy player (1).
//   Other types: 0x0102.
// Drive information (C0 12, drive in byte 2, type in byte 3): 0 sector size (4), 1 size in
//   sectors (4), 2 size in bytes (8), 3 erase block size (4), 4 offset on the medium (8),
//   5 number of erase blocks (4), 6 write protected, always 0 (1), 7 component version and
//   8 product version (48: three 16-bit numbers, then zeros; system drives only, else 0x0403),
//   9 1 when nothing was written since the last erase (1), 10 type and tag (2), 11 a name for
//   the drive (as long as the host asks). Types above 11: 0x0102; unknown drive: 0x0401.
//   Set drive information (C1 20) takes types 7 and 8 only (others 0x0102), on system drives.
// Order of checks for a vendor command: the command block (16 bytes, known function, valid
//   type), the medium (0x0601 when the media flag is cleared), the table (0x0201), the drive
//   (0x0401, 0x0403), the sector range (0x0402), then the data length (0x0103).
//
// Defaults: identity "ORV     " / "KR-4471 Nova    " / "1.00", 256 MiB of flash, sectors of 2048
// bytes on system drives and 512 on the data drive.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/player/clock.h"
#include "sim/player/scsi_exchange.h"

namespace sim {

struct PlayerIdentity {
    std::string vendor = "ORV     ";            // INQUIRY bytes 8-15 (space-padded to 8)
    std::string product = "KR-4471 Nova    ";   // INQUIRY bytes 16-31 (space-padded to 16)
    std::string revision = "1.00";              // INQUIRY bytes 32-35 (space-padded to 4)
    uint16_t chipRevision = 0x0003;             // answer of the chip revision command
};

struct PlayerConfig {
    uint64_t capacityBytes = 256ull << 20;      // flash medium (0: the default)
    uint32_t systemSectorSize = 2048;           // sector size given to system drives (1 B - 1 MiB,
                                                //   else the default)
    uint32_t dataSectorSize = 512;              // sector size of the data drive (likewise)
    uint32_t resetDelayMs = 2000;               // off the bus after a chip reset
    uint32_t bootDelayMs = 3000;                // off the bus while booting a recovery image
    PlayerIdentity identity;
};

enum class BusPresence : uint8_t { Absent, Disk, Recovery };

enum class RecoveryCompletion : uint8_t {
    Now,    // the write completes at once
    Late,   // the player took the data now; the completion arrives after delayMs (a host that
            // cancels before then breaks the stream: RecoveryCancel)
    Never,  // the write never completes and its data are lost: the stream is broken
};

struct RecoveryWriteResult {
    bool deviceGone = false;         // no recovery device on the bus: the write cannot start
    uint32_t acceptedBytes = 0;      // bytes the completion reports (0 = failed)
    RecoveryCompletion completion = RecoveryCompletion::Now;
    uint32_t delayMs = 0;            // for Late
    uint16_t deviceCode = 0;         // 0, or why the player refused (0x0851 empty/broken stream)
};

// One logical drive as the player keeps it (for inspection by tools and tests).
struct DriveView {
    uint8_t number = 0;
    uint8_t type = 0;                // 0 data drive, 1 system drive
    uint8_t tag = 0;
    uint64_t sizeBytes = 0;          // as the table reports it (whole sectors)
    uint32_t sectorSize = 0;
    uint16_t componentVersion[3] = {};   // drive information type 7
    uint16_t productVersion[3] = {};     // drive information type 8
    uint64_t storedBytes = 0;        // bytes of the drive held in memory (written chunks)
};

class Player {
public:
    // A new player: medium erased, no table (the table reads as unreadable until an
    // allocation), on the bus as a Disk with generation 1.
    explicit Player(const Clock& clock, const PlayerConfig& config = PlayerConfig());
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // ---- bus
    BusPresence Presence();
    uint32_t BusGeneration();
    void Unplug();  // the cable is pulled: Absent until Plug(); a recovery stream is dropped
    void Plug();    // back on the bus in the mode it had (a pending reset or boot still runs)

    // ---- mass-storage mode
    ScsiResult Execute(const ScsiRequest& request);

    // ---- recovery mode
    // Puts the player into recovery mode (what a damaged firmware does): it leaves the disk
    // role and shows up only as the recovery device, with an empty stream.
    void EnterRecoveryMode();
    // One write of the recovery stream. At most 4096 bytes; a write shorter than 4096 bytes
    // (0 included) ends the stream. The stream also ends when the device is closed after at
    // least one byte. At its end a complete stream is booted: the player leaves the bus and
    // comes back as a Disk after bootDelayMs; the image it booted is kept (BootedImage()).
    // Empty stream (ended with no byte received): nothing is booted, the player stays in
    //   recovery mode, the ending write (if any) reports 0 bytes and device code 0x0851.
    // Broken stream (a write refused because it is longer than 4096 bytes, completed short,
    //   never completed or cancelled by the host): the player discards what it received; later
    //   writes report 0 bytes and 0x0851 until the device is closed, and the close boots nothing.
    //   The player stays in recovery mode and takes a fresh stream after the close.
    // Unplugged during a stream: the stream is dropped; after Plug() a fresh one starts.
    RecoveryWriteResult RecoveryWrite(const uint8_t* data, uint32_t length);
    void RecoveryCancel();  // the host cancelled the write it is waiting for: breaks the stream
    void RecoveryClose();   // the host closed the recovery device
    uint64_t RecoveryBytesReceived();             // bytes of the stream so far
    const std::vector<uint8_t>& BootedImage() const;  // last image booted from recovery mode

    // ---- identity (as the bus sees it: the fault plan may change it)
    PlayerIdentity Identity() const;
    void InquiryData(uint8_t out[96]) const;
    bool IsRecoveryMode() const;   // recovery is the mode the player is in (on the bus or not)

    // ---- state for tools and tests
    const PlayerConfig& Config() const;
    bool TableReadable() const;
    std::vector<DriveView> Drives() const;        // in table order; empty when unreadable
    uint64_t StoredBytes() const;                 // memory held by the contents of all drives
    // Reads a drive's contents directly, whatever the bus state (tools export from it); false
    // when there is no such drive or the range passes its end.
    bool ReadDrive(uint8_t number, uint64_t offset, uint8_t* out, size_t length) const;

    // ---- fault plan (syntax in fault_plan.h). Replaces the current plan; an empty text
    // clears it. A plan that does not parse is refused with a message and changes nothing.
    // (Every `error` out-parameter of this class may be null.)
    bool SetFaultPlan(const std::string& planText, std::string* error);
    std::string FaultPlanText() const;            // the plan in canonical form ("" for none)

    // ---- save and load of the whole state (contents: written chunks only). A pending reset
    // or boot is saved with the time it still needs and continues on this clock after a load.
    // Being unplugged is the owner's business and is neither saved nor changed by a load. A
    // successful load counts as a new appearance on the bus (BusGeneration() grows). Load
    // refuses a file that is not a player image, has an unknown format version, or is damaged
    // (checksum, lengths, values out of range), and then changes nothing.
    bool Save(const std::string& path, std::string* error);
    bool Load(const std::string& path, std::string* error);

    struct State;

private:
    const Clock& clock_;
    std::unique_ptr<State> state_;
};

}  // namespace sim
