#include "firmware/decrypt.h"

#include <new>

CBvDecrypt::CBvDecrypt(const uint8_t* input, uint32_t inputLength, uint8_t*& output, uint32_t& outputLength,
                       std::string objectName)
    : CBvBase(std::move(objectName)) {
    outputLength = inputLength;
    uint8_t* buffer = new (std::nothrow) uint8_t[inputLength];
    if (!buffer) {
        SetStatus(ERR_NO_MEMORY);
        return;
    }
    for (uint32_t i = 0; i < inputLength; ++i) buffer[i] = input[i];
    output = buffer;
}
