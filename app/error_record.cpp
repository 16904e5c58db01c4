#include "app/error_record.h"

#include "app/base.h"

void CBvErrorRecord::Set(int32_t status, uint32_t systemError) {
    m_status = status;
    m_systemError = systemError;
}

void CBvErrorRecord::RecordFailure(const CBvBase& object) {
    m_objectName = object.GetObjectName();
    m_status = object.GetStatus();
    m_systemError = static_cast<uint32_t>(object.GetSystemError());
}

void CBvErrorRecord::RecordComponentFailure(const CBvBase& object, uint8_t componentIndex) {
    m_componentIndex = componentIndex;
    RecordFailure(object);
}

void CBvErrorRecord::RecordFailureDetail(const CBvBase& object, const std::wstring& detailText) {
    m_detailText = detailText;
    RecordFailure(object);
}
