#include "core/app/ScratchReports.h"

#include <algorithm>

#include "core/app/ExportTarget.h"

namespace vm {
namespace {

constexpr int kMaxNumberedNames = 99;

// "testreport.html" with n: "testreport-2.html".
std::string NumberedName(const std::string& path, int n) {
    const size_t slash = path.find_last_of("\\/");
    const size_t dot = path.rfind('.');
    const size_t split =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
    return path.substr(0, split) + "-" + std::to_string(n) + path.substr(split);
}

// Scratch paths are compared as the platform would; the folder is the program's, absolute.
bool SamePath(const std::string& a, const std::string& b) {
    return ComparablePath(a, std::string()) == ComparablePath(b, std::string());
}

bool Holds(const std::vector<std::string>& paths, const std::string& path) {
    return std::any_of(paths.begin(), paths.end(),
                       [&path](const std::string& p) { return SamePath(p, path); });
}

void Drop(std::vector<std::string>& paths, const std::string& path) {
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [&path](const std::string& p) { return SamePath(p, path); }),
                paths.end());
}

}  // namespace

bool ScratchReports::Owns(const std::string& path) const { return Holds(owned_, path); }

std::string ScratchReports::PathFor(const std::string& wanted) {
    if (wanted.empty()) return std::string();
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const std::string path = n == 1 ? wanted : NumberedName(wanted, n);
        if (Owns(path) || Holds(created_, path)) return path;
        if (!files_.Exists(path)) {
            created_.push_back(path);
            return path;
        }
    }
    return std::string();
}

void ScratchReports::Written(const std::string& path) {
    if (!Holds(created_, path)) return;
    Drop(created_, path);
    owned_.push_back(path);
}

void ScratchReports::Disown(const std::string& path) {
    Drop(owned_, path);
    Drop(created_, path);
}

void ScratchReports::RemoveOwn() {
    for (const std::string& path : owned_) files_.Remove(path);
    owned_.clear();
    created_.clear();
}

}  // namespace vm
