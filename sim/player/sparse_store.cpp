#include "sim/player/sparse_store.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace sim {

namespace {
constexpr uint8_t kErased = 0xFF;
}

void SparseStore::Read(uint64_t offset, uint8_t* out, size_t length) const {
    while (length > 0) {
        const uint64_t index = offset / kChunkBytes;
        const size_t within = static_cast<size_t>(offset % kChunkBytes);
        const size_t part = std::min(length, static_cast<size_t>(kChunkBytes) - within);
        const auto it = chunks_.find(index);
        if (it == chunks_.end()) {
            std::memset(out, kErased, part);
        } else {
            std::memcpy(out, it->second.get() + within, part);
        }
        out += part;
        offset += part;
        length -= part;
    }
}

uint8_t* SparseStore::ChunkForWrite(uint64_t index, bool wholeChunk) {
    auto it = chunks_.find(index);
    if (it != chunks_.end()) return it->second.get();
    std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[kChunkBytes]);
    if (!chunk) return nullptr;
    // A chunk about to be overwritten completely needs no erased background.
    if (!wholeChunk) std::memset(chunk.get(), kErased, kChunkBytes);
    uint8_t* bytes = chunk.get();
    chunks_.emplace(index, std::move(chunk));
    return bytes;
}

bool SparseStore::Write(uint64_t offset, const uint8_t* in, size_t length) {
    while (length > 0) {
        const uint64_t index = offset / kChunkBytes;
        const size_t within = static_cast<size_t>(offset % kChunkBytes);
        const size_t part = std::min(length, static_cast<size_t>(kChunkBytes) - within);
        uint8_t* chunk = ChunkForWrite(index, part == kChunkBytes);
        if (!chunk) return false;
        std::memcpy(chunk + within, in, part);
        in += part;
        offset += part;
        length -= part;
    }
    return true;
}

std::vector<uint64_t> SparseStore::ChunkIndexes() const {
    std::vector<uint64_t> indexes;
    indexes.reserve(chunks_.size());
    for (const auto& entry : chunks_) indexes.push_back(entry.first);
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

const uint8_t* SparseStore::Chunk(uint64_t index) const {
    const auto it = chunks_.find(index);
    return it == chunks_.end() ? nullptr : it->second.get();
}

bool SparseStore::PutChunk(uint64_t index, const uint8_t* bytes) {
    uint8_t* chunk = ChunkForWrite(index, true);
    if (!chunk) return false;
    std::memcpy(chunk, bytes, kChunkBytes);
    return true;
}

}  // namespace sim
