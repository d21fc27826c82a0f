#include "core/base/ArgumentList.h"

namespace vm {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool ArgumentEquals(std::string_view argument, std::string_view name) {
    if (argument.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (Lower(argument[i]) != Lower(name[i])) return false;
    }
    return true;
}

void ArgumentList::Parse(std::string_view commandLine) {
    pool_.clear();
    offsets_.clear();
    std::string current;
    bool started = false;  // a character or a quote has opened an argument
    bool quoted = false;
    auto finish = [&]() {
        offsets_.push_back(pool_.size());
        pool_ += current;
        pool_ += '\0';
        current.clear();
        started = false;
    };
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ') {
            if (quoted) {
                if (!current.empty()) current += c;
            } else if (started) {
                finish();
            }
        } else {
            current += c;
            started = true;
        }
    }
    if (!current.empty()) finish();
}

const char* ArgumentList::At(size_t i) const {
    return i < offsets_.size() ? pool_.c_str() + offsets_[i] : "";
}

int ArgumentList::Find(std::string_view name) const {
    for (size_t i = 0; i < offsets_.size(); ++i) {
        if (ArgumentEquals(At(i), name)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace vm
