// bvplayer: creates, inspects, bricks and damages emulated player images.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/player/clock.h"
#include "sim/player/player.h"
#include "tools/bvplayer/component_file.h"
#include "tools/bvplayer/player_host.h"

namespace {

const char kHelp[] =
    "usage: bvplayer COMMAND ...\n"
    "\n"
    "  new FILE [--capacity SIZE] [--firmware DIR]\n"
    "      Creates a player image. Its table holds the four system drives (tags 0x50, 0x01,\n"
    "      0x00, 0x02) and a data drive with the rest of the medium, in the order the updater\n"
    "      allocates them: 0x50, data drive, 0x01, 0x00, 0x02 (drive numbers 0 to 4). With\n"
    "      --firmware the system drives are sized for the component files in DIR\n"
    "      (bootmanager.sb, usbmsc.sb, bvmpsys.sb, resource.bin) and hold their images (0xFF\n"
    "      up to the end of the drive) and versions, as an update leaves them. Without it they\n"
    "      have 64 KiB, 256 KiB, 1 MiB and 2 MiB, are erased and carry version 0.0.0. The data\n"
    "      drive is left erased (unformatted). SIZE is a byte count with an optional suffix\n"
    "      K, M, G or T (powers of 1024); the default is 256M.\n"
    "  show FILE\n"
    "      Prints the player as `key: value` lines, in this order:\n"
    "        vendor: TEXT            INQUIRY vendor, trailing blanks removed\n"
    "        product: TEXT           INQUIRY product, trailing blanks removed\n"
    "        revision: TEXT          INQUIRY revision, trailing blanks removed\n"
    "        chip revision: 0xHHHH   answer of the chip revision command\n"
    "        mode: disk|recovery     the role the player takes on the bus\n"
    "        capacity: BYTES         size of the flash medium\n"
    "        entry I: number N type T tag 0xTT size BYTES sector SECTORSIZE\n"
    "                                one line per table entry (I from 0), or instead\n"
    "        table: unreadable       when the table is erased or damaged\n"
    "        versions 0xTT: product 001.002.003 component 004.005.006\n"
    "                                one line per system drive, in table order\n"
    "        data in use: BYTES      memory the data drive's written contents take\n"
    "                                (whole 64 KiB chunks; 0 without a data drive)\n"
    "        faults: PLAN|none       the stored fault plan in canonical form\n"
    "      The identity lines show what the bus sees (an identity fault changes them).\n"
    "  brick FILE\n"
    "      Puts the player into recovery mode: it shows up only as a recovery device until\n"
    "      a recovery image is sent to it.\n"
    "  fault FILE PLAN\n"
    "      Stores a fault plan, replacing the previous one; PLAN \"none\" or \"\" clears it.\n"
    "  export-data FILE IMAGE\n"
    "      Writes the data drive as a raw disk image (erased sectors read 0xFF).\n"
    "\n"
    "PLAN: rules separated by ';', each a kind and blank-separated words. Numbers are\n"
    "decimal or 0x-hexadecimal; TEXT may be double-quoted to hold blanks.\n"
    "  fail     [op=N] [fn=N] [drive=N] [nth=N] [times=N] (code=N | transport)\n"
    "           the command fails: sense key 9 with device code N, or a transport failure\n"
    "  flip     [op=N] [fn=N] [drive=N] [nth=N] [times=N] [byte=N] [bit=N]\n"
    "           the command's data-in arrive with that bit inverted (stored data intact)\n"
    "  delay    [op=N] [fn=N] [drive=N] [nth=N] [times=N] ms=N\n"
    "           the command takes N ms of the owner's clock\n"
    "  recovery [nth=N] [times=N] (short=N | late=MS | never)\n"
    "           a recovery write accepts only N bytes, completes after MS, or never\n"
    "  unplug   after=N\n"
    "           the player leaves the bus once more than N bytes were written to it\n"
    "  table-unreadable   damages the table (the next allocation repairs it)\n"
    "  media-flag-clear   media info type 9 answers 0; the medium counts as absent\n"
    "  identity [vendor=TEXT] [product=TEXT] [revision=TEXT] [chip=N]\n"
    "Matching: op = CDB byte 0, fn = CDB byte 1 of a vendor command (0xC0/0xC1), drive = the\n"
    "drive number in CDB byte 2 of the vendor commands that carry one. Omitted keys match\n"
    "anything. A rule acts on the nth matching command (default 1) and on the times-1\n"
    "after it (times default 1; 0 = every one from the nth on).\n"
    "Example: fail op=0xC1 fn=0x23 drive=2 nth=3 code=0x0501; flip op=0x28 byte=17 bit=3\n"
    "\n"
    "On an error bvplayer prints one line on stderr, exits 1 and leaves FILE untouched.\n";

struct Component {
    const char* file;
    uint8_t tag;
    uint64_t defaultSize;
};
// In the order the updater allocates the system drives after the data drive's slot.
const Component kBootManager = {"bootmanager.sb", 0x50, 64 << 10};
const Component kOthers[] = {{"usbmsc.sb", 0x01, 256 << 10},
                             {"bvmpsys.sb", 0x00, 1 << 20},
                             {"resource.bin", 0x02, 2 << 20}};
constexpr uint8_t kDataTag = 0x0A;

int Fail(const std::string& message) {
    std::fprintf(stderr, "bvplayer: %s\n", message.c_str());
    return 1;
}

bool ParseSize(const std::string& text, uint64_t* size) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    size_t at = 0;
    uint64_t n = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        const uint64_t digit = static_cast<uint64_t>(text[at++] - '0');
        if (n > (UINT64_MAX - digit) / 10) return false;
        n = n * 10 + digit;
    }
    int shift = 0;
    if (at < text.size()) {
        const char* const units = "KMGT";
        const char* unit = std::strchr(units, text[at] & ~0x20);
        if (unit == nullptr || *unit == '\0' || at + 1 != text.size()) return false;
        shift = 10 * static_cast<int>(unit - units + 1);
    }
    if (n > (UINT64_MAX >> shift)) return false;
    *size = n << shift;
    return n > 0;
}

