// The player search of the Windows 95 family: over the ASPI host adapters, then the drive
// letter through VWIN32's drive map or the SCSI enumerator's registry keys.
#include <cstring>
#include <string>

#include "device/player_identity.h"
#include "device/scsi_9x.h"
#include "platform/platform.h"

namespace {

constexpr uint16_t kGetDriveMapInfo = 0x6F;
constexpr uint32_t kInquiryRevisionOffset = 32;
constexpr uint8_t kDriveMapFlagsProtectedMode = 0x0F;  // protected-mode, physical, only, eject
constexpr uint8_t kNoBiosDrive = 0xFF;
constexpr uint32_t kRegistryTextSize = 259;

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The first character of a string value, or 0 when it cannot be read.
wchar_t FirstCharacter(platform::RegKey key, const wchar_t* name) {
    uint8_t data[kRegistryTextSize] = {};
    uint32_t size = kRegistryTextSize;
    uint32_t type = 0;
    if (platform::RegistryRead().QueryValue(key, name, &type, data, &size) != 0 || size < 2) return 0;
    return static_cast<wchar_t>(data[0] | data[1] << 8);
}

}  // namespace

std::string CBvScsi_9x::DeviceId(const std::string& vendor, const std::string& product, uint8_t revision) {
    std::string id = vendor + product + static_cast<char>(revision);
    for (char& c : id) {
        if (c == ' ') c = '_';
    }
    return id;
}

int32_t CBvScsi_9x::FindPlayer() {
    if (!AspiUsable()) return ERR_ASPI_NOT_READY;
    uint8_t adapters = 0;
    int32_t status = QueryHostAdapterCount(adapters);
    if (status != ERR_OK) return status;
    SetDriveLetter(0);
    BvPlayerIdentity identity;
    status = BvReadPlayerIdentity(GetEngine(), identity);
    if (status != ERR_OK) return status;

    BvInquiryData inquiry = {};
    bool found = false;
    for (uint32_t adapter = 0; adapter < adapters && !found; ++adapter) {
        m_hostAdapter = static_cast<uint8_t>(adapter);
        found = BvInquirePlayer(*this, identity, inquiry) && BvHasPlayerMediaFlag(*this);
        if (!found) m_hostAdapter = kNoHostAdapter;
    }
    if (!found) {
        m_playerFound = 0;
        return ERR_PLAYER_NOT_FOUND;
    }

    const uint8_t revision = inquiry[kInquiryRevisionOffset];
    uint8_t unit = kNoBiosDrive;
    wchar_t letter = 0;
    if (QueryBiosDriveNumber(m_hostAdapter, unit) == ERR_OK && FindLetterByBiosDrive(unit, letter) == ERR_OK) {
        SetDriveLetter(letter);
        m_playerFound = 1;
        return ERR_OK;
    }
    // No drive letter carries the BIOS drive number: ask the registry. A failed search leaves
    // no candidates, which ChooseDriveLetter reports.
    std::wstring candidates;
    FindRegistryDriveLetters(DeviceId(identity.vendor, identity.product, revision), candidates);
    status = ChooseDriveLetter(candidates, letter);
    if (status != ERR_OK) return status;
    SetDriveLetter(letter);
    m_playerFound = 1;
    return ERR_OK;
}

int32_t CBvScsi_9x::GetDriveMapInfo(wchar_t letter, DriveMapInfo& info) {
    info[0] = kDriveMapInfoSize;
    const uint32_t address = platform::DeviceIo().Vwin32Address(info);
    return DosIoctlEitherCategory(static_cast<uint32_t>(letter) - 0x40, address, kGetDriveMapInfo) ? ERR_OK
                                                                                                   : ERR_DRIVE_QUERY;
}

int32_t CBvScsi_9x::FindLetterByBiosDrive(uint8_t unit, wchar_t& letter) {
    int32_t status = Open();
    if (status != ERR_OK) return status;
    // When every request succeeded, no letter carries that BIOS drive number.
    status = ERR_NO_DRIVE_LETTER;
    for (wchar_t candidate = L'A'; candidate <= L'Z'; ++candidate) {
        DriveMapInfo info = {};
        const int32_t request = GetDriveMapInfo(candidate, info);
        if (request == ERR_OK && info[3] == unit) {
            letter = candidate;
            Close();
            return ERR_OK;
        }
        if (candidate == L'Z' && request != ERR_OK) status = request;
    }
    Close();
    return status;
}

int32_t CBvScsi_9x::FindRegistryDriveLetters(const std::string& deviceId, std::wstring& candidates) {
    platform::IRegistryRead& registry = platform::RegistryRead();
    platform::RegKey key = 0;
    if (registry.OpenKey(platform::kHkeyLocalMachine, L"ENUM\\SCSI\\" + Widen(deviceId), platform::kKeyRead, &key) !=
        0) {
        return ERR_REGISTRY_KEY;
    }
    candidates.clear();
    bool found = false;
    std::wstring name;
    for (uint32_t index = 0; registry.EnumKey(key, index, &name) == 0; ++index) {
        platform::RegKey instance = 0;
        if (registry.OpenKey(key, name, platform::kKeyRead, &instance) != 0) continue;
        if (FirstCharacter(instance, L"SCSILUN") == L'0') {
            const wchar_t assignment = FirstCharacter(instance, L"CurrentDriveLetterAssignment");
            const wchar_t letter = static_cast<wchar_t>(assignment & 0xFF);
            if (assignment != 0 &&
                platform::System().GetDriveType(std::wstring(1, letter) + L":\\") == platform::kDriveRemovable) {
                candidates += letter;
                found = true;
            }
        }
        registry.CloseKey(instance);
    }
    registry.CloseKey(key);
    return found ? ERR_OK : ERR_NO_DRIVE_LETTER;
}

int32_t CBvScsi_9x::ChooseDriveLetter(const std::wstring& candidates, wchar_t& letter) {
    if (candidates.empty()) return ERR_NO_DRIVE_LETTER;
    if (candidates.size() == 1) {
        letter = candidates[0];
        return ERR_OK;
    }
    const int32_t status = Open();
    if (status != ERR_OK) return status;
    bool stored = false;
    for (wchar_t candidate : candidates) {
        DriveMapInfo info = {};
        if (GetDriveMapInfo(candidate, info) == ERR_OK && info[2] == kDriveMapFlagsProtectedMode &&
            info[3] == kNoBiosDrive) {
            letter = candidate;
            stored = true;
            break;
        }
    }
    Close();
    return stored ? ERR_OK : ERR_NO_DRIVE_LETTER;
}
