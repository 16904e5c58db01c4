#pragma once
// The simulated PC: the platform seam implemented on top of emulated players, for bvupdater
// and the tests. Deterministic and in-process; time is virtual (see VirtualClock).
//
// Set-up happens before the program runs (or between its steps, from the test's thread):
//   sim::ScopedPc scope(sim::OsPreset::kWindowsXp);       // installs a fresh PC
//   sim::Player& player = scope.Pc().AddPlayer();        // removable E:, PhysicalDrive1, ...
// A new PC has the standard drives: A: (floppy, no medium, BIOS unit 0), C: (fixed system disk on
// PhysicalDrive0 and ASPI host adapter 0) and D: (CD-ROM, no medium); players and other disks
// take the next free letter, physical drive number and host adapter unless the slot says
// otherwise.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "sim/pc/os_preset.h"
#include "sim/pc/plain_disk.h"
#include "sim/pc/registry.h"
#include "sim/pc/scsi_target.h"
#include "sim/pc/scsi_trace.h"
#include "sim/pc/string_tables.h"
#include "sim/pc/virtual_clock.h"
#include "sim/player/player.h"

namespace sim {

enum class AspiState : uint8_t {
    kAbsent,              // WNASPI32.DLL cannot be loaded
    kNoSupportInfoEntry,  // loads, but lacks GetASPI32SupportInfo
    kNoSendCommandEntry,  // loads, but lacks SendASPI32Command
    kNotReady,            // support info reports a failed initialisation
    kReady,
};

// What VWIN32's drive map information (440Dh, minor 6Fh) reports for a drive letter.
struct DriveMap {
    uint8_t flags = 0x0F;      // protected-mode logical, physical, only, eject
    uint8_t biosDrive = 0xFF;  // INT 13h unit; 0xFF: none
};

constexpr int kAuto = -1;  // DiskSlot: take the next free one
constexpr int kNone = -2;  // DiskSlot: not at all

// Where a disk shows up on the PC.
struct DiskSlot {
    int letter = kAuto;          // 'A'..'Z' of its volume
    int physicalDrive = kAuto;   // N of "\\.\PhysicalDriveN"
    int hostAdapter = kAuto;     // ASPI host adapter (target 0, LUN 0)
    uint8_t aspiBiosDrive = 0xFF;  // INT 13h unit that ASPI's disk information reports
    DriveMap driveMap;           // VWIN32 drive map information of its letter
    int recoveryDevice = kAuto;  // players: N of "\\.\BvMp3RecDeviceN"
    bool registryEnum = true;    // players on the Windows 95 family: ENUM\SCSI key
    std::string scsiLun = "0";   // ... and its "SCSILUN" value
    uint32_t heads = 64;         // geometry the disk driver reports for the medium
    uint32_t sectorsPerTrack = 32;
};

class SimPc final : public platform::IPlatform,
                    private platform::ISystemInfo,
                    private platform::IKernel,
                    private platform::IDeviceIo,
                    private platform::IModules,
                    private platform::IResources {
public:
    explicit SimPc(OsPreset preset = OsPreset::kWindowsXp, bool standardDrives = true);
    ~SimPc() override;
    SimPc(const SimPc&) = delete;
    SimPc& operator=(const SimPc&) = delete;

    // ---- set-up
    OsPreset Preset() const { return m_preset; }
    void SetAdministrator(bool administrator);
    void SetUserLangId(uint16_t langId);
    void SetAspi(AspiState state);
    // Real ASPI managers answer SC_EXEC_SCSI_CMD with SS_PENDING; this one may answer SS_COMP.
    void SetAspiCompletesAtOnce(bool atOnce);
    // A drive letter without a disk behind it (network drive, empty CD-ROM or floppy).
    void AddDrive(char letter, uint32_t driveType, const DriveMap* driveMap = nullptr);
    // An emulated player attached as a removable USB disk; the PC owns it.
    Player& AddPlayer(const PlayerConfig& config = PlayerConfig(), DiskSlot slot = DiskSlot());
    // A disk that is not a player; the PC owns it.
    void AddDisk(const PlainDiskConfig& config, uint32_t driveType, DiskSlot slot = DiskSlot());
    // Other programs hold files open on the volume: a lock request fails.
    void SetVolumeBusy(char letter, bool busy);
    // The next `count` event or thread creations fail (system error 8, out of memory).
    void FailNextEvents(uint32_t count);
    void FailNextThreads(uint32_t count);
    // Every language module built from resources/lang is installed next to the program
    // unless removed here ("bvmp0407.dll").
    void SetLanguageModuleInstalled(const std::wstring& fileName, bool installed);
    // Installs a module of the caller's own texts under fileName (it replaces a built one).
    void InstallLanguageModule(const std::wstring& fileName, const ModuleStringTables& strings);
    // The program's icons (128 and 135 unless changed).
    void SetProgramIcon(uint16_t id, bool present);

    VirtualClock& Time() { return m_clock; }
    Registry& Reg() { return m_registry; }

    // ---- inspection
    DiskSlot SlotOf(const Player& player) const;
    size_t OpenHandleCount();

    // ---- platform::IPlatform
    platform::IClock& Clock() override { return m_clock; }
    platform::ISystemInfo& System() override { return *this; }
    platform::IKernel& Kernel() override { return *this; }
    platform::IDeviceIo& DeviceIo() override { return *this; }
    platform::IModules& Modules() override { return *this; }
    platform::IRegistryRead& RegistryRead() override { return m_registry; }
    platform::IResources& Resources() override { return *this; }

    // Entry points of the simulated WNASPI32.DLL (the current platform's ASPI manager).
    uint32_t AspiSupportInfo();
    uint32_t AspiSendCommand(void* requestBlock);

private:
    struct Disk;
    struct Object;
    struct EventObject;
    struct ThreadObject;
    struct DeviceObject;
    struct ModuleObject;
    struct Apc;

    // ---- platform::ISystemInfo
    platform::OsVersion GetVersion() override;
    std::uint16_t GetUserDefaultLangId() override;
    std::uint32_t GetLogicalDrives() override;
    std::uint32_t GetDriveType(const std::wstring& rootPath) override;
    std::uint32_t GetLastError() override;
    void SetLastError(std::uint32_t error) override;

    // ---- platform::IKernel
    platform::Handle CreateEvent(bool manualReset, bool initiallySignalled) override;
    bool SetEvent(platform::Handle event) override;
    bool ResetEvent(platform::Handle event) override;
    platform::Handle CreateThread(platform::ThreadProc proc, void* parameter) override;
    std::uint32_t WaitForSingleObject(platform::Handle object, std::uint32_t timeoutMs,
                                      bool alertable) override;
    bool CloseHandle(platform::Handle object) override;

    // ---- platform::IDeviceIo
    platform::Handle CreateFile(const std::wstring& name, std::uint32_t access,
                                std::uint32_t shareMode, std::uint32_t disposition,
                                std::uint32_t flags) override;
    bool DeviceIoControl(platform::Handle device, std::uint32_t code, const void* in,
                         std::uint32_t inSize, void* out, std::uint32_t outSize,
                         std::uint32_t* bytesReturned) override;
    bool SetFilePointer(platform::Handle file, std::int64_t distance, std::uint32_t moveMethod,
                        std::uint64_t* newPosition) override;
    bool ReadFile(platform::Handle file, void* buffer, std::uint32_t size,
                  std::uint32_t* bytesRead) override;
    bool WriteFile(platform::Handle file, const void* buffer, std::uint32_t size,
                   std::uint32_t* bytesWritten) override;
    bool WriteFileEx(platform::Handle file, const void* buffer, std::uint32_t size,
                     platform::Overlapped* overlapped,
                     platform::CompletionRoutine routine) override;
    bool CancelIo(platform::Handle file) override;
    std::uint32_t Vwin32Address(void* buffer) override;

    // ---- platform::IModules
    platform::Handle LoadLibrary(const std::wstring& fileName) override;
    platform::EntryPoint GetProcAddress(platform::Handle module, const char* name) override;
    bool FreeLibrary(platform::Handle module) override;

    // ---- platform::IResources (sim_resources.cpp)
    bool LoadModuleString(platform::Handle module, std::uint16_t id, std::uint16_t langId,
                          std::wstring& text) override;
    bool LoadProgramString(std::uint16_t id, std::uint16_t langId, std::wstring& text) override;
    bool FormatSystemMessage(std::uint32_t error, std::uint16_t langId, std::wstring& text) override;
    platform::Handle LoadProgramIcon(std::uint16_t id, int size) override;
    // The string tables of an installed language module, by upper-case file name; null if
    // there is no such module or it is not installed.
    const ModuleStringTables* InstalledLanguageModule(const std::wstring& upperFileName) const;

    // ---- helpers (called with m_mutex held)
    platform::Handle AddObject(std::shared_ptr<Object> object);
    std::shared_ptr<Object> FindObject(platform::Handle handle);
    std::shared_ptr<DeviceObject> FindDevice(platform::Handle handle);
    bool Fail(uint32_t error);
    int NextFreeLetter() const;
    Disk& Attach(std::unique_ptr<Disk> disk);
    bool IsPresent(const Disk& disk);
    Disk* DiskByLetter(int letter);
    void AddEnumKey(const Disk& disk);
    void RunApcs(std::unique_lock<std::mutex>& lock, std::vector<Apc>& due);

    platform::Handle OpenVolume(int letter, std::uint32_t access, std::uint32_t shareMode);
    platform::Handle OpenPhysicalDrive(int number, std::uint32_t access, std::uint32_t shareMode);
    platform::Handle OpenVwin32();
    platform::Handle OpenRecoveryDevice(int number, std::uint32_t access, std::uint32_t shareMode,
                                        std::uint32_t flags);
    bool SharingAllows(const Disk& disk, bool physical, int letter, std::uint32_t access,
                       std::uint32_t shareMode);
    bool CheckDeviceAlive(const DeviceObject& device);

    // The disk driver: commands it sends for volume and disk requests.
    ScsiResult DiskCommand(Disk& disk, const uint8_t* cdb, uint32_t cdbLength,
                           DataDirection direction, uint8_t* dataIn, const uint8_t* dataOut,
                           uint32_t length, const char* path);
    bool ReadCapacity(Disk& disk, uint64_t* sectors, uint32_t* sectorSize);
    bool TransferSectors(Disk& disk, uint64_t lba, uint32_t count, uint32_t sectorSize,
                         uint8_t* dataIn, const uint8_t* dataOut);
    void FindPartition(DeviceObject& device);
    bool SectorIo(DeviceObject& device, uint8_t* dataIn, const uint8_t* dataOut, uint32_t size,
                  uint32_t* done);

    bool DiskControl(DeviceObject& device, std::uint32_t code, const uint8_t* in,
                     std::uint32_t inSize, uint8_t* out, std::uint32_t outSize,
                     std::uint32_t* bytesReturned);
    bool VolumeLock(DeviceObject& device, std::uint32_t code);
    bool GetGeometry(DeviceObject& device, uint8_t* out, std::uint32_t outSize,
                     std::uint32_t* bytesReturned);
    bool ReadMbr(Disk& disk, std::vector<uint8_t>* mbr, uint64_t* sectors, uint32_t* sectorSize);
    bool GetLayout(DeviceObject& device, uint8_t* out, std::uint32_t outSize,
                   std::uint32_t* bytesReturned);
    bool SetLayout(DeviceObject& device, const uint8_t* in, std::uint32_t inSize);
    bool DeleteLayout(DeviceObject& device);
    bool PassThrough(DeviceObject& device, const uint8_t* in, std::uint32_t inSize, uint8_t* out,
                     std::uint32_t outSize, std::uint32_t* bytesReturned);
    bool Vwin32Control(std::uint32_t code, const uint8_t* in, std::uint32_t inSize, uint8_t* out,
                       std::uint32_t outSize, std::uint32_t* bytesReturned);
    uint8_t* Vwin32Pointer(uint32_t address);
    uint16_t DosIoctl(uint32_t ebx, uint32_t ecx, uint32_t edx);
    uint16_t DosLock(int letterOrUnit, bool physical, bool lock);
    uint16_t DosDeviceParameters(int letter, uint8_t* block);
    uint16_t DosDriveMap(int letter, uint8_t* info);
    Disk* AspiDisk(uint8_t hostAdapter);
    uint8_t AspiHostAdapterCount() const;

    OsPreset m_preset;
    bool m_administrator = true;
    uint16_t m_langId = 0x0409;
    AspiState m_aspi;
    bool m_aspiAtOnce = false;
    uint32_t m_failEvents = 0;
    uint32_t m_failThreads = 0;

    VirtualClock m_clock;
    Registry m_registry;
    ScsiTrace m_trace;

    mutable std::mutex m_mutex;
    std::condition_variable m_signal;  // events set, threads ended
    std::map<int, uint32_t> m_letterDrives;  // letter -> drive type, drives without a disk
    std::map<int, DriveMap> m_letterDriveMaps;
    std::vector<std::unique_ptr<Disk>> m_disks;
    std::map<platform::Handle, std::shared_ptr<Object>> m_objects;
    platform::Handle m_nextHandle = 0x100;
    std::vector<std::shared_ptr<ThreadObject>> m_threads;
    std::vector<Apc> m_apcs;
    std::map<uint32_t, uint8_t*> m_vwin32Aliases;
    uint32_t m_nextAlias = 0;
    std::set<std::wstring> m_removedLanguageModules;  // upper-case file names
    std::map<std::wstring, const ModuleStringTables*> m_customLanguageModules;
    std::set<uint16_t> m_programIcons = {128, 135};
};

// Installs a fresh simulated PC for its lifetime and puts the previous platform back.
class ScopedPc {
public:
    explicit ScopedPc(OsPreset preset = OsPreset::kWindowsXp, bool standardDrives = true)
        : m_pc(preset, standardDrives), m_scope(m_pc) {}
    SimPc& Pc() { return m_pc; }

private:
    SimPc m_pc;
    platform::ScopedPlatform m_scope;
};

}  // namespace sim
