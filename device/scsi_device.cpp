#include "device/scsi_device.h"

#include <algorithm>
#include <new>

#include "app/error_record.h"
#include "commands/scsi_command.h"
#include "commands/standard_commands.h"
#include "device/issue_command.h"
#include "engine/updater.h"
#include "platform/platform.h"
#include "text/resource.h"
#include "ui/progress.h"

namespace {

constexpr uint8_t kSenseKeyVendorSpecific = 9;
constexpr uint32_t kSenseKeyOffset = 2;
constexpr uint32_t kDeviceCodeOffset = 12;

}  // namespace

CBvScsiDevice::CBvScsiDevice(CBvUpdater* engine, std::string objectName)
    : CBvBase(std::move(objectName)), m_engine(engine) {}

CBvScsiDevice::~CBvScsiDevice() {
    if (platform::IsValidHandle(m_handle)) platform::Kernel().CloseHandle(m_handle);
}

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

std::wstring CBvScsiDevice::SenseText() const {
    if (!m_lastSense) return std::wstring();
    const std::wstring bytes = m_lastSense->ToHexText();
    uint16_t code = 0;
    CBvResource* resource = m_engine ? m_engine->GetResource() : nullptr;
    // Without a language module the bytes are all there is to show.
    if (!GetVendorErrorCode(code) || !resource) return bytes;
    std::wstring text;
    if (resource->GetDeviceErrorText(code, text, false) == ERR_UNKNOWN_DEVICE_CODE) text += L"\n" + bytes;
    return text;
}

int32_t CBvScsiDevice::ReportFailure(int32_t status) {
    SetStatus(status);
    if (m_engine && m_engine->GetErrorRecord()) m_engine->GetErrorRecord()->RecordFailure(*this);
    SetStatus(ERR_OK);
    SetSystemError(0);
    return status;
}

int32_t CBvScsiDevice::ReportSystemFailure(int32_t status) {
    SetSystemError(platform::System().GetLastError());
    return ReportFailure(status);
}

int32_t CBvScsiDevice::ReportSenseFailure(const uint8_t* sense, uint32_t count) {
    SetStatus(ERR_SCSI_COMMAND);
    RecordSense(sense, count);
    if (m_engine && m_engine->GetErrorRecord()) m_engine->GetErrorRecord()->RecordFailureDetail(*this, SenseText());
    SetStatus(ERR_OK);
    SetSystemError(0);
    return ERR_SCSI_COMMAND;
}

uint32_t CBvScsiDevice::TransferLength(const CBvByteArray& commandBytes, uint8_t cdbLength,
                                      const CBvByteArray& response) {
    const uint32_t outgoing = commandBytes.GetSize() > cdbLength ? commandBytes.GetSize() - cdbLength : 0;
    return std::max(outgoing, response.GetSize());
}

void CBvScsiDevice::PumpProgress() const {
    if (m_engine && m_engine->GetProgress()) m_engine->GetProgress()->Step(0);
}
