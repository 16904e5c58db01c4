// Consistency of the texts in the .rc files, read through the tables the simulated PC
// serves (generated from the same files windres compiles).
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/status.h"
#include "sim/pc/string_tables.h"

namespace {

std::u16string Text(const sim::StringResource& s) { return std::u16string(s.text, s.length); }

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

const sim::StringResource* Find(const sim::StringTable& table, uint16_t id) {
    for (size_t i = 0; i < table.count; ++i)
        if (table.strings[i].id == id) return &table.strings[i];
    return nullptr;
}

std::u16string TextOf(const sim::StringTable& table, uint16_t id) {
    const sim::StringResource* s = Find(table, id);
    return s ? Text(*s) : std::u16string();
}

// The language modules, each with its one string table.
std::vector<std::pair<std::string, const sim::StringTable*>> Modules() {
    std::vector<std::pair<std::string, const sim::StringTable*>> modules;
    for (size_t i = 0; i < sim::BuiltLanguageModuleCount(); ++i) {
        const sim::ModuleStringTables& m = sim::BuiltLanguageModules()[i];
        modules.emplace_back(m.fileName, m.count == 1 ? &m.tables[0] : nullptr);
    }
    return modules;
}

std::vector<uint16_t> Range(uint16_t first, uint16_t last) {
    std::vector<uint16_t> ids;
    for (uint32_t id = first; id <= last; ++id) ids.push_back(static_cast<uint16_t>(id));
    return ids;
}

// Every id the program asks a language module for.
std::set<uint16_t> UsedIds() {
    std::set<uint16_t> ids;
    for (int32_t i = 0; i < BvStatusTableSize(); ++i)
        if (BvStatusTable()[i].textId != kBvNoTextId) ids.insert(static_cast<uint16_t>(BvStatusTable()[i].textId));
    for (auto range : {Range(223, 421), Range(140, 147), Range(151, 155), Range(163, 169), Range(171, 173),
                       Range(181, 194), Range(198, 202)})
        ids.insert(range.begin(), range.end());
    for (uint16_t id : {159, 208, 209, 621, 102, 103, 104, 106, 107, 632, 161, 162, 207, 631, 148, 138, 196,
                        218, 204, 205, 206, 625, 626})
        ids.insert(id);
    return ids;
}

int CountArguments(const std::u16string& text) {
    int count = 0;
    for (size_t pos = text.find(u"%s"); pos != std::u16string::npos; pos = text.find(u"%s", pos + 2)) ++count;
    return count;
}

bool HasStrayPercent(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == u'%' && (i + 1 == text.size() || text[i + 1] != u's')) return true;
    return false;
}

int ExpectedArguments(uint16_t id) {
    if (id == 119 || id == 171 || id == 196) return 1;
    if (id == 205) return 20;
    return 0;
}

// Player error codes in the order of their text ids 223 to 421.
std::vector<uint16_t> DeviceCodesInTextOrder() {
    std::vector<uint16_t> codes;
    const std::pair<uint16_t, uint16_t> ranges[] = {
        {0x0101, 0x010F}, {0x0200, 0x020D}, {0x0210, 0x0210}, {0x0301, 0x0303}, {0x0401, 0x0428},
        {0x0500, 0x0515}, {0x0000, 0x0000}, {0x0516, 0x051A}, {0x0600, 0x060D}, {0x0700, 0x0704},
        {0x0800, 0x0805}, {0x0810, 0x0813}, {0x0820, 0x0824}, {0x0830, 0x0849}, {0x0850, 0x0855},
        {0x0860, 0x0879}, {0x0880, 0x0885}};
    for (auto [first, last] : ranges)
        for (uint32_t c = first; c <= last; ++c) codes.push_back(static_cast<uint16_t>(c));
    return codes;
}

TEST(LanguageModuleTexts, EachModuleHoldsOneTableInTheLanguageOfItsFileName) {
    const std::set<std::string> expected = {"bvmp0404.dll", "bvmp0407.dll", "bvmp0409.dll", "bvmp040a.dll",
                                            "bvmp040c.dll", "bvmp0411.dll", "bvmp0412.dll", "bvmp0804.dll"};
    std::set<std::string> built;
    for (auto& [name, table] : Modules()) {
        built.insert(name);
        ASSERT_NE(table, nullptr) << name << " must hold exactly one language";
        char fromName[16];
        std::snprintf(fromName, sizeof fromName, "bvmp%04x.dll", table->langId);
        EXPECT_EQ(name, fromName);
    }
    EXPECT_EQ(built, expected);
}

TEST(LanguageModuleTexts, EveryModuleDefinesEveryIdTheProgramUses) {
    const std::set<uint16_t> used = UsedIds();
    ASSERT_EQ(used.count(223) + used.count(421) + used.count(621), 3u);
    for (auto& [name, table] : Modules()) {
        ASSERT_NE(table, nullptr);
        std::vector<uint16_t> missing;
        for (uint16_t id : used)
            if (TextOf(*table, id).empty()) missing.push_back(id);
        EXPECT_TRUE(missing.empty()) << name << " lacks " << missing.size() << " texts, first id "
                                     << (missing.empty() ? 0 : missing.front());
    }
}

