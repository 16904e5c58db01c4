#include "firmware/version.h"

#include <gtest/gtest.h>

#include "firmware/version_line.h"
#include "firmware/version_ptr_array.h"

namespace {

CBvVersionInfo Version(int32_t major, int32_t minor, int32_t revision) {
    CBvVersionInfo v;
    v.SetMajor(major);
    v.SetMinor(minor);
    v.SetRevision(revision);
    return v;
}

// A version that failed, to see that copies carry name and status along.
class FailedVersion : public CBvVersionInfo {
public:
    FailedVersion() : CBvVersionInfo("CBvGetLogicalDriveInfo") {
        SetStatus(ERR_SCSI_COMMAND);
        SetSystemError(31);
    }
};

}  // namespace

TEST(Version, DisplayForm) {
    struct Row { int32_t major, minor, revision; const wchar_t* text; };
    const Row rows[] = {
        {0, 0, 0, L"000.000.000"},
        {1, 2, 34, L"001.002.034"},
        {1234, 0, 0, L"1234.000.000"},
        {65535, 65535, 65535, L"65535.65535.65535"},
        {70000, -1, 65536, L"4464.65535.000"},  // the low 16 bits, never a sign
    };
    for (const Row& row : rows) EXPECT_EQ(Version(row.major, row.minor, row.revision).ToText(), row.text);
    EXPECT_EQ(CBvVersionInfo().ToText(), L"000.000.000");
}

TEST(Version, CopyAndAssignmentCarryNameAndStatus) {
    FailedVersion source;
    source.SetMajor(3);
    source.SetRevision(9);

    CBvVersionInfo copy(source);
    EXPECT_EQ(copy.GetObjectName(), "CBvGetLogicalDriveInfo");
    EXPECT_EQ(copy.GetStatus(), ERR_SCSI_COMMAND);
    EXPECT_EQ(copy.GetSystemError(), 31);
    EXPECT_EQ(copy.ToText(), L"003.000.009");

    CBvVersionInfo assigned("CBvVersionInfo");
    assigned = source;
    EXPECT_EQ(assigned.GetObjectName(), "CBvGetLogicalDriveInfo");
    EXPECT_EQ(assigned.GetStatus(), ERR_SCSI_COMMAND);
    EXPECT_EQ(assigned.ToText(), L"003.000.009");
}

TEST(VersionLine, Recognition) {
    using K = BvVersionLine;
    struct Row { const char* line; K kind; const wchar_t* version; };
    const Row rows[] = {
        {"Product Version: 1.2.3", K::Product, L"001.002.003"},
        {"Release notes, Component Version:4.5", K::Component, L"004.005.000"},
        {"Product Version: beta", K::Product, L"000.000.000"},
        {"Product Version:  \t ", K::None, nullptr},
        {"Component Version: 1.2.3 Product Version: 7.8.9", K::Product, L"007.008.009"},
        {"Product Version: 70000.1.1", K::Product, L"4464.001.001"},
        {"Product Version: 2", K::Product, L"002.000.000"},
        {"Product Version: 1. 2.x", K::Product, L"001.002.000"},  // blanks before a number are skipped
        {"Product Version: 1 .2", K::Product, L"001.000.000"},    // but not before the full stop
        {"product version: 1.2.3", K::None, nullptr},
        {"Version: 1.2.3", K::None, nullptr},
    };
    for (const Row& row : rows) {
        CBvVersionInfo version = Version(9, 9, 9);
        EXPECT_EQ(BvParseVersionLine(row.line, version), row.kind) << row.line;
        EXPECT_EQ(version.ToText(), row.version ? row.version : L"009.009.009") << row.line;
    }
}

TEST(VersionPtrArray, OwnsOneNewVersionPerElement) {
    CBvVersionInfoPtrArray array(4);
    EXPECT_EQ(array.GetStatus(), ERR_OK);
    EXPECT_EQ(array.GetObjectName(), "CBvVersionInfoPtrArray");
    ASSERT_EQ(array.GetSize(), 4u);
    CBvVersionInfo* first = nullptr;
    for (uint32_t i = 0; i < 4; ++i) {
        CBvVersionInfo* element = nullptr;
        ASSERT_EQ(array.GetAt(i, element), ERR_OK);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->GetObjectName(), "CBvVersionInfo");
        EXPECT_EQ(element->ToText(), L"000.000.000");
        if (i == 0) first = element;
        else EXPECT_NE(element, first);
    }
    CBvVersionInfo* none = nullptr;
    EXPECT_EQ(array.GetAt(4, none), ERR_INDEX_RANGE);
    // Resizing destroys the versions it held (the sanitizer build reports a leak otherwise)
    // and leaves empty slots.
    array.SetSize(2);
    EXPECT_EQ(array.GetAt(0, none), ERR_OK);
    EXPECT_EQ(none, nullptr);
}
