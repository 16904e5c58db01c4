#pragma once
// Memory for the drives' 64 KiB chunks, carved from 2 MiB slabs that the kernel may back with
// huge pages: a first write then costs one page fault per 2 MiB instead of one per 4 KiB.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

class ChunkPool {
public:
    static constexpr size_t kChunkBytes = 64 * 1024;
    static constexpr size_t kSlabBytes = 2 * 1024 * 1024;

    ChunkPool() = default;
    ~ChunkPool();
    ChunkPool(const ChunkPool&) = delete;
    ChunkPool& operator=(const ChunkPool&) = delete;

    uint8_t* Take();            // nullptr when no memory can be had
    void Give(uint8_t* chunk);  // back to the pool for the next Take
    // Returns the slabs to the system when no chunk is in use.
    void TrimIfUnused();

private:
    std::vector<uint8_t*> slabs_;
    std::vector<uint8_t*> free_;
    size_t inUse_ = 0;
};

}  // namespace sim
