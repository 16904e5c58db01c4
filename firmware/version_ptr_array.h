#pragma once
// CBvVersionInfoPtrArray: one version per firmware component; element i belongs to
// component index i + 1. The array owns the versions it points to.
#include <string>

#include "firmware/array.h"
#include "firmware/version.h"

class CBvVersionInfoPtrArray : public CBvArray<CBvVersionInfo*> {
public:
    // Fills every element with a new 0.0.0 version; an element whose allocation failed stays
    // null, and the status tells only whether the block itself was allocated.
    CBvVersionInfoPtrArray(uint32_t count, std::string objectName = "CBvVersionInfoPtrArray");
    ~CBvVersionInfoPtrArray() override;

    // Destroys the versions before the block goes, so neither the destructor nor a resize
    // leaks them.
    void Free() override;
};
