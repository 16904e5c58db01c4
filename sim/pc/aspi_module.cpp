// The ASPI manager WNASPI32.DLL as a module of the simulated PC, with its two entry points and
// the request blocks they take (laid out at the build's width).
#include <algorithm>
#include <cstring>
#include <cwctype>

#include "platform/aspi.h"
#include "platform/errors.h"
#include "sim/pc/bytes.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

namespace {

using namespace platform::aspi;

constexpr uint8_t kSsFailedInit = 0xE4;
constexpr uint8_t kSsInvalidSrb = 0xE0;

// SRB_ExecSCSICmd is byte-packed; its two pointers are pointer-sized.
constexpr bool kWide = sizeof(void*) == 8;
constexpr uint32_t kBufLen = 12;
constexpr uint32_t kBufPointer = 16;
constexpr uint32_t kSenseLen = kWide ? 24 : 20;
constexpr uint32_t kCdbLen = kWide ? 25 : 21;
constexpr uint32_t kHaStat = kWide ? 26 : 22;
constexpr uint32_t kTargStat = kWide ? 27 : 23;
constexpr uint32_t kPostProc = kWide ? 28 : 24;
constexpr uint32_t kCdbByte = kWide ? 56 : 48;
constexpr uint32_t kSenseArea = kWide ? 72 : 64;
constexpr uint32_t kSenseAreaSize = 16;

SimPc* CurrentPc() { return dynamic_cast<SimPc*>(&platform::Current()); }

uint32_t SupportInfoEntry() {
    SimPc* pc = CurrentPc();
    return pc != nullptr ? pc->AspiSupportInfo() : uint32_t(kSsNoAdapters) << 8;
}

uint32_t SendCommandEntry(void* requestBlock) {
    SimPc* pc = CurrentPc();
    return pc != nullptr ? pc->AspiSendCommand(requestBlock) : kSsNoAdapters;
}

void PutText(uint8_t* out, const char* text) {
    size_t length = std::strlen(text);
    for (size_t i = 0; i < 16; ++i) out[i] = i < length ? uint8_t(text[i]) : ' ';
}

}  // namespace

platform::Handle SimPc::LoadLibrary(const std::wstring& fileName) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::wstring base = fileName.substr(fileName.find_last_of(L"\\/") == std::wstring::npos
                                            ? 0
                                            : fileName.find_last_of(L"\\/") + 1);
    for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
    if (base.find(L'.') == std::wstring::npos) base += L".DLL";
    if (const ModuleStringTables* strings = InstalledLanguageModule(base))
        return AddObject(std::make_shared<ModuleObject>(strings));
    if (base != platform::kAspiLibraryName || m_aspi == AspiState::kAbsent) {
        Fail(platform::kErrorModNotFound);
        return platform::kNullHandle;
    }
    return AddObject(std::make_shared<ModuleObject>());
}

platform::EntryPoint SimPc::GetProcAddress(platform::Handle module, const char* name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<Object> object = FindObject(module);
    if (!object || object->kind != Object::Kind::kModule) {
        Fail(platform::kErrorInvalidHandle);
        return nullptr;
    }
    if (std::strcmp(name, platform::kAspiSupportInfoEntry) == 0 &&
        m_aspi != AspiState::kNoSupportInfoEntry) {
        return reinterpret_cast<platform::EntryPoint>(&SupportInfoEntry);
    }
    if (std::strcmp(name, platform::kAspiSendCommandEntry) == 0 &&
        m_aspi != AspiState::kNoSendCommandEntry) {
        return reinterpret_cast<platform::EntryPoint>(&SendCommandEntry);
    }
    Fail(platform::kErrorProcNotFound);
    return nullptr;
}

bool SimPc::FreeLibrary(platform::Handle module) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<Object> object = FindObject(module);
    if (!object || object->kind != Object::Kind::kModule) return Fail(platform::kErrorInvalidHandle);
    m_objects.erase(module);
    return true;
}

uint8_t SimPc::AspiHostAdapterCount() const {
    int count = 0;
    for (const auto& disk : m_disks) count = std::max(count, disk->slot.hostAdapter + 1);
    return uint8_t(count);
}

SimPc::Disk* SimPc::AspiDisk(uint8_t hostAdapter) {
    for (auto& disk : m_disks) {
        if (disk->slot.hostAdapter == hostAdapter) return disk.get();
    }
    return nullptr;
}

