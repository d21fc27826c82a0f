#include "core/engine/ServerReply.h"

#include "core/engine/DownloadItem.h"

namespace vm {

std::string TakeServerReply(InternetLibrary& net, uint32_t* error) {
    uint32_t code = 0;
    std::string text;
    if (!net.LastResponse(&code, &text, kMaxCellText)) return std::string();
    // Only these codes say that the reply is this failure's: after others the library
    // may still hold a reply from an earlier session on the same thread.
    if (code != kErrorExtendedError && code != kErrorLoginFailure) {
        if (*error == 0 && code != 0) *error = code;
        return std::string();
    }
    if (*error == 0 || *error == kErrorExtendedError) *error = code;
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ') ++start;
    return text.substr(start);
}

}  // namespace vm
