#pragma once
// CBvDecrypt: the one place where the image is transformed between file and player. The
// transformation is the identity: the output is an exact copy of the input.
#include <cstdint>
#include <string>

#include "app/base.h"

class CBvDecrypt : public CBvBase {
public:
    // Does the whole work. On success `output` is a new[] block of `outputLength` bytes that
    // the caller owns and releases with delete[]; on ERR_NO_MEMORY `output` is left unset.
    CBvDecrypt(const uint8_t* input, uint32_t inputLength, uint8_t*& output, uint32_t& outputLength,
               std::string objectName = "CBvDecrypt");
};
