#include "sim/pc/scsi_trace.h"

#include <cstdlib>

namespace sim {

namespace {

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, static_cast<unsigned>(value));
    return text;
}

const char* DirectionName(DataDirection direction) {
    switch (direction) {
    case DataDirection::In: return "in";
    case DataDirection::Out: return "out";
    case DataDirection::None: break;
    }
    return "none";
}

std::string CommandLine(const char* path, const std::string& target, const ScsiRequest& request,
                        const ScsiResult& result) {
    std::string line = std::string(path) + " " + target + " cdb";
    for (uint32_t i = 0; i < request.cdbLength; ++i) line += " " + Hex(request.cdb[i], 2);
    line += " " + std::string(DirectionName(request.direction)) + " " +
            std::to_string(request.direction == DataDirection::None ? 0
                                                                    : request.transferLength);
    switch (result.outcome) {
    case ScsiOutcome::Good: line += " -> good"; break;
    case ScsiOutcome::CheckCondition:
        line += " -> sense key " + std::to_string(result.SenseKey()) + " code 0x" +
                Hex(result.SenseCode(), 4);
        break;
    case ScsiOutcome::DeviceGone: line += " -> device gone"; break;
    }
    return line;
}

}  // namespace

ScsiTrace::ScsiTrace() {
    const char* path = std::getenv("BVSIM_TRACE");
    if (path != nullptr && *path != '\0') m_file = std::fopen(path, "a");
}

ScsiTrace::~ScsiTrace() {
    if (m_file != nullptr) std::fclose(m_file);
}

void ScsiTrace::Command(const char* path, const std::string& target, const ScsiRequest& request,
                        const ScsiResult& result) {
    if (m_file == nullptr) return;
    Write(CommandLine(path, target, request, result));
}

void ScsiTrace::RecoveryWrite(const std::string& target, uint32_t length,
                              const RecoveryWriteResult& result) {
    if (m_file == nullptr) return;
    std::string line = "recovery " + target + " write " + std::to_string(length) + " -> ";
    if (result.deviceGone) {
        line += "device gone";
    } else if (result.completion == RecoveryCompletion::Never) {
        line += "never completes";
    } else {
        line += "accepted " + std::to_string(result.acceptedBytes);
        if (result.deviceCode != 0) line += " code 0x" + Hex(result.deviceCode, 4);
        if (result.completion == RecoveryCompletion::Late) {
            line += " after " + std::to_string(result.delayMs) + " ms";
        }
    }
    Write(line);
}

void ScsiTrace::Write(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::fprintf(m_file, "%s\n", line.c_str());
    std::fflush(m_file);
}

}  // namespace sim
