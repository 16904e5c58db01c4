#include "commands/standard_commands.h"

namespace {

constexpr uint8_t kOpInquiry = 0x12;
constexpr uint8_t kOpReadCapacity = 0x25;
constexpr uint8_t kOpRead10 = 0x28;
constexpr uint8_t kOpWrite10 = 0x2A;
constexpr uint32_t kReadCapacityLength = 8;

void BuildSector10Cdb(CBvByteArray& bytes, uint8_t opcode, uint32_t firstSector, uint32_t count) {
    bytes.SetAt(0, opcode);
    bytes.SetAt(1, 0);
    bytes.SetU32(2, firstSector);
    bytes.SetAt(6, 0);
    bytes.SetU16(7, static_cast<uint16_t>(count));
    bytes.SetAt(9, 0);
}

}  // namespace

CBvScsiInquiry::CBvScsiInquiry(std::string objectName) : CBvScsiCommand(6, 0, std::move(objectName)) {
    SetResponseLength(kBvInquiryLength);
    CreateResponse();
}

void CBvScsiInquiry::BuildCdb() {
    CBvByteArray& bytes = CommandBytes();
    bytes.SetAt(0, kOpInquiry);
    bytes.SetAt(1, 0);
    bytes.SetAt(2, 0);
    bytes.SetAt(3, 0);
    bytes.SetAt(4, static_cast<uint8_t>(kBvInquiryLength));
    bytes.SetAt(5, 0);
}

int32_t CBvScsiInquiry::GetInquiryData(uint8_t (&buffer)[kBvInquiryLength]) const {
    const CBvByteArray* response = GetResponse();
    if (!response) return ERR_SHORT_BUFFER;
    return response->GetBytes(buffer, kBvInquiryLength, 0);
}

CBvReadCapacity::CBvReadCapacity(std::string objectName) : CBvScsiCommand(10, 0, std::move(objectName)) {
    SetResponseLength(kReadCapacityLength);
    CreateResponse();
}

void CBvReadCapacity::BuildCdb() {
    CBvByteArray& bytes = CommandBytes();
    bytes.SetAt(0, kOpReadCapacity);
    for (uint32_t i = 1; i < GetCdbLength(); ++i) bytes.SetAt(i, 0);
}

int32_t CBvReadCapacity::GetCapacity(uint32_t (&values)[2]) const {
    const CBvByteArray* response = GetResponse();
    if (!response) return ERR_SHORT_BUFFER;
    int32_t status = response->GetU32(0, values[0]);
    if (status == ERR_OK) status = response->GetU32(4, values[1]);
    return status;
}

CBvRead::CBvRead(uint32_t firstSector, uint32_t count, uint32_t sectorSize, std::string objectName)
    : CBvScsiCommand(10, 0, std::move(objectName)),
      m_count(count),
      m_firstSector(firstSector) {
    SetResponseLength(BvSectorBytes(count, sectorSize));
    if (GetStatus() == ERR_OK) CreateResponse();
}

void CBvRead::BuildCdb() { BuildSector10Cdb(CommandBytes(), kOpRead10, m_firstSector, m_count); }

int32_t CBvRead::GetData(CBvByteArray& target) const {
    CopyResponseTo(target);
    return ERR_OK;
}

CBvWrite::CBvWrite(uint32_t firstSector, uint32_t count, uint32_t sectorSize, std::string objectName)
    : CBvScsiCommand(10, BvSectorBytes(count, sectorSize), std::move(objectName)),
      m_count(count),
      m_firstSector(firstSector) {}

void CBvWrite::BuildCdb() { BuildSector10Cdb(CommandBytes(), kOpWrite10, m_firstSector, m_count); }

int32_t CBvWrite::SetData(const CBvByteArray& source) { return SetDataBehindCdb(source); }
