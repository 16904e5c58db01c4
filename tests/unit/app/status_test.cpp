#include "app/status.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(StatusTable, EveryCodeFromZeroToMinus63HasItsRowAndName) {
    ASSERT_EQ(BvStatusTableSize(), 64);
    std::set<std::string> names;
    for (int32_t code = 0; code >= -63; --code) {
        const BvStatusEntry* entry = BvFindStatus(code);
        ASSERT_NE(entry, nullptr) << code;
        EXPECT_EQ(entry->code, code);
        EXPECT_EQ(std::string(entry->name).rfind("ERR_", 0), 0u) << entry->name;
        names.insert(entry->name);
    }
    EXPECT_EQ(names.size(), 64u);
}

TEST(StatusTable, TextIdsOfSelectedCodes) {
    struct Row { int32_t code; const char* name; int32_t textId; };
    const Row rows[] = {
        {0, "ERR_OK", 108},           {-10, "ERR_DATA_TOO_LARGE", 118},
        {-29, "ERR_RESERVED_29", 137}, {-30, "ERR_RESERVED_30", 170},
        {-31, "ERR_LOCK", 150},        {-32, "ERR_UNLOCK", 149},
        {-38, "ERR_RESERVED_38", 177}, {-41, "ERR_ICON_LOAD", 100},
        {-55, "ERR_DRIVE_QUERY", 622}, {-59, "ERR_SETTINGS_DELETE", 634},
        {-60, "ERR_NO_TEXT", kBvNoTextId}, {-63, "ERR_UNKNOWN_DEVICE_CODE", kBvNoTextId},
    };
    for (const Row& row : rows) {
        const BvStatusEntry* entry = BvFindStatus(row.code);
        ASSERT_NE(entry, nullptr);
        EXPECT_STREQ(entry->name, row.name);
        EXPECT_EQ(entry->textId, row.textId) << row.name;
    }
}

TEST(StatusTable, CodesOutsideTheListHaveNoRow) {
    EXPECT_EQ(BvFindStatus(1), nullptr);
    EXPECT_EQ(BvFindStatus(-64), nullptr);
    EXPECT_STREQ(BvStatusName(-64), "ERR_?");
    EXPECT_STREQ(BvStatusName(-12), "ERR_FILE_READ");
}
