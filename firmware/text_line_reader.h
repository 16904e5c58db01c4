#pragma once
// Reads a component file's header as the C library reads a text file on Windows, but from
// raw bytes and by our own rules, so the header scan is the same on every platform:
// CR LF is read as LF, the byte 0x1A ends the text, and a line holds at most 79 characters.
#include <cstdio>
#include <string>

class BvTextLineReader {
public:
    static constexpr size_t kMaxLineLength = 79;

    explicit BvTextLineReader(std::FILE* file) : m_file(file) {}

    // The next line without its line end. False when the line cannot be read: at the end of
    // the text with no character left, on a read error, or for a line longer than 79 characters.
    bool ReadLine(std::string& line);

private:
    // The next character of the text, or EOF at its end.
    int NextChar();

    std::FILE* m_file;
    bool m_ended = false;
};
