#pragma once
// The whole of a file as raw bytes (no line-end translation, no end-of-text byte).
#include <cstdint>
#include <memory>
#include <string>

// ERR_FILE_OPEN when the file cannot be opened, ERR_FILE_READ when its size cannot be
// determined or it cannot be read in full, ERR_NO_MEMORY when no buffer of its size can be had
// (also for files of 4 GiB and more, which no image array can hold).
int32_t BvReadFileBytes(const std::string& fileName, std::unique_ptr<uint8_t[]>& bytes, uint32_t& size);
