#pragma once
// CBvBase: every object of the updater that is not a window carries its name and the
// outcome of its last operation, so that it can be asked what went wrong.
#include <cstdint>
#include <string>

#include "app/status.h"

class CBvBase {
public:
    explicit CBvBase(std::string objectName) : m_objectName(std::move(objectName)) {}
    virtual ~CBvBase() = default;

    virtual int32_t GetStatus() const { return m_status; }
    virtual int32_t GetSystemError() const { return static_cast<int32_t>(m_systemError); }

    std::string GetObjectName() const { return m_objectName; }

protected:
    CBvBase(const CBvBase&) = default;
    CBvBase& operator=(const CBvBase&) = default;

    // Stores the status and returns it, so a failing operation can `return Fail(code)`.
    int32_t SetStatus(int32_t status) { return m_status = status; }
    void SetSystemError(uint32_t systemError) { m_systemError = systemError; }

    int32_t m_status = 0;
    uint32_t m_systemError = 0;
    std::string m_objectName;
};
