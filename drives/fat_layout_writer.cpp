#include "drives/fat_layout_writer.h"

#include "drives/disk.h"
#include "drives/sector_sink.h"
#include "firmware/byte_array.h"

namespace {

constexpr uint32_t kChunkBytes = 65536;

enum class RunContent { Zero, Fat, RootDir };

class LayoutWriter {
public:
    LayoutWriter(const CBvDisk& disk, CBvSectorSink& sink)
        : m_disk(disk), m_sink(sink), m_sectorSize(disk.GetSectorSize()),
          m_chunkSectors(kChunkBytes / m_sectorSize ? kChunkBytes / m_sectorSize : 1) {}

    int32_t Write(BvLeftoverWrite leftover);

private:
    int32_t WriteImage(int code, const BvSectorImage& image);
    int32_t WriteZeros(uint64_t sectors) { return WriteRun(RunContent::Zero, sectors); }
    int32_t WriteLeftover();
    int32_t WriteFat32ReservedArea();
    // Chunks of at most 64 KiB. A zero run announces its own task; FAT and root directory
    // runs are announced by the caller.
    int32_t WriteRun(RunContent content, uint64_t sectors);
    int32_t FillFirstChunk(RunContent content, CBvByteArray& chunk) const;
    int StepsFor(uint64_t sectors) const {
        return static_cast<int>(2 * (sectors / m_chunkSectors) + 2);
    }

    const CBvDisk& m_disk;
    CBvSectorSink& m_sink;
    const uint32_t m_sectorSize;
    const uint32_t m_chunkSectors;
    uint64_t m_lba = 0;
};

int32_t LayoutWriter::Write(BvLeftoverWrite leftover) {
    int32_t status = WriteImage(kBvTaskMbr, m_disk.GetMbr());
    if (status == ERR_OK) status = WriteZeros(m_disk.GetSectorsPerTrack() - 1u);
    if (status == ERR_OK && leftover == BvLeftoverWrite::BeforeVolume) {
        status = WriteLeftover();
        if (status == ERR_OK) status = m_sink.EnterPartition(m_disk.GetVolumeStart());
        m_lba = 0;
    }
    if (status != ERR_OK) return status;

    m_sink.BeginTask(kBvTaskFormatBoot, 2);
    status = WriteImage(kBvTaskImageSector, m_disk.GetBootSector());
    if (status == ERR_OK && m_disk.GetFatType() == BV_FAT32) status = WriteFat32ReservedArea();
    for (uint32_t fat = 1; fat <= m_disk.GetFatCount() && status == ERR_OK; ++fat) {
        m_sink.BeginIndexedTask(kBvTaskFat, StepsFor(m_disk.GetSectorsPerFat()),
                                static_cast<int>(fat));
        status = WriteRun(RunContent::Fat, m_disk.GetSectorsPerFat());
    }
    if (status == ERR_OK) {
        m_sink.BeginTask(kBvTaskRootDir, StepsFor(m_disk.GetRootDirSectors()));
        status = WriteRun(RunContent::RootDir, m_disk.GetRootDirSectors());
    }
    if (status == ERR_OK && leftover == BvLeftoverWrite::AfterVolume) status = WriteLeftover();
    return status;
}

int32_t LayoutWriter::WriteImage(int code, const BvSectorImage& image) {
    m_sink.BeginTask(code, 2);
    CBvByteArray sector(m_sectorSize);
    int32_t status = sector.GetStatus();
    if (status == ERR_OK) status = sector.SetBytes(image.data(), sizeof image, 0);
    if (status == ERR_OK) status = m_sink.WriteSectors(m_lba, 1, sector);
    if (status == ERR_OK) ++m_lba;
    return status;
}

int32_t LayoutWriter::WriteFat32ReservedArea() {
    // FSInfo and third sector, three free sectors, the backup copy of all three at sector 6,
    // and the rest of the reserved area free.
    int32_t status = WriteImage(kBvTaskImageSector, m_disk.GetFsInfo());
    if (status == ERR_OK) status = WriteImage(kBvTaskImageSector, m_disk.GetThirdSector());
    if (status == ERR_OK) status = WriteZeros(3);
    if (status == ERR_OK) status = WriteImage(kBvTaskImageSector, m_disk.GetBootSector());
    if (status == ERR_OK) status = WriteImage(kBvTaskImageSector, m_disk.GetFsInfo());
    if (status == ERR_OK) status = WriteImage(kBvTaskImageSector, m_disk.GetThirdSector());
    if (status == ERR_OK) status = WriteZeros(m_disk.GetReservedSectors() - 9u);
    return status;
}

int32_t LayoutWriter::WriteLeftover() {
    const uint64_t resume = m_lba;
    m_lba = m_disk.GetVolumeStart() + m_disk.GetVolumeSectors();
    int32_t status = WriteZeros(m_disk.GetLeftoverSectors());
    m_lba = resume;
    return status;
}

int32_t LayoutWriter::WriteRun(RunContent content, uint64_t sectors) {
    if (content == RunContent::Zero) m_sink.BeginTask(kBvTaskZeroSectors, StepsFor(sectors));
    // Zero chunks are never changed by the sink, so one buffer serves the whole run.
    CBvByteArray zeros(sectors ? m_chunkSectors * m_sectorSize : 0);
    if (zeros.GetStatus() != ERR_OK) return zeros.GetStatus();
    bool first = true;
    while (sectors) {
        const uint32_t count = sectors < m_chunkSectors ? static_cast<uint32_t>(sectors) : m_chunkSectors;
        int32_t status;
        if (first && content != RunContent::Zero) {
            CBvByteArray chunk(count * m_sectorSize);
            status = chunk.GetStatus();
            if (status == ERR_OK) status = FillFirstChunk(content, chunk);
            if (status == ERR_OK) status = m_sink.WriteSectors(m_lba, count, chunk);
        } else if (count == m_chunkSectors) {
            status = m_sink.WriteSectors(m_lba, count, zeros);
        } else {
            CBvByteArray rest(count * m_sectorSize);
            status = rest.GetStatus();
            if (status == ERR_OK) status = m_sink.WriteSectors(m_lba, count, rest);
        }
        if (status != ERR_OK) return status;
        m_lba += count;
        sectors -= count;
        first = false;
    }
    return ERR_OK;
}

int32_t LayoutWriter::FillFirstChunk(RunContent content, CBvByteArray& chunk) const {
    return content == RunContent::Fat ? m_disk.WriteFatHeader(chunk) : m_disk.WriteLabelEntry(chunk);
}

}  // namespace

int32_t BvWriteFatLayout(const CBvDisk& disk, CBvSectorSink& sink, BvLeftoverWrite leftover) {
    if (disk.GetStatus() != ERR_OK) return disk.GetStatus();
    return LayoutWriter(disk, sink).Write(leftover);
}