std::string Trimmed(const std::string& text) {
    const size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

int New(int argc, char** argv) {
    if (argc < 3) return Fail("new needs FILE");
    const std::string path = argv[2];
    uint64_t capacity = 256ull << 20;
    std::string firmwareDir;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return Fail(option + " needs a value");
        if (option == "--capacity") {
            if (!ParseSize(argv[++i], &capacity)) return Fail(std::string("bad size '") + argv[i] + "'");
        } else if (option == "--firmware") {
            firmwareDir = argv[++i];
        } else {
            return Fail("unknown option '" + option + "'");
        }
    }

    // The components in allocation order; the data drive goes into slot 1.
    std::vector<Component> components = {kBootManager};
    components.insert(components.end(), std::begin(kOthers), std::end(kOthers));
    std::vector<bvplayer::ComponentFile> files(components.size());
    std::string error;
    for (size_t i = 0; i < components.size() && !firmwareDir.empty(); ++i)
        if (!bvplayer::ReadComponentFile(firmwareDir + "/" + components[i].file, &files[i], &error)) return Fail(error);

    std::vector<bvplayer::TableEntry> layout;
    for (size_t i = 0; i < components.size(); ++i) {
        const uint64_t size = firmwareDir.empty() ? components[i].defaultSize : files[i].image.size();
        layout.push_back(bvplayer::TableEntry{0, 1, components[i].tag, size});
    }
    layout.insert(layout.begin() + 1, bvplayer::TableEntry{0, 0, kDataTag, 0});

    sim::ManualClock clock;
    sim::PlayerConfig config;
    config.capacityBytes = capacity;
    sim::Player player(clock, config);
    bvplayer::PlayerHost host(player);
    std::vector<bvplayer::TableEntry> table;
    if (!host.EraseMedium(&error) || !host.Allocate(layout, &error) || !host.ReadTable(&table, &error))
        return Fail(error);
    for (const auto& entry : table) {
        if (!host.EraseDrive(entry.number, &error)) return Fail(error);
        if (entry.type != 1 || firmwareDir.empty()) continue;
        for (size_t i = 0; i < components.size(); ++i) {
            if (components[i].tag != entry.tag) continue;
            if (!host.SetVersion(entry.number, 8, files[i].productVersion, &error) ||
                !host.SetVersion(entry.number, 7, files[i].componentVersion, &error) ||
                !host.WriteImage(entry, files[i].image, &error))
                return Fail(error);
        }
    }
    if (!player.Save(path, &error)) return Fail(error);
    return 0;
}

