// Opening devices by name and moving data through their handles.
#include <algorithm>
#include <cwctype>

#include "platform/errors.h"
#include "platform/file_access.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

namespace {

std::wstring Upper(const std::wstring& text) {
    std::wstring upper(text);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

// The number behind `prefix` in `name` ("PHYSICALDRIVE12" -> 12), or -1.
int NumberAfter(const std::wstring& name, const std::wstring& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    int number = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9' || number > 9999) return -1;
        number = number * 10 + (name[i] - L'0');
    }
    return number;
}

constexpr uint32_t kReadWrite = platform::kGenericRead | platform::kGenericWrite;

}  // namespace

platform::Handle SimPc::CreateFile(const std::wstring& name, std::uint32_t access,
                                   std::uint32_t shareMode, std::uint32_t disposition,
                                   std::uint32_t flags) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::wstring devicePrefix = L"\\\\.\\";
    if (name.compare(0, devicePrefix.size(), devicePrefix) != 0) {
        Fail(platform::kErrorPathNotFound);
        return platform::kInvalidHandle;
    }
    std::wstring device = Upper(name.substr(devicePrefix.size()));
    if (device == L"VWIN32") {
        if (!IsWin9x(m_preset)) {
            Fail(platform::kErrorFileNotFound);
            return platform::kInvalidHandle;
        }
        return OpenVwin32();
    }
    if (disposition != platform::kOpenExisting) {
        Fail(platform::kErrorInvalidParameter);
        return platform::kInvalidHandle;
    }
    int recovery = NumberAfter(device, L"BVMP3RECDEVICE");
    if (recovery >= 0) return OpenRecoveryDevice(recovery, access, shareMode, flags);
    if (IsWin9x(m_preset)) {
        // The Windows 95 family has no volume or disk devices.
        Fail(platform::kErrorFileNotFound);
        return platform::kInvalidHandle;
    }
    if (device.size() == 2 && device[1] == L':' && device[0] >= L'A' && device[0] <= L'Z') {
        return OpenVolume(device[0], access, shareMode);
    }
    int physical = NumberAfter(device, L"PHYSICALDRIVE");
    if (physical >= 0) return OpenPhysicalDrive(physical, access, shareMode);
    Fail(platform::kErrorFileNotFound);
    return platform::kInvalidHandle;
}

// Windows' share check: every open must allow what the others do, and the others what it does.
bool SimPc::SharingAllows(const Disk& disk, bool physical, int letter, std::uint32_t access,
                          std::uint32_t shareMode) {
    for (const auto& entry : m_objects) {
        if (entry.second->kind != Object::Kind::kDevice) continue;
        const auto& other = static_cast<const DeviceObject&>(*entry.second);
        bool same = physical ? other.type == DeviceObject::Type::kPhysical && other.disk == &disk
                             : other.type == DeviceObject::Type::kVolume && other.letter == letter;
        if (!same) continue;
        if ((access & platform::kGenericRead) && !(other.shareMode & platform::kFileShareRead)) return false;
        if ((access & platform::kGenericWrite) && !(other.shareMode & platform::kFileShareWrite)) return false;
        if ((other.access & platform::kGenericRead) && !(shareMode & platform::kFileShareRead)) return false;
        if ((other.access & platform::kGenericWrite) && !(shareMode & platform::kFileShareWrite)) return false;
    }
    return true;
}

platform::Handle SimPc::OpenVolume(int letter, std::uint32_t access, std::uint32_t shareMode) {
    Disk* disk = DiskByLetter(letter);
    bool letterOnly = m_letterDrives.count(letter) != 0;
    if (!letterOnly && (disk == nullptr || !IsPresent(*disk))) {
        Fail(platform::kErrorFileNotFound);
        return platform::kInvalidHandle;
    }
    if (!m_administrator && (access & kReadWrite)) {
        Fail(platform::kErrorAccessDenied);
        return platform::kInvalidHandle;
    }
    if (disk != nullptr && !letterOnly) {
        if (disk->volumeLockOwner != platform::kNullHandle) {
            Fail(platform::kErrorAccessDenied);
            return platform::kInvalidHandle;
        }
        if (!SharingAllows(*disk, false, letter, access, shareMode)) {
            Fail(platform::kErrorSharingViolation);
            return platform::kInvalidHandle;
        }
    }
    auto device = std::make_shared<DeviceObject>(DeviceObject::Type::kVolume);
    device->disk = letterOnly ? nullptr : disk;
    device->letter = letter;
    device->access = access;
    device->shareMode = shareMode;
    if (device->disk != nullptr) {
        device->generation = disk->target->BusGeneration();
        FindPartition(*device);
    }
    device->handle = AddObject(device);
    return device->handle;
}

