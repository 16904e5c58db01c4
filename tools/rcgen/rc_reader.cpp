#include "tools/rcgen/rc_reader.h"

#include <cctype>
#include <set>
#include <utility>

namespace rcgen {

bool Utf8ToUtf16(const std::string& in, std::u16string& out) {
    out.clear();
    size_t i = 0;
    while (i < in.size()) {
        const unsigned char lead = static_cast<unsigned char>(in[i]);
        uint32_t cp;
        size_t extra;
        if (lead < 0x80) { cp = lead; extra = 0; }
        else if ((lead & 0xE0) == 0xC0) { cp = lead & 0x1F; extra = 1; }
        else if ((lead & 0xF0) == 0xE0) { cp = lead & 0x0F; extra = 2; }
        else if ((lead & 0xF8) == 0xF0) { cp = lead & 0x07; extra = 3; }
        else return false;
        if (i + extra >= in.size()) return false;  // sequence cut short
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(in[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not text.
        static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += extra + 1;
    }
    return true;
}

namespace {

enum class TokenKind { End, Word, Number, String, Comma, Open, Close };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;   // word or raw (already unescaped) UTF-8 string
    uint32_t number = 0;
    int line = 0;
};

class Lexer {
public:
    Lexer(const std::string& source, const std::string& fileName)
        : m_src(source), m_file(fileName) {}

    bool Next(Token& token, std::string& error) {
        if (!SkipSpaceAndComments(error)) return false;
        token = Token();
        token.line = m_line;
        if (m_pos >= m_src.size()) return true;
        const char c = m_src[m_pos];
        if (c == ',') { ++m_pos; token.kind = TokenKind::Comma; return true; }
        if (c == '{') { ++m_pos; token.kind = TokenKind::Open; return true; }
        if (c == '}') { ++m_pos; token.kind = TokenKind::Close; return true; }
        if (c == '"') return ReadString(token, error);
        if (std::isdigit(static_cast<unsigned char>(c))) return ReadNumber(token, error);
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = m_pos;
            while (m_pos < m_src.size() &&
                   (std::isalnum(static_cast<unsigned char>(m_src[m_pos])) || m_src[m_pos] == '_'))
                ++m_pos;
            token.kind = TokenKind::Word;
            token.text = m_src.substr(start, m_pos - start);
            return true;
        }
        return Fail(error, std::string("unexpected character '") + c + "'");
    }

    bool Fail(std::string& error, const std::string& what) const {
        error = m_file + ":" + std::to_string(m_line) + ": " + what;
        return false;
    }

private:
    bool SkipSpaceAndComments(std::string& error) {
        while (m_pos < m_src.size()) {
            const char c = m_src[m_pos];
            if (c == '\n') { ++m_line; ++m_pos; }
            else if (c == ' ' || c == '\t' || c == '\r') { ++m_pos; }
            else if (m_src.compare(m_pos, 2, "//") == 0) {
                while (m_pos < m_src.size() && m_src[m_pos] != '\n') ++m_pos;
            } else if (m_src.compare(m_pos, 2, "/*") == 0) {
                const size_t end = m_src.find("*/", m_pos + 2);
                if (end == std::string::npos) return Fail(error, "unterminated comment");
                for (size_t k = m_pos; k < end; ++k) if (m_src[k] == '\n') ++m_line;
                m_pos = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool ReadNumber(Token& token, std::string& error) {
        size_t start = m_pos;
        int base = 10;
        if (m_src.compare(m_pos, 2, "0x") == 0 || m_src.compare(m_pos, 2, "0X") == 0) {
            base = 16;
            m_pos += 2;
            start = m_pos;
        }
        uint64_t value = 0;
        while (m_pos < m_src.size() && std::isxdigit(static_cast<unsigned char>(m_src[m_pos]))) {
            const char d = m_src[m_pos];
            const int digit = std::isdigit(static_cast<unsigned char>(d))
                                  ? d - '0'
                                  : (std::tolower(static_cast<unsigned char>(d)) - 'a' + 10);
            if (digit >= base) return Fail(error, "bad digit in number");
            value = value * base + digit;
            if (value > 0xFFFF) return Fail(error, "number out of range");
            ++m_pos;
        }
        if (m_pos == start) return Fail(error, "empty number");
        if (m_pos < m_src.size() && (std::isalpha(static_cast<unsigned char>(m_src[m_pos])) || m_src[m_pos] == '_'))
            return Fail(error, "bad character after number");
        token.kind = TokenKind::Number;
        token.number = static_cast<uint32_t>(value);
        return true;
    }

    bool ReadString(Token& token, std::string& error) {
        ++m_pos;  // opening quote
        std::string text;
        for (;;) {
            if (m_pos >= m_src.size()) return Fail(error, "unterminated string");
            const char c = m_src[m_pos];
            if (c == '\n') return Fail(error, "line break inside a string");
            if (c == '"') {
                if (m_pos + 1 < m_src.size() && m_src[m_pos + 1] == '"') {
                    text.push_back('"');
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            if (c == '\\') {
                if (m_pos + 1 >= m_src.size()) return Fail(error, "unterminated string");
                const char e = m_src[m_pos + 1];
                switch (e) {
                    case 'n': text.push_back('\n'); break;
                    case 'r': text.push_back('\r'); break;
                    case 't': text.push_back('\t'); break;
                    case '\\': text.push_back('\\'); break;
                    case '"': text.push_back('"'); break;
                    default: return Fail(error, std::string("unsupported escape \\") + e);
                }
                m_pos += 2;
                continue;
            }
            text.push_back(c);
            ++m_pos;
        }
        token.kind = TokenKind::String;
        token.text = std::move(text);
        return true;
    }

    const std::string& m_src;
    const std::string& m_file;
    size_t m_pos = 0;
    int m_line = 1;
};

bool IsWord(const Token& t, const char* word) {
    return t.kind == TokenKind::Word && t.text == word;
}

}  // namespace

bool ReadStringTables(const std::string& source, const std::string& fileName,
                      std::vector<RcString>& out, std::string& error) {
    Lexer lexer(source, fileName);
    Token token;
    bool haveLanguage = false;
    uint16_t langId = 0;
    std::set<std::pair<uint16_t, uint16_t>> seen;  // (language, id)

    if (!lexer.Next(token, error)) return false;
    while (token.kind != TokenKind::End) {
        if (IsWord(token, "LANGUAGE")) {
            Token primary, comma, sub;
            if (!lexer.Next(primary, error) || !lexer.Next(comma, error) || !lexer.Next(sub, error))
                return false;
            if (primary.kind != TokenKind::Number || comma.kind != TokenKind::Comma ||
                sub.kind != TokenKind::Number || primary.number > 0x3FF || sub.number > 0x3F)
                return lexer.Fail(error, "LANGUAGE needs a primary and a sub-language number");
            langId = static_cast<uint16_t>((sub.number << 10) | primary.number);
            haveLanguage = true;
        } else if (IsWord(token, "STRINGTABLE")) {
            if (!haveLanguage) return lexer.Fail(error, "STRINGTABLE before any LANGUAGE statement");
            if (!lexer.Next(token, error)) return false;
            if (!IsWord(token, "BEGIN") && token.kind != TokenKind::Open)
                return lexer.Fail(error, "STRINGTABLE must be followed by BEGIN");
            for (;;) {
                if (!lexer.Next(token, error)) return false;
                if (IsWord(token, "END") || token.kind == TokenKind::Close) break;
                if (token.kind != TokenKind::Number) return lexer.Fail(error, "expected a string id or END");
                const uint16_t id = static_cast<uint16_t>(token.number);
                if (!lexer.Next(token, error)) return false;
                if (token.kind == TokenKind::Comma && !lexer.Next(token, error)) return false;
                if (token.kind != TokenKind::String) return lexer.Fail(error, "expected a string after the id");
                if (!seen.insert({langId, id}).second)
                    return lexer.Fail(error, "string id " + std::to_string(id) + " defined twice");
                RcString entry{langId, id, {}};
                if (!Utf8ToUtf16(token.text, entry.text)) return lexer.Fail(error, "string is not valid UTF-8");
                out.push_back(std::move(entry));
            }
        } else {
            return lexer.Fail(error, "unsupported statement" +
                                         (token.kind == TokenKind::Word ? " " + token.text : std::string()));
        }
        if (!lexer.Next(token, error)) return false;
    }
    return true;
}

}  // namespace rcgen
