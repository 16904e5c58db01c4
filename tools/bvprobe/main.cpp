// bvprobe: attaches emulated players to a simulated PC and runs the updater's own player
// search through the transport of that Windows version, then reads what the updater reads
// when it opens the player.
//   bvprobe --os xp|2000|98|me PLAYER.img [PLAYER2.img ...]
// Prints "key: value" lines. No player found: the status on stderr, exit 1. Bad arguments or
// images: one "bvprobe: ..." line on stderr, exit 2. With BVSIM_TRACE set, the simulated PC
// traces every command to that file.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/config_info.h"
#include "app/status.h"
#include "commands/logical_media_table.h"
#include "commands/media_commands.h"
#include "commands/standard_commands.h"
#include "commands/table_commands.h"
#include "device/issue_command.h"
#include "device/scsi_9x.h"
#include "device/scsi_nt.h"
#include "engine/updater.h"
#include "sim/pc/sim_pc.h"

namespace {

const char kUsage[] = "usage: bvprobe --os xp|2000|98|me PLAYER.img [PLAYER2.img ...]";

int Usage(const std::string& message) {
    std::fprintf(stderr, "bvprobe: %s\n%s\n", message.c_str(), kUsage);
    return 2;
}

std::string StatusText(int32_t status) {
    return std::string(BvStatusName(status)) + " (" + std::to_string(status) + ")";
}

// An INQUIRY field without its padding blanks.
std::string Field(const uint8_t* bytes, size_t length) {
    std::string text(reinterpret_cast<const char*>(bytes), length);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The player's identity, chip revision and logical media table, as the updater reads them.
int Report(CBvScsiDevice& transport) {
    std::printf("transport: %s\n", transport.GetObjectName().c_str());
    std::printf("drive letter: %c\n", static_cast<char>(transport.GetDriveLetter()));

    CBvScsiInquiry inquiry;
    uint8_t data[kBvInquiryLength] = {};
    int32_t status = BvIssueCommand(transport, inquiry, BvNoStep, [&] { return inquiry.GetInquiryData(data); });
    if (status != ERR_OK) {
        std::fprintf(stderr, "inquiry: %s\n", StatusText(status).c_str());
        return 1;
    }
    std::printf("vendor: %s\n", Field(data + 8, 8).c_str());
    std::printf("product: %s\n", Field(data + 16, 16).c_str());
    std::printf("revision: %s\n", Field(data + 32, 4).c_str());

    CBvGetChipMajorRevId chip;
    uint16_t revision = 0;
    status = BvIssueCommand(transport, chip, BvNoStep, [&] { return chip.GetValue(revision); });
    if (status != ERR_OK) {
        std::fprintf(stderr, "chip revision: %s\n", StatusText(status).c_str());
        return 1;
    }
    std::printf("chip revision: 0x%04x\n", revision);

    CBvGetLogicalTable command(kBvMaxLogicalDrives);
    BvLogicalMediaTable table;
    status = BvIssueCommand(transport, command, BvNoStep, [&] { return command.GetTable(table); });
    if (status != ERR_OK) {
        // An erased medium has no table; the player was still found.
        std::printf("logical media table: %s\n", StatusText(status).c_str());
        return 0;
    }
    for (uint16_t i = 0; i < table.count; ++i) {
        const BvLogicalMediaEntry& entry = table.entries[i];
        std::printf("entry %u: number %u type %u tag 0x%02x size %llu\n", unsigned{i}, unsigned{entry.driveNumber},
                    unsigned{entry.driveType}, unsigned{entry.driveTag},
                    static_cast<unsigned long long>(entry.sizeInBytes));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::map<std::string, sim::OsPreset> presets = {
        {"xp", sim::OsPreset::kWindowsXp},
        {"2000", sim::OsPreset::kWindows2000},
        {"98", sim::OsPreset::kWindows98},
        {"me", sim::OsPreset::kWindowsMe},
    };
    if (argc < 4 || std::string(argv[1]) != "--os") return Usage("expected --os and at least one player image");
    const auto preset = presets.find(argv[2]);
    if (preset == presets.end()) return Usage(std::string("unknown system '") + argv[2] + "'");

    sim::ScopedPc scope(preset->second);
    for (int i = 3; i < argc; ++i) {
        // Each player gets the next BIOS drive number, which ASPI and VWIN32 both report.
        const uint8_t bios = static_cast<uint8_t>(0x81 + (i - 3));
        sim::DiskSlot slot;
        slot.aspiBiosDrive = bios;
        slot.driveMap.biosDrive = bios;
        sim::Player& player = scope.Pc().AddPlayer(sim::PlayerConfig(), slot);
        std::string error;
        if (!player.Load(argv[i], &error)) return Usage(std::string(argv[i]) + ": " + error);
    }

    CBvConfigInfo config;
    CBvUpdater engine(&config);
    std::unique_ptr<CBvScsiDevice> transport;
    if (sim::IsWin9x(preset->second)) {
        transport = std::make_unique<CBvScsi_9x>(&engine);
    } else {
        transport = std::make_unique<CBvScsi_Nt>(&engine);
    }
    int32_t status = transport->GetStatus();
    if (status == ERR_OK) status = transport->FindPlayer();
    if (status != ERR_OK) {
        std::fprintf(stderr, "%s\n", StatusText(status).c_str());
        return 1;
    }
    return Report(*transport);
}
