// 64-bit file offsets on 32-bit glibc builds.
#define _FILE_OFFSET_BITS 64

#include "drives/disk_image_writer.h"

#include <cstdio>
#include <cstring>

#include "drives/disk.h"
#include "drives/fat_layout_writer.h"
#include "drives/sector_sink.h"
#include "firmware/byte_array.h"

namespace {

int SeekTo(std::FILE* file, uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

bool IsAllZero(const uint8_t* bytes, uint32_t size) {
    return size == 0 || (bytes[0] == 0 && std::memcmp(bytes, bytes + 1, size - 1) == 0);
}

// A fresh file reads 0 wherever nothing was written, so zero sectors are skipped and stay
// holes: a 64 GiB image costs only its metadata.
class DiskImageFile : public CBvSectorSink {
public:
    DiskImageFile(std::FILE* file, uint32_t sectorSize) : m_file(file), m_sectorSize(sectorSize) {}

    void BeginTask(int, int) override {}
    void BeginIndexedTask(int, int, int) override {}

    int32_t WriteSectors(uint64_t firstSector, uint32_t count, const CBvByteArray& data) override {
        const uint32_t bytes = count * m_sectorSize;
        if (data.GetSize() < bytes) return ERR_SHORT_BUFFER;
        if (IsAllZero(data.Bytes(), bytes)) return ERR_OK;
        const uint64_t offset = (m_origin + firstSector) * m_sectorSize;
        if (SeekTo(m_file, offset) != 0 || std::fwrite(data.Bytes(), 1, bytes, m_file) != bytes)
            return ERR_WRITE;
        return ERR_OK;
    }

    int32_t EnterPartition(uint64_t partitionStart) override {
        m_origin = partitionStart;
        return ERR_OK;
    }

private:
    std::FILE* m_file;
    const uint32_t m_sectorSize;
    uint64_t m_origin = 0;
};

// Gives the file the disk's size by writing its last byte first; layout writes come after.
int32_t SetFileSize(std::FILE* file, uint64_t bytes) {
    if (bytes == 0) return ERR_OK;
    if (SeekTo(file, bytes - 1) != 0 || std::fputc(0, file) == EOF) return ERR_WRITE;
    return ERR_OK;
}

}  // namespace

int32_t BvWriteDiskImage(const CBvDisk& disk, const std::string& path) {
    if (disk.GetStatus() != ERR_OK) return disk.GetStatus();
    // A size whose byte count no file offset holds would wrap round to a small file.
    if (disk.GetTotalSectors() > uint64_t{INT64_MAX} / disk.GetSectorSize()) return ERR_WRITE;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return ERR_FILE_OPEN;
    DiskImageFile sink(file, disk.GetSectorSize());
    int32_t status = SetFileSize(file, disk.GetTotalSectors() * disk.GetSectorSize());
    if (status == ERR_OK) status = BvWriteFatLayout(disk, sink, BvLeftoverWrite::BeforeVolume);
    if (std::fclose(file) != 0 && status == ERR_OK) status = ERR_WRITE;
    return status;
}
