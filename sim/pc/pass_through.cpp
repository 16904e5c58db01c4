// IOCTL_SCSI_PASS_THROUGH, buffered: the request header of the build's width, then the sense
// and data areas at the offsets the header names, all in one system buffer as Windows keeps it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "sim/pc/bytes.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

namespace {

// SCSI_PASS_THROUGH: DataBufferOffset is pointer-sized, which moves the fields behind it.
constexpr bool kWide = sizeof(void*) == 8;
constexpr uint32_t kHeaderSize = kWide ? 56 : 44;
constexpr uint32_t kScsiStatus = 2;
constexpr uint32_t kCdbLength = 6;
constexpr uint32_t kSenseInfoLength = 7;
constexpr uint32_t kDataIn = 8;
constexpr uint32_t kDataTransferLength = 12;
constexpr uint32_t kTimeOutValue = 16;
constexpr uint32_t kDataBufferOffset = kWide ? 24 : 20;
constexpr uint32_t kSenseInfoOffset = kWide ? 32 : 24;
constexpr uint32_t kCdb = kWide ? 36 : 28;

constexpr uint8_t kScsiIoctlDataOut = 0;
constexpr uint8_t kScsiIoctlDataUnspecified = 2;

}  // namespace

bool SimPc::PassThrough(DeviceObject& device, const uint8_t* in, std::uint32_t inSize,
                        uint8_t* out, std::uint32_t outSize, std::uint32_t* bytesReturned) {
    if (device.disk == nullptr) return Fail(platform::kErrorInvalidFunction);
    if (inSize < kHeaderSize || outSize < kHeaderSize || Le16(in) != kHeaderSize) {
        return Fail(platform::kErrorInvalidParameter);
    }
    std::vector<uint8_t> system(std::max(inSize, outSize));
    std::memcpy(system.data(), in, inSize);
    uint8_t* header = system.data();
    const uint8_t cdbLength = header[kCdbLength];
    const uint8_t senseLength = header[kSenseInfoLength];
    const uint8_t dataIn = header[kDataIn];
    const uint32_t transferLength = Le32(header + kDataTransferLength);
    const uint32_t timeOutSeconds = Le32(header + kTimeOutValue);
    const uint64_t dataOffset = LePtr(header + kDataBufferOffset);
    const uint32_t senseOffset = Le32(header + kSenseInfoOffset);
    const bool toDevice = dataIn == kScsiIoctlDataOut;
    if (cdbLength == 0 || cdbLength > 16 || dataIn > kScsiIoctlDataUnspecified) {
        return Fail(platform::kErrorInvalidParameter);
    }
    if (senseLength != 0 &&
        (senseOffset < kHeaderSize || uint64_t(senseOffset) + senseLength > outSize)) {
        return Fail(platform::kErrorInvalidParameter);
    }
    if (transferLength != 0 &&
        (dataOffset < kHeaderSize ||
         dataOffset + transferLength > (toDevice ? inSize : outSize))) {
        return Fail(platform::kErrorInvalidParameter);
    }

    Disk& disk = *device.disk;
    ScsiRequest request;
    request.cdb = header + kCdb;
    request.cdbLength = cdbLength;
    request.transferLength = transferLength;
    if (transferLength == 0) {
        request.direction = DataDirection::None;
    } else if (toDevice) {
        request.direction = DataDirection::Out;
        request.dataOut = system.data() + dataOffset;
    } else {
        request.direction = DataDirection::In;
        request.dataIn = system.data() + dataOffset;
    }
    ScsiResult result = disk.target->Execute(request);
    m_clock.AdvanceMs(result.durationMs);
    m_trace.Command("pass-through", disk.label, request, result);
    if (result.outcome == ScsiOutcome::DeviceGone) {
        return Fail(SystemErrorOf(result, IsPresent(disk)));
    }
    if (uint64_t(result.durationMs) > uint64_t(timeOutSeconds) * 1000) {
        return Fail(platform::kErrorSemTimeout);
    }

    uint32_t returned = kHeaderSize;
    if (result.outcome == ScsiOutcome::Good) {
        header[kScsiStatus] = 0;
        header[kSenseInfoLength] = 0;
        if (request.direction == DataDirection::In) {
            PutLe32(header + kDataTransferLength, result.dataInBytes);
            returned = std::max<uint32_t>(returned, uint32_t(dataOffset) + result.dataInBytes);
        }
    } else {
        const uint8_t delivered = std::min<uint8_t>(senseLength, kSenseLength);
        header[kScsiStatus] = 2;  // CHECK CONDITION
        header[kSenseInfoLength] = delivered;
        PutLe32(header + kDataTransferLength, 0);
        std::memcpy(system.data() + senseOffset, result.sense, delivered);
        returned = std::max<uint32_t>(returned, senseOffset + delivered);
    }
    returned = std::min(returned, outSize);
    std::memcpy(out, system.data(), returned);
    *bytesReturned = returned;
    return true;
}

}  // namespace sim
