#include "engine/updater.h"

#include <new>

#include "app/error_record.h"

CBvUpdater::CBvUpdater(CBvConfigInfo* config, std::string objectName)
    : CBvBase(std::move(objectName)), m_config(config) {
    m_errorRecord.reset(new (std::nothrow) CBvErrorRecord());
    if (!m_errorRecord) SetStatus(ERR_NO_MEMORY);
}

CBvUpdater::~CBvUpdater() {
    m_errorRecord.reset();
    m_device.reset();
    m_recoveryDevice.reset();
}
