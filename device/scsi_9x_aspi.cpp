// SCSI commands and queries through ASPI: one request block per command, completion by event.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "device/aspi_requests.h"
#include "device/little_endian.h"
#include "device/scsi_9x.h"
#include "platform/platform.h"

namespace {

using namespace platform::aspi;

constexpr uint8_t kNoBiosDrive = 0xFF;

}  // namespace

int32_t CBvScsi_9x::Execute(const CBvByteArray& commandBytes, uint8_t cdbLength, bool dataOut,
                            CBvByteArray& response) {
    if (!AspiUsable()) return ERR_SCSI_COMMAND;
    const uint32_t dataLength = TransferLength(commandBytes, cdbLength, response);
    // At least one byte, so that a command without data still names a buffer.
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[std::max<uint32_t>(dataLength, 1)]());
    if (!buffer) return ERR_NO_MEMORY;
    if (commandBytes.GetSize() > cdbLength) {
        std::memcpy(buffer.get(), commandBytes.Bytes() + cdbLength, commandBytes.GetSize() - cdbLength);
    }

    const platform::Handle event = platform::Kernel().CreateEvent(true, false);
    if (event == platform::kNullHandle) return ReportSystemFailure(ERR_DEVICE_CONTROL);

    const BvAspiExecLayout& layout = kBvAspiExecNative;
    uint8_t srb[kBvAspiExecMaxSize] = {};
    srb[kBvSrbCmd] = kScExecScsiCmd;
    srb[kBvSrbHaId] = m_hostAdapter;
    srb[kBvSrbFlags] = kSrbEventNotify | (dataOut ? kSrbDirOut : kSrbDirIn);
    BvPutLe32(srb + kBvSrbBufLen, dataLength);
    BvPutLeWord(srb + layout.bufPointer, layout.pointerWidth, reinterpret_cast<uintptr_t>(buffer.get()));
    srb[layout.senseLen] = kBvAspiSenseLength;
    srb[layout.cdbLen] = cdbLength;
    BvPutLeWord(srb + layout.postProc, layout.pointerWidth, event);
    const uint32_t cdbBytes = std::min<uint32_t>({cdbLength, commandBytes.GetSize(), 16});
    for (uint32_t i = 0; i < cdbBytes; ++i) srb[layout.cdb + i] = commandBytes.Bytes()[i];

    platform::Kernel().ResetEvent(event);
    bool failed = true;
    if (m_sendCommand(srb) == kSsPending) {
        uint32_t wait = platform::kWaitTimeout;
        while ((wait = platform::Kernel().WaitForSingleObject(event, 0, false)) == platform::kWaitTimeout) {
            PumpProgress();
        }
        failed = wait != platform::kWaitObject0;
    }
    // A command that completed at once still counts as failed, though its answer is copied.
    if (srb[kBvSrbStatus] != kSsComp) {
        SetSystemError(srb[kBvSrbStatus]);
        ReportSenseFailure(srb + layout.senseArea, kBvAspiSenseLength);
        failed = true;
    } else {
        for (uint32_t i = 0; i < response.GetSize(); ++i) response.SetAt(i, buffer[i]);
    }
    platform::Kernel().CloseHandle(event);
    return failed ? ERR_SCSI_COMMAND : ERR_OK;
}

int32_t CBvScsi_9x::QueryHostAdapterCount(uint8_t& count) {
    uint8_t srb[kBvSrbHaInquirySize] = {};
    srb[kBvSrbCmd] = kScHaInquiry;
    srb[kBvSrbHaId] = 0;
    count = 0;
    if (!AspiUsable() || m_sendCommand(srb) != kSsComp) return ERR_SCSI_COMMAND;
    count = srb[kBvSrbHaCount];
    return ERR_OK;
}

int32_t CBvScsi_9x::QueryBiosDriveNumber(uint8_t hostAdapter, uint8_t& unit) {
    uint8_t srb[kBvSrbDiskInfoSize] = {};
    srb[kBvSrbCmd] = kScGetDiskInfo;
    srb[kBvSrbHaId] = hostAdapter;
    unit = kNoBiosDrive;
    if (!AspiUsable() || m_sendCommand(srb) != kSsComp) return ERR_SCSI_COMMAND;
    // BIOS hard disk numbers start at 80h; anything lower means the disk has none, and so
    // does FFh, which would otherwise match the first drive letter that has no BIOS number.
    if (srb[kBvSrbInt13Drive] < 0x80 || srb[kBvSrbInt13Drive] == kNoBiosDrive) return ERR_DISK_INFO;
    unit = srb[kBvSrbInt13Drive];
    return ERR_OK;
}
