#pragma once
// The program's text formats take their string arguments as "%s", filled in order. The C
// library's wide printf is not used for them: its %s means a wide string on Windows and a
// narrow one elsewhere, and a translated text with the wrong number of %s would read
// arguments that were never passed.
#include <string>
#include <vector>

// Replaces each "%s" of format with the next argument; a "%s" without an argument left
// becomes empty, arguments without a "%s" are dropped, and every other character (a lone
// '%' too) is copied as it stands.
std::wstring BvFormatText(const std::wstring& format, const std::vector<std::wstring>& args);