TEST(LanguageModuleTexts, FormatArgumentsAreTheSameInEveryLanguage) {
    for (auto& [name, table] : Modules()) {
        ASSERT_NE(table, nullptr);
        for (size_t i = 0; i < table->count; ++i) {
            const std::u16string text = Text(table->strings[i]);
            const uint16_t id = table->strings[i].id;
            EXPECT_EQ(CountArguments(text), ExpectedArguments(id)) << name << " text " << id;
            EXPECT_FALSE(HasStrayPercent(text)) << name << " text " << id << ": " << Narrow(text);
        }
    }
    for (size_t t = 0; t < sim::BuiltProgramStrings().count; ++t) {
        const sim::StringTable& table = sim::BuiltProgramStrings().tables[t];
        for (size_t i = 0; i < table.count; ++i)
            EXPECT_EQ(CountArguments(Text(table.strings[i])), table.strings[i].id == 61 ? 1 : 0)
                << "own text " << table.strings[i].id << " in language " << table.langId;
    }
}

// The command-line parser finds a switch as "-" or "/" followed by its keyword anywhere
// in a token, the English word anywhere, and the log file name after the first occurrence
// of the log keyword: a keyword inside another would switch both on.
TEST(LanguageModuleTexts, KeywordsAreLowerCaseDistinctAndNoneContainsAnother) {
    for (auto& [name, table] : Modules()) {
        ASSERT_NE(table, nullptr);
        std::vector<std::u16string> words;
        for (uint16_t id : {198, 199, 200, 201, 202, 204, 206, 625}) words.push_back(TextOf(*table, id));
        words.push_back(u"fat16");
        for (const std::u16string& w : words) {
            EXPECT_FALSE(w.empty()) << name;
            for (char16_t c : w)
                EXPECT_TRUE(!(c >= u'A' && c <= u'Z') && c != u' ' && c != u'-' && c != u'/')
                    << name << ": keyword " << Narrow(w);
        }
        for (size_t a = 0; a < words.size(); ++a)
            for (size_t b = 0; b < words.size(); ++b)
                if (a != b) {
                    EXPECT_EQ(words[b].find(words[a]), std::u16string::npos)
                        << name << ": " << Narrow(words[a]) << " inside " << Narrow(words[b]);
                }
        // The usage text cannot take the English keyword as an argument, so it spells it.
        EXPECT_NE(TextOf(*table, 205).find(TextOf(*table, 625)), std::u16string::npos) << name;
    }
}

// Each player error text carries its code, which proves that the texts sit at the ids
// of the device text map in every language.
TEST(LanguageModuleTexts, DeviceErrorTextsSitAtTheIdsOfTheirCodes) {
    const std::vector<uint16_t> codes = DeviceCodesInTextOrder();
    ASSERT_EQ(codes.size(), 199u);
    for (auto& [name, table] : Modules()) {
        ASSERT_NE(table, nullptr);
        for (size_t i = 0; i < codes.size(); ++i) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%04X", codes[i]);
            const std::u16string wanted(code, code + 6);
            const uint16_t id = static_cast<uint16_t>(223 + i);
            EXPECT_NE(TextOf(*table, id).find(wanted), std::u16string::npos) << name << " text " << id;
        }
    }
}

TEST(OwnStringTable, HoldsIds50To70InTheEightLanguages) {
    const sim::ModuleStringTables& own = sim::BuiltProgramStrings();
    std::set<uint16_t> languages;
    for (size_t t = 0; t < own.count; ++t) {
        languages.insert(own.tables[t].langId);
        for (uint16_t id = 50; id <= 70; ++id)
            EXPECT_FALSE(TextOf(own.tables[t], id).empty()) << "id " << id << " language " << own.tables[t].langId;
        EXPECT_EQ(own.tables[t].count, 21u);
    }
    EXPECT_EQ(languages, (std::set<uint16_t>{0x0007, 0x0009, 0x000A, 0x000C, 0x0011, 0x0012, 0x0404, 0x0804}));
}

// Non-ASCII text, line breaks and tabs arrive as the UTF-16 that LoadStringW would give.
TEST(LanguageModuleTexts, TextsArriveAsUtf16) {
    for (auto& [name, table] : Modules()) {
        ASSERT_NE(table, nullptr);
        if (name == "bvmp0411.dll") {
            EXPECT_EQ(TextOf(*table, 632), u"\u30AD\u30E3\u30F3\u30BB\u30EB");
        }
        if (name == "bvmp0407.dll") {
            EXPECT_EQ(TextOf(*table, 147), u"Schlie\u00DFen");
        }
        const std::u16string usage = TextOf(*table, 205);
        EXPECT_NE(usage.find(u'\n'), std::u16string::npos) << name;
        EXPECT_NE(usage.find(u'\t'), std::u16string::npos) << name;
        EXPECT_EQ(usage.find(u'\\'), std::u16string::npos) << name;
    }
}

}  // namespace
