#include "firmware/fw_component.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/config_info.h"
#include "app/error_record.h"
#include "engine/updater.h"

namespace {

namespace fs = std::filesystem;

const std::string kMarker("\x1A" "BVMP", 5);
const uint8_t kPlayer = 3;  // its file is "bvmpsys.sb"

// Each test runs in a fresh folder, because component files are opened by their plain name
// relative to the current directory.
class FwComponent : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        folder_ = previous_ / "fw_component_files" /
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        fs::current_path(folder_);
    }
    void TearDown() override { fs::current_path(previous_); }

    static void Write(const std::string& name, const std::string& bytes) {
        std::FILE* file = std::fopen(name.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }

    static std::string Image(const CBvFwComponent& component) {
        std::string bytes(component.GetImageSize(), '\0');
        EXPECT_EQ(component.ReadBytes(0, static_cast<uint32_t>(bytes.size()), bytes.data()), ERR_OK);
        return bytes;
    }

    static std::wstring Product(const CBvFwComponent& c) {
        CBvVersionInfo v;
        EXPECT_EQ(c.GetProductVersion(v), ERR_OK);
        return v.ToText();
    }
    static std::wstring Component(const CBvFwComponent& c) {
        CBvVersionInfo v;
        EXPECT_EQ(c.GetComponentVersion(v), ERR_OK);
        return v.ToText();
    }

    CBvConfigInfo config_;
    CBvUpdater engine_{&config_};

private:
    fs::path previous_;
    fs::path folder_;
};

TEST_F(FwComponent, HeaderVersionsAndImageAfterTheMarker) {
    const std::string image("\x00\x01\x1A\r\n\xFF", 6);
    Write("bvmpsys.sb", "Player firmware\r\nComponent Version: 4.5.6\r\nProduct Version: 1.2.3\r\n" + kMarker + image);
    CBvFwComponent component(&engine_, kPlayer);
    ASSERT_EQ(component.GetStatus(), ERR_OK);
    EXPECT_EQ(component.GetObjectName(), "CBvFwComponent");
    EXPECT_EQ(component.GetScanState(), CBvFwComponent::kBothLinesSeen);
    EXPECT_EQ(Product(component), L"001.002.003");
    EXPECT_EQ(Component(component), L"004.005.006");
    EXPECT_EQ(Image(component), image);  // raw bytes: no line-end translation in the image

    // A successful load is recorded too: the record names the last component loaded.
    const CBvErrorRecord* record = engine_.GetErrorRecord();
    EXPECT_EQ(record->GetObjectName(), "CBvFwComponent");
    EXPECT_EQ(record->GetStatus(), ERR_OK);
    EXPECT_EQ(record->GetComponentIndex(), kPlayer);
}

TEST_F(FwComponent, FileWithoutVersionLinesIsAllImage) {
    const std::string bytes = "plain image\n" + kMarker + "more";
    Write("bvmpsys.sb", bytes);
    CBvFwComponent component(&engine_, kPlayer);
    ASSERT_EQ(component.GetStatus(), ERR_OK);
    EXPECT_EQ(component.GetScanState(), CBvFwComponent::kNoVersionLine);
    EXPECT_EQ(Product(component), L"000.000.000");
    EXPECT_EQ(Component(component), L"000.000.000");
    EXPECT_EQ(Image(component), bytes);
}

TEST_F(FwComponent, ScanOrderAndStop) {
    // The second product line wins; after both kinds were seen nothing more is read, and the
    // text ends at the marker's 0x1A, so a version line inside the image is never read.
    Write("bvmpsys.sb",
          "Product Version: 1.1.1\nProduct Version: 2.2.2\nComponent Version: 3.3.3\n"
          "Product Version: 9.9.9\n" + kMarker + "IMG");
    CBvFwComponent both(&engine_, kPlayer);
    EXPECT_EQ(Product(both), L"002.002.002");
    EXPECT_EQ(Component(both), L"003.003.003");
    EXPECT_EQ(Image(both), "IMG");

    Write("usbmsc.sb", "Product Version: 1.0.0\r\n" + kMarker + "Component Version: 5.5.5\n");
    CBvFwComponent productOnly(&engine_, 2);
    ASSERT_EQ(productOnly.GetStatus(), ERR_OK);
    EXPECT_EQ(productOnly.GetScanState(), CBvFwComponent::kProductLineSeen);
    EXPECT_EQ(Component(productOnly), L"000.000.000");
    EXPECT_EQ(Image(productOnly), "Component Version: 5.5.5\n");
}

