#include "sim/pc/sim_pc.h"

#include <algorithm>
#include <cwctype>

#include "platform/errors.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

namespace {

thread_local uint32_t t_lastError = 0;

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

SimPc::SimPc(OsPreset preset, bool standardDrives)
    : m_preset(preset), m_aspi(IsWin9x(preset) ? AspiState::kReady : AspiState::kAbsent) {
    if (!standardDrives) return;
    AddDrive('A', platform::kDriveRemovable, nullptr);
    DiskSlot system;
    system.letter = 'C';
    system.driveMap = DriveMap{0x03, 0x80};
    system.aspiBiosDrive = 0x80;
    PlainDiskConfig systemDisk;
    systemDisk.vendor = "ATA     ";
    systemDisk.product = "SIMDISK 80G     ";
    systemDisk.sectorCount = 80ull * 1000 * 1000 * 1000 / 512;
    AddDisk(systemDisk, platform::kDriveFixed, system);
    AddDrive('D', platform::kDriveCdrom, nullptr);
}

SimPc::~SimPc() {
    std::vector<std::shared_ptr<ThreadObject>> threads;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        threads.swap(m_threads);
    }
    for (auto& thread : threads) {
        if (thread->thread.joinable()) thread->thread.join();
    }
}

// ---------------------------------------------------------------- set-up

void SimPc::SetAdministrator(bool administrator) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_administrator = administrator;
}

void SimPc::SetUserLangId(uint16_t langId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_langId = langId;
}

void SimPc::SetAspi(AspiState state) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aspi = state;
}

void SimPc::SetAspiCompletesAtOnce(bool atOnce) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aspiAtOnce = atOnce;
}

void SimPc::AddDrive(char letter, uint32_t driveType, const DriveMap* driveMap) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int upper = std::toupper(static_cast<unsigned char>(letter));
    m_letterDrives[upper] = driveType;
    if (driveMap != nullptr) m_letterDriveMaps[upper] = *driveMap;
}

int SimPc::NextFreeLetter() const {
    for (int letter = 'E'; letter <= 'Z'; ++letter) {
        bool used = m_letterDrives.count(letter) != 0;
        for (const auto& disk : m_disks) used = used || disk->slot.letter == letter;
        if (!used) return letter;
    }
    return kNone;
}

Player& SimPc::AddPlayer(const PlayerConfig& config, DiskSlot slot) {
    std::unique_ptr<Disk> disk(new Disk());
    disk->player.reset(new Player(m_clock, config));
    disk->target.reset(new PlayerTarget(*disk->player));
    disk->driveType = platform::kDriveRemovable;
    disk->slot = slot;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (disk->slot.recoveryDevice == kAuto) {
        disk->slot.recoveryDevice = static_cast<int>(std::count_if(
            m_disks.begin(), m_disks.end(), [](const std::unique_ptr<Disk>& d) { return d->player != nullptr; }));
    }
    Disk& added = Attach(std::move(disk));
    if (IsWin9x(m_preset) && added.slot.registryEnum) AddEnumKey(added);
    return *added.player;
}

void SimPc::AddDisk(const PlainDiskConfig& config, uint32_t driveType, DiskSlot slot) {
    std::unique_ptr<Disk> disk(new Disk());
    disk->target.reset(new PlainDisk(config));
    disk->driveType = driveType;
    disk->slot = slot;
    disk->slot.recoveryDevice = kNone;
    std::lock_guard<std::mutex> lock(m_mutex);
    Attach(std::move(disk));
}

// Gives the disk the next free letter, physical drive number and host adapter where its slot
// asks for them.
SimPc::Disk& SimPc::Attach(std::unique_ptr<Disk> disk) {
    auto taken = [this](int DiskSlot::*field, int value) {
        return std::any_of(m_disks.begin(), m_disks.end(),
                           [&](const std::unique_ptr<Disk>& d) { return d->slot.*field == value; });
    };
    DiskSlot& slot = disk->slot;
    if (slot.letter == kAuto) slot.letter = NextFreeLetter();
    if (slot.physicalDrive == kAuto) {
        slot.physicalDrive = 0;
        while (taken(&DiskSlot::physicalDrive, slot.physicalDrive)) ++slot.physicalDrive;
    }
    if (slot.hostAdapter == kAuto) {
        slot.hostAdapter = 0;
        while (taken(&DiskSlot::hostAdapter, slot.hostAdapter)) ++slot.hostAdapter;
    }
    disk->label = slot.letter > 0 ? std::string(1, char(slot.letter)) + ":"
                                  : "PhysicalDrive" + std::to_string(slot.physicalDrive);
    m_disks.push_back(std::move(disk));
    return *m_disks.back();
}

