#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/rcgen/rc_reader.h"
#include "tools/rcgen/table_writer.h"

namespace {

using rcgen::RcString;

std::vector<RcString> Read(const std::string& source, std::string* error = nullptr) {
    std::vector<RcString> out;
    std::string message;
    const bool ok = rcgen::ReadStringTables(source, "x.rc", out, message);
    if (error) *error = ok ? std::string() : message;
    else EXPECT_TRUE(ok) << message;
    return out;
}

TEST(RcReader, ReadsStringsWithTheLanguageInForce) {
    const auto strings = Read(
        "// comment\n/* block\n comment */\n"
        "LANGUAGE 0x04, 0x02\nSTRINGTABLE\nBEGIN\n  61, \"\xE4\xB8\x8D %s\"\n  62 \"a\"\"b\"\nEND\n"
        "LANGUAGE 9, 0\nSTRINGTABLE {\n 61, \"x\\ny\\tz\\\\\\\"\" }\n");
    ASSERT_EQ(strings.size(), 3u);
    EXPECT_EQ(strings[0].langId, 0x0804);
    EXPECT_EQ(strings[0].id, 61);
    EXPECT_EQ(strings[0].text, u"\u4E0D %s");
    EXPECT_EQ(strings[1].text, u"a\"b");
    EXPECT_EQ(strings[2].langId, 0x0009);
    EXPECT_EQ(strings[2].text, u"x\ny\tz\\\"");
}

TEST(RcReader, RefusesWhatWindresMightReadDifferently) {
    const struct {
        const char* source;
        const char* reason;
    } cases[] = {
        {"STRINGTABLE BEGIN 1, \"a\" END", "before any LANGUAGE"},
        {"LANGUAGE 9, 1 STRINGTABLE BEGIN 1, \"a\" 1, \"b\" END", "defined twice"},
        {"LANGUAGE 9, 1 STRINGTABLE BEGIN 1, \"a\\x41\" END", "unsupported escape"},
        {"LANGUAGE 9, 1 STRINGTABLE BEGIN 1, \"\xC3\" END", "not valid UTF-8"},
        {"LANGUAGE 9, 1 STRINGTABLE BEGIN 1, \"open\nEND", "line break inside a string"},
        {"LANGUAGE 9, 1 STRINGTABLE BEGIN 70000, \"a\" END", "out of range"},
        {"LANGUAGE 9, 1 ICON 1 \"a.ico\"", "unsupported statement ICON"},
        {"LANGUAGE 9 STRINGTABLE BEGIN END", "LANGUAGE needs"},
        {"LANGUAGE 9, 1\n\nSTRINGTABLE BEGIN 1, 2 END", "x.rc:3: expected a string"},
    };
    for (const auto& c : cases) {
        std::string error;
        Read(c.source, &error);
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.source << " gave: " << error;
    }
}

TEST(RcReader, DecodesUtf8AndRejectsMalformedSequences) {
    std::u16string out;
    EXPECT_TRUE(rcgen::Utf8ToUtf16("\xF0\x9F\x8E\xB5 \xC3\xA9", out));
    EXPECT_EQ(out, u"\U0001F3B5 \u00E9");
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE3\x81", "\x80", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(rcgen::Utf8ToUtf16(bad, out)) << static_cast<int>(static_cast<unsigned char>(bad[0]));
}

TEST(TableWriter, LiteralsEscapeWhatCppWouldMisread) {
    EXPECT_EQ(rcgen::Utf16Literal(u"a\"\\\n1\u00E9\u4E0D"), "u\"a\\\"\\\\\\0121\\351\\u4E0D\"");
}

}  // namespace
