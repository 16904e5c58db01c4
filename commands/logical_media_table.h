#pragma once
// The player's logical media table: how its flash medium is divided into logical drives.
// Read with CBvGetLogicalTable, written with CBvAllocateLogicalMedia, and kept by the player
// device, its drives and the engine.
#include <cstdint>

constexpr uint32_t kBvMaxLogicalDrives = 10;  // the most the player is ever asked for
constexpr uint8_t kBvNoDrive = 0xFF;          // drive number of no drive
constexpr uint8_t kBvDataDriveTag = 10;       // tag the system gives its data drive

enum BvDriveType : uint8_t {
    kBvDataDrive = 0,
    kBvSystemDrive = 1,
};

struct BvLogicalMediaEntry {
    uint8_t driveNumber = kBvNoDrive;  // how the vendor commands address the drive
    uint8_t driveType = kBvDataDrive;  // BvDriveType
    uint8_t driveTag = 0;              // which firmware component a system drive holds
    uint64_t sizeInBytes = 0;
};

struct BvLogicalMediaTable {
    uint16_t count = 0;  // entries in use, from the front; never more than kBvMaxLogicalDrives
    BvLogicalMediaEntry entries[kBvMaxLogicalDrives];
};
