#include "sim/player/command_set.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/player/byte_order.h"
#include "sim/player/device_codes.h"
#include "sim/player/sense.h"

namespace sim {

namespace {

constexpr uint32_t kEraseBlockBytes = 128 * 1024;
constexpr uint32_t kFlashPageBytes = 2048;
constexpr uint8_t kMediumKindNand = 1;
constexpr uint16_t kFlashChipCount = 1;
constexpr char kMediaSerial[] = "KR4471N-00000001";
constexpr uint32_t kVersionRecordLength = 48;
constexpr uint32_t kTableHeaderLength = 2;
constexpr uint32_t kTableEntryLength = 11;

bool IsVendor(uint8_t op) { return op == opcode::kVendorIn || op == opcode::kVendorOut; }

// One command in flight: the request, where the answer goes, and the common checks.
class CommandRun {
public:
    CommandRun(Medium& medium, const ScsiRequest& request, CommandEnvironment& env)
        : medium_(medium), req_(request), env_(env), cdb_(request.cdb),
          vendor_(request.cdbLength > 0 && IsVendor(request.cdb[0])) {}

    ScsiResult Run();

private:
    uint32_t HostIn() const { return req_.direction == DataDirection::In ? req_.transferLength : 0; }
    uint32_t HostOut() const { return req_.direction == DataDirection::Out ? req_.transferLength : 0; }

    ScsiResult WrongLength() const {
        return vendor_ ? VendorError(devcode::kDataLength)
                       : CheckCondition(sensekey::kIllegalRequest, asc::kInvalidFieldInCdb, 0);
    }
    ScsiResult NoMediumStandard() const {
        return CheckCondition(sensekey::kNotReady, asc::kMediumNotPresent, 0);
    }

    // A command without a data phase: the host may offer a data-in buffer (nothing goes to
    // it) but must not send data.
    ScsiResult NoData() const {
        if (HostOut() != 0) return WrongLength();
        return ScsiResult();
    }
    // Delivers `length` answer bytes; the host buffer must hold them (exactly, when `exact`).
    ScsiResult DeliverIn(const uint8_t* answer, uint32_t length, bool exact = false) const {
        if (HostOut() != 0 || HostIn() < length || (exact && HostIn() != length)) return WrongLength();
        if (length > 0) std::memcpy(req_.dataIn, answer, length);
        ScsiResult r;
        r.dataInBytes = length;
        return r;
    }
    // An answer whose length the host decides: cut to the host's buffer.
    ScsiResult DeliverCut(const uint8_t* answer, uint32_t length) const {
        return DeliverIn(answer, std::min(length, HostIn()));
    }

    ScsiResult Standard();
    ScsiResult Inquiry();
    ScsiResult ReadCapacity();
    ScsiResult ReadWrite10(bool write);

    ScsiResult Vendor();
    ScsiResult MediaInfo();
    ScsiResult LogicalTable();
    ScsiResult Allocate();
    ScsiResult EraseMedium();
    ScsiResult DriveInfo();
    ScsiResult SetDriveInfo();
    ScsiResult Sectors(bool write);
    ScsiResult EraseDrive();
    ScsiResult ChipRevision();
    ScsiResult ChipReset();

    // Finds the drive named in CDB byte 2, or says why not (0 when found).
    uint16_t LookUpDrive(LogicalDrive** drive) const;
    // Reads or writes whole sectors of a drive; a write stops where the write budget ends.
    ScsiResult TransferSectors(LogicalDrive& drive, uint64_t first, uint64_t count, bool write,
                               uint16_t failCode);