platform::Handle SimPc::OpenPhysicalDrive(int number, std::uint32_t access,
                                          std::uint32_t shareMode) {
    Disk* disk = nullptr;
    for (auto& candidate : m_disks) {
        if (candidate->slot.physicalDrive == number && IsPresent(*candidate)) disk = candidate.get();
    }
    if (disk == nullptr) {
        Fail(platform::kErrorFileNotFound);
        return platform::kInvalidHandle;
    }
    if (!m_administrator && (access & kReadWrite)) {
        Fail(platform::kErrorAccessDenied);
        return platform::kInvalidHandle;
    }
    if (!SharingAllows(*disk, true, 0, access, shareMode)) {
        Fail(platform::kErrorSharingViolation);
        return platform::kInvalidHandle;
    }
    auto device = std::make_shared<DeviceObject>(DeviceObject::Type::kPhysical);
    device->disk = disk;
    device->access = access;
    device->shareMode = shareMode;
    device->generation = disk->target->BusGeneration();
    uint64_t sectors = 0;
    uint32_t sectorSize = 0;
    if (ReadCapacity(*disk, &sectors, &sectorSize)) {
        device->partitionSectors = sectors;
        device->sectorSize = sectorSize;
        device->sizeKnown = true;
    }
    device->handle = AddObject(device);
    return device->handle;
}

platform::Handle SimPc::OpenVwin32() {
    auto device = std::make_shared<DeviceObject>(DeviceObject::Type::kVwin32);
    device->handle = AddObject(device);
    return device->handle;
}

platform::Handle SimPc::OpenRecoveryDevice(int number, std::uint32_t access,
                                           std::uint32_t shareMode, std::uint32_t flags) {
    Disk* disk = nullptr;
    for (auto& candidate : m_disks) {
        if (candidate->player && candidate->slot.recoveryDevice == number &&
            candidate->player->Presence() == BusPresence::Recovery) {
            disk = candidate.get();
        }
    }
    if (disk == nullptr) {
        Fail(platform::kErrorFileNotFound);
        return platform::kInvalidHandle;
    }
    for (const auto& entry : m_objects) {
        if (entry.second->kind != Object::Kind::kDevice) continue;
        const auto& other = static_cast<const DeviceObject&>(*entry.second);
        if (other.type == DeviceObject::Type::kRecovery && other.disk == disk) {
            // The driver takes one writer at a time.
            Fail(platform::kErrorSharingViolation);
            return platform::kInvalidHandle;
        }
    }
    auto device = std::make_shared<DeviceObject>(DeviceObject::Type::kRecovery);
    device->disk = disk;
    device->access = access;
    device->shareMode = shareMode;
    device->flags = flags;
    device->generation = disk->player->BusGeneration();
    device->handle = AddObject(device);
    return device->handle;
}

// A handle opened on an earlier appearance of the disk, or on a disk that left, is dead.
bool SimPc::CheckDeviceAlive(const DeviceObject& device) {
    if (device.disk == nullptr) return true;
    BusPresence wanted = device.type == DeviceObject::Type::kRecovery ? BusPresence::Recovery
                                                                      : BusPresence::Disk;
    if (device.disk->target->Presence() != wanted ||
        device.disk->target->BusGeneration() != device.generation) {
        return Fail(platform::kErrorDeviceNotConnected);
    }
    return true;
}

bool SimPc::SetFilePointer(platform::Handle file, std::int64_t distance,
                           std::uint32_t moveMethod, std::uint64_t* newPosition) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<DeviceObject> device = FindDevice(file);
    if (!device) return Fail(platform::kErrorInvalidHandle);
    if (device->type != DeviceObject::Type::kVolume && device->type != DeviceObject::Type::kPhysical) {
        return Fail(platform::kErrorInvalidFunction);
    }
    int64_t base = 0;
    switch (moveMethod) {
    case platform::kFileBegin: base = 0; break;
    case platform::kFileCurrent: base = static_cast<int64_t>(device->position); break;
    case platform::kFileEnd:
        base = static_cast<int64_t>(device->partitionSectors * device->sectorSize);
        break;
    default: return Fail(platform::kErrorInvalidParameter);
    }
    if (base + distance < 0) return Fail(platform::kErrorNegativeSeek);
    device->position = static_cast<uint64_t>(base + distance);
    if (newPosition != nullptr) *newPosition = device->position;
    return true;
}

bool SimPc::ReadFile(platform::Handle file, void* buffer, std::uint32_t size,
                     std::uint32_t* bytesRead) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (bytesRead != nullptr) *bytesRead = 0;
    std::shared_ptr<DeviceObject> device = FindDevice(file);
    if (!device) return Fail(platform::kErrorInvalidHandle);
    if (!(device->access & platform::kGenericRead)) return Fail(platform::kErrorAccessDenied);
    return SectorIo(*device, static_cast<uint8_t*>(buffer), nullptr, size, bytesRead);
}

