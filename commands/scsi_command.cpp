#include "commands/scsi_command.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

constexpr uint64_t kMaxBufferLength = std::numeric_limits<uint32_t>::max();

bool Fits(uint64_t length) { return length <= kMaxBufferLength; }

// The command bytes of a command whose data cannot be buffered hold the CDB alone.
uint32_t CommandBytesLength(uint32_t cdbLength, uint64_t dataOutLength) {
    uint64_t total = uint64_t{cdbLength} + dataOutLength;
    return Fits(total) ? static_cast<uint32_t>(total) : cdbLength;
}

}  // namespace

CBvScsiCommand::CBvScsiCommand(uint32_t cdbLength, uint64_t dataOutLength, std::string objectName)
    : CBvBase(std::move(objectName)),
      m_commandBytes(CommandBytesLength(cdbLength, dataOutLength), "CBvByteArray"),
      m_cdbLength(cdbLength) {
    if (!Fits(uint64_t{cdbLength} + dataOutLength) || m_commandBytes.GetStatus() != ERR_OK) {
        SetStatus(ERR_NO_MEMORY);
        return;
    }
    m_dataOutLength = static_cast<uint32_t>(dataOutLength);
}

void CBvScsiCommand::SetResponseLength(uint64_t length) {
    if (!Fits(length)) {
        SetStatus(ERR_NO_MEMORY);
        m_responseLength = 0;
        return;
    }
    m_responseLength = static_cast<uint32_t>(length);
}

void CBvScsiCommand::CreateResponse() {
    m_response.reset(new (std::nothrow) CBvByteArray(m_responseLength, "CBvByteArray"));
    if (!m_response || m_response->GetStatus() != ERR_OK) {
        m_response.reset();
        SetStatus(ERR_NO_MEMORY);
    }
}

int32_t CBvScsiCommand::StoreResponse(const CBvByteArray& received) {
    m_responseLength = received.GetSize();
    CreateResponse();
    if (!m_response) return ERR_NO_MEMORY;
    if (m_responseLength && received.Bytes()) m_response->SetBytes(received.Bytes(), m_responseLength, 0);
    return ERR_OK;
}

void CBvScsiCommand::CopyResponseTo(CBvByteArray& target) const {
    if (!m_response || !m_response->Bytes()) return;
    uint32_t count = std::min(m_response->GetSize(), target.GetSize());
    if (count) target.SetBytes(m_response->Bytes(), count, 0);
}

int32_t CBvScsiCommand::SetDataBehindCdb(const CBvByteArray& source) {
    if (m_commandBytes.GetSize() - m_cdbLength < source.GetSize()) return ERR_DATA_TOO_LARGE;
    if (source.GetSize()) m_commandBytes.SetBytes(source.Bytes(), source.GetSize(), m_cdbLength);
    return ERR_OK;
}
