#include "core/base/PathRules.h"

namespace vm {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string AddTrailingBackslash(const std::string& folder) {
    if (folder.empty() || folder.back() == '\\') return folder;
    return folder + '\\';
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return AddTrailingBackslash(folder) + name;
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ResolveReportPath(const std::string& programFolder, const std::string& name) {
    // A cut name would name some other file: a name too long is no path at all.
    if (name.find('\\') != std::string::npos) return name.size() <= kMaxPath ? name : std::string();
    if (programFolder.size() + name.size() + 1 >= kMaxPath + 1) return std::string();
    return JoinPath(programFolder, name);
}

}  // namespace vm