    Medium& medium_;
    const ScsiRequest& req_;
    CommandEnvironment& env_;
    const uint8_t* cdb_;
    bool vendor_;
};

ScsiResult CommandRun::Run() {
    if (req_.cdbLength == 0 || cdb_ == nullptr)
        return CheckCondition(sensekey::kIllegalRequest, asc::kInvalidOpcode, 0);
    return vendor_ ? Vendor() : Standard();
}

// ---------------------------------------------------------------- standard commands

ScsiResult CommandRun::Standard() {
    const uint8_t op = cdb_[0];
    const uint32_t needed = op < 0x20 ? 6 : 10;
    const bool known = op == opcode::kTestUnitReady || op == opcode::kInquiry ||
                       op == opcode::kReadCapacity10 || op == opcode::kRead10 || op == opcode::kWrite10;
    if (!known) return CheckCondition(sensekey::kIllegalRequest, asc::kInvalidOpcode, 0);
    if (req_.cdbLength < needed) return CheckCondition(sensekey::kIllegalRequest, asc::kInvalidFieldInCdb, 0);
    switch (op) {
    case opcode::kInquiry:
        return Inquiry();
    case opcode::kTestUnitReady:
        if (env_.mediaFlagClear || medium_.DataDrive() == nullptr) return NoMediumStandard();
        return NoData();
    case opcode::kReadCapacity10:
        return ReadCapacity();
    case opcode::kRead10:
        return ReadWrite10(false);
    default:
        return ReadWrite10(true);
    }
}

ScsiResult CommandRun::Inquiry() {
    // Only the standard data: no vital product data pages, no command support data.
    if ((cdb_[1] & 0x03) != 0 || cdb_[2] != 0)
        return CheckCondition(sensekey::kIllegalRequest, asc::kInvalidFieldInCdb, 0);
    uint8_t data[kInquiryLength];
    BuildInquiryData(env_.identity, data);
    const uint32_t allocation = LoadBe16(cdb_ + 3);
    return DeliverIn(data, std::min(kInquiryLength, allocation));
}

ScsiResult CommandRun::ReadCapacity() {
    LogicalDrive* data = env_.mediaFlagClear ? nullptr : medium_.DataDrive();
    if (data == nullptr) return NoMediumStandard();
    uint8_t answer[8];
    // A drive beyond 2^32 blocks reports the largest address, as READ CAPACITY(10) must.
    const uint64_t last = data->SectorCount() - 1;
    StoreBe32(answer, last > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(last));
    StoreBe32(answer + 4, data->sectorSize);
    return DeliverIn(answer, sizeof answer);
}

ScsiResult CommandRun::ReadWrite10(bool write) {
    LogicalDrive* data = env_.mediaFlagClear ? nullptr : medium_.DataDrive();
    if (data == nullptr) return NoMediumStandard();
    const uint64_t first = LoadBe32(cdb_ + 2);
    const uint64_t count = LoadBe16(cdb_ + 7);
    const uint64_t sectors = data->SectorCount();
    if (first > sectors || count > sectors - first)
        return CheckCondition(sensekey::kIllegalRequest, asc::kLbaOutOfRange, 0);
    return TransferSectors(*data, first, count, write, 0);
}

// ---------------------------------------------------------------- vendor commands

bool IsVendorFunction(uint8_t op, uint8_t fn) {
    if (op == opcode::kVendorIn)
        return fn == vendorfn::kMediaInfo || fn == vendorfn::kLogicalTable ||
               fn == vendorfn::kDriveInfo || fn == vendorfn::kReadSectors || fn == vendorfn::kChipRevision;
    return fn == vendorfn::kAllocate || fn == vendorfn::kEraseMedium || fn == vendorfn::kSetDriveInfo ||
           fn == vendorfn::kWriteSectors || fn == vendorfn::kEraseDrive || fn == vendorfn::kChipReset;
}

ScsiResult CommandRun::Vendor() {
    if (req_.cdbLength < kVendorCdbLength) return VendorError(devcode::kBadParameter);
    const uint8_t fn = cdb_[1];
    if (!IsVendorFunction(cdb_[0], fn)) return VendorError(devcode::kUnknownFunction);
    switch (fn) {
    case vendorfn::kMediaInfo: return MediaInfo();
    case vendorfn::kLogicalTable: return LogicalTable();
    case vendorfn::kDriveInfo: return DriveInfo();
    case vendorfn::kReadSectors: return Sectors(false);
    case vendorfn::kChipRevision: return ChipRevision();
    case vendorfn::kAllocate: return Allocate();
    case vendorfn::kEraseMedium: return EraseMedium();
    case vendorfn::kSetDriveInfo: return SetDriveInfo();
    case vendorfn::kWriteSectors: return Sectors(true);
    case vendorfn::kEraseDrive: return EraseDrive();
    default: return ChipReset();
    }
}

ScsiResult CommandRun::MediaInfo() {
    uint8_t answer[sizeof kMediaSerial] = {};
    switch (cdb_[2]) {
    case 0:  // number of logical drives
        StoreBe16(answer, static_cast<uint16_t>(medium_.Drives().size()));
        return DeliverIn(answer, 2);
    case 1:  // capacity of the medium in bytes
        StoreBe64(answer, medium_.CapacityBytes());
        return DeliverIn(answer, 8);
    case 5:  // kind of medium
        answer[0] = kMediumKindNand;
        return DeliverIn(answer, 1);
    case 6:  // flash page size
        StoreBe32(answer, kFlashPageBytes);
        return DeliverIn(answer, 4);
    case 7:  // number of flash chips
        StoreBe16(answer, kFlashChipCount);
        return DeliverIn(answer, 2);
    case 8:  // serial number of the medium, as long as the host asks
        std::memcpy(answer, kMediaSerial, sizeof kMediaSerial - 1);
        return DeliverCut(answer, sizeof kMediaSerial - 1);
    case 9:  // the medium is present and usable
        answer[0] = env_.mediaFlagClear ? 0 : 1;
        return DeliverIn(answer, 1);
    default:
        return VendorError(devcode::kBadParameter);
    }
}

ScsiResult CommandRun::LogicalTable() {
    if (env_.mediaFlagClear) return VendorError(devcode::kNoMedium);
    if (!medium_.TableReadable()) return VendorError(devcode::kTableUnreadable);
    const auto& drives = medium_.Drives();
    uint8_t answer[kTableHeaderLength + kTableEntryLength * Medium::kMaxDrives] = {};
    StoreBe16(answer, static_cast<uint16_t>(drives.size()));
    for (size_t i = 0; i < drives.size(); ++i) {
        uint8_t* entry = answer + kTableHeaderLength + kTableEntryLength * i;
        entry[0] = drives[i].number;
        entry[1] = drives[i].type;
        entry[2] = drives[i].tag;
        StoreBe64(entry + 3, drives[i].sizeBytes);
    }
    // The count always tells the whole table; the entries are cut to the allocation length.
    const uint32_t full = kTableHeaderLength + kTableEntryLength * static_cast<uint32_t>(drives.size());
    const uint32_t allocation = kTableHeaderLength + kTableEntryLength * cdb_[2];
    return DeliverIn(answer, std::min(full, allocation));
}

ScsiResult CommandRun::Allocate() {
    const uint32_t count = cdb_[2];
    if (count == 0 || count > Medium::kMaxDrives) return VendorError(devcode::kEntryCount);
    if (env_.mediaFlagClear) return VendorError(devcode::kNoMedium);
    if (req_.direction != DataDirection::Out ||
        req_.transferLength != Medium::kAllocationStrideBytes * count)
        return WrongLength();
    if (req_.transferLength > env_.writeBudget) {
        env_.leftBus = true;
        return ScsiResult();
    }
    const uint16_t refused = medium_.Allocate(req_.dataOut, count);
    if (refused != 0) return VendorError(refused);
    return ScsiResult();
}

ScsiResult CommandRun::EraseMedium() {
    if (env_.mediaFlagClear) return VendorError(devcode::kNoMedium);
    if (HostOut() != 0) return WrongLength();
    medium_.Erase();
    return ScsiResult();
}

uint16_t CommandRun::LookUpDrive(LogicalDrive** drive) const {
    if (env_.mediaFlagClear) return devcode::kNoMedium;
    if (!medium_.TableReadable()) return devcode::kTableUnreadable;
    *drive = medium_.Find(cdb_[2]);
    return *drive == nullptr ? devcode::kNoSuchDrive : 0;
}

ScsiResult CommandRun::DriveInfo() {
    const uint8_t type = cdb_[3];
    if (type > 11) return VendorError(devcode::kBadParameter);
    LogicalDrive* drive = nullptr;
    if (const uint16_t code = LookUpDrive(&drive)) return VendorError(code);

    uint8_t answer[kVersionRecordLength] = {};
    switch (type) {
    case 0:  // sector size
        StoreBe32(answer, drive->sectorSize);
        return DeliverIn(answer, 4);
    case 1: {  // size in sectors
        const uint64_t sectors = drive->SectorCount();
        StoreBe32(answer, sectors > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(sectors));
        return DeliverIn(answer, 4);
    }
    case 2:  // size in bytes
        StoreBe64(answer, drive->sizeBytes);
        return DeliverIn(answer, 8);
    case 3:  // erase block size
        StoreBe32(answer, kEraseBlockBytes);
        return DeliverIn(answer, 4);
    case 4:  // where the drive begins on the medium
        StoreBe64(answer, drive->offset);
        return DeliverIn(answer, 8);
    case 5:  // number of erase blocks
        StoreBe32(answer, static_cast<uint32_t>((drive->sizeBytes + kEraseBlockBytes - 1) / kEraseBlockBytes));
        return DeliverIn(answer, 4);
    case 6:  // write protected (never)
        return DeliverIn(answer, 1);
    case 7:
    case 8: {  // component and product version: system drives only
        if (drive->IsData()) return VendorError(devcode::kWrongDriveKind);
        const uint16_t* version = type == 7 ? drive->componentVersion : drive->productVersion;
        for (int i = 0; i < 3; ++i) StoreBe16(answer + 2 * i, version[i]);
        return DeliverIn(answer, kVersionRecordLength);
    }
    case 9:  // nothing written since the last erase
        answer[0] = drive->contents.ChunkCount() == 0 ? 1 : 0;
        return DeliverIn(answer, 1);
    case 10:  // type and tag
        answer[0] = drive->type;
        answer[1] = drive->tag;
        return DeliverIn(answer, 2);
    default: {  // a name for the drive, as long as the host asks
        char name[32];
        const int n = drive->IsData() ? std::snprintf(name, sizeof name, "DATA DRIVE")
                                      : std::snprintf(name, sizeof name, "SYSTEM DRIVE 0x%02X", drive->tag);
        return DeliverCut(reinterpret_cast<const uint8_t*>(name), static_cast<uint32_t>(n));
    }
    }
}

ScsiResult CommandRun::SetDriveInfo() {
    const uint8_t type = cdb_[3];
    if (type != 7 && type != 8) return VendorError(devcode::kBadParameter);
    LogicalDrive* drive = nullptr;
    if (const uint16_t code = LookUpDrive(&drive)) return VendorError(code);
    if (drive->IsData()) return VendorError(devcode::kWrongDriveKind);
    if (HostOut() != 0) return WrongLength();
    uint16_t* version = type == 7 ? drive->componentVersion : drive->productVersion;
    for (int i = 0; i < 3; ++i) version[i] = LoadBe16(cdb_ + 4 + 2 * i);
    return ScsiResult();
}

ScsiResult CommandRun::Sectors(bool write) {
    LogicalDrive* drive = nullptr;
    if (const uint16_t code = LookUpDrive(&drive)) return VendorError(code);
    const uint64_t first = LoadBe64(cdb_ + 3);
    const uint64_t count = LoadBe32(cdb_ + 11);
    const uint64_t sectors = drive->SectorCount();
    if (first > sectors || count > sectors - first) return VendorError(devcode::kSectorRange);
    return TransferSectors(*drive, first, count, write, write ? devcode::kFlashWrite : devcode::kFlashRead);
}

ScsiResult CommandRun::TransferSectors(LogicalDrive& drive, uint64_t first, uint64_t count, bool write,
                                       uint16_t failCode) {
    const uint64_t bytes = count * drive.sectorSize;
    const uint64_t offset = first * drive.sectorSize;
    if (!write) {
        if (HostOut() != 0 || HostIn() != bytes) return WrongLength();
        drive.contents.Read(offset, req_.dataIn, static_cast<size_t>(bytes));
        ScsiResult r;
        r.dataInBytes = static_cast<uint32_t>(bytes);
        return r;
    }
    if (req_.direction != DataDirection::Out || req_.transferLength != bytes) return WrongLength();
    uint64_t take = bytes;
    if (bytes > env_.writeBudget) {
        take = env_.writeBudget / drive.sectorSize * drive.sectorSize;
        env_.leftBus = true;
    }
    if (!drive.contents.Write(offset, req_.dataOut, static_cast<size_t>(take)))
        return failCode != 0 ? VendorError(failCode)
                             : CheckCondition(sensekey::kMediumError, asc::kWriteError, 0);
    return ScsiResult();
}

ScsiResult CommandRun::EraseDrive() {
    LogicalDrive* drive = nullptr;
    if (const uint16_t code = LookUpDrive(&drive)) return VendorError(code);
    if (HostOut() != 0) return WrongLength();
    drive->Erase();
    return ScsiResult();
}

ScsiResult CommandRun::ChipRevision() {
    uint8_t answer[2];
    StoreBe16(answer, env_.identity.chipRevision);
    return DeliverIn(answer, 2);
}

ScsiResult CommandRun::ChipReset() {
    if (HostOut() != 0) return WrongLength();
    env_.chipReset = true;
    return ScsiResult();
}

void CopyPadded(uint8_t* out, const std::string& text, size_t width) {
    std::memset(out, ' ', width);
    std::memcpy(out, text.data(), std::min(width, text.size()));
}

}  // namespace

bool CarriesDriveNumber(uint8_t op, uint8_t fn) {
    if (op == opcode::kVendorIn) return fn == vendorfn::kDriveInfo || fn == vendorfn::kReadSectors;
    if (op == opcode::kVendorOut)
        return fn == vendorfn::kSetDriveInfo || fn == vendorfn::kWriteSectors || fn == vendorfn::kEraseDrive;
    return false;
}

void BuildInquiryData(const PlayerIdentity& identity, uint8_t out[kInquiryLength]) {
    std::memset(out, 0, kInquiryLength);
    out[0] = 0x00;                        // direct-access block device
    out[1] = 0x80;                        // removable medium
    out[2] = 0x02;                        // version
    out[3] = 0x02;                        // response data format
    out[4] = kInquiryLength - 5;          // additional length
    CopyPadded(out + 8, identity.vendor, 8);
    CopyPadded(out + 16, identity.product, 16);
    CopyPadded(out + 32, identity.revision, 4);
}

ScsiResult RunCommand(Medium& medium, const ScsiRequest& request, CommandEnvironment& env) {
    return CommandRun(medium, request, env).Run();
}

}  // namespace sim
