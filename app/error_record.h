#pragma once
// CBvErrorRecord: the engine's record of the last failure, read by the message composer.
#include <cstdint>
#include <string>

class CBvBase;

constexpr uint8_t kBvNoComponent = 255;

class CBvErrorRecord {
public:
    virtual ~CBvErrorRecord() = default;

    // Overwrites status and system error only.
    void Set(int32_t status, uint32_t systemError);
    // Copies name, status and system error; component index and detail text stay.
    void RecordFailure(const CBvBase& object);
    void RecordComponentFailure(const CBvBase& object, uint8_t componentIndex);
    void RecordFailureDetail(const CBvBase& object, const std::wstring& detailText);

    const std::string& GetObjectName() const { return m_objectName; }
    int32_t GetStatus() const { return m_status; }
    uint32_t GetSystemError() const { return m_systemError; }
    uint8_t GetComponentIndex() const { return m_componentIndex; }
    const std::wstring& GetDetailText() const { return m_detailText; }

private:
    std::string m_objectName;
    int32_t m_status = 0;
    uint32_t m_systemError = 0;
    uint8_t m_componentIndex = kBvNoComponent;
    std::wstring m_detailText;
};
