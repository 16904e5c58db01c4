#include "firmware/text_line_reader.h"

namespace {
constexpr int kEndOfText = 0x1A;
}

int BvTextLineReader::NextChar() {
    if (m_ended) return EOF;
    int c = std::fgetc(m_file);
    if (c == '\r') {
        int next = std::fgetc(m_file);
        if (next == '\n') return '\n';
        if (next != EOF) std::ungetc(next, m_file);
    }
    if (c == EOF || c == kEndOfText) {
        m_ended = true;
        return EOF;
    }
    return c;
}

bool BvTextLineReader::ReadLine(std::string& line) {
    line.clear();
    int c = NextChar();
    if (c == EOF) return false;
    while (c != EOF && c != '\n') {
        if (line.size() == kMaxLineLength) return false;
        line += static_cast<char>(c);
        c = NextChar();
    }
    return true;
}
