// fatimage: writes the disk image that formatting a player's data drive of the given size
// produces, and prints the layout it chose.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/status.h"
#include "drives/disk.h"
#include "drives/disk_image_writer.h"

namespace {

constexpr int kExitUsage = 2;

void PrintUsage() {
    std::fputs("usage: fatimage [--fat16] [--sector-size N] [--label TEXT] SECTORS IMAGE\n", stderr);
}

// Whole decimal numbers only: "12abc" or "-1" is not a sector count.
bool ParseNumber(const char* text, uint64_t& value) {
    if (!*text) return false;
    uint64_t result = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        uint64_t digit = static_cast<uint64_t>(*p - '0');
        if (result > (UINT64_MAX - digit) / 10) return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

const char* FatTypeName(BvFatType type) {
    switch (type) {
    case BV_FAT12: return "FAT12";
    case BV_FAT16: return "FAT16";
    default: return "FAT32";
    }
}

void PrintLayout(const CBvDisk& disk) {
    std::printf("fat type: %s\n", FatTypeName(disk.GetFatType()));
    std::printf("cylinders: %" PRIu32 "\n", disk.GetCylinders());
    std::printf("heads: %u\n", static_cast<unsigned>(disk.GetHeads()));
    std::printf("sectors per track: %u\n", static_cast<unsigned>(disk.GetSectorsPerTrack()));
    std::printf("geometry sectors: %" PRIu64 "\n", disk.GetGeometrySectors());
    std::printf("leftover sectors: %" PRIu64 "\n", disk.GetLeftoverSectors());
    std::printf("volume start: %" PRIu64 "\n", disk.GetVolumeStart());
    std::printf("volume sectors: %" PRIu64 "\n", disk.GetVolumeSectors());
    std::printf("sectors per cluster: %" PRIu32 "\n", disk.GetSectorsPerCluster());
    std::printf("sectors per fat: %" PRIu32 "\n", disk.GetSectorsPerFat());
}

int Fail(int32_t status) {
    std::fprintf(stderr, "fatimage: %s (%" PRId32 ")\n", BvStatusName(status), status);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool fat16 = false;
    uint64_t sectorSize = 512;
    std::string label;
    const char* positional[2] = {nullptr, nullptr};
    int positionalCount = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--fat16") == 0) {
            fat16 = true;
        } else if (std::strcmp(arg, "--sector-size") == 0 && i + 1 < argc) {
            if (!ParseNumber(argv[++i], sectorSize) || sectorSize > UINT32_MAX) {
                PrintUsage();
                return kExitUsage;
            }
        } else if (std::strcmp(arg, "--label") == 0 && i + 1 < argc) {
            label = argv[++i];
        } else if (arg[0] != '-' && positionalCount < 2) {
            positional[positionalCount++] = arg;
        } else {
            PrintUsage();
            return kExitUsage;
        }
    }
    uint64_t sectors = 0;
    if (positionalCount != 2 || !ParseNumber(positional[0], sectors)) {
        PrintUsage();
        return kExitUsage;
    }

    CBvDisk disk(sectors, static_cast<uint32_t>(sectorSize),
                 reinterpret_cast<const uint8_t*>(label.data()), static_cast<uint32_t>(label.size()),
                 fat16 ? 1 : 0);
    if (disk.GetStatus() != ERR_OK) return Fail(disk.GetStatus());
    int32_t status = BvWriteDiskImage(disk, positional[1]);
    if (status != ERR_OK) return Fail(status);
    PrintLayout(disk);
    return 0;
}
