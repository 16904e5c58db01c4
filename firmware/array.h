#pragma once
// CBvArray: the owning array base shared by the program's arrays (version pointers,
// system drives, bytes). Allocation failure is reported through the status, never thrown.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "app/base.h"

template <typename T>
class CBvArray : public CBvBase {
public:
    CBvArray(uint32_t count, std::string objectName) : CBvBase(std::move(objectName)) {
        Allocate(count);
    }
    ~CBvArray() override { Free(); }

    CBvArray(const CBvArray&) = delete;
    CBvArray& operator=(const CBvArray&) = delete;

    virtual uint32_t GetSize() const { return m_count; }

    virtual int32_t GetAt(uint32_t index, T& value) const {
        if (index >= m_count || !m_elements) return ERR_INDEX_RANGE;
        value = m_elements[index];
        return ERR_OK;
    }

    virtual T* ElementPtr(uint32_t index) {
        return (index < m_count && m_elements) ? &m_elements[index] : nullptr;
    }

    virtual int32_t SetAt(uint32_t index, T value) {
        if (index >= m_count || !m_elements) return ERR_INDEX_RANGE;
        m_elements[index] = value;
        return ERR_OK;
    }

    virtual void ZeroAll() {
        for (uint32_t i = 0; m_elements && i < m_count; ++i) m_elements[i] = T();
    }

    // Slot kept so the slot order stays that of the original array family; no caller uses it.
    virtual void Reserved() {}

    // Callers release the previous block with Free first; releasing it here as well means a
    // caller that forgets leaks nothing.
    virtual void SetSize(uint32_t count) {
        Free();
        Allocate(count);
    }

    virtual void Free() {
        delete[] m_elements;
        m_elements = nullptr;
        m_count = 0;
    }

protected:
    const T* Data() const { return m_elements; }
    T* Data() { return m_elements; }

private:
    void Allocate(uint32_t count) {
        m_count = count;  // kept even when the allocation fails: callers check the status
        m_elements = new (std::nothrow) T[count]();
        if (!m_elements) SetStatus(ERR_NO_MEMORY);
    }

    T* m_elements = nullptr;
    uint32_t m_count = 0;
};
