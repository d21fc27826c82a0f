#pragma once
#include <map>
#include <string>

#include "core/lang/StringTable.h"

namespace vm::test {

class FakeTranslation : public StringTranslation {
public:
    std::map<uint16_t, std::string> texts;
    int reads = 0;

    bool ReadString(uint16_t id, std::string* text) override {
        ++reads;
        const auto it = texts.find(id);
        if (it == texts.end()) return false;
        *text = it->second;
        return true;
    }
};

// Installs a translation for one test and leaves a clean cache behind.
class ScopedTranslation {
public:
    explicit ScopedTranslation(StringTranslation* translation) {
        ResetStringCacheForTesting();
        SetStringTranslation(translation);
    }
    ~ScopedTranslation() {
        SetStringTranslation(nullptr);
        ResetStringCacheForTesting();
    }
};

}  // namespace vm::test