// Windows 95 family: the SCSI enumerator's key of the device, named after its identity with
// blanks as '_', holding the LUN and the drive letter it was given.
void SimPc::AddEnumKey(const Disk& disk) {
    PlayerIdentity identity = disk.player->Identity();
    std::string id = identity.vendor.substr(0, 8) + identity.product.substr(0, 16) +
                     identity.revision.substr(0, 1);
    std::replace(id.begin(), id.end(), ' ', '_');
    std::wstring key = L"ENUM\\SCSI\\" + Widen(id) + L"\\PLAYER&" +
                       std::to_wstring(disk.slot.hostAdapter);
    m_registry.SetString(platform::kHkeyLocalMachine, key, L"Class", L"DiskDrive");
    m_registry.SetString(platform::kHkeyLocalMachine, key, L"SCSILUN", Widen(disk.slot.scsiLun));
    if (disk.slot.letter > 0) {
        m_registry.SetString(platform::kHkeyLocalMachine, key, L"CurrentDriveLetterAssignment",
                             std::wstring(1, wchar_t(disk.slot.letter)));
    }
}

void SimPc::SetVolumeBusy(char letter, bool busy) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Disk* disk = DiskByLetter(std::toupper(static_cast<unsigned char>(letter)))) disk->busy = busy;
}

DiskSlot SimPc::SlotOf(const Player& player) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& disk : m_disks) {
        if (disk->player.get() == &player) return disk->slot;
    }
    return DiskSlot();
}

size_t SimPc::OpenHandleCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_objects.size();
}

// ---------------------------------------------------------------- helpers

bool SimPc::Fail(uint32_t error) {
    t_lastError = error;
    return false;
}

bool SimPc::IsPresent(const Disk& disk) {
    return disk.target->Presence() == BusPresence::Disk;
}

SimPc::Disk* SimPc::DiskByLetter(int letter) {
    for (auto& disk : m_disks) {
        if (disk->slot.letter == letter) return disk.get();
    }
    return nullptr;
}

platform::Handle SimPc::AddObject(std::shared_ptr<Object> object) {
    m_nextHandle += 4;
    m_objects[m_nextHandle] = std::move(object);
    return m_nextHandle;
}

std::shared_ptr<SimPc::Object> SimPc::FindObject(platform::Handle handle) {
    auto found = m_objects.find(handle);
    return found == m_objects.end() ? nullptr : found->second;
}

std::shared_ptr<SimPc::DeviceObject> SimPc::FindDevice(platform::Handle handle) {
    std::shared_ptr<Object> object = FindObject(handle);
    if (!object || object->kind != Object::Kind::kDevice) return nullptr;
    return std::static_pointer_cast<DeviceObject>(object);
}

// ---------------------------------------------------------------- platform::ISystemInfo

platform::OsVersion SimPc::GetVersion() { return VersionOf(m_preset); }

std::uint16_t SimPc::GetUserDefaultLangId() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_langId;
}

std::uint32_t SimPc::GetLogicalDrives() {
    std::lock_guard<std::mutex> lock(m_mutex);
    uint32_t mask = 0;
    for (const auto& entry : m_letterDrives) mask |= 1u << (entry.first - 'A');
    for (const auto& disk : m_disks) {
        if (disk->slot.letter > 0 && IsPresent(*disk)) mask |= 1u << (disk->slot.letter - 'A');
    }
    return mask;
}

std::uint32_t SimPc::GetDriveType(const std::wstring& rootPath) {
    bool shaped = (rootPath.size() == 2 || (rootPath.size() == 3 && rootPath[2] == L'\\')) &&
                  rootPath[1] == L':';
    if (!shaped) return platform::kDriveNoRootDir;
    int letter = std::towupper(rootPath[0]);
    if (letter < 'A' || letter > 'Z') return platform::kDriveNoRootDir;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_letterDrives.find(letter);
    if (found != m_letterDrives.end()) return found->second;
    Disk* disk = DiskByLetter(letter);
    if (disk == nullptr || !IsPresent(*disk)) return platform::kDriveNoRootDir;
    return disk->driveType;
}

std::uint32_t SimPc::GetLastError() { return t_lastError; }

void SimPc::SetLastError(std::uint32_t error) { t_lastError = error; }

}  // namespace sim