// Low byte: host adapter count; second byte: the manager's status.
uint32_t SimPc::AspiSupportInfo() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_aspi == AspiState::kNotReady) return uint32_t(kSsFailedInit) << 8;
    uint8_t count = AspiHostAdapterCount();
    if (count == 0) return uint32_t(kSsNoAdapters) << 8;
    return uint32_t(kSsComp) << 8 | count;
}

uint32_t SimPc::AspiSendCommand(void* requestBlock) {
    std::lock_guard<std::mutex> lock(m_mutex);
    uint8_t* srb = static_cast<uint8_t*>(requestBlock);
    if (srb == nullptr) return kSsInvalidSrb;
    const uint8_t count = AspiHostAdapterCount();
    const uint8_t hostAdapter = srb[2];
    if (srb[0] != kScHaInquiry && srb[0] != kScGetDiskInfo && srb[0] != kScExecScsiCmd) {
        return srb[1] = kSsInvalidCmd;
    }
    if (hostAdapter >= count) return srb[1] = kSsInvalidHa;
    Disk* disk = AspiDisk(hostAdapter);
    const bool deviceThere = disk != nullptr && srb[8] == 0 && srb[9] == 0 && IsPresent(*disk);

    if (srb[0] == kScHaInquiry) {
        srb[8] = count;
        srb[9] = 7;  // the adapter's own SCSI id
        PutText(srb + 10, "ASPI for WIN32");
        PutText(srb + 26, "SIMPC USB");
        return srb[1] = kSsComp;
    }
    if (srb[0] == kScGetDiskInfo) {
        if (!deviceThere) return srb[1] = kSsNoDevice;
        srb[10] = 0;
        srb[11] = disk->slot.aspiBiosDrive;
        srb[12] = uint8_t(disk->slot.heads);
        srb[13] = uint8_t(disk->slot.sectorsPerTrack);
        return srb[1] = kSsComp;
    }

    const uint8_t flags = srb[3];
    const uint32_t bufLen = Le32(srb + kBufLen);
    uint8_t* buffer = reinterpret_cast<uint8_t*>(LePtr(srb + kBufPointer));
    const uint8_t cdbLength = srb[kCdbLen];
    if (cdbLength == 0 || cdbLength > 16 || (bufLen != 0 && buffer == nullptr)) {
        return srb[1] = kSsInvalidSrb;
    }
    srb[kHaStat] = kHaOk;
    srb[kTargStat] = kStatusGood;
    if (!deviceThere) {
        srb[1] = kSsErr;
        srb[kHaStat] = kHaSelTimeout;
    } else {
        ScsiRequest request;
        request.cdb = srb + kCdbByte;
        request.cdbLength = cdbLength;
        request.transferLength = bufLen;
        const uint8_t direction = flags & (kSrbDirIn | kSrbDirOut);
        if (bufLen == 0 || direction == (kSrbDirIn | kSrbDirOut)) {
            request.direction = DataDirection::None;
        } else if (direction == kSrbDirOut) {
            request.direction = DataDirection::Out;
            request.dataOut = buffer;
        } else {
            request.direction = DataDirection::In;
            request.dataIn = buffer;
        }
        ScsiResult result = disk->target->Execute(request);
        m_clock.AdvanceMs(result.durationMs);
        m_trace.Command("aspi", disk->label, request, result);
        switch (result.outcome) {
        case ScsiOutcome::Good: srb[1] = kSsComp; break;
        case ScsiOutcome::CheckCondition: {
            srb[1] = kSsErr;
            srb[kTargStat] = kStatusCheckCondition;
            const uint32_t senseLength = std::min<uint32_t>(srb[kSenseLen], kSenseAreaSize);
            std::memcpy(srb + kSenseArea, result.sense, senseLength);
            break;
        }
        case ScsiOutcome::DeviceGone:
            srb[1] = kSsErr;
            srb[kHaStat] = kHaSelTimeout;
            break;
        }
    }
    if (flags & kSrbEventNotify) {
        std::shared_ptr<Object> event = FindObject(LePtr(srb + kPostProc));
        if (event && event->kind == Object::Kind::kEvent) {
            static_cast<EventObject&>(*event).signalled = true;
            m_signal.notify_all();
        }
    }
    return m_aspiAtOnce ? srb[1] : kSsPending;
}

}  // namespace sim
