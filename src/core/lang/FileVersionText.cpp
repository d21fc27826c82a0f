#include "core/lang/FileVersionText.h"

#include <cstdio>

namespace vm {
namespace {

constexpr size_t kMaxVersionText = 254;
constexpr char kFallbackTranslation[] = "040904E4";

}  // namespace

std::string FileVersionText(VersionResource& resource) {
    std::string pair = kFallbackTranslation;
    uint16_t language = 0;
    uint16_t codePage = 0;
    if (resource.FirstTranslation(&language, &codePage)) {
        char text[16];
        std::snprintf(text, sizeof text, "%4.4X%4.4X", static_cast<unsigned>(language),
                      static_cast<unsigned>(codePage));
        if (resource.HasBlock(std::string("\\StringFileInfo\\") + text + "\\")) pair = text;
    }
    std::string version;
    if (!resource.QueryText("\\StringFileInfo\\" + pair + "\\FileVersion", &version)) return "";
    if (version.size() > kMaxVersionText) version.resize(kMaxVersionText);
    const size_t first = version.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return version.substr(first, version.find_last_not_of(' ') - first + 1);
}

}  // namespace vm
