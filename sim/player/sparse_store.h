#pragma once
// The contents of one logical drive: erased flash reads 0xFF, and only the 64 KiB chunks that
// were written take memory, so a 32 GiB drive written in a few places stays small.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "sim/player/chunk_pool.h"

namespace sim {

class SparseStore {
public:
    static constexpr uint32_t kChunkBytes = ChunkPool::kChunkBytes;

    SparseStore() = default;
    ~SparseStore() { Erase(); }
    SparseStore(SparseStore&& other) noexcept { Swap(other); }
    SparseStore& operator=(SparseStore&& other) noexcept {
        Erase();
        Swap(other);
        return *this;
    }
    SparseStore(const SparseStore&) = delete;
    SparseStore& operator=(const SparseStore&) = delete;

    // Chunks come from this pool, which must outlive the store's chunks.
    void SetPool(ChunkPool* pool) { pool_ = pool; }

    // Callers keep offset + length within their drive; the store itself has no size.
    void Read(uint64_t offset, uint8_t* out, size_t length) const;
    // False when memory for a new chunk cannot be had; chunks written before stay written.
    bool Write(uint64_t offset, const uint8_t* in, size_t length);
    void Erase();

    size_t ChunkCount() const { return chunks_.size(); }
    uint64_t StoredBytes() const { return static_cast<uint64_t>(chunks_.size()) * kChunkBytes; }
    // Chunk indexes in ascending order, and access to one chunk (for saving).
    std::vector<uint64_t> ChunkIndexes() const;
    const uint8_t* Chunk(uint64_t index) const;
    // Puts a whole chunk in place (for loading); false without memory.
    bool PutChunk(uint64_t index, const uint8_t* bytes);

private:
    uint8_t* ChunkForWrite(uint64_t index, bool wholeChunk);
    void Swap(SparseStore& other) {
        chunks_.swap(other.chunks_);
        std::swap(pool_, other.pool_);
    }

    ChunkPool* pool_ = nullptr;
    std::unordered_map<uint64_t, uint8_t*> chunks_;
};

}  // namespace sim
