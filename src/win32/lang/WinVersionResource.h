#pragma once
#include <string>
#include <vector>

#include "core/lang/FileVersionText.h"

namespace vm {

// The version resource of a module file, read once.
class WinVersionResource : public VersionResource {
public:
    explicit WinVersionResource(const std::string& modulePath);

    bool FirstTranslation(uint16_t* language, uint16_t* codePage) override;
    bool HasBlock(const std::string& path) override;
    bool QueryText(const std::string& path, std::string* text) override;

private:
    std::vector<char> data_;  // empty: the module has no version resource
};

}  // namespace vm
