#include "sim/player/fault_plan.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

bool FaultRule::CountAndCheck() {
    ++matched;
    if (matched < match.nth) return false;
    return match.times == 0 || matched - match.nth < match.times;
}

namespace {

// Splits on `separator` outside double quotes; quotes stay in the pieces.
std::vector<std::string> SplitOutsideQuotes(const std::string& text, bool (*isSeparator)(char)) {
    std::vector<std::string> pieces;
    std::string current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (!quoted && isSeparator(c)) {
            pieces.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    pieces.push_back(current);
    return pieces;
}

bool IsRuleSeparator(char c) { return c == ';'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    char* end = nullptr;
    const int base = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? 16 : 10;
    const unsigned long long v = std::strtoull(text.c_str(), &end, base);
    if (*end != '\0' || v > max) return false;
    *value = v;
    return true;
}

std::string Unquote(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

std::string Hex(uint64_t value, int digits) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

struct KindName {
    FaultRule::Kind kind;
    const char* name;
};
const KindName kKindNames[] = {
    {FaultRule::Kind::Fail, "fail"},
    {FaultRule::Kind::Flip, "flip"},
    {FaultRule::Kind::Delay, "delay"},
    {FaultRule::Kind::Recovery, "recovery"},
    {FaultRule::Kind::Unplug, "unplug"},
    {FaultRule::Kind::TableUnreadable, "table-unreadable"},
    {FaultRule::Kind::MediaFlagClear, "media-flag-clear"},
    {FaultRule::Kind::Identity, "identity"},
};

bool TakesCommandMatch(FaultRule::Kind kind) {
    return kind == FaultRule::Kind::Fail || kind == FaultRule::Kind::Flip ||
           kind == FaultRule::Kind::Delay;
}

// Applies one word of a rule; false with *error set when it does not belong there.
bool ApplyWord(const std::string& word, FaultRule* rule, std::string* error) {
    const size_t eq = word.find('=');
    const std::string key = eq == std::string::npos ? word : word.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : word.substr(eq + 1);
    const bool hasValue = eq != std::string::npos;
    const FaultRule::Kind kind = rule->kind;
    uint64_t n = 0;
    auto number = [&](uint64_t max) {
        if (!hasValue || !ParseNumber(value, max, &n)) {
            *error = "bad number in '" + word + "'";
            return false;
        }
        return true;
    };
    auto text = [&](std::string* target, size_t width, bool* flag) {
        const std::string t = Unquote(value);
        if (!hasValue || t.size() > width) {
            *error = "'" + word + "' needs a text of at most " + std::to_string(width) + " characters";
            return false;
        }
        *target = t + std::string(width - t.size(), ' ');
        *flag = true;
        return true;
    };

    const bool matchKey = key == "op" || key == "fn" || key == "drive";
    const bool countKey = key == "nth" || key == "times";
    if (matchKey && TakesCommandMatch(kind)) {
        if (!number(0xFF)) return false;
        (key == "op" ? rule->match.op : key == "fn" ? rule->match.fn : rule->match.drive) =
            static_cast<int>(n);
        return true;
    }
    if (countKey && (TakesCommandMatch(kind) || kind == FaultRule::Kind::Recovery)) {
        if (!number(0xFFFFFFFF)) return false;
        if (key == "nth" && n == 0) {
            *error = "nth counts from 1";
            return false;
        }
        (key == "nth" ? rule->match.nth : rule->match.times) = static_cast<uint32_t>(n);
        return true;
    }
    if (kind == FaultRule::Kind::Fail && key == "code") {
        if (!number(0xFFFF)) return false;
        rule->code = static_cast<uint16_t>(n);
        rule->transport = false;
        return true;
    }
    if (kind == FaultRule::Kind::Fail && key == "transport" && !hasValue) {
        rule->transport = true;
        return true;
    }
    if (kind == FaultRule::Kind::Flip && key == "byte") {
        if (!number(0xFFFFFFFF)) return false;
        rule->byteOffset = static_cast<uint32_t>(n);
        return true;
    }
    if (kind == FaultRule::Kind::Flip && key == "bit") {
        if (!number(7)) return false;
        rule->bit = static_cast<uint8_t>(n);
        return true;
    }
    if (kind == FaultRule::Kind::Delay && key == "ms") {
        if (!number(0xFFFFFFFF)) return false;
        rule->ms = static_cast<uint32_t>(n);
        return true;
    }
    if (kind == FaultRule::Kind::Recovery && (key == "short" || key == "late")) {
        if (!number(0xFFFFFFFF)) return false;
        rule->recovery = key == "short" ? FaultRule::RecoveryFault::Short : FaultRule::RecoveryFault::Late;
        (key == "short" ? rule->shortBytes : rule->ms) = static_cast<uint32_t>(n);
        return true;
    }
    if (kind == FaultRule::Kind::Recovery && key == "never" && !hasValue) {
        rule->recovery = FaultRule::RecoveryFault::Never;
        return true;
    }
    if (kind == FaultRule::Kind::Unplug && key == "after") {
        if (!number(UINT64_MAX)) return false;
        rule->afterBytes = n;
        return true;
    }
    if (kind == FaultRule::Kind::Identity) {
        if (key == "vendor") return text(&rule->vendor, 8, &rule->hasVendor);
        if (key == "product") return text(&rule->product, 16, &rule->hasProduct);
        if (key == "revision") return text(&rule->revision, 4, &rule->hasRevision);
        if (key == "chip") {
            if (!number(0xFFFF)) return false;
            rule->chip = static_cast<uint16_t>(n);
            rule->hasChip = true;
            return true;
        }
    }
    *error = "'" + word + "' does not belong to a " + std::string(kKindNames[static_cast<int>(kind)].name) + " rule";
    return false;
}

bool ParseRule(const std::string& text, FaultRule* rule, std::string* error) {
    std::vector<std::string> words;
    for (const auto& w : SplitOutsideQuotes(text, IsBlank))
        if (!w.empty()) words.push_back(w);
    if (words.empty()) {
        *error = "empty rule";
        return false;
    }
    bool known = false;
    for (const auto& k : kKindNames) {
        if (words[0] == k.name) {
            rule->kind = k.kind;
            known = true;
        }
    }
    if (!known) {
        *error = "unknown fault kind '" + words[0] + "'";
        return false;
    }
    bool hasOutcome = false;  // the word that says what the rule does, where one is needed
    for (size_t i = 1; i < words.size(); ++i) {
        if (!ApplyWord(words[i], rule, error)) return false;
        const std::string key = words[i].substr(0, words[i].find('='));
        if (key == "code" || key == "transport" || key == "ms" || key == "short" ||
            key == "late" || key == "never" || key == "after")
            hasOutcome = true;
    }
    const FaultRule::Kind kind = rule->kind;
    if (!hasOutcome && (kind == FaultRule::Kind::Fail || kind == FaultRule::Kind::Delay ||
                        kind == FaultRule::Kind::Recovery || kind == FaultRule::Kind::Unplug)) {
        static const char* const needs[] = {"code=N or transport", "", "ms=N",
                                            "short=N, late=MS or never", "after=N"};
        *error = words[0] + " needs " + needs[static_cast<int>(kind)];
        return false;
    }
    return true;
}

}  // namespace

bool FaultPlan::Parse(const std::string& planText, FaultPlan* plan, std::string* error) {
    FaultPlan parsed;
    for (const auto& piece : SplitOutsideQuotes(planText, IsRuleSeparator)) {
        bool blank = true;
        for (char c : piece) blank = blank && IsBlank(c);
        if (blank) continue;  // tolerate "a; ;b" and a trailing ';'
        FaultRule rule;
        if (!ParseRule(piece, &rule, error)) return false;
        parsed.rules.push_back(rule);
    }
    *plan = parsed;
    return true;
}

std::string FaultPlan::ToText() const {
    using Kind = FaultRule::Kind;
    using RecoveryFault = FaultRule::RecoveryFault;
    std::string out;
    for (const auto& rule : rules) {
        if (!out.empty()) out += "; ";
        out += kKindNames[static_cast<int>(rule.kind)].name;
        if (TakesCommandMatch(rule.kind)) {
            if (rule.match.op >= 0) out += " op=" + Hex(rule.match.op, 2);
            if (rule.match.fn >= 0) out += " fn=" + Hex(rule.match.fn, 2);
            if (rule.match.drive >= 0) out += " drive=" + std::to_string(rule.match.drive);
        }
        if (TakesCommandMatch(rule.kind) || rule.kind == Kind::Recovery) {
            out += " nth=" + std::to_string(rule.match.nth);
            out += " times=" + std::to_string(rule.match.times);
        }
        switch (rule.kind) {
        case Kind::Fail:
            out += rule.transport ? std::string(" transport") : " code=" + Hex(rule.code, 4);
            break;
        case Kind::Flip:
            out += " byte=" + std::to_string(rule.byteOffset) + " bit=" + std::to_string(rule.bit);
            break;
        case Kind::Delay:
            out += " ms=" + std::to_string(rule.ms);
            break;
        case Kind::Recovery:
            if (rule.recovery == RecoveryFault::Short) out += " short=" + std::to_string(rule.shortBytes);
            if (rule.recovery == RecoveryFault::Late) out += " late=" + std::to_string(rule.ms);
            if (rule.recovery == RecoveryFault::Never) out += " never";
            break;
        case Kind::Unplug:
            out += " after=" + std::to_string(rule.afterBytes);
            break;
        case Kind::Identity:
            if (rule.hasVendor) out += " vendor=\"" + rule.vendor + "\"";
            if (rule.hasProduct) out += " product=\"" + rule.product + "\"";
            if (rule.hasRevision) out += " revision=\"" + rule.revision + "\"";
            if (rule.hasChip) out += " chip=" + Hex(rule.chip, 4);
            break;
        case Kind::TableUnreadable:
        case Kind::MediaFlagClear:
            break;
        }
    }
    return out;
}

}  // namespace sim
