#pragma once
// The program-wide status codes: 0 is success, every failure a small negative number.
#include <cstdint>

enum BvStatus : int32_t {
    ERR_OK = 0,
    ERR_NO_MEMORY = -1,
    ERR_INDEX_RANGE = -2,
    ERR_SHORT_BUFFER = -3,
    ERR_COMPONENT_ABSENT = -4,
    ERR_NOT_CONFIGURED = -5,
    ERR_RESERVED_6 = -6,
    ERR_RESERVED_7 = -7,
    ERR_BAD_MEDIA_INFO_TYPE = -8,
    ERR_BAD_SELECTOR = -9,
    ERR_DATA_TOO_LARGE = -10,
    ERR_FILE_OPEN = -11,
    ERR_FILE_READ = -12,
    ERR_RECOVERY_WRITE = -13,
    ERR_RECOVERY_OPEN = -14,
    ERR_DEVICE_CONTROL = -15,
    ERR_RECOVERY_TIMEOUT = -16,
    ERR_REGISTRY_KEY = -17,
    ERR_NO_DRIVE_LETTER = -18,
    ERR_ASPI_MISSING = -19,
    ERR_ASPI_ENTRY_POINT = -20,
    ERR_ASPI_NOT_READY = -21,
    ERR_PLAYER_NOT_FOUND = -22,
    ERR_SCSI_COMMAND = -23,
    ERR_DEVICE_OPEN = -24,
    ERR_DISK_CONTROL = -25,
    ERR_NO_DEVICE = -26,
    ERR_NO_TRANSPORT = -27,
    ERR_TEXT_LOAD = -28,
    ERR_RESERVED_29 = -29,
    ERR_RESERVED_30 = -30,
    ERR_LOCK = -31,
    ERR_UNLOCK = -32,
    ERR_CHS = -33,
    ERR_CHS_RANGE = -34,
    ERR_RESERVED_35 = -35,
    ERR_READ = -36,
    ERR_WRITE = -37,
    ERR_RESERVED_38 = -38,
    ERR_FAT_TYPE = -39,
    ERR_DISMOUNT = -40,
    ERR_ICON_LOAD = -41,
    ERR_LOG_FILE_NAME = -42,
    ERR_FORMAT_NEEDED = -43,
    ERR_RESERVED_44 = -44,
    ERR_RESERVED_45 = -45,
    ERR_RESERVED_46 = -46,
    ERR_RESERVED_47 = -47,
    ERR_RESERVED_48 = -48,
    ERR_RESERVED_49 = -49,
    ERR_RESERVED_50 = -50,
    ERR_INSTANCE_LOCK = -51,
    ERR_ALREADY_RUNNING = -52,
    ERR_PLAYER_LOST_START = -53,
    ERR_PLAYER_LOST_DETAILS = -54,
    ERR_DRIVE_QUERY = -55,
    ERR_DISK_INFO = -56,
    ERR_VERIFY = -57,
    ERR_NOT_ADMIN = -58,
    ERR_SETTINGS_DELETE = -59,
    ERR_NO_TEXT = -60,
    ERR_LANGUAGE_MODULE = -61,
    ERR_INSTANCE_EXISTS = -62,
    ERR_UNKNOWN_DEVICE_CODE = -63,
};

// One row of the status table: the code, its name and the id of its text in the
// language module (-1 for the internal codes that have no text).
struct BvStatusEntry {
    int32_t code;
    const char* name;
    int32_t textId;
};

constexpr int32_t kBvNoTextId = -1;

// The whole table, ordered from 0 down to -63.
const BvStatusEntry* BvStatusTable();
int32_t BvStatusTableSize();

// The row of a code, or null for a code outside the table.
const BvStatusEntry* BvFindStatus(int32_t code);

// "ERR_FILE_READ" for -12; "ERR_?" for a code outside the table.
const char* BvStatusName(int32_t code);
