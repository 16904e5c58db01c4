#include "text/format.h"

std::wstring BvFormatText(const std::wstring& format, const std::vector<std::wstring>& args) {
    std::wstring out;
    out.reserve(format.size());
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size() && format[i + 1] == L's') {
            if (next < args.size()) out += args[next];
            ++next;
            ++i;
        } else {
            out.push_back(format[i]);
        }
    }
    return out;
}
