#pragma once
// The Win32 implementations of the seam's interfaces; each one forwards to the system.
#include "platform/platform.h"

namespace platform {
namespace win32 {

class Clock final : public IClock {
public:
    std::int64_t Time() override;
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
};

class SystemInfo final : public ISystemInfo {
public:
    OsVersion GetVersion() override;
    std::uint16_t GetUserDefaultLangId() override;
    std::uint32_t GetLogicalDrives() override;
    std::uint32_t GetDriveType(const std::wstring& rootPath) override;
    std::uint32_t GetLastError() override;
    void SetLastError(std::uint32_t error) override;
};

class Kernel final : public IKernel {
public:
    Handle CreateEvent(bool manualReset, bool initiallySignalled) override;
    bool SetEvent(Handle event) override;
    bool ResetEvent(Handle event) override;
    Handle CreateThread(ThreadProc proc, void* parameter) override;
    std::uint32_t WaitForSingleObject(Handle object, std::uint32_t timeoutMs,
                                      bool alertable) override;
    bool CloseHandle(Handle object) override;
};

class DeviceIo final : public IDeviceIo {
public:
    Handle CreateFile(const std::wstring& name, std::uint32_t access, std::uint32_t shareMode,
                      std::uint32_t disposition, std::uint32_t flags) override;
    bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* bytesReturned) override;
    bool SetFilePointer(Handle file, std::int64_t distance, std::uint32_t moveMethod,
                        std::uint64_t* newPosition) override;
    bool ReadFile(Handle file, void* buffer, std::uint32_t size,
                  std::uint32_t* bytesRead) override;
    bool WriteFile(Handle file, const void* buffer, std::uint32_t size,
                   std::uint32_t* bytesWritten) override;
    bool WriteFileEx(Handle file, const void* buffer, std::uint32_t size, Overlapped* overlapped,
                     CompletionRoutine routine) override;
    bool CancelIo(Handle file) override;
    std::uint32_t Vwin32Address(void* buffer) override;
};

class Modules final : public IModules {
public:
    Handle LoadLibrary(const std::wstring& fileName) override;
    EntryPoint GetProcAddress(Handle module, const char* name) override;
    bool FreeLibrary(Handle module) override;
};

class RegistryRead final : public IRegistryRead {
public:
    std::int32_t OpenKey(RegKey parent, const std::wstring& subKey, std::uint32_t access,
                         RegKey* key) override;
    std::int32_t EnumKey(RegKey key, std::uint32_t index, std::wstring* name) override;
    std::int32_t QueryValue(RegKey key, const std::wstring& valueName, std::uint32_t* type,
                            void* data, std::uint32_t* size) override;
    std::int32_t CloseKey(RegKey key) override;
};

}  // namespace win32
}  // namespace platform
