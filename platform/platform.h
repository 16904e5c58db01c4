#pragma once
// The operating system as the program sees it. One platform is current per process: the
// Windows program installs the Win32 platform at start, bvupdater and the tests a simulated
// PC. Each group of services is its own small interface; a new group is one more accessor.
#include "platform/clock.h"
#include "platform/device_io.h"
#include "platform/kernel.h"
#include "platform/modules.h"
#include "platform/registry_read.h"
#include "platform/resources.h"
#include "platform/system_info.h"

namespace platform {

class IPlatform {
public:
    virtual ~IPlatform() = default;

    virtual IClock& Clock() = 0;
    virtual ISystemInfo& System() = 0;
    virtual IKernel& Kernel() = 0;
    virtual IDeviceIo& DeviceIo() = 0;
    virtual IModules& Modules() = 0;
    virtual IRegistryRead& RegistryRead() = 0;
    virtual IResources& Resources() = 0;
};

// The current platform. Calling it before one is installed is a programming error and ends
// the process with a message.
IPlatform& Current();
// Installs `platform` (may be null) and returns the one it replaces.
IPlatform* Install(IPlatform* platform);

// Installs a platform for the guard's lifetime and puts the previous one back.
class ScopedPlatform {
public:
    explicit ScopedPlatform(IPlatform& platform) : m_previous(Install(&platform)) {}
    ~ScopedPlatform() { Install(m_previous); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    IPlatform* m_previous;
};

inline IClock& Clock() { return Current().Clock(); }
inline ISystemInfo& System() { return Current().System(); }
inline IKernel& Kernel() { return Current().Kernel(); }
inline IDeviceIo& DeviceIo() { return Current().DeviceIo(); }
inline IModules& Modules() { return Current().Modules(); }
inline IRegistryRead& RegistryRead() { return Current().RegistryRead(); }
inline IResources& Resources() { return Current().Resources(); }

}  // namespace platform
