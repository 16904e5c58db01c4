#pragma once
// CBvDisk: the layout the formatter gives the player's data drive: FAT type, geometry,
// cluster size, and the images of the master boot record, the boot sector and the FAT32
// reserved sectors. Computed once by the constructor; its status tells whether a layout exists.
#include <array>
#include <cstdint>
#include <string>

#include "app/base.h"
#include "drives/disk_geometry.h"
#include "drives/fat_parameters.h"

class CBvByteArray;

using BvSectorImage = std::array<uint8_t, 512>;

class CBvDisk : public CBvBase {
public:
    // The root directory entry holds 11 name bytes before its attribute byte.
    static constexpr uint32_t kMaxLabelLength = 11;

    // Sector sizes FAT defines: 512, 1024, 2048 and 4096 bytes; others fail with ERR_FAT_TYPE.
    CBvDisk(uint64_t totalSectors, uint32_t sectorSize, const uint8_t* label, uint32_t labelLength,
            int32_t fat16Requested, std::string objectName = "CBvDisk");

    const BvSectorImage& GetMbr() const { return m_mbr; }
    const BvSectorImage& GetBootSector() const { return m_bootSector; }
    const BvSectorImage& GetFsInfo() const { return m_fsInfo; }
    const BvSectorImage& GetThirdSector() const { return m_thirdSector; }

    uint32_t GetRootDirSectors() const { return m_rootDirSectors; }
    uint64_t GetLeftoverSectors() const { return m_leftoverSectors; }

    // Writes the reserved FAT entries (media byte and end-of-chain marks) into the first
    // bytes of a FAT's first chunk; ERR_SHORT_BUFFER when the array cannot hold them.
    int32_t WriteFatHeader(CBvByteArray& fat) const;

    // Writes the root directory's first entry, the volume label, into the first bytes of its
    // first chunk: the label padded with spaces and the volume-label attribute. An empty label
    // leaves the name 0, so readers see an empty directory.
    int32_t WriteLabelEntry(CBvByteArray& rootDir) const;

    uint64_t GetTotalSectors() const { return m_totalSectors; }
    uint32_t GetSectorSize() const { return m_sectorSize; }
    const uint8_t* GetLabel() const { return m_label.data(); }
    uint32_t GetLabelLength() const { return m_labelLength; }

    BvFatType GetFatType() const { return m_fat.type; }
    const BvGeometry& GetGeometry() const { return m_geometry; }
    uint32_t GetCylinders() const { return m_geometry.cylinders; }
    uint16_t GetHeads() const { return m_geometry.heads; }
    uint8_t GetSectorsPerTrack() const { return m_geometry.sectorsPerTrack; }
    uint64_t GetGeometrySectors() const { return m_geometrySectors; }

    // The partition: one hidden track, then the volume up to the end of the geometry.
    uint64_t GetVolumeStart() const { return m_geometry.sectorsPerTrack; }
    uint64_t GetVolumeSectors() const { return m_geometrySectors - m_geometry.sectorsPerTrack; }

    uint32_t GetSectorsPerCluster() const { return m_fat.sectorsPerCluster; }
    uint32_t GetReservedSectors() const { return m_fat.reservedSectors; }
    uint32_t GetSectorsPerFat() const { return m_fat.sectorsPerFat; }
    uint32_t GetFatCount() const { return kBvFatCount; }
    uint64_t GetClusterCount() const { return m_fat.clusterCount; }

private:
    int32_t BuildBootSector();
    void BuildFat32Sectors();
    void PutLabelName(uint8_t* name) const;
    int32_t BuildMbr();

    uint64_t m_totalSectors;
    uint32_t m_sectorSize;
    std::array<uint8_t, kMaxLabelLength> m_label{};
    uint32_t m_labelLength = 0;
    BvSectorImage m_mbr{};
    BvSectorImage m_bootSector{};
    BvSectorImage m_fsInfo{};
    BvSectorImage m_thirdSector{};
    uint32_t m_rootDirSectors = 0;
    BvGeometry m_geometry;
    uint64_t m_leftoverSectors = 0;
    uint64_t m_geometrySectors = 0;
    BvFatParameters m_fat;
};
