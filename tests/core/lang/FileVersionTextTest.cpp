#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/lang/FileVersionText.h"

namespace vm {
namespace {

class FakeVersion : public VersionResource {
public:
    bool hasTranslation = true;
    uint16_t language = 0x0409;
    uint16_t codePage = 0x04B0;
    std::map<std::string, std::string> values;

    bool FirstTranslation(uint16_t* l, uint16_t* c) override {
        *l = language;
        *c = codePage;
        return hasTranslation;
    }
    bool HasBlock(const std::string& path) override {
        for (const auto& v : values) {
            if (v.first.compare(0, path.size(), path) == 0) return true;
        }
        return false;
    }
    bool QueryText(const std::string& path, std::string* text) override {
        const auto it = values.find(path);
        if (it == values.end()) return false;
        *text = it->second;
        return true;
    }
};

TEST(FileVersionText, FirstTranslationThenTheFallbackBlock) {
    FakeVersion v;
    v.values["\\StringFileInfo\\040904B0\\FileVersion"] = " 1.27 ";
    v.values["\\StringFileInfo\\040904E4\\FileVersion"] = "fallback";
    EXPECT_EQ(FileVersionText(v), "1.27");
    v.language = 0x0407;  // no block for 040704B0
    EXPECT_EQ(FileVersionText(v), "fallback");
    v.hasTranslation = false;
    EXPECT_EQ(FileVersionText(v), "fallback");
    v.values.clear();
    EXPECT_EQ(FileVersionText(v), "");
    v.values["\\StringFileInfo\\040904E4\\FileVersion"] = std::string(300, '9');
    EXPECT_EQ(FileVersionText(v).size(), 254u);
}

}  // namespace
}  // namespace vm
