#include "platform/win32/win32_platform.h"

#include "platform/win32/resources.h"
#include "platform/win32/services.h"

namespace platform {
namespace win32 {

namespace {

class Win32Platform final : public IPlatform {
public:
    IClock& Clock() override { return m_clock; }
    ISystemInfo& System() override { return m_system; }
    IKernel& Kernel() override { return m_kernel; }
    IDeviceIo& DeviceIo() override { return m_deviceIo; }
    IModules& Modules() override { return m_modules; }
    IRegistryRead& RegistryRead() override { return m_registry; }
    IResources& Resources() override { return m_resources; }

private:
    win32::Clock m_clock;
    win32::SystemInfo m_system;
    win32::Kernel m_kernel;
    win32::DeviceIo m_deviceIo;
    win32::Modules m_modules;
    win32::RegistryRead m_registry;
    win32::Resources m_resources;
};

}  // namespace

IPlatform& Instance() {
    static Win32Platform instance;
    return instance;
}

}  // namespace win32
}  // namespace platform
