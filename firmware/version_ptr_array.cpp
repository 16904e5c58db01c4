#include "firmware/version_ptr_array.h"

#include <new>

CBvVersionInfoPtrArray::CBvVersionInfoPtrArray(uint32_t count, std::string objectName)
    : CBvArray<CBvVersionInfo*>(count, std::move(objectName)) {
    for (uint32_t i = 0; i < count && Data(); ++i) Data()[i] = new (std::nothrow) CBvVersionInfo("CBvVersionInfo");
}

CBvVersionInfoPtrArray::~CBvVersionInfoPtrArray() { Free(); }

void CBvVersionInfoPtrArray::Free() {
    for (uint32_t i = 0; Data() && i < GetSize(); ++i) {
        delete Data()[i];
        Data()[i] = nullptr;
    }
    CBvArray<CBvVersionInfo*>::Free();
}
