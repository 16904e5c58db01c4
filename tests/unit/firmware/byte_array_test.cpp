#include "firmware/byte_array.h"

#include <gtest/gtest.h>

namespace {

// A byte array holding exactly these bytes.
class Bytes : public CBvByteArray {
public:
    Bytes(std::initializer_list<uint8_t> bytes) : CBvByteArray(static_cast<uint32_t>(bytes.size())) {
        uint32_t i = 0;
        for (uint8_t b : bytes) SetAt(i++, b);
    }
};

}  // namespace

TEST(ByteArray, NewArrayIsZeroedAndNamed) {
    CBvByteArray array(16);
    EXPECT_EQ(array.GetStatus(), ERR_OK);
    EXPECT_EQ(array.GetObjectName(), "CBvByteArray");
    ASSERT_EQ(array.GetSize(), 16u);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(array.Bytes()[i], 0) << i;
}

TEST(ByteArray, BigEndianReadsAtTheEnd) {
    Bytes array({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xAB});
    uint16_t u16 = 0x5555;
    EXPECT_EQ(array.GetU16(9, u16), ERR_SHORT_BUFFER);  // one byte before the end
    EXPECT_EQ(u16, 0x5555);
    EXPECT_EQ(array.GetU16(8, u16), ERR_OK);
    EXPECT_EQ(u16, 0x09AB);

    uint32_t u32 = 0;
    EXPECT_EQ(array.GetU32(7, u32), ERR_SHORT_BUFFER);
    EXPECT_EQ(array.GetU32(6, u32), ERR_OK);
    EXPECT_EQ(u32, 0x070809ABu);

    uint64_t u64 = 0;
    EXPECT_EQ(array.GetU64(3, u64), ERR_SHORT_BUFFER);
    EXPECT_EQ(array.GetU64(2, u64), ERR_OK);
    EXPECT_EQ(u64, 0x03040506070809ABull);

    bool flag = false;
    EXPECT_EQ(array.GetBool(9, flag), ERR_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(array.GetBool(10, flag), ERR_SHORT_BUFFER);
}

TEST(ByteArray, WritesAreBigEndianAndBounded) {
    CBvByteArray array(14);
    EXPECT_EQ(array.SetU16(0, 0x1234), ERR_OK);
    EXPECT_EQ(array.SetU32(2, 0xA1B2C3D4u), ERR_OK);
    EXPECT_EQ(array.SetU64(6, 0x0102030405060708ull), ERR_OK);
    const uint8_t expected[14] = {0x12, 0x34, 0xA1, 0xB2, 0xC3, 0xD4, 1, 2, 3, 4, 5, 6, 7, 8};
    for (uint32_t i = 0; i < 14; ++i) EXPECT_EQ(array.Bytes()[i], expected[i]) << i;

    EXPECT_EQ(array.SetU16(13, 0xFFFF), ERR_SHORT_BUFFER);
    EXPECT_EQ(array.SetU64(7, 0), ERR_SHORT_BUFFER);
    EXPECT_EQ(array.Bytes()[13], 8);  // a refused write changes nothing
    // An offset near 4 GiB must not wrap around into the array.
    EXPECT_EQ(array.SetU32(0xFFFFFFFEu, 0), ERR_SHORT_BUFFER);
    uint8_t out[4];
    EXPECT_EQ(array.GetBytes(out, 4, 0xFFFFFFFEu), ERR_SHORT_BUFFER);
}

TEST(ByteArray, BytesInAndOut) {
    CBvByteArray array(4);
    const uint8_t in[3] = {7, 8, 9};
    EXPECT_EQ(array.SetBytes(in, 3, 1), ERR_OK);
    EXPECT_EQ(array.SetBytes(in, 3, 2), ERR_SHORT_BUFFER);
    uint8_t out[4] = {};
    EXPECT_EQ(array.GetBytes(out, 4, 0), ERR_OK);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[3], 9);
    EXPECT_EQ(array.GetBytes(out, 2, 3), ERR_SHORT_BUFFER);
}

TEST(ByteArray, SlotsOutsideTheArray) {
    Bytes array({1, 2, 3});
    uint8_t value = 0x77;
    EXPECT_EQ(array.GetAt(3, value), ERR_INDEX_RANGE);
    EXPECT_EQ(value, 0x77);
    EXPECT_EQ(array.SetAt(3, 1), ERR_INDEX_RANGE);
    EXPECT_EQ(array.ElementPtr(3), nullptr);
    EXPECT_EQ(array.GetAt(2, value), ERR_OK);
    EXPECT_EQ(value, 3);

    array.ZeroAll();
    EXPECT_EQ(array.GetAt(0, value), ERR_OK);
    EXPECT_EQ(value, 0);

    array.Free();
    EXPECT_EQ(array.GetSize(), 0u);
    array.SetSize(5);
    ASSERT_EQ(array.GetSize(), 5u);
    EXPECT_EQ(array.GetAt(4, value), ERR_OK);
    EXPECT_EQ(value, 0);
    array.SetSize(2);  // without Free first: the old block is released, not leaked
    EXPECT_EQ(array.GetSize(), 2u);
}

TEST(ByteArray, EqualityAndHexText) {
    Bytes a({0x01, 0xAB, 0x00});
    Bytes same({0x01, 0xAB, 0x00});
    Bytes other({0x01, 0xAB, 0x01});
    Bytes longer({0x01, 0xAB, 0x00, 0x00});
    EXPECT_EQ(a.IsEqual(same), 1);
    EXPECT_EQ(a.Differs(same), 0);
    EXPECT_EQ(a.IsEqual(other), 0);
    EXPECT_EQ(a.IsEqual(longer), 0);
    EXPECT_EQ(a.Differs(longer), 1);
    EXPECT_EQ(a.ToHexText(), L"0x1, 0xab, 0x0");
    EXPECT_EQ(CBvByteArray(0).ToHexText(), L"");
}
