// Formats disk images of many sizes with fatimage and lets third-party tools judge them:
// fsck.fat on the partition, sfdisk on the partition table, mtools copying a file in and out.
// What those tools do not look at is checked here from the raw bytes.
#define _FILE_OFFSET_BITS 64

#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

struct Case {
    uint64_t sectors;
    uint32_t sectorSize;
    bool fat16;
};

std::string Describe(const Case& c) {
    std::ostringstream s;
    s << c.sectors << " sectors of " << c.sectorSize << (c.fat16 ? " --fat16" : "");
    return s.str();
}

struct Run {
    int exitCode = -1;
    bool signalled = false;
    std::string output;
};

// Runs a shell command, capturing stdout and stderr; a signal counts as failure.
Run Shell(const std::string& command) {
    Run run;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    int status = pclose(pipe);
    if (WIFSIGNALED(status)) {
        run.signalled = true;
    } else if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
        // The shell reports a signalled child as 128 + signal.
        if (run.exitCode > 128) run.signalled = true;
    }
    return run;
}

std::vector<uint8_t> ReadAt(const std::string& path, uint64_t offset, size_t size) {
    std::vector<uint8_t> bytes(size, 0xEE);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    if (fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, size, f) != size)
        bytes.clear();
    std::fclose(f);
    return bytes;
}

uint32_t Le(const std::vector<uint8_t>& b, size_t offset, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[offset + i];
    return v;
}

uint64_t FileSize(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    fseeko(f, 0, SEEK_END);
    uint64_t size = static_cast<uint64_t>(ftello(f));
    std::fclose(f);
    return size;
}

bool AllZero(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes)
        if (b) return false;
    return true;
}

// Copies the partition's first `metadataSectors` sectors (the rest is untouched, hence zero)
// into a sparse file of exactly the partition's size, the form fsck.fat wants.
bool CopyPartition(const std::string& image, uint64_t start, uint64_t sectors,
                   uint64_t metadataSectors, uint32_t sectorSize, const std::string& out) {
    std::FILE* in = std::fopen(image.c_str(), "rb");
    std::FILE* f = std::fopen(out.c_str(), "wb");
    bool ok = in && f && fseeko(in, static_cast<off_t>(start * sectorSize), SEEK_SET) == 0;
    std::vector<uint8_t> bytes(64 * 1024);
    const uint64_t total = metadataSectors * sectorSize;
    for (uint64_t done = 0; ok && done < total; done += bytes.size()) {
        size_t n = total - done < bytes.size() ? static_cast<size_t>(total - done) : bytes.size();
        bytes.resize(n);
        ok = std::fread(bytes.data(), 1, n, in) == n;
        if (ok && !AllZero(bytes))
            ok = fseeko(f, static_cast<off_t>(done), SEEK_SET) == 0 &&
                 std::fwrite(bytes.data(), 1, n, f) == n;
    }
    if (in) std::fclose(in);
    if (f) std::fclose(f);
    return ok && Shell("truncate -s " + std::to_string(sectors * sectorSize) + " " + out).exitCode == 0;
}