TEST_F(FwComponent, LineLengthLimit) {
    const std::string line79(79, 'x');
    const std::string line80(80, 'x');
    const std::string tail = "Component Version: 7.0.1\r\n" + kMarker + "I";

    Write("bvmpsys.sb", line79 + "\r\n" + tail);  // 79 characters is still a line
    CBvFwComponent fits(&engine_, kPlayer);
    EXPECT_EQ(Component(fits), L"007.000.001");
    EXPECT_EQ(Image(fits), "I");

    // A longer line ends the scan: with no version seen, the whole file is the image.
    Write("bvmpsys.sb", line80 + "\n" + tail);
    CBvFwComponent tooLong(&engine_, kPlayer);
    ASSERT_EQ(tooLong.GetStatus(), ERR_OK);
    EXPECT_EQ(tooLong.GetScanState(), CBvFwComponent::kNoVersionLine);
    EXPECT_EQ(Image(tooLong), line80 + "\n" + tail);

    // Versions found before the long line stay.
    Write("bvmpsys.sb", "Product Version: 1.2.3\n" + line80 + "\n" + tail);
    CBvFwComponent after(&engine_, kPlayer);
    EXPECT_EQ(after.GetScanState(), CBvFwComponent::kProductLineSeen);
    EXPECT_EQ(Product(after), L"001.002.003");
    EXPECT_EQ(Component(after), L"000.000.000");
    EXPECT_EQ(Image(after), "I");
}

TEST_F(FwComponent, EmptyImageAfterTheMarker) {
    Write("bvmpsys.sb", "Product Version: 1.2.3\nComponent Version: 4.5.6\n" + kMarker);
    CBvFwComponent component(&engine_, kPlayer);
    EXPECT_EQ(component.GetStatus(), ERR_OK);
    EXPECT_EQ(component.GetImageSize(), 0u);
}

TEST_F(FwComponent, LoadFailuresAreRecordedWithTheComponent) {
    struct Row { const char* name; std::string content; uint8_t index; int32_t status; };
    const Row rows[] = {
        {"bvmpsys.sb", "Product Version: 1.2.3\nimage without marker", kPlayer, ERR_FILE_READ},
        {"bvmpsys.sb", "Product Version: 1.2.3\n" + kMarker.substr(0, 4), kPlayer, ERR_FILE_READ},
        {"other.sb", "", 1, ERR_FILE_OPEN},  // bootmanager.sb does not exist
        {"other.sb", "", 0, ERR_FILE_OPEN},  // the placeholder slot has no file
    };
    for (const Row& row : rows) {
        Write(row.name, row.content);
        CBvFwComponent component(&engine_, row.index);
        EXPECT_EQ(component.GetStatus(), row.status) << row.content;
        EXPECT_EQ(component.GetImageSize(), 0u);
        const CBvErrorRecord* record = engine_.GetErrorRecord();
        EXPECT_EQ(record->GetStatus(), row.status);
        EXPECT_EQ(record->GetObjectName(), "CBvFwComponent");
        EXPECT_EQ(record->GetComponentIndex(), row.index);
    }
}

TEST_F(FwComponent, ReadBlockPadsWithFF) {
    std::string image(1000, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 1);
    Write("bvmpsys.sb", "Component Version: 1.0.0\n" + kMarker + image);
    CBvFwComponent component(&engine_, kPlayer);
    ASSERT_EQ(component.GetImageSize(), 1000u);

    // 64 KiB from 100 bytes before the end: 100 image bytes, then 65436 bytes of 0xFF.
    CBvByteArray block(65536 + 4);
    block.SetU32(65536, 0x12345678);
    ASSERT_EQ(component.ReadBlock(900, 65536, block), ERR_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Bytes()), 100), image.substr(900));
    uint32_t padded = 0;
    for (uint32_t i = 100; i < 65536; ++i) padded += block.Bytes()[i] == 0xFF;
    EXPECT_EQ(padded, 65436u);
    uint32_t beyond = 0;
    block.GetU32(65536, beyond);
    EXPECT_EQ(beyond, 0x12345678u);  // bytes past the length stay as they were

    CBvByteArray atEnd(16);
    ASSERT_EQ(component.ReadBlock(1000, 16, atEnd), ERR_OK);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(atEnd.Bytes()[i], 0xFF) << i;

    // Beyond the image the whole array becomes 0xFF, whatever the length.
    CBvByteArray past(8);
    ASSERT_EQ(component.ReadBlock(1001, 2, past), ERR_OK);
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(past.Bytes()[i], 0xFF) << i;

    // A block shorter than the length asked for is refused, not overrun.
    CBvByteArray small(4);
    EXPECT_EQ(component.ReadBlock(0, 5, small), ERR_SHORT_BUFFER);
    EXPECT_EQ(small.Bytes()[0], 0);

    uint8_t bytes[3] = {};
    ASSERT_EQ(component.ReadBytes(998, 3, bytes), ERR_OK);
    EXPECT_EQ(bytes[0], static_cast<uint8_t>(image[998]));
    EXPECT_EQ(bytes[1], static_cast<uint8_t>(image[999]));
    EXPECT_EQ(bytes[2], 0xFF);
}

}  // namespace
