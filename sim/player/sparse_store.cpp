#include "sim/player/sparse_store.h"

#include <algorithm>
#include <cstring>

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
            std::memcpy(out, it->second + within, part);
        }
        out += part;
        offset += part;
        length -= part;
    }
}

uint8_t* SparseStore::ChunkForWrite(uint64_t index, bool wholeChunk) {
    auto it = chunks_.find(index);
    if (it != chunks_.end()) return it->second;
    uint8_t* chunk = pool_ != nullptr ? pool_->Take() : nullptr;
    if (chunk == nullptr) return nullptr;
    // A chunk about to be overwritten completely needs no erased background.
    if (!wholeChunk) std::memset(chunk, kErased, kChunkBytes);
    chunks_.emplace(index, chunk);
    return chunk;
}

void SparseStore::Erase() {
    for (const auto& entry : chunks_) pool_->Give(entry.second);
    chunks_.clear();
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
    return it == chunks_.end() ? nullptr : it->second;
}

bool SparseStore::PutChunk(uint64_t index, const uint8_t* bytes) {
    uint8_t* chunk = ChunkForWrite(index, true);
    if (!chunk) return false;
    std::memcpy(chunk, bytes, kChunkBytes);
    return true;
}

}  // namespace sim
