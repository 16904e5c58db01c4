// 64-bit file offsets also in the 32-bit Linux build.
#define _FILE_OFFSET_BITS 64

#include "firmware/file_bytes.h"

#include <cstdio>
#include <new>

#include "app/status.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Seeks to the end and back; -1 when the size cannot be determined.
int64_t FileSize(std::FILE* file) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    int64_t size = _ftelli64(file);
    if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
#else
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    int64_t size = ftello(file);
    if (fseeko(file, 0, SEEK_SET) != 0) return -1;
#endif
    return size;
}

}  // namespace

int32_t BvReadFileBytes(const std::string& fileName, std::unique_ptr<uint8_t[]>& bytes, uint32_t& size) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) return ERR_FILE_OPEN;

    // A first read tells a file from something that opens but cannot be read (a directory),
    // whose size would mean nothing.
    std::fgetc(file.get());
    if (std::ferror(file.get())) return ERR_FILE_READ;

    int64_t fileSize = FileSize(file.get());
    if (fileSize < 0) return ERR_FILE_READ;
    if (fileSize > int64_t{UINT32_MAX}) return ERR_NO_MEMORY;

    const uint32_t length = static_cast<uint32_t>(fileSize);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[length ? length : 1]);
    if (!buffer) return ERR_NO_MEMORY;
    // A short read is a failure: the image would otherwise end in bytes that were never read.
    if (length && std::fread(buffer.get(), 1, length, file.get()) != length) return ERR_FILE_READ;

    bytes = std::move(buffer);
    size = length;
    return ERR_OK;
}
