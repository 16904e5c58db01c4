#include "device/scsi_device.h"

#include <new>

#include "commands/scsi_command.h"
#include "commands/standard_commands.h"
#include "device/issue_command.h"

namespace {

constexpr uint8_t kSenseKeyVendorSpecific = 9;
constexpr uint32_t kSenseKeyOffset = 2;
constexpr uint32_t kDeviceCodeOffset = 12;

}  // namespace

CBvScsiDevice::CBvScsiDevice(CBvUpdater* engine, std::string objectName)
    : CBvBase(std::move(objectName)), m_engine(engine) {}

CBvScsiDevice::~CBvScsiDevice() = default;

int32_t CBvScsiDevice::WriteSectors(const CBvByteArray& data, uint32_t count, uint32_t firstSector,
                                    uint32_t sectorSize) {
    CBvWrite command(firstSector, count, sectorSize);
    return BvIssueCommand(*this, command, [&] { return command.SetData(data); }, BvNoStep);
}

int32_t CBvScsiDevice::ReadSectors(CBvByteArray& data, uint32_t count, uint32_t firstSector, uint32_t sectorSize) {
    CBvRead command(firstSector, count, sectorSize);
    return BvIssueCommand(*this, command, BvNoStep, [&] { return command.GetData(data); });
}

int32_t CBvScsiDevice::WritePartitionTable(const BvDiskGeometry&, uint32_t) { return ERR_OK; }

int32_t CBvScsiDevice::GetPartitionTable(CBvByteArray&) { return ERR_OK; }

int32_t CBvScsiDevice::FindPhysicalDrive() { return ERR_OK; }

int32_t CBvScsiDevice::SendCommand(CBvScsiCommand& command) {
    if (command.GetStatus() != ERR_OK) return command.GetStatus();
    command.BuildCdb();
    CBvByteArray answer(command.GetResponseLength(), "CBvByteArray");
    if (answer.GetStatus() != ERR_OK) return ERR_NO_MEMORY;
    int32_t status =
        Execute(command.GetCommandBytes(), static_cast<uint8_t>(command.GetCdbLength()), command.IsDataOut(), answer);
    if (status != ERR_OK) return status;
    if (command.IsDataOut()) return ERR_OK;
    return command.StoreResponse(answer);
}

void CBvScsiDevice::RecordSense(const uint8_t* bytes, uint32_t count) {
    uint8_t kept = static_cast<uint8_t>(count);
    m_lastSense.reset(new (std::nothrow) CBvByteArray(kept, "CBvByteArray"));
    if (!m_lastSense || m_lastSense->GetStatus() != ERR_OK) {
        m_lastSense.reset();
        return;
    }
    if (kept) m_lastSense->SetBytes(bytes, kept, 0);
}

bool CBvScsiDevice::GetVendorErrorCode(uint16_t& code) const {
    uint8_t senseKey = 0;
    if (!m_lastSense || m_lastSense->GetAt(kSenseKeyOffset, senseKey) != ERR_OK) return false;
    if (senseKey != kSenseKeyVendorSpecific) return false;
    return m_lastSense->GetU16(kDeviceCodeOffset, code) == ERR_OK;
}
