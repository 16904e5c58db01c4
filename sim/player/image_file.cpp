// The player's image file: the whole state of one player, written chunks only.
//
// Layout (all numbers little-endian):
//   "BVPLAYER" (8 bytes), format version (u32), payload length (u64), payload CRC-32 (u32),
//   payload:
//     config   capacity u64, system sector u32, data sector u32, reset delay u32, boot delay u32,
//              vendor, product, revision (text: u32 length + bytes), chip revision u16
//     bus      recovery mode u8, transition pending u8, remaining ms u64
//     faults   plan text, bytes written since the plan u64, rule count u32, matches u64 each
//     recovery stream broken u8, stream (u64 length + bytes), booted image (u64 length + bytes)
//     medium   table readable u8, drive count u32, per drive: number u8, type u8, tag u8,
//              size u64, sector size u32, offset u64, component version 3 x u16, product
//              version 3 x u16, chunk count u64, per chunk: index u64 + 65536 bytes
#include <cstdio>
#include <cstring>
#include <memory>

#include "sim/player/byte_order.h"
#include "sim/player/crc32.h"
#include "sim/player/player.h"
#include "sim/player/player_state.h"

namespace sim {

namespace {

constexpr char kMagic[8] = {'B', 'V', 'P', 'L', 'A', 'Y', 'E', 'R'};
constexpr uint32_t kFormatVersion = 1;
constexpr size_t kHeaderLength = 8 + 4 + 8 + 4;
constexpr uint32_t kMaxTextLength = 4096;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Streams the payload out, keeping its length and CRC.
class Writer {
public:
    explicit Writer(FILE* f) : f_(f) {}
    void Bytes(const void* data, size_t length) {
        if (length == 0 || !ok_) return;
        ok_ = std::fwrite(data, 1, length, f_) == length;
        crc_ = Crc32Update(crc_, static_cast<const uint8_t*>(data), length);
        length_ += length;
    }
    void Number(uint64_t value, int bytes) {
        uint8_t b[8];
        StoreLe(b, value, bytes);
        Bytes(b, static_cast<size_t>(bytes));
    }
    void Text(const std::string& text) {
        Number(text.size(), 4);
        Bytes(text.data(), text.size());
    }
    void Blob(const std::vector<uint8_t>& blob) {
        Number(blob.size(), 8);
        Bytes(blob.data(), blob.size());
    }
    bool ok() const { return ok_; }
    uint64_t length() const { return length_; }
    uint32_t crc() const { return crc_; }

private:
    FILE* f_;
    bool ok_ = true;
    uint64_t length_ = 0;
    uint32_t crc_ = 0;
};

// Reads the payload back, never past its declared length.
class Reader {
public:
    Reader(FILE* f, uint64_t length) : f_(f), left_(length) {}
    bool Bytes(void* out, uint64_t length) {
        if (!ok_ || length > left_) return Fail();
        if (length == 0) return true;
        if (std::fread(out, 1, static_cast<size_t>(length), f_) != length) return Fail();
        crc_ = Crc32Update(crc_, static_cast<const uint8_t*>(out), static_cast<size_t>(length));
        left_ -= length;
        return true;
    }
    bool Number(uint64_t* value, int bytes) {
        uint8_t b[8];
        if (!Bytes(b, static_cast<uint64_t>(bytes))) return false;
        *value = LoadLe(b, bytes);
        return true;
    }
    template <typename T>
    bool Field(T* value, int bytes) {
        uint64_t v = 0;
        if (!Number(&v, bytes)) return false;
        *value = static_cast<T>(v);
        return true;
    }
    bool Text(std::string* text) {
        uint32_t length = 0;
        if (!Field(&length, 4) || length > kMaxTextLength) return Fail();
        text->assign(length, '\0');
        return Bytes(&(*text)[0], length);
    }
    bool Blob(std::vector<uint8_t>* blob) {
        uint64_t length = 0;
        if (!Number(&length, 8) || length > left_) return Fail();
        blob->assign(static_cast<size_t>(length), 0);
        return Bytes(blob->data(), length);
    }
    bool Fail() { return ok_ = false; }
    bool ok() const { return ok_; }
    uint64_t left() const { return left_; }
    uint32_t crc() const { return crc_; }

private:
    FILE* f_;
    uint64_t left_;
    bool ok_ = true;
    uint32_t crc_ = 0;
};

void WritePayload(Writer& w, const Player::State& s, uint64_t now) {
    const PlayerConfig& c = s.config;
    w.Number(c.capacityBytes, 8);
    w.Number(c.systemSectorSize, 4);
    w.Number(c.dataSectorSize, 4);
    w.Number(c.resetDelayMs, 4);
    w.Number(c.bootDelayMs, 4);
    w.Text(c.identity.vendor);
    w.Text(c.identity.product);
    w.Text(c.identity.revision);
    w.Number(c.identity.chipRevision, 2);

    w.Number(s.recoveryMode, 1);
    w.Number(s.transitionPending, 1);
    w.Number(s.transitionPending && s.transitionDueMs > now ? s.transitionDueMs - now : 0, 8);

    w.Text(s.plan.ToText());
    w.Number(s.bytesWrittenSincePlan, 8);
    w.Number(s.plan.rules.size(), 4);
    for (const auto& rule : s.plan.rules) w.Number(rule.matched, 8);

    w.Number(s.streamBroken, 1);
    w.Blob(s.stream);
    w.Blob(s.bootedImage);

    w.Number(s.medium.TableReadable(), 1);
    const auto& drives = s.medium.RawDrives();
    w.Number(drives.size(), 4);
    for (const auto& d : drives) {
        w.Number(d.number, 1);
        w.Number(d.type, 1);
        w.Number(d.tag, 1);
        w.Number(d.sizeBytes, 8);
        w.Number(d.sectorSize, 4);
        w.Number(d.offset, 8);
        for (uint16_t v : d.componentVersion) w.Number(v, 2);
        for (uint16_t v : d.productVersion) w.Number(v, 2);
        const std::vector<uint64_t> chunks = d.contents.ChunkIndexes();
        w.Number(chunks.size(), 8);
        for (uint64_t index : chunks) {
            w.Number(index, 8);
            w.Bytes(d.contents.Chunk(index), SparseStore::kChunkBytes);
        }
    }
}

bool ValidSectorSize(uint32_t size) { return size >= 1 && size <= Player::State::kMaxSectorSize; }

// Reads the payload into a fresh state; *why names the first thing that is wrong.
std::unique_ptr<Player::State> ReadPayload(Reader& r, uint64_t now, std::string* why) {
    PlayerConfig c;
    bool ok = r.Field(&c.capacityBytes, 8) && r.Field(&c.systemSectorSize, 4) &&
              r.Field(&c.dataSectorSize, 4) && r.Field(&c.resetDelayMs, 4) && r.Field(&c.bootDelayMs, 4) &&
              r.Text(&c.identity.vendor) && r.Text(&c.identity.product) && r.Text(&c.identity.revision) &&
              r.Field(&c.identity.chipRevision, 2);
    if (!ok) return *why = "truncated configuration", nullptr;
    if (c.capacityBytes == 0 || !ValidSectorSize(c.systemSectorSize) || !ValidSectorSize(c.dataSectorSize))
        return *why = "impossible medium configuration", nullptr;

    std::unique_ptr<Player::State> s(new Player::State(c));
    uint8_t recoveryMode = 0, pending = 0, broken = 0, readable = 0;
    uint64_t remainingMs = 0;
    ok = r.Field(&recoveryMode, 1) && r.Field(&pending, 1) && r.Number(&remainingMs, 8);
    if (!ok || recoveryMode > 1 || pending > 1) return *why = "bad bus state", nullptr;
    s->recoveryMode = recoveryMode != 0;
    s->transitionPending = pending != 0;
    s->transitionDueMs = now + remainingMs;

    std::string planText, planError;
    uint32_t ruleCount = 0;
    if (!r.Text(&planText) || !r.Number(&s->bytesWrittenSincePlan, 8) || !r.Field(&ruleCount, 4))
        return *why = "truncated fault plan", nullptr;
    if (!FaultPlan::Parse(planText, &s->plan, &planError) || ruleCount != s->plan.rules.size())
        return *why = "bad fault plan", nullptr;
    for (auto& rule : s->plan.rules)
        if (!r.Number(&rule.matched, 8)) return *why = "truncated fault plan", nullptr;

    if (!r.Field(&broken, 1) || broken > 1 || !r.Blob(&s->stream) || !r.Blob(&s->bootedImage))
        return *why = "bad recovery state", nullptr;
    s->streamBroken = broken != 0;

    uint32_t driveCount = 0;
    if (!r.Field(&readable, 1) || readable > 1 || !r.Field(&driveCount, 4) || driveCount > Medium::kMaxDrives)
        return *why = "bad logical media table", nullptr;
    auto& drives = s->medium.RawDrives();
    drives.resize(driveCount);
    s->medium.AttachContents();
    uint64_t end = 0;
    std::vector<uint8_t> chunk(SparseStore::kChunkBytes);
    for (auto& d : drives) {
        ok = r.Field(&d.number, 1) && r.Field(&d.type, 1) && r.Field(&d.tag, 1) && r.Field(&d.sizeBytes, 8) &&
             r.Field(&d.sectorSize, 4) && r.Field(&d.offset, 8);
        for (auto& v : d.componentVersion) ok = ok && r.Field(&v, 2);
        for (auto& v : d.productVersion) ok = ok && r.Field(&v, 2);
        if (!ok || d.type > 1 || !ValidSectorSize(d.sectorSize) || d.sizeBytes % d.sectorSize != 0 ||
            (d.IsData() && d.sizeBytes == 0) ||
            d.offset < end || d.sizeBytes > c.capacityBytes || d.offset > c.capacityBytes - d.sizeBytes)
            return *why = "bad logical drive", nullptr;
        end = d.offset + d.sizeBytes;
        uint64_t chunkCount = 0;
        const uint64_t maxChunks = (d.sizeBytes + SparseStore::kChunkBytes - 1) / SparseStore::kChunkBytes;
        if (!r.Number(&chunkCount, 8) || chunkCount > maxChunks) return *why = "bad drive contents", nullptr;
        for (uint64_t i = 0; i < chunkCount; ++i) {
            uint64_t index = 0;
            if (!r.Number(&index, 8) || index >= maxChunks || d.contents.Chunk(index) != nullptr ||
                !r.Bytes(chunk.data(), chunk.size()))
                return *why = "bad drive contents", nullptr;
            if (!d.contents.PutChunk(index, chunk.data())) return *why = "not enough memory", nullptr;
        }
    }
    s->medium.SetReadable(readable != 0);
    if (r.left() != 0) return *why = "unexpected bytes after the contents", nullptr;
    return s;
}

}  // namespace

bool Player::Save(const std::string& path, std::string* error) {
    std::string ignored;
    if (error == nullptr) error = &ignored;
    const uint64_t now = clock_.NowMs();
    state_->Settle(now);
    // Written beside the target and renamed over it, so a failed save leaves the old file.
    const std::string temp = path + ".tmp";
    File f(std::fopen(temp.c_str(), "wb"));
    if (!f) {
        *error = "cannot create " + temp;
        return false;
    }
    uint8_t header[kHeaderLength] = {};
    std::fwrite(header, 1, sizeof header, f.get());
    Writer w(f.get());
    WritePayload(w, *state_, now);
    std::memcpy(header, kMagic, 8);
    StoreLe(header + 8, kFormatVersion, 4);
    StoreLe(header + 12, w.length(), 8);
    StoreLe(header + 20, w.crc(), 4);
    const bool written = w.ok() && std::fseek(f.get(), 0, SEEK_SET) == 0 &&
                         std::fwrite(header, 1, sizeof header, f.get()) == sizeof header;
    const bool closed = std::fclose(f.release()) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool Player::Load(const std::string& path, std::string* error) {
    std::string ignored;
    if (error == nullptr) error = &ignored;
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        *error = "cannot open " + path;
        return false;
    }
    uint8_t header[kHeaderLength];
    if (std::fread(header, 1, sizeof header, f.get()) != sizeof header ||
        std::memcmp(header, kMagic, 8) != 0) {
        *error = path + " is not a player image";
        return false;
    }
    const uint64_t version = LoadLe(header + 8, 4);
    if (version != kFormatVersion) {
        *error = path + " has player image format version " + std::to_string(version) +
                 ", this player reads version " + std::to_string(kFormatVersion);
        return false;
    }
    const uint64_t length = LoadLe(header + 12, 8);
    const uint32_t crc = static_cast<uint32_t>(LoadLe(header + 20, 4));
    Reader r(f.get(), length);
    std::string why;
    std::unique_ptr<State> loaded = ReadPayload(r, clock_.NowMs(), &why);
    if (loaded && r.crc() != crc) {
        loaded.reset();
        why = "checksum mismatch";
    }
    if (loaded && std::fgetc(f.get()) != EOF) {
        loaded.reset();
        why = "unexpected bytes after the payload";
    }
    if (!loaded) {
        *error = path + " is damaged (" + why + ")";
        return false;
    }
    loaded->unplugged = state_->unplugged;
    loaded->generation = state_->generation + 1;
    state_ = std::move(loaded);
    return true;
}

}  // namespace sim
