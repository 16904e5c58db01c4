#pragma once
// The fault plan of one player: what goes wrong, and when. Declared by a test or stored in a
// player image with `bvplayer fault FILE PLAN`.
//
// PLAN syntax: rules separated by ';', each a kind followed by blank-separated KEY=VALUE
// words or flags. Numbers are decimal or 0x-hexadecimal. TEXT may be put in double quotes to
// hold blanks.
//
//   fail     [op=N] [fn=N] [drive=N] [nth=N] [times=N] (code=N | transport)
//            the matching command fails: a check condition with sense key 9 and device code N,
//            or a transport failure (DeviceGone for that one command; the player stays).
//   flip     [op=N] [fn=N] [drive=N] [nth=N] [times=N] [byte=N] [bit=N]
//            the matching data-in command delivers its data with bit `bit` (0-7, default 0) of
//            byte `byte` (default 0) inverted; the stored data stay intact.
//   delay    [op=N] [fn=N] [drive=N] [nth=N] [times=N] ms=N
//            the matching command takes N ms (ScsiResult::durationMs).
//   recovery [nth=N] [times=N] (short=N | late=MS | never)
//            the matching recovery write completes with only N bytes accepted (at most the
//            requested length), completes after MS milliseconds, or never completes.
//   unplug   after=N
//            the player leaves the bus (unplugged) when the data written to it (data-out bytes
//            of SCSI commands and recovery writes, counted from when the plan is set) would pass
//            N bytes; whole sectors below the limit are still stored.
//   table-unreadable
//            damages the logical media table now: it reads as unreadable until the next
//            allocation (an allocation repairs it).
//   media-flag-clear
//            media info type 9 answers 0 and the medium counts as absent.
//   identity [vendor=TEXT] [product=TEXT] [revision=TEXT] [chip=N]
//            the player reports this identity (texts blank-padded to 8, 16 and 4 characters).
//
// Matching: op = CDB byte 0; fn = CDB byte 1 of a vendor command (0xC0/0xC1); drive = the
// drive number in CDB byte 2 of the vendor commands that carry one (0x12, 0x13, 0x20, 0x23,
// 0x2F). Keys left out match anything. Each rule counts the commands (or recovery writes) that
// match it; it acts on the nth (default 1) and the times-1 after it (times default 1; 0 = every
// one from the nth on). Example:
//   fail op=0xC1 fn=0x23 drive=2 nth=3 code=0x0501; flip op=0x28 byte=17 bit=3; unplug after=65536
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct CommandMatch {
    int op = -1;       // -1: any
    int fn = -1;
    int drive = -1;
    uint32_t nth = 1;
    uint32_t times = 1;  // 0: every match from the nth on
};

struct FaultRule {
    enum class Kind : uint8_t { Fail, Flip, Delay, Recovery, Unplug, TableUnreadable,
                                MediaFlagClear, Identity };
    enum class RecoveryFault : uint8_t { Short, Late, Never };

    Kind kind = Kind::Fail;
    CommandMatch match;
    bool transport = false;       // Fail: transport failure instead of a device code
    uint16_t code = 0;            // Fail: device code
    uint32_t byteOffset = 0;      // Flip
    uint8_t bit = 0;              // Flip
    uint32_t ms = 0;              // Delay; Recovery Late
    RecoveryFault recovery = RecoveryFault::Short;
    uint32_t shortBytes = 0;      // Recovery Short
    uint64_t afterBytes = 0;      // Unplug
    bool hasVendor = false, hasProduct = false, hasRevision = false, hasChip = false;
    std::string vendor, product, revision;  // Identity
    uint16_t chip = 0;

    uint64_t matched = 0;         // how many commands matched so far (state, not syntax)

    // Counts one matching event and says whether the rule acts on it.
    bool CountAndCheck();
};

struct FaultPlan {
    std::vector<FaultRule> rules;

    // Parses PLAN; on failure leaves *plan unchanged and explains in *error.
    static bool Parse(const std::string& planText, FaultPlan* plan, std::string* error);
    // The plan in canonical PLAN form (parses back to the same plan).
    std::string ToText() const;
};

}  // namespace sim
