#include "core/engine/ServerReply.h"

#include "core/engine/DownloadItem.h"

namespace vm {
namespace {

std::string Trimmed(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    size_t start = 0;
    while (start < end && static_cast<unsigned char>(text[start]) <= ' ') ++start;
    return text.substr(start, end - start);
}

}  // namespace

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
    return Trimmed(text);
}

std::string TakeFailedTransferReply(InternetLibrary& net) {
    uint32_t code = 0;
    std::string text;
    if (!net.LastResponse(&code, &text, kMaxCellText)) return std::string();
    text = Trimmed(text);
    const auto digit = [&text](size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (text.size() < 3 || (text[0] != '4' && text[0] != '5') || !digit(1) || !digit(2))
        return std::string();
    return text;
}

}  // namespace vm
