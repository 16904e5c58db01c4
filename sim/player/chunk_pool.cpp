#include "sim/player/chunk_pool.h"

#include <sys/mman.h>

#include <cstdlib>

namespace sim {

ChunkPool::~ChunkPool() {
    for (uint8_t* slab : slabs_) std::free(slab);
}

uint8_t* ChunkPool::Take() {
    if (free_.empty()) {
        void* slab = nullptr;
        if (posix_memalign(&slab, kSlabBytes, kSlabBytes) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
        madvise(slab, kSlabBytes, MADV_HUGEPAGE);  // only advice: plain pages work as well
#endif
        uint8_t* bytes = static_cast<uint8_t*>(slab);
        slabs_.push_back(bytes);
        // The free list now has room for every chunk there is, so Give never grows it.
        for (size_t at = kSlabBytes; at > 0; at -= kChunkBytes) free_.push_back(bytes + at - kChunkBytes);
    }
    uint8_t* chunk = free_.back();
    free_.pop_back();
    ++inUse_;
    return chunk;
}

void ChunkPool::Give(uint8_t* chunk) {
    free_.push_back(chunk);
    --inUse_;
}

void ChunkPool::TrimIfUnused() {
    if (inUse_ != 0) return;
    for (uint8_t* slab : slabs_) std::free(slab);
    slabs_.clear();
    free_.clear();
}

}  // namespace sim
