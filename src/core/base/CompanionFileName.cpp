#include "core/base/CompanionFileName.h"

namespace vm {

std::string CompanionFileName(const std::string& executablePath, const char* suffix) {
    const size_t dot = executablePath.rfind('.');
    std::string name = executablePath.substr(0, dot);  // npos keeps the whole path
    name += suffix;
    return name;
}

}  // namespace vm
