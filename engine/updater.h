#pragma once
// CBvUpdater: the update engine, the one object through which start-up and the dialogs reach
// the player. Devices, drives and component files keep a pointer to it and reach the
// configuration, language module, command line, progress sink and error record through it.
#include <memory>
#include <string>

#include "app/base.h"

class CBvBaseToCmdLineProcessor;
class CBvConfigInfo;
class CBvErrorRecord;
class CBvProgress;
class CBvRecoveryDev;
class CBvResource;
class CBvUsbMscDev;

// An owned object whose class the engine's header only forward-declares: the code that
// creates it supplies the deleter where the class is complete, so the engine destroys it
// correctly without seeing its definition.
template <typename T>
using BvOwnedPtr = std::unique_ptr<T, void (*)(T*)>;

// Takes ownership of a new object; call it where T is complete (where the object is created).
template <typename T>
BvOwnedPtr<T> BvOwn(T* object) {
    return BvOwnedPtr<T>(object, [](T* owned) { delete owned; });
}

class CBvUpdater : public CBvBase {
public:
    // Creates the error record; when that fails the status is ERR_NO_MEMORY.
    explicit CBvUpdater(CBvConfigInfo* config, std::string objectName = "CBvUpdater");
    // Destroys the error record, the player device and the recovery-mode device, in this order.
    ~CBvUpdater() override;

    CBvUpdater(const CBvUpdater&) = delete;
    CBvUpdater& operator=(const CBvUpdater&) = delete;

    void SetCommandLine(CBvBaseToCmdLineProcessor* commandLine) { m_commandLine = commandLine; }
    void SetResource(CBvResource* resource) { m_resource = resource; }
    void SetProgress(CBvProgress* progress) { m_progress = progress; }

    CBvConfigInfo* GetConfig() const { return m_config; }
    CBvErrorRecord* GetErrorRecord() const { return m_errorRecord.get(); }
    CBvBaseToCmdLineProcessor* GetCommandLine() const { return m_commandLine; }
    CBvResource* GetResource() const { return m_resource; }
    CBvProgress* GetProgress() const { return m_progress; }

private:
    // Not owned: start-up owns these (the progress sink is the dialog that implements it).
    CBvBaseToCmdLineProcessor* m_commandLine = nullptr;
    CBvResource* m_resource = nullptr;
    CBvConfigInfo* m_config = nullptr;
    // Owned: the player in mass-storage mode (kept from the first OpenPlayer on) and in
    // recovery mode (only during a recovery download).
    BvOwnedPtr<CBvUsbMscDev> m_device{nullptr, nullptr};
    BvOwnedPtr<CBvRecoveryDev> m_recoveryDevice{nullptr, nullptr};
    CBvProgress* m_progress = nullptr;
    std::unique_ptr<CBvErrorRecord> m_errorRecord;
};
