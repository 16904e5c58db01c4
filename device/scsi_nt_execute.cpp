// One SCSI command through the NT transport: a buffered pass-through request issued on a worker
// thread, while the calling thread lets the window process its messages.
#include <algorithm>
#include <memory>
#include <new>

#include "device/little_endian.h"
#include "device/pass_through_block.h"
#include "device/scsi_nt.h"
#include "platform/control_codes.h"
#include "platform/platform.h"

uint32_t CBvScsi_Nt::PassThroughWorker(void* device) {
    static_cast<CBvScsi_Nt*>(device)->RunPassThrough();
    return 0;
}

// Runs on the worker: touches only the handle, the block and the system error, which the
// caller reads after the worker has ended.
void CBvScsi_Nt::RunPassThrough() {
    const uint32_t blockSize = BvGetLe32(m_currentBlock + kBvPassThroughNative.blockSizeField);
    uint32_t returned = 0;
    const bool done = platform::DeviceIo().DeviceIoControl(DeviceHandle(), platform::kIoctlScsiPassThrough,
                                                           m_currentBlock, blockSize, m_currentBlock, blockSize,
                                                           &returned);
    SetSystemError(done ? 0 : platform::System().GetLastError());
}

int32_t CBvScsi_Nt::Execute(const CBvByteArray& commandBytes, uint8_t cdbLength, bool dataOut,
                            CBvByteArray& response) {
    if (!IsOpen()) {
        const int32_t status = Open();
        if (status != ERR_OK) return status;
    }
    const BvPassThroughLayout& layout = kBvPassThroughNative;
    const uint32_t dataLength = TransferLength(commandBytes, cdbLength, response);
    const uint64_t blockSize = BvPassThroughBlockSize(layout, dataLength);
    if (blockSize > UINT32_MAX) return ERR_NO_MEMORY;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockSize]());
    if (!block) return ERR_NO_MEMORY;
    BvFillPassThroughBlock(layout, block.get(), commandBytes, cdbLength, dataOut, dataLength);

    m_currentBlock = block.get();
    const platform::Handle worker = platform::Kernel().CreateThread(&CBvScsi_Nt::PassThroughWorker, this);
    if (worker == platform::kNullHandle) {
        // The request could not be issued: a failed request like any other.
        m_currentBlock = nullptr;
        return ReportSystemFailure(ERR_DISK_CONTROL);
    }
    uint32_t wait = platform::kWaitTimeout;
    while ((wait = platform::Kernel().WaitForSingleObject(worker, 0, false)) == platform::kWaitTimeout) {
        PumpProgress();
    }
    // The block must outlive the worker whatever the poll reported.
    if (wait != platform::kWaitObject0) platform::Kernel().WaitForSingleObject(worker, platform::kInfinite, false);
    platform::Kernel().CloseHandle(worker);
    m_currentBlock = nullptr;

    if (GetSystemError() != 0) return ReportFailure(ERR_DISK_CONTROL);
    if (block[kBvPassThroughScsiStatus] != 0) {
        const uint8_t delivered = std::min(block[kBvPassThroughSenseLength], kBvPassThroughSenseBufferSize);
        return ReportSenseFailure(block.get() + layout.senseOffset, delivered);
    }
    for (uint32_t i = 0; i < response.GetSize(); ++i) response.SetAt(i, block[layout.dataOffset + i]);
    return ERR_OK;
}
