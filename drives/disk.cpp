#include "drives/disk.h"

#include <cstring>

#include "firmware/byte_array.h"

namespace {

void PutLe16(BvSectorImage& image, size_t offset, uint32_t value) {
    image[offset] = static_cast<uint8_t>(value);
    image[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(BvSectorImage& image, size_t offset, uint32_t value) {
    PutLe16(image, offset, value);
    PutLe16(image, offset + 2, value >> 16);
}

void PutText(BvSectorImage& image, size_t offset, const char* text) {
    std::memcpy(image.data() + offset, text, std::strlen(text));
}

void PutSignature(BvSectorImage& image) {
    image[0x1FE] = 0x55;
    image[0x1FF] = 0xAA;
}

bool IsFatSectorSize(uint32_t sectorSize) {
    return sectorSize == 512 || sectorSize == 1024 || sectorSize == 2048 || sectorSize == 4096;
}

const char* FatTypeText(BvFatType type) {
    switch (type) {
    case BV_FAT12: return "FAT12   ";
    case BV_FAT16: return "FAT16   ";
    default: return "FAT32   ";
    }
}

uint8_t PartitionType(BvFatType type) {
    switch (type) {
    case BV_FAT12: return 0x01;
    case BV_FAT16: return 0x06;
    default: return 0x0B;
    }
}

}  // namespace

CBvDisk::CBvDisk(uint64_t totalSectors, uint32_t sectorSize, const uint8_t* label,
                 uint32_t labelLength, int32_t fat16Requested, std::string objectName)
    : CBvBase(std::move(objectName)), m_totalSectors(totalSectors), m_sectorSize(sectorSize) {
    // Longer labels would run into the entry's attribute byte (and past this buffer).
    m_labelLength = label ? (labelLength < kMaxLabelLength ? labelLength : kMaxLabelLength) : 0;
    if (m_labelLength) std::memcpy(m_label.data(), label, m_labelLength);

    // Every size below divides by the sector size; the boot sector holds it in 16 bits.
    if (!IsFatSectorSize(sectorSize)) {
        SetStatus(ERR_FAT_TYPE);
        return;
    }
    m_fat.type = BvFatTypeForDisk(totalSectors, sectorSize, fat16Requested != 0);

    int32_t status = BvSearchGeometry(totalSectors, m_geometry);
    if (status != ERR_OK) {
        SetStatus(status);
        return;
    }
    m_geometrySectors = m_geometry.Sectors();
    m_leftoverSectors = totalSectors - m_geometrySectors;

    status = BuildBootSector();
    if (status == ERR_OK) status = BuildMbr();
    if (status != ERR_OK) {
        SetStatus(status);
        return;
    }
    m_rootDirSectors = m_fat.type == BV_FAT32 ? m_fat.sectorsPerCluster
                                              : m_fat.rootEntries * 32 / sectorSize;
}

int32_t CBvDisk::BuildBootSector() {
    const uint64_t volume = GetVolumeSectors();
    int32_t status = BvChooseFatParameters(m_fat.type, m_totalSectors, volume, m_sectorSize, m_fat);
    if (status != ERR_OK) return status;

    BvSectorImage& b = m_bootSector;
    b.fill(0);
    b[0] = 0xEB;
    b[1] = 0x3E;
    b[2] = 0x90;
    PutText(b, 0x03, "MSWIN4.1");
    PutLe16(b, 0x0B, m_sectorSize);
    b[0x0D] = static_cast<uint8_t>(m_fat.sectorsPerCluster);
    PutLe16(b, 0x0E, m_fat.reservedSectors);
    b[0x10] = kBvFatCount;
    PutLe16(b, 0x11, m_fat.rootEntries);
    // The 16-bit field only for volumes of at most 32 MiB that it can hold.
    if (volume <= 0x2000000 / m_sectorSize && volume < 65536) {
        PutLe16(b, 0x13, static_cast<uint32_t>(volume));
    } else {
        PutLe32(b, 0x20, static_cast<uint32_t>(volume));
    }
    b[0x15] = 0xF8;
    PutLe16(b, 0x18, m_geometry.sectorsPerTrack);
    PutLe16(b, 0x1A, m_geometry.heads);
    PutLe32(b, 0x1C, m_geometry.sectorsPerTrack);

    if (m_fat.type == BV_FAT32) {
        PutLe32(b, 0x24, m_fat.sectorsPerFat);
        PutLe32(b, 0x2C, 2);  // root directory cluster
        PutLe16(b, 0x30, 1);  // FSInfo sector
        PutLe16(b, 0x32, 6);  // backup boot sector
        b[0x40] = 0x80;
        b[0x42] = 0x29;
        PutLabelName(&b[0x47]);
        PutText(b, 0x52, FatTypeText(m_fat.type));
        BuildFat32Sectors();
    } else {
        PutLe16(b, 0x16, m_fat.sectorsPerFat);
        b[0x24] = 0x80;
        b[0x26] = 0x29;
        PutLabelName(&b[0x2B]);
        PutText(b, 0x36, FatTypeText(m_fat.type));
    }
    PutSignature(b);
    return ERR_OK;
}

void CBvDisk::BuildFat32Sectors() {
    m_fsInfo.fill(0);
    PutLe32(m_fsInfo, 0x000, 0x41615252);
    PutLe32(m_fsInfo, 0x1E4, 0x61417272);
    // Every cluster is free but the root directory's. A known count spares readers a scan of
    // the FAT, and fsck.fat flags an unknown one.
    PutLe32(m_fsInfo, 0x1E8, static_cast<uint32_t>(m_fat.clusterCount - 1));
    PutLe32(m_fsInfo, 0x1EC, 0xFFFFFFFF);  // next free unknown
    PutLe32(m_fsInfo, 0x1FC, 0xAA550000);
    m_thirdSector.fill(0);
    PutSignature(m_thirdSector);
}

int32_t CBvDisk::BuildMbr() {
    const uint64_t first = GetVolumeStart();
    const uint64_t last = first + GetVolumeSectors() - 1;
    BvSectorImage& m = m_mbr;
    m.fill(0);
    m[0x1BE] = 0x80;
    int32_t status = BvEncodeChs(m_geometry, first, &m[0x1BF]);
    if (status == ERR_OK) status = BvEncodeChs(m_geometry, last, &m[0x1C3]);
    if (status != ERR_OK) return status;
    m[0x1C2] = PartitionType(m_fat.type);
    PutLe32(m, 0x1C6, static_cast<uint32_t>(first));
    PutLe32(m, 0x1CA, static_cast<uint32_t>(GetVolumeSectors()));
    PutSignature(m);
    return ERR_OK;
}

// Checkers reject zero bytes in a label field; "NO NAME" is the field of an unlabelled volume.
void CBvDisk::PutLabelName(uint8_t* name) const {
    if (m_labelLength == 0) {
        std::memcpy(name, "NO NAME    ", kMaxLabelLength);
        return;
    }
    std::memset(name, ' ', kMaxLabelLength);
    std::memcpy(name, m_label.data(), m_labelLength);
}

int32_t CBvDisk::WriteLabelEntry(CBvByteArray& rootDir) const {
    constexpr uint8_t kVolumeLabelAttribute = 0x08;
    uint8_t entry[kMaxLabelLength + 1] = {};
    if (m_labelLength) PutLabelName(entry);
    entry[kMaxLabelLength] = kVolumeLabelAttribute;
    return rootDir.SetBytes(entry, sizeof entry, 0);
}

int32_t CBvDisk::WriteFatHeader(CBvByteArray& fat) const {
    static const uint8_t kFat12[] = {0xF8, 0xFF, 0xFF};
    static const uint8_t kFat16[] = {0xF8, 0xFF, 0xFF, 0xFF};
    // Entry 2 is the FAT32 root directory's one cluster: end of chain.
    static const uint8_t kFat32[] = {0xF8, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F,
                                     0xFF, 0xFF, 0xFF, 0x0F};
    switch (m_fat.type) {
    case BV_FAT12: return fat.SetBytes(kFat12, sizeof kFat12, 0);
    case BV_FAT16: return fat.SetBytes(kFat16, sizeof kFat16, 0);
    default: return fat.SetBytes(kFat32, sizeof kFat32, 0);
    }
}
