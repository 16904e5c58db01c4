#pragma once
// The one way a command is issued. The caller constructs the command on its stack, then:
// a command whose construction failed is returned at once and never sent; `fill` puts the
// data to send behind the CDB; SendCommand; `read` takes the values out of the answer.
// The first nonzero status ends the issue and is returned.
//
//   CBvGetChipMajorRevId command;
//   return BvIssueCommand(device, command, BvNoStep, [&] { return command.GetValue(id); });
#include <cstdint>

#include "commands/scsi_command.h"
#include "device/scsi_device.h"

// Stands for a step a command does not have.
inline int32_t BvNoStep() { return ERR_OK; }

template <typename Fill, typename Read>
int32_t BvIssueCommand(CBvScsiDevice& device, CBvScsiCommand& command, Fill&& fill, Read&& read) {
    int32_t status = command.GetStatus();
    if (status == ERR_OK) status = fill();
    if (status == ERR_OK) status = device.SendCommand(command);
    if (status == ERR_OK) status = read();
    return status;
}

// For commands that neither send data nor deliver values.
inline int32_t BvIssueCommand(CBvScsiDevice& device, CBvScsiCommand& command) {
    return BvIssueCommand(device, command, BvNoStep, BvNoStep);
}
