#include <gtest/gtest.h>

#include "text/format.h"

namespace {

TEST(FormatText, FillsEachPercentSInOrderAndLeavesTheRest) {
    const struct {
        const wchar_t* format;
        std::vector<std::wstring> args;
        const wchar_t* expected;
    } cases[] = {
        {L"The file %s could not be opened.", {L"usbmsc.sb"}, L"The file usbmsc.sb could not be opened."},
        {L"%s [-%s]", {L"a.exe", L"auto"}, L"a.exe [-auto]"},
        {L"%s and %s", {L"one"}, L"one and "},          // too few arguments: empty, not garbage
        {L"only %s", {L"x", L"y"}, L"only x"},           // extra arguments are dropped
        {L"100% sure %d %", {}, L"100% sure %d %"},      // other percent signs stand as they are
        {L"%s%s", {L"\u00E4", L"\u4E0D"}, L"\u00E4\u4E0D"},
    };
    for (const auto& c : cases) EXPECT_EQ(BvFormatText(c.format, c.args), c.expected) << c.format;
}

}  // namespace
