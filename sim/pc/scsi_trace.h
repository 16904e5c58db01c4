#pragma once
// The trace of what the simulated PC delivers to its players: one line per SCSI command,
// whatever the path, and per recovery write. Written to the file named by BVSIM_TRACE (read
// when the PC is created); nothing is written when it is unset.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "sim/player/player.h"

namespace sim {

class ScsiTrace {
public:
    ScsiTrace();
    ~ScsiTrace();
    ScsiTrace(const ScsiTrace&) = delete;
    ScsiTrace& operator=(const ScsiTrace&) = delete;

    // path: "pass-through", "aspi" or "disk" (requests of the disk driver: volume and disk
    // I/O, geometry, layout); target names the drive.
    void Command(const char* path, const std::string& target, const ScsiRequest& request,
                 const ScsiResult& result);
    void RecoveryWrite(const std::string& target, uint32_t length,
                       const RecoveryWriteResult& result);

private:
    void Write(const std::string& line);

    std::mutex m_mutex;
    std::FILE* m_file = nullptr;
};

}  // namespace sim