std::map<std::string, std::string> ParseLayout(const std::string& text) {
    std::map<std::string, std::string> layout;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(": ");
        if (colon != std::string::npos) layout[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return layout;
}

// The number after `"key":` in sfdisk's JSON, or -1.
long long JsonNumber(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return -1;
    return std::strtoll(json.c_str() + at + key.size() + 3, nullptr, 10);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class Checker {
public:
    Checker(std::string fatimage, const Case& c) : m_fatimage(std::move(fatimage)), m_case(c) {}

    std::vector<std::string> Check();

private:
    void Expect(bool condition, const std::string& what) {
        if (!condition) m_failures.push_back(what);
    }
    void CheckRawBytes(uint64_t start, uint64_t volume, uint64_t spt);
    void CheckPartitionTable(uint64_t start, uint64_t volume, const char* partitionType);
    void CheckFsck(uint64_t start, uint64_t volume);
    void CheckCopy(uint64_t start);

    const std::string m_fatimage;
    const Case m_case;
    const std::string m_image = "peer.img";
    const std::string m_partition = "peer_part.img";
    std::vector<std::string> m_failures;
    std::string m_fatType;
    uint64_t m_metadataSectors = 0;
};

std::vector<std::string> Checker::Check() {
    std::string command = m_fatimage + (m_case.fat16 ? " --fat16" : "") + " --sector-size " +
                          std::to_string(m_case.sectorSize) + " " + std::to_string(m_case.sectors) +
                          " " + m_image;
    Run made = Shell(command);
    if (made.exitCode != 0 || made.signalled) {
        m_failures.push_back("fatimage failed: " + made.output);
        return m_failures;
    }
    auto layout = ParseLayout(made.output);
    const uint64_t start = std::strtoull(layout["volume start"].c_str(), nullptr, 10);
    const uint64_t volume = std::strtoull(layout["volume sectors"].c_str(), nullptr, 10);
    const uint64_t spt = std::strtoull(layout["sectors per track"].c_str(), nullptr, 10);
    const uint64_t geometry = std::strtoull(layout["geometry sectors"].c_str(), nullptr, 10);
    const uint64_t leftover = std::strtoull(layout["leftover sectors"].c_str(), nullptr, 10);
    m_fatType = layout["fat type"];
    Expect(start == spt && start + volume == geometry && geometry + leftover == m_case.sectors,
           "printed layout does not add up: " + made.output);
    Expect(FileSize(m_image) == m_case.sectors * m_case.sectorSize, "image size");

    CheckRawBytes(start, volume, spt);
    if (!m_failures.empty()) return m_failures;
    const char* type = m_fatType == "FAT12" ? "1" : m_fatType == "FAT16" ? "6" : "b";
    CheckPartitionTable(start, volume, type);
    CheckFsck(start, volume);
    CheckCopy(start);
    std::remove(m_image.c_str());
    std::remove(m_partition.c_str());
    return m_failures;
}

void Checker::CheckRawBytes(uint64_t start, uint64_t volume, uint64_t spt) {
    const uint32_t ss = m_case.sectorSize;
    std::vector<uint8_t> mbr = ReadAt(m_image, 0, 512);
    std::vector<uint8_t> boot = ReadAt(m_image, start * ss, 512);
    if (mbr.empty() || boot.empty()) {
        m_failures.push_back("image too short to read");
        return;
    }
    Expect(mbr[510] == 0x55 && mbr[511] == 0xAA, "MBR signature");
    Expect(boot[510] == 0x55 && boot[511] == 0xAA, "boot sector signature");
    Expect(mbr[0x1BE] == 0x80, "partition not active");
    Expect(AllZero(std::vector<uint8_t>(mbr.begin() + 0x1CE, mbr.begin() + 0x1FE)),
           "other partition entries not empty");
    Expect(Le(mbr, 0x1C6, 4) == start && Le(mbr, 0x1CA, 4) == volume, "MBR start or size");
    Expect(Le(boot, 0x1C, 4) == start, "hidden sectors differ from the partition start");
    Expect(boot[0x15] == 0xF8, "media byte");
    Expect(Le(boot, 0x0B, 2) == ss, "bytes per sector");
    Expect(Le(boot, 0x18, 2) == spt, "sectors per track in the boot sector");
    uint32_t total = Le(boot, 0x13, 2) ? Le(boot, 0x13, 2) : Le(boot, 0x20, 4);
    Expect(total == volume, "total sectors in the boot sector");

    // The FAT type follows from the cluster count, whatever the boot sector claims.
    const uint32_t spc = boot[0x0D];
    const uint32_t reserved = Le(boot, 0x0E, 2);
    const uint32_t rootEntries = Le(boot, 0x11, 2);
    const uint32_t fatSize = Le(boot, 0x16, 2) ? Le(boot, 0x16, 2) : Le(boot, 0x24, 4);
    const uint32_t rootSectors = (rootEntries * 32 + ss - 1) / ss;
    const uint64_t firstData = reserved + 2ull * fatSize + rootSectors;
    if (spc == 0 || firstData >= volume) {
        m_failures.push_back("no data area or 0 sectors per cluster");
        return;
    }
    const uint64_t clusters = (volume - firstData) / spc;
    const std::string byCount = clusters < 4085 ? "FAT12" : clusters < 65525 ? "FAT16" : "FAT32";
    Expect(byCount == m_fatType, "cluster count " + std::to_string(clusters) + " is " + byCount);
    const size_t typeText = m_fatType == "FAT32" ? 0x52 : 0x36;
    Expect(std::string(boot.begin() + typeText, boot.begin() + typeText + 5) == m_fatType,
           "file-system type text");
    m_metadataSectors = firstData + (m_fatType == "FAT32" ? spc : 0);

    std::vector<uint8_t> fat1 = ReadAt(m_image, (start + reserved) * ss, 4);
    std::vector<uint8_t> fat2 = ReadAt(m_image, (start + reserved + fatSize) * ss, 4);
    Expect(!fat1.empty() && fat1[0] == 0xF8 && fat1 == fat2, "FAT media entry");
    if (m_fatType == "FAT32") {
        Expect(ReadAt(m_image, (start + 6) * ss, 512) == boot, "backup boot sector differs");
        std::vector<uint8_t> fsInfo = ReadAt(m_image, (start + 1) * ss, 512);
        Expect(Le(fsInfo, 0, 4) == 0x41615252 && Le(fsInfo, 0x1E4, 4) == 0x61417272 &&
                   Le(fsInfo, 0x1FC, 4) == 0xAA550000,
               "FSInfo signatures");
        Expect(ReadAt(m_image, (start + 7) * ss, 512) == fsInfo, "backup FSInfo differs");
    }
    Expect(AllZero(ReadAt(m_image, ss, (start - 1) * ss)), "hidden track not zero");
    const uint64_t leftover = m_case.sectors - start - volume;
    if (leftover && leftover < 65536)
        Expect(AllZero(ReadAt(m_image, (start + volume) * ss, leftover * ss)),
               "leftover sectors not zero");
}

void Checker::CheckPartitionTable(uint64_t start, uint64_t volume, const char* partitionType) {
    Run json = Shell("sfdisk -J " + m_image);
    Expect(json.exitCode == 0 && !json.signalled, "sfdisk -J failed: " + json.output);
    Expect(Count(json.output, "\"node\"") == 1, "sfdisk sees not exactly one partition");
    Expect(JsonNumber(json.output, "start") == static_cast<long long>(start), "sfdisk start");
    Expect(JsonNumber(json.output, "size") == static_cast<long long>(volume), "sfdisk size");
    Expect(json.output.find("\"type\": \"" + std::string(partitionType) + "\"") != std::string::npos,
           "sfdisk partition type for " + m_fatType + ": " + json.output);
    Expect(json.output.find("\"bootable\": true") != std::string::npos, "sfdisk: not bootable");
}

void Checker::CheckFsck(uint64_t start, uint64_t volume) {
    if (!CopyPartition(m_image, start, volume, m_metadataSectors, m_case.sectorSize, m_partition)) {
        m_failures.push_back("cannot copy the partition");
        return;
    }
    Run fsck = Shell("fsck.fat -n " + m_partition);
    Expect(fsck.exitCode == 0 && !fsck.signalled, "fsck.fat -n: " + fsck.output);
}

void Checker::CheckCopy(uint64_t start) {
    const std::string at = m_image + "@@" + std::to_string(start * m_case.sectorSize);
    Run in = Shell("mcopy -D o -i " + at + " peer_in.txt ::/PEER.TXT");
    Expect(in.exitCode == 0 && !in.signalled, "mcopy in: " + in.output);
    Run out = Shell("mcopy -n -i " + at + " ::/PEER.TXT peer_out.txt");
    Expect(out.exitCode == 0 && !out.signalled, "mcopy out: " + out.output);
    Run same = Shell("cmp peer_in.txt peer_out.txt");
    Expect(same.exitCode == 0, "file read back differs: " + same.output);
    Run dir = Shell("mdir -i " + at + " ::");
    Expect(dir.exitCode == 0 && !dir.signalled && dir.output.find("PEER") != std::string::npos,
           "mdir: " + dir.output);
    std::remove("peer_out.txt");
}

std::vector<Case> Cases() {
    std::set<uint64_t> sizes;
    auto aroundIt = [&](uint64_t n) {
        sizes.insert(n - 1);
        sizes.insert(n);
        sizes.insert(n + 1);
    };
    // Rows of the cluster-size tables.
    for (uint64_t n : {8400ull, 65536ull, 131072ull, 262144ull, 524288ull, 1048576ull, 2097152ull,
                       4194304ull, 66600ull, 532480ull, 16777216ull, 33554432ull, 67108864ull})
        aroundIt(n);
    // FAT type thresholds (4 MiB, 32 MiB) and the end of the geometry search.
    aroundIt(4 * kMiB / 512);
    aroundIt(32 * kMiB / 512);
    aroundIt(1024ull * 256 * 63);
    // Powers of two from 1 MiB to 64 GiB, and 4 GiB either side.
    for (uint64_t bytes = kMiB; bytes <= 64 * 1024 * kMiB; bytes *= 2) sizes.insert(bytes / 512);
    aroundIt(4 * 1024 * kMiB / 512);
    // The smallest disk that must format: 64 KiB.
    sizes.insert(128);
    // Sizes where the FAT size formula alone leaves a FAT one entry short.
    sizes.insert(8866);
    sizes.insert(200160);

    std::vector<Case> cases;
    for (uint64_t n : sizes)
        for (bool fat16 : {false, true}) cases.push_back({n, 512, fat16});
    // The largest, 2 TiB, is FAT32 either way; once is enough (fsck.fat takes seconds on it).
    cases.push_back({4294967296ull, 512, false});
    // Larger sectors: the same sizes in bytes of a few disks.
    for (uint64_t bytes : {8 * kMiB, 64 * kMiB, 4096 * kMiB})
        for (uint32_t ss : {2048u, 4096u}) cases.push_back({bytes / ss, ss, false});
    return cases;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: peer_fat FATIMAGE\n");
        return 2;
    }
    // mtools must check the geometry and FAT sizes it is given, not trust them.
    unsetenv("MTOOLS_SKIP_CHECK");
    for (const char* tool : {"fsck.fat", "sfdisk", "mcopy", "mdir", "truncate", "cmp"}) {
        if (Shell(std::string("command -v ") + tool).exitCode != 0) {
            std::fprintf(stderr, "peer_fat: %s is missing (packages dosfstools, fdisk, mtools)\n", tool);
            return 1;
        }
    }
    {
        std::FILE* f = std::fopen("peer_in.txt", "wb");
        for (int i = 0; f && i < 200; ++i) std::fprintf(f, "line %d of the peer test file\n", i);
        if (f) std::fclose(f);
    }
    auto begin = std::chrono::steady_clock::now();
    const std::vector<Case> cases = Cases();
    size_t failed = 0;
    for (const Case& c : cases) {
        std::vector<std::string> failures = Checker(argv[1], c).Check();
        if (failures.empty()) continue;
        ++failed;
        std::printf("FAIL %s\n", Describe(c).c_str());
        for (const std::string& f : failures) std::printf("  %s\n", f.c_str());
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("peer_fat: %zu disk sizes checked, %zu failures (%.1f s)\n", cases.size(), failed,
                seconds);
    return failed ? 1 : 0;
}
