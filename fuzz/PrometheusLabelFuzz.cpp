// Label values from arbitrary bytes: the escaped text never holds a raw quote or line
// break, every backslash starts one of the format's three escapes, and undoing the
// escapes gives a text that escapes back to the same bytes (so it is valid UTF-8).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/report/PrometheusText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string escaped = vm::EscapeLabelValue(input);
    std::string plain;
    for (size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c == '"' || c == '\n' || c == '\r') std::abort();
        if (c != '\\') {
            plain += c;
            continue;
        }
        if (++i >= escaped.size()) std::abort();
        const char next = escaped[i];
        if (next == 'n') {
            plain += '\n';
        } else if (next == '\\' || next == '"') {
            plain += next;
        } else {
            std::abort();
        }
    }
    if (vm::EscapeLabelValue(plain) != escaped) std::abort();
    const std::string label = vm::UrlForLabel(std::string(input));
    if (label.size() > size) std::abort();
    return 0;
}
