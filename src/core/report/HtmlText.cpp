#include "core/report/HtmlText.h"

namespace vm {

void AppendHtmlText(std::string& out, const std::string& utf8) {
    out.reserve(out.size() + utf8.size());
    for (const char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F) {
                    out += "\xef\xbf\xbd";
                } else {
                    out += c;
                }
            }
        }
    }
}

void AppendClassAndText(std::string& out, const char* cls, const std::string& utf8) {
    if (cls != nullptr) {
        out += " class=\"";
        out += cls;
        out += '"';
    }
    out += '>';
    AppendHtmlText(out, utf8);
}

}  // namespace vm
