// The player search of the NT transport: over the drive letters, and over the physical drives.
#include <string>

#include "device/player_identity.h"
#include "device/scsi_nt.h"
#include "platform/platform.h"

namespace {

constexpr int kPhysicalDrives = 100;
constexpr int kDriveLetters = 26;

}  // namespace

std::wstring CBvScsi_Nt::ListLogicalDrives() const {
    const uint32_t mask = platform::System().GetLogicalDrives();
    std::wstring letters;
    for (int i = 0; i < kDriveLetters; ++i) {
        if (mask & (1u << i)) letters += static_cast<wchar_t>(L'A' + i);
    }
    return letters;
}

int32_t CBvScsi_Nt::FindPlayer() {
    BvPlayerIdentity identity;
    const int32_t status = BvReadPlayerIdentity(GetEngine(), identity);
    if (status != ERR_OK) return status;
    SetDriveLetter(0);
    // A handle left open is closed also when no drive is probed: the search always ends closed.
    Close();
    for (wchar_t letter : ListLogicalDrives()) {
        // Drive A is a floppy; only removable drives can be the player, the others stay closed.
        if (letter == L'A') continue;
        if (platform::System().GetDriveType(std::wstring(1, letter) + L":\\") != platform::kDriveRemovable) continue;
        if (!OpenDevice(VolumeName(letter))) continue;
        BvInquiryData inquiry;
        const bool found = BvInquirePlayer(*this, identity, inquiry) && BvHasPlayerMediaFlag(*this);
        Close();
        if (found) {
            SetDriveLetter(letter);
            return ERR_OK;
        }
    }
    return ERR_PLAYER_NOT_FOUND;
}

// The formatter needs the whole disk: no drive type or media flag is asked for here.
int32_t CBvScsi_Nt::FindPhysicalDrive() {
    BvPlayerIdentity identity;
    const int32_t status = BvReadPlayerIdentity(GetEngine(), identity);
    if (status != ERR_OK) return status;
    Close();
    for (int number = 0; number < kPhysicalDrives; ++number) {
        if (!OpenDevice(L"\\\\.\\PhysicalDrive" + std::to_wstring(number))) continue;
        BvInquiryData inquiry;
        if (BvInquirePlayer(*this, identity, inquiry)) return ERR_OK;
        Close();
    }
    return ERR_PLAYER_NOT_FOUND;
}
