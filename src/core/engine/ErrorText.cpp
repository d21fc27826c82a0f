#include "core/engine/ErrorText.h"

namespace vm {

MessageModule MessageModuleForCode(uint32_t code) {
    if (code >= 2100 && code <= 2999) return MessageModule::NetMsg;
    if (code >= 12000 && code <= 12174) return MessageModule::WinInet;
    return MessageModule::System;
}

std::string GetErrorText(uint32_t code, MessageTable& table) {
    std::string text;
    if (!table.Lookup(code, MessageModuleForCode(code), &text)) return std::string();
    if (text.size() > kMaxErrorText) return std::string();
    return text;
}

std::string FlattenLineBreaks(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

SharedText ErrorTexts::For(uint32_t code) {
    for (const auto& entry : known_) {
        if (entry.first == code) return entry.second;
    }
    if (known_.size() >= kMaxCodes) known_.clear();
    known_.emplace_back(code, SharedText(FlattenLineBreaks(GetErrorText(code, table_))));
    return known_.back().second;
}

}  // namespace vm
