#pragma once
// CBvScsiCommand: one SCSI command as an object. It owns the bytes that go to the device
// (the CDB, then any data to send), knows how much it expects back and in which direction
// data flow, and turns the answer into values. A device's SendCommand drives it.
#include <cstdint>
#include <memory>
#include <string>

#include "app/base.h"
#include "firmware/byte_array.h"

class CBvScsiCommand : public CBvBase {
public:
    CBvScsiCommand(uint32_t cdbLength, uint64_t dataOutLength, std::string objectName);
    ~CBvScsiCommand() override = default;

    CBvScsiCommand(const CBvScsiCommand&) = delete;
    CBvScsiCommand& operator=(const CBvScsiCommand&) = delete;

    // Writes the command's own CDB bytes; may run more than once and leaves other bytes alone.
    virtual void BuildCdb() = 0;
    // Keeps a copy of the answer as the response; -1 when it cannot be kept.
    virtual int32_t StoreResponse(const CBvByteArray& received);
    virtual bool IsDataOut() const { return false; }

    const CBvByteArray& GetCommandBytes() const { return m_commandBytes; }
    // Null until the command has an answer (some commands hold a zero-filled one from the start).
    const CBvByteArray* GetResponse() const { return m_response.get(); }
    uint32_t GetCdbLength() const { return m_cdbLength; }
    uint32_t GetResponseLength() const { return m_responseLength; }
    uint32_t GetDataOutLength() const { return m_dataOutLength; }

protected:
    CBvByteArray& CommandBytes() { return m_commandBytes; }

    // A length beyond 32 bits cannot be buffered: the command fails with -1 and expects nothing.
    void SetResponseLength(uint64_t length);
    // A zero-filled response of responseLength bytes, for commands that hold one from the start.
    void CreateResponse();

    // Copies the response into the caller's array for every index below both sizes.
    void CopyResponseTo(CBvByteArray& target) const;
    // Puts the caller's data behind the CDB; what is not covered stays zero. -10 if it does not fit.
    int32_t SetDataBehindCdb(const CBvByteArray& source);

private:
    CBvByteArray m_commandBytes;
    std::unique_ptr<CBvByteArray> m_response;
    uint32_t m_cdbLength;
    uint32_t m_responseLength = 0;
    uint32_t m_dataOutLength = 0;
};

// count × sectorSize without wrapping; the sector commands size their data with it.
inline uint64_t BvSectorBytes(uint32_t count, uint32_t sectorSize) {
    return uint64_t{count} * sectorSize;
}