bool SimPc::WriteFile(platform::Handle file, const void* buffer, std::uint32_t size,
                      std::uint32_t* bytesWritten) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (bytesWritten != nullptr) *bytesWritten = 0;
    std::shared_ptr<DeviceObject> device = FindDevice(file);
    if (!device) return Fail(platform::kErrorInvalidHandle);
    if (!(device->access & platform::kGenericWrite)) return Fail(platform::kErrorAccessDenied);
    return SectorIo(*device, nullptr, static_cast<const uint8_t*>(buffer), size, bytesWritten);
}

bool SimPc::WriteFileEx(platform::Handle file, const void* buffer, std::uint32_t size,
                        platform::Overlapped* overlapped, platform::CompletionRoutine routine) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<DeviceObject> device = FindDevice(file);
    if (!device) return Fail(platform::kErrorInvalidHandle);
    if (device->type != DeviceObject::Type::kRecovery) return Fail(platform::kErrorInvalidFunction);
    if (!(device->flags & platform::kFileFlagOverlapped) || overlapped == nullptr ||
        routine == nullptr) {
        return Fail(platform::kErrorInvalidParameter);
    }
    if (!(device->access & platform::kGenericWrite)) return Fail(platform::kErrorAccessDenied);
    if (!CheckDeviceAlive(*device)) return false;
    Player& player = *device->disk->player;
    RecoveryWriteResult result = player.RecoveryWrite(static_cast<const uint8_t*>(buffer), size);
    m_trace.RecoveryWrite(device->disk->label, size, result);
    if (result.deviceGone) return Fail(platform::kErrorDeviceNotConnected);
    Apc apc;
    apc.thread = std::this_thread::get_id();
    apc.device = file;
    apc.routine = routine;
    apc.overlapped = overlapped;
    apc.error = result.deviceCode != 0 ? platform::kErrorIoDevice : platform::kErrorSuccess;
    apc.bytes = result.acceptedBytes;
    switch (result.completion) {
    case RecoveryCompletion::Now: apc.readyAtMs = m_clock.NowMs(); break;
    case RecoveryCompletion::Late: apc.readyAtMs = m_clock.NowMs() + result.delayMs; break;
    case RecoveryCompletion::Never: apc.readyAtMs = Apc::kNever; break;
    }
    m_apcs.push_back(apc);
    return true;
}

bool SimPc::CancelIo(platform::Handle file) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<DeviceObject> device = FindDevice(file);
    if (!device) return Fail(platform::kErrorInvalidHandle);
    bool cancelled = false;
    for (Apc& apc : m_apcs) {
        if (apc.device == file && apc.thread == std::this_thread::get_id() &&
            apc.readyAtMs > m_clock.NowMs()) {
            apc.readyAtMs = m_clock.NowMs();
            apc.error = platform::kErrorOperationAborted;
            apc.bytes = 0;
            cancelled = true;
        }
    }
    if (cancelled && device->type == DeviceObject::Type::kRecovery &&
        device->disk->player->BusGeneration() == device->generation) {
        device->disk->player->RecoveryCancel();
    }
    return true;
}

bool SimPc::DeviceIoControl(platform::Handle handle, std::uint32_t code, const void* in,
                            std::uint32_t inSize, void* out, std::uint32_t outSize,
                            std::uint32_t* bytesReturned) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (bytesReturned != nullptr) *bytesReturned = 0;
    std::shared_ptr<DeviceObject> device = FindDevice(handle);
    if (!device) return Fail(platform::kErrorInvalidHandle);
    if ((in == nullptr && inSize != 0) || (out == nullptr && outSize != 0)) {
        return Fail(platform::kErrorInvalidUserBuffer);
    }
    std::uint32_t returned = 0;
    bool ok = false;
    switch (device->type) {
    case DeviceObject::Type::kVwin32:
        ok = Vwin32Control(code, static_cast<const uint8_t*>(in), inSize,
                           static_cast<uint8_t*>(out), outSize, &returned);
        break;
    case DeviceObject::Type::kRecovery:
        // The recovery driver takes plain writes only.
        ok = Fail(platform::kErrorInvalidFunction);
        break;
    case DeviceObject::Type::kVolume:
    case DeviceObject::Type::kPhysical:
        ok = DiskControl(*device, code, static_cast<const uint8_t*>(in), inSize,
                         static_cast<uint8_t*>(out), outSize, &returned);
        break;
    }
    if (bytesReturned != nullptr) *bytesReturned = returned;
    return ok;
}

}  // namespace sim
