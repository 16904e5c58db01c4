#include "firmware/decrypt.h"

#include <gtest/gtest.h>

#include <memory>

TEST(Decrypt, HandsBackAnExactCopy) {
    const uint8_t input[] = {0x00, 0xFF, 0x1A, 0x42, 0x7E};
    uint8_t* output = nullptr;
    uint32_t outputLength = 0;
    CBvDecrypt decrypt(input, sizeof input, output, outputLength, "CBvDecrypt");
    std::unique_ptr<uint8_t[]> owned(output);
    ASSERT_EQ(decrypt.GetStatus(), ERR_OK);
    ASSERT_NE(output, nullptr);
    ASSERT_NE(output, input);
    ASSERT_EQ(outputLength, sizeof input);
    for (uint32_t i = 0; i < outputLength; ++i) EXPECT_EQ(output[i], input[i]) << i;
}

TEST(Decrypt, EmptyInput) {
    const uint8_t input[1] = {0};
    uint8_t* output = nullptr;
    uint32_t outputLength = 99;
    CBvDecrypt decrypt(input, 0, output, outputLength, "CBvDecrypt");
    std::unique_ptr<uint8_t[]> owned(output);
    EXPECT_EQ(decrypt.GetStatus(), ERR_OK);
    EXPECT_EQ(outputLength, 0u);
}
