#pragma once
// Writes the disk a format operation leaves behind to an image file: every sector the format
// writes, in the same layout; what it leaves alone (the data area) stays a hole of the file.
#include <cstdint>
#include <string>

class CBvDisk;

// The file is created anew with the disk's full size. A disk without a layout (status not 0)
// returns that status and leaves the file alone; ERR_FILE_OPEN or ERR_WRITE when the file
// cannot be made (ERR_WRITE at once for a disk too large for any file).
int32_t BvWriteDiskImage(const CBvDisk& disk, const std::string& path);