bool Open(const std::string& path, sim::Player& player, std::string* error) { return player.Load(path, error); }

std::string Version(const uint16_t v[3]) {
    char text[32];
    std::snprintf(text, sizeof text, "%03u.%03u.%03u", v[0], v[1], v[2]);
    return text;
}

int Show(const std::string& path) {
    sim::ManualClock clock;
    sim::Player player(clock);
    std::string error;
    if (!Open(path, player, &error)) return Fail(error);
    const sim::PlayerIdentity id = player.Identity();
    std::printf("vendor: %s\n", Trimmed(id.vendor).c_str());
    std::printf("product: %s\n", Trimmed(id.product).c_str());
    std::printf("revision: %s\n", Trimmed(id.revision).c_str());
    std::printf("chip revision: 0x%04X\n", id.chipRevision);
    std::printf("mode: %s\n", player.IsRecoveryMode() ? "recovery" : "disk");
    std::printf("capacity: %llu\n", static_cast<unsigned long long>(player.Config().capacityBytes));
    const std::vector<sim::DriveView> drives = player.Drives();
    if (!player.TableReadable()) std::printf("table: unreadable\n");
    for (size_t i = 0; i < drives.size(); ++i) {
        const sim::DriveView& d = drives[i];
        std::printf("entry %zu: number %u type %u tag 0x%02X size %llu sector %u\n", i, d.number, d.type, d.tag,
                    static_cast<unsigned long long>(d.sizeBytes), d.sectorSize);
    }
    uint64_t dataInUse = 0;
    for (const auto& d : drives) {
        if (d.type == 0) {
            dataInUse = d.storedBytes;
            continue;
        }
        std::printf("versions 0x%02X: product %s component %s\n", d.tag, Version(d.productVersion).c_str(),
                    Version(d.componentVersion).c_str());
    }
    std::printf("data in use: %llu\n", static_cast<unsigned long long>(dataInUse));
    const std::string plan = player.FaultPlanText();
    std::printf("faults: %s\n", plan.empty() ? "none" : plan.c_str());
    return 0;
}

int Brick(const std::string& path) {
    sim::ManualClock clock;
    sim::Player player(clock);
    std::string error;
    if (!Open(path, player, &error)) return Fail(error);
    player.EnterRecoveryMode();
    return player.Save(path, &error) ? 0 : Fail(error);
}

int SetFaults(const std::string& path, const std::string& planText) {
    sim::ManualClock clock;
    sim::Player player(clock);
    std::string error;
    if (!Open(path, player, &error)) return Fail(error);
    if (!player.SetFaultPlan(planText == "none" ? std::string() : planText, &error)) return Fail("bad fault plan: " + error);
    return player.Save(path, &error) ? 0 : Fail(error);
}

int ExportData(const std::string& path, const std::string& imagePath) {
    sim::ManualClock clock;
    sim::Player player(clock);
    std::string error;
    if (!Open(path, player, &error)) return Fail(error);
    const sim::DriveView* data = nullptr;
    const std::vector<sim::DriveView> drives = player.Drives();
    for (const auto& d : drives)
        if (d.type == 0) data = &d;
    if (data == nullptr) return Fail(path + " has no data drive");
    const std::string temp = imagePath + ".tmp";
    FILE* out = std::fopen(temp.c_str(), "wb");
    if (out == nullptr) return Fail("cannot create " + temp);
    std::vector<uint8_t> chunk(1 << 20);
    bool ok = true;
    for (uint64_t offset = 0; ok && offset < data->sizeBytes; offset += chunk.size()) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), data->sizeBytes - offset));
        ok = player.ReadDrive(data->number, offset, chunk.data(), n) && std::fwrite(chunk.data(), 1, n, out) == n;
    }
    ok = std::fclose(out) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), imagePath.c_str()) != 0) {
        std::remove(temp.c_str());
        return Fail("cannot write " + imagePath);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Fail("no command (see bvplayer --help)");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "new") return New(argc, argv);
    if (command == "show" && argc == 3) return Show(argv[2]);
    if (command == "brick" && argc == 3) return Brick(argv[2]);
    if (command == "fault" && argc == 4) return SetFaults(argv[2], argv[3]);
    if (command == "export-data" && argc == 4) return ExportData(argv[2], argv[3]);
    return Fail("bad command line '" + command + "' (see bvplayer --help)");
}
